// Real kills: a child process hands numbered sessions to the writer as fast
// as a busy person changes windows, and is killed with SIGKILL at a random
// moment. After each kill the file opens as it is, holds one numbered
// session whole (never windows of two), the newest handed over no more than
// about a second before the kill (an interval, and slack for a busy
// machine), and the run is told as having ended uncleanly. Every other
// child hands over sessions without pause and writes them back to back,
// with no interval, so that most kills land inside a transaction.
//
// LUMENO_KILL_TRIALS (30), LUMENO_KILL_INTERVAL_MS (50: the writer's
// interval, short so that each trial is short) and LUMENO_KILL_MAX_DELAY_MS
// (150, counted from the child's start-up) change the trial;
// bench/session_kill_trial.sh runs it longer, with the program's interval.
#include "session/core/SessionStore.h"
#include "session/core/SessionWriter.h"
#include "support/SessionSamples.h"

#include <QCoreApplication>
#include <QFile>
#include <QDeadlineTimer>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <ctime>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr qint64 kMaxNumbers = 1 << 16;

// What the child publishes, in a file both processes map.
struct Board
{
    std::atomic<qint64> last;      // the newest number handed over; 0 before the first
    std::atomic<int> running;      // the child marked its run as running
    qint64 handedAt[kMaxNumbers];  // monotonic nanoseconds, by number minus the first
};

Board *mapBoard(QFile &file)
{
    if (!file.open(QIODevice::ReadWrite) || !file.resize(sizeof(Board)))
        return nullptr;
    void *at = ::mmap(nullptr, sizeof(Board), PROT_READ | PROT_WRITE, MAP_SHARED, file.handle(), 0);
    return at == MAP_FAILED ? nullptr : static_cast<Board *>(at);
}

qint64 monotonicNow()
{
    timespec now;
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

int envOr(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

// Session number n: window 0 carries the number, each other window changes
// every third number, their count and order every fifth, when a window is
// closed too. Every field follows from n, so a mix of two shows.
class Numbered
{
public:
    Session session(qint64 n)
    {
        Session s;
        const int count = 4 + int(n / 5 % 5);
        s.host = {QSize(1200 + int(n % 100), 800), 1 + n % count};
        for (int k = 0; k < count; ++k) {
            const qint64 version = k == 0 ? n : n - (n - k) % 3;
            WindowRecord w = window(k + 1, version, 2000 + (version * 7919 + k * 104729) % 30000);
            if (k == 0)
                w.title = QStringLiteral("Number %1").arg(n);
            w.stackPosition = int((k + n / 5) % count);
            s.windows.append(w);
        }
        const qint64 closures = n / 5;
        for (qint64 j = closures; j > closures - 12; --j)
            s.closed.append({window(100000 + j, j, 1000 + j % 5 * 3000),
                             QDateTime::fromMSecsSinceEpoch(1700000000000 + j * 1000)});
        return s;
    }

private:
    // The child makes each window's bytes once, as the host keeps them.
    WindowRecord window(qint64 id, qint64 version, qsizetype size)
    {
        const QString key = QStringLiteral("%1/%2").arg(id).arg(version);
        if (m_made.size() > 200)
            m_made.clear();
        auto found = m_made.constFind(key);
        if (found == m_made.cend())
            found = m_made.insert(key, sampleWindow(id, int(version % 1000000), size));
        return *found;
    }
    QHash<QString, WindowRecord> m_made;
};

// The child: marks its run, then hands over sessions first, first + 1, ...
// every few milliseconds (or, back to back, under one) until it is
// killed.
int writerChild(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString path = QString::fromLocal8Bit(argv[2]);
    QFile boardFile(QString::fromLocal8Bit(argv[3]));
    const qint64 first = QByteArray(argv[4]).toLongLong();
    Board *board = mapBoard(boardFile);
    if (!board)
        return 3;
    {
        SessionStore store(path, "child");
        if (!store.beginRun(nullptr))
            return 4;
    }
    board->running = 1;
    const int interval = QByteArray(argv[5]).toInt();
    SessionWriter writer(path, std::chrono::milliseconds(interval));
    Numbered numbered;
    QRandomGenerator random{quint32(first)};
    for (qint64 n = first; n - first < kMaxNumbers; ++n) {
        Session session = numbered.session(n);
        board->handedAt[n - first] = monotonicNow();
        board->last = n;
        writer.submit(std::move(session));
        ::usleep(interval ? random.bounded(500, 8000) : random.bounded(1000));
    }
    return 5;
}

} // namespace

class tst_SessionKill : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void killedAnyMomentTheSessionComesBackWholeAndRecent()
    {
        const int trials = envOr("LUMENO_KILL_TRIALS", 30);
        const int interval = envOr("LUMENO_KILL_INTERVAL_MS", 50);
        const int maxDelay = envOr("LUMENO_KILL_MAX_DELAY_MS", 150);
        const quint32 seed = envOr("LUMENO_KILL_SEED", QRandomGenerator::global()->bounded(1 << 30));
        QRandomGenerator random(seed);
        const QString path = dir.filePath("Browsing.sqlite");
        QFile boardFile(dir.filePath("board"));
        Board *board = mapBoard(boardFile);
        QVERIFY(board);
        const QByteArray self = QFile::encodeName(QCoreApplication::applicationFilePath());
        const QByteArray pathArg = QFile::encodeName(path);
        const QByteArray boardArg = QFile::encodeName(boardFile.fileName());

        Numbered numbered;
        Session previous;  // what the file held after the trial before
        QList<double> ages[2];  // of the trials with the interval, and back to back
        QStringList failures;
        int newest = 0, before = 0;
        for (int trial = 0; trial < trials; ++trial) {
            board->last = 0;
            board->running = 0;
            const qint64 first = (trial + 1) * 1000000LL;
            const QByteArray firstArg = QByteArray::number(first);
            const int backToBack = trial % 2;
            const QByteArray intervalArg = QByteArray::number(backToBack ? 0 : interval);
            char *args[] = {const_cast<char *>(self.constData()), const_cast<char *>("--writer-child"),
                            const_cast<char *>(pathArg.constData()), const_cast<char *>(boardArg.constData()),
                            const_cast<char *>(firstArg.constData()), const_cast<char *>(intervalArg.constData()),
                            nullptr};
            const pid_t child = ::fork();
            if (child == 0) {
                ::execv(args[0], args);
                ::_exit(127);
            }
            QVERIFY(child > 0);
            // From the start-up on: a kill before it only finds the
            // session of the trial before.
            QDeadlineTimer startUp(5000);
            while (!board->running && !startUp.hasExpired())
                ::usleep(500);
            ::usleep(random.bounded(maxDelay * 1000));
            const qint64 killedAt = monotonicNow();
            ::kill(child, SIGKILL);
            int status = 0;
            ::waitpid(child, &status, 0);
            auto failed = [&](const QString &what) {
                failures << QStringLiteral("trial %1: %2").arg(trial).arg(what);
            };
            if (!board->running)
                failed("the child did not start within 5 s");
            if (!WIFSIGNALED(status)) {
                failed(QStringLiteral("the child ended by itself, status %1").arg(WEXITSTATUS(status)));
                continue;
            }

            SessionStore store(path, "check");
            Session loaded;
            QString error;
            if (!store.isUsable() || !store.openError().isEmpty() || !store.load(&loaded, &error)) {
                failed("the file did not open as it was: " + store.openError() + error);
                break;
            }
            const qint64 last = board->last;
            qint64 back = first - 1;
            if (!(loaded == previous)) {
                const QString title = loaded.windows.value(0).title;
                back = title.startsWith("Number ") ? title.mid(7).toLongLong() : -1;
                Session handed;
                if (back >= first && back <= last) {
                    handed = numbered.session(back);
                    handed.closed = handed.closed.mid(0, SessionStore::ClosedWindowsKept);
                }
                if (!(loaded == handed)) {
                    failed(QStringLiteral("what came back (\"%1\") is no session handed over, whole").arg(title));
                    break;
                }
            }
            const double age = back < last ? (killedAt - board->handedAt[back + 1 - first]) / 1e6 : 0.0;
            ages[backToBack] << age;
            newest += back == last;
            before += back == first - 1;
            if (age > interval + 1000)
                failed(QStringLiteral("what came back was replaced %1 ms before the kill").arg(age));
            if (board->running) {
                const auto start = store.beginRun(&error);
                if (!start || !start->uncleanEnd)
                    failed("the run was not told as ended uncleanly " + error);
                store.endRun(&error);
            }
            previous = loaded;
        }
        for (QList<double> &a : ages)
            std::sort(a.begin(), a.end());
        auto figures = [](const QList<double> &a) {
            if (a.isEmpty())
                return QStringLiteral("none");
            return QStringLiteral("median %1 ms, worst %2 ms")
                .arg(a[a.size() / 2], 0, 'f', 1)
                .arg(a.last(), 0, 'f', 1);
        };
        qInfo("kill trial (seed %u, kills 0-%d ms after the start-up): %d trials, %lld failed; came back: the newest "
              "session handed over %d times, the session before the child's first write %d times; age of what "
              "came back, with a %d ms interval: %s; written back to back: %s",
              seed, maxDelay, trials, qsizetype(failures.size()), newest, before, interval,
              qPrintable(figures(ages[0])), qPrintable(figures(ages[1])));
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
        QCOMPARE(ages[0].size() + ages[1].size(), trials);
    }
};

int main(int argc, char **argv)
{
    if (argc == 6 && qstrcmp(argv[1], "--writer-child") == 0)
        return writerChild(argc, argv);
    QCoreApplication app(argc, argv);
    tst_SessionKill test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sessionkill.moc"
