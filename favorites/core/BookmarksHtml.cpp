#include "favorites/core/BookmarksHtml.h"

#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <QUrl>

namespace BookmarksHtml {

namespace {
bool isSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')
           || c == QLatin1Char('\r') || c == QLatin1Char('\f');
}

// Text as HTML shows it: each run of white space one blank, none at the ends.
// Done before references are decoded, so that "&#32;" and "&nbsp;" stay.
QString collapsed(QStringView raw)
{
    QString out;
    out.reserve(raw.size());
    bool pendingSpace = false;
    for (QChar c : raw) {
        if (isSpace(c)) {
            pendingSpace = !out.isEmpty();
            continue;
        }
        if (pendingSpace)
            out += QLatin1Char(' ');
        pendingSpace = false;
        out += c;
    }
    return out;
}

QString addressOf(const QString &href)
{
    QString a = decodeAttribute(href);
    // Line breaks and tabs are no part of an address, wherever they stand.
    a.remove(QLatin1Char('\r'));
    a.remove(QLatin1Char('\n'));
    a.remove(QLatin1Char('\t'));
    return a.trimmed();
}

bool isScript(const QString &address)
{
    return address.startsWith(QLatin1String("javascript:"), Qt::CaseInsensitive);
}

struct Tag
{
    QString name; // upper case, "/" first for an end tag
    QString href;
};

// Reads one tag at text[pos] == '<'; returns the position after its '>', or
// -1 when the text ends first.
qsizetype readTag(QStringView text, qsizetype pos, Tag *tag)
{
    qsizetype i = pos + 1;
    const qsizetype n = text.size();
    QString name;
    if (i < n && text[i] == QLatin1Char('/')) {
        name += QLatin1Char('/');
        ++i;
    }
    while (i < n && (text[i].isLetterOrNumber()))
        name += text[i++].toUpper();
    tag->name = name;
    tag->href.clear();
    while (i < n) {
        const QChar c = text[i];
        if (c == QLatin1Char('>'))
            return i + 1;
        if (isSpace(c) || c == QLatin1Char('/')) {
            ++i;
            continue;
        }
        // An attribute: a name, then perhaps "=" and a value.
        const qsizetype nameStart = i;
        while (i < n && !isSpace(text[i]) && text[i] != QLatin1Char('=') && text[i] != QLatin1Char('>'))
            ++i;
        const QStringView attribute = text.sliced(nameStart, i - nameStart);
        while (i < n && isSpace(text[i]))
            ++i;
        if (i >= n || text[i] != QLatin1Char('='))
            continue;
        ++i;
        while (i < n && isSpace(text[i]))
            ++i;
        if (i >= n)
            return -1;
        QStringView value;
        if (text[i] == QLatin1Char('"') || text[i] == QLatin1Char('\'')) {
            const qsizetype close = text.indexOf(text[i], i + 1);
            if (close < 0)
                return -1;
            value = text.sliced(i + 1, close - i - 1);
            i = close + 1;
        } else {
            const qsizetype start = i;
            while (i < n && !isSpace(text[i]) && text[i] != QLatin1Char('>'))
                ++i;
            value = text.sliced(start, i - start);
        }
        if (attribute.compare(QLatin1String("HREF"), Qt::CaseInsensitive) == 0)
            tag->href = value.toString();
    }
    return -1;
}

// Text decoded line by line: UTF-8, or Windows-1252 where a line is not,
// as old exports were written.
QString decodeBytes(const QByteArray &bytes)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    if (view.isValidUtf8())
        return QString::fromUtf8(view);
    QString text;
    text.reserve(view.size());
    while (!view.isEmpty()) {
        const qsizetype end = view.indexOf('\n');
        const QByteArrayView line = end < 0 ? view : view.first(end + 1);
        text += Favorites::decodeLine(line);
        view = view.sliced(line.size());
    }
    return text;
}

QString sameness(const QString &address)
{
    const QUrl url = QUrl::fromUserInput(address, QString(), QUrl::AssumeLocalFile);
    if (!url.isValid())
        return address;
    QUrl same = url.adjusted(QUrl::NormalizePathSegments | QUrl::StripTrailingSlash);
    // "http://a.example" and "http://a.example/" are one page.
    if (same.path() == QLatin1String("/"))
        same.setPath(QString());
    return same.toString(QUrl::FullyEncoded);
}

void appendEscaped(QByteArray &out, const QString &text, bool keepSpaces)
{
    QString e;
    e.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case '&': e += QLatin1String("&amp;"); break;
        case '<': e += QLatin1String("&lt;"); break;
        case '>': e += QLatin1String("&gt;"); break;
        case '"': e += QLatin1String("&quot;"); break;
        case '\'': e += QLatin1String("&#39;"); break;
        default:
            // A reader collapses white space; blanks that would be lost
            // (at an end, or after another) and other controls are written
            // as references, so the title reads back exactly.
            if (keepSpaces && c == QLatin1Char(' ')
                && (i == 0 || i == text.size() - 1 || text[i - 1] == QLatin1Char(' ')))
                e += QLatin1String("&#32;");
            else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                e += QStringLiteral("&#%1;").arg(c.unicode());
            else
                e += c;
        }
    }
    out += e.toUtf8();
}
} // namespace

Import parse(const QByteArray &bytes)
{
    Import result;
    const QString text = decodeBytes(bytes);
    const qsizetype n = text.size();

    QStringList folders;  // one per open list, "" for a list without a name
    QString folderName;   // the heading that names the next list
    bool inHeading = false, inAnchor = false;
    QString collected, href;
    int openLists = 0;
    bool sawList = false;

    auto finishAnchor = [&] {
        inAnchor = false;
        const QString address = addressOf(href);
        if (address.isEmpty() || address.startsWith(QLatin1String("place:"), Qt::CaseInsensitive)) {
            ++result.skippedOther;
            return;
        }
        if (isScript(address)) {
            ++result.skippedScripts;
            return;
        }
        QStringList parts;
        for (const QString &f : std::as_const(folders))
            if (!f.isEmpty())
                parts << f;
        const QString own = decodeEntities(collapsed(collected));
        if (!own.isEmpty() || parts.isEmpty())
            parts << own;
        result.entries.append({Favorites::neutraliseTitle(parts.join(QLatin1String(" - "))), address});
    };

    qsizetype pos = 0;
    while (pos < n) {
        const qsizetype lt = text.indexOf(QLatin1Char('<'), pos);
        const qsizetype textEnd = lt < 0 ? n : lt;
        if (inAnchor || inHeading)
            collected += QStringView(text).sliced(pos, textEnd - pos);
        if (lt < 0) {
            pos = n;
            break;
        }
        if (QStringView(text).sliced(lt).startsWith(QLatin1String("<!--"))) {
            const qsizetype close = text.indexOf(QLatin1String("-->"), lt + 4);
            if (close < 0) {
                result.complete = false;
                pos = n;
                break;
            }
            pos = close + 3;
            continue;
        }
        if (lt + 1 < n && text[lt + 1] == QLatin1Char('!')) {
            const qsizetype close = text.indexOf(QLatin1Char('>'), lt);
            if (close < 0) {
                result.complete = false;
                pos = n;
                break;
            }
            if (QStringView(text).sliced(lt, close - lt).contains(QLatin1String("NETSCAPE-Bookmark-file-1"),
                                                                 Qt::CaseInsensitive))
                result.recognised = true;
            pos = close + 1;
            continue;
        }
        Tag tag;
        const qsizetype after = readTag(text, lt, &tag);
        if (after < 0) {
            // Cut inside a tag: what it held is not to be trusted.
            result.complete = false;
            inAnchor = false;
            inHeading = false;
            pos = n;
            break;
        }
        pos = after;
        const QString &name = tag.name;
        if (inAnchor && (name == QLatin1String("/A") || name == QLatin1String("DT")
                         || name == QLatin1String("DL") || name == QLatin1String("/DL")
                         || name == QLatin1String("DD") || name == QLatin1String("H3")
                         || name == QLatin1String("A")))
            finishAnchor(); // an unclosed bookmark ends where the next item starts
        if (inHeading && (name == QLatin1String("/H3") || name == QLatin1String("DL")
                          || name == QLatin1String("DT") || name == QLatin1String("A"))) {
            inHeading = false;
            folderName = Favorites::neutraliseTitle(decodeEntities(collapsed(collected)));
        }
        if (name == QLatin1String("A")) {
            inAnchor = true;
            href = tag.href;
            collected.clear();
        } else if (name == QLatin1String("H3")) {
            inHeading = true;
            collected.clear();
        } else if (name == QLatin1String("DL")) {
            folders << folderName;
            folderName.clear();
            ++openLists;
            sawList = true;
        } else if (name == QLatin1String("/DL")) {
            if (!folders.isEmpty())
                folders.removeLast();
            if (openLists > 0)
                --openLists;
        }
    }
    if (inAnchor) {
        // The text ended inside a title: the address is whole, so it counts.
        finishAnchor();
        result.complete = false;
    }
    if (inHeading || openLists > 0 || !sawList)
        result.complete = false;
    return result;
}

QString Import::summary() const
{
    QString s;
    if (entries.size() == 1)
        s = QStringLiteral("1 favorite was read.");
    else
        s = QStringLiteral("%1 favorites were read.").arg(entries.size());
    QStringList left;
    if (skippedScripts == 1)
        left << QStringLiteral("1 script bookmark (javascript:) was left out");
    else if (skippedScripts > 1)
        left << QStringLiteral("%1 script bookmarks (javascript:) were left out").arg(skippedScripts);
    if (skippedOther == 1)
        left << QStringLiteral("1 entry without a web address was left out");
    else if (skippedOther > 1)
        left << QStringLiteral("%1 entries without a web address were left out").arg(skippedOther);
    if (!left.isEmpty())
        s += QLatin1Char(' ') + left.join(QLatin1String("; ")) + QLatin1Char('.');
    if (!recognised)
        s += QStringLiteral(" The file does not look like a bookmark file.");
    else if (!complete)
        s += QStringLiteral(" The file ends early: it may be cut short, and bookmarks after the "
                            "cut are missing.");
    return s;
}

QByteArray format(const QList<FavoriteEntry> &entries)
{
    QByteArray out("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                   "<!-- Favorites exported by Lumeno. Browsers import this file as bookmarks. -->\n"
                   "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
                   "<TITLE>Bookmarks</TITLE>\n"
                   "<H1>Bookmarks</H1>\n"
                   "<DL><p>\n");
    for (const FavoriteEntry &e : entries) {
        out += "    <DT><A HREF=\"";
        appendEscaped(out, e.URL, false);
        out += "\">";
        appendEscaped(out, e.Title, true);
        out += "</A>\n";
    }
    out += "</DL><p>\n";
    return out;
}

QList<FavoriteEntry> merge(const QList<FavoriteEntry> &existing, const QList<FavoriteEntry> &imported,
                           int *added)
{
    QList<FavoriteEntry> result = existing;
    QSet<QString> seen;
    for (const FavoriteEntry &e : existing)
        seen.insert(sameness(e.URL));
    int count = 0;
    for (const FavoriteEntry &e : imported) {
        const QString key = sameness(e.URL);
        if (seen.contains(key))
            continue;
        seen.insert(key);
        result.append(e);
        ++count;
    }
    if (added)
        *added = count;
    return result;
}

bool readFile(const QString &path, Import *result, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("The file \"%1\" could not be read: %2.").arg(path, f.errorString());
        return false;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("The file \"%1\" could not be read: %2.").arg(path, f.errorString());
        return false;
    }
    *result = parse(bytes);
    return true;
}

bool writeFile(const QString &path, const QList<FavoriteEntry> &entries, QString *error)
{
    QSaveFile f(path);
    const QByteArray bytes = format(entries);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        if (error)
            *error = QStringLiteral("The file \"%1\" could not be written: %2.").arg(path, f.errorString());
        return false;
    }
    return true;
}

} // namespace BookmarksHtml
