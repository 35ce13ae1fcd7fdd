#pragma once
// The script that answers a page's window.open inside the page while new
// windows are refused, and the reports it sends back to the program.
#include <QString>

namespace RefusalScript {

// The name the script is kept under in a page's script collection.
QString name();
// The script for a page whose reports carry `token`, starting with `refuse`.
QString source(const QString &token, bool refuse);
// The number of refusals a console message reports, or 0 when it is not a
// report carrying `token`.
int parseReport(const QString &message, const QString &token);

} // namespace RefusalScript
