#pragma once
// The program's own scripts in a browser window's page: the one that answers
// window.open inside the page while new windows are refused (RefusalScript),
// and the one that notices the user's typing (TypingScript). Both report with
// the view's token, which the page cannot see.
#include <QString>

class QWebEnginePage;

namespace PageScripts {

// Puts both scripts into a page just made, the refusal starting with `refuse`.
void install(QWebEnginePage *page, const QString &token, bool refuse);
// Documents made from now on start with the new answer; the one shown is told
// at once, and passes it on to its frames.
void setRefused(QWebEnginePage *page, const QString &token, bool refused);

} // namespace PageScripts
