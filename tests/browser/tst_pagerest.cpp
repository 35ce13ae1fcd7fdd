// Pages out of sight with the real engine, in a whole host, against pages
// served on 127.0.0.1: a minimized window is frozen and wakes when restored;
// a discarded one keeps its title, address and history buttons and loads its
// page again when shown; sound, a download or typed text keep a page running.
#include "downloads/engine/EngineDownloads.h"
#include "downloads/core/DownloadList.h"
#include "browser/engine/QtWebView.h"
#include "browser/engine/QtWebViewFactory.h"
#include "browser/ui/AddressBox.h"
#include "browser/ui/PageKeeper.h"
#include "browser/ui/frmBrowser.h"
#include "favorites/core/FavoritesFile.h"
#include "shell/core/Module1.h"
#include "shell/ui/StatusBar.h"
#include "shell/ui/WorkspaceSight.h"
#include "shell/ui/frmMain.h"
#include "support/EngineTest.h"
#include "support/FakeDialogs.h"
#include "support/MemorySettingsStore.h"
#include "support/TestServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <cmath>
#include <functional>
#include <memory>

using Lifecycle = QWebEnginePage::LifecycleState;

namespace {
// One second of a 440 Hz tone as a WAV file: 8 kHz, 8 bits, mono.
QByteArray toneWav()
{
    const int rate = 8000;
    QByteArray pcm;
    for (int i = 0; i < rate; ++i)
        pcm.append(char(128 + 100 * std::sin(2 * M_PI * 440 * i / rate)));
    QByteArray wav("RIFF");
    auto u32 = [&](quint32 v) {
        for (int k = 0; k < 4; ++k)
            wav.append(char((v >> (8 * k)) & 0xFF));
    };
    auto u16 = [&](quint16 v) {
        wav.append(char(v & 0xFF));
        wav.append(char(v >> 8));
    };
    u32(36 + pcm.size());
    wav += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate);
    u16(1);
    u16(8);
    wav += "data";
    u32(pcm.size());
    return wav + pcm;
}
} // namespace

class tst_PageRest : public QObject
{
    Q_OBJECT
public:
    static void initMain()
    {
        // Sound may start without a click, so a page can play headless.
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--autoplay-policy=no-user-gesture-required");
        prepareEngineTest();
    }

private:
    TestServer server;
    QTemporaryDir favoritesDir;
    QTemporaryDir downloadDir;
    QWebEngineProfile *profile = nullptr;
    MemorySettingsStore store;
    FakeDialogs dialogs;
    std::unique_ptr<QtWebViewFactory> views;
    std::unique_ptr<frmMain> host;

    // Whether the process runs; an ended one waiting to be reaped does not.
    static bool processRuns(qint64 pid)
    {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return false;
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        return close > 0 && line.mid(close + 2, 1) != "Z";
    }
    // A host on the real engine whose windows rest after `freeze` seconds and
    // are discarded after `discard` minutes; its first window shows `home`.
    frmBrowser *startHost(const QString &home, const QString &freeze, const QString &discard)
    {
        store.values.insert("Lumeno2/Internet/HomePage", server.url(home).toString());
        store.setOption("FreezeAfterSeconds", freeze);
        store.setOption("DiscardAfterMinutes", discard);
        views = std::make_unique<QtWebViewFactory>(profile, store, dialogs);
        // Saved where the test says, as the user would in the save dialog.
        static_cast<EngineDownloads *>(views->downloads())->setChooser([this](QWidget *, const QString &) {
            return downloadDir.filePath(QStringLiteral("big.bin"));
        });
        host = ::startHost(store, *views, dialogs);
        frmBrowser *w = host->browserWindows().value(0);
        if (w && !waitUntil([&] { return !w->lblTitle->text().isEmpty(); }, 20000))
            qWarning("the home page did not load");
        return w;
    }
    // Minimizes the window and waits until its keeper has looked at it out
    // of sight and found nothing to change: true when the page is left
    // running with no later look planned (only a change in the page brings one).
    bool minimizedAndLeftRunning(frmBrowser *w)
    {
        QSignalSpy settled(host->sight()->keeperOf(w), &PageKeeper::settled);
        w->Minimize();
        if (!waitUntil([&] { return !settled.isEmpty(); }))
            return false;
        return settled.last().at(0).value<PageLifecycle::State>() == PageLifecycle::State::Active
               && settled.last().at(1).toLongLong() == -1;
    }
    int requestsFor(const QString &path) const { return int(server.requests.count(path)); }

private slots:
    void initTestCase()
    {
        profile = new QWebEngineProfile(this);
        for (const char *title : {"First", "Second"}) {
            TestResponse page;
            page.body = QByteArray("<html><head><title>") + title + "</title></head><body>text</body></html>";
            page.noStore = true;
            server.route(QStringLiteral("/%1").arg(QString::fromLatin1(title).toLower()), page);
        }
        server.page("/anim", "<html><head><title>Moving</title></head><body><p id=n>0</p><script>"
                             "var n = 0; function f() { n++; requestAnimationFrame(f); }"
                             "requestAnimationFrame(f);</script></body></html>");
        server.page("/form", "<html><head><title>Form</title></head><body><form>"
                             "<input id=i autofocus></form></body></html>");
        server.page("/sound", "<html><head><title>Sound</title></head><body><audio id=a loop "
                              "autoplay src='data:audio/wav;base64," + toneWav().toBase64()
                                  + "'></audio></body></html>");
        // The start of a large download, then the connection is held: the
        // download runs until it is cancelled.
        TestResponse big;
        big.body = QByteArray(4 * 1024 * 1024, 'x');
        big.contentType = "application/octet-stream";
        big.attachment = "big.bin";
        big.holdHalfway = true;
        server.route("/big.bin", big);
    }
    void cleanupTestCase()
    {
        delete profile;
    }
    void init()
    {
        // A box the program would show is recorded, never waited on.
        dialogs.messages.clear();
        store.values.clear();
        Module1::resetSharedState();
        Favorites::setProgramDirectory(favoritesDir.path());
    }
    void cleanup()
    {
        host.reset();
        views.reset();
    }

    void minimizedWindowIsFrozenAndWakesWhenRestored()
    {
        frmBrowser *w = startHost("/anim", "0.2", "0");
        QVERIFY(w);
        QWebEnginePage *page = pageOf(w);
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(page, "n").toInt() > 2, 10000);

        w->mnuMinimize->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(page->lifecycleState(), Lifecycle::Frozen, 5000);
        QCOMPARE(host->SB->Panels(3)->text(), QString("Open Windows: 1"));

        // Back from the Window menu: active the moment it shows, and running.
        host->mnuWindow->popup(host->mapToGlobal(QPoint(10, 10)));
        QTRY_VERIFY(host->mnuWindow->isVisible());
        QCOMPARE(host->mnuWindowItems.size(), 1);
        host->mnuWindowItems[0]->trigger();
        host->mnuWindow->close();
        QCOMPARE(page->lifecycleState(), Lifecycle::Active);
        const int frames = evaluate(page, "n").toInt();
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(page, "n").toInt() > frames, 10000);
        // Never loaded again: freezing keeps the page as it was.
        QCOMPARE(requestsFor("/anim"), 1);
    }

    void minimizedHostFreezesItsWindowsAndWakesThemWhenRestored()
    {
        frmBrowser *w = startHost("/anim", "0.2", "0");
        QVERIFY(w);
        QWebEnginePage *page = pageOf(w);
        host->showMinimized();
        QTRY_COMPARE_WITH_TIMEOUT(page->lifecycleState(), Lifecycle::Frozen, 5000);
        host->showNormal();
        QCOMPARE(page->lifecycleState(), Lifecycle::Active);
        const int frames = evaluate(page, "n").toInt();
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(page, "n").toInt() > frames, 10000);
    }

    void discardedWindowKeepsItsPlaceAndLoadsAgainWhenShown()
    {
        // Discarded 0.005 minutes (300 ms) after it was frozen.
        frmBrowser *w = startHost("/first", "0.1", "0.005");
        QVERIFY(w);
        QPointer<QWebEnginePage> page = pageOf(w);
        w->navigate(server.url("/second").toString());
        QTRY_COMPARE_WITH_TIMEOUT(w->lblTitle->text(), QString("Second"), 20000);
        QTRY_VERIFY(w->cmdBack->isEnabled());
        QVERIFY(!w->cmdForward->isEnabled());
        QCOMPARE(requestsFor("/second"), 1);
        const qint64 renderer = page->renderProcessPid();
        QVERIFY(renderer > 0);

        w->Minimize();
        // The engine's page and view go, and the renderer with them; title,
        // address and history buttons stay.
        QTRY_VERIFY_WITH_TIMEOUT(!page, 5000);
        QCOMPARE(w->wb->resting().state(), PageLifecycle::State::Discarded);
        QVERIFY(w->wb->findChildren<QWebEnginePage *>().isEmpty());
        QVERIFY(w->wb->findChildren<QWebEngineView *>().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!processRuns(renderer), 10000);
        QCOMPARE(w->lblTitle->text(), QString("Second"));
        QCOMPARE(w->txtURL->text(), server.url("/second").toString());
        QCOMPARE(w->currentAddress(), server.url("/second").toString());
        QVERIFY(w->cmdBack->isEnabled());
        QVERIFY(!w->cmdForward->isEnabled());
        QCOMPARE(requestsFor("/second"), 1);

        QSignalSpy addresses(w->wb, &WebView::BeforeNavigate2);
        QSignalSpy done(w->wb, &WebView::DocumentComplete);
        host->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(host.get()));
        w->Restore();
        QCOMPARE(w->wb->resting().state(), PageLifecycle::State::Active);
        // The keys go to the page that came back, as they went to the one before.
        QTRY_VERIFY(QApplication::focusWidget() == engineViewOf(w)
                    || engineViewOf(w)->isAncestorOf(QApplication::focusWidget()));
        page = pageOf(w);
        // The same entry is asked for again, and shown as before.
        QTRY_COMPARE_WITH_TIMEOUT(requestsFor("/second"), 2, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(page->renderProcessPid() > 0, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 20000);
        QCOMPARE(w->lblTitle->text(), QString("Second"));
        QCOMPARE(w->txtURL->text(), server.url("/second").toString());
        QVERIFY(addresses.isEmpty());
        QVERIFY(w->cmdBack->isEnabled());
        QVERIFY(!w->cmdForward->isEnabled());
        // Shown where the window shows it, over the whole page area.
        QVERIFY(engineViewOf(w)->isVisible());
        QCOMPARE(engineViewOf(w)->height(), w->wb->height());
        // And the history behind it is whole.
        w->cmdBack_Click();
        QTRY_COMPARE_WITH_TIMEOUT(w->lblTitle->text(), QString("First"), 20000);
        QTRY_VERIFY(w->cmdForward->isEnabled());
    }

    void discardedWindowComesBackWithWhatChangedMeanwhile()
    {
        frmBrowser *w = startHost("/first", "0.1", "0.005");
        QVERIFY(w);
        w->navigate(server.url("/second").toString());
        QTRY_COMPARE_WITH_TIMEOUT(w->lblTitle->text(), QString("Second"), 20000);
        w->wb->setZoomFactor(1.5);
        QVERIFY(!KillPopups);
        const int asked = requestsFor("/second");

        w->Minimize();
        QTRY_COMPARE_WITH_TIMEOUT(w->wb->resting().state(), PageLifecycle::State::Discarded, 5000);
        QCOMPARE(w->wb->zoomFactor(), 1.5);
        // Meanwhile pop-ups are disabled and the history is cleared.
        host->mnuDisablePopups->trigger();
        QVERIFY(KillPopups);
        views->clearBrowsingData(true, false, false, false);
        QVERIFY(!w->cmdBack->isEnabled());
        QCOMPARE(w->wb->resting().state(), PageLifecycle::State::Discarded);

        w->Restore();
        QWebEnginePage *page = pageOf(w);
        QTRY_COMPARE_WITH_TIMEOUT(requestsFor("/second"), asked + 1, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(page, "document.title").toString(), QString("Second"), 20000);
        QCOMPARE(page->zoomFactor(), 1.5);
        QCOMPARE(page->url(), server.url("/second"));
        QVERIFY(!page->history()->canGoBack());
        QVERIFY(!w->cmdBack->isEnabled());
        // The page that came back refuses new windows, and they are counted.
        QCOMPARE(evaluate(page, "window.open('about:blank') === null").toBool(), true);
        QTRY_COMPARE_WITH_TIMEOUT(KilledPopups, 1, 10000);
        QCOMPARE(host->SB->Panels(3)->text(), QString("Open Windows: 1"));
    }

    void windowPlayingSoundIsNotFrozen()
    {
        frmBrowser *w = startHost("/sound", "0.1", "0");
        QVERIFY(w);
        QWebEnginePage *page = pageOf(w);
        QTRY_VERIFY_WITH_TIMEOUT(page->recentlyAudible(), 20000);
        QVERIFY(w->wb->busy().isBusy());
        QVERIFY(minimizedAndLeftRunning(w));
        QCOMPARE(page->lifecycleState(), Lifecycle::Active);
        QVERIFY(page->recentlyAudible());
        // Silent (the engine waits a moment before it says so): it rests.
        evaluate(page, "document.getElementById('a').pause()");
        QTRY_COMPARE_WITH_TIMEOUT(page->lifecycleState(), Lifecycle::Frozen, 15000);
    }

    void windowHoldingTypedTextIsNotFrozen()
    {
        frmBrowser *w = startHost("/form", "0.1", "0");
        QVERIFY(w);
        QWebEnginePage *page = pageOf(w);
        // A page that fills or pokes its own field is not the user typing.
        evaluate(page, "var i = document.getElementById('i'); i.value = 'page';"
                       "i.dispatchEvent(new Event('input', {bubbles: true})); 1");
        QTest::qWait(300);
        QVERIFY(!w->wb->busy().isBusy());

        host->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(host.get()));
        w->focusPage();
        QWidget *input = engineViewOf(w)->focusProxy();
        QVERIFY(input);
        QTest::keyClicks(input, "abc");
        QTRY_COMPARE_WITH_TIMEOUT(evaluate(page, "document.getElementById('i').value").toString(),
                                  QString("pageabc"), 10000);
        QTRY_VERIFY(w->wb->busy().isBusy());
        QVERIFY(minimizedAndLeftRunning(w));
        QCOMPARE(page->lifecycleState(), Lifecycle::Active);
        // Another page replaces the form: nothing typed is left, so it rests.
        w->navigate(server.url("/first").toString());
        QTRY_COMPARE_WITH_TIMEOUT(page->lifecycleState(), Lifecycle::Frozen, 20000);
        QVERIFY(!w->wb->busy().isBusy());
    }

    // A download keeps the page that started it running, and no other: a
    // second window's page rests out of sight as it would without one.
    void windowWithARunningDownloadIsNotFrozen()
    {
        // Frozen at once out of sight: each window decides as it goes.
        frmBrowser *w = startHost("/first", "0", "0");
        QVERIFY(w);
        host->mnuNewWindow->trigger();
        frmBrowser *other = host->browserWindows().value(1);
        QVERIFY(other);
        QTRY_COMPARE_WITH_TIMEOUT(other->lblTitle->text(), QString("First"), 20000);
        QWebEnginePage *page = pageOf(w);
        QSignalSpy requested(profile, &QWebEngineProfile::downloadRequested);
        w->navigate(server.url("/big.bin").toString());
        QVERIFY(requested.wait(20000));
        auto *download = requested.first().first().value<QWebEngineDownloadRequest *>();
        QTRY_COMPARE_WITH_TIMEOUT(download->state(), QWebEngineDownloadRequest::DownloadInProgress, 10000);
        QVERIFY(w->wb->busy().isBusy());
        QVERIFY(!other->wb->busy().isBusy());
        w->Minimize();
        other->Minimize();
        QTRY_COMPARE_WITH_TIMEOUT(pageOf(other)->lifecycleState(), Lifecycle::Frozen, 10000);
        QCOMPARE(page->lifecycleState(), Lifecycle::Active);
        // Cancelled as the user does it, in the Downloads window's list.
        QCOMPARE(views->downloads()->items().size(), 1);
        views->downloads()->items().first()->cancel();
        QTRY_COMPARE_WITH_TIMEOUT(page->lifecycleState(), Lifecycle::Frozen, 10000);
        // The page itself never left, and nothing was reported as failed.
        QCOMPARE(w->lblTitle->text(), QString("First"));
        QVERIFY2(dialogs.messages.isEmpty(), qPrintable(dialogs.texts().join("\n")));
    }
};

QTEST_MAIN(tst_PageRest)
#include "tst_pagerest.moc"
