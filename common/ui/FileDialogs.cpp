#include "common/ui/FileDialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>

namespace FileDialogs {

QString defaultFolder()
{
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return !downloads.isEmpty() && QFileInfo(downloads).isDir() ? downloads : QDir::homePath();
}

// Qt itself centres a dialog over its parent's top-level window: the host, not the browser window.
void centreOver(QWidget *dialog, QWidget *over)
{
    if (!over || !over->isVisible())
        return;
    dialog->adjustSize();
    QPoint at = over->mapToGlobal(over->rect().center()) - dialog->rect().center();
    if (const QScreen *screen = over->screen()) {
        const QRect room = screen->availableGeometry();
        at.setX(qBound(room.left(), at.x(), qMax(room.left(), room.right() - dialog->width())));
        at.setY(qBound(room.top(), at.y(), qMax(room.top(), room.bottom() - dialog->height())));
    }
    dialog->move(at);
}

} // namespace FileDialogs
