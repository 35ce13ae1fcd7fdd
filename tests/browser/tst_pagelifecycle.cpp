// When a page rests: the rules for freezing and discarding, the stored times
// and the memory reading.
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
