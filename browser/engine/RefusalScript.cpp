#include "browser/engine/RefusalScript.h"

namespace RefusalScript {

namespace {
const QString ReportPrefix = QStringLiteral("lumeno-refused:");
} // namespace

QString name()
{
    return QStringLiteral("lumeno-new-windows");
}

// Runs in the page's own world before any of its scripts. While refusing,
// window.open returns null at once and nothing reaches the engine, which
// would otherwise build a page for every request; the refusals are reported
// in one message per burst. Everything it calls is captured before the page
// can replace it.
QString source(const QString &token, bool refuse)
{
    return QStringLiteral(R"JS((function () {
'use strict';
var token = '%1';
var refuse = %2;
var report = Function.prototype.bind.call(console.debug, console);
var later = Function.prototype.bind.call(queueMicrotask, window);
var apply = Reflect.apply;
var realOpen = window.open;
var pending = 0;
function flush() { var n = pending; pending = 0; if (n > 0) report('%3' + token + ':' + n); }
var wrapper = { open: function (url, target, features) {
  if (refuse) { if (pending++ === 0) later(flush); return null; }
  return apply(realOpen, this == null ? window : this, arguments);
} }.open;
window.open = wrapper;
Object.defineProperty(window, '__lumenoRefuseNewWindows', {
  value: function (t, on) { if (t === token) refuse = !!on; }
});
})();)JS")
        .arg(token, refuse ? QStringLiteral("true") : QStringLiteral("false"), ReportPrefix);
}

bool isReport(const QString &message)
{
    return message.startsWith(ReportPrefix);
}

int parseReport(const QString &message, const QString &token)
{
    if (!message.startsWith(ReportPrefix))
        return 0;
    const QStringView rest = QStringView(message).mid(ReportPrefix.size());
    const QString mark = token + QLatin1Char(':');
    if (!rest.startsWith(mark))
        return 0;
    bool ok = false;
    const int n = rest.mid(mark.size()).toInt(&ok);
    return ok && n > 0 ? n : 0;
}

} // namespace RefusalScript
