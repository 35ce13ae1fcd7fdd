// The real engine behind a browser window's page tools: the find bar counting
// matches in a page served on 127.0.0.1, zoom reaching the page, and the
// start page's address kept out of the address box.
#include "browser/engine/QtWebView.h"
#include "browser/engine/QtWebViewFactory.h"
#include "browser/ui/AddressBox.h"
#include "browser/ui/FindBar.h"
#include "browser/ui/frmBrowser.h"
#include "favorites/core/FavoritesFile.h"
#include "shell/core/Module1.h"
#include "shell/ui/frmMain.h"
#include "support/EngineTest.h"
#include "support/FakeDialogs.h"
#include "support/MemorySettingsStore.h"
#include "support/TestServer.h"

#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <memory>

class tst_PageTools : public QObject
{
    Q_OBJECT
public:
    static void initMain() { prepareEngineTest(); }

private:
    QTemporaryDir favoritesDir;
    TestServer server;
    QWebEngineProfile *profile = nullptr;
    MemorySettingsStore store;
    FakeDialogs dialogs;
    std::unique_ptr<QtWebViewFactory> views;
    std::unique_ptr<frmMain> host;
    frmBrowser *w = nullptr;


private slots:
    void initTestCase()
    {
        profile = new QWebEngineProfile(this);
        server.page("/fruit", "<html><head><title>Fruit</title></head><body>"
                              "<p>apple pear</p><p>Apple plum</p><p>an apple a day</p></body></html>");
    }
    void init()
    {
        store.values.clear();
        Module1::resetSharedState();
        Favorites::setProgramDirectory(favoritesDir.path());
        views = std::make_unique<QtWebViewFactory>(profile, store, dialogs);
        host = startHost(store, *views, dialogs);
        w = host->browserWindows().value(0);
        QVERIFY(w);
    }
    void cleanup()
    {
        host.reset();
        views.reset();
    }
    void cleanupTestCase() { delete profile; }

    void startPageShowsNoInternalAddress()
    {
        QTRY_COMPARE_WITH_TIMEOUT(w->lblTitle->text(), QString("Lumeno 2.0"), 20000);
        QCOMPARE(w->txtURL->text(), QString());
        QCOMPARE(w->currentAddress(), QString());
        // A served page shows its address; back on the start page, none.
        w->txtURL->setText(server.url("/fruit").toString());
        w->cmdGo_Click();
        QTRY_COMPARE_WITH_TIMEOUT(w->lblTitle->text(), QString("Fruit"), 20000);
        QCOMPARE(w->txtURL->text(), server.url("/fruit").toString());
        QTRY_VERIFY_WITH_TIMEOUT(w->cmdBack->isEnabled(), 10000);
        w->cmdBack_Click();
        QTRY_COMPARE_WITH_TIMEOUT(w->lblTitle->text(), QString("Lumeno 2.0"), 20000);
        QCOMPARE(w->txtURL->text(), QString());
    }

    void findBarCountsMatchesInThePage()
    {
        w->navigate(server.url("/fruit").toString());
        QTRY_COMPARE_WITH_TIMEOUT(w->lblTitle->text(), QString("Fruit"), 20000);
        w->findInPage();
        QVERIFY(w->findBar->isVisible());
        QTest::keyClicks(w->findBar->txtFind, "apple");
        // Case is not told apart, as in every browser.
        QTRY_COMPARE_WITH_TIMEOUT(w->findBar->matches(), QString("1 of 3"), 10000);
        QTest::keyClick(w->findBar->txtFind, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(w->findBar->matches(), QString("2 of 3"), 10000);
        QTest::keyClick(w->findBar->txtFind, Qt::Key_Return);
        QTest::keyClick(w->findBar->txtFind, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(w->findBar->matches(), QString("1 of 3"), 10000); // round again
        QTest::keyClick(w->findBar->txtFind, Qt::Key_Return, Qt::ShiftModifier);
        QTRY_COMPARE_WITH_TIMEOUT(w->findBar->matches(), QString("3 of 3"), 10000);
        QTest::keyClicks(w->findBar->txtFind, "x");
        QTRY_COMPARE_WITH_TIMEOUT(w->findBar->matches(), QString("No matches"), 10000);
        QTest::keyClick(w->findBar->txtFind, Qt::Key_Escape);
        QVERIFY(w->findBar->isHidden());
        // The page's own selection of the last match is gone with the bar.
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(pageOf(w), "String(window.getSelection())").toString(), QString(), 10000);
    }

    void zoomReachesThePage()
    {
        w->navigate(server.url("/fruit").toString());
        QTRY_COMPARE_WITH_TIMEOUT(w->lblTitle->text(), QString("Fruit"), 20000);
        const double width = evaluate(pageOf(w), "window.innerWidth").toDouble();
        QVERIFY(width > 0);
        w->zoomIn();
        w->zoomIn();
        QCOMPARE(w->wb->zoomFactor(), 1.25);
        // The page lays out in larger CSS pixels: fewer fit across.
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(evaluate(pageOf(w), "window.innerWidth").toDouble() - width / 1.25) <= 2, 10000);
        w->zoomReset();
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(evaluate(pageOf(w), "window.innerWidth").toDouble() - width) <= 1, 10000);
    }
};

QTEST_MAIN(tst_PageTools)
#include "tst_pagetools.moc"
