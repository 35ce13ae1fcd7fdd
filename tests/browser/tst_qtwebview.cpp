// The real page view on Qt WebEngine, against pages served on 127.0.0.1.
#include "browser/engine/PageQuestions.h"
#include "browser/engine/PageAddresses.h"
#include "browser/engine/QtWebView.h"
#include "browser/ui/PromptArea.h"
#include "browser/ui/PermissionBar.h"
#include "browser/engine/QtWebViewFactory.h"
#include "browser/ui/frmBrowser.h"
#include "favorites/core/FavoritesFile.h"
#include "shell/core/Module1.h"
#include "shell/ui/StatusBar.h"
#include "shell/ui/frmMain.h"
#include "support/EngineTest.h"
#include "support/FakeDialogs.h"
#include "support/MemorySettingsStore.h"
#include "support/TestServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <memory>
#include <csignal>
#include <unistd.h>

class tst_QtWebView : public QObject
{
    Q_OBJECT
    QTemporaryDir favoritesDir;

public:
    static void initMain() { prepareEngineTest(); }

private:
    TestServer server;
    QWebEngineProfile *profile = nullptr;
    MemorySettingsStore store;
    FakeDialogs dialogs;
    std::unique_ptr<QtWebViewFactory> views;

    void setHome(const QString &url)
    {
        store.values.insert("Lumeno2/Internet/HomePage", url);
    }

private slots:
    void initTestCase()
    {
        // Off the record: nothing a test does reaches the disk.
        profile = new QWebEngineProfile(this);
        QVERIFY(profile->isOffTheRecord());
        views = std::make_unique<QtWebViewFactory>(profile, store, dialogs);
        server.page("/page", "<html><head><title>Served page</title></head><body>hello</body></html>");
        server.page("/second", "<html><head><title>Second page</title></head><body>2</body></html>");
        server.page("/untitled", "<html><body>no title here</body></html>");
        server.page("/ask", "<html><head><title>asks</title></head><body><script>"
                            "navigator.geolocation.getCurrentPosition(function(){document.title='granted'},"
                            "function(){document.title='denied'});</script></body></html>");
    }
    void cleanupTestCase()
    {
        views.reset();
        delete profile;
    }
    void init()
    {
        store.values.clear();
        Module1::resetSharedState();
        Favorites::setProgramDirectory(favoritesDir.path());
    }

    void homePageSettingIsHonoured()
    {
        setHome(server.url("/page").toString());
        auto view = newView(*views, nullptr, QSize(400, 300));
        QSignalSpy before(view.get(), &WebView::BeforeNavigate2);
        QSignalSpy done(view.get(), &WebView::DocumentComplete);
        view->GoHome();
        QVERIFY(done.wait(20000));
        QCOMPARE(view->LocationURL(), server.url("/page").toString());
        QCOMPARE(view->DocumentTitle(), QString("Served page"));
        QVERIFY(!before.isEmpty());
        QCOMPARE(before.first().first().toString(), server.url("/page").toString());
        QVERIFY(server.requests.contains("/page"));
    }

    void builtInStartPageWhenNoneIsSet()
    {
        auto view = newView(*views, nullptr, QSize(400, 300));
        QSignalSpy done(view.get(), &WebView::DocumentComplete);
        view->GoHome();
        QVERIFY(done.wait(20000));
        QCOMPARE(view->engineView()->url(), QUrl(PageAddresses::startPage()));
        // The program's own page has no address to show.
        QCOMPARE(view->LocationURL(), QString());
        QCOMPARE(view->DocumentTitle(), QString("Lumeno 2.0"));
    }

    // A home page that is no web address, or longer than the engine takes,
    // would run or show outside any page: the start page stands in for it.
    void homePageThatIsNoWebAddressGivesTheStartPage_data()
    {
        QTest::addColumn<QString>("home");
        QTest::newRow("javascript:") << "javascript:location.href='" + server.url("/ran").toString()
                                            + "';void(0)";
        QTest::newRow("3 MB long") << server.url("/ran").toString() + "?"
                                          + QString(3 * 1024 * 1024, QLatin1Char('a'));
    }
    void homePageThatIsNoWebAddressGivesTheStartPage()
    {
        QFETCH(QString, home);
        setHome(home);
        auto view = newView(*views, nullptr, QSize(400, 300));
        QMap<int, bool> commands;
        connect(view.get(), &WebView::CommandStateChange, this,
                [&](int command, bool enable) { commands[command] = enable; });
        QSignalSpy done(view.get(), &WebView::DocumentComplete);
        view->GoHome();
        QVERIFY(done.wait(20000));
        QCOMPARE(view->engineView()->url(), QUrl(PageAddresses::startPage()));
        QCOMPARE(view->LocationURL(), QString()); // the program's own page shows no address
        QCOMPARE(view->DocumentTitle(), QString("Lumeno 2.0"));
        QCOMPARE(view->engineView()->page()->history()->count(), 1);
        QCOMPARE(commands.value(WebView::CommandBack, true), false);
        QCOMPARE(commands.value(WebView::CommandForward, true), false);
        QVERIFY(!server.requests.contains("/ran"));
    }

    void titleIsTheDocumentsOwn()
    {
        auto view = newView(*views, nullptr, QSize(400, 300));
        QVERIFY(load(*view, server.url("/untitled").toString()));
        QCOMPARE(view->LocationURL(), server.url("/untitled").toString());
        QCOMPARE(view->DocumentTitle(), QString()); // not the address
    }

    // Nobody answers: the page hears No in the end instead of waiting.
    void unansweredPermissionRequestsAreDenied()
    {
        auto view = newView(*views, nullptr, QSize(400, 300));
        view->promptArea()->permissionBar()->setTimeout(300);
        view->Navigate2(server.url("/ask").toString());
        QTRY_COMPARE_WITH_TIMEOUT(view->engineView()->page()->title(), QString("denied"), 20000);
    }

    // A crashed renderer: a notice in its place, the address kept, and
    // Refresh brings the page back.
    void aCrashedPageCanBeLoadedAgain()
    {
        auto view = newView(*views, nullptr, QSize(400, 300));
        QVERIFY(load(*view, server.url("/page").toString()));
        const qint64 renderer = view->engineView()->page()->renderProcessPid();
        QVERIFY(renderer > 0);
        QSignalSpy addresses(view.get(), &WebView::BeforeNavigate2);
        ::kill(pid_t(renderer), SIGKILL);
        QTRY_COMPARE_WITH_TIMEOUT(view->DocumentTitle(), QString("This page stopped"), 20000);
        QCOMPARE(view->LocationURL(), server.url("/page").toString());
        QVERIFY(addresses.isEmpty());
        view->Refresh();
        QTRY_COMPARE_WITH_TIMEOUT(view->DocumentTitle(), QString("Served page"), 20000);
        QCOMPARE(view->LocationURL(), server.url("/page").toString());
    }

    // The notice's link is made from the lost page's address, which the page
    // chooses: quotes and markup in it stay in the address.
    void theCrashNoticeKeepsTheAddressOutOfItsMarkup()
    {
        auto view = newView(*views, nullptr, QSize(400, 300));
        // Quotes of both kinds and markup. The engine keeps a "'" as it is
        // in the path and the fragment, and encodes blanks; "/" parts
        // attributes as well as a blank does.
        const QString address = server.url("/page").toString()
                                + QStringLiteral("/x='/onmouseover='x'?q=\" c=\"y\"<b>q</b>"
                                                 "#f='/onclick='y'/b=\"<i>f</i>");
        QVERIFY(load(*view, address));
        const QUrl lost = view->engineView()->page()->url();
        QVERIFY(lost.toString(QUrl::FullyEncoded).contains("'/onmouseover='x'"));
        ::kill(pid_t(view->engineView()->page()->renderProcessPid()), SIGKILL);
        QTRY_COMPARE_WITH_TIMEOUT(view->DocumentTitle(), QString("This page stopped"), 20000);

        const QVariant found = evaluate(
            view->engineView()->page(),
            "JSON.stringify({"
            "  links: Array.from(document.querySelectorAll('a'), function (a) {"
            "    return Array.from(a.attributes, function (x) { return x.name + '=' + x.value; }); }),"
            "  elements: Array.from(document.body.querySelectorAll('*'), function (e) { return e.localName; }),"
            "  text: document.querySelector('p').textContent })",
            QWebEngineScript::ApplicationWorld, 20000);
        QVERIFY(found.isValid());
        const QJsonObject notice = QJsonDocument::fromJson(found.toString().toUtf8()).object();
        QCOMPARE(notice.value("links").toArray(),
                 QJsonArray{QJsonArray{"href=" + lost.toString(QUrl::FullyEncoded)}});
        QCOMPARE(notice.value("elements").toArray(), (QJsonArray{"h2", "p", "p", "a"}));
        QCOMPARE(notice.value("text").toString(), lost.toString());
    }

    // The title is read from the document once its load has finished. An
    // answer that comes after the next page has started is the old page's:
    // it must not be shown as the new page's, nor complete it.
    void aLateTitleIsNotTheNextPages()
    {
        auto view = newView(*views, nullptr, QSize(400, 300));
        QVERIFY(load(*view, server.url("/untitled").toString()));
        QStringList shown;
        connect(view.get(), &WebView::DocumentComplete, this,
                [&] { shown << view->DocumentTitle(); });

        // When the next page has loaded, its renderer is kept busy before it
        // hears the view's question for the title (the engine view hears of
        // the load before the view), and the view goes on to a third page.
        QWebEnginePage *page = view->engineView()->page();
        connect(view->engineView(), &QWebEngineView::loadFinished, this, [page] {
            page->runJavaScript("for (var t = Date.now(); Date.now() - t < 1000;) {}",
                                QWebEngineScript::ApplicationWorld);
        }, Qt::SingleShotConnection);
        connect(page, &QWebEnginePage::loadFinished, this,
                [&] { view->Navigate2(server.url("/second").toString()); },
                Qt::SingleShotConnection);
        view->Navigate2(server.url("/page").toString());
        // Only the third page completes, under its own title.
        QTRY_COMPARE_WITH_TIMEOUT(shown, QStringList{"Second page"}, 20000);
        QCOMPARE(view->DocumentTitle(), QString("Second page"));
        QCOMPARE(view->LocationURL(), server.url("/second").toString());
    }

    // A whole host with the real engine: its first window shows the home page.
    void hostWindowLoadsTheHomePage()
    {
        setHome(server.url("/page").toString());
        const auto host = startHost(store, *views, dialogs);
        frmBrowser *w = host->workspace()->findChild<frmBrowser *>();
        QVERIFY(w);
        QTRY_COMPARE_WITH_TIMEOUT(w->wb->DocumentTitle(), QString("Served page"), 20000);
        QCOMPARE(w->wb->LocationURL(), server.url("/page").toString());
        QCOMPARE(host->SB->Panels(3)->text(), QString("Open Windows: 1"));
        // The page is asked first, and lets the window go.
        host->close();
        QTRY_COMPARE_WITH_TIMEOUT(OpenWindows, 0, 5000);
    }
};

QTEST_MAIN(tst_QtWebView)
#include "tst_qtwebview.moc"
