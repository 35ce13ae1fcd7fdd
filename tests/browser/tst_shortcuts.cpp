// A browser window's keys, pressed where the focus is, as a user would: each
// reaches its command on the fake page view, is taken before the page or the
// box sees it, and stays out of dialogs the window opened.
#include "browser/ui/AddressBox.h"
#include "browser/ui/FindBar.h"
#include "favorites/ui/frmEditFavs.h"
#include "support/Files.h"
#include "support/HostFixture.h"

#include <QLineEdit>
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

    void closeKeys()
    {
        frmBrowser *second = host->OpenBrowserWindow();
        QCOMPARE(host->browserWindows().size(), 2);
        view = views->views.last();
        onPage(Qt::Key_W, Qt::ControlModifier);
        QCOMPARE(host->browserWindows(), QList<frmBrowser *>{w});
        QVERIFY(second->isHidden());
        view = views->views.first();
        onPage(Qt::Key_F4, Qt::ControlModifier);
        QVERIFY(host->browserWindows().isEmpty());
        // The host itself stays.
        QVERIFY(!host->isUnloaded());
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
    }

    void zoomKeys()
    {
        onPage(Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier);
        onPage(Qt::Key_Equal, Qt::ControlModifier);
        onPage(Qt::Key_Minus, Qt::ControlModifier);
        onPage(Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
        onPage(Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(takeCalls(), QStringList({"zoom:1.1", "zoom:1.25", "zoom:1.1", "zoom:1.25", "zoom:1"}));
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
