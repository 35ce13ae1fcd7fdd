// A pop-up storm: a page that calls window.open 10,000 times in one loop, in a
// whole host with the real engine and blocking on. Prints the time until the
// count reaches 10,000, the page's own loop time, the memory of the process
// tree before and after, how late a 10 ms timer ran during the storm, and
// whether anything opened. With "frame", the loop runs in an inner frame from
// another site (localhost inside a page of 127.0.0.1); with "blank", in an
// empty frame the page makes itself, where the engine gives the program no
// script of its own, so each call goes to the engine.
// Run: build/bench/bench_popups [calls] [runs] [main|frame|blank]
#include "browser/engine/QtWebView.h"
#include "browser/engine/QtWebViewFactory.h"
#include "browser/ui/frmBrowser.h"
#include "shell/core/Module1.h"
#include "shell/ui/StatusBar.h"
#include "shell/ui/frmMain.h"
#include "support/FakeDialogs.h"
#include "support/MemorySettingsStore.h"
#include "support/TestServer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <cstdio>
#include <unistd.h>

namespace {
// Proportional set size of this process and all its descendants, in MiB.
double treePssMiB()
{
    QMap<int, QList<int>> children;
    for (const QString &entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool ok = false;
        const int pid = entry.toInt(&ok);
        if (!ok)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray s = stat.readAll();
        const QList<QByteArray> f = s.mid(s.lastIndexOf(')') + 2).split(' ');
        if (f.size() > 1)
            children[f[1].toInt()] << pid;
    }
    double kib = 0;
    QList<int> todo{int(getpid())};
    while (!todo.isEmpty()) {
        const int pid = todo.takeFirst();
        todo << children.value(pid);
        QFile f(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : f.readAll().split('\n'))
            if (line.startsWith("Pss:"))
                kib += line.simplified().split(' ').value(1).toDouble();
    }
    return kib / 1024.0;
}

void wait(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}
} // namespace

int main(int argc, char **argv)
{
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QtWebView::prepareEnvironment();
    QApplication app(argc, argv);
    const int calls = argc > 1 ? atoi(argv[1]) : 10000;
    const int runs = argc > 2 ? atoi(argv[2]) : 3;
    const QByteArray where = argc > 3 ? QByteArray(argv[3]) : QByteArray("main");

    TestServer server;
    server.page("/home", "<html><head><title>home</title></head><body>home</body></html>");
    server.page("/storm",
                QStringLiteral("<html><body><script>var t0 = performance.now(), nulls = 0;"
                               "for (var i = 0; i < %1; ++i) if (window.open('about:blank') === null) ++nulls;"
                               "document.title = 'done ' + nulls + ' ' + (performance.now() - t0).toFixed(1);"
                               "</script></body></html>").arg(calls).toUtf8());
    // The same loop in a frame of another site, which hands its result to
    // the page's title.
    server.page("/stormframe",
                QStringLiteral("<html><body><script>var t0 = performance.now(), nulls = 0;"
                               "for (var i = 0; i < %1; ++i) if (window.open('about:blank') === null) ++nulls;"
                               "parent.postMessage('done ' + nulls + ' ' + (performance.now() - t0).toFixed(1), '*');"
                               "</script></body></html>").arg(calls).toUtf8());
    server.page("/stormouter",
                "<html><body><script>addEventListener('message', function (e) {"
                "  document.title = e.data; });"
                "var f = document.createElement('iframe');"
                "f.src = '" + server.url("/stormframe", "localhost").toEncoded() + "' + location.search;"
                "document.body.appendChild(f);</script></body></html>");
    server.page("/stormblank",
                QStringLiteral("<html><body><script>var f = document.createElement('iframe');"
                               "document.body.appendChild(f);"
                               "var open = f.contentWindow.open, t0 = performance.now(), nulls = 0;"
                               "for (var i = 0; i < %1; ++i) if (open('about:blank') === null) ++nulls;"
                               "document.title = 'done ' + nulls + ' ' + (performance.now() - t0).toFixed(1);"
                               "</script></body></html>").arg(calls).toUtf8());

    auto *profile = new QWebEngineProfile;
    MemorySettingsStore store;
    store.setOption("KillPopups", "True");
    store.values.insert("Lumeno2/Internet/HomePage", server.url("/home").toString());
    FakeDialogs dialogs;
    QtWebViewFactory views(profile, store, dialogs);
    {
        frmMain host(store, views, dialogs);
        host.Form_Load();
        host.show();
        frmBrowser *w = host.workspace()->findChild<frmBrowser *>();
        auto *view = static_cast<QtWebView *>(w->wb);
        while (w->lblTitle->text() != "home")
            wait(20);
        wait(1000);
        std::printf("calls=%d runs=%d from=%s\n", calls, runs, where.constData());
        for (int run = 1; run <= runs; ++run) {
            const double pssBefore = treePssMiB();
            const int countBefore = KilledPopups;
            qint64 worstLate = 0;
            QElapsedTimer tick;
            QTimer probe;
            probe.setInterval(10);
            QObject::connect(&probe, &QTimer::timeout, [&] {
                worstLate = qMax(worstLate, tick.restart() - 10);
            });
            QElapsedTimer clock;
            clock.start();
            tick.start();
            probe.start();
            const char *path = where == "frame" ? "/stormouter"
                               : where == "blank" ? "/stormblank" : "/storm";
            view->Navigate2(server.url(path).toString() + "?run=" + QString::number(run));
            while (KilledPopups - countBefore < calls && clock.elapsed() < 120000)
                wait(1);
            const qint64 counted = clock.elapsed();
            probe.stop();
            while (!w->lblTitle->text().startsWith("done") && clock.elapsed() < 120000)
                wait(5);
            wait(2000);
            int topLevelViews = 0;
            for (QWidget *top : QApplication::topLevelWidgets())
                topLevelViews += qobject_cast<QWebEngineView *>(top) && top->isVisible();
            std::printf("run %d: counted %d in %lld ms (page: %s ms loop, %s nulls), "
                        "PSS %.1f -> %.1f MiB, worst timer lateness %lld ms, windows opened %d, "
                        "panel \"%s\"\n",
                        run, KilledPopups - countBefore, counted,
                        qPrintable(w->lblTitle->text().section(' ', 2, 2)),
                        qPrintable(w->lblTitle->text().section(' ', 1, 1)), pssBefore, treePssMiB(),
                        worstLate, topLevelViews, qPrintable(host.SB->Panels(4)->text()));
            std::fflush(stdout);
        }
        host.close();
    }
    delete profile;
    return 0;
}
