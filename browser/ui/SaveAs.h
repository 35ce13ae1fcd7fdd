#pragma once
// "Save as" through one door: the system's save dialog, or what a test puts
// in its place. The dialog itself asks before an existing file is replaced.
#include <QString>
#include <functional>

class QWidget;

namespace SaveAs {

// Returns the chosen path, or an empty text when the user cancelled.
using Handler = std::function<QString(QWidget *parent, const QString &title,
                                      const QString &suggestedPath, const QString &filter)>;

QString ask(QWidget *parent, const QString &title, const QString &suggestedPath,
            const QString &filter = QString());
// Replaces the dialog; an empty handler brings it back.
void setHandler(Handler handler);

// Where saving starts: the user's download folder, or the home folder where
// there is none.
QString defaultFolder();
// Places a dialog over the middle of the widget that asked, so it is seen
// in the browser window whose page asked rather than over the host.
void centreOver(QWidget *dialog, QWidget *over);

} // namespace SaveAs
