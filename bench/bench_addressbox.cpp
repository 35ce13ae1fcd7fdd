// The address box with a history of 100,000 pages, in a whole host (page
// views faked: the engine draws nothing here): the time from a key pressed in
// the box to the suggestion list drawn, for 200 keystrokes typing words
// letter by letter, and in the same run the same keystrokes with the list
// turned off (the box alone drawn). Offscreen, so drawing is Qt's raster
// painting into the window's backing store, as under X11 without the copy to
// the screen.
// Run: build/bench/bench_history 100000 1 /tmp/history-100k.sqlite   (fills it once)
//      build/bench/bench_addressbox /tmp/history-100k.sqlite [runs=3]
#include "browser/ui/AddressBox.h"
#include "history/core/HistoryStore.h"
#include "history/ui/AddressCompleter.h"
#include "history/ui/SuggestionList.h"
#include "support/HostFixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>

namespace {

// Words as people type them into an address box: sites, topics, pieces of
// addresses, the last one cut short. 200 letters in all.
const QStringList kTyped = QStringLiteral(
    "wikipedia linux kernel python tutorial weather paris github debian install recipe chicken "
    "stackoverflow error music festival youtube video review laptop battery university course "
    "chemistry library novel chapter travel flight hote").split(' ');

// Notes when a widget has been painted.
class PaintWatch : public QObject
{
public:
    bool painted = false;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

struct Pass
{
    QList<double> ms;
    QList<double> drawnMs; // the keystrokes that drew the list anew
    int rows = 0;
};

// Types every word letter by letter into the box, each keystroke timed from
// the key press until the event loop has painted what it changed.
Pass typeAll(frmBrowser *w, bool listOn)
{
    Pass pass;
    w->completer->setEnabled(listOn);
    SuggestionList *list = w->completer->list();
    PaintWatch listPaint, boxPaint;
    list->viewport()->installEventFilter(&listPaint);
    w->txtURL->installEventFilter(&boxPaint);
    for (const QString &word : kTyped) {
        w->focusAddressBox();
        QCoreApplication::processEvents();
        for (const QChar c : word) {
            listPaint.painted = boxPaint.painted = false;
            QElapsedTimer t;
            t.start();
            QTest::keyClick(w->txtURL, c.toLatin1());
            // The box and the list are painted in one pass over the window
            // (the list only where it changed); it is over when the call
            // that painted the box returns.
            while (!boxPaint.painted && t.elapsed() < 1000)
                QCoreApplication::processEvents();
            pass.ms << t.nsecsElapsed() / 1e6;
            if (listPaint.painted) {
                pass.drawnMs << pass.ms.last();
                pass.rows += list->count();
            }
        }
        QTest::keyClick(w->txtURL, Qt::Key_Escape);
        QTest::keyClick(w->txtURL, Qt::Key_Escape);
    }
    list->viewport()->removeEventFilter(&listPaint);
    w->txtURL->removeEventFilter(&boxPaint);
    return pass;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2 || !QFile::exists(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "usage: bench_addressbox HISTORY-FILE [runs]\n"
                             "  (fill one with: bench_history 100000 1 HISTORY-FILE)\n");
        return 2;
    }
    const int runs = argc > 2 ? atoi(argv[2]) : 3;
    // The file is copied: the run records nothing in the one given.
    QTemporaryDir dir;
    const QString path = dir.filePath("Browsing.sqlite");
    QFile::copy(QString::fromLocal8Bit(argv[1]), path);

    HostFixture fixture;
    fixture.reset();
    fixture.history = std::make_unique<HistoryStore>(path);
    QElapsedTimer loading;
    loading.start();
    while (!fixture.history->isLoaded())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    std::printf("history: %d pages, loaded in %lld ms\n", fixture.history->index().size(), loading.elapsed());
    fixture.start();
    frmBrowser *w = fixture.firstWindow();
    fixture.host->resize(1024, 768);
    w->resize(900, 600);

    int keystrokes = 0;
    for (const QString &word : kTyped)
        keystrokes += int(word.size());
    const auto worst = [](const QList<double> &v) { return v.isEmpty() ? 0 : *std::max_element(v.begin(), v.end()); };
    QList<double> allOff, allOn, allDrawn;
    for (int run = 1; run <= runs; ++run) {
        const Pass off = typeAll(w, false);
        const Pass on = typeAll(w, true);
        allOff << off.ms;
        allOn << on.ms;
        allDrawn << on.drawnMs;
        std::printf("run %d, %d keystrokes: list off median %.2f worst %.2f ms | list on median %.2f worst %.2f ms"
                    " | the %lld that drew the list anew (%.1f rows): median %.2f worst %.2f ms\n",
                    run, keystrokes, median(off.ms), worst(off.ms), median(on.ms), worst(on.ms),
                    qlonglong(on.drawnMs.size()), on.drawnMs.isEmpty() ? 0.0 : double(on.rows) / on.drawnMs.size(),
                    median(on.drawnMs), worst(on.drawnMs));
    }
    std::printf("all runs: list off median %.2f worst %.2f ms | list on median %.2f worst %.2f ms | list drawn anew "
                "median %.2f worst %.2f ms\n",
                median(allOff), worst(allOff), median(allOn), worst(allOn), median(allDrawn), worst(allDrawn));
    fixture.finish();
    return 0;
}
