// The session of a whole host on the real engine, against pages served on
// 127.0.0.1: two windows, one navigated twice, text typed into the other's
// page; the program ends without Quit and starts again on the same file.
// The first window offers the windows back; Restore gives both at their
// places with their Back history, current entry and typed text. A window
// closed with Ctrl+W comes back with Ctrl+Shift+T whole; the closed windows
// and, with "Reopen Windows at Start", the last Quit's windows come back
// after a restart.
#include "favorites/core/FavoritesFile.h"
#include "session/core/SessionStore.h"
#include "session/ui/RestoreBar.h"
#include "session/ui/SessionKeeper.h"
#include "shell/core/Module1.h"
#include "shell/ui/HostSession.h"
#include "support/EngineTest.h"
#include "support/FakeDialogs.h"
#include "support/MemorySettingsStore.h"
#include "support/SessionSamples.h"
#include "support/TestServer.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWebEngineHistory>
#include <QWebEngineProfile>

class tst_Restore : public QObject
{
    Q_OBJECT
public:
    static void initMain() { prepareEngineTest(); }

private:
    TestServer server;
    QTemporaryDir dir;
    QWebEngineProfile *profile = nullptr;
    MemorySettingsStore store;
    FakeDialogs dialogs;
    std::unique_ptr<QtWebViewFactory> views;

    QString sessionPath() const { return dir.filePath(QStringLiteral("Browsing.sqlite")); }
    std::unique_ptr<frmMain> start(const QStringList &addresses = {})
    {
        Module1::resetSharedState();
        auto host = std::make_unique<frmMain>(store, *views, dialogs);
        host->setMarkvaultPath(QString());
        host->keepSession(sessionPath());
        host->Form_Load(addresses);
        host->show();
        host->activateWindow();
        return host;
    }
    bool go(frmBrowser *w, const QString &path)
    {
        return load(*w->wb, server.url(path).toString());
    }
    // What another program reading the file now would find.
    Session stored() const { return loadSession(sessionPath()); }
    static frmBrowser *at(frmMain &host, const QRect &geometry)
    {
        for (frmBrowser *w : host.browserWindows())
            if (w->geometry() == geometry)
                return w;
        return nullptr;
    }
    // The page's history as the engine has it: addresses' paths and the
    // current entry.
    static QString historyOf(frmBrowser *w)
    {
        QWebEngineHistory *h = pageOf(w)->history();
        QStringList paths;
        for (const QWebEngineHistoryItem &item : h->items())
            paths << item.url().path();
        return paths.join(' ') + QStringLiteral(" @") + QString::number(h->currentItemIndex());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        server.page("/one", "<title>One</title><p>one");
        server.page("/two", "<title>Two</title><p>two");
        server.page("/form", "<title>Form</title><input id=t autofocus>");
        store.values.insert("Lumeno2/Internet/HomePage", server.url("/one").toString());
        Favorites::setProgramDirectory(dir.path());
        profile = new QWebEngineProfile(this);
        views = std::make_unique<QtWebViewFactory>(profile, store, dialogs);
    }

    void windowsComeBackAfterAnUncleanEnd()
    {
        QRect firstPlace, formPlace;
        {
            auto host = start();
            // A first run leaves nothing to offer.
            QVERIFY(host->browserWindows().size() == 1 && !host->browserWindows()[0]->bar());
            frmBrowser *first = host->browserWindows()[0];
            QVERIFY(waitUntil([&] { return first->wb->DocumentTitle() == "One"; }));
            QVERIFY(go(first, "/two"));
            QVERIFY(go(first, "/one"));
            QVERIFY(go(first, "/two"));
            pageOf(first)->triggerAction(QWebEnginePage::Back);
            QVERIFY(waitUntil([&] { return first->wb->DocumentTitle() == "One"; }));
            frmBrowser *form = host->openWindow(server.url("/form").toString(), frmMain::Placement::WhereItAppears);
            QVERIFY(waitUntil([&] { return form->wb->DocumentTitle() == "Form"; }));
            form->move(300, 140);
            QVERIFY(typeInto(engineViewOf(form), QStringLiteral("kept words")));
            // The engine's record of the page holds the text a moment later.
            const QString typed = QStringLiteral("kept words");
            const QByteArray typedBytes(reinterpret_cast<const char *>(typed.utf16()), typed.size() * 2);
            QVERIFY(waitUntil([&] { return form->wb->sessionHistory().contains(typedBytes); }, 5000));
            firstPlace = first->geometry();
            formPlace = form->geometry();
            // Written off the window's path within about a second, typed
            // text included, while the program runs.
            QVERIFY(waitUntil([&] {
                const Session s = stored();
                return s.windows.size() == 2 && s.windows[1].geometry == formPlace
                       && s.windows[1].history == form->wb->sessionHistory()
                       && s.windows[0].history == first->wb->sessionHistory();
            }, 5000));
            QCOMPARE(stored().host.frontWindow, stored().windows[1].id);
            // The host goes as a killed program would: no Quit.
        }
        auto host = start();
        QCOMPARE(host->browserWindows().size(), 1);
        auto *bar = qobject_cast<RestoreBar *>(host->browserWindows()[0]->bar());
        QVERIFY(bar && bar->isVisible() && !bar->list());
        QCOMPARE(bar->text()->text(), QStringLiteral("Lumeno did not close properly. Restore 2 windows?"));
        // Not answered yet: the offered windows stay in the file.
        QVERIFY(waitUntil([&] { return stored().windows.size() == 3; }, 5000));
        // The bar has the focus: Enter restores, as the keyboard alone would.
        host->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(host.get()));
        QCOMPARE(QApplication::focusWidget(), bar->restoreButton());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        // The window the start opened, on its first page, gives way to them.
        QVERIFY(waitUntil([&] { return host->browserWindows().size() == 2; }));
        QCOMPARE(host->session()->keeper().closedWindows().size(), 1);
        frmBrowser *first = host->browserWindows()[0];
        frmBrowser *form = host->browserWindows()[1];
        QCOMPARE(first->geometry(), firstPlace);
        QCOMPARE(form->geometry(), formPlace);
        // Shown, so loaded: each at its entry, Back and Forward whole.
        QVERIFY(waitUntil([&] { return form->wb->DocumentTitle() == "Form"; }));
        QVERIFY(waitUntil([&] { return first->wb->DocumentTitle() == "One"; }));
        QCOMPARE(historyOf(first), QStringLiteral("/one /two /one /two @2"));
        QVERIFY(waitUntil([&] { return evaluate(pageOf(form), "t.value").toString() == "kept words"; }));
        QCOMPARE(host->frontWindow(), form);

        // Ctrl+W, then Ctrl+Shift+T: the same window back, at its place,
        // with its history, listed by title in the File menu meanwhile.
        first->Restore();
        QVERIFY(first->Form_KeyDown(Qt::Key_W, Qt::ControlModifier));
        QVERIFY(waitUntil([&] { return host->browserWindows().size() == 1; }));
        QMenu *reopen = host->session()->mnuReopenClosed;
        QVERIFY(reopen->isEnabled());
        QCOMPARE(reopen->actions().value(0)->text(), QStringLiteral("One\tCtrl+Shift+T"));
        QVERIFY(form->Form_KeyDown(Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier));
        QCOMPARE(host->browserWindows().size(), 2);
        frmBrowser *back = host->browserWindows().value(1);
        QVERIFY(back && back != first && back != form);
        QCOMPARE(back->geometry(), firstPlace);
        QCOMPARE(host->frontWindow(), back);
        QVERIFY(waitUntil([&] { return back->wb->DocumentTitle() == "One"; }));
        QCOMPARE(historyOf(back), QStringLiteral("/one /two /one /two @2"));
        QCOMPARE(reopen->actions().size(), 1);

        // One closed for good, then Quit; with "Reopen Windows at Start" the
        // next start brings the Quit's windows back, asks nothing, and the
        // closed one can still be reopened; an address given at start opens
        // beside them.
        QVERIFY(form->Form_KeyDown(Qt::Key_W, Qt::ControlModifier));
        QVERIFY(waitUntil([&] { return host->browserWindows().size() == 1; }));
        host->session()->mnuReopenAtStart->trigger();
        QCOMPARE(store.values.value("Lumeno2/Options/ReopenWindows"), QStringLiteral("True"));
        host->close();
        QVERIFY(waitUntil([&] { return host->isUnloaded(); }));
        host.reset();
        host = start({server.url("/two").toString()});
        QCOMPARE(host->browserWindows().size(), 2);
        QCOMPARE(host->browserWindows()[0]->geometry(), firstPlace);
        QVERIFY(waitUntil([&] { return host->browserWindows()[1]->wb->DocumentTitle() == "Two"; }));
        for (frmBrowser *w : host->browserWindows())
            QVERIFY(!w->bar());
        QCOMPARE(host->session()->keeper().closedWindows().size(), 2);
        QCOMPARE(host->session()->keeper().closedWindows()[0].window.geometry, formPlace);
        frmBrowser *again = host->session()->reopenClosed(0);
        QVERIFY(waitUntil([&] { return evaluate(pageOf(again), "t.value").toString() == "kept words"; }));
        host->close();
        QVERIFY(waitUntil([&] { return host->isUnloaded(); }));
        store.values.remove("Lumeno2/Options/ReopenWindows");
    }

    // Esc in the offer dismisses it from the keyboard: nothing comes back,
    // the offered windows leave the file, and the keys go on to the page.
    void escapeDismissesTheOffer()
    {
        {
            auto host = start();
            QVERIFY(go(host->browserWindows()[0], "/two"));
            QVERIFY(waitUntil([&] { return stored().windows.size() == 1; }, 5000));
        }
        auto host = start();
        frmBrowser *w = host->browserWindows()[0];
        QVERIFY(qobject_cast<RestoreBar *>(w->bar()));
        QVERIFY(QTest::qWaitForWindowActive(host.get()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(waitUntil([&] { return !w->bar(); }));
        QCOMPARE(host->browserWindows().size(), 1);
        QVERIFY(waitUntil([&] {
            QWidget *focus = QApplication::focusWidget();
            return focus == w->wb || w->wb->isAncestorOf(focus);
        }));
        QVERIFY(waitUntil([&] {
            const Session s = stored();
            return s.windows.size() == 1 && s.windows[0].address != server.url("/two").toString();
        }, 5000));
    }

    // Restoring ended the program twice: the windows are offered one by
    // one, none checked, so that the page that ends it can be left out. And
    // a second program on the same file keeps nothing in it.
    void aListAfterTwoEndsWhileRestoring()
    {
        const QString path = dir.filePath(QStringLiteral("Twice.sqlite"));
        {
            SessionStore seed(path, QStringLiteral("test-seed"));
            Session session;
            for (const char *page : {"/one", "/two"}) {
                WindowRecord w;
                w.id = session.windows.size() + 1;
                w.geometry = QRect(40, 30, 320, 240);
                w.address = server.url(page).toString();
                w.title = QString::fromLatin1(page + 1);
                session.windows << w;
            }
            QString error;
            QVERIFY2(seed.save(session, &error), qPrintable(error));
            for (int end = 0; end < 2; ++end)
                QVERIFY(seed.beginRun(&error) && seed.setRestoring(true, &error));
        }
        Module1::resetSharedState();
        frmMain host(store, *views, dialogs);
        host.keepSession(path);
        host.Form_Load();
        host.show();
        auto *bar = qobject_cast<RestoreBar *>(host.browserWindows()[0]->bar());
        QVERIFY(bar && bar->list());
        QCOMPARE(bar->list()->count(), 2);
        // Front first.
        QCOMPARE(bar->list()->item(0)->text(), QStringLiteral("two"));
        QCOMPARE(bar->list()->item(1)->checkState(), Qt::Unchecked);
        bar->list()->item(0)->setCheckState(Qt::Checked);
        bar->list()->item(1)->setCheckState(Qt::Checked);
        bar->restoreButton()->click();
        QCOMPARE(host.browserWindows().size(), 3);
        frmBrowser *below = host.browserWindows()[1];
        frmBrowser *above = host.browserWindows()[2];
        QCOMPARE(below->geometry(), QRect(40, 30, 320, 240));
        QCOMPARE(above->geometry(), below->geometry());
        // The window in front loads; the one it covers was never seen, and
        // rests as it came.
        QVERIFY(waitUntil([&] { return above->wb->DocumentTitle() == "Two"; }));
        QCOMPARE(below->wb->resting().state(), PageLifecycle::State::Discarded);
        QCOMPARE(below->wb->LocationURL(), server.url("/one").toString());

        frmMain second(store, *views, dialogs);
        second.keepSession(path);
        QVERIFY(host.session()->keeper().isKeeping());
        QVERIFY(!second.session()->keeper().isKeeping());
        QVERIFY(dialogs.messages.isEmpty());

        // A file that cannot be made is told once, and the host goes on.
        QFile blocker(dir.filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        frmMain third(store, *views, dialogs);
        third.keepSession(blocker.fileName() + QStringLiteral("/Browsing.sqlite"));
        third.Form_Load();
        QCOMPARE(third.browserWindows().size(), 1);
        QVERIFY(!third.session()->keeper().isKeeping());
        QVERIFY(waitUntil([&] { return dialogs.messages.size() == 1; }));
        QVERIFY(dialogs.messages[0].text.contains(blocker.fileName()));
        third.browserWindows()[0]->navigate(server.url("/two").toString());
        QVERIFY(waitUntil([&] { return third.browserWindows()[0]->wb->DocumentTitle() == "Two"; }));
        QCOMPARE(dialogs.messages.size(), 1);
    }

    void cleanupTestCase()
    {
        views.reset();
        delete profile;
    }
};

QTEST_MAIN(tst_Restore)
#include "tst_restore.moc"
