// Closing asks the page first, with the real engine against pages served on
// 127.0.0.1: a page that holds typed text and a beforeunload handler is asked
// on every way of closing its window, Stay keeps it whole and Leave closes it;
// Quit asks every such page in turn over its own window and one Stay keeps
// them all; a hung page and a pop-up's page are no exception.
#include "browser/engine/LumenoPage.h"
#include "browser/engine/PageClose.h"
#include "browser/engine/PopupWindow.h"
#include "favorites/core/FavoritesFile.h"
#include "shell/core/Module1.h"
#include "support/EngineTest.h"
#include "support/FakeDialogs.h"
#include "support/MemorySettingsStore.h"
#include "support/TestServer.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWebEngineProfile>
#include <csignal>

class tst_Closing : public QObject
{
    Q_OBJECT
public:
    static void initMain() { prepareEngineTest(); }

private:
    TestServer server;
    QTemporaryDir favoritesDir;
    QWebEngineProfile *profile = nullptr;
    MemorySettingsStore store;
    FakeDialogs dialogs;
    std::unique_ptr<QtWebViewFactory> views;
    std::unique_ptr<frmMain> host;
    // Each question to leave: the window asked over, and the one in front then.
    QList<QPair<QWidget *, frmBrowser *>> asked;

    frmBrowser *open(const QString &path)
    {
        frmBrowser *w = host->OpenBrowserWindow();
        w->navigate(server.url(path).toString());
        if (!waitUntil([&] { return w->wb->DocumentTitle() == path.mid(1); }))
            qWarning("%s did not load", qPrintable(path));
        return w;
    }
    bool type(frmBrowser *w, const QString &text)
    {
        host->activateWindow();
        return typeInto(engineViewOf(w), text);
    }
    void answer(std::function<bool(int)> leave)
    {
        dialogs.leave = [this, leave](QWidget *parent, const QString &) {
            asked << qMakePair(parent, host->frontWindow());
            return leave(int(asked.size()));
        };
    }

private slots:
    void initTestCase()
    {
        const QByteArray field = "<input id=t autofocus>";
        server.page("/unsaved", "<title>unsaved</title>" + field
                                    + "<script>onbeforeunload = e => { e.preventDefault(); e.returnValue = ''; }"
                                      "</script>");
        server.page("/busy", "<title>busy</title><script>onload = () => setTimeout(() => { for (;;) {} }, 50)"
                             "</script>");
        server.page("/opener", "<title>opener</title>");
        Favorites::setProgramDirectory(favoritesDir.path());
        profile = new QWebEngineProfile(this);
        views = std::make_unique<QtWebViewFactory>(profile, store, dialogs);
    }
    void init()
    {
        Module1::resetSharedState();
        dialogs.leaveQuestions.clear();
        asked.clear();
        host = ::startHost(store, *views, dialogs);
        host->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(host.get()));
    }
    void cleanup()
    {
        // Unloading asks no page.
        host->Unload();
        host.reset();
    }
    void cleanupTestCase() { delete profile; }

    void everyWayOfClosingAsksAndStayKeepsThePage()
    {
        frmBrowser *w = open("/unsaved");
        QVERIFY(type(w, "draft"));
        answer([](int) { return false; });
        const QList<std::function<void()>> ways = {
            [&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::ControlModifier); },
            [&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4, Qt::ControlModifier); },
            [&] { w->cmdClose->click(); },
            [&] { w->mnuClose->trigger(); },
            [&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4, Qt::AltModifier); },
            [&] { host->mnuQuit->trigger(); },
            [&] { host->close(); },
        };
        for (int i = 0; i < ways.size(); ++i) {
            w->focusPage();
            ways[i]();
            QTRY_COMPARE_WITH_TIMEOUT(asked.size(), i + 1, 10000);
            QCOMPARE(asked.last().first, w);
            // The answer taken, the window and the host stay.
            QTRY_VERIFY(!w->isAskingPage() && !host->isAskingToQuit());
            QVERIFY(host->browserWindows().contains(w));
            QVERIFY(!host->isUnloaded());
            QCOMPARE(evaluate(pageOf(w), "t.value").toString(), QString("draft"));
        }
        // Leave: the window goes, and the host with its other window stays.
        frmBrowser *home = host->browserWindows().first();
        dialogs.leave = [](QWidget *, const QString &address) { return address.endsWith("/unsaved"); };
        w->focusPage();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::ControlModifier);
        QTRY_COMPARE_WITH_TIMEOUT(host->browserWindows(), QList<frmBrowser *>{home}, 10000);
        QCOMPARE(OpenWindows, 1);
    }

    void quitAsksEachPageOverItsWindowAndOneStayKeepsThemAll()
    {
        frmBrowser *first = open("/unsaved");
        QVERIFY(type(first, "first"));
        frmBrowser *second = open("/unsaved");
        QVERIFY(type(second, "second"));
        first->Minimize();
        // Leave for the first asked, Stay for the second.
        answer([](int n) { return n == 1; });
        host->mnuQuit->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 2, 10000);
        QCOMPARE(asked[0].first, second);
        // A minimized window comes back to be asked over.
        QCOMPARE(asked[1].first, first);
        QCOMPARE(asked[1].second, first);
        QVERIFY(!first->isMinimizedInHost());
        QTRY_VERIFY(!host->isAskingToQuit());
        QVERIFY(!host->isUnloaded());
        QCOMPARE(host->browserWindows().size(), 3);
        QCOMPARE(evaluate(pageOf(first), "t.value").toString(), QString("first"));
        QCOMPARE(evaluate(pageOf(second), "t.value").toString(), QString("second"));

        // Leave for both: the program ends.
        answer([](int) { return true; });
        QSignalSpy ended(host.get(), &frmMain::unloaded);
        host->mnuQuit->trigger();
        QVERIFY(ended.wait(10000));
        QCOMPARE(asked.size(), 4);
    }

    void aHungOrCrashedPageDoesNotHoldTheClose()
    {
        frmBrowser *busy = open("/busy");
        frmBrowser *crashed = open("/unsaved");
        QVERIFY(type(crashed, "lost"));
        QSignalSpy gone(pageOf(crashed), &QWebEnginePage::renderProcessTerminated);
        ::kill(pageOf(crashed)->renderProcessPid(), SIGKILL);
        QVERIFY(gone.wait(10000));
        crashed->mnuClose->trigger();
        busy->mnuClose->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(host->browserWindows().size(), 1, 10000);
        QVERIFY(asked.isEmpty());
    }

    void aPopupAsksBeforeItCloses()
    {
        frmBrowser *w = open("/opener");
        evaluate(pageOf(w), "window.open('/unsaved', 'p', 'width=300,height=200'); true");
        PopupWindow *popup = nullptr;
        QVERIFY(waitUntil([&] {
            popup = host->findChild<PopupWindow *>();
            return popup && popup->popupPage()->title() == "unsaved";
        }));
        popup->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(popup));
        QVERIFY(typeInto(popup->view(), "note"));
        answer([](int n) { return n == 2; });
        QPointer<PopupWindow> alive(popup);
        popup->close();
        QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 1, 10000);
        QCOMPARE(asked[0].first, popup);
        QTRY_VERIFY(!static_cast<LumenoPage *>(popup->popupPage())->closing()->isAsking());
        QVERIFY(alive && alive->isVisible());
        popup->close();
        QTRY_VERIFY_WITH_TIMEOUT(!alive, 10000);
        QCOMPARE(asked.size(), 2);
    }
};

QTEST_MAIN(tst_Closing)
#include "tst_closing.moc"
