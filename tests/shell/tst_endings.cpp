// Endings with a dialog up: in a whole host on the real engine, the user's
// Quit and a window closed while a page's box is up.
#include "browser/engine/QtWebViewFactory.h"
#include "browser/ui/frmBrowser.h"
#include "favorites/core/FavoritesFile.h"
#include "shell/core/Module1.h"
#include "shell/ui/frmMain.h"
#include "support/EngineTest.h"
#include "support/MemorySettingsStore.h"
#include "support/TestServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineProfile>
#include <functional>
#include <memory>

namespace {
// Waits with an event loop running, as the engine needs.
bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}
} // namespace

class tst_Endings : public QObject
{
    Q_OBJECT
public:
    static void initMain() { prepareEngineTest(); }

private:
    TestServer server;
    QWebEngineProfile *profile = nullptr;
    std::unique_ptr<MemorySettingsStore> store;
    std::unique_ptr<QtWebViewFactory> views;
    std::unique_ptr<frmMain> host;
    QTemporaryDir favoritesDir;

    // A host in this process whose first window shows the plain page, and a
    // second window on `path`, whose page puts up a box as it loads.
    frmBrowser *startWithABoxIn(const QString &path)
    {
        store->values.insert("Lumeno2/Internet/HomePage", server.url("/plain").toString());
        host = std::make_unique<frmMain>(*store, *views);
        host->setMarkvaultPath(QString());
        host->Form_Load();
        host->show();
        frmBrowser *first = host->browserWindows().value(0);
        if (!first || !waitUntil([&] { return first->lblTitle->text() == "Plain"; }, 20000))
            return nullptr;
        frmBrowser *second = host->OpenBrowserWindow();
        second->navigate(server.url(path).toString());
        return second;
    }
    // Runs `act` once, inside the loop of the first message box put up.
    void whenABoxIsUp(QTimer &poll, QPointer<QMessageBox> &box, const std::function<void()> &act)
    {
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, this, [&box, act] {
            auto *up = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!up || box)
                return;
            box = up;
            act();
        });
        poll.start();
    }

private slots:
    void initTestCase()
    {
        server.page("/plain", "<title>Plain</title><p>plain</p>");
        server.page("/second", "<title>Second</title><p>second</p>");
        server.page("/alert", "<title>alert</title><script>alert('Hello from the page')</script>");
        Favorites::setProgramDirectory(favoritesDir.path());
        profile = new QWebEngineProfile(this);
    }
    void init()
    {
        Module1::resetSharedState();
        store = std::make_unique<MemorySettingsStore>();
        views = std::make_unique<QtWebViewFactory>(profile, *store);
    }
    void cleanup()
    {
        host.reset();
        views.reset();
    }

    void quitWithAPagesBoxUpInAnotherWindow()
    {
        frmBrowser *asking = startWithABoxIn("/alert");
        QVERIFY(asking);
        QPointer<frmBrowser> first(host->browserWindows().value(0)), second(asking);
        QSignalSpy ended(host.get(), &frmMain::unloaded);
        QTimer poll;
        QPointer<QMessageBox> box;
        // File > Quit, from inside the page's box, which runs on top of the
        // engine's work for that page.
        whenABoxIsUp(poll, box, [this] { host->mnuQuit->trigger(); });
        QVERIFY(waitUntil([&] { return ended.count() == 1 && !first && !second; }, 30000));
        QVERIFY(!box || !box->isVisible());
        QCOMPARE(OpenWindows, 0);
    }

    void aWindowClosedWithItsPagesBoxUp()
    {
        frmBrowser *asking = startWithABoxIn("/alert");
        QVERIFY(asking);
        QPointer<frmBrowser> first(host->browserWindows().value(0)), second(asking);
        QTimer poll;
        QPointer<QMessageBox> box;
        // Ctrl+W's command, from inside the page's box.
        whenABoxIsUp(poll, box, [second] { second->mnuClose_Click(); });
        QVERIFY(waitUntil([&] { return !second; }, 30000));
        QVERIFY(!box || !box->isVisible());
        // The other window and the host go on.
        QVERIFY(first);
        QVERIFY(!host->isUnloaded());
        QCOMPARE(OpenWindows, 1);
        first->navigate(server.url("/second").toString());
        QVERIFY(waitUntil([&] { return first->lblTitle->text() == "Second"; }, 20000));
    }
};

QTEST_MAIN(tst_Endings)
#include "tst_endings.moc"
