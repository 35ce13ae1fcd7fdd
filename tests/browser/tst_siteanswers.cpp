// The answers pages got in this run: per site and permission, per host and
// certificate error.
#include "browser/core/SiteAnswers.h"

#include <QTest>

class tst_SiteAnswers : public QObject
{
    Q_OBJECT
private slots:
    void permissionsHoldPerOriginAndKind()
    {
        SiteAnswers answers;
        const QUrl site("http://127.0.0.1:8080/page?x=1");
        QVERIFY(!answers.permission(site, PagePermission::Location).has_value());
        answers.setPermission(site, PagePermission::Location, true);
        answers.setPermission(site, PagePermission::Camera, false);
        // Any page of the same origin gets the answer.
        QCOMPARE(answers.permission(QUrl("http://127.0.0.1:8080/other"), PagePermission::Location),
                 std::optional<bool>(true));
        QCOMPARE(answers.permission(site, PagePermission::Camera), std::optional<bool>(false));
        // Another kind, port, scheme or host was not asked.
        QVERIFY(!answers.permission(site, PagePermission::Notifications).has_value());
        QVERIFY(!answers.permission(QUrl("http://127.0.0.1:8081/"), PagePermission::Location).has_value());
        QVERIFY(!answers.permission(QUrl("https://127.0.0.1:8080/"), PagePermission::Location).has_value());
        QVERIFY(!answers.permission(QUrl("http://localhost:8080/"), PagePermission::Location).has_value());
        // A later answer replaces the earlier one.
        answers.setPermission(site, PagePermission::Location, false);
        QCOMPARE(answers.permission(site, PagePermission::Location), std::optional<bool>(false));
    }

    void defaultPortsAreTheSameOrigin()
    {
        SiteAnswers answers;
        answers.setPermission(QUrl("https://Example.org/"), PagePermission::Screen, true);
        QCOMPARE(answers.permission(QUrl("https://example.org:443/a"), PagePermission::Screen),
                 std::optional<bool>(true));
        QVERIFY(!answers.permission(QUrl("http://example.org/"), PagePermission::Screen).has_value());
    }

    void certificatesHoldPerHostAndError()
    {
        SiteAnswers answers;
        QVERIFY(!answers.certificateAllowed("example.org", -202));
        answers.allowCertificate("Example.org", -202);
        QVERIFY(answers.certificateAllowed("example.org", -202));
        QVERIFY(!answers.certificateAllowed("example.org", -201));
        QVERIFY(!answers.certificateAllowed("www.example.org", -202));
    }

    void siteNames_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<QString>("name");
        QTest::newRow("usual port") << QUrl("https://example.org/path") << "example.org";
        QTest::newRow("explicit usual port") << QUrl("http://example.org:80/") << "example.org";
        QTest::newRow("other port") << QUrl("http://127.0.0.1:8080/") << "127.0.0.1:8080";
        QTest::newRow("no credentials shown") << QUrl("http://user:pw@example.org/") << "example.org";
    }
    void siteNames()
    {
        QFETCH(QUrl, url);
        QFETCH(QString, name);
        QCOMPARE(SiteAnswers::siteName(url), name);
    }
};

QTEST_GUILESS_MAIN(tst_SiteAnswers)
#include "tst_siteanswers.moc"
