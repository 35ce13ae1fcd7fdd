// The host window with the fake page view: start-up from the store, opening
// and closing windows, the status bar, and what is stored on the way out.
#include "common/ui/SystemDialogs.h"
#include "favorites/ui/frmEditFavs.h"
#include "shell/ui/StatusBar.h"
#include "support/HostFixture.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QToolButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

class tst_Host : public QObject, public HostFixture
{
    Q_OBJECT
public:
    static void initMain() { qputenv("QT_QPA_PLATFORM", "offscreen"); }

private:
    QList<frmBrowser *> windows() const
    {
        QList<frmBrowser *> open;
        for (auto *w : host->workspace()->findChildren<frmBrowser *>(Qt::FindDirectChildrenOnly))
            if (w->isVisible())
                open << w;
        return open;
    }
    QString panel(int i) const { return host->SB->Panels(i)->text(); }
    void press(QWidget *w, QEvent::Type type)
    {
        QMouseEvent e(type, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }

private slots:
    void init()
    {
        reset();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void cleanup()
    {
        finish();
        QVERIFY(Forms::loaded().isEmpty());
    }

    void startsFromAnEmptyStore()
    {
        start(false);
        QCOMPARE(host->windowTitle(), QString("Lumeno 2.0"));
        QVERIFY(!host->windowIcon().isNull());
        QCOMPARE(host->Width(), 10425);
        QCOMPARE(host->Height(), 7320);
        QCOMPARE(windows().size(), 1);
        frmBrowser *w = windows().first();
        QCOMPARE(w->Width(), 6645);
        QCOMPARE(w->Height(), 4440);
        QCOMPARE(w->Left(), 60);
        QCOMPARE(w->Top(), 60);
        QCOMPARE(w->parentWidget(), host->workspace());
        QCOMPARE(views->views.size(), 1);
        QCOMPARE(views->views.first()->calls, (QStringList{"refuse:false", "GoHome"}));
        QCOMPARE(OpenWindows, 1);
        QCOMPARE(panel(3), QString("Open Windows: 1"));
        QCOMPARE(panel(4), QString("Killed Popups: 0"));
        QVERIFY(!host->mnuDisablePopups->isChecked());
        QVERIFY(!KillPopups);
        // Nothing is stored by starting.
        QVERIFY(store->saves.isEmpty());
    }

    void statusBarPanels()
    {
        start(false);
        const char *texts[] = {"New Window ", "", "Open Windows: 1", "Killed Popups: 0", "Time:"};
        const char *tips[] = {"", "", "Current number of windows open",
                              "The amount of popups killed in this session", ""};
        const StatusBarPanel::Bevel bevels[] = {StatusBarPanel::Raised, StatusBarPanel::NoBevel,
                                                StatusBarPanel::Inset, StatusBarPanel::Inset,
                                                StatusBarPanel::Inset};
        const int minPx[] = {50, 96, 96, 96, 96};
        for (int i = 1; i <= 5; ++i) {
            StatusBarPanel *p = host->SB->Panels(i);
            QCOMPARE(p->Index(), i);
            QCOMPARE(p->text(), QString(texts[i - 1]));
            QCOMPARE(p->toolTip(), QString(tips[i - 1]));
            QCOMPARE(p->bevel(), bevels[i - 1]);
            if (i < 5) // the clock's fixed width is checked below
                QCOMPARE(p->minimumWidth(), minPx[i - 1]);
            QVERIFY2(p->width() >= minPx[i - 1], qPrintable(QString::number(i)));
        }
        // The clock's panel keeps one width, wide enough for any time of day.
        StatusBarPanel *clock = host->SB->Panels(5);
        QCOMPARE(clock->minimumWidth(), clock->maximumWidth());
        QVERIFY(clock->width() >= clock->fontMetrics().horizontalAdvance("Time: 12:59:59 PM"));
        // The spring takes what the others leave.
        QVERIFY(QTest::qWaitForWindowExposed(host.get()));
        QCoreApplication::processEvents();
        const int before = host->SB->Panels(2)->width();
        host->resize(host->width() + 200, host->height());
        QTRY_COMPARE(host->SB->Panels(2)->width(), before + 200);
        // A counter panel grows with its text.
        const int narrow = host->SB->Panels(3)->width();
        host->SB->Panels(3)->setText("Open Windows: 1234567890123456789012345678901234567890");
        QTRY_VERIFY(host->SB->Panels(3)->width() > narrow);
        // The status bar lies outside the workspace, so no window can cover it.
        QVERIFY(!host->workspace()->geometry().intersects(host->SB->geometry()));
    }

    void menuTree()
    {
        start(false);
        QList<QAction *> top = host->menuBar()->actions();
        QCOMPARE(top.size(), 4);
        // Every menu has its mnemonic, File too (Alt+F).
        QCOMPARE(top[0]->text(), QString("&File"));
        QCOMPARE(top[1]->text(), QString("&Options"));
        QCOMPARE(top[2]->text(), QString("&Window"));
        QCOMPARE(top[3]->text(), QString("&Help"));
        QStringList file, options, help;
        for (QAction *a : host->mnuFile->actions())
            file << (a->isSeparator() ? "-" : a->text());
        for (QAction *a : host->mnuOptions->actions())
            options << (a->isSeparator() ? "-" : a->text());
        for (QAction *a : host->mnuHelp->actions())
            help << (a->isSeparator() ? "-" : a->text());
        QCOMPARE(file, (QStringList{"&New Window", "&Downloads...", "&History...\tCtrl+H", "-", "Quit\tAlt+F4"}));
        QCOMPARE(options, (QStringList{"&Disable Popups", "Open Markvault", "-", "&Internet Options..."}));
        QCOMPARE(help, (QStringList{"&Read Me\tF1", "&Web Support...", "-", "&About"}));
        QCOMPARE(host->mnuNewWindow->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
        // Ctrl+M and Ctrl+H are shown, but go to the page first: no shortcuts.
        QCOMPARE(host->mnuMinimizeWindow->text(), QString("Mi&nimize\tCtrl+M"));
        QVERIFY(host->mnuMinimizeWindow->shortcut().isEmpty());
        QVERIFY(host->mnuHistory->shortcut().isEmpty());
        // The Quit caption shows Alt+F4 but binds no key of its own.
        QVERIFY(host->mnuQuit->shortcut().isEmpty());
        QVERIFY(host->mnuDisablePopups->isCheckable());
        QVERIFY(!host->mnuMarkvault->isVisible());
    }

    void storedOptionsAreRestored()
    {
        store->setOption("KillPopups", "true");
        store->setOption("MainWindowWidth", "11025");
        store->setOption("MainWindowHeight", "8010");
        store->setOption("WindowWidth", "5010");
        store->setOption("WindowHeight", "3000");
        start(false);
        QVERIFY(host->mnuDisablePopups->isChecked());
        QVERIFY(KillPopups);
        QCOMPARE(host->Width(), 11025);
        QCOMPARE(host->Height(), 8010);
        QCOMPARE(windows().first()->Width(), 5010);
        QCOMPARE(windows().first()->Height(), 3000);
    }

    // Sizes stored on a larger screen, or damaged, are fitted before anything
    // is drawn: the host into the screen's free area (never below a usable
    // size), the window into the workspace. The stored texts change only
    // when the user resizes.
    void storedSizesAreFittedToTheScreen()
    {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        for (const char *host_w : {"38400", "0"}) {
            init();
            store->setOption("MainWindowWidth", host_w);
            store->setOption("MainWindowHeight", QString(host_w) == "0" ? "0" : "21600");
            store->setOption("WindowWidth", "999999");
            store->setOption("WindowHeight", "999999");
            start(false);
            QVERIFY(area.contains(host->frameGeometry()) || area.contains(host->geometry()));
            QVERIFY2(host->width() >= qMin(480, area.width() - 16), qPrintable(QString::number(host->width())));
            QVERIFY(host->height() >= qMin(360, area.height() - 48));
            frmBrowser *w = windows().first();
            QVERIFY(w->width() <= host->workspace()->width());
            QVERIFY(w->height() <= host->workspace()->height());
            QVERIFY(w->width() >= 135 && w->height() >= 80);
            // A window opened later is fitted the same way.
            frmBrowser *next = host->OpenBrowserWindow();
            QVERIFY(next->width() <= host->workspace()->width());
            next->cmdClose_Click();
            QVERIFY(host->close());
            QCOMPARE(store->option("WindowWidth"), QString("999999"));
            QCOMPARE(store->option("WindowHeight"), QString("999999"));
            QCOMPARE(store->option("MainWindowWidth"), QString(host_w) == "0" ? QString("0") : QString("38400"));
            cleanup();
        }
        // A size the user makes is stored.
        init();
        store->setOption("MainWindowWidth", "38400");
        start(false);
        host->resize(600, 420);
        windows().first()->setWidth(4500);
        QVERIFY(host->close());
        QCOMPARE(store->option("MainWindowWidth"), QString("9000"));
        QCOMPARE(store->option("WindowWidth"), QString("4500"));
    }

    void markvaultShownWhenItsProgramExists()
    {
        QTemporaryDir dir;
        const QString program = dir.filePath("markvault");
        QFile f(program);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        start(false, program);
        QVERIFY(host->mnuMarkvault->isVisible());
        host.reset();
        Module1::resetSharedState();
        start(false, dir.path()); // a directory is not the program
        QVERIFY(!host->mnuMarkvault->isVisible());
    }

    void openThreeCloseThreeOpenOne()
    {
        start(false);
        frmBrowser *first = windows().first();
        frmBrowser *second = host->OpenBrowserWindow();
        const QPoint secondAt = second->pos();
        frmBrowser *third = host->OpenBrowserWindow();
        QCOMPARE(panel(3), QString("Open Windows: 3"));
        // Later windows are not moved to the first position, nor moved later.
        QVERIFY(secondAt != first->pos());
        QCOMPARE(second->pos(), secondAt);
        QVERIFY(third->pos() != secondAt);

        QPointer<frmBrowser> gone(second);
        second->cmdClose_Click();
        QCOMPARE(panel(3), QString("Open Windows: 2"));
        QTRY_VERIFY(gone.isNull());
        first->cmdClose_Click();
        third->cmdClose_Click();
        QCOMPARE(OpenWindows, 0);
        QCOMPARE(panel(3), QString("Open Windows: 0"));
        QTRY_COMPARE(windows().size(), 0);

        frmBrowser *again = host->OpenBrowserWindow();
        QCOMPARE(again->Left(), 60);
        QCOMPARE(again->Top(), 60);
        QCOMPARE(panel(3), QString("Open Windows: 1"));
    }

    // Every way there is to open a window, then closing in another order: the
    // panel always shows the size of the host's list, which holds exactly the
    // windows on screen.
    void everyWayOfOpeningAndClosingKeepsTheCount()
    {
        start(true);
        QList<frmBrowser *> opened = windows();
        auto check = [&](int expected) {
            QCOMPARE(host->browserWindows().size(), expected);
            QCOMPARE(panel(3), QString("Open Windows: %1").arg(expected));
            QCOMPARE(OpenWindows, expected);
            QTRY_COMPARE(windows().size(), expected);
            for (frmBrowser *w : host->browserWindows())
                QVERIFY(windows().contains(w));
        };
        check(1);
        host->mnuNewWindow->trigger();
        check(2);
        // Ctrl+N from inside a window's page.
        QTest::keyClick(host->browserWindows().last()->wb, Qt::Key_N, Qt::ControlModifier);
        check(3);
        press(host->SB->Panels(1), QEvent::MouseButtonPress);
        press(host->SB->Panels(1), QEvent::MouseButtonRelease);
        check(4);
        host->mnuWebSupport->trigger();
        check(5);
        QCOMPARE(views->views.last()->calls.last(), "Navigate2:" + frmMain::supportPage());

        const QList<frmBrowser *> all = host->browserWindows();
        QTest::mouseClick(all[2]->cmdClose, Qt::LeftButton);
        check(4);
        all[4]->mnuClose->trigger();
        check(3);
        all[0]->Unload();
        all[0]->Unload(); // a second unload changes nothing
        check(2);
        QCOMPARE(host->browserWindows(), (QList<frmBrowser *>{all[1], all[3]}));
        all[3]->cmdClose_Click();
        all[1]->cmdClose_Click();
        check(0);
        host->OpenBrowserWindow();
        check(1);
    }

    void closedWindowsSizeIsTheNextOnesAndIsStored()
    {
        start(false);
        frmBrowser *w = windows().first();
        w->setWidth(5010);
        w->setHeight(3000);
        w->cmdClose_Click();
        QCOMPARE(store->saves, (QStringList{"WindowHeight=3000", "WindowWidth=5010"}));
        QCOMPARE(WindowWidth, 5010);
        QCOMPARE(WindowHeight, 3000);
        frmBrowser *next = host->OpenBrowserWindow();
        QCOMPARE(next->Width(), 5010);
        QCOMPARE(next->Height(), 3000);
    }

    void closingTheHostStoresItsSizeThenEachWindowsInOrder()
    {
        start(false);
        frmBrowser *a = windows().first();
        frmBrowser *b = host->OpenBrowserWindow();
        a->setWidth(4500);
        a->setHeight(3000);
        b->setWidth(6000);
        b->setHeight(3600);
        host->setWidth(11025);
        host->setHeight(8010);
        // The window opened first is the older form, even after the other was raised.
        a->raise();
        QSignalSpy ended(host.get(), &frmMain::unloaded);
        QVERIFY(host->close());
        QCOMPARE(ended.count(), 1);
        QCOMPARE(store->saves, (QStringList{"MainWindowHeight=8010", "MainWindowWidth=11025",
                                            "WindowHeight=3000", "WindowWidth=4500",
                                            "WindowHeight=3600", "WindowWidth=6000"}));
        QCOMPARE(OpenWindows, 0);
        QCOMPARE(panel(3), QString("Open Windows: 0"));

        // The next start restores the host and takes the last window's size.
        host.reset();
        Module1::resetSharedState();
        start(false);
        QCOMPARE(host->Width(), 11025);
        QCOMPARE(host->Height(), 8010);
        QCOMPARE(windows().first()->Width(), 6000);
        QCOMPARE(windows().first()->Height(), 3600);
    }

    void quitUnloadsOnce()
    {
        start(false);
        host->OpenBrowserWindow();
        QSignalSpy ended(host.get(), &frmMain::unloaded);
        host->mnuQuit->trigger();
        host->Unload();
        host->close();
        QCOMPARE(ended.count(), 1);
        QCOMPARE(store->saves.size(), 6);
    }

    void aWindowClosedUnderItsEditorGoesOnceTheEditorIsClosed()
    {
        start(false);
        QPointer<frmBrowser> w = windows().first();
        w->setWidth(5010);
        bool closedUnderIt = false;
        QTimer::singleShot(0, this, [&] {
            QVERIFY(qobject_cast<frmEditFavs *>(QApplication::activeModalWidget()));
            w->mnuClose_Click(); // Ctrl+W's command
            closedUnderIt = true;
        });
        w->mnuEditFavs_Click();
        // The editor was closed under the code that opened it, which finds
        // its window still there; the window goes after that.
        QVERIFY(closedUnderIt);
        QVERIFY(w);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(store->saves, (QStringList{"WindowHeight=4440", "WindowWidth=5010"}));
        QTRY_VERIFY(!w);
        QCOMPARE(OpenWindows, 0);
    }

    void quitWithABoxOfAWindowUpClosesTheBoxAndAsksNothingMoreForIt()
    {
        // The real boxes, each waiting in a loop of its own.
        SystemDialogs real;
        host = std::make_unique<frmMain>(*store, *views, real);
        host->setMarkvaultPath(QString());
        host->Form_Load();
        host->show();
        QPointer<frmBrowser> w = windows().first();
        // The favorites file becomes a folder: adding fails, and so would the
        // menu's read once the box has returned.
        QVERIFY(QFile::remove(favoritesPath()));
        QVERIFY(QDir().mkpath(favoritesPath()));
        QSignalSpy ended(host.get(), &frmMain::unloaded);
        int boxes = 0;
        QTimer::singleShot(0, this, [&] {
            QVERIFY(qobject_cast<QMessageBox *>(QApplication::activeModalWidget()));
            ++boxes;
            host->mnuQuit->trigger();
        });
        w->mnuAddFav_Click();
        QCOMPARE(boxes, 1);
        QCOMPARE(ended.count(), 1);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(w);
        QTRY_VERIFY(!w);
        host.reset(); // before the dialogs it was given
    }

    void newWindowCommand()
    {
        start(false);
        host->mnuNewWindow->trigger();
        QCOMPARE(windows().size(), 2);
        QCOMPARE(panel(3), QString("Open Windows: 2"));
        QCOMPARE(views->views.last()->calls, (QStringList{"refuse:false", "GoHome"}));
    }

    void panelOneActsAsAPushButton()
    {
        start(false);
        StatusBarPanel *one = host->SB->Panels(1);
        press(one, QEvent::MouseButtonPress);
        QCOMPARE(one->bevel(), StatusBarPanel::Inset);
        QCOMPARE(OpenWindows, 2);
        QCOMPARE(panel(3), QString("Open Windows: 2"));
        press(one, QEvent::MouseButtonRelease);
        QCOMPARE(one->bevel(), StatusBarPanel::Raised);

        for (int i = 2; i <= 5; ++i) {
            press(host->SB->Panels(i), QEvent::MouseButtonPress);
            press(host->SB->Panels(i), QEvent::MouseButtonRelease);
        }
        QCOMPARE(OpenWindows, 2);
        QCOMPARE(one->bevel(), StatusBarPanel::Raised);

        // A release anywhere over the status bar raises the button again.
        press(one, QEvent::MouseButtonPress);
        press(host->SB, QEvent::MouseButtonRelease);
        QCOMPARE(one->bevel(), StatusBarPanel::Raised);
    }

    void clockTicksEverySecond()
    {
        start(false);
        QCOMPARE(host->Timer1->interval(), 1000);
        QVERIFY(host->Timer1->isActive());
        QCOMPARE(panel(5), QString("Time:"));
        QTRY_VERIFY_WITH_TIMEOUT(panel(5) != "Time:", 3000);
        QVERIFY2(QRegularExpression("^Time: (1[0-2]|[1-9]):[0-5][0-9]:[0-5][0-9] (AM|PM)$")
                     .match(panel(5)).hasMatch(), qPrintable(panel(5)));
    }
};

QTEST_MAIN(tst_Host)
#include "tst_host.moc"
