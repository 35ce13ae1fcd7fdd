#include "browser/ui/SaveAs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QScreen>
#include <QStandardPaths>

namespace SaveAs {

namespace {
Handler &handler()
{
    static Handler h;
    return h;
}
} // namespace

QString ask(QWidget *parent, const QString &title, const QString &suggestedPath, const QString &filter)
{
    if (handler())
        return handler()(parent, title, suggestedPath, filter);
    QFileDialog dialog(parent, title, suggestedPath, filter);
    dialog.setObjectName(QStringLiteral("saveAsDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Confirming an overwrite is the dialog's own, and stays on.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    centreOver(&dialog, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
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

} // namespace SaveAs
