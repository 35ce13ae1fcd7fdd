#pragma once
// A browser window's menu of favorites: "Add to Favorites", "Edit
// Favorites" and the submenu of the favorites themselves, built from the
// favorites file and built again only when the file has changed.
#include "favorites/core/FavoritesFile.h"

#include <QList>
#include <QString>

class Dialogs;
class QAction;
class QMenu;
class QWidget;

class FavoritesMenu
{
public:
    // The menus belong to `window`; failures are told over it.
    FavoritesMenu(QWidget *window, Dialogs &dialogs);

    // Reads the file unless it is unchanged since the last read; a file that
    // cannot be read is told once and the menu keeps what it showed.
    void load();
    // The items follow the next read.
    void markStale() { m_itemsStale = true; }
    // Brings the submenu's items in line with the favorites last read; done
    // when the submenu is about to show, so that a large list costs nothing
    // until it is looked at.
    void syncItems();
    // Adds a line to the file (a failure is told) and reads it again;
    // whether it was added.
    bool add(const QString &address, const QString &title);
    // The address of item `index`, empty for none.
    QString addressAt(int index) const;

    QMenu *popUp;
    QAction *addFavorite;
    QAction *editFavorites;
    QAction *separator;
    QMenu *favorites;
    // Element 0 always exists; after a build from N entries, 0 to N-1 hold
    // them and element N is hidden. Valid after syncItems().
    QList<QAction *> items;

private:
    void report(const QString &error);

    QWidget *m_window;
    Dialogs &m_dialogs;
    QList<FavoriteEntry> m_entries;
    bool m_itemsStale = true;
    QString m_path;
    Favorites::FileStamp m_stamp;
    QString m_lastError;
    // Shown under the separator of an empty list: a menu with nothing but a
    // separator has no size, and once shown so this Qt never shows it again.
    QAction *m_emptyItem;
};
