#include "history/core/TextMatch.h"

#include <QChar>
#include <QString>

#include <algorithm>

namespace TextMatch {

namespace {

// Folded text is valid UTF-8, made by QString::toUtf8.
char32_t decodeAt(QByteArrayView s, qsizetype at, qsizetype *length = nullptr)
{
    const uchar c = uchar(s[at]);
    int n = c < 0x80 ? 1 : c < 0xe0 ? 2 : c < 0xf0 ? 3 : 4;
    n = int(qMin<qsizetype>(n, s.size() - at));
    char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1f) : n == 3 ? (c & 0x0f) : (c & 0x07);
    for (int i = 1; i < n; ++i)
        cp = (cp << 6) | (uchar(s[at + i]) & 0x3f);
    if (length)
        *length = n;
    return cp;
}

char32_t decodeBefore(QByteArrayView s, qsizetype at)
{
    qsizetype start = at - 1;
    while (start > 0 && (uchar(s[start]) & 0xc0) == 0x80)
        --start;
    return decodeAt(s, start);
}

bool isLetterOrDigit(char32_t cp)
{
    if (cp < 0x80)
        return (cp >= 'a' && cp <= 'z') || (cp >= '0' && cp <= '9') || (cp >= 'A' && cp <= 'Z');
    return QChar::isLetterOrNumber(cp);
}

// Letters, digits and the marks that belong to them make up words.
bool isWordCharacter(char32_t cp)
{
    return isLetterOrDigit(cp) || (cp >= 0x80 && QChar::isMark(cp));
}

bool writtenWithoutSpaces(char32_t cp)
{
    if (cp < 0x0e00)
        return false;
    switch (QChar::script(cp)) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Thai:
    case QChar::Script_Lao:
    case QChar::Script_Khmer:
    case QChar::Script_Myanmar:
        return true;
    default:
        return false;
    }
}

// Six bits a letter; 0 ends a key.
quint64 code(char32_t cp)
{
    if (cp >= '0' && cp <= '9')
        return 1 + (cp - '0');
    if (cp >= 'a' && cp <= 'z')
        return 11 + (cp - 'a');
    return 37 + cp % 27;
}

} // namespace

QByteArray fold(QStringView text)
{
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
        QByteArray out(text.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char c = char(text[i].unicode());
            out[i] = c >= 'A' && c <= 'Z' ? char(c + 32) : c;
        }
        return out;
    }
    // "é" and "e" alike, full-width and ligature forms as their plain letters.
    QString s = text.toString().normalized(QString::NormalizationForm_KD);
    s.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
    return s.toCaseFolded().toUtf8();
}

QList<QByteArray> words(QStringView typed)
{
    QList<QByteArray> out;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= typed.size(); ++i) {
        const bool space = i == typed.size() || typed[i].isSpace();
        if (space && start >= 0) {
            out.append(fold(typed.mid(start, i - start)));
            start = -1;
        } else if (!space && start < 0) {
            start = i;
        }
    }
    return out;
}

QStringView withoutScheme(QStringView text)
{
    const qsizetype mark = text.indexOf(QLatin1String("://"));
    if (mark > 0) {
        bool scheme = text[0].isLetter() && text[0].unicode() < 0x80;
        for (qsizetype i = 1; scheme && i < mark; ++i) {
            const char16_t c = text[i].unicode();
            scheme = c < 0x80 && (QChar(c).isLetterOrNumber() || c == '+' || c == '-' || c == '.');
        }
        if (scheme)
            text = text.mid(mark + 3);
    }
    return text;
}

QStringView withoutSchemeAndWww(QStringView text)
{
    text = withoutScheme(text);
    if (text.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        text = text.mid(4);
    return text;
}

bool beginsWord(QByteArrayView folded, qsizetype at)
{
    if (at < 0 || at >= folded.size())
        return false;
    const char32_t cp = decodeAt(folded, at);
    if (!isLetterOrDigit(cp))
        return false;
    return at == 0 || !isWordCharacter(decodeBefore(folded, at)) || writtenWithoutSpaces(cp);
}

bool contains(QByteArrayView folded, QByteArrayView word)
{
    if (word.isEmpty())
        return true;
    const bool anywhere = !isLetterOrDigit(decodeAt(word, 0));
    for (qsizetype at = folded.indexOf(word); at >= 0; at = folded.indexOf(word, at + 1)) {
        if (anywhere || beginsWord(folded, at))
            return true;
    }
    return false;
}

quint64 keyAt(QByteArrayView folded, qsizetype at)
{
    quint64 key = 0;
    int letters = 0;
    while (at < folded.size() && letters < KeyLetters) {
        qsizetype length = 1;
        const char32_t cp = decodeAt(folded, at, &length);
        if (!isLetterOrDigit(cp))
            break;
        key |= code(cp) << (6 * (KeyLetters - 1 - letters));
        ++letters;
        at += length;
    }
    return key;
}

QList<quint64> keys(QByteArrayView folded)
{
    QList<quint64> out;
    if (std::all_of(folded.begin(), folded.end(), [](char c) { return uchar(c) < 0x80; })) {
        // Most addresses and many titles: one pass over the bytes.
        const auto isWord = [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); };
        for (qsizetype at = 0; at < folded.size(); ++at) {
            if (!isWord(folded[at]) || (at > 0 && isWord(folded[at - 1])))
                continue;
            quint64 key = 0;
            for (int i = 0; i < KeyLetters && at + i < folded.size() && isWord(folded[at + i]); ++i)
                key |= code(uchar(folded[at + i])) << (6 * (KeyLetters - 1 - i));
            out.append(key);
        }
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
        return out;
    }
    bool inWord = false;
    qsizetype length = 1;
    for (qsizetype at = 0; at < folded.size(); at += length) {
        const char32_t cp = decodeAt(folded, at, &length);
        if (isLetterOrDigit(cp) && (!inWord || writtenWithoutSpaces(cp)))
            out.append(keyAt(folded, at));
        inWord = isWordCharacter(cp);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

Probe probe(QByteArrayView word)
{
    Probe p;
    qsizetype at = 0;
    // ".org", "/docs": where the word is found, its letters begin a word of
    // the text, after the punctuation typed before them.
    while (at < word.size()) {
        qsizetype length = 1;
        if (isWordCharacter(decodeAt(word, at, &length)))
            break;
        at += length;
    }
    const bool punctuated = at > 0;
    bool ascii = true;
    while (at < word.size() && p.letters < KeyLetters) {
        qsizetype length = 1;
        const char32_t cp = decodeAt(word, at, &length);
        if (!isLetterOrDigit(cp))
            break;
        ascii = ascii && cp < 0x80;
        p.prefix = (p.prefix << 6) | code(cp);
        ++p.letters;
        at += length;
    }
    p.exact = p.letters > 0 && !punctuated && ascii && at == word.size();
    return p;
}

} // namespace TextMatch
