#include "shell/app/Program.h"

#include "browser/engine/QtWebView.h"
#include "browser/engine/QtWebViewFactory.h"
#include "shell/app/SingleInstance.h"
#include "common/core/Database.h"
#include "shell/core/CommandLine.h"
#include "shell/core/Settings.h"
#include "common/core/Database.h"
#include "common/ui/ModalLoops.h"
#include "common/ui/SystemDialogs.h"
#include "history/core/HistoryStore.h"
#include "shell/ui/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <QWebEngineProfile>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// [0] is written by the signal handler, [1] read by the event loop.
int signalPipe[2] = {-1, -1};

void onTerminate(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
    errno = saved;
}

// A request to end from outside (SIGTERM from the session or a service
// manager, Ctrl+C in a terminal) is taken from the start on: the handler
// only notes it, and the event loop acts on it once the host is there.
// Neither end blocks and neither is inherited by the engine's processes.
void noteTerminate()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    struct sigaction action = {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

// Ends the program without questions on the first request noted, one made
// before the host existed included.
void endOnTerminate(frmMain &host)
{
    if (signalPipe[1] < 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, &host);
    QObject::connect(notifier, &QSocketNotifier::activated, &host, [&host] {
        char bytes[64];
        while (::read(signalPipe[1], bytes, sizeof bytes) > 0) {
        }
        host.endWithoutQuestions();
    });
}

void print(FILE *to, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), to);
}

// What goes wrong with the history file is told over the host; the program
// goes on, without the history if it must.
void reportHistoryTrouble(HistoryStore &history, Dialogs &dialogs, QWidget *host)
{
    QObject::connect(&history, &HistoryStore::unavailable, host, [&dialogs, host](const QString &reason) {
        dialogs.message(host, QMessageBox::Warning, QStringLiteral("History"),
                        QStringLiteral("Lumeno keeps no history in this session: %1").arg(reason));
    });
    QObject::connect(&history, &HistoryStore::problem, host, [&dialogs, host](const QString &message) {
        dialogs.message(host, QMessageBox::Warning, QStringLiteral("History"), message);
    });
}
} // namespace

int runLumeno(int argc, char *argv[], const std::function<void(frmMain &host)> &started)
{
    noteTerminate();

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
        // The pages every browser window visits; read on a thread of its own,
        // so the windows open without waiting for it.
        HistoryStore history(Database::defaultPath());
        QtWebViewFactory views(profile, store, dialogs);
        frmMain host(store, views, dialogs);
        host.setHistory(&history);
        reportHistoryTrouble(history, dialogs, &host);
        // The user's Quit has unloaded every form already: the loops still
        // running (a dialog's) end, and so does the program.
        QObject::connect(&host, &frmMain::unloaded, &app, [] { QCoreApplication::exit(0); },
                         Qt::QueuedConnection);
        endOnTerminate(host);
        if (instance)
            QObject::connect(instance.get(), &SingleInstance::openRequested, &host, &frmMain::openHandedOver);
        host.keepSession(Database::defaultPath());
        host.Form_Load(request.addresses);
        host.show();
        if (started)
            QTimer::singleShot(0, &host, [&host, &started] { started(host); });
        // A request to end taken in a dialog of the load (a box about a
        // favorites file that cannot be read) ended that dialog's loop; the
        // main loop would forget it, as exec() starts afresh.
        rc = ModalLoops::endingWithoutQuestions() ? 0 : app.exec();
        // Only here, with no loop running any more on top of their code, are
        // the forms let go; after an end without questions they still ask
        // nothing.
        host.Unload();
    }
    // Pages are gone with the host; the profile goes last so its data is flushed.
    delete profile;
    return rc;
}
