#include "history/core/WordIndex.h"

#include <algorithm>

void WordIndex::reserve(int texts)
{
    m_texts.reserve(texts);
    m_state.reserve(texts);
    m_seen.reserve(texts);
    m_waiting.reserve(texts);
}

int WordIndex::add(const QByteArray &folded)
{
    const int slot = int(m_texts.size());
    m_texts.append(folded);
    m_state.push_back(Waiting);
    m_seen.push_back(0);
    m_waiting.push_back(slot);
    return slot;
}

void WordIndex::replace(int slot, const QByteArray &folded)
{
    if (m_state[slot] == Gone)
        return;
    m_texts[slot] = folded;
    if (m_state[slot] != Waiting) {
        m_state[slot] = Waiting;
        m_waiting.push_back(slot);
    }
}

void WordIndex::remove(int slot)
{
    m_state[slot] = Gone;
    m_texts[slot] = QByteArray();
}

void WordIndex::clear()
{
    *this = WordIndex();
}

void WordIndex::settle()
{
    mergeInto(m_loaded, Loaded, &m_thisRun);
    m_thisRun = {};
}

void WordIndex::merge()
{
    mergeInto(m_thisRun, ThisRun, nullptr);
}

void WordIndex::mergeInto(Keys &into, State state, const Keys *also)
{
    std::vector<std::pair<quint64, quint32>> added;
    for (int slot : m_waiting) {
        if (m_state[slot] == Waiting) {
            for (quint64 key : TextMatch::keys(m_texts[slot]))
                added.emplace_back(key, quint32(slot));
        }
    }
    if (also) {
        for (size_t i = 0; i < also->keys.size(); ++i) {
            if (m_state[also->owners[i]] == ThisRun)
                added.emplace_back(also->keys[i], also->owners[i]);
        }
    }
    std::sort(added.begin(), added.end());

    Keys merged;
    merged.keys.reserve(into.keys.size() + added.size());
    merged.owners.reserve(into.keys.size() + added.size());
    const auto take = [&merged](quint64 key, quint32 slot) {
        merged.keys.push_back(key);
        merged.owners.push_back(slot);
    };
    size_t a = 0;
    for (size_t i = 0; i < into.keys.size(); ++i) {
        if (m_state[into.owners[i]] != state)
            continue;
        for (; a < added.size() && added[a].first < into.keys[i]; ++a)
            take(added[a].first, added[a].second);
        take(into.keys[i], into.owners[i]);
    }
    for (; a < added.size(); ++a)
        take(added[a].first, added[a].second);
    into = std::move(merged);
    for (int slot : m_waiting) {
        if (m_state[slot] == Waiting)
            m_state[slot] = state;
    }
    if (also) {
        for (State &s : m_state) {
            if (s == ThisRun)
                s = state;
        }
    }
    m_waiting.clear();
}

bool WordIndex::holdsAll(int slot, const QList<QByteArray> &words, qsizetype known) const
{
    for (qsizetype w = 0; w < words.size(); ++w) {
        if (w != known && !TextMatch::contains(m_texts[slot], words[w]))
            return false;
    }
    return true;
}

void WordIndex::find(const QList<QByteArray> &words, const std::function<void(int)> &found) const
{
    if (words.isEmpty())
        return;
    if (++m_search == 0) {
        std::fill(m_seen.begin(), m_seen.end(), 0);
        m_search = 1;
    }
    // The typed word whose beginning the fewest keys share.
    struct Range
    {
        size_t from = 0, to = 0;
        size_t size() const { return to - from; }
    };
    const auto rangeOf = [](const Keys &part, const TextMatch::Probe &p) {
        const int shift = 6 * (TextMatch::KeyLetters - p.letters);
        const auto lo = std::lower_bound(part.keys.cbegin(), part.keys.cend(), p.prefix << shift);
        const auto hi = std::lower_bound(lo, part.keys.cend(), (p.prefix + 1) << shift);
        return Range{size_t(lo - part.keys.cbegin()), size_t(hi - part.keys.cbegin())};
    };
    qsizetype best = -1;
    bool exact = false;
    Range inLoaded, inThisRun;
    for (qsizetype w = 0; w < words.size(); ++w) {
        const TextMatch::Probe p = TextMatch::probe(words[w]);
        if (p.letters == 0)
            continue;
        const Range l = rangeOf(m_loaded, p), t = rangeOf(m_thisRun, p);
        if (best < 0 || l.size() + t.size() < inLoaded.size() + inThisRun.size()) {
            best = w;
            exact = p.exact;
            inLoaded = l;
            inThisRun = t;
        }
    }
    if (best < 0) {
        // Only punctuation typed: every text is read.
        for (int slot = 0; slot < slotCount(); ++slot) {
            if (m_state[slot] != Gone && holdsAll(slot, words, -1))
                found(slot);
        }
        return;
    }
    const qsizetype known = exact ? best : -1;
    const auto visit = [&](int slot, State state, qsizetype skip) {
        if (m_state[slot] != state || m_seen[slot] == m_search)
            return;
        m_seen[slot] = m_search;
        if (holdsAll(slot, words, skip))
            found(slot);
    };
    for (size_t i = inLoaded.from; i < inLoaded.to; ++i)
        visit(int(m_loaded.owners[i]), Loaded, known);
    for (size_t i = inThisRun.from; i < inThisRun.to; ++i)
        visit(int(m_thisRun.owners[i]), ThisRun, known);
    for (int slot : m_waiting)
        visit(slot, Waiting, -1);
}
