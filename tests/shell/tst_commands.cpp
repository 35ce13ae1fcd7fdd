// The application menu's commands, About and Internet Options, with the fake
// page view.
#include "common/ui/SystemDialogs.h"
#include "shell/ui/StatusBar.h"
#include "shell/ui/frmAbout.h"
#include "shell/ui/frmInternetOptions.h"
#include "support/HostFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

class tst_Commands : public QObject, public HostFixture
{
    Q_OBJECT
public:
    static void initMain() { qputenv("QT_QPA_PLATFORM", "offscreen"); }

private:

    // Runs f on the modal dialog the next command opens, then closes it.
    template <typename Dialog, typename F>
    void onNextDialog(F f)
    {
        QTimer::singleShot(0, this, [f] {
            auto *d = qobject_cast<Dialog *>(QApplication::activeModalWidget());
            QVERIFY(d);
            f(d);
            if (d->isVisible())
                d->reject();
        });
    }

private slots:
    void init()
    {
        reset();
        start(false);
        host->setProgramDirectory(favoritesDir->path());
    }
    void cleanup()
    {
        finish();
    }

    void disablePopupsTwiceRestoresEverything()
    {
        const QString text = host->mnuDisablePopups->text();
        host->mnuDisablePopups->trigger();
        QVERIFY(host->mnuDisablePopups->isChecked());
        QVERIFY(KillPopups);
        QCOMPARE(store->option("KillPopups"), QString("True"));
        host->mnuDisablePopups->trigger();
        QVERIFY(!host->mnuDisablePopups->isChecked());
        QVERIFY(!KillPopups);
        QCOMPARE(store->option("KillPopups"), QString("False"));
        QCOMPARE(host->mnuDisablePopups->text(), text);
        QCOMPARE(store->saves, (QStringList{"KillPopups=True", "KillPopups=False"}));
    }

    void webSupportOpensACountedWindowOnTheSupportPage()
    {
        frmBrowser *first = host->workspace()->findChild<frmBrowser *>();
        first->move(200, 150);
        host->mnuWebSupport->trigger();
        QCOMPARE(OpenWindows, 2);
        QCOMPARE(host->SB->Panels(3)->text(), QString("Open Windows: 2"));
        FakeWebView *view = views->views.last();
        QCOMPARE(view->calls, (QStringList{"refuse:false", "GoHome",
                                           "Navigate2:http://www.lumeno.example/boards/fdisplay.php"}));
        frmBrowser *support = host->frontWindow();
        QVERIFY(support && support != first);
        QVERIFY(support->pos() != QPoint(4, 4)); // where it appeared, not moved home
        support->cmdClose_Click();
        QCOMPARE(host->SB->Panels(3)->text(), QString("Open Windows: 1"));
        // Alone, it is still not moved: it stays where new windows appear.
        first->cmdClose_Click();
        host->mnuWebSupport->trigger();
        QCOMPARE(host->SB->Panels(3)->text(), QString("Open Windows: 1"));
    }

    // Settings that cannot be written (a folder where the file should be):
    // one message for the whole run, naming the file, and the values hold.
    void aFailedSaveIsReportedOnce()
    {
        finish();
        QTemporaryDir config;
        QVERIFY(QDir().mkpath(config.filePath("Lumeno2/Lumeno2.ini")));
        IniSettingsStore disk(config.path());
        views = std::make_unique<FakeWebViewFactory>();
        dialogs = std::make_unique<FakeDialogs>();
        host = std::make_unique<frmMain>(disk, *views, *dialogs);
        host->setMarkvaultPath(QString());
        host->Form_Load();
        host->show();
        QVERIFY(dialogs->messages.isEmpty());
        host->mnuDisablePopups->trigger();
        QCOMPARE(dialogs->messages.size(), 1);
        QVERIFY(dialogs->messages[0].text.contains(config.filePath("Lumeno2/Lumeno2.ini")));
        QVERIFY(dialogs->messages[0].text.contains("folder"));
        QVERIFY(KillPopups);
        QCOMPARE(disk.GetSetting(Settings::AppName, Settings::OptionsSection, Settings::KeyKillPopups, ""),
                 QString("True"));
        host->mnuDisablePopups->trigger();
        host->browserWindows().first()->cmdClose_Click();
        host->close();
        QCOMPARE(dialogs->messages.size(), 1);
        host.reset();
    }

    // A failure first met while quitting is told in a real box that holds
    // nothing up: the quit goes on at once, and the program ends when the
    // box is answered (or closes itself).
    void aFailureAtQuitDoesNotHoldTheEnd()
    {
        finish();
        QTemporaryDir config;
        QVERIFY(QDir().mkpath(config.filePath("Lumeno2/Lumeno2.ini")));
        IniSettingsStore disk(config.path());
        views = std::make_unique<FakeWebViewFactory>();
        SystemDialogs real;
        host = std::make_unique<frmMain>(disk, *views, real);
        host->setMarkvaultPath(QString());
        host->Form_Load();
        host->show();
        QSignalSpy ended(host.get(), &frmMain::unloaded);
        // Were the box to wait for its answer, this answers it, so that the
        // test fails instead of waiting for ever.
        bool heldUp = false;
        QTimer::singleShot(3000, this, [&heldUp] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                heldUp = true;
                modal->close();
            }
        });
        host->close();
        QVERIFY(!heldUp);
        QVERIFY(host->isUnloaded());
        const auto shownBox = [] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
                    return box;
            return static_cast<QMessageBox *>(nullptr);
        };
        QTRY_VERIFY(shownBox());
        QMessageBox *box = shownBox();
        QVERIFY(box->text().contains(config.filePath("Lumeno2/Lumeno2.ini")));
        QVERIFY(!box->isModal());
        QCOMPARE(ended.size(), 0);
        box->accept();
        QTRY_COMPARE(ended.size(), 1);
        host.reset();
    }

    void readMeMissing()
    {
        host->mnuReadme->trigger();
        QCOMPARE(dialogs->messages.size(), 1);
        QCOMPARE(dialogs->messages[0].icon, QMessageBox::Information);
        QCOMPARE(dialogs->messages[0].title, QString("Error loading readme"));
        QCOMPARE(dialogs->messages[0].text, QString("The readme.txt file is missing from the program directory. "
                                        "Please reinstall the program to view the readme."));
        QVERIFY(!host->findChild<QPlainTextEdit *>("readmeViewer"));

        // A read-me that opens but cannot be read (the kernel refuses to read
        // this file at its start) is told, not shown empty or cut short.
        QVERIFY(QFile::link("/proc/self/mem", favoritesDir->filePath("readme.txt")));
        host->mnuReadme->trigger();
        QCOMPARE(dialogs->messages.size(), 2);
        QCOMPARE(dialogs->messages[1].title, QString("Read Me"));
        QVERIFY(dialogs->messages[1].text.contains(favoritesDir->filePath("readme.txt")));
        QVERIFY(!host->findChild<QPlainTextEdit *>("readmeViewer"));
    }

    void readMePresentInADirectoryWithBlanks()
    {
        QTemporaryDir dir;
        const QString spaced = dir.filePath("Program Files/Lumeno 2");
        QVERIFY(QDir().mkpath(spaced));
        QFile f(spaced + "/readme.txt");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Lumeno read-me\n");
        f.close();
        host->setProgramDirectory(spaced);
        // Whatever the desktop has for text files, the text is shown: in the
        // program's own window, one window however often it is asked for.
        host->mnuReadme->trigger();
        QVERIFY(dialogs->messages.isEmpty());
        auto *own = host->findChild<QPlainTextEdit *>("readmeViewer");
        QVERIFY(own);
        QVERIFY(own->isWindow());
        QVERIFY(QTest::qWaitForWindowExposed(own));
        QVERIFY(own->isReadOnly());
        QCOMPARE(own->toPlainText(), QString("Lumeno read-me\n"));
        QTest::keyClick(host->browserWindows().first()->wb, Qt::Key_F1);
        QCOMPARE(host->findChildren<QPlainTextEdit *>("readmeViewer").size(), 1);
        QVERIFY(own->isVisible());
        QTest::keyClick(own, Qt::Key_Escape);
        QTRY_VERIFY(!own->isVisible());
    }

    void theShippedReadMeSitsBesideTheProgram()
    {
        // The build puts it beside the program, where Read Me looks.
        const QString shipped = QCoreApplication::applicationDirPath() + "/../readme.txt";
        QVERIFY2(QFileInfo(shipped).isFile(), qPrintable(shipped));
        QFile f(shipped);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        for (const char *topic : {"Disable Popups", "Ctrl+N", "Alt+F4", "F1", ".fav", "Lumeno2.ini"})
            QVERIFY2(text.contains(topic), topic);
    }

    void markvaultThatCannotStartIsReported()
    {
        QTemporaryDir dir;
        host->setMarkvaultPath(dir.filePath("markvault")); // nothing there
        host->mnuMarkvault_Click();
        QCOMPARE(dialogs->messages.size(), 1);
        QVERIFY(dialogs->messages[0].text.contains(dir.filePath("markvault")));
        QCOMPARE(OpenWindows, 1);
    }

    void aboutShowsItsLinesOnceEachTime()
    {
        QStringList texts;
        for (int i = 0; i < 2; ++i) {
            onNextDialog<frmAbout>([&](frmAbout *about) {
                QCOMPARE(about->windowTitle(), QString("About Lumeno 2.0"));
                QCOMPARE(about->parentWidget(), host.get());
                QCOMPARE(about->windowModality(), Qt::ApplicationModal);
                QCOMPARE(about->lblTitle->text(), QString("Lumeno 2.0"));
                texts << about->infoText();
                QTest::mouseClick(about->Command1, Qt::LeftButton);
            });
            host->mnuAbout->trigger();
        }
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts[0], texts[1]);
        const QStringList lines = texts[0].split("\r\n");
        QCOMPARE(lines.size(), 8); // seven lines, each ended, the last one too
        QCOMPARE(lines[0], QString("Version 2.0"));
        QVERIFY(lines[1].startsWith("Copyright"));
        QCOMPARE(lines[2], QString());
        QVERIFY(lines[3].startsWith("Website: http://") && lines[3].contains(".example"));
        QVERIFY(lines[4].startsWith("E-Mail Support: ") && lines[4].endsWith(".example"));
        QCOMPARE(lines[5], QString());
        QCOMPARE(lines[6], QString("Based on Qt WebEngine (Chromium) technology."));
        QCOMPARE(lines[7], QString());
        QVERIFY(Forms::loaded().size() == 2); // the host and its window: About is gone
    }

    void internetOptionsSetsTheHomePage()
    {
        views->views.first()->url = "http://127.0.0.1/current";
        onNextDialog<frmInternetOptions>([](frmInternetOptions *d) {
            QCOMPARE(d->txtHomePage->text(), QString());
            QTest::mouseClick(d->cmdUseCurrent, Qt::LeftButton);
            QCOMPARE(d->txtHomePage->text(), QString("http://127.0.0.1/current"));
            QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        });
        host->mnuInetOptions->trigger();
        QCOMPARE(store->values.value("Lumeno2/Internet/HomePage"), QString("http://127.0.0.1/current"));

        onNextDialog<frmInternetOptions>([](frmInternetOptions *d) {
            QCOMPARE(d->txtHomePage->text(), QString("http://127.0.0.1/current"));
            QTest::mouseClick(d->cmdUseBlank, Qt::LeftButton);
            QCOMPARE(d->txtHomePage->text(), QString("about:blank"));
            QTest::mouseClick(d->cmdUseDefault, Qt::LeftButton);
            QCOMPARE(d->txtHomePage->text(), QString());
            d->txtHomePage->setText("  example.org  ");
            // Cancel stores nothing.
        });
        host->mnuInetOptions->trigger();
        QCOMPARE(store->values.value("Lumeno2/Internet/HomePage"), QString("http://127.0.0.1/current"));

        onNextDialog<frmInternetOptions>([](frmInternetOptions *d) {
            d->txtHomePage->setText("  example.org  ");
            QTest::mouseClick(d->cmdOK, Qt::LeftButton);
        });
        host->mnuInetOptions->trigger();
        QCOMPARE(store->values.value("Lumeno2/Internet/HomePage"), QString("example.org"));
    }

    void internetOptionsClearsAndSaysWhat()
    {
        onNextDialog<frmInternetOptions>([](frmInternetOptions *d) {
            d->chkHistory->setChecked(true);
            d->chkCookies->setChecked(false);
            d->chkCache->setChecked(true);
            d->chkStorage->setChecked(true);
            QTest::mouseClick(d->cmdClear, Qt::LeftButton);
            d->chkHistory->setChecked(false);
            d->chkCache->setChecked(false);
            d->chkStorage->setChecked(false);
            QTest::mouseClick(d->cmdClear, Qt::LeftButton);
        });
        host->mnuInetOptions->trigger();
        QCOMPARE(views->cleared, (QStringList{"1011", "0000"}));
        QCOMPARE(dialogs->messages.size(), 2);
        QCOMPARE(dialogs->messages[0].text, QString("History cleared."));
        QCOMPARE(dialogs->messages[1].text, QString("Nothing was selected to clear."));
    }
};

QTEST_MAIN(tst_Commands)
#include "tst_commands.moc"
