#include "session/ui/SessionRestore.h"

#include "browser/ui/WebView.h"
#include "browser/ui/frmBrowser.h"
#include "session/ui/RestoreBar.h"
#include "session/ui/SessionHost.h"
#include "session/ui/SessionKeeper.h"

#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace SessionRestore {

namespace {
// An end within this time of a restore counts as one the restore may have
// caused: a page that crashes the program does so while it loads.
constexpr int RestoringMs = 15000;
} // namespace

QList<frmBrowser *> restore(SessionKeeper &keeper, SessionHost &host, const QList<WindowRecord> &windows)
{
    QList<frmBrowser *> opened;
    if (windows.isEmpty())
        return opened;
    keeper.setRestoring(true);
    for (const WindowRecord &record : windows) {
        frmBrowser *window = host.openAtRest(record);
        keeper.watch(window, record.id);
        opened.append(window);
    }
    // Shown from the front down, once every window is in its place: a
    // window covered by those above it is never seen, and stays at rest.
    for (qsizetype i = windows.size() - 1; i >= 0; --i) {
        if (windows[i].minimized)
            opened[i]->Minimize();
        else
            opened[i]->show();
    }
    // The window in front takes the focus: left where the host put it, it
    // would fall on a window beneath, which would then count as seen.
    for (qsizetype i = windows.size() - 1; i >= 0; --i) {
        if (!windows[i].minimized) {
            opened[i]->focusPage();
            break;
        }
    }
    QTimer::singleShot(RestoringMs, &keeper, [k = QPointer<SessionKeeper>(&keeper)] {
        if (k)
            k->setRestoring(false);
    });
    return opened;
}

RestoreBar *offer(SessionKeeper &keeper, SessionHost &host, frmBrowser *first)
{
    const std::optional<SessionStore::RunStart> start = keeper.runStart();
    const QList<WindowRecord> windows = keeper.lastSession().windows;
    if (!first || !start || !start->uncleanEnd || windows.isEmpty())
        return nullptr;
    auto *bar = new RestoreBar(windows, start->uncleanWhileRestoring >= 2);
    keeper.setOffered(windows);
    QObject::connect(bar, &RestoreBar::restore, &keeper,
                     [&keeper, &host, start = QPointer<frmBrowser>(first),
                      startAddress = first->currentAddress()](const QList<WindowRecord> &picked) {
                         keeper.setOffered({});
                         restore(keeper, host, picked);
                         // The window of the start, still where it started and
                         // holding nothing typed, gives way to the windows back
                         // (among the closed ones, should it be wanted).
                         if (start && !picked.isEmpty() && start->currentAddress() == startAddress
                             && !start->wb->busy().isBusy())
                             start->requestClose();
                     });
    QObject::connect(bar, &RestoreBar::dismissed, &keeper, [&keeper, start = QPointer<frmBrowser>(first)] {
        keeper.setOffered({});
        // The keys go on to the page the bar stood over.
        if (start)
            start->focusPage();
    });
    first->showBar(bar);
    // The person meets the question first, and answers it with Enter, or
    // Tab and Space for the dismiss button.
    bar->restoreButton()->setFocus(Qt::OtherFocusReason);
    return bar;
}

} // namespace SessionRestore
