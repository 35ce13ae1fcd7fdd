#include "shell/app/Program.h"

#include "browser/engine/QtWebView.h"
#include "browser/engine/QtWebViewFactory.h"
#include "shell/app/SingleInstance.h"
#include "shell/core/CommandLine.h"
#include "common/ui/SystemDialogs.h"
#include "shell/core/Settings.h"
#include "shell/ui/frmMain.h"

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <memory>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
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

namespace {
void print(FILE *to, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), to);
}
} // namespace

int runLumeno(int argc, char *argv[], const std::function<void(frmMain &host)> &started)
{
    // Read before anything needs a display, so that --help works anywhere.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine::Request request = CommandLine::parse(arguments, QDir::currentPath());
    switch (request.action) {
    case CommandLine::Request::ShowHelp:
    case CommandLine::Request::ShowVersion:
        print(stdout, request.text);
        return 0;
    case CommandLine::Request::Fail:
        print(stderr, request.text);
        return request.exitCode;
    case CommandLine::Request::Run:
        break;
    }
    for (const QString &unusable : request.unusable)
        print(stderr, QStringLiteral("lumeno: \"%1\" is no address; left out.\n").arg(unusable));

    QCoreApplication::setOrganizationName(Settings::AppName);
    QCoreApplication::setApplicationName(Settings::AppName);
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2").arg(LUMENO_VERSION_MAJOR).arg(LUMENO_VERSION_MINOR));
    QtWebView::prepareEnvironment();
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(QStringLiteral(":/lumeno.xpm")));
    // The desktop entry's name, so that the desktop ties the windows to it.
    QGuiApplication::setDesktopFileName(QStringLiteral("lumeno"));

    // One Lumeno per user and display: a later start hands its addresses to
    // the running one and ends. Where that cannot be done, this one runs on
    // its own rather than not at all.
    std::unique_ptr<SingleInstance> instance;
    if (!request.newInstance) {
        QString why;
        const QString socket = SingleInstance::socketPathFor(QProcessEnvironment::systemEnvironment(), &why);
        SingleInstance::Outcome outcome = SingleInstance::Alone;
        if (!socket.isEmpty()) {
            instance = std::make_unique<SingleInstance>(socket);
            outcome = instance->start(request.addresses, &why);
        }
        if (outcome == SingleInstance::HandedOver)
            return 0;
        if (outcome == SingleInstance::Alone)
            print(stderr, QStringLiteral("lumeno: starting on its own: %1.\n").arg(why));
    }

    IniSettingsStore store;
    // Cookies, cache and history persist under the per-user data directory.
    QtWebViewFactory::removePendingSiteStorage(
        store, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                   + QStringLiteral("/QtWebEngine/Default"));
    auto *profile = new QWebEngineProfile(QStringLiteral("Default"));
    int rc = 0;
    {
        SystemDialogs dialogs;
        QtWebViewFactory views(profile, store, dialogs);
        frmMain host(store, views, dialogs);
        QObject::connect(&host, &frmMain::unloaded, &app, &QApplication::quit, Qt::QueuedConnection);
        closeOnTerminate(host);
        if (instance)
            QObject::connect(instance.get(), &SingleInstance::openRequested, &host, &frmMain::openHandedOver);
        host.Form_Load(request.addresses);
        host.show();
        if (started)
            QTimer::singleShot(0, &host, [&host, &started] { started(host); });
        rc = app.exec();
    }
    // Pages are gone with the host; the profile goes last so its data is flushed.
    delete profile;
    return rc;
}
