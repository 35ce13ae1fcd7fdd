#pragma once
// The history as every browser window of the host uses it: the one store the
// pages are recorded in, and the address box's suggestions from it and from
// the favorites, which follow the favorites file whenever it changes. One
// for the program: the favorites it marks are marked in the store's pages.
#include "favorites/core/FavoritesFile.h"
#include "history/core/AddressSuggestions.h"

class HistoryStore;

class BrowsingHistory
{
public:
    explicit BrowsingHistory(HistoryStore &store);

    HistoryStore &store() { return m_store; }
    // Reads the favorites file again when it changed since the last look; a
    // file that cannot be read leaves the favorites as they were (the menu
    // tells the person about it).
    void followFavorites();
    Suggestions suggest(const QString &typed, bool pasted) const { return m_suggestions.suggest(typed, pasted); }

private:
    HistoryStore &m_store;
    AddressSuggestions m_suggestions;
    QString m_favoritesPath;
    Favorites::FileStamp m_favoritesStamp;
};
