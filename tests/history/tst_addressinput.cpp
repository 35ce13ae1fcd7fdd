// What typed text means: an address (completed as before), or words to search
// for with the search template, with "http://word/" as a guess for one word.
#include "history/core/AddressInput.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

using AddressInput::Meaning;

class tst_AddressInput : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QFile page(dir.filePath("My page.html"));
        QVERIFY(page.open(QIODevice::WriteOnly));
    }

    void interpret_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("result"); // the address, or the search terms
        QTest::addColumn<QString>("guess");
        const int A = Meaning::Address, S = Meaning::Search, N = Meaning::Nothing;
        const QString file = QUrl::fromLocalFile(dir.filePath("My page.html")).toString(QUrl::FullyEncoded);

        QTest::newRow("bare host, completed as before") << "example.org" << A << "http://example.org" << "";
        QTest::newRow("blanks around") << "  example.org/a?b=1#c \t" << A << "http://example.org/a?b=1#c" << "";
        QTest::newRow("scheme") << "https://Example.ORG/Path" << A << "https://example.org/Path" << "";
        QTest::newRow("scheme, blank in path") << "http://example.org/a b" << A << "http://example.org/a%20b" << "";
        QTest::newRow("localhost") << "localhost" << A << "http://localhost" << "";
        QTest::newRow("localhost:port") << "localhost:8080/x" << A << "http://localhost:8080/x" << "";
        QTest::newRow("any host with a port") << "intranet:3000" << A << "http://intranet:3000" << "";
        QTest::newRow("host:port/path") << "example.org:8080/x" << A << "http://example.org:8080/x" << "";
        QTest::newRow("IPv4") << "192.168.1.1" << A << "http://192.168.1.1" << "";
        QTest::newRow("IPv6") << "[::1]" << A << "http://[::1]" << "";
        QTest::newRow("IPv6 with port") << "[::1]:8080/x" << A << "http://[::1]:8080/x" << "";
        QTest::newRow("international name") << "bücher.example" << A << "http://xn--bcher-kva.example" << "";
        QTest::newRow("about:blank") << "about:blank" << A << "about:blank" << "";
        QTest::newRow("file: address") << "file:///etc/hosts" << A << "file:///etc/hosts" << "";
        QTest::newRow("mailto") << "mailto:bob@example.org" << A << "mailto:bob@example.org" << "";
        QTest::newRow("existing file with a blank") << dir.filePath("My page.html") << A << file << "";
        QTest::newRow("existing folder") << "/" << A << "file:///" << "";

        QTest::newRow("two words") << "lumeno browser" << S << "lumeno browser" << "";
        QTest::newRow("words with a dot") << "example.org is down" << S << "example.org is down" << "";
        QTest::newRow("one word") << "intranet" << S << "intranet" << "http://intranet/";
        QTest::newRow("one word and a path") << "wiki/Start" << S << "wiki/Start" << "http://wiki/Start";
        QTest::newRow("a number is no host") << "3.14" << S << "3.14" << "";
        QTest::newRow("digits only") << "42" << S << "42" << "";
        QTest::newRow("not a name") << "c++" << S << "c++" << "";
        QTest::newRow("abbreviation") << "e.g." << S << "e.g." << "";
        QTest::newRow("e-mail address") << "bob@example.org" << S << "bob@example.org" << "";
        QTest::newRow("colon and a blank") << "define: frecency" << S << "define: frecency" << "";
        QTest::newRow("file that does not exist") << "/no/such/file" << S << "/no/such/file" << "";
        QTest::newRow("bad port") << "example.org:99999" << S << "example.org:99999" << "";
        QTest::newRow("question mark forces a search") << "? example.org" << S << "example.org" << "";
        QTest::newRow("nothing") << "  " << N << "" << "";
        QTest::newRow("question mark alone") << "?" << N << "" << "";
    }
    void interpret()
    {
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(QString, result);
        QFETCH(QString, guess);
        const Meaning m = AddressInput::interpret(text);
        QCOMPARE(int(m.kind), kind);
        if (kind == Meaning::Address) {
            QCOMPARE(m.address.toString(QUrl::FullyEncoded), result);
            QVERIFY(m.terms.isEmpty());
        } else {
            QCOMPARE(m.terms, result);
            QVERIFY(m.address.isEmpty());
        }
        QCOMPARE(m.hostGuess.toString(), guess);
        // A paste of the whole text gets no suggestions exactly when it is
        // one address.
        QCOMPARE(AddressInput::isWholeAddress(text), kind == Meaning::Address && !text.trimmed().contains(' '));
    }

    void searchAddress_data()
    {
        QTest::addColumn<QString>("searchTemplate");
        QTest::addColumn<QString>("terms");
        QTest::addColumn<QByteArray>("address");
        const QString ddg = AddressInput::defaultSearchTemplate();
        QTest::newRow("blanks, &, %, +, non-ASCII")
            << ddg << "a b&c%d+e é 東京"
            << QByteArray("https://duckduckgo.com/?q=a%20b%26c%25d%2Be%20%C3%A9%20%E6%9D%B1%E4%BA%AC");
        QTest::newRow("a parameter after the words")
            << "https://search.example/find?q=%s&lang=en" << "x=1#y"
            << QByteArray("https://search.example/find?q=x%3D1%23y&lang=en");
        QTest::newRow("%s twice, in the path too")
            << "http://s.example/%s/?q=%s" << "a/b c" << QByteArray("http://s.example/a%2Fb%20c/?q=a%2Fb%20c");
        QTest::newRow("no %s: the default")
            << "https://search.example/" << "a b" << QByteArray("https://duckduckgo.com/?q=a%20b");
        QTest::newRow("a script is no template")
            << "javascript:alert('%s')" << "a" << QByteArray("https://duckduckgo.com/?q=a");
        QTest::newRow("empty template") << "" << "a" << QByteArray("https://duckduckgo.com/?q=a");
    }
    void searchAddress()
    {
        QFETCH(QString, searchTemplate);
        QFETCH(QString, terms);
        QFETCH(QByteArray, address);
        const QUrl url = AddressInput::searchAddress(searchTemplate, terms);
        QVERIFY(url.isValid());
        QCOMPARE(url.toEncoded(), address);
        // What the search engine reads back is the words as typed.
        if (url.host() == QLatin1String("duckduckgo.com"))
            QCOMPARE(QUrlQuery(url).queryItemValue("q", QUrl::FullyDecoded), terms);
    }
};

QTEST_GUILESS_MAIN(tst_AddressInput)
#include "tst_addressinput.moc"
