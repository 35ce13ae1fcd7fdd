// The command line: what each argument asks for, and how addresses are
// completed against real files in a directory of the test's own.
#include "shell/core/CommandLine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using CommandLine::Request;

class tst_CommandLine : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

    Request run(QStringList args) { return CommandLine::parse(QStringList{"lumeno"} + args, dir.path()); }
    QString fileUrl(const QString &name) { return QUrl::fromLocalFile(dir.filePath(name)).toString(QUrl::FullyEncoded); }
    void touch(const QString &name)
    {
        QDir().mkpath(QFileInfo(dir.filePath(name)).path());
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }

private slots:
    void initTestCase()
    {
        touch("page.html");
        touch("with blank é.html");
        touch("example.org");
        touch("-dash.html");
        touch("sub/inner.html");
    }

    void noArgumentStartsAsUsual()
    {
        const Request r = run({});
        QCOMPARE(r.action, Request::Run);
        QVERIFY(r.addresses.isEmpty());
        QVERIFY(!r.newInstance);
    }

    void addressesAreCompletedAsTheAddressBoxDoes_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("expected");
        QTest::newRow("full address") << "https://example.net/a?b=1#c" << "https://example.net/a?b=1#c";
        QTest::newRow("bare host") << "lumeno.example" << "http://lumeno.example";
        QTest::newRow("host and path") << "lumeno.example/x y" << "http://lumeno.example/x%20y";
        QTest::newRow("absolute file that is not there") << "/no/such/page.html" << "file:///no/such/page.html";
        QTest::newRow("file: address") << "file:///etc/hostname" << "file:///etc/hostname";
        QTest::newRow("relative name that is no file") << "nothere.html" << "http://nothere.html";
    }
    void addressesAreCompletedAsTheAddressBoxDoes()
    {
        QFETCH(QString, argument);
        QFETCH(QString, expected);
        const Request r = run({argument});
        QCOMPARE(r.action, Request::Run);
        QCOMPARE(r.addresses, QStringList{expected});
    }

    void existingFilesBecomeTheirFileAddress()
    {
        const Request r = run({"page.html", "with blank é.html", "sub/inner.html",
                               dir.filePath("page.html"), "./sub/../page.html"});
        QCOMPARE(r.addresses, QStringList({fileUrl("page.html"), fileUrl("with blank é.html"),
                                           fileUrl("sub/inner.html"), fileUrl("page.html"),
                                           fileUrl("page.html")}));
        // Encoded once: the address box reads it back as the same file.
        QVERIFY(r.addresses[1].contains("with%20blank%20%C3%A9.html"));
        QCOMPARE(QUrl::fromUserInput(r.addresses[1]).toLocalFile(), dir.filePath("with blank é.html"));
    }

    void aFileWinsOverAHostOfTheSameName()
    {
        QCOMPARE(run({"example.org"}).addresses, QStringList{fileUrl("example.org")});
        // From another directory the same text is a web address again.
        QCOMPARE(CommandLine::parse({"lumeno", "example.org"}, dir.filePath("sub")).addresses,
                 QStringList{"http://example.org"});
    }

    void severalAddressesKeepTheirOrder()
    {
        const Request r = run({"b.example", "--new-instance", "a.example"});
        QCOMPARE(r.addresses, QStringList({"http://b.example", "http://a.example"}));
        QVERIFY(r.newInstance);
    }

    void afterDoubleDashEverythingIsAnAddress()
    {
        const Request r = run({"--", "-dash.html", "--version"});
        QCOMPARE(r.action, Request::Run);
        QCOMPARE(r.addresses, QStringList{fileUrl("-dash.html")});
        // Taken as an address, which it is not: no version is shown either.
        QCOMPARE(r.unusable, QStringList{"--version"});
    }

    void emptyArgumentsAreSetAside()
    {
        const Request r = run({"", "  ", "a.example"});
        QCOMPARE(r.action, Request::Run);
        QCOMPARE(r.addresses, QStringList{"http://a.example"});
        QCOMPARE(r.unusable, QStringList({"", "  "}));
    }

    void helpAndVersion()
    {
        for (const char *option : {"--help", "-h"}) {
            const Request r = run({"x.example", option});
            QCOMPARE(r.action, Request::ShowHelp);
            QVERIFY2(r.text.startsWith("Usage: lumeno [options] [URL|FILE]..."), qPrintable(r.text));
            QVERIFY(r.text.contains("--new-instance"));
            // Qt's own options are accepted, not advertised.
            QVERIFY(!r.text.contains("platform"));
        }
        for (const char *option : {"--version", "-v"}) {
            const Request r = run({option});
            QCOMPARE(r.action, Request::ShowVersion);
            QCOMPARE(r.text, QString("Lumeno %1.%2\n").arg(LUMENO_VERSION_MAJOR).arg(LUMENO_VERSION_MINOR));
        }
    }

    void unknownOptionIsAUsageError()
    {
        for (const QStringList &args : {QStringList{"--frobnicate"}, QStringList{"a.example", "-x"},
                                        QStringList{"--new-instance=yes"}}) {
            const Request r = run(args);
            QCOMPARE(r.action, Request::Fail);
            QCOMPARE(r.exitCode, 2);
            QVERIFY2(r.text.startsWith("lumeno: "), qPrintable(r.text));
            QVERIFY(r.text.contains("--help"));
            QVERIFY(r.addresses.isEmpty());
        }
        QVERIFY(run({"--frobnicate"}).text.contains("frobnicate"));
    }

    void optionsForQtAndTheEngineArePassedOver()
    {
        const Request r = run({"-style", "fusion", "-platform", "offscreen", "-reverse", "a.example",
                               "--webEngineArgs", "--disable-gpu", "b.example"});
        QCOMPARE(r.action, Request::Run);
        // The values are the options', not addresses; Chromium's part is its own.
        QCOMPARE(r.addresses, QStringList{"http://a.example"});
    }
};

QTEST_APPLESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
