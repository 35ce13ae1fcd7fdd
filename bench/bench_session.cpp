// The session written as windows change, with 30 windows whose histories
// are 3 to 61 KB (about 0.9 MB in all). Prints median, 99th percentile and
// worst of:
// - the time the host's thread spends handing the session over after one
//   window changed: that window's record replaced in the host's list (its
//   history serialised by the engine beforehand, not timed here), the
//   session made from the list, submit(); while the writer writes at its
//   own interval beside it;
// - the time the writer's thread spends per write: the writes above (each
//   holding the changes of about a second), and writes of one changed
//   window each;
// - what flush() costs the host's thread (at quit) after one change;
// and the first write of the whole session.
// Run: build/bench/bench_session [changes] [directory for the file]
#include "session/core/SessionStore.h"
#include "session/core/SessionWriter.h"
#include "support/SessionSamples.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kWindows = 30;

void report(const char *what, QList<qint64> ns)
{
    if (ns.isEmpty()) {
        std::printf("%-62s none\n", what);
        return;
    }
    std::sort(ns.begin(), ns.end());
    std::printf("%-62s median %8.3f ms  p99 %8.3f ms  worst %8.3f ms  (%lld)\n", what, ns[ns.size() / 2] / 1e6,
                ns[std::min(ns.size() - 1, ns.size() * 99 / 100)] / 1e6, ns.last() / 1e6, qint64(ns.size()));
    std::fflush(stdout);
}

// The host's side: each window's record as last serialised, in stacking
// order, and the session made from them.
struct Host
{
    HostRecord host{QSize(1600, 1000), 1};
    QList<WindowRecord> windows;
    QList<ClosedWindow> closed;

    Session session() const { return {host, windows, closed}; }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int changes = argc > 1 ? std::max(100, atoi(argv[1])) : 3000;
    QTemporaryDir dir(argc > 2 ? QString::fromLocal8Bit(argv[2]) + "/bench_session-XXXXXX" : QString());
    if (!dir.isValid()) {
        std::fprintf(stderr, "no directory for the file\n");
        return 1;
    }
    const QString path = dir.filePath("Browsing.sqlite");

    Host host;
    qsizetype bytes = 0;
    for (int i = 0; i < kWindows; ++i) {
        host.windows.append(sampleWindow(i + 1, 0, 3000 + i * 2000));
        bytes += host.windows.last().history.size();
    }
    for (int i = 0; i < SessionStore::ClosedWindowsKept; ++i)
        host.closed.append({sampleWindow(100 + i, 0, 8000), QDateTime::currentDateTime().addSecs(-i)});
    // The new states of the windows, made before: the engine's work, not
    // the session's.
    QList<WindowRecord> next;
    for (int i = 0; i < 256; ++i) {
        const int k = (i * 7) % kWindows;
        next.append(sampleWindow(k + 1, i + 1, 3000 + k * 2000 + (i % 5) * 500));
    }
    std::printf("%d windows, histories %lld KB in all, the file in %s\n", kWindows, qint64(bytes / 1024),
                qPrintable(dir.path()));

    QList<qint64> handOver, coalesced, single, flushes;
    {
        SessionWriter writer(path);
        QElapsedTimer whole;
        whole.start();
        writer.submit(host.session());
        writer.flush();
        std::printf("%-62s %8.3f ms  (flush, the file opened and made first: %.3f ms)\n",
                    "first write, the whole session, writer's thread", writer.counts().lastWriteNanoseconds / 1e6,
                    whole.nsecsElapsed() / 1e6);
        int writes = writer.counts().writes;
        for (int i = 0; i < changes; ++i) {
            const WindowRecord &changed = next[i % next.size()];
            QElapsedTimer timer;
            timer.start();
            host.windows[changed.id - 1] = changed;
            host.host.frontWindow = changed.id;
            writer.submit(host.session());
            handOver << timer.nsecsElapsed();
            // Changes a few milliseconds apart, as while pages load.
            QThread::usleep(2000);
            const SessionWriter::Counts counts = writer.counts();
            if (counts.writes > writes)
                coalesced << counts.lastWriteNanoseconds;
            writes = counts.writes;
        }
    }
    {
        SessionWriter writer(path);
        writer.submit(host.session());
        writer.flush();
        for (int i = 0; i < std::max(100, changes / 10); ++i) {
            const WindowRecord &changed = next[(i * 13) % next.size()];
            host.windows[changed.id - 1] = changed;
            writer.submit(host.session());
            QElapsedTimer timer;
            timer.start();
            writer.flush();
            flushes << timer.nsecsElapsed();
            single << writer.counts().lastWriteNanoseconds;
        }
    }
    report("hand-over after one window changed, host's thread", handOver);
    report("write of a second's changes, writer's thread", coalesced);
    report("write of one changed window, writer's thread", single);
    report("flush after one change, host's thread waits", flushes);
    return 0;
}
