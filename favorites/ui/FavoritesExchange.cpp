#include "favorites/ui/FavoritesExchange.h"

#include "favorites/core/BookmarksHtml.h"
#include "common/ui/Dialogs.h"

#include <QDir>
#include <QFileInfo>

namespace FavoritesExchange {

namespace {
const QString Filter = QStringLiteral("Bookmark files (*.html *.htm);;All files (*)");

// Where the last file was chosen, so the next dialog starts there.
QString &lastDirectory()
{
    static QString dir = QDir::homePath();
    return dir;
}
} // namespace

QList<FavoriteEntry> importFrom(QWidget *parent, Dialogs &dialogs, const QList<FavoriteEntry> &current)
{
    const QString title = QStringLiteral("Import Favorites");
    const QString path = dialogs.openFile(parent, title, lastDirectory(), Filter);
    if (path.isEmpty())
        return {};
    lastDirectory() = QFileInfo(path).absolutePath();
    BookmarksHtml::Import read;
    QString error;
    if (!BookmarksHtml::readFile(path, &read, &error)) {
        dialogs.message(parent, QMessageBox::Warning, title, error);
        return {};
    }
    int added = 0;
    const QList<FavoriteEntry> merged = BookmarksHtml::merge(current, read.entries, &added);
    QString text = read.summary();
    if (added == 0 && !read.entries.isEmpty())
        text += QStringLiteral("\n\nThe list already has every one of their addresses: nothing was added.");
    else if (added > 0)
        text += QStringLiteral("\n\n%1 added to the end of the list. They are kept when you click Done.")
                    .arg(added == 1 ? QStringLiteral("1 new favorite was")
                                    : QStringLiteral("%1 new favorites were").arg(added));
    dialogs.message(parent, read.complete && read.recognised ? QMessageBox::Information : QMessageBox::Warning,
                    title, text);
    return merged.mid(current.size());
}

bool exportTo(QWidget *parent, Dialogs &dialogs, const QList<FavoriteEntry> &entries)
{
    const QString title = QStringLiteral("Export Favorites");
    const QString path = dialogs.saveFile(
        parent, title, lastDirectory() + QStringLiteral("/favorites.html"), Filter);
    if (path.isEmpty())
        return false;
    lastDirectory() = QFileInfo(path).absolutePath();
    QString error;
    if (!BookmarksHtml::writeFile(path, entries, &error)) {
        dialogs.message(parent, QMessageBox::Warning, title, error);
        return false;
    }
    return true;
}

} // namespace FavoritesExchange
