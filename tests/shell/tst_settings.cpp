// The shared state and the stored options: conversions, defaults, damaged
// values and the store on disk.
#include "shell/core/Module1.h"
#include "shell/core/Settings.h"
#include "support/AsUser.h"
#include "support/Files.h"
#include "support/MemorySettingsStore.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>
#include <limits>

using namespace Settings;

class tst_Settings : public QObject
{
    Q_OBJECT
private slots:
    void init() { Module1::resetSharedState(); }

    void booleanText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("value");
        QTest::newRow("True") << "True" << true;
        QTest::newRow("true") << "true" << true;
        QTest::newRow("TRUE") << "TRUE" << true;
        QTest::newRow("tRuE blanks") << "  tRuE " << true;
        QTest::newRow("False") << "False" << false;
        QTest::newRow("false") << "false" << false;
        QTest::newRow("0") << "0" << false;
        QTest::newRow("-1") << "-1" << true;
        QTest::newRow("1") << "1" << true;
        QTest::newRow("0.0") << "0.0" << false;
        QTest::newRow("2.5") << "2.5" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("yes") << "yes" << false;
        QTest::newRow("Truely") << "Truely" << false;
        QTest::newRow("nan") << "nan" << false;
        QTest::newRow("inf") << "inf" << false;
    }
    void booleanText()
    {
        QFETCH(QString, text);
        QFETCH(bool, value);
        QCOMPARE(textToBoolean(text), value);
    }

    void booleanRoundTrip()
    {
        QCOMPARE(booleanToText(true), QString("True"));
        QCOMPARE(booleanToText(false), QString("False"));
        QVERIFY(textToBoolean(booleanToText(true)));
        QVERIFY(!textToBoolean(booleanToText(false)));
    }

    void roundingHalvesToEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("rounded");
        QTest::newRow("0.5") << 0.5 << 0;
        QTest::newRow("1.5") << 1.5 << 2;
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("6644.5") << 6644.5 << 6644;
        QTest::newRow("6645.5") << 6645.5 << 6646;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("2.4999") << 2.4999 << 2;
        QTest::newRow("2.5001") << 2.5001 << 3;
        QTest::newRow("huge") << 1e12 << std::numeric_limits<int>::max();
        QTest::newRow("-huge") << -1e12 << std::numeric_limits<int>::min();
    }
    void roundingHalvesToEven()
    {
        QFETCH(double, value);
        QFETCH(int, rounded);
        QCOMPARE(roundHalfEven(value), rounded);
    }

    void sizeText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("size");
        QTest::newRow("plain") << "5000" << 5000;
        QTest::newRow("below minimum kept") << "100" << 100;
        QTest::newRow("blanks") << " 3000 " << 3000;
        QTest::newRow("fraction half even") << "4440.5" << 4440;
        QTest::newRow("fraction up") << "4440.6" << 4441;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("largest") << "1000000" << 1000000;
        QTest::newRow("over largest") << "1000001" << 777;
        QTest::newRow("negative") << "-15" << 777;
        QTest::newRow("not a number") << "wide" << 777;
        QTest::newRow("empty") << "" << 777;
        QTest::newRow("trailing junk") << "12px" << 777;
        QTest::newRow("overflowing") << "99999999999999999999" << 777;
        QTest::newRow("infinite") << "inf" << 777;
    }
    void sizeText()
    {
        QFETCH(QString, text);
        QFETCH(int, size);
        QCOMPARE(textToSize(text, 777), size);
    }

    void integerText()
    {
        QCOMPARE(integerToText(6645), QString("6645"));
        QCOMPARE(integerToText(-60), QString("-60"));
        QCOMPARE(integerToText(0), QString("0"));
    }

    void emptyStoreGivesDefaults()
    {
        MemorySettingsStore store;
        KillPopups = true;
        Module1::loadOptions(store);
        QCOMPARE(KillPopups, false);
        QCOMPARE(WindowWidth, 6645);
        QCOMPARE(WindowHeight, 4440);
        QCOMPARE(MainWindowWidth, 10425);
        QCOMPARE(MainWindowHeight, 7320);
        QCOMPARE(KilledPopups, 0);
        QCOMPARE(OpenWindows, 0);
        QVERIFY(store.saves.isEmpty()); // reading stores nothing
    }

    void storedOptionsAreRead()
    {
        MemorySettingsStore store;
        store.setOption(KeyKillPopups, "true");
        store.setOption(KeyWindowWidth, "5000");
        store.setOption(KeyWindowHeight, "3000");
        store.setOption(KeyMainWindowWidth, "12000");
        store.setOption(KeyMainWindowHeight, "bogus");
        Module1::loadOptions(store);
        QCOMPARE(KillPopups, true);
        QCOMPARE(WindowWidth, 5000);
        QCOMPARE(WindowHeight, 3000);
        QCOMPARE(MainWindowWidth, 12000);
        QCOMPARE(MainWindowHeight, 7320);
    }

    void countersDoNotWrap()
    {
        qint32 e = 0;
        // A whole burst at once, however large, stops at the top.
        QCOMPARE(Module1::add(e, 5), 5);
        QCOMPARE(Module1::add(e, -3), 5);
        QCOMPARE(Module1::add(e, qint64(1) << 40), std::numeric_limits<qint32>::max());
        QCOMPARE(Module1::add(e, 1), std::numeric_limits<qint32>::max());
    }

    void clockFormat_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("afternoon") << QTime(13, 5, 9) << "Time: 1:05:09 PM";
        QTest::newRow("midnight") << QTime(0, 0, 0) << "Time: 12:00:00 AM";
        QTest::newRow("noon") << QTime(12, 30, 0) << "Time: 12:30:00 PM";
        QTest::newRow("morning") << QTime(9, 59, 59) << "Time: 9:59:59 AM";
        QTest::newRow("late") << QTime(23, 1, 2) << "Time: 11:01:02 PM";
    }
    void clockFormat()
    {
        QFETCH(QTime, time);
        QFETCH(QString, text);
        QCOMPARE(Module1::clockText(time, QLocale(QLocale::English, QLocale::UnitedStates)), text);
    }

    // The store on disk: values survive a new store object, the file lives
    // where the per-user config directory says.
    void iniStoreRoundTrip()
    {
        QTemporaryDir dir;
        {
            IniSettingsStore store(dir.path());
            QCOMPARE(store.GetSetting(AppName, OptionsSection, KeyWindowWidth, "6645"), QString("6645"));
            store.SaveSetting(AppName, OptionsSection, KeyWindowWidth, "5010");
            store.SaveSetting(AppName, OptionsSection, KeyKillPopups, "True");
            store.SaveSetting(AppName, InternetSection, KeyHomePage, "http://a.example/x?a=1,2");
            QVERIFY(!store.lastSaveFailure());
        }
        const QString file = dir.filePath("Lumeno2/Lumeno2.ini");
        QVERIFY(QFile::exists(file));
        IniSettingsStore again(dir.path());
        QCOMPARE(again.GetSetting(AppName, OptionsSection, KeyWindowWidth, "0"), QString("5010"));
        QCOMPARE(again.GetSetting(AppName, OptionsSection, KeyKillPopups, "0"), QString("True"));
        QCOMPARE(again.GetSetting(AppName, InternetSection, KeyHomePage, ""),
                 QString("http://a.example/x?a=1,2"));
        QCOMPARE(again.GetSetting(AppName, OptionsSection, "Missing", "dflt"), QString("dflt"));
    }

    void iniStoreHonoursXdgConfigHome()
    {
        QTemporaryDir dir;
        const QByteArray old = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
        {
            IniSettingsStore store;
            store.SaveSetting(AppName, OptionsSection, KeyWindowHeight, "3000");
            QCOMPARE(QDir(store.filePath(AppName)).absolutePath(),
                     QDir(dir.filePath("Lumeno2/Lumeno2.ini")).absolutePath());
        }
        qputenv("XDG_CONFIG_HOME", old);
        QVERIFY(QFile::exists(dir.filePath("Lumeno2/Lumeno2.ini")));
    }

    void handEditedFileIsReadWithoutHarm()
    {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("Lumeno2"));
        QFile f(dir.filePath("Lumeno2/Lumeno2.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Options]\nKillPopups=-1\nWindowWidth=1e99\nWindowHeight=3000, 4000\n"
                "MainWindowWidth=\x01\xff\xfe\nbroken line without equals\n");
        f.close();
        IniSettingsStore store(dir.path());
        Module1::loadOptions(store);
        QCOMPARE(KillPopups, true);
        QCOMPARE(WindowWidth, 6645);
        QCOMPARE(WindowHeight, 4440);
        QCOMPARE(MainWindowWidth, 10425);
        QCOMPARE(MainWindowHeight, 7320);
    }

    // A damaged file (a broken section line with a NUL byte, a line of 5,000
    // characters) is written without any failure told, the file as it was is
    // kept beside it, and a later real failure is still told.
    void aDamagedFileIsWrittenWithoutAFalseFailure()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath("Lumeno2")));
        const QString file = dir.filePath("Lumeno2/Lumeno2.ini");
        const QByteArray damaged = QByteArray("[Options\0x\n", 11) + QByteArray(5000, 'z')
                                   + "\nKillPopups=True\n[Internet]\nHomePage=http://h.example/\n";
        writeBytes(file, damaged);
        IniSettingsStore store(dir.path());
        QList<SettingsStore::SaveFailure> told;
        store.setSaveFailedHandler([&](const SettingsStore::SaveFailure &f) { told << f; });
        QCOMPARE(store.GetSetting(AppName, InternetSection, KeyHomePage, ""), QString("http://h.example/"));
        store.SaveSetting(AppName, OptionsSection, KeyMainWindowHeight, "7000");
        store.SaveSetting(AppName, OptionsSection, KeyMainWindowWidth, "9000");
        QVERIFY(told.isEmpty());
        QVERIFY(!store.lastSaveFailure());
        IniSettingsStore again(dir.path());
        QCOMPARE(again.GetSetting(AppName, OptionsSection, KeyMainWindowWidth, ""), QString("9000"));
        QCOMPARE(again.GetSetting(AppName, InternetSection, KeyHomePage, ""), QString("http://h.example/"));
        const QStringList kept = QDir(dir.filePath("Lumeno2")).entryList({"Lumeno2.ini.damaged-*"});
        QCOMPARE(kept.size(), 1);
        QCOMPARE(bytesOf(dir.filePath("Lumeno2/" + kept[0])), damaged);

        QVERIFY(QFile::remove(file));
        QVERIFY(QDir().mkpath(file));
        store.SaveSetting(AppName, OptionsSection, KeyWindowWidth, "5000");
        QCOMPARE(told.size(), 1);
        QVERIFY(told[0].reason.contains("folder"));
    }

    // A settings "file" that is a directory can be neither read nor written;
    // the program goes on with its defaults.
    void unusableFileNeverStopsTheProgram()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath("Lumeno2/Lumeno2.ini")));
        IniSettingsStore store(dir.path());
        Module1::loadOptions(store);
        QCOMPARE(WindowWidth, 6645);
        QList<SettingsStore::SaveFailure> told;
        store.setSaveFailedHandler([&](const SettingsStore::SaveFailure &f) { told << f; });
        store.SaveSetting(AppName, OptionsSection, KeyWindowWidth, "5000");
        QVERIFY(store.lastSaveFailure());
        QCOMPARE(told.size(), 1);
        QCOMPARE(told[0].file, dir.filePath("Lumeno2/Lumeno2.ini"));
        QVERIFY(told[0].reason.contains("folder"));
        QVERIFY(QFileInfo(dir.filePath("Lumeno2/Lumeno2.ini")).isDir());
        // The value is kept in memory for the rest of the run.
        QCOMPARE(store.GetSetting(AppName, OptionsSection, KeyWindowWidth, "0"), QString("5000"));
    }

    // A settings folder the user cannot write (checked as an ordinary user:
    // root writes anywhere): the failure names the file and the system's reason.
    void aReadOnlyFolderIsReportedWithItsReason()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath("Lumeno2")));
        writeBytes(dir.filePath("Lumeno2/Lumeno2.ini"), "[Options]\nWindowWidth=3000\n");
        {
            AsUser user(dir.path());
            QVERIFY(QFile::setPermissions(dir.filePath("Lumeno2"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
            QVERIFY(QFile::setPermissions(dir.filePath("Lumeno2/Lumeno2.ini"), QFileDevice::ReadOwner));
            IniSettingsStore store(dir.path());
            QCOMPARE(store.GetSetting(AppName, OptionsSection, KeyWindowWidth, "0"), QString("3000"));
            store.SaveSetting(AppName, OptionsSection, KeyWindowWidth, "5000");
            QVERIFY(store.lastSaveFailure());
            QCOMPARE(store.lastSaveFailure()->file, dir.filePath("Lumeno2/Lumeno2.ini"));
            QVERIFY2(store.lastSaveFailure()->reason.contains("ermission"),
                     qPrintable(store.lastSaveFailure()->reason));
            QVERIFY(QFile::setPermissions(dir.filePath("Lumeno2"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        }
        QCOMPARE(bytesOf(dir.filePath("Lumeno2/Lumeno2.ini")), QByteArray("[Options]\nWindowWidth=3000\n"));
    }
};

QTEST_GUILESS_MAIN(tst_Settings)
#include "tst_settings.moc"
