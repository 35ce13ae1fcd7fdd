// The program itself, started as a user would: it comes up, and a request to
// end (SIGTERM) closes it the way Quit does, sizes stored; a second start
// hands its addresses to the first and ends; its command line answers
// without a display.
#include "shell/app/SingleInstance.h"
#include "support/TestServer.h"

#include <QDir>
#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// Every directory the program uses, the runtime one with its socket
// included, is the test's own; so is the display's name.
QProcessEnvironment privateEnvironment(const QTemporaryDir &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    env.insert("XDG_CACHE_HOME", home.filePath("cache"));
    QDir().mkpath(home.filePath("runtime"));
    QFile::setPermissions(home.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert("XDG_RUNTIME_DIR", home.filePath("runtime"));
    env.insert("DISPLAY", ":97");
    env.remove("WAYLAND_DISPLAY");
    if (geteuid() == 0)
        env.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
    return env;
}

void setHomePage(const QTemporaryDir &home, const QString &url)
{
    QDir().mkpath(home.filePath("config/Lumeno2"));
    QSettings s(home.filePath("config/Lumeno2/Lumeno2.ini"), QSettings::IniFormat);
    s.setValue("Internet/HomePage", url);
}
} // namespace

class tst_Program : public QObject
{
    Q_OBJECT
private slots:
    void startsAndStoresItsSizesWhenAskedToEnd()
    {
        TestServer server;
        server.page("/home", "<title>home</title>");
        QTemporaryDir home;
        const QProcessEnvironment env = privateEnvironment(home);
        const QString ini = home.filePath("config/Lumeno2/Lumeno2.ini");
        setHomePage(home, server.url("/home").toString());
        {
            QSettings s(ini, QSettings::IniFormat);
            s.setValue("Options/WindowWidth", "5010");
            s.setValue("Options/MainWindowWidth", "12000");
        }

        QProcess program;
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(LUMENO_PROGRAM, {});
        QVERIFY(program.waitForStarted(10000));
        // Up and running once its first window asks for its home page.
        QTRY_VERIFY_WITH_TIMEOUT(server.requests.contains("/home"), 30000);
        QVERIFY(QDir(home.filePath("data/Lumeno2/Lumeno2/QtWebEngine/Default")).exists());
        QCOMPARE(program.state(), QProcess::Running);
        ::kill(pid_t(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);

        QSettings s(ini, QSettings::IniFormat);
        QCOMPARE(s.value("Options/MainWindowWidth").toString(), QString("12000"));
        QCOMPARE(s.value("Options/MainWindowHeight").toString(), QString("7320"));
        QCOMPARE(s.value("Options/WindowWidth").toString(), QString("5010"));
        QCOMPARE(s.value("Options/WindowHeight").toString(), QString("4440"));
    }

    void commandLineAnswersWithoutADisplay()
    {
        QTemporaryDir home;
        QProcessEnvironment env = privateEnvironment(home);
        env.remove("QT_QPA_PLATFORM");
        env.remove("DISPLAY");
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(LUMENO_PROGRAM, {"--help"});
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(program.readAllStandardOutput().startsWith("Usage: lumeno [options] [URL|FILE]..."));
        program.start(LUMENO_PROGRAM, {"--frobnicate", "http://a.example/"});
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 2);
        QVERIFY(program.readAllStandardError().contains("Unknown option 'frobnicate'"));
    }

    void aSecondStartHandsItsAddressesToTheFirst()
    {
        TestServer server;
        server.page("/home", "<title>home</title>");
        server.page("/handed", "<title>handed</title>");
        server.page("/also", "<title>also</title>");
        server.page("/separate", "<title>separate</title>");
        QTemporaryDir home;
        const QProcessEnvironment env = privateEnvironment(home);
        setHomePage(home, server.url("/home").toString());

        auto first = start(env, {});
        QTRY_VERIFY_WITH_TIMEOUT(server.requests.contains("/home"), 30000);

        // The second ends at once, and the first opens what it was given.
        QProcess second;
        second.setProcessEnvironment(env);
        second.setProcessChannelMode(QProcess::ForwardedChannels);
        second.start(LUMENO_PROGRAM, {server.url("/handed").toString(), server.url("/also").toString()});
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 20000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(server.requests.contains("/handed") && server.requests.contains("/also"), 30000);
        QCOMPARE(first->state(), QProcess::Running);

        // --new-instance starts one of its own, which keeps running.
        auto separate = start(env, {"--new-instance", server.url("/separate").toString()});
        QTRY_VERIFY_WITH_TIMEOUT(server.requests.contains("/separate"), 30000);
        QCOMPARE(separate->state(), QProcess::Running);
        stop(*separate);
        stop(*first);
    }

    void aSocketLeftByACrashIsTakenOver()
    {
        TestServer server;
        server.page("/after-crash", "<title>after</title>");
        server.page("/next", "<title>next</title>");
        QTemporaryDir home;
        const QProcessEnvironment env = privateEnvironment(home);
        // The socket file of a program that is gone: nobody listens on it.
        const QString socket = SingleInstance::socketPathFor(env);
        QVERIFY(socket.startsWith(home.filePath("runtime")));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr = {};
        addr.sun_family = AF_UNIX;
        qstrncpy(addr.sun_path, QFile::encodeName(socket).constData(), sizeof(addr.sun_path));
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)), 0);
        ::close(fd);

        auto first = start(env, {server.url("/after-crash").toString()});
        QTRY_VERIFY_WITH_TIMEOUT(server.requests.contains("/after-crash"), 30000);
        QCOMPARE(first->state(), QProcess::Running);
        // It listens there now: the next start hands over to it.
        QProcess next;
        next.setProcessEnvironment(env);
        next.start(LUMENO_PROGRAM, {server.url("/next").toString()});
        QTRY_COMPARE_WITH_TIMEOUT(next.state(), QProcess::NotRunning, 20000);
        QCOMPARE(next.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(server.requests.contains("/next"), 30000);
        stop(*first);
        // And it took its socket with it.
        QVERIFY(!QFileInfo::exists(socket));
    }

private:
    std::unique_ptr<QProcess> start(const QProcessEnvironment &env, const QStringList &args)
    {
        auto program = std::make_unique<QProcess>();
        program->setProcessEnvironment(env);
        program->setProcessChannelMode(QProcess::ForwardedChannels);
        program->start(LUMENO_PROGRAM, args);
        if (!program->waitForStarted(10000))
            qWarning("lumeno did not start");
        return program;
    }
    void stop(QProcess &program)
    {
        ::kill(pid_t(program.processId()), SIGTERM);
        QTRY_COMPARE_WITH_TIMEOUT(program.state(), QProcess::NotRunning, 20000);
        QCOMPARE(program.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_Program)
#include "tst_program.moc"
