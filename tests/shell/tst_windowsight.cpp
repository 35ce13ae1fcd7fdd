// Windows out of sight, with the fake page view: minimizing and bringing back,
// covered windows (and the rule for when the windows above cover one), the
// host minimized, pages left running, discarding after
// the stored time or when memory runs short; counts and pop-ups unchanged.
#include "browser/core/PageLifecycle.h"
#include "browser/ui/PageKeeper.h"
#include "shell/ui/StatusBar.h"
#include "shell/ui/WorkspaceSight.h"
#include "support/HostFixture.h"

#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using PageLifecycle::State;

Q_DECLARE_METATYPE(PageLifecycle::State)

class tst_WindowSight : public QObject, public HostFixture
{
    Q_OBJECT
public:
    static void initMain() { qputenv("QT_QPA_PLATFORM", "offscreen"); }

private:
    // Grace and discard times short enough for a test, stored as a user would.
    void startWithTimes(const QString &freezeSeconds, const QString &discardMinutes)
    {
        store->setOption(PageLifecycle::KeyFreezeAfterSeconds, freezeSeconds);
        store->setOption(PageLifecycle::KeyDiscardAfterMinutes, discardMinutes);
        start();
    }
    frmBrowser *second()
    {
        host->mnuNewWindow->trigger();
        return host->browserWindows().last();
    }
    // Shows the host's Window menu as a user opens it and returns its window items.
    QList<QAction *> windowMenuItems()
    {
        host->mnuWindow->popup(host->mapToGlobal(QPoint(10, 10)));
        if (!QTest::qWaitFor([&] { return host->mnuWindow->isVisible(); }))
            qWarning("the Window menu did not show");
        const QList<QAction *> items = host->mnuWindowItems;
        host->mnuWindow->close();
        return items;
    }

private slots:
    void init() { reset(); }
    void cleanup() { finish(); }

    void minimizedWindowRestsAndComesBackFromTheWindowMenu()
    {
        startWithTimes("0.1", "0");
        frmBrowser *w1 = firstWindow();
        frmBrowser *w2 = second();
        pageOf(w2)->title = "Fish & Chips";
        w2->wb_DocumentComplete();
        QCOMPARE(host->frontWindow(), w2);

        w2->mnuMinimize->trigger();
        QVERIFY(!w2->isVisible());
        QVERIFY(w2->isMinimizedInHost());
        QCOMPARE(host->frontWindow(), w1);
        // Still open and counted.
        QCOMPARE(OpenWindows, 2);
        QCOMPARE(host->SB->Panels(3)->text(), QString("Open Windows: 2"));
        QCOMPARE(host->browserWindows().size(), 2);
        // Not at once: after the grace time.
        QCOMPARE(pageOf(w2)->state, State::Active);
        QTRY_COMPARE(pageOf(w2)->state, State::Frozen);
        QCOMPARE(pageOf(w1)->state, State::Active);

        const QList<QAction *> items = windowMenuItems();
        QCOMPARE(items.size(), 2);
        QVERIFY(!items[0]->text().contains("minimized"));
        // The page's "&" is no mnemonic.
        QCOMPARE(items[1]->text(), QString("&2 Fish && Chips (minimized)"));
        items[1]->trigger();
        // Active the moment it shows, in front, with the focus on its page.
        QVERIFY(w2->isVisible());
        QVERIFY(!w2->isMinimizedInHost());
        QCOMPARE(pageOf(w2)->state, State::Active);
        QCOMPARE(host->frontWindow(), w2);
        QTRY_VERIFY(w2->wb->hasFocus());
        QCOMPARE(pageOf(w2)->states, (QList<State>{State::Frozen, State::Active}));
        QCOMPARE(OpenWindows, 2);
    }

    void ctrlMMinimizesTheWindowInFront()
    {
        startWithTimes("0.1", "0");
        frmBrowser *w1 = firstWindow();
        frmBrowser *w2 = second();
        QTest::keyClick(w2->wb, Qt::Key_M, Qt::ControlModifier);
        QVERIFY(!w2->isVisible());
        QTest::keyClick(host.get(), Qt::Key_M, Qt::ControlModifier);
        QVERIFY(!w1->isVisible());
        // With none left to minimize, nothing happens.
        QTest::keyClick(host.get(), Qt::Key_M, Qt::ControlModifier);
        QCOMPARE(host->frontWindow(), nullptr);
        QCOMPARE(host->SB->Panels(3)->text(), QString("Open Windows: 2"));
        QTRY_COMPARE(pageOf(w1)->state, State::Frozen);
        QTRY_COMPARE(pageOf(w2)->state, State::Frozen);
    }

    void coveredWindowRestsAndWakesWhenAnyPartShows()
    {
        startWithTimes("0.1", "0");
        frmBrowser *w1 = firstWindow();
        frmBrowser *w2 = second();
        QVERIFY(w2->geometry() != w1->geometry());
        QCOMPARE(pageOf(w1)->state, State::Active);
        QVERIFY(w1->wb->isVisible());

        // The window above takes exactly the same place.
        w2->setGeometry(w1->geometry());
        QVERIFY(w1->isVisible());
        QVERIFY(!w1->wb->isVisible()); // drawn no more at once
        QTRY_COMPARE(pageOf(w1)->state, State::Frozen);
        QCOMPARE(pageOf(w2)->state, State::Active);

        // One column of it shows: active before anything else happens.
        w2->move(w2->x() + 1, w2->y());
        QVERIFY(w1->wb->isVisible());
        QCOMPARE(pageOf(w1)->state, State::Active);

        // Covered again, then brought forward by a click on its title.
        w2->move(w1->pos());
        QTRY_COMPARE(pageOf(w1)->state, State::Frozen);
        QTest::mouseClick(w1->lblTitle, Qt::LeftButton, Qt::NoModifier, QPoint(20, 5));
        QCOMPARE(host->frontWindow(), w1);
        QCOMPARE(pageOf(w1)->state, State::Active);
        // Now the other one lies under it.
        QTRY_COMPARE(pageOf(w2)->state, State::Frozen);
    }

    void windowCoveredOnlyByTwoTogetherRests()
    {
        startWithTimes("0.1", "0");
        frmBrowser *w1 = firstWindow();
        frmBrowser *w2 = second();
        frmBrowser *w3 = second();
        const QRect g = w1->geometry();
        w2->setGeometry(g.x(), g.y(), g.width() / 2 + 10, g.height());
        w3->setGeometry(g.x() + g.width() / 2, g.y(), g.width() - g.width() / 2, g.height());
        QTRY_COMPARE(pageOf(w1)->state, State::Frozen);
        QVERIFY(!w1->wb->isVisible());
        // A gap of one pixel between them is a part that shows.
        w3->move(w3->x() + 11, w3->y());
        QCOMPARE(pageOf(w1)->state, State::Active);
        QVERIFY(w1->wb->isVisible());
    }

    void covered_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QList<QRect>>("above");
        QTest::addColumn<bool>("covered");
        const QRect w(100, 100, 200, 150);
        QTest::newRow("nothing above") << w << QList<QRect>{} << false;
        QTest::newRow("one larger window") << w << QList<QRect>{{90, 90, 300, 300}} << true;
        QTest::newRow("the same rectangle") << w << QList<QRect>{w} << true;
        QTest::newRow("two halves") << w << QList<QRect>{{100, 100, 100, 150}, {200, 100, 100, 150}} << true;
        QTest::newRow("two halves, a column apart")
            << w << QList<QRect>{{100, 100, 100, 150}, {201, 100, 100, 150}} << false;
        QTest::newRow("one pixel at the corner left")
            << w << QList<QRect>{{100, 100, 200, 149}, {100, 249, 199, 1}} << false;
        QTest::newRow("four around a hole")
            << w
            << QList<QRect>{{100, 100, 200, 50}, {100, 200, 200, 50}, {100, 150, 90, 50}, {210, 150, 90, 50}}
            << false;
        QTest::newRow("four around a hole, and a fifth on it")
            << w
            << QList<QRect>{{100, 100, 200, 50}, {100, 200, 200, 50}, {100, 150, 90, 50}, {210, 150, 90, 50},
                            {180, 140, 40, 70}}
            << true;
        QTest::newRow("beside, not over") << w << QList<QRect>{{300, 100, 100, 150}} << false;
        QTest::newRow("wholly outside the area") << QRect(700, 500, 100, 100) << QList<QRect>{} << true;
        QTest::newRow("half outside, the rest covered")
            << QRect(550, 100, 100, 100) << QList<QRect>{{500, 90, 100, 200}} << true;
        QTest::newRow("half outside, the rest seen") << QRect(550, 100, 100, 100) << QList<QRect>{} << false;
    }
    void covered()
    {
        QFETCH(QRect, window);
        QFETCH(QList<QRect>, above);
        QFETCH(bool, covered);
        const QRect area(0, 0, 600, 400);
        QCOMPARE(WorkspaceSight::isCovered(window, above, area), covered);
        // The order of the windows above does not matter.
        QList<QRect> reversed(above.crbegin(), above.crend());
        QCOMPARE(WorkspaceSight::isCovered(window, reversed, area), covered);
    }

    void manyCascadedWindowsCoverNothingBelowThem()
    {
        // 50 windows cascaded 24 px apart: each leaves a strip of the one below.
        QList<QRect> stack;
        for (int i = 0; i < 50; ++i)
            stack << QRect(4 + 24 * i, 4 + 24 * i, 443, 296);
        const QRect area(0, 0, 4000, 4000);
        for (int i = 0; i < 49; ++i)
            QVERIFY(!WorkspaceSight::isCovered(stack[i], stack.mid(i + 1), area));
        // One maximized window on top covers all of them.
        stack << area;
        for (int i = 0; i < 50; ++i)
            QVERIFY(WorkspaceSight::isCovered(stack[i], stack.mid(i + 1), area));
    }

    // "0: at once". A window tells its keeper it is hidden before its page
    // is hidden with it, and a page still shown will not rest.
    void withNoGraceTimeAPageRestsAtOnce()
    {
        startWithTimes("0", "0");
        frmBrowser *w1 = firstWindow();
        frmBrowser *w2 = second();
        w2->Minimize();
        QTRY_COMPARE(pageOf(w2)->state, State::Frozen);
        host->showMinimized();
        QTRY_COMPARE(pageOf(w1)->state, State::Frozen);
    }

    void minimizedHostRestsEveryWindow()
    {
        startWithTimes("0.1", "0");
        frmBrowser *w1 = firstWindow();
        frmBrowser *w2 = second();
        host->showMinimized();
        QTRY_COMPARE(pageOf(w1)->state, State::Frozen);
        QTRY_COMPARE(pageOf(w2)->state, State::Frozen);
        host->showNormal();
        QCOMPARE(pageOf(w1)->state, State::Active);
        QCOMPARE(pageOf(w2)->state, State::Active);
    }

    void busyPageIsLeftRunningUntilItIsDone()
    {
        startWithTimes("0.05", "0.001");
        frmBrowser *w1 = firstWindow();
        pageOf(w1)->setBusy(true);
        // Out of sight and busy, the keeper leaves the page running and
        // plans no later look: only the end of the work brings one.
        QSignalSpy settled(host->sight()->keeperOf(w1), &PageKeeper::settled);
        w1->Minimize();
        QTRY_VERIFY(!settled.isEmpty());
        QCOMPARE(settled.last().at(0).value<PageLifecycle::State>(), State::Active);
        QCOMPARE(settled.last().at(1).toLongLong(), -1);
        QVERIFY(pageOf(w1)->states.isEmpty());
        // Done: it rests after the grace time, and is discarded after the other.
        pageOf(w1)->setBusy(false);
        QTRY_COMPARE(pageOf(w1)->state, State::Discarded);
        QCOMPARE(pageOf(w1)->states, (QList<State>{State::Frozen, State::Discarded}));
        // Brought back, it is active (the real page loads itself again).
        w1->Restore();
        QCOMPARE(pageOf(w1)->state, State::Active);
    }

    void frozenPageIsDiscardedAfterTheStoredTime()
    {
        // 0.005 minutes: 300 ms.
        startWithTimes("0.05", "0.005");
        frmBrowser *w1 = firstWindow();
        QElapsedTimer t;
        t.start();
        w1->Minimize();
        QTRY_COMPARE(pageOf(w1)->state, State::Frozen);
        QTRY_COMPARE(pageOf(w1)->state, State::Discarded);
        QVERIFY2(t.elapsed() >= 300, qPrintable(QString::number(t.elapsed())));
    }

    void shortMemoryDiscardsFrozenPages()
    {
        startWithTimes("0.05", "0");
        bool shortOfMemory = false;
        int reads = 0;
        host->sight()->setMemoryProbe([&] { ++reads; return shortOfMemory; }, 20);
        frmBrowser *w1 = firstWindow();
        frmBrowser *w2 = second();
        // Nothing out of sight: free memory is not read at all.
        const int readsBefore = reads;
        QTest::qWait(100);
        QCOMPARE(reads, readsBefore);

        w1->Minimize();
        QTRY_COMPARE(pageOf(w1)->state, State::Frozen);
        QTRY_VERIFY(reads > readsBefore + 2);
        QCOMPARE(pageOf(w1)->state, State::Frozen);
        shortOfMemory = true;
        QTRY_COMPARE(pageOf(w1)->state, State::Discarded);
        // The window in sight is never touched.
        QCOMPARE(pageOf(w2)->state, State::Active);
        QVERIFY(pageOf(w2)->states.isEmpty());
        // All in sight again: the reading stops.
        w1->Restore();
        const int readsNow = reads;
        QTest::qWait(100);
        QCOMPARE(reads, readsNow);
    }

    void minimizedWindowStillRefusesPopupsAndIsStoredAtQuit()
    {
        store->setOption(Settings::KeyKillPopups, "True");
        startWithTimes("0.05", "0");
        frmBrowser *w1 = firstWindow();
        w1->setWidth(7005);
        w1->Minimize();
        QTRY_COMPARE(pageOf(w1)->state, State::Frozen);
        QVERIFY(pageOf(w1)->requestNewWindow());
        QCOMPARE(KilledPopups, 1);
        QCOMPARE(host->SB->Panels(4)->text(), QString("Killed Popups: 1"));
        host->close();
        QCOMPARE(store->option(Settings::KeyWindowWidth), QString("7005"));
        QCOMPARE(OpenWindows, 0);
    }
};

QTEST_MAIN(tst_WindowSight)
#include "tst_windowsight.moc"
