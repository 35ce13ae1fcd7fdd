#pragma once
// What the file choosers of every feature share.
#include <QString>

class QWidget;

namespace FileDialogs {

// Where saving starts: the user's download folder, or the home folder where
// there is none.
QString defaultFolder();
// Places a dialog over the middle of the widget that asked, so that a page's
// question is seen in its own browser window rather than over the host (Qt
// centres a dialog over its parent's top-level window).
void centreOver(QWidget *dialog, QWidget *over);

} // namespace FileDialogs
