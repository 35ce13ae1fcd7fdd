// The session in the browsing-data file: read back exactly as written, after
// any mix of changes; a failed write leaves the session before it whole; the
// closed windows kept to ten; how each run ended; and a file that cannot be
// used left as it is.
#include "session/core/SessionStore.h"
#include "support/Files.h"
#include "support/SessionSamples.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <latch>

class tst_SessionStore : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QString path() const { return dir.filePath("data/Browsing.sqlite"); }

    static ClosedWindow closedAt(qint64 id, qint64 msecs)
    {
        return {sampleWindow(id, int(id), 3000), QDateTime::fromMSecsSinceEpoch(msecs)};
    }

private slots:
    void cleanup() { QDir(dir.filePath("data")).removeRecursively(); }

    void everyFieldComesBackAsWritten()
    {
        Session first;
        first.host = {QSize(1600, 900), 7};
        WindowRecord big = sampleWindow(7, 1, 1024 * 1024);
        big.history[10] = '\0';
        big.title = QString::fromUtf8("Ünïcödé — 漢字 🙂 \"q\" 'x'); DROP TABLE session_windows; --");
        big.zoom = 1.1;
        WindowRecord odd = sampleWindow(qint64(1) << 40, 2, 0);
        odd.geometry = QRect(-30, -5, 135, 80);
        odd.minimized = true;
        odd.address.clear();
        // A page's title may hold anything a script puts there: a NUL, a
        // lone surrogate, line breaks, right-to-left marks.
        odd.title = QString::fromUtf8("a\0b\n\u202Eevil", 11) + QChar(0xD800) + "x" + QChar(0xDC00);
        WindowRecord plain = sampleWindow(3, 3, 20000);
        plain.geometry = QRect();
        plain.title = QString(10000, QChar(0x5B57));
        plain.zoom = 5.0;
        first.windows = {big, odd, plain};
        ClosedWindow closed = closedAt(11, 1700000000123);
        closed.window.title = QString(QChar(0xDFFF)) + "closed";
        closed.window.history.clear();
        first.closed = {closed, closedAt(12, 1600000000000), {sampleWindow(13, 1, 10), QDateTime()}};

        QString error;
        {
            SessionStore store(path(), "writer");
            QVERIFY2(store.isUsable() && store.openError().isEmpty(), qPrintable(store.openError()));
            QVERIFY2(store.save(first, &error), qPrintable(error));
        }
        QCOMPARE(loadSession(path()).windows.size(), 3);
        QVERIFY(loadSession(path()) == first);

        // Then, from one store, only what changed: a window closed, one
        // added, one moved to the bottom and resized, a new history, the
        // front window and the closed list.
        SessionStore store(path(), "writer");
        QVERIFY(store.save(first, &error));
        Session second = first;
        second.windows.removeAt(1);
        second.windows.move(1, 0);
        second.windows[0].geometry = QRect(5, 5, 300, 200);
        second.windows[1].history = sampleHistory(99, 40000);
        second.windows.append(sampleWindow(21, 1, 5000));
        second.host.frontWindow = 21;
        second.closed.prepend({odd, QDateTime::fromMSecsSinceEpoch(1800000000000)});
        QVERIFY2(store.save(second, &error), qPrintable(error));
        QVERIFY(loadSession(path()) == second);
        Session third = second;
        third.windows[2].title = "Retitled";
        third.windows[0].history.clear();
        QVERIFY(store.save(third, &error));
        QVERIFY(loadSession(path()) == third);
        // A store of a later run writes over what an earlier one left.
        SessionStore later(path(), "later");
        QVERIFY(later.save(first, &error));
        QVERIFY(loadSession(path()) == first);
        QVERIFY(later.save(Session(), &error));
        QVERIFY(loadSession(path()) == Session());
    }

    // A write refused half-way (as by a full disk) is undone whole and told;
    // the next write puts everything in.
    void aFailedWriteLeavesTheSessionBefore()
    {
        SessionStore store(path(), "writer");
        Session before;
        before.windows = {sampleWindow(1, 1, 5000), sampleWindow(2, 1, 5000)};
        QString error;
        QVERIFY(store.save(before, &error));
        QVERIFY(execBeside(path(), "CREATE TRIGGER refuse BEFORE INSERT ON session_windows "
                                   "WHEN NEW.title = 'refused' BEGIN SELECT RAISE(ABORT, 'no room left'); END"));
        Session after = before;
        after.host = {QSize(800, 600), 2};
        after.windows[0].history = sampleHistory(5, 9000);
        after.windows.removeAt(1);
        WindowRecord refused = sampleWindow(3, 1, 100);
        refused.title = "refused";
        after.windows.append(refused);
        after.closed = {closedAt(2, 1000)};
        QVERIFY(!store.save(after, &error));
        QVERIFY2(error.contains("no room left") && error.contains(path()), qPrintable(error));
        QVERIFY(loadSession(path()) == before);
        QVERIFY(execBeside(path(), "DROP TRIGGER refuse"));
        QVERIFY2(store.save(after, &error), qPrintable(error));
        QVERIFY(loadSession(path()) == after);
        // Two windows under one id would come back as one.
        after.windows.append(sampleWindow(1, 9, 10));
        QVERIFY(!store.save(after, &error));
        QVERIFY(error.contains("window id 1"));
    }

    void closedWindowsKeepTheTenNewest()
    {
        Session session;
        for (int i : {4, 11, 0, 7, 12, 2, 9, 5, 1, 10, 3, 8, 6})
            session.closed.append(closedAt(100 + i, 1700000000000 + i * 60000));
        SessionStore store(path(), "writer");
        QVERIFY(store.save(session, nullptr));
        QList<qint64> ids;
        for (const ClosedWindow &c : loadSession(path()).closed)
            ids << c.window.id;
        QCOMPARE(ids, (QList<qint64>{112, 111, 110, 109, 108, 107, 106, 105, 104, 103}));
        // The newest reopened and one more closed: the host's list comes
        // back as it is.
        session.closed = loadSession(path()).closed.mid(1);
        session.closed.prepend(closedAt(201, 1800000000000));
        QVERIFY(store.save(session, nullptr));
        QVERIFY(loadSession(path()).closed == session.closed);
    }

    // Each run is a store of its own, as each start of the program is; a
    // run that neither quits nor is followed by another start ended in a
    // crash.
    void runStateTellsHowTheLastRunEnded()
    {
        enum End { Quit, Crash, CrashRestoring, RestoredThenCrash };
        struct Run
        {
            End end;
            bool uncleanBefore;
            int uncleanWhileRestoring;
        };
        const QList<Run> runs = {
            {Quit, false, 0},          {Crash, false, 0},         {CrashRestoring, true, 0},
            {CrashRestoring, true, 1}, {RestoredThenCrash, true, 2}, {CrashRestoring, true, 0},
            {Crash, true, 1},          {CrashRestoring, true, 0},  {Quit, true, 1},
            {Quit, false, 0},
        };
        for (int i = 0; i < runs.size(); ++i) {
            SessionStore store(path(), "run");
            QString error;
            const std::optional<SessionStore::RunStart> start = store.beginRun(&error);
            QVERIFY2(start, qPrintable(error));
            QCOMPARE(start->uncleanEnd, runs[i].uncleanBefore);
            QCOMPARE(start->uncleanWhileRestoring, runs[i].uncleanWhileRestoring);
            if (runs[i].end == CrashRestoring || runs[i].end == RestoredThenCrash)
                QVERIFY(store.setRestoring(true, &error));
            if (runs[i].end == RestoredThenCrash)
                QVERIFY(store.setRestoring(false, &error));
            if (runs[i].end == Quit)
                QVERIFY(store.endRun(&error));
        }
    }

    // The host's store and the writer's, on a first start.
    void twoStoresOpeningANewFileAtOnceBothWork()
    {
        for (int round = 0; round < 10; ++round) {
            const QString file = dir.filePath(QStringLiteral("data/new-%1.sqlite").arg(round));
            QString other;
            std::latch ready(2);
            QThread *writer = QThread::create([&] {
                ready.arrive_and_wait();
                SessionStore store(file, "writer");
                other = store.isUsable() ? QString() : store.openError();
            });
            writer->start();
            {
                ready.arrive_and_wait();
                SessionStore store(file, "host");
                QVERIFY2(store.isUsable(), qPrintable(store.openError()));
            }
            writer->wait();
            delete writer;
            QVERIFY2(other.isEmpty(), qPrintable(other));
        }
    }

    // Garbage is set aside and a new file begun; the file of a newer Lumeno,
    // and a place that is no file, are told and left exactly as they are.
    void aFileThatCannotBeUsedIsNeverWrittenOver()
    {
        QVERIFY(QDir().mkpath(dir.filePath("data")));
        writeBytes(path(), QByteArray(8192, 'g'));
        Session session;
        session.windows = {sampleWindow(1, 1, 100)};
        QString error;
        {
            SessionStore store(path(), "writer");
            QVERIFY(store.isUsable());
            const QStringList aside = QDir(dir.filePath("data")).entryList({"*.damaged-*"});
            QCOMPARE(aside.size(), 1);
            QVERIFY(store.openError().contains(aside.first()));
            QCOMPARE(bytesOf(dir.filePath("data/" + aside.first())), QByteArray(8192, 'g'));
            QVERIFY(store.save(session, &error));
        }
        QVERIFY(execBeside(path(), "UPDATE schema_versions SET version = 2 WHERE feature = 'session'"));
        const QByteArray newer = bytesOf(path());
        {
            SessionStore store(path(), "writer");
            QVERIFY(!store.isUsable());
            QVERIFY2(store.openError().contains("newer") && store.openError().contains(path()),
                     qPrintable(store.openError()));
            Session read;
            QVERIFY(!store.load(&read, &error));
            QVERIFY(!store.save(Session(), &error));
            QCOMPARE(error, store.openError());
            QVERIFY(!store.beginRun(&error));
            QVERIFY(!store.endRun(&error));
        }
        QCOMPARE(bytesOf(path()), newer);

        SessionStore nowhere(dir.filePath("data"), "writer");
        QVERIFY(!nowhere.isUsable());
        QVERIFY(!nowhere.save(session, &error));
        QVERIFY2(error.contains(dir.filePath("data")), qPrintable(error));
        QVERIFY(QFileInfo(dir.filePath("data")).isDir());
    }
};

QTEST_GUILESS_MAIN(tst_SessionStore)
#include "tst_sessionstore.moc"
