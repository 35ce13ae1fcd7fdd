#include "browser/engine/TypingScript.h"

namespace TypingScript {

namespace {
const QString ReportPrefix = QStringLiteral("lumeno-typed:");
} // namespace

QString name()
{
    return QStringLiteral("lumeno-typing");
}

// Registered before any script of the page, on the window and for the capture
// phase, so it hears every input event before the page can stop it. Only the
// user's own input counts (isTrusted): a page that fills its fields itself has
// nothing the user would lose. The first input is reported at once; while the
// user goes on typing, once every two seconds, so that the session keeps up
// with the text.
QString source(const QString &token)
{
    return QStringLiteral(R"JS((function () {
'use strict';
var report = Function.prototype.bind.call(console.debug, console);
var later = setTimeout.bind(window);
var last = 0, waiting = false;
window.addEventListener('input', function (e) {
  if (waiting || !e.isTrusted) return;
  waiting = true;
  later(function () {
    waiting = false;
    last = Date.now();
    report('%1%2');
  }, last ? Math.max(0, last + 2000 - Date.now()) : 0);
}, true);
})();)JS")
        .arg(ReportPrefix, token);
}

bool isReport(const QString &message, const QString &token)
{
    return message.size() == ReportPrefix.size() + token.size() && message.startsWith(ReportPrefix)
        && message.endsWith(token);
}

} // namespace TypingScript
