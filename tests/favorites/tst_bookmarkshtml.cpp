// Bookmark files in and out: files as browsers write them, cut short,
// mangled, and written by us and read back.
#include "favorites/core/BookmarksHtml.h"
#include "support/FileSizeLimit.h"
#include "support/Files.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>


using namespace BookmarksHtml;

namespace {
// As browsers export them: a toolbar folder, nested folders, descriptions,
// icons, a quoted ">" in an attribute, upper- and lower-case tags.
const QByteArray Sample = R"BM(<!DOCTYPE NETSCAPE-Bookmark-file-1>
<!-- This is an automatically generated file.
     It will be read and overwritten.
     DO NOT EDIT! -->
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
<TITLE>Bookmarks</TITLE>
<H1>Bookmarks</H1>
<DL><p>
    <DT><H3 ADD_DATE="1700000000" PERSONAL_TOOLBAR_FOLDER="true">Bookmarks bar</H3>
    <DL><p>
        <DT><A HREF="https://news.example/?a=1&amp;b=2" ADD_DATE="1700000001" ICON="data:image/png;base64,iVBOR=">News &amp; weather</A>
        <DT><H3>Work</H3>
        <DL><p>
            <DT><A HREF="https://wiki.example/Caf%C3%A9" TAGS="a>b">Café – “notes”</A>
            <DD>A description that is no part of the title
            <DT><H3>Deep &lt;er&gt;</H3>
            <DL><p>
                <DT><a href='http://deep.example/'>  Deep
                   down  </a>
            </DL><p>
        </DL><p>
        <DT><A HREF="javascript:alert(document.cookie)">Bookmarklet</A>
        <DT><A HREF=" JavaScript:void(0)">Another one</A>
    </DL><p>
    <DT><A HREF="place:sort=8&maxResults=10">Most Visited</A>
    <DT><A HREF="http://top.example/">Top | level || with &#124;&#124; and &#x263A; &#9731; &quot;q&quot; &#39;s&#39; a&nbsp;b</A>
    <DT><A HREF="http://lines.example/a
b">Line
break</A>
    <DT><A>No address</A>
    <DT><A HREF="http://untitled.example/"></A>
</DL><p>
)BM";

const QList<FavoriteEntry> SampleEntries = {
    {"Bookmarks bar - News & weather", "https://news.example/?a=1&b=2"},
    {"Bookmarks bar - Work - Café – “notes”", "https://wiki.example/Caf%C3%A9"},
    {"Bookmarks bar - Work - Deep <er> - Deep down", "http://deep.example/"},
    {"Top | level | with | and ☺ ☃ \"q\" 's' a\u00A0b", "http://top.example/"},
    {"Line break", "http://lines.example/ab"},
    {"", "http://untitled.example/"},
};

QString listing(const QList<FavoriteEntry> &entries)
{
    QStringList lines;
    for (const FavoriteEntry &e : entries)
        lines << e.Title + " => " + e.URL;
    return lines.join('\n');
}
} // namespace

class tst_BookmarksHtml : public QObject
{
    Q_OBJECT

private slots:
    void readsWhatBrowsersWrite()
    {
        const Import in = parse(Sample);
        QCOMPARE(listing(in.entries), listing(SampleEntries));
        QCOMPARE(in.skippedScripts, 2);
        QCOMPARE(in.skippedOther, 2); // the place: query and the anchor without an address
        QVERIFY(in.recognised);
        QVERIFY(in.complete);
        QVERIFY2(in.summary().contains("6 favorites were read")
                     && in.summary().contains("2 script bookmarks"),
                 qPrintable(in.summary()));
        QVERIFY(!in.summary().contains("ends early"));
    }

    void oldFilesInWindows1252()
    {
        const QByteArray bytes = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<DL><p>\r\n"
                                 "<DT><A HREF=\"http://old.example/\">Caf\xe9 \x80 \x96 old</A>\r\n"
                                 "</DL><p>\r\n";
        const Import in = parse(bytes);
        QCOMPARE(in.entries.size(), 1);
        QCOMPARE(in.entries[0].Title, QString("Café € – old"));
        QVERIFY(in.complete);
        // A byte-order mark is not part of the text.
        QCOMPARE(parse("\xEF\xBB\xBF" + Sample).entries, SampleEntries);
    }

    void characterReferences_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("decoded");
        QTest::newRow("named") << "&amp;&lt;&gt;&quot;&apos;&nbsp;" << "&<>\"'\u00A0";
        QTest::newRow("named, all of HTML's")
            << "&eacute;&mdash;&hellip;&copy;&euro;&CounterClockwiseContourIntegral;&NotNestedGreaterGreater;"
            << "\u00E9\u2014\u2026\u00A9\u20AC\u2233\u2AA2\u0338";
        // The old names HTML still reads without their semicolon, the longest
        // that fits; the newer ones need it.
        QTest::newRow("no semicolon, old names") << "caf&eacute au lait &copy 2024 &amp co &nbspx &notit; &notin;"
                                                 << "caf\u00E9 au lait \u00A9 2024 & co \u00A0x \u00ACit; \u2209";
        QTest::newRow("no semicolon, newer names") << "&hellip &mdash &Eacute" << "&hellip &mdash \u00C9";
        QTest::newRow("decoded once") << "&amp;lt;" << "&lt;";
        QTest::newRow("decimal and hex") << "&#39;&#x41;&#X42;&#233;&#xe9;" << "'AB\u00E9\u00E9";
        QTest::newRow("beyond 16 bits") << "&#x1F600;&#128512;" << "\U0001F600\U0001F600";
        QTest::newRow("numbers without semicolon") << "&#65 &#x42x &#233." << "A Bx \u00E9.";
        QTest::newRow("nothing, surrogate, beyond") << "&#0;&#xD800;&#x110000;&#99999999999;"
                                                    << "\uFFFD\uFFFD\uFFFD\uFFFD";
        // As HTML reads them: the bytes of the old Windows code page.
        QTest::newRow("128 to 159") << "&#128;&#x96;&#159;" << "\u20AC\u2013\u0178";
        QTest::newRow("left as written") << "&#; &#xZZ; & ; &bogus; &;&" << "&#; &#xZZ; & ; &bogus; &;&";
        QTest::newRow("NUL characters stay") << QStringLiteral("a\0&lt;\0b &") << QStringLiteral("a\0<\0b &");
    }
    void characterReferences()
    {
        QFETCH(QString, text);
        QFETCH(QString, decoded);
        QCOMPARE(decodeEntities(text), decoded);
    }

    // In an address, "&para=2" is the query's next field: HTML decodes an
    // old name without its semicolon in an attribute only where no letter,
    // digit or "=" follows, and titles are text, where it always does.
    void addressesAreReadAsAttributesAndTitlesAsText()
    {
        const Import in = parse("<!DOCTYPE NETSCAPE-Bookmark-file-1><DL><p>\n"
                                "<DT><A HREF=\"http://q.example/?a=1&para=2&copy=3&amp;b=&eacute;&notx&lt\">"
                                "T&eacute;l&eacute &mdash; caf&#xE9; &notx</A>\n</DL><p>\n");
        QCOMPARE(listing(in.entries),
                 QString("T\u00E9l\u00E9 \u2014 caf\u00E9 \u00ACx => http://q.example/?a=1&para=2&copy=3&b=\u00E9&notx<"));
    }

    void everyCutIsReadAsFarAsItGoes()
    {
        const QList<FavoriteEntry> full = parse(Sample).entries;
        const qsizetype end = Sample.lastIndexOf("</DL>");
        for (qsizetype cut = 0; cut < Sample.size(); ++cut) {
            const Import in = parse(Sample.left(cut));
            QVERIFY2(in.entries.size() <= full.size(), qPrintable(QString::number(cut)));
            // Never an address cut short, never one out of order; only the
            // title of the last one may be.
            for (qsizetype i = 0; i < in.entries.size(); ++i) {
                QCOMPARE(in.entries[i].URL, full[i].URL);
                if (i + 1 < in.entries.size())
                    QCOMPARE(in.entries[i].Title, full[i].Title);
            }
            if (cut <= end)
                QVERIFY2(!in.complete, qPrintable(QString::number(cut)));
        }
        // Cut inside a folder's name: the bookmark before it is read, and
        // the summary says the file ends early.
        const Import inHeading = parse(Sample.left(Sample.indexOf("Work</H3>")));
        QCOMPARE(listing(inHeading.entries), listing(SampleEntries.first(1)));
        QVERIFY2(inHeading.summary().startsWith("1 favorite was read.")
                     && inHeading.summary().contains("ends early"),
                 qPrintable(inHeading.summary()));
        QVERIFY(parse(Sample.left(end)).summary().contains("ends early"));
    }

    void mangledInputNeverCrashes()
    {
        // Cuts, doubled and dropped pieces, stray markup characters and
        // random bytes, from a fixed seed so that a failure comes back.
        QRandomGenerator random(20240601);
        const char pieces[] = "<>\"'&;/=! \n#x";
        for (int round = 0; round < 3000; ++round) {
            QByteArray bytes = Sample;
            const int edits = 1 + int(random.bounded(12));
            for (int e = 0; e < edits && !bytes.isEmpty(); ++e) {
                const qsizetype at = random.bounded(bytes.size());
                switch (random.bounded(4)) {
                case 0: bytes.remove(at, random.bounded(40)); break;
                case 1: bytes.insert(at, pieces[random.bounded(int(sizeof pieces - 1))]); break;
                case 2: bytes.insert(at, bytes.mid(random.bounded(bytes.size()), random.bounded(60))); break;
                default: bytes[at] = char(random.bounded(256)); break;
                }
            }
            const Import in = parse(bytes);
            for (const FavoriteEntry &f : in.entries) {
                QVERIFY(!f.URL.isEmpty());
                QVERIFY(!f.URL.contains('\n') && !f.Title.contains('\n') && !f.Title.contains("||"));
                QVERIFY(!f.URL.startsWith("javascript:", Qt::CaseInsensitive));
            }
        }
        QCOMPARE(parse(QByteArray()).entries.size(), 0);
        QVERIFY(!parse("just text, no bookmarks").recognised);
    }

    void writtenFileReadsBackTheSame()
    {
        QList<FavoriteEntry> entries = {
            {"Plain", "http://a.example/"},
            {"Q&A <b>bold</b> \"quoted\" 'single'", "http://b.example/?x=1&y=<2>&z=\"3\"&w='4'"},
            {"  spaced  out  ", "http://c.example/a b"},
            {"tab\there", "https://d.example/"},
            {"Ünïcødé ☃ \U0001F600 a\u00A0b | bar", "file:///tmp/caf%C3%A9.html"},
            {"", "http://untitled.example/"},
            {"&amp; stays as typed", "http://e.example/&amp;"},
        };
        const QByteArray bytes = format(entries);
        QVERIFY(bytes.startsWith("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"));
        QVERIFY(bytes.contains("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">"));
        QVERIFY(QByteArrayView(bytes).isValidUtf8());
        QVERIFY(!bytes.contains("<b>"));
        const Import in = parse(bytes);
        QCOMPARE(listing(in.entries), listing(entries));
        QVERIFY(in.recognised && in.complete);

        // The same for random titles and addresses, mended as favorites are.
        QRandomGenerator random(7);
        const QString alphabet = QStringLiteral("ab Z|&<>\"'; \t#=é☃\u00A0/-");
        QList<FavoriteEntry> many;
        for (int i = 0; i < 500; ++i) {
            QString title, path;
            for (int k = random.bounded(30); k > 0; --k)
                title += alphabet[random.bounded(alphabet.size())];
            for (int k = random.bounded(20); k > 0; --k)
                path += alphabet[random.bounded(alphabet.size())];
            many.append({Favorites::neutraliseTitle(title),
                         QString("http://r%1.example/").arg(i) + path.remove('\t').trimmed()});
        }
        QCOMPARE(listing(parse(format(many)).entries), listing(many));
    }

    void mergeAppendsOnlyNewAddresses()
    {
        const QList<FavoriteEntry> existing = {{"Mine", "example.org"}, {"Other", "http://b.example/x"}};
        const QList<FavoriteEntry> imported = {
            {"Same page", "http://example.org/"},
            {"New", "https://c.example/"},
            {"New again", "https://c.example"},
            {"Same path", "http://b.example/./x"},
            {"Second new", "http://d.example/"},
        };
        int added = -1;
        const QList<FavoriteEntry> merged = merge(existing, imported, &added);
        QCOMPARE(added, 2);
        QCOMPARE(listing(merged), listing({{"Mine", "example.org"}, {"Other", "http://b.example/x"},
                                           {"New", "https://c.example/"},
                                           {"Second new", "http://d.example/"}}));
        QCOMPARE(merge(merged, imported, &added), merged);
        QCOMPARE(added, 0);
    }

    void filesReadAndWritten()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("bookmarks.html");
        QString error;
        Import in;
        QVERIFY(!readFile(dir.filePath("missing.html"), &in, &error));
        QVERIFY(error.contains(dir.filePath("missing.html")));

        QVERIFY(writeFile(path, SampleEntries, &error));
        QVERIFY(readFile(path, &in, &error));
        QCOMPARE(in.entries, SampleEntries);

        // A write that cannot finish reports the path and leaves the old
        // bytes; a limit on file sizes stops it even for root.
        const QByteArray before = bytesOf(path);
        error.clear();
        bool wrote = true;
        {
            const FileSizeLimit limit(4096);
            QVERIFY(limit.isSet());
            wrote = writeFile(path, {{QString(100000, 'x'), "http://big.example/"}}, &error);
        }
        QVERIFY(!wrote);
        QVERIFY2(error.contains(path), qPrintable(error));
        QCOMPARE(bytesOf(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
};

QTEST_APPLESS_MAIN(tst_BookmarksHtml)
#include "tst_bookmarkshtml.moc"
