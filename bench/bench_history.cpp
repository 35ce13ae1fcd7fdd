// The history at scale: a store of 100,000 pages (about 500,000 visits over a
// year, addresses and titles made from common words and sites, visits
// spread the way people revisit a few sites often), then
//  - start-up: the store opened and its pages ready for suggestions, against
//    an empty store, with how long the UI thread was held at a stretch;
//  - suggestions: 200 keystrokes typing words letter by letter, each
//    suggest() timed (median and worst);
//  - visits recorded on the UI thread, merges of word keys included;
//  - the History window's questions on the history's own thread.
// Run: build/bench/bench_history [pages=100000] [runs=5] [file to fill once and keep]
#include "history/core/AddressSuggestions.h"
#include "history/core/HistoryAddress.h"
#include "history/core/HistoryDatabase.h"
#include "history/core/HistoryStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <time.h>

namespace {

const QStringList kWords = QStringLiteral(
    "news weather linux kernel python rust music video recipe chicken garden travel paris london berlin tokyo "
    "football cricket election climate energy solar battery phone laptop review guide tutorial install debian "
    "ubuntu server network router printer camera lens photo film series season episode actor history war "
    "science space mars moon planet ocean forest mountain river city house kitchen bread coffee tea wine beer "
    "health sleep running cycling yoga school university course math physics chemistry biology library book "
    "novel poetry author chapter story game chess puzzle card board market stock price bank loan tax job career "
    "salary meeting project release version update security password privacy browser search email calendar "
    "map train flight hotel ticket concert festival museum art painting design font color theme plugin editor "
    "compiler debugger memory thread database query index table cache storage cloud backup archive download "
    "upload image audio podcast radio stream live chat forum thread answer question problem error bug fix").split(' ');
const QStringList kSites = QStringLiteral(
    "wikipedia github stackoverflow reddit youtube bbc theguardian nytimes lemonde spiegel debian ubuntu "
    "archlinux python rust-lang cppreference qt kde gnome mozilla imdb amazon ebay etsy booking tripadvisor "
    "weather openstreetmap arxiv nature sciencedaily medium substack hackernews lwn phoronix arstechnica").split(' ');

QString word(QRandomGenerator &r) { return kWords[r.bounded(kWords.size())]; }
QString capital(QString s) { s[0] = s[0].toUpper(); return s; }

// Sites: the famous ones, then many small ones; Zipf-like choice.
QString site(QRandomGenerator &r)
{
    const double u = r.generateDouble();
    const int rank = int(std::pow(3000.0, u * u)) - 1; // small ranks far more often
    if (rank < kSites.size())
        return kSites[rank] + (rank % 3 == 0 ? ".org" : ".com");
    return QStringLiteral("%1%2.%3").arg(kWords[rank % kWords.size()], kWords[(rank / 7) % kWords.size()],
                                          rank % 5 == 0 ? "net" : rank % 5 == 1 ? "de" : "com");
}

HistoryVisit makePage(QRandomGenerator &r, int n, qint64 now)
{
    const QString host = site(r);
    QString path;
    switch (r.bounded(4)) {
    case 0: path = QStringLiteral("/wiki/%1_%2").arg(capital(word(r)), word(r)); break;
    case 1: path = QStringLiteral("/%1/%2-%3-%4").arg(word(r), word(r), word(r)).arg(n); break;
    case 2: path = QStringLiteral("/%1/%2?id=%3&ref=%4").arg(word(r), word(r)).arg(n).arg(word(r)); break;
    default: path = QStringLiteral("/%1/%2/%3.html").arg(word(r), word(r)).arg(n); break;
    }
    const QString scheme = r.bounded(10) < 8 ? "https://" : "http://";
    const QString www = r.bounded(3) == 0 ? "www." : "";
    HistoryVisit v;
    v.address = HistoryAddress::normalized(QUrl(scheme + www + host + path));
    v.title = QStringLiteral("%1 %2 %3 %4 - %5")
                  .arg(capital(word(r)), word(r), word(r), word(r), capital(host.section('.', 0, 0)));
    v.atMsecs = now - qint64(r.generateDouble() * 365.0 * 86400000.0);
    return v;
}

void fill(const QString &path, int pages)
{
    QRandomGenerator r(42);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    HistoryDatabase db(path, "fill");
    QList<HistoryVisit> batch;
    QElapsedTimer t;
    t.start();
    int visits = 0;
    QSet<QString> made; // an address made twice would be one page
    for (int n = 0; made.size() < pages; ++n) {
        HistoryVisit v = makePage(r, n, now);
        if (made.contains(v.address))
            continue;
        made.insert(v.address);
        // Most pages seen once; some again and again.
        const int times = 1 + int(std::floor(std::pow(r.generateDouble(), 6) * 30));
        for (int i = 0; i < times; ++i) {
            batch.append(v);
            v.atMsecs -= qint64(r.bounded(30 * 86400)) * 1000;
            ++visits;
        }
        if (batch.size() >= 2000) {
            QString error;
            if (!db.record(batch, &error))
                qFatal("fill: %s", qPrintable(error));
            batch.clear();
        }
    }
    QString error;
    db.record(batch, &error);
    std::printf("filled %d pages, %d visits in %.1f s; file %.1f MB\n", pages, visits, t.elapsed() / 1000.0,
                QFile(path).size() / 1e6);
}

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double median(QList<double> v) { std::sort(v.begin(), v.end()); return v.isEmpty() ? 0 : v[v.size() / 2]; }

long rssKb()
{
    QFile f("/proc/self/statm");
    f.open(QIODevice::ReadOnly);
    return f.readAll().split(' ').value(1).toLong() * 4;
}

struct StartUp { double construct, ready, longestStall; long rssGrowth; };

// Opens a store as the program does at start and spins the event loop
// until its pages are ready; each event-loop turn timed, so the longest is
// the longest the UI thread was held.
StartUp startUp(const QString &path)
{
    StartUp s{};
    const long rssBefore = rssKb();
    QElapsedTimer t;
    t.start();
    auto *store = new HistoryStore(path);
    s.construct = t.nsecsElapsed() / 1e6;
    // Each turn of the event loop handles what is there and returns: the
    // longest is the longest the UI thread was held by the store.
    while (!store->isLoaded()) {
        QElapsedTimer turn;
        turn.start();
        QCoreApplication::processEvents();
        s.longestStall = std::max(s.longestStall, turn.nsecsElapsed() / 1e6);
        if (!store->isLoaded())
            QThread::msleep(1);
    }
    s.ready = t.nsecsElapsed() / 1e6;
    s.rssGrowth = rssKb() - rssBefore;
    delete store;
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int pages = argc > 1 ? atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? atoi(argv[2]) : 5;
    // A file named as the third argument is filled once and kept.
    QTemporaryDir dir;
    const QString full = argc > 3 ? QString::fromLocal8Bit(argv[3]) : dir.filePath("full/Browsing.sqlite");
    const QString empty = dir.filePath("empty/Browsing.sqlite");
    if (!QFile::exists(full))
        fill(full, pages);
    { HistoryDatabase db(empty, "empty"); }

    // Start-up, alternating, so that both see the same machine.
    QList<double> construct[2], ready[2], stall[2];
    long rss = 0;
    for (int i = 0; i < runs; ++i) {
        for (int which = 0; which < 2; ++which) {
            const StartUp s = startUp(which ? full : empty);
            construct[which] << s.construct;
            ready[which] << s.ready;
            stall[which] << s.longestStall;
            if (which && i == 0)
                rss = s.rssGrowth;
        }
    }
    for (int which = 0; which < 2; ++which)
        std::printf("start-up, %-13s constructor %6.2f ms | ready for suggestions %7.1f ms | longest UI-thread "
                    "turn %6.2f ms   (medians of %d)\n",
                    which ? qPrintable(QStringLiteral("%1 pages:").arg(pages)) : "empty store:",
                    median(construct[which]), median(ready[which]), median(stall[which]), runs);
    std::printf("memory held by the loaded pages (RSS growth, first load in the process): %.1f MB\n", rss / 1024.0);

    // What the history's thread spends that time on.
    {
        QList<double> open, load;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer t;
            t.start();
            HistoryDatabase db(full, "parts");
            open << t.nsecsElapsed() / 1e6;
            HistoryIndex index;
            QString error;
            t.restart();
            db.load(&index, &error);
            load << t.nsecsElapsed() / 1e6;
        }
        std::printf("on the history's thread: opening the file (with SQLite's quick check of all of it) %.1f ms, "
                    "reading the pages and sorting their words %.1f ms   (medians of %d)\n",
                    median(open), median(load), runs);
    }

    // Keystrokes, on a copy: the visits recorded below must not grow the
    // kept file.
    const QString copy = dir.filePath("copy.sqlite");
    QFile::copy(full, copy);
    HistoryStore store(copy);
    while (!store.isLoaded())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    AddressSuggestions suggestions(store.index());
    QList<FavoriteEntry> favorites;
    QRandomGenerator r(7);
    for (int i = 0; i < 200; ++i)
        favorites.append({makePage(r, i, 0).title, makePage(r, i, 0).address});
    suggestions.setFavorites(favorites);

    const QStringList phrases = {"linux kernel", "github.com/", "weather paris", "wikipedia", "python tutorial",
                                 "news", "debian install guide", "https://www.bbc", "coffee", "xyzzy qwerty",
                                 "stackoverflow python error", "recipe chicken", "museum art paris", "lwn"};
    QList<double> times, first, cpu;
    int keystrokes = 0, rows = 0, completed = 0;
    for (int p = 0; keystrokes < 200; ++p) {
        const QString &phrase = phrases[p % phrases.size()];
        for (int n = 1; n <= phrase.size() && keystrokes < 200; ++n, ++keystrokes) {
            const double cpuBefore = threadCpuMs();
            QElapsedTimer t;
            t.start();
            const Suggestions s = suggestions.suggest(phrase.left(n), false);
            const double ms = t.nsecsElapsed() / 1e6;
            cpu << threadCpuMs() - cpuBefore;
            if (qEnvironmentVariableIsSet("BENCH_VERBOSE"))
                std::printf("  %-28s %7.3f ms, CPU %7.3f ms, %lld rows\n", qPrintable(phrase.left(n)), ms,
                            cpu.last(), qint64(s.rows.size()));
            times << ms;
            if (n == 1 || phrase[n - 2] == ' ')
                first << ms;
            rows += int(s.rows.size());
            completed += s.completion.isEmpty() ? 0 : 1;
        }
    }
    std::printf("suggest(), %d keystrokes: median %.3f ms, worst %.3f ms (CPU time of the thread: median %.3f, "
                "worst %.3f); first letter of a word: median %.3f ms, worst %.3f ms; %.1f rows on average, %d "
                "completed inline\n",
                keystrokes, median(times), *std::max_element(times.begin(), times.end()), median(cpu),
                *std::max_element(cpu.begin(), cpu.end()), median(first), *std::max_element(first.begin(), first.end()),
                double(rows) / keystrokes, completed);

    // Visits recorded on the UI thread: the in-memory change, and now and
    // then the merge of the pages added since into the sorted keys.
    QList<double> visits, visitsCpu;
    for (int i = 0; i < 3000; ++i) {
        const HistoryVisit v = makePage(r, 1000000 + i, QDateTime::currentMSecsSinceEpoch());
        const double cpuBefore = threadCpuMs();
        QElapsedTimer t;
        t.start();
        store.recordVisit(QUrl(v.address), v.title);
        visits << t.nsecsElapsed() / 1e6;
        visitsCpu << threadCpuMs() - cpuBefore;
    }
    std::printf("recordVisit() on the UI thread, 3,000 new pages: median %.3f ms, worst %.2f ms (CPU time: "
                "median %.3f, worst %.2f: a merge)\n",
                median(visits), *std::max_element(visits.begin(), visits.end()), median(visitsCpu),
                *std::max_element(visitsCpu.begin(), visitsCpu.end()));

    // The History window's questions, on this thread with a connection of
    // its own (as the history's thread answers them).
    HistoryDatabase db(full, "window");
    auto time = [](const char *what, const std::function<int()> &work) {
        QList<double> ms;
        int n = 0;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer t;
            t.start();
            n = work();
            ms << t.nsecsElapsed() / 1e6;
        }
        std::printf("%-44s median %7.2f ms (%d rows)\n", what, median(ms), n);
    };
    const QList<HistoryDay> days = db.days({}, 30);
    time("days(), the newest 30", [&] { return int(db.days({}, 30).size()); });
    time("dayPages(), first 50 of the newest day", [&] { return int(db.dayPages(days[0].day, {}, 50).pages.size()); });
    time("search(\"\"), first 50", [&] { return int(db.search("", {}, 50).pages.size()); });
    time("search(\"linux kernel\"), first 50", [&] { return int(db.search("linux kernel", {}, 50).pages.size()); });
    time("search(\"xyzzy\") (no match: every page read)", [&] { return int(db.search("xyzzy", {}, 50).pages.size()); });
    return 0;
}
