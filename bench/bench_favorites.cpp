// Favorites at scale: reading 100,000, rebuilding a window's menu from 10,000,
// loading the editor with 10,000 and "Done" with 100,000, beside what the file
// system itself needs to write the same bytes. Prints the median and range of
// several runs. Run: build/bench/bench_favorites [runs]
#include "browser/ui/frmBrowser.h"
#include "favorites/core/FavoritesFile.h"
#include "favorites/ui/frmEditFavs.h"
#include "shell/core/Module1.h"
#include "shell/ui/frmMain.h"
#include "support/FakeDialogs.h"
#include "support/FakeWebView.h"
#include "support/MemorySettingsStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace {
QList<FavoriteEntry> makeEntries(int n)
{
    QList<FavoriteEntry> entries;
    entries.reserve(n);
    for (int i = 0; i < n; ++i)
        entries.append({QStringLiteral("Favorite page number %1 about something").arg(i),
                        QStringLiteral("http://site%1.example/path/to/page?id=%2").arg(i % 977).arg(i)});
    return entries;
}

void report(const char *what, int runs, const std::function<void()> &setup,
            const std::function<void()> &work)
{
    QList<double> ms;
    for (int i = 0; i < runs; ++i) {
        setup();
        QElapsedTimer t;
        t.start();
        work();
        ms << t.nsecsElapsed() / 1e6;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-48s median %8.2f ms  (min %.2f, max %.2f, %d runs)\n", what, ms[ms.size() / 2],
                ms.first(), ms.last(), runs);
    std::fflush(stdout);
}

void rawWrite(const QString &path, const QByteArray &bytes, bool sync, bool rename)
{
    const QString target = rename ? path + ".new" : path;
    const int fd = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return;
    ssize_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += n;
    }
    if (sync)
        ::fsync(fd);
    ::close(fd);
    if (rename)
        ::rename(QFile::encodeName(target).constData(), QFile::encodeName(path).constData());
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? atoi(argv[1]) : 9;
    QTemporaryDir dir;
    Favorites::setProgramDirectory(dir.path());
    const QString user = Favorites::CurrentUserName();
    const QString path = Favorites::FavoritesFilePath(user);
    const QList<FavoriteEntry> big = makeEntries(100000), menu = makeEntries(10000);
    const QByteArray bigBytes = Favorites::formatFavorites(big);
    const QByteArray menuBytes = Favorites::formatFavorites(menu);
    std::printf("file of 100,000: %.1f MB; of 10,000: %.1f MB; in %s\n", bigBytes.size() / 1e6,
                menuBytes.size() / 1e6, qPrintable(dir.path()));

    auto writeFile = [&](const QByteArray &bytes) {
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
    };

    writeFile(bigBytes);
    report("read 100,000 (ReadFavorites)", runs, [] {}, [] { Favorites::ReadFavorites(); });
    report("  floor: read the same bytes", runs, [] {}, [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        f.readAll();
    });

    report("Done with 100,000 (RewriteFavorites)", runs, [] {},
           [&] { Favorites::RewriteFavorites(user, big); });
    report("  floor: write the bytes", runs, [] {}, [&] { rawWrite(path, bigBytes, false, false); });
    report("  floor: write + fsync", runs, [] {}, [&] { rawWrite(path, bigBytes, true, false); });
    report("  floor: write + fsync + rename", runs, [] {}, [&] { rawWrite(path, bigBytes, true, true); });

    MemorySettingsStore store;
    FakeWebViewFactory views;
    FakeDialogs dialogs;
    Module1::resetSharedState();
    writeFile(menuBytes);
    frmMain host(store, views, dialogs);
    host.setMarkvaultPath(QString());
    host.Form_Load();
    host.show();
    frmBrowser *w = host.workspace()->findChild<frmBrowser *>();
    int flip = 0;
    // Each run changes the file, so nothing can be skipped.
    report("menu rebuild from 10,000 (changed file)", runs,
           [&] { writeFile(menuBytes + (flip++ % 2 ? QByteArray("x||y\r\n") : QByteArray())); },
           [&] {
               w->ClearFavoritesMenu();
               w->LoadFavoritesMenu();
               w->syncFavoriteItems();
           });
    report("menu rebuild from 10,000 (file unchanged)", runs, [] {}, [&] {
        w->ClearFavoritesMenu();
        w->LoadFavoritesMenu();
        w->syncFavoriteItems();
    });

    report("first menu build from 10,000 in a new window", runs, [] {}, [&] {
        frmBrowser *fresh = host.OpenBrowserWindow();
        fresh->syncFavoriteItems();
        fresh->Unload();
    });

    writeFile(menuBytes);
    report("editor load with 10,000", runs, [] {}, [&] {
        frmEditFavs editor(w, dialogs);
        editor.Form_Load();
    });
    host.close();
    return 0;
}
