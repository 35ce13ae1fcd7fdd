#include "common/ui/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QScreen>
#include <QStandardPaths>

namespace FileDialogs {

namespace {
Handler &handler()
{
    static Handler h;
    return h;
}

QString ask(QWidget *parent, Mode mode, const QString &caption, const QString &suggested,
            const QString &filter)
{
    if (handler())
        return handler()(parent, mode, caption, suggested, filter);
    QFileDialog dialog(parent, caption, suggested, filter);
    dialog.setAcceptMode(mode == Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(mode == Open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // Replacing a file is confirmed in the dialog itself.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    centreOver(&dialog, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
} // namespace

QString openFile(QWidget *parent, const QString &caption, const QString &suggested,
                 const QString &filter)
{
    return ask(parent, Open, caption, suggested, filter);
}

QString saveFile(QWidget *parent, const QString &caption, const QString &suggested,
                 const QString &filter)
{
    return ask(parent, Save, caption, suggested, filter);
}

void setHandler(Handler h)
{
    handler() = std::move(h);
}

QString defaultFolder()
{
    const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return !downloads.isEmpty() && QFileInfo(downloads).isDir() ? downloads : QDir::homePath();
}

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
