#pragma once
// What to offer under the address box while the person types: up to MaxRows
// pages from the history and the favorites, and the inline completion.
//
// Matching: every typed word must begin a word of the page's address
// (without scheme and "www.") or title (TextMatch says why), ignoring case
// and accents; a favorite matches by its own title too.
//
// Ranking: by frecency (Frecency: visits weigh less as they age), and among
// pages whose frecency falls on the same day a favorite first; then the
// higher frecency, then the shorter address. A favorite never visited comes
// after every visited page.
//
// Completion: the best-ranked page whose address, without scheme and "www.",
// begins with the typed text (with them, when they were typed), ignoring
// case; the rest of that address is what to add after the text, and its row
// comes first, as it is what Enter opens. Only for text without blanks.
//
// Nothing is offered for text pasted whole that is an address
// (AddressInput::isWholeAddress): it was chosen, not being looked for.
#include "favorites/core/FavoritesFile.h"
#include "history/core/HistoryIndex.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

struct Suggestion
{
    QString address;
    QString title;          // a favorite's own title where it has one
    bool favorite = false;
    bool inHistory = false; // so removing it removes it from the history
    int visitCount = 0;
    QDateTime lastVisit;    // invalid for a favorite never visited
};

struct Suggestions
{
    QList<Suggestion> rows; // best first
    // What to add after the typed text, selected, so typing on replaces it;
    // empty for none. rows.first() is then the page it completes.
    QString completion;
};

class AddressSuggestions
{
public:
    static constexpr int MaxRows = 8;

    // `history` is read on the calling thread at each suggest(); a store's
    // index() stays the same object as it loads.
    explicit AddressSuggestions(HistoryIndex &history) : m_history(history) {}

    // The favorites list as the favorites file gives it; addresses that are
    // no web page or file (javascript: bookmarks) are never offered.
    void setFavorites(const QList<FavoriteEntry> &favorites);

    // `typed`: the address box's text; `pasted`: whether this change was a
    // paste of the whole text.
    Suggestions suggest(const QString &typed, bool pasted) const;

private:
    struct Favorite
    {
        QString address;
        QString title;
        QByteArray utf8Address;
        QByteArray text; // HistoryIndex::searchText of address and title
    };
    struct Candidate;
    Candidate candidateOf(int slot) const;
    bool better(const Candidate &a, const Candidate &b) const;
    QByteArrayView addressOf(const Candidate &c) const;
    Suggestion rowOf(const Candidate &c) const;

    HistoryIndex &m_history;
    QList<Favorite> m_favorites;
    QHash<QByteArray, qsizetype> m_favoriteOf; // utf8 address -> m_favorites
};
