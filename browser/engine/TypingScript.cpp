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
// nothing the user would lose. One report per document.
QString source(const QString &token)
{
    return QStringLiteral(R"JS((function () {
'use strict';
var report = Function.prototype.bind.call(console.debug, console);
var done = false;
window.addEventListener('input', function (e) {
  if (done || !e.isTrusted) return;
  done = true;
  report('%1%2');
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
