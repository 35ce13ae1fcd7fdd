// The favorites menu of a browser window.
#include "browser/ui/frmBrowser.h"

#include "browser/ui/WebView.h"
#include "browser/ui/BrowserHost.h"
#include "common/ui/Dialogs.h"

#include <QLabel>
#include <QMenu>

void frmBrowser::ClearFavoritesMenu()
{
    // The items themselves follow the next read (see syncFavoriteItems).
    m_itemsStale = true;
}

void frmBrowser::LoadFavoritesMenu()
{
    const QString path = Favorites::FavoritesFilePath(Favorites::CurrentUserName());
    const Favorites::FileStamp stamp = Favorites::stampOf(path);
    // The menu already holds what an unchanged file holds.
    if (stamp.exists && path == m_favoritesPath && stamp == m_favoritesStamp)
        return;
    QString error;
    QList<FavoriteEntry> entries = Favorites::ReadFavorites(&error);
    if (!error.isEmpty()) {
        // The menu keeps what it showed.
        reportFavoritesError(error);
        return;
    }
    m_lastFavoritesError.clear();
    m_favorites = std::move(entries);
    m_favoritesPath = path;
    m_favoritesStamp = Favorites::stampOf(path);
    m_itemsStale = true;
}

void frmBrowser::reportFavoritesError(const QString &error)
{
    // Once per failure: the box itself moves the focus, and its return would
    // bring the same failure round again.
    if (error == m_lastFavoritesError)
        return;
    m_lastFavoritesError = error;
    m_host.dialogs().message(this, QMessageBox::Warning, QStringLiteral("Favorites"), error);
}

QString frmBrowser::asMenuText(QString title)
{
    constexpr int longest = 120;
    if (title.size() > longest)
        title = title.left(longest - 1) + QChar(0x2026);
    title.replace(QLatin1Char('\t'), QLatin1Char(' '));
    title.replace(QLatin1Char('&'), QLatin1String("&&"));
    return title;
}

void frmBrowser::syncFavoriteItems()
{
    if (!m_itemsStale)
        return;
    m_itemsStale = false;
    const qsizetype n = m_favorites.size();
    const qsizetype wanted = n == 0 ? 1 : n + 1;
    while (mnuFavorite.size() > wanted)
        delete mnuFavorite.takeLast();
    // Items that exist already get the new texts; new ones are made complete
    // and handed to the menu in one go, which is much cheaper for long lists.
    const qsizetype reused = mnuFavorite.size();
    for (qsizetype i = 0; i < qMin(reused, n); ++i) {
        QAction *item = mnuFavorite[i];
        item->setSeparator(false);
        item->setText(asMenuText(m_favorites[i].Title));
        item->setData(m_favorites[i].URL);
        item->setVisible(true);
    }
    QList<QAction *> added;
    added.reserve(wanted - reused);
    for (qsizetype i = reused; i < wanted; ++i) {
        auto *item = new QAction(mnuFavorites);
        if (i < n) {
            item->setText(asMenuText(m_favorites[i].Title));
            item->setData(m_favorites[i].URL);
        }
        added << item;
    }
    mnuFavorite << added;
    if (n == 0) {
        mnuFavorite[0]->setSeparator(true);
        // A separator with a text is drawn as a heading: the title it had
        // as an item would stand above "(Empty)".
        mnuFavorite[0]->setText(QString());
        mnuFavorite[0]->setData(QVariant());
        mnuFavorite[0]->setVisible(true);
    } else {
        mnuFavorite[n]->setVisible(false);
    }
    mnuFavorites->addActions(added);
    m_emptyItem->setVisible(n == 0);
}

void frmBrowser::AddFavorite(const QString &address, const QString &title)
{
    QString error;
    if (!Favorites::AppendFavorite(title, address, &error))
        m_host.dialogs().message(this, QMessageBox::Warning, QStringLiteral("Favorites"), error);
    ClearFavoritesMenu();
    LoadFavoritesMenu();
}

void frmBrowser::imgFavs_Click()
{
    // Directly below the picture, its left edge in line with the picture's.
    mnuPopUp->popup(imgFavs->mapToGlobal(QPoint(0, imgFavs->height())));
}

void frmBrowser::mnuAddFav_Click()
{
    AddFavorite(wb->LocationURL(), wb->LocationName());
}

void frmBrowser::mnuEditFavs_Click()
{
    m_host.editFavorites(this);
    ClearFavoritesMenu();
    LoadFavoritesMenu();
}

void frmBrowser::mnuFavorite_Click(int Index)
{
    if (Index >= 0 && Index < mnuFavorite.size())
        wb->Navigate2(mnuFavorite[Index]->data().toString());
}
