#include "history/core/AddressSuggestions.h"

#include "history/core/AddressInput.h"
#include "history/core/Frecency.h"
#include "history/core/HistoryAddress.h"
#include "history/core/TextMatch.h"

#include <QSet>

#include <algorithm>
#include <optional>

// A page found: in the history (slot), or a favorite never visited.
struct AddressSuggestions::Candidate
{
    int slot = -1;
    qsizetype favorite = -1;
    qint64 day = 0;
    bool isFavorite = false;
    double frecency = Frecency::None;
    qsizetype length = 0;
};

void AddressSuggestions::setFavorites(const QList<FavoriteEntry> &favorites)
{
    m_favorites.clear();
    m_favoriteOf.clear();
    QSet<QByteArray> addresses;
    for (const FavoriteEntry &entry : favorites) {
        const QUrl url = QUrl::fromUserInput(entry.URL.trimmed());
        if (!HistoryAddress::isRecordable(url))
            continue;
        Favorite favorite;
        favorite.address = HistoryAddress::normalized(url);
        favorite.utf8Address = favorite.address.toUtf8();
        if (addresses.contains(favorite.utf8Address))
            continue;
        favorite.title = entry.Title;
        favorite.text = HistoryIndex::searchText(favorite.address, favorite.title);
        addresses.insert(favorite.utf8Address);
        m_favoriteOf.insert(favorite.utf8Address, m_favorites.size());
        m_favorites.append(favorite);
    }
    m_history.setFavorites(addresses);
}

QByteArrayView AddressSuggestions::addressOf(const Candidate &c) const
{
    return c.slot >= 0 ? QByteArrayView(m_history.entry(c.slot).address)
                       : QByteArrayView(m_favorites[c.favorite].utf8Address);
}

bool AddressSuggestions::better(const Candidate &a, const Candidate &b) const
{
    if (a.day != b.day)
        return a.day > b.day;
    if (a.isFavorite != b.isFavorite)
        return a.isFavorite;
    if (a.frecency != b.frecency)
        return a.frecency > b.frecency;
    if (a.length != b.length)
        return a.length < b.length;
    return addressOf(a) < addressOf(b);
}

Suggestion AddressSuggestions::rowOf(const Candidate &c) const
{
    Suggestion row;
    const auto favorite = m_favoriteOf.constFind(addressOf(c).toByteArray());
    if (favorite != m_favoriteOf.cend()) {
        row.favorite = true;
        row.title = m_favorites[favorite.value()].title;
    }
    if (c.slot >= 0) {
        const HistoryIndex::Entry &entry = m_history.entry(c.slot);
        row.address = QString::fromUtf8(entry.address);
        if (row.title.isEmpty())
            row.title = QString::fromUtf8(entry.title);
        row.inHistory = true;
        row.visitCount = entry.visitCount;
        row.lastVisit = QDateTime::fromMSecsSinceEpoch(entry.lastVisitMsecs);
    } else {
        row.address = m_favorites[c.favorite].address;
    }
    return row;
}

AddressSuggestions::Candidate AddressSuggestions::candidateOf(int slot) const
{
    const HistoryIndex::Entry &entry = m_history.entry(slot);
    Candidate c;
    c.slot = slot;
    c.frecency = entry.frecency;
    c.day = Frecency::day(entry.frecency);
    c.isFavorite = entry.favorite;
    c.length = entry.address.size();
    return c;
}

namespace {
// The form of an address that typed text is compared with for the
// completion: with a scheme and "www." as far as the person typed them.
bool completes(const QString &typed, QStringView address, QString *rest)
{
    const QStringView form = TextMatch::withoutScheme(typed).size() != typed.size() ? address
                             : typed.startsWith(QLatin1String("www."), Qt::CaseInsensitive)
                                 ? TextMatch::withoutScheme(address)
                                 : TextMatch::withoutSchemeAndWww(address);
    if (!form.startsWith(typed, Qt::CaseInsensitive))
        return false;
    *rest = form.mid(typed.size()).toString();
    return true;
}
} // namespace

Suggestions AddressSuggestions::suggest(const QString &typed, bool pasted) const
{
    Suggestions out;
    const QString text = typed.trimmed();
    if (text.isEmpty() || (pasted && AddressInput::isWholeAddress(text)))
        return out;
    const QList<QByteArray> words = TextMatch::words(TextMatch::withoutSchemeAndWww(text));
    if (words.isEmpty())
        return out;
    const bool completing = std::none_of(typed.cbegin(), typed.cend(), [](QChar c) { return c.isSpace(); });

    // The best MaxRows in a heap, the worst of them on top; and the best
    // page that completes the text.
    std::vector<Candidate> top;
    const auto worse = [this](const Candidate &a, const Candidate &b) { return better(a, b); };
    std::optional<Candidate> completed;
    auto consider = [&](const Candidate &c, const QByteArray &searchText) {
        if (top.size() < size_t(MaxRows)) {
            top.push_back(c);
            std::push_heap(top.begin(), top.end(), worse);
        } else if (better(c, top.front())) {
            std::pop_heap(top.begin(), top.end(), worse);
            top.back() = c;
            std::push_heap(top.begin(), top.end(), worse);
        }
        // The search text begins with the address as compared: a quick
        // look before the address is read.
        QString rest;
        if (completing && (!completed || better(c, *completed)) && searchText.startsWith(words.first())
            && completes(text, QString::fromUtf8(addressOf(c)), &rest)) {
            completed = c;
            out.completion = rest;
        }
    };

    // Favorites first, by their own titles too; those in the history are
    // then passed over there.
    QSet<int> favoritesSeen;
    for (qsizetype i = 0; i < m_favorites.size(); ++i) {
        const Favorite &favorite = m_favorites[i];
        if (!std::all_of(words.begin(), words.end(),
                         [&](const QByteArray &w) { return TextMatch::contains(favorite.text, w); }))
            continue;
        const int slot = m_history.slotOf(favorite.utf8Address);
        if (slot >= 0) {
            favoritesSeen.insert(slot);
            consider(candidateOf(slot), m_history.text(slot));
        } else {
            Candidate c;
            c.favorite = i;
            c.day = Frecency::day(Frecency::None);
            c.isFavorite = true;
            c.length = favorite.utf8Address.size();
            consider(c, favorite.text);
        }
    }
    m_history.find(words, [&](int slot) {
        const HistoryIndex::Entry &entry = m_history.entry(slot);
        // Most pages found for a letter or two rank below the whole list
        // and below the completion found so far: passed over at once.
        const qint64 day = Frecency::day(entry.frecency);
        if (top.size() == size_t(MaxRows) && day < top.front().day
            && (!completing || (completed && day < completed->day)))
            return;
        if (!entry.favorite || !favoritesSeen.contains(slot))
            consider(candidateOf(slot), m_history.text(slot));
    });

    std::sort(top.begin(), top.end(), [this](const Candidate &a, const Candidate &b) { return better(a, b); });
    if (completed) {
        // Its row first: it is what Enter opens.
        top.erase(std::remove_if(top.begin(), top.end(),
                                 [&](const Candidate &c) {
                                     return c.slot == completed->slot && c.favorite == completed->favorite;
                                 }),
                  top.end());
        top.insert(top.begin(), *completed);
        if (top.size() > size_t(MaxRows))
            top.pop_back();
    }
    for (const Candidate &c : top)
        out.rows.append(rowOf(c));
    return out;
}
