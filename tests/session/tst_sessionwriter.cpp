// The session written off the host's thread: changes that come fast are
// written together, flush() leaves the newest session on disk when it
// returns, a failed write is told and tried again, and nothing handed over
// is dropped when the writer ends.
#include "session/core/SessionStore.h"
#include "session/core/SessionWriter.h"
#include "support/SessionSamples.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace std::chrono_literals;

class tst_SessionWriter : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QString path() const { return dir.filePath("data/Browsing.sqlite"); }
    // What the writers told, in the order it reached the test's thread.
    QStringList told;

    // A session after `step` changes: one window's page changes per step,
    // the others keep the bytes they had.
    static Session changed(Session session, int step)
    {
        WindowRecord &w = session.windows[step % session.windows.size()];
        w = sampleWindow(w.id, step, 4000 + step % 7 * 1000);
        session.host.frontWindow = w.id;
        return session;
    }
    static Session sample(int windows, qsizetype historySize)
    {
        Session session;
        session.host.size = QSize(1280, 800);
        for (int i = 1; i <= windows; ++i)
            session.windows.append(sampleWindow(i, 0, historySize));
        return session;
    }

private slots:
    void cleanup() { QDir(dir.filePath("data")).removeRecursively(); }

    void manyChangesWithinASecondGiveOneOrTwoWrites()
    {
        SessionWriter writer(path());
        Session session = sample(10, 8000);
        // Half a second of changes every few milliseconds, as while pages
        // load: the first is written at once, the rest together a second
        // later.
        QElapsedTimer changing;
        changing.start();
        for (int step = 1; changing.elapsed() < 500; ++step) {
            writer.submit(session = changed(session, step));
            QThread::msleep(3);
        }
        QTRY_VERIFY_WITH_TIMEOUT(loadSession(path()) == session, 5000);
        QVERIFY2(writer.counts().writes <= 2, qPrintable(QString::number(writer.counts().writes)));
        QCOMPARE(writer.counts().failures, 0);
    }

    // With an hour between writes, only flush() writes the sessions after
    // the first.
    void flushWritesAtOnceAndLosesNothing()
    {
        Session session = sample(5, 3000);
        {
            SessionWriter writer(path(), 1h);
            writer.submit(session);
            QTRY_VERIFY(loadSession(path()) == session);
            writer.submit(session = changed(session, 1));
            QString error;
            QVERIFY2(writer.flush(&error), qPrintable(error));
            QVERIFY(loadSession(path()) == session);
            QCOMPARE(writer.counts().writes, 2);
            QVERIFY(writer.flush());
            QCOMPARE(writer.counts().writes, 2);
        }
        {
            // A flush that comes while a long write is under way (its pages
            // reach the log before it commits) waits for it, then writes
            // what came after it.
            SessionWriter writer(path(), 1h);
            writer.submit(sample(30, 256 * 1024));
            QTRY_VERIFY(QFileInfo(path() + "-wal").size() > 0);
            writer.submit(session = changed(session, 3));
            QVERIFY(writer.flush());
            QVERIFY(loadSession(path()) == session);
            QCOMPARE(writer.counts().writes, 2);
            // What is left when the writer ends is written first.
            writer.submit(session = changed(session, 4));
        }
        QVERIFY(loadSession(path()) == session);
    }

    void aFailedWriteIsToldAndTriedAgain()
    {
        told.clear();
        auto listen = [&](SessionWriter &writer) {
            connect(&writer, &SessionWriter::writeFailed, this, [this](const QString &why) { told << why; },
                    Qt::QueuedConnection);
        };
        Session session = sample(3, 2000);
        SessionWriter writer(path(), 100ms);
        listen(writer);
        writer.submit(session);
        QVERIFY(writer.flush());
        QVERIFY(execBeside(path(), "CREATE TRIGGER refuse BEFORE INSERT ON session_host "
                                   "BEGIN SELECT RAISE(ABORT, 'no room left'); END"));
        const Session before = session;
        writer.submit(session = changed(session, 1));
        QTRY_COMPARE(told.size(), 1);
        QVERIFY2(told.first().contains("no room left") && told.first().contains(path()), qPrintable(told.first()));
        QString error;
        QVERIFY(!writer.flush(&error));
        QCOMPARE(error, told.first());
        QVERIFY(loadSession(path()) == before);
        QVERIFY(execBeside(path(), "DROP TRIGGER refuse"));
        // Tried again by itself, with nothing new handed over.
        QTRY_VERIFY(loadSession(path()) == session);
        QVERIFY(writer.counts().failures >= 2);
        QCOMPARE(told.size(), 1);

        // A place that is no file: told, and flush says why.
        SessionWriter nowhere(dir.filePath("data"), 100ms);
        listen(nowhere);
        nowhere.submit(session);
        QVERIFY(!nowhere.flush(&error));
        QVERIFY2(error.contains(dir.filePath("data")), qPrintable(error));
        QTRY_COMPARE(told.size(), 2);
        QCOMPARE(told.last(), error);
    }
};

QTEST_GUILESS_MAIN(tst_SessionWriter)
#include "tst_sessionwriter.moc"
