#include "history/core/BrowsingHistory.h"

#include "history/core/HistoryStore.h"

BrowsingHistory::BrowsingHistory(HistoryStore &store) : m_store(store), m_suggestions(store.index())
{
}

void BrowsingHistory::followFavorites()
{
    const QString path = Favorites::FavoritesFilePath(Favorites::CurrentUserName());
    const Favorites::FileStamp stamp = Favorites::stampOf(path);
    if (path == m_favoritesPath && stamp == m_favoritesStamp)
        return;
    QString error;
    const QList<FavoriteEntry> entries = Favorites::ReadFavoritesForEditor(Favorites::CurrentUserName(), &error);
    if (!error.isEmpty())
        return;
    m_suggestions.setFavorites(entries);
    m_favoritesPath = path;
    m_favoritesStamp = stamp;
}
