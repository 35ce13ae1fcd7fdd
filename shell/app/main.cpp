#include "browser/engine/QtWebView.h"
#include "browser/engine/QtWebViewFactory.h"
#include "shell/core/Settings.h"
#include "shell/ui/frmMain.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QWebEngineProfile>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};

void onTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

// A polite request to end (SIGTERM, or Ctrl+C in a terminal) closes the host
// as Quit does, so the window sizes are stored; only the event loop may do
// that, so the handler just wakes it.
void closeOnTerminate(frmMain &host)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, &host);
    QObject::connect(notifier, &QSocketNotifier::activated, &host, [&host] {
        char byte;
        [[maybe_unused]] const auto read = ::read(signalPipe[1], &byte, 1);
        host.close();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setOrganizationName(Settings::AppName);
    QCoreApplication::setApplicationName(Settings::AppName);
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2").arg(LUMENO_VERSION_MAJOR).arg(LUMENO_VERSION_MINOR));
    QtWebView::prepareEnvironment();
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(QStringLiteral(":/lumeno.xpm")));

    IniSettingsStore store;
    // Cookies, cache and history persist under the per-user data directory.
    QtWebViewFactory::removePendingSiteStorage(
        store, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                   + QStringLiteral("/QtWebEngine/Default"));
    auto *profile = new QWebEngineProfile(QStringLiteral("Default"));
    int rc = 0;
    {
        QtWebViewFactory views(profile, store);
        frmMain host(store, views);
        QObject::connect(&host, &frmMain::unloaded, &app, &QApplication::quit, Qt::QueuedConnection);
        closeOnTerminate(host);
        host.Form_Load();
        host.show();
        rc = app.exec();
    }
    // Pages are gone with the host; the profile goes last so its data is flushed.
    delete profile;
    return rc;
}
