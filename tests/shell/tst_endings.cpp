// Endings with a dialog up. The program asked to end from outside (SIGTERM,
// as the session does at log-out) while a dialog is up: the favorites
// editor, a message box, a page's alert, confirm and prompt, a sign-in, a
// save-file dialog, the print dialog. Each time it stores the sizes of the
// host and of its window, asks nothing, and ends with status 0. And, in a
// whole host in this process on the real engine, the user's Quit and a
// window closed while a page's box or file chooser is up.
//
// The program runs as a child: this executable started again with "--child",
// which runs the program's own runLumeno() with a hook that does what the
// user would do once the host is up (resize, open the editor, add a
// favorite). It prints a line when the hook has run and one for each dialog
// shown, so the signal is sent only once the dialog is really up.
#include "browser/engine/QtWebView.h"
#include "browser/engine/QtWebViewFactory.h"
#include "browser/ui/frmBrowser.h"
#include "common/ui/SystemDialogs.h"
#include "favorites/core/FavoritesFile.h"
#include "session/core/SessionStore.h"
#include "shell/app/Program.h"
#include "shell/core/Module1.h"
#include "shell/ui/frmMain.h"
#include "support/EngineTest.h"
#include "support/MemorySettingsStore.h"
#include "support/TestServer.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <unistd.h>

namespace {
// The sizes the hook gives the host and its window, in pixels; the settings
// keep them in twips, 15 to a pixel.
const QSize HostSize(760, 560);
const QSize WindowSize(420, 310);

// Tells the parent of every dialog shown, by its class.
class DialogWatch : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<QDialog *>(watched)) {
            std::printf("shown %s\n", watched->metaObject()->className());
            std::fflush(stdout);
        }
        return false;
    }
};

void watchDialogs()
{
    qApp->installEventFilter(new DialogWatch(qApp));
}

int runChild(const QString &scenario, const QString &programDir, char *argv0)
{
    Favorites::setProgramDirectory(programDir);
    qAddPreRoutine(watchDialogs);
    QByteArray newInstance("--new-instance");
    char *argv[] = {argv0, newInstance.data(), nullptr};
    return runLumeno(2, argv, [scenario](frmMain &host) {
        frmBrowser *window = host.browserWindows().value(0);
        if (!window)
            return;
        host.resize(HostSize);
        window->resize(WindowSize);
        std::printf("started\n");
        std::fflush(stdout);
        if (scenario == QLatin1String("editor")) {
            window->mnuEditFavs_Click();
        } else if (scenario == QLatin1String("box")) {
            // The favorites file turned into a folder: adding one fails,
            // and the window says so in a box.
            const QString file = Favorites::FavoritesFilePath(Favorites::CurrentUserName());
            QFile::remove(file);
            QDir().mkpath(file);
            window->mnuAddFav_Click();
        }
    });
}

} // namespace

class tst_Endings : public QObject
{
    Q_OBJECT
    TestServer server;
    QWebEngineProfile *profile = nullptr;
    std::unique_ptr<MemorySettingsStore> store;
    // The real dialogs: what is tested is their loops.
    SystemDialogs dialogs;
    std::unique_ptr<QtWebViewFactory> views;
    std::unique_ptr<frmMain> host;
    QTemporaryDir favoritesDir;

    // A host in this process whose first window shows the plain page, and a
    // second window on `path`, whose page asks something.
    frmBrowser *startWithASecondWindowOn(const QString &path)
    {
        store->values.insert("Lumeno2/Internet/HomePage", server.url("/plain").toString());
        host = std::make_unique<frmMain>(*store, *views, dialogs);
        host->setMarkvaultPath(QString());
        host->Form_Load();
        host->show();
        frmBrowser *first = host->browserWindows().value(0);
        if (!first || !waitUntil([&] { return first->lblTitle->text() == "Plain"; }, 20000))
            return nullptr;
        frmBrowser *second = host->OpenBrowserWindow();
        second->navigate(server.url(path).toString());
        return second;
    }
    // Runs `act` once, inside the loop of the first such dialog put up.
    template <typename Dialog>
    void whenUp(QTimer &poll, QPointer<Dialog> &dialog, const std::function<void()> &act)
    {
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, this, [&dialog, act] {
            auto *up = qobject_cast<Dialog *>(QApplication::activeModalWidget());
            if (!up || dialog)
                return;
            dialog = up;
            act();
        });
        poll.start();
    }

private slots:
    void initTestCase()
    {
        server.page("/plain", "<title>Plain</title><p>plain</p>");
        server.page("/second", "<title>Second</title><p>second</p>");
        server.page("/alert", "<title>alert</title><script>alert('Hello from the page')</script>");
        server.page("/upload", "<title>upload</title><input type='file' style='position:absolute;left:0;"
                               "top:0;width:300px;height:150px'>");
        server.page("/confirm", "<title>confirm</title><script>confirm('Go on?')</script>");
        server.page("/prompt", "<title>prompt</title><script>prompt('Your name?', 'a & b')</script>");
        server.page("/print", "<title>print</title><p>paper</p><script>window.print()</script>");
        TestResponse signIn;
        signIn.body = "<title>inside</title>";
        signIn.basicAuth = "user:secret";
        signIn.realm = "Members";
        server.route("/private", signIn);
        TestResponse download;
        download.body = QByteArray(4096, 'x');
        download.contentType = "application/octet-stream";
        download.attachment = "file.bin";
        server.route("/file.bin", download);
        Favorites::setProgramDirectory(favoritesDir.path());
        profile = new QWebEngineProfile(this);
    }
    void init()
    {
        Module1::resetSharedState();
        store = std::make_unique<MemorySettingsStore>();
        views = std::make_unique<QtWebViewFactory>(profile, *store, dialogs);
    }
    void cleanup()
    {
        host.reset();
        views.reset();
    }

    void quitWithAPagesBoxUpInAnotherWindow()
    {
        frmBrowser *asking = startWithASecondWindowOn("/alert");
        QVERIFY(asking);
        QPointer<frmBrowser> first(host->browserWindows().value(0)), second(asking);
        QSignalSpy ended(host.get(), &frmMain::unloaded);
        QTimer poll;
        QPointer<QMessageBox> box;
        // File > Quit, from inside the page's box, which runs on top of the
        // engine's work for that page.
        whenUp(poll, box, [this] { host->mnuQuit->trigger(); });
        QVERIFY(waitUntil([&] { return ended.count() == 1 && !first && !second; }, 30000));
        QVERIFY(!box || !box->isVisible());
        QCOMPARE(OpenWindows, 0);
    }

    void aWindowClosedWithItsPagesBoxUp()
    {
        frmBrowser *asking = startWithASecondWindowOn("/alert");
        QVERIFY(asking);
        QPointer<frmBrowser> first(host->browserWindows().value(0)), second(asking);
        QTimer poll;
        QPointer<QMessageBox> box;
        // Ctrl+W's command, from inside the page's box.
        whenUp(poll, box, [second] { second->mnuClose_Click(); });
        QVERIFY(waitUntil([&] { return !second; }, 30000));
        QVERIFY(!box || !box->isVisible());
        // The other window and the host go on.
        QVERIFY(first);
        QVERIFY(!host->isUnloaded());
        QCOMPARE(OpenWindows, 1);
        first->navigate(server.url("/second").toString());
        QVERIFY(waitUntil([&] { return first->lblTitle->text() == "Second"; }, 20000));
    }

    void aWindowClosedWithItsPagesFileChooserUp()
    {
        frmBrowser *asking = startWithASecondWindowOn("/upload");
        QVERIFY(asking);
        QPointer<frmBrowser> second(asking);
        QVERIFY(waitUntil([&] { return second->lblTitle->text() == "upload"; }, 20000));
        QTimer poll;
        QPointer<QFileDialog> chooser;
        whenUp(poll, chooser, [second] { second->mnuClose_Click(); });
        // The field fills the page's corner; a page just drawn may not take
        // the click yet, so it is clicked until the chooser comes.
        for (int tries = 0; tries < 20 && second && !chooser; ++tries) {
            QWidget *page = static_cast<QtWebView *>(second->wb)->engineView()->focusProxy();
            QVERIFY(page);
            QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(50, 50));
            (void)waitUntil([&] { return chooser || !second; }, 1000);
        }
        QVERIFY(chooser || !second);
        QVERIFY(waitUntil([&] { return !second; }, 30000));
        QVERIFY(!chooser || !chooser->isVisible());
        QCOMPARE(OpenWindows, 1);
    }

    void endsCleanlyWithADialogUp_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("home");
        QTest::addColumn<bool>("resized");

        QTest::newRow("favorites editor") << "editor" << "frmEditFavs" << "" << true;
        QTest::newRow("message box of a window") << "box" << "QMessageBox" << "" << true;
        // A favorites file that cannot be read is reported while the first
        // window loads, before the host is shown or its loop runs.
        QTest::newRow("message box while loading") << "unreadable" << "QMessageBox" << "" << false;
        QTest::newRow("page's alert") << "page" << "QMessageBox" << "/alert" << true;
        QTest::newRow("page's confirm") << "page" << "QMessageBox" << "/confirm" << true;
        QTest::newRow("page's prompt") << "page" << "QInputDialog" << "/prompt" << true;
        QTest::newRow("sign-in") << "page" << "SignInDialog" << "/private" << true;
        QTest::newRow("save-file dialog of a download") << "page" << "QFileDialog" << "/file.bin" << true;
        QTest::newRow("print dialog") << "page" << "QPrintDialog" << "/print" << true;
    }

    void endsCleanlyWithADialogUp()
    {
        QFETCH(QString, scenario);
        QFETCH(QString, dialog);
        QFETCH(QString, home);
        QFETCH(bool, resized);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString ini = dir.filePath("config/Lumeno2/Lumeno2.ini");
        QDir().mkpath(dir.filePath("config/Lumeno2"));
        if (!home.isEmpty()) {
            QSettings s(ini, QSettings::IniFormat);
            s.setValue("Internet/HomePage", server.url(home).toString());
        }
        const QString programDir = dir.filePath("program");
        QDir().mkpath(programDir);
        if (scenario == QLatin1String("unreadable"))
            QDir().mkpath(programDir + '/' + Favorites::CurrentUserName() + ".fav");

        QProcess child;
        child.setProcessEnvironment(privateEnvironment(dir));
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QByteArray said;
        connect(&child, &QProcess::readyReadStandardOutput, this, [&] { said += child.readAllStandardOutput(); });
        child.start(QCoreApplication::applicationFilePath(), {"--child", scenario, programDir});
        QVERIFY(child.waitForStarted(10000));

        // The signal goes only once the dialog is up (and the sizes changed).
        const QByteArray shown = "shown " + dialog.toLatin1() + '\n';
        QTRY_VERIFY2_WITH_TIMEOUT((said.contains(shown) && (!resized || said.contains("started\n")))
                                      || child.state() != QProcess::Running,
                                  said.constData(), 60000);
        QVERIFY2(child.state() == QProcess::Running, said.constData());
        ::kill(pid_t(child.processId()), SIGTERM);
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);

        QSettings s(ini, QSettings::IniFormat);
        const auto twips = [](int pixels) { return QString::number(pixels * 15); };
        if (resized) {
            QCOMPARE(s.value("Options/MainWindowWidth").toString(), twips(HostSize.width()));
            QCOMPARE(s.value("Options/MainWindowHeight").toString(), twips(HostSize.height()));
            QCOMPARE(s.value("Options/WindowWidth").toString(), twips(WindowSize.width()));
            QCOMPARE(s.value("Options/WindowHeight").toString(), twips(WindowSize.height()));
        } else {
            // Nothing was resized: what is stored is what was loaded.
            QCOMPARE(s.value("Options/MainWindowWidth").toString(), QString("10425"));
            QCOMPARE(s.value("Options/MainWindowHeight").toString(), QString("7320"));
            QCOMPARE(s.value("Options/WindowWidth").toString(), QString("6645"));
            QCOMPARE(s.value("Options/WindowHeight").toString(), QString("4440"));
        }
        // The window is in the session file as it stood, and the run is one
        // that did not end by Quit: the next start offers it back.
        SessionStore session(dir.filePath("data/Lumeno2/Lumeno2/Browsing.sqlite"), "ended");
        Session kept;
        QString error;
        QVERIFY2(session.load(&kept, &error), qPrintable(error));
        // Ended while its first window was loading, it kept none yet.
        QCOMPARE(kept.windows.size(), scenario == QLatin1String("unreadable") ? 0 : 1);
        if (resized)
            QCOMPARE(kept.windows[0].geometry.size(), WindowSize);
        const std::optional<SessionStore::RunStart> run = session.beginRun(&error);
        QVERIFY(run && run->uncleanEnd);
    }

private:
    static QProcessEnvironment privateEnvironment(const QTemporaryDir &home)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_DATA_HOME", home.filePath("data"));
        env.insert("XDG_CACHE_HOME", home.filePath("cache"));
        // The save-file dialog starts in the download folder.
        env.insert("HOME", home.path());
        QDir().mkpath(home.filePath("runtime"));
        QFile::setPermissions(home.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert("XDG_RUNTIME_DIR", home.filePath("runtime"));
        env.remove("WAYLAND_DISPLAY");
        // Freed memory is filled (small blocks too, which the allocator's
        // per-thread cache would keep as they were), so that code going on in
        // an object deleted under it fails at once rather than by chance.
        env.insert("MALLOC_PERTURB_", "165");
        env.insert("GLIBC_TUNABLES", "glibc.malloc.tcache_count=0");
        if (geteuid() == 0)
            env.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
        return env;
    }
};

int main(int argc, char *argv[])
{
    if (argc == 4 && qstrcmp(argv[1], "--child") == 0)
        return runChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), argv[0]);
    prepareEngineTest();
    QApplication app(argc, argv);
    tst_Endings test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_endings.moc"
