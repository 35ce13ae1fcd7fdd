#pragma once
// How typed words are found in addresses and titles. Both sides are folded
// the same way first (compatibility forms, accents dropped, case folded) and
// kept as UTF-8, which halves the memory of a large history over UTF-16.
//
// A typed word matches where it begins a word of the text: "wiki" finds
// "Wikipedia" and "en.wikipedia.org", "pedia" does not. With a hundred
// thousand pages, fragments inside words ("in", "at") would match nearly
// everything and crowd out the page meant; people type the beginning of what
// they remember. A typed word that begins with punctuation (".org", "/docs")
// delimits itself and may match anywhere.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QStringView>

namespace TextMatch {

// Text as it is compared.
QByteArray fold(QStringView text);
// The words of typed text, folded; white space separates them.
QList<QByteArray> words(QStringView typed);
// Text without a leading "scheme://".
QStringView withoutScheme(QStringView text);
// Text without a leading "scheme://" and "www.", which nearly every address
// shares and so tell nothing about which one is meant.
QStringView withoutSchemeAndWww(QStringView text);

// Whether a word begins at byte `at` of folded text: a letter or digit after
// anything else, or any character of a script written without spaces
// (Chinese, Japanese, Thai...), where every character may begin a word.
bool beginsWord(QByteArrayView folded, qsizetype at);
// Whether a folded word occurs in folded text as the rule above says.
bool contains(QByteArrayView folded, QByteArrayView word);

// The index's key of a word: its first ten letters and digits, six bits each,
// first letter highest, so that keys sharing a beginning sort together. Ten
// letters hold most words whole ("wikipedia"), which then need no reading of
// the texts they were found in. Letters outside ASCII share codes, so such a
// key finds a few too many, never too few.
constexpr int KeyLetters = 10;
// The key of the word beginning at byte `at` (0 for none).
quint64 keyAt(QByteArrayView folded, qsizetype at);
// The keys of every word of folded text, each once, sorted.
QList<quint64> keys(QByteArrayView folded);

// What the index can tell about one typed word: the key of its first
// letters, after any punctuation it begins with.
struct Probe
{
    quint64 prefix = 0; // the key's leading bits the word fixes
    int letters = 0;    // how many letters they hold; 0: nothing to look up
    bool exact = false; // a key found is a match; no need to read the text
};
Probe probe(QByteArrayView word);

} // namespace TextMatch
