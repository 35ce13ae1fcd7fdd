#pragma once
// File choosers, through one door, so that tests name the file instead of
// waiting on a modal dialog.
#include <QString>
#include <functional>

class QWidget;

namespace FileDialogs {

enum Mode { Open, Save };

// Returns the chosen path; empty when the user cancelled.
using Handler = std::function<QString(QWidget *parent, Mode mode, const QString &caption,
                                      const QString &suggested, const QString &filter)>;

// A file to read; starts in the directory of suggested.
QString openFile(QWidget *parent, const QString &caption, const QString &suggested,
                 const QString &filter);
// A file to write, suggested as the name; asks before replacing a file.
QString saveFile(QWidget *parent, const QString &caption, const QString &suggested,
                 const QString &filter);
// Replaces the dialogs; an empty handler brings them back.
void setHandler(Handler handler);

// Where saving starts: the user's download folder, or the home folder where
// there is none.
QString defaultFolder();
// Places a dialog over the middle of the widget that asked, so that a page's
// question is seen in its own browser window rather than over the host.
void centreOver(QWidget *dialog, QWidget *over);

} // namespace FileDialogs
