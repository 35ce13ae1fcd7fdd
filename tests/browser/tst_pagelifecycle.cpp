// When a page rests: the rules for freezing and discarding, whether a window
// is covered by those above it, the stored times and the memory reading.
#include "browser/core/PageLifecycle.h"

#include <QTest>

using namespace PageLifecycle;

Q_DECLARE_METATYPE(PageLifecycle::State)

namespace {
// Steps a window's clocks as the windows do: out of sight since `out` ms,
// frozen since the change to Frozen; returns the states seen, one per change,
// and when each came.
struct Timeline
{
    QList<State> states;
    QList<qint64> at;
    // A change said to be due that target() did not make.
    bool stalled = false;
};

Timeline run(const Times &t, bool busy, bool memoryShort, qint64 until)
{
    Window w;
    w.inSight = false;
    w.busy = busy;
    Timeline out;
    qint64 now = 0, frozenAt = 0;
    while (now <= until) {
        w.outOfSightMs = now;
        w.frozenMs = w.state == State::Frozen ? now - frozenAt : 0;
        const State next = target(w, t, memoryShort);
        if (next != w.state) {
            if (next == State::Frozen)
                frozenAt = now;
            w.state = next;
            out.states << next;
            out.at << now;
            continue;
        }
        const qint64 wait = nextChangeInMs(w, t, memoryShort);
        if (wait < 0)
            break;
        if (wait == 0) {
            out.stalled = true;
            break;
        }
        now += wait;
    }
    return out;
}
} // namespace

class tst_PageLifecycle : public QObject
{
    Q_OBJECT
private slots:
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
        QCOMPARE(isCovered(window, above, area), covered);
        // The order of the windows above does not matter.
        QList<QRect> reversed(above.crbegin(), above.crend());
        QCOMPARE(isCovered(window, reversed, area), covered);
    }

    void manyCascadedWindowsCoverNothingBelowThem()
    {
        // 50 windows cascaded 24 px apart: each leaves a strip of the one below.
        QList<QRect> stack;
        for (int i = 0; i < 50; ++i)
            stack << QRect(4 + 24 * i, 4 + 24 * i, 443, 296);
        const QRect area(0, 0, 4000, 4000);
        for (int i = 0; i < 49; ++i)
            QVERIFY(!isCovered(stack[i], stack.mid(i + 1), area));
        // One maximized window on top covers all of them.
        stack << area;
        for (int i = 0; i < 50; ++i)
            QVERIFY(isCovered(stack[i], stack.mid(i + 1), area));
    }

    void outOfSightPageIsFrozenThenDiscarded()
    {
        const Times t{3000, 60000};
        const Timeline tl = run(t, false, false, 10 * 60000);
        QVERIFY(!tl.stalled);
        QCOMPARE(tl.states, (QList<State>{State::Frozen, State::Discarded}));
        QCOMPARE(tl.at, (QList<qint64>{3000, 63000}));
    }

    void zeroDiscardTimeKeepsThePageFrozen()
    {
        const Timeline tl = run(Times{3000, 0}, false, false, 24 * 3600 * 1000);
        QVERIFY(!tl.stalled);
        QCOMPARE(tl.states, QList<State>{State::Frozen});
    }

    void shortMemoryDiscardsOnceFrozen()
    {
        // Not before the grace time: a window only just hidden is left alone.
        const Timeline tl = run(Times{3000, 60000}, false, true, 10 * 60000);
        QVERIFY(!tl.stalled);
        QCOMPARE(tl.states, (QList<State>{State::Frozen, State::Discarded}));
        QCOMPARE(tl.at, (QList<qint64>{3000, 3000}));
    }

    void busyPageIsLeftRunning()
    {
        QVERIFY(run(Times{3000, 60000}, true, false, 10 * 60000).states.isEmpty());
        QVERIFY(run(Times{3000, 60000}, true, true, 10 * 60000).states.isEmpty());
    }

    void seenPageIsActiveWhateverItWas_data()
    {
        QTest::addColumn<State>("state");
        QTest::newRow("active") << State::Active;
        QTest::newRow("frozen") << State::Frozen;
        QTest::newRow("discarded") << State::Discarded;
    }
    void seenPageIsActiveWhateverItWas()
    {
        QFETCH(State, state);
        Window w;
        w.inSight = true;
        w.state = state;
        w.outOfSightMs = w.frozenMs = 24 * 3600 * 1000;
        QCOMPARE(target(w, Times{}, true), State::Active);
        QCOMPARE(nextChangeInMs(w, Times{}, true), state == State::Active ? -1 : 0);
    }

    void frozenPageThatTurnsBusyIsWoken()
    {
        // A download the page started runs on while it is frozen; the page is
        // let run (still unseen) rather than discarded under it.
        Window w;
        w.inSight = false;
        w.state = State::Frozen;
        w.busy = true;
        w.frozenMs = 24 * 3600 * 1000;
        QCOMPARE(target(w, Times{}, true), State::Active);
        // A discarded one is not loaded again for it.
        w.state = State::Discarded;
        QCOMPARE(target(w, Times{}, false), State::Discarded);
        QCOMPARE(nextChangeInMs(w, Times{}, false), -1);
    }

    void storedTimes_data()
    {
        QTest::addColumn<QString>("freeze");
        QTest::addColumn<QString>("discard");
        QTest::addColumn<qint64>("freezeMs");
        QTest::addColumn<qint64>("discardMs");
        QTest::newRow("none stored") << QString() << QString() << qint64(5000) << qint64(600000);
        QTest::newRow("whole numbers") << "20" << "30" << qint64(20000) << qint64(1800000);
        QTest::newRow("fractions") << "2.5" << "0.25" << qint64(2500) << qint64(15000);
        QTest::newRow("zero") << "0" << "0" << qint64(0) << qint64(0);
        QTest::newRow("not numbers") << "soon" << "later" << qint64(5000) << qint64(600000);
        QTest::newRow("negative") << "-1" << "-5" << qint64(5000) << qint64(600000);
        QTest::newRow("beyond a year") << "1e12" << "1e300" << qint64(31536000000) << qint64(31536000000);
    }
    void storedTimes()
    {
        QFETCH(QString, freeze);
        QFETCH(QString, discard);
        QFETCH(qint64, freezeMs);
        QFETCH(qint64, discardMs);
        const Times t = timesFromText(freeze, discard);
        QCOMPARE(t.freezeAfterMs, freezeMs);
        QCOMPARE(t.discardAfterMs, discardMs);
    }

    void memoryReading_data()
    {
        QTest::addColumn<QByteArray>("meminfo");
        QTest::addColumn<bool>("shortOfMemory");
        QTest::newRow("plenty") << QByteArray("MemTotal:       24615764 kB\nMemFree:         1000 kB\n"
                                              "MemAvailable:   20000000 kB\n")
                                << false;
        QTest::newRow("24 GiB, 900 MiB left") << QByteArray("MemTotal:       24615764 kB\n"
                                                            "MemAvailable:     921600 kB\n")
                                              << true;
        QTest::newRow("24 GiB, 2 GiB left: more than 1 GiB")
            << QByteArray("MemTotal: 24615764 kB\nMemAvailable: 2097152 kB\n") << false;
        QTest::newRow("4 GiB, 300 MiB left") << QByteArray("MemTotal: 4194304 kB\nMemAvailable: 307200 kB\n")
                                             << true;
        QTest::newRow("4 GiB, 500 MiB left: more than a tenth")
            << QByteArray("MemTotal: 4194304 kB\nMemAvailable: 512000 kB\n") << false;
        QTest::newRow("no MemAvailable (old kernel)") << QByteArray("MemTotal: 4194304 kB\nMemFree: 10 kB\n")
                                                      << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("damaged number") << QByteArray("MemTotal: 4194304 kB\nMemAvailable: x kB\n") << false;
    }
    void memoryReading()
    {
        QFETCH(QByteArray, meminfo);
        QFETCH(bool, shortOfMemory);
        QCOMPARE(memoryIsShort(meminfo), shortOfMemory);
    }
};

QTEST_APPLESS_MAIN(tst_PageLifecycle)
#include "tst_pagelifecycle.moc"
