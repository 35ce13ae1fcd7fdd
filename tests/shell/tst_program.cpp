// The program itself, started as a user would: it comes up, and a request to
// end (SIGTERM) closes it the way Quit does, sizes stored.
#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <unistd.h>

class tst_Program : public QObject
{
    Q_OBJECT
private slots:
    void startsAndStoresItsSizesWhenAskedToEnd()
    {
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_DATA_HOME", home.filePath("data"));
        env.insert("XDG_CACHE_HOME", home.filePath("cache"));
        if (geteuid() == 0)
            env.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
        const QString ini = home.filePath("config/Lumeno2/Lumeno2.ini");
        QDir().mkpath(home.filePath("config/Lumeno2"));
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
        // Its persistent profile appears once the first page is under way.
        QTRY_VERIFY_WITH_TIMEOUT(QDir(home.filePath("data/Lumeno2/Lumeno2/QtWebEngine/Default")).exists(),
                                 20000);
        QTest::qWait(1000);
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
};

QTEST_GUILESS_MAIN(tst_Program)
#include "tst_program.moc"
