#include "history/core/HistoryIndex.h"

#include "history/core/Frecency.h"
#include "history/core/TextMatch.h"

QByteArray HistoryIndex::searchText(QStringView address, QStringView title)
{
    return TextMatch::fold(TextMatch::withoutSchemeAndWww(address)) + '\n' + TextMatch::fold(title);
}

void HistoryIndex::reserve(int pages)
{
    m_entries.reserve(pages);
    m_slots.reserve(pages);
    m_words.reserve(pages);
}

void HistoryIndex::add(const Entry &entry, const QByteArray &text)
{
    if (m_slots.contains(entry.address))
        return;
    const int slot = m_words.add(text.isEmpty() ? searchText(QString::fromUtf8(entry.address),
                                                             QString::fromUtf8(entry.title))
                                                : text);
    if (size_t(slot) >= m_entries.size())
        m_entries.resize(slot + 1);
    m_entries[slot] = entry;
    m_entries[slot].favorite = m_favorites.contains(entry.address);
    m_slots.insert(entry.address, slot);
}

void HistoryIndex::visit(const HistoryVisit &visit)
{
    const QByteArray address = visit.address.toUtf8();
    const int slot = slotOf(address);
    if (slot < 0) {
        Entry entry;
        entry.address = address;
        entry.title = visit.title.toUtf8();
        entry.visitCount = 1;
        entry.lastVisitMsecs = visit.atMsecs;
        entry.frecency = Frecency::withVisit(Frecency::None, visit.atMsecs);
        add(entry);
        if (m_words.mergeDue())
            m_words.merge();
        return;
    }
    Entry &entry = m_entries[slot];
    ++entry.visitCount;
    entry.lastVisitMsecs = qMax(entry.lastVisitMsecs, visit.atMsecs);
    entry.frecency = Frecency::withVisit(entry.frecency, visit.atMsecs);
    // A visit before the title arrives keeps the title known from before.
    if (!visit.title.isEmpty())
        setTitle(visit.address, visit.title);
}

void HistoryIndex::setTitle(const QString &address, const QString &title)
{
    const int slot = slotOf(address.toUtf8());
    if (slot < 0)
        return;
    Entry &entry = m_entries[slot];
    const QByteArray utf8 = title.toUtf8();
    if (entry.title == utf8)
        return;
    entry.title = utf8;
    m_words.replace(slot, searchText(address, title));
    if (m_words.mergeDue())
        m_words.merge();
}

void HistoryIndex::remove(const QStringList &addresses)
{
    for (const QString &address : addresses) {
        const auto it = m_slots.constFind(address.toUtf8());
        if (it == m_slots.cend())
            continue;
        const int slot = it.value();
        m_slots.erase(it);
        m_words.remove(slot);
        m_entries[slot] = Entry();
    }
}

void HistoryIndex::clear()
{
    m_entries = {};
    m_slots.clear();
    m_words.clear();
}

void HistoryIndex::setFavorites(const QSet<QByteArray> &addresses)
{
    // Only the pages of the old and the new favorites change.
    for (const QByteArray &address : std::as_const(m_favorites)) {
        if (const int slot = slotOf(address); slot >= 0)
            m_entries[slot].favorite = false;
    }
    m_favorites = addresses;
    for (const QByteArray &address : std::as_const(m_favorites)) {
        if (const int slot = slotOf(address); slot >= 0)
            m_entries[slot].favorite = true;
    }
}

std::optional<HistoryPage> HistoryIndex::page(const QString &address) const
{
    const int slot = slotOf(address.toUtf8());
    if (slot < 0)
        return std::nullopt;
    const Entry &entry = m_entries[slot];
    HistoryPage page;
    page.address = QString::fromUtf8(entry.address);
    page.title = QString::fromUtf8(entry.title);
    page.visitCount = entry.visitCount;
    page.lastVisit = QDateTime::fromMSecsSinceEpoch(entry.lastVisitMsecs);
    page.visitedAt = page.lastVisit;
    return page;
}
