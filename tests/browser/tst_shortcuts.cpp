// A browser window's keys, pressed where the focus is, as a user would: each
// reaches its command on the fake page view; the keys a page may want go to
// the page first and act only when it leaves them, the others are taken
// before the page or the box sees them; none reach past a dialog the window
// opened. The host's menu bar is reached with F10 and Alt alone.
#include "browser/ui/AddressBox.h"
#include "browser/ui/FavoriteAddedBar.h"
#include "browser/ui/FindBar.h"
#include "favorites/ui/frmEditFavs.h"
#include "support/Files.h"
#include "support/HostFixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>
#include <QTest>
#include <QTreeWidget>

class tst_Shortcuts : public QObject, public HostFixture
{
    Q_OBJECT
public:
    static void initMain() { qputenv("QT_QPA_PLATFORM", "offscreen"); }

private:
    frmBrowser *w = nullptr;
    FakeWebView *view = nullptr;

    // A key pressed on the page, which has the focus.
    void onPage(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        view->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), view);
        QTest::keyClick(view, Qt::Key(key), modifiers);
    }
    QStringList takeCalls()
    {
        const QStringList c = view->calls;
        view->calls.clear();
        return c;
    }

private slots:
    void init()
    {
        reset();
        start();
        w = firstWindow();
        view = views->views.first();
        view->calls.clear();
    }
    void cleanup() { finish(); }

    void navigationKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("call");
        QTest::newRow("F5") << int(Qt::Key_F5) << int(Qt::NoModifier) << "Refresh";
        QTest::newRow("Ctrl+R") << int(Qt::Key_R) << int(Qt::ControlModifier) << "Refresh";
        QTest::newRow("Esc") << int(Qt::Key_Escape) << int(Qt::NoModifier) << "Stop";
        QTest::newRow("Alt+Left") << int(Qt::Key_Left) << int(Qt::AltModifier) << "GoBack";
        QTest::newRow("Alt+Right") << int(Qt::Key_Right) << int(Qt::AltModifier) << "GoForward";
        QTest::newRow("Alt+Home") << int(Qt::Key_Home) << int(Qt::AltModifier) << "GoHome";
    }
    void navigationKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, call);
        onPage(key, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(takeCalls(), QStringList{call});
        // From the address box too, but for Esc, which is the box's own there.
        w->focusAddressBox();
        QTest::keyClick(w->txtURL, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(takeCalls(), call == "Stop" ? QStringList() : QStringList{call});
    }

    // What the window did, as a person would see it.
    QString effect()
    {
        QStringList seen = takeCalls();
        if (w->findBar->isVisible())
            seen << "find bar";
        if (w->favoriteBar->isVisible())
            seen << "favorite bar: " + w->favoriteBar->txtTitle->text();
        if (!w->isVisible())
            seen << "minimized";
        return seen.join(", ");
    }

    void keysAPageMayTakeGoToItFirst_data()
    {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<QString>("acted");
        const auto ctrl = [](Qt::Key k) { return QKeyCombination(Qt::ControlModifier, k); };
        QTest::newRow("Ctrl+F") << ctrl(Qt::Key_F) << "find bar";
        QTest::newRow("Ctrl+D") << ctrl(Qt::Key_D) << "favorite bar: http://127.0.0.1/untitled";
        QTest::newRow("F5") << QKeyCombination(Qt::Key_F5) << "Refresh";
        QTest::newRow("Ctrl+R") << ctrl(Qt::Key_R) << "Refresh";
        QTest::newRow("Ctrl+P") << ctrl(Qt::Key_P) << "Print";
        QTest::newRow("Ctrl+M") << ctrl(Qt::Key_M) << "minimized";
        QTest::newRow("Ctrl+=") << ctrl(Qt::Key_Equal) << "zoom:1.1";
        QTest::newRow("Ctrl+-") << ctrl(Qt::Key_Minus) << "zoom:0.9";
    }
    void keysAPageMayTakeGoToItFirst()
    {
        QFETCH(QKeyCombination, key);
        QFETCH(QString, acted);
        // A page without a title: Ctrl+D adds it under its address.
        view->url = "http://127.0.0.1/untitled";
        view->pageTakes << key;
        onPage(key.key(), key.keyboardModifiers());
        QCOMPARE(view->keysSeen, QList<QKeyCombination>{key});
        QCOMPARE(effect(), QString());
        QVERIFY(!QFile::exists(favoritesPath()) || bytesOf(favoritesPath()).isEmpty());
        // A page that leaves it: the window acts.
        view->pageTakes.clear();
        onPage(key.key(), key.keyboardModifiers());
        QCOMPARE(effect(), acted);
        QCOMPARE(view->keysSeen.size(), 2);
    }

    void keysThatProtectThePersonAreNeverThePages()
    {
        frmBrowser *second = host->OpenBrowserWindow();
        FakeWebView *secondView = views->views.last();
        for (FakeWebView *v : {view, secondView})
            v->pageTakes = {QKeyCombination(Qt::ControlModifier, Qt::Key_W), QKeyCombination(Qt::ControlModifier, Qt::Key_L),
                            QKeyCombination(Qt::ControlModifier, Qt::Key_Tab), QKeyCombination(Qt::Key_F10)};
        view = secondView;
        onPage(Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), second->txtURL);
        onPage(Qt::Key_Tab, Qt::ControlModifier);
        QTRY_COMPARE(frmBrowser::containing(QApplication::focusWidget()), w);
        view = secondView;
        onPage(Qt::Key_W, Qt::ControlModifier);
        QCOMPARE(host->browserWindows(), QList<frmBrowser *>{w});
        QVERIFY(second->isHidden());
        // The keys go on to the window left in front, not to the host.
        view = views->views.first();
        QTRY_COMPARE(QApplication::focusWidget(), view);
        // F10 opens the first menu; Alt alone puts the menu bar in keyboard mode.
        onPage(Qt::Key_F10);
        QTRY_VERIFY(host->mnuFile->isVisible());
        QCOMPARE(host->menuBar()->activeAction(), host->mnuFile->menuAction());
        QTest::keyClick(host->mnuFile, Qt::Key_Right);
        QTRY_VERIFY(host->mnuOptions->isVisible());
        QTest::keyClick(host->mnuOptions, Qt::Key_Escape);
        QTRY_VERIFY(host->mnuOptions->isHidden());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_COMPARE(QApplication::focusWidget(), view);
        QVERIFY(view->keysSeen.isEmpty() && secondView->keysSeen.isEmpty());
        onPage(Qt::Key_Alt, Qt::AltModifier);
        QTest::keyRelease(view, Qt::Key_Alt);
        QTRY_VERIFY(host->menuBar()->hasFocus());
        QCOMPARE(host->menuBar()->activeAction(), host->mnuFile->menuAction());
        QTest::keyClick(host->menuBar(), Qt::Key_Escape);
        QTRY_VERIFY(!host->menuBar()->hasFocus());
        // Ctrl+F4 closes the last window too; the host itself stays.
        onPage(Qt::Key_F4, Qt::ControlModifier);
        QVERIFY(host->browserWindows().isEmpty());
        QVERIFY(!host->isUnloaded());
    }

    void addressBoxKeys()
    {
        w->txtURL->setText("http://127.0.0.1/page");
        onPage(Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), w->txtURL);
        QCOMPARE(w->txtURL->selectedText(), QString("http://127.0.0.1/page"));
        // Taken by the window: the box does not get the letter.
        QCOMPARE(w->txtURL->text(), QString("http://127.0.0.1/page"));
        onPage(Qt::Key_F6);
        QCOMPARE(QApplication::focusWidget(), w->txtURL);
        QCOMPARE(w->txtURL->selectedText(), QString("http://127.0.0.1/page"));
        QVERIFY(takeCalls().isEmpty());
    }

    void nextAndPreviousWindow()
    {
        frmBrowser *second = host->OpenBrowserWindow();
        frmBrowser *third = host->OpenBrowserWindow();
        view = views->views.first();
        onPage(Qt::Key_Tab, Qt::ControlModifier);
        QTRY_COMPARE(frmBrowser::containing(QApplication::focusWidget()), second);
        QCOMPARE(host->frontWindow(), second);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QTRY_COMPARE(frmBrowser::containing(QApplication::focusWidget()), third);
        // Round at the end, and back the other way.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QTRY_COMPARE(frmBrowser::containing(QApplication::focusWidget()), w);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QTRY_COMPARE(frmBrowser::containing(QApplication::focusWidget()), third);
        QCOMPARE(host->frontWindow(), third);
    }

    void addToFavorites()
    {
        view->url = "http://127.0.0.1/fav";
        view->title = "A page";
        onPage(Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(bytesOf(favoritesPath()), QByteArray("A page||http://127.0.0.1/fav\r\n"));
        // What was added is shown, its title ready to be changed: Enter keeps
        // the new title, and the page has the focus again.
        FavoriteAddedBar *bar = w->favoriteBar;
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->lblAddress->text(), QString("http://127.0.0.1/fav"));
        QCOMPARE(QApplication::focusWidget(), bar->txtTitle);
        QCOMPARE(bar->txtTitle->selectedText(), QString("A page"));
        QTest::keyClicks(bar->txtTitle, "Renamed || page");
        QTest::keyClick(bar->txtTitle, Qt::Key_Return);
        QVERIFY(bar->isHidden());
        QCOMPARE(QApplication::focusWidget(), view);
        QCOMPARE(bytesOf(favoritesPath()), QByteArray("Renamed | page||http://127.0.0.1/fav\r\n"));
        w->syncFavoriteItems();
        QCOMPARE(w->mnuFavorite.first()->text(), QString("Renamed | page"));
        // Undo takes the one added out again; Esc leaves it as added.
        onPage(Qt::Key_D, Qt::ControlModifier);
        QTest::mouseClick(bar->cmdUndo, Qt::LeftButton);
        QCOMPARE(bytesOf(favoritesPath()), QByteArray("Renamed | page||http://127.0.0.1/fav\r\n"));
        onPage(Qt::Key_D, Qt::ControlModifier);
        QTest::keyClick(bar->txtTitle, Qt::Key_Escape);
        QVERIFY(bar->isHidden());
        QCOMPARE(QApplication::focusWidget(), view);
        QCOMPARE(bytesOf(favoritesPath()).count("http://127.0.0.1/fav"), 2);
    }

    void zoomKeys()
    {
        QVERIFY(w->cmdZoom->isHidden());
        onPage(Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier);
        onPage(Qt::Key_Equal, Qt::ControlModifier);
        // The zoom shows while it is not 100 %.
        QVERIFY(w->cmdZoom->isVisible());
        QCOMPARE(w->cmdZoom->text(), QString("125 %"));
        onPage(Qt::Key_Minus, Qt::ControlModifier);
        onPage(Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
        onPage(Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(takeCalls(), QStringList({"zoom:1.1", "zoom:1.25", "zoom:1.1", "zoom:1.25", "zoom:1"}));
        QVERIFY(w->cmdZoom->isHidden());
        // Each window has its own.
        host->OpenBrowserWindow();
        QCOMPARE(views->views.last()->zoom, 1.0);
    }

    void findBar()
    {
        const QRect pageArea = view->geometry();
        onPage(Qt::Key_F, Qt::ControlModifier);
        QVERIFY(w->findBar->isVisible());
        QCOMPARE(QApplication::focusWidget(), w->findBar->txtFind);
        // The page gives up the bar's height at its bottom; nothing overlaps.
        QCOMPARE(view->geometry().top(), pageArea.top());
        QCOMPARE(view->geometry().bottom() + 1, w->findBar->geometry().top());
        QCOMPARE(w->findBar->geometry().bottom(), pageArea.bottom());

        QTest::keyClicks(w->findBar->txtFind, "ab");
        QCOMPARE(takeCalls(), QStringList({"find:>a", "find:>ab"}));
        view->finds.last()(3, 7);
        QCOMPARE(w->findBar->matches(), QString("3 of 7"));
        QTest::keyClick(w->findBar->txtFind, Qt::Key_Return);
        QTest::keyClick(w->findBar->txtFind, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(takeCalls(), QStringList({"find:>ab", "find:<ab"}));

        // Esc closes the bar, not the page's load; the page gets its room
        // and the focus back.
        QTest::keyClick(w->findBar->txtFind, Qt::Key_Escape);
        QVERIFY(w->findBar->isHidden());
        QCOMPARE(takeCalls(), QStringList{"find:>"});
        QCOMPARE(view->geometry(), pageArea);
        QCOMPARE(QApplication::focusWidget(), view);
    }

    void keysInADialogOfTheWindowAreTheDialogs()
    {
        frmEditFavs editor(w, *dialogs);
        editor.Form_Load();
        editor.show();
        editor.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        editor.lstFavs->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), editor.lstFavs);
        QTest::keyClick(editor.lstFavs, Qt::Key_W, Qt::ControlModifier);
        QTest::keyClick(editor.lstFavs, Qt::Key_F5);
        // Nor do the window's own keys reach past the dialog: Alt+F4 there
        // must not end the program, F1 not open the read-me behind it.
        QTest::keyClick(editor.lstFavs, Qt::Key_F4, Qt::AltModifier);
        QTest::keyClick(editor.lstFavs, Qt::Key_F1);
        QVERIFY(!host->isUnloaded());
        QVERIFY(!host->findChild<QWidget *>("readmeViewer"));
        QCOMPARE(host->browserWindows().size(), 1);
        QVERIFY(takeCalls().isEmpty());
    }
};

QTEST_MAIN(tst_Shortcuts)
#include "tst_shortcuts.moc"
