#pragma once
// Finds, among many folded texts, those in which every typed word begins a
// word (TextMatch), without reading them all: a sorted list of the key of
// every word of every text (its first letters) narrows a search to the texts
// with a word that begins like the rarest typed word, and only those are read.
//
// Three parts: the keys sorted when the history was loaded, the keys of the
// texts added or changed since (sorted, merged into now and then), and the
// last few texts changed, read whole at each search until MergeAfter of them
// wait. A change then costs at most a merge with this run's keys, never with
// the whole history's, on the thread that types.
#include "history/core/TextMatch.h"

#include <QByteArray>
#include <QList>

#include <functional>
#include <vector>

class WordIndex
{
public:
    void reserve(int texts);
    // A new text; returns its slot, counted from 0.
    int add(const QByteArray &folded);
    void replace(int slot, const QByteArray &folded);
    void remove(int slot);
    void clear();
    // Sorts every key into the loaded part: once, after a load.
    void settle();
    // Merges the waiting texts into the part of this run: when mergeDue().
    void merge();
    bool mergeDue() const { return m_waiting.size() >= MergeAfter; }
    static constexpr size_t MergeAfter = 1024;

    int slotCount() const { return int(m_texts.size()); }
    const QByteArray &text(int slot) const { return m_texts[slot]; }

    // Calls `found` once for each live slot whose text holds every word.
    // No words: nothing is found.
    void find(const QList<QByteArray> &words, const std::function<void(int)> &found) const;

private:
    // Where a slot's current keys are.
    enum State : quint8 { Loaded, ThisRun, Waiting, Gone };
    // The key of every word of every text (TextMatch::keys), in order, and
    // the slot of the text it belongs to. A slot whose state is not the
    // part's keeps stale entries here, passed over until a merge.
    struct Keys
    {
        std::vector<quint64> keys;
        std::vector<quint32> owners;
    };
    // Part `into` and the waiting texts, without stale entries, as one.
    void mergeInto(Keys &into, State state, const Keys *also);
    bool holdsAll(int slot, const QList<QByteArray> &words, qsizetype known) const;

    QList<QByteArray> m_texts;
    std::vector<State> m_state;
    Keys m_loaded, m_thisRun;
    std::vector<int> m_waiting;
    // Marks slots already seen in one search.
    mutable std::vector<quint32> m_seen;
    mutable quint32 m_search = 0;
};
