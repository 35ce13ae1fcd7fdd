// The session on the real engine, in a whole host, against pages served on
// 127.0.0.1 (offscreen):
//   bench_restore nav [navigations]   the host's cost of one navigation in one
//       of 30 windows: the session made (that window's history written by
//       the engine, 30 records) and handed to the writer, on the host's
//       thread; median, 99th percentile, worst
//   bench_restore start [rounds]      start-up to the first page shown, with
//       nothing to restore and with 30 windows of the last Quit to reopen
//       (stacked on one place, and cascaded so that every window shows a
//       strip), alternating in one process
//   bench_restore pss N [stacked|cascaded]   PSS of this process and the
//       engine's processes 5 s after a start that reopened N windows
#include "session/core/SessionStore.h"
#include "session/ui/SessionKeeper.h"
#include "shell/core/Module1.h"
#include "shell/ui/HostSession.h"
#include "support/EngineTest.h"
#include "support/FakeDialogs.h"
#include "support/MemorySettingsStore.h"
#include "support/TestServer.h"

#include <QDir>
#include <QTemporaryDir>
#include <QWebEngineProfile>

#include <algorithm>
#include <cstdio>

namespace {

struct Bench
{
    TestServer server;
    QTemporaryDir dir;
    QWebEngineProfile *profile = new QWebEngineProfile(QStringLiteral("bench"));
    MemorySettingsStore store;
    FakeDialogs dialogs;
    std::unique_ptr<QtWebViewFactory> views;

    Bench()
    {
        QByteArray filler;
        for (int i = 0; i < 40; ++i)
            filler += "<p>Some text of a page, so that it is drawn as pages are.</p>";
        for (const char *p : {"/home", "/a", "/b", "/c"})
            server.page(p, "<title>" + QByteArray(p + 1) + "</title><input id=t>" + filler);
        store.values.insert("Lumeno2/Internet/HomePage", server.url("/home").toString());
        views = std::make_unique<QtWebViewFactory>(profile, store, dialogs);
    }
    ~Bench()
    {
        views.reset();
        delete profile;
    }
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    std::unique_ptr<frmMain> start(const QString &session)
    {
        Module1::resetSharedState();
        auto host = std::make_unique<frmMain>(store, *views, dialogs);
        host->setMarkvaultPath(QString());
        host->resize(1200, 900);
        host->keepSession(session);
        host->Form_Load();
        host->show();
        return host;
    }
    // A file that holds `n` windows of a Quit, each with three pages of
    // history, at the second.
    void seed(const QString &file, int n, bool cascaded)
    {
        auto view = newView(*views);
        load(*view, server.url("/a").toString());
        load(*view, server.url("/b").toString());
        load(*view, server.url("/c").toString());
        view->GoBack();
        waitUntil([&] { return view->LocationURL().endsWith("/b"); });
        const QByteArray history = view->sessionHistory();
        Session session;
        for (int i = 0; i < n; ++i) {
            WindowRecord w;
            w.id = i + 1;
            w.geometry = cascaded ? QRect(10 + 24 * i, 10 + 18 * i, 480, 360) : QRect(10, 10, 480, 360);
            w.history = history;
            w.address = server.url("/b").toString();
            w.title = QStringLiteral("b");
            w.stackPosition = i;
            session.windows << w;
        }
        QFile::remove(file);
        SessionStore writing(file, QStringLiteral("seed"));
        QString error;
        if (!writing.save(session, &error) || !writing.beginRun(&error) || !writing.endRun(&error))
            std::fprintf(stderr, "seed: %s\n", qPrintable(error));
    }
    static bool frontShown(frmMain &host, int windows)
    {
        frmBrowser *front = host.frontWindow();
        return host.browserWindows().size() == windows && front && !front->wb->DocumentTitle().isEmpty()
               && pageOf(front)->url().isValid() && !pageOf(front)->isLoading();
    }
};

void report(const char *what, QList<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    std::printf("%-58s median %8.3f ms  p99 %8.3f ms  worst %8.3f ms  (%lld)\n", what, ns[ns.size() / 2] / 1e6,
                ns[std::min(ns.size() - 1, ns.size() * 99 / 100)] / 1e6, ns.last() / 1e6, qint64(ns.size()));
}

qint64 pssKb(int pid)
{
    QFile f(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("Pss:"))
            return line.mid(4).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// This process and every process below it.
qint64 treePssKb(int *processes)
{
    QMap<int, int> parent;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (entry.toInt() > 0 && stat.open(QIODevice::ReadOnly)) {
            const QByteArray s = stat.readAll();
            parent[entry.toInt()] = s.mid(s.lastIndexOf(')') + 2).split(' ').value(1).toInt();
        }
    }
    QList<int> tree{int(QCoreApplication::applicationPid())};
    for (qsizetype i = 0; i < tree.size(); ++i)
        for (auto it = parent.cbegin(); it != parent.cend(); ++it)
            if (it.value() == tree[i])
                tree << it.key();
    qint64 total = 0;
    for (int pid : tree)
        total += pssKb(pid);
    *processes = int(tree.size());
    return total;
}

int navigation(Bench &b, int count)
{
    auto host = b.start(b.path("nav.sqlite"));
    const char *pages[] = {"/a", "/b", "/c"};
    for (int i = 1; i < 30; ++i)
        host->openWindow(b.server.url(pages[i % 3]).toString(), frmMain::Placement::WhereItAppears);
    frmBrowser *front = host->frontWindow();
    waitUntil([&] { return front->wb->DocumentTitle() == "a"; });
    SessionKeeper &keeper = host->session()->keeper();
    QList<qint64> made;
    QElapsedTimer t;
    for (int i = 0; i < count; ++i) {
        load(*front->wb, b.server.url(pages[i % 3]).toString());
        // What the keeper does after a navigation: the window's history
        // written again, the session made and handed over.
        emit front->wb->HistoryChanged();
        t.start();
        Session session = keeper.collect();
        made << t.nsecsElapsed();
    }
    std::printf("30 windows, %lld bytes of history in the window navigated\n",
                qint64(front->wb->sessionHistory().size()));
    report("session made after one navigation (host's thread)", made);
    waitUntil([&] { return false; }, 1500);
    std::printf("writes by the writer during %d navigations: %d\n", count, keeper.writes());
    host->close();
    return 0;
}

int startUp(Bench &b, int rounds)
{
    QList<qint64> none, stacked, cascaded;
    QElapsedTimer t;
    b.store.values.insert("Lumeno2/Options/ReopenWindows", "True");
    for (int r = 0; r < rounds; ++r) {
        for (int kind = 0; kind < 3; ++kind) {
            const QString file = b.path("start.sqlite");
            if (kind == 0) {
                QFile::remove(file);
            } else {
                b.seed(file, 30, kind == 2);
            }
            const int windows = kind == 0 ? 1 : 30;
            t.start();
            auto host = b.start(file);
            if (!waitUntil([&] { return Bench::frontShown(*host, windows); }, 60000))
                std::fprintf(stderr, "start %d: the front window did not show\n", kind);
            (kind == 0 ? none : kind == 1 ? stacked : cascaded) << t.nsecsElapsed();
            host->close();
            waitUntil([&] { return host->isUnloaded(); });
            host.reset();
            waitUntil([&] { return false; }, 500);
        }
    }
    report("start-up to the first page shown, nothing to restore", none);
    report("start-up to the front page shown, 30 windows stacked", stacked);
    report("start-up to the front page shown, 30 windows cascaded", cascaded);
    return 0;
}

int memory(Bench &b, int n, bool cascaded)
{
    b.store.values.insert("Lumeno2/Options/ReopenWindows", "True");
    const QString file = b.path("pss.sqlite");
    b.seed(file, n, cascaded);
    auto host = b.start(file);
    waitUntil([&] { return Bench::frontShown(*host, n); }, 60000);
    waitUntil([&] { return false; }, 5000);
    int loaded = 0;
    for (frmBrowser *w : host->browserWindows())
        loaded += w->wb->resting().state() != PageLifecycle::State::Discarded;
    int processes = 0;
    const qint64 kb = treePssKb(&processes);
    std::printf("%d windows restored (%s), %d pages loaded: PSS %.1f MB in %d processes\n", n,
                cascaded ? "cascaded" : "stacked", loaded, kb / 1024.0, processes);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    prepareEngineTest();
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLatin1(argv[1]) : QStringLiteral("nav");
    Bench b;
    if (mode == "start")
        return startUp(b, argc > 2 ? atoi(argv[2]) : 5);
    if (mode == "pss")
        return memory(b, argc > 2 ? atoi(argv[2]) : 1, argc > 3 && qstrcmp(argv[3], "cascaded") == 0);
    return navigation(b, argc > 2 ? atoi(argv[2]) : 200);
}
