#include "browser/ui/FavoritesMenu.h"

#include "common/ui/MenuText.h"
#include "common/ui/Dialogs.h"

#include <QMenu>

FavoritesMenu::FavoritesMenu(QWidget *window, Dialogs &dialogs) : m_window(window), m_dialogs(dialogs)
{
    popUp = new QMenu(QStringLiteral("Popup"), window);
    addFavorite = popUp->addAction(QStringLiteral("Add to Favorites"));
    editFavorites = popUp->addAction(QStringLiteral("Edit Favorites"));
    // The key is shown beside the item; the window's key handling does the
    // work, so the item's own shortcut only acts while its menu is open.
    addFavorite->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    addFavorite->setShortcutContext(Qt::WidgetShortcut);
    separator = popUp->addSeparator();
    favorites = popUp->addMenu(QStringLiteral("Favorites"));
    favorites->setObjectName(QStringLiteral("mnuFavorites"));
    items << favorites->addSeparator();
    m_emptyItem = favorites->addAction(QStringLiteral("(Empty)"));
    m_emptyItem->setEnabled(false);
    QObject::connect(favorites, &QMenu::aboutToShow, favorites, [this] { syncItems(); });
}

void FavoritesMenu::load()
{
    const QString path = Favorites::FavoritesFilePath(Favorites::CurrentUserName());
    const Favorites::FileStamp stamp = Favorites::stampOf(path);
    // The menu already holds what an unchanged file holds.
    if (stamp.exists && path == m_path && stamp == m_stamp)
        return;
    QString error;
    QList<FavoriteEntry> entries = Favorites::ReadFavorites(&error);
    if (!error.isEmpty()) {
        // The menu keeps what it showed.
        report(error);
        return;
    }
    m_lastError.clear();
    m_entries = std::move(entries);
    m_path = path;
    m_stamp = Favorites::stampOf(path);
    m_itemsStale = true;
}

void FavoritesMenu::report(const QString &error)
{
    // Once per failure: the box itself moves the focus, and its return would
    // bring the same failure round again.
    if (error == m_lastError)
        return;
    m_lastError = error;
    m_dialogs.message(m_window, QMessageBox::Warning, QStringLiteral("Favorites"), error);
}

void FavoritesMenu::syncItems()
{
    if (!m_itemsStale)
        return;
    m_itemsStale = false;
    const qsizetype n = m_entries.size();
    const qsizetype wanted = n == 0 ? 1 : n + 1;
    while (items.size() > wanted)
        delete items.takeLast();
    // Items that exist already get the new texts; new ones are made complete
    // and handed to the menu in one go, which is much cheaper for long lists.
    const qsizetype reused = items.size();
    for (qsizetype i = 0; i < qMin(reused, n); ++i) {
        QAction *item = items[i];
        item->setSeparator(false);
        item->setText(asMenuText(m_entries[i].Title));
        item->setData(m_entries[i].URL);
        item->setVisible(true);
    }
    QList<QAction *> added;
    added.reserve(wanted - reused);
    for (qsizetype i = reused; i < wanted; ++i) {
        auto *item = new QAction(favorites);
        if (i < n) {
            item->setText(asMenuText(m_entries[i].Title));
            item->setData(m_entries[i].URL);
        }
        added << item;
    }
    items << added;
    if (n == 0) {
        items[0]->setSeparator(true);
        // A separator with a text is drawn as a heading: the title it had
        // as an item would stand above "(Empty)".
        items[0]->setText(QString());
        items[0]->setData(QVariant());
        items[0]->setVisible(true);
    } else {
        items[n]->setVisible(false);
    }
    favorites->addActions(added);
    m_emptyItem->setVisible(n == 0);
}

bool FavoritesMenu::add(const QString &address, const QString &title)
{
    QString error;
    const bool added = Favorites::AppendFavorite(title, address, &error);
    if (!added)
        m_dialogs.message(m_window, QMessageBox::Warning, QStringLiteral("Favorites"), error);
    markStale();
    load();
    return added;
}

QString FavoritesMenu::addressAt(int index) const
{
    return index >= 0 && index < items.size() ? items[index]->data().toString() : QString();
}
