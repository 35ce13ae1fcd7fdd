#pragma once
// The history's pages in memory, for suggestions while the person types: a
// search over a hundred thousand pages must take a few milliseconds on the
// thread that draws, which no query of the file can promise. Built from the
// file on the history's own thread at start, then kept in step with every
// change on the thread that owns it. Addresses and titles are kept as UTF-8.
#include "history/core/HistoryTypes.h"
#include "history/core/WordIndex.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class HistoryIndex
{
public:
    struct Entry
    {
        QByteArray address;
        QByteArray title;
        int visitCount = 0;
        qint64 lastVisitMsecs = 0;
        double frecency = 0;
        bool favorite = false;
    };

    // The text words are looked for in: the address without its scheme and
    // "www.", and the title, folded.
    static QByteArray searchText(QStringView address, QStringView title);

    void reserve(int pages);
    // A page as stored; `text` is its searchText, when the caller has it.
    void add(const Entry &entry, const QByteArray &text = QByteArray());
    // Sorts what was added; once, after loading.
    void settle() { m_words.settle(); }

    void visit(const HistoryVisit &visit);
    void setTitle(const QString &address, const QString &title);
    void remove(const QStringList &addresses);
    // Forgets every page; the favorites stay known.
    void clear();
    // Which addresses are favorites (normalized, as the history keeps them).
    void setFavorites(const QSet<QByteArray> &addresses);
    const QSet<QByteArray> &favorites() const { return m_favorites; }

    int size() const { return int(m_slots.size()); }
    // -1 when the address is not in the history.
    int slotOf(QByteArrayView address) const { return m_slots.value(address.toByteArray(), -1); }
    const Entry &entry(int slot) const { return m_entries[slot]; }
    const QByteArray &text(int slot) const { return m_words.text(slot); }
    std::optional<HistoryPage> page(const QString &address) const;
    // Each page whose text holds every folded word (TextMatch), once.
    void find(const QList<QByteArray> &words, const std::function<void(int)> &found) const
    {
        m_words.find(words, found);
    }

private:
    std::vector<Entry> m_entries; // by slot; a removed page's stays, empty
    QHash<QByteArray, int> m_slots;
    WordIndex m_words;
    QSet<QByteArray> m_favorites;
};
