// The navigation strip and the page events, with the fake page view: what
// each button and key does, where the focus goes, and pop-up blocking.
#include "browser/ui/AddressBox.h"
#include "shell/ui/StatusBar.h"
#include "support/HostFixture.h"

#include <QLabel>
#include <QToolButton>
#include <limits>

class tst_Navigation : public QObject, public HostFixture
{
    Q_OBJECT
public:
    static void initMain() { qputenv("QT_QPA_PLATFORM", "offscreen"); }

private:
    frmBrowser *w = nullptr;
    FakeWebView *view = nullptr;

    QString panel4() const { return host->SB->Panels(4)->text(); }

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

    void toolTips()
    {
        QCOMPARE(w->cmdBack->toolTip(), QString("Go Back"));
        QCOMPARE(w->cmdForward->toolTip(), QString("Go Forward"));
        QCOMPARE(w->cmdStop->toolTip(), QString("Stop the current page from loading"));
        QCOMPARE(w->cmdGoHome->toolTip(), QString("Navigate to your homepage"));
        QCOMPARE(w->cmdRefresh->toolTip(), QString("Refresh the current page"));
        QCOMPARE(w->cmdGo->toolTip(), QString("Navigate to the address in the URL box"));
        QVERIFY(w->txtURL->toolTip().isEmpty());
    }

    void buttonsActAndMoveTheFocus_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("call");
        QTest::addColumn<bool>("focusOnStrip");
        QTest::newRow("back") << "cmdBack" << "GoBack" << true;
        QTest::newRow("forward") << "cmdForward" << "GoForward" << true;
        QTest::newRow("home") << "cmdGoHome" << "GoHome" << true;
        QTest::newRow("refresh") << "cmdRefresh" << "Refresh" << true;
        QTest::newRow("stop") << "cmdStop" << "Stop" << false;
        QTest::newRow("go") << "cmdGo" << "Navigate2:http://typed.example" << false;
    }
    void buttonsActAndMoveTheFocus()
    {
        QFETCH(QString, button);
        QFETCH(QString, call);
        QFETCH(bool, focusOnStrip);
        w->txtURL->setText(" typed.example ");
        auto *b = w->picStatus->findChild<QToolButton *>(button);
        QVERIFY(b);
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(view->calls, QStringList{call});
        // Go hands the focus to the page it opens.
        QWidget *expected = focusOnStrip ? w->picStatus : button == "cmdGo" ? view : static_cast<QWidget *>(b);
        QCOMPARE(QApplication::focusWidget(), expected);
    }

    void goByKeyboardGivesThePageTheFocus()
    {
        w->txtURL->setText("x.example");
        w->cmdGo->setFocus(Qt::TabFocusReason);
        QTest::keyClick(w->cmdGo, Qt::Key_Space);
        QCOMPARE(view->calls, QStringList{"Navigate2:http://x.example"});
        QCOMPARE(QApplication::focusWidget(), view);
        // With nothing to open, the focus stays where it was.
        view->calls.clear();
        w->txtURL->setText("   ");
        w->cmdGo->setFocus(Qt::TabFocusReason);
        QTest::keyClick(w->cmdGo, Qt::Key_Space);
        QVERIFY(view->calls.isEmpty());
        QCOMPARE(QApplication::focusWidget(), w->cmdGo);
    }

    void enterInTheAddressBox()
    {
        // An address is completed as it always was; the page takes the focus.
        w->txtURL->setFocus(Qt::MouseFocusReason);
        w->txtURL->setText("  example.org/a%20b ");
        w->txtURL->setCursorPosition(3);
        QTest::keyClick(w->txtURL, Qt::Key_Return);
        QCOMPARE(view->calls, QStringList{"Navigate2:http://example.org/a%20b"});
        QCOMPARE(QApplication::focusWidget(), view);
        w->txtURL->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(w->txtURL, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(view->calls.size(), 2);

        // Words are searched for with the search address of the settings,
        // or the default while none is set.
        view->calls.clear();
        w->txtURL->setFocus(Qt::MouseFocusReason);
        w->txtURL->setText("python tutorial & more");
        QTest::keyClick(w->txtURL, Qt::Key_Return);
        store->values.insert("Lumeno2/Internet/SearchAddress", "http://127.0.0.1:1/find?words=%s&from=box");
        w->txtURL->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(w->txtURL, Qt::Key_Return);
        QCOMPARE(view->calls, (QStringList{"Navigate2:https://duckduckgo.com/?q=python%20tutorial%20%26%20more",
                                          "Navigate2:http://127.0.0.1:1/find?words=python%20tutorial%20%26%20more&from=box"}));
        QCOMPARE(QApplication::focusWidget(), view);

        // Nothing typed opens nothing, and the focus stays.
        view->calls.clear();
        w->txtURL->setFocus(Qt::MouseFocusReason);
        w->txtURL->clear();
        QTest::keyClick(w->txtURL, Qt::Key_Return);
        QVERIFY(view->calls.isEmpty());
        QCOMPARE(QApplication::focusWidget(), w->txtURL);

        // Other keys get no special treatment.
        view->calls.clear();
        QTest::keyClick(w->txtURL, Qt::Key_Escape);
        QTest::keyClicks(w->txtURL, "abc");
        QVERIFY(view->calls.isEmpty());
        QCOMPARE(w->txtURL->text(), QString("abc"));
    }

    void theAddressBoxSelectsAllWhenItGetsTheFocus()
    {
        w->txtURL->setText("http://127.0.0.1/some/page");
        // By keyboard.
        w->picStatus->setFocus(Qt::TabFocusReason);
        QTest::keyClick(w->picStatus, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w->txtURL);
        QCOMPARE(w->txtURL->selectedText(), w->txtURL->text());
        // By a mouse click in the middle of the text.
        w->picStatus->setFocus(Qt::MouseFocusReason);
        QTest::mouseClick(w->txtURL, Qt::LeftButton, {}, QPoint(60, 8));
        QCOMPARE(QApplication::focusWidget(), w->txtURL);
        QCOMPARE(w->txtURL->selectedText(), w->txtURL->text());
        // A second click, with the focus already there, places the cursor as usual.
        QTest::mouseClick(w->txtURL, Qt::LeftButton, {}, QPoint(60, 8));
        QVERIFY(w->txtURL->selectedText().isEmpty());
        // Typing replaces the selected text.
        w->picStatus->setFocus(Qt::TabFocusReason);
        w->txtURL->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(w->txtURL, "new");
        QCOMPARE(w->txtURL->text(), QString("new"));
    }

    void navigationsLeaveWhatIsBeingTyped()
    {
        // A page going on by itself (a new window's home page) does not take
        // what the person types in the box away...
        w->txtURL->setFocus();
        QTest::keyClicks(w->txtURL, "half-typ");
        emit view->BeforeNavigate2("http://127.0.0.1:1/frame");
        QCOMPARE(w->txtURL->text(), QString("half-typ"));
        // ...but is shown once the box is left, and as a whole, selected,
        // in a box that has the focus and nothing typed.
        view->setFocus();
        emit view->BeforeNavigate2("http://127.0.0.1:1/next");
        QCOMPARE(w->txtURL->text(), QString("http://127.0.0.1:1/next"));
        w->focusAddressBox();
        emit view->BeforeNavigate2("http://127.0.0.1:1/third");
        QCOMPARE(w->txtURL->selectedText(), QString("http://127.0.0.1:1/third"));
    }

    void commandStateChange()
    {
        QVERIFY(w->cmdBack->isEnabled());
        QVERIFY(w->cmdForward->isEnabled());
        emit view->CommandStateChange(1, false);
        QVERIFY(!w->cmdForward->isEnabled());
        QVERIFY(w->cmdBack->isEnabled());
        emit view->CommandStateChange(2, false);
        QVERIFY(!w->cmdBack->isEnabled());
        emit view->CommandStateChange(-1, true);
        emit view->CommandStateChange(0, true);
        emit view->CommandStateChange(3, true);
        QVERIFY(!w->cmdBack->isEnabled());
        QVERIFY(!w->cmdForward->isEnabled());
        emit view->CommandStateChange(2, true);
        QVERIFY(w->cmdBack->isEnabled());
        QVERIFY(!w->cmdForward->isEnabled());
        // The other buttons are never disabled.
        QVERIFY(w->cmdStop->isEnabled() && w->cmdGoHome->isEnabled() && w->cmdRefresh->isEnabled()
                && w->cmdGo->isEnabled());
    }

    void titleIsTheDocumentsExactly()
    {
        view->title = "<b>x</b> & y";
        emit view->NavigateComplete2();
        QCOMPARE(w->lblTitle->text(), QString("<b>x</b> & y"));
        QCOMPARE(w->lblTitle->textFormat(), Qt::PlainText);
        view->title = "";
        view->url = "http://127.0.0.1/untitled";
        emit view->DocumentComplete();
        QCOMPARE(w->lblTitle->text(), QString());
        view->title = "  spaced  ";
        emit view->DocumentComplete();
        QCOMPARE(w->lblTitle->text(), QString("  spaced  "));
        // Neither the window nor the host takes it as its caption.
        QCOMPARE(host->windowTitle(), QString("Lumeno 2.0"));
    }

    void popupsPassWhileBlockingIsOff()
    {
        QVERIFY(!view->requestNewWindow());
        QCOMPARE(KilledPopups, 0);
        QCOMPARE(panel4(), QString("Killed Popups: 0"));
    }

    void popupsAreBlockedAndCountedAcrossWindows()
    {
        KillPopups = true;
        frmBrowser *other = host->OpenBrowserWindow();
        FakeWebView *otherView = views->views.last();
        QVERIFY(view->requestNewWindow());
        QCOMPARE(panel4(), QString("Killed Popups: 1"));
        QVERIFY(otherView->requestNewWindow());
        QCOMPARE(KilledPopups, 2);
        QCOMPARE(panel4(), QString("Killed Popups: 2"));
        // Refused by the page itself: counted whatever the option says now.
        KillPopups = false;
        emit otherView->NewWindowsRefused(10000);
        QCOMPARE(panel4(), QString("Killed Popups: 10002"));
        QVERIFY(!view->requestNewWindow());
        QCOMPARE(KilledPopups, 10002);
        // Nothing of it is stored.
        QVERIFY(!store->values.contains("Lumeno2/Options/KilledPopups"));
        Q_UNUSED(other);
    }

    void theCountStopsAtItsLargestValue()
    {
        KillPopups = true;
        KilledPopups = std::numeric_limits<qint32>::max() - 1;
        QVERIFY(view->requestNewWindow());
        QVERIFY(view->requestNewWindow());
        QCOMPARE(KilledPopups, std::numeric_limits<qint32>::max());
        QCOMPARE(panel4(), QString("Killed Popups: 2147483647"));
        emit view->NewWindowsRefused(5);
        QCOMPARE(KilledPopups, std::numeric_limits<qint32>::max());
    }

    void disablePopupsTellsEveryPageAndIsStored()
    {
        host->OpenBrowserWindow();
        FakeWebView *second = views->views.last();
        QCOMPARE(second->calls.first(), QString("refuse:false"));
        second->calls.clear();
        host->mnuDisablePopups->trigger();
        QVERIFY(KillPopups);
        QVERIFY(host->mnuDisablePopups->isChecked());
        QCOMPARE(store->option("KillPopups"), QString("True"));
        QCOMPARE(view->calls, QStringList{"refuse:true"});
        QCOMPARE(second->calls, QStringList{"refuse:true"});
        // A window opened now starts refusing.
        host->OpenBrowserWindow();
        QCOMPARE(views->views.last()->calls.first(), QString("refuse:true"));
        host->mnuDisablePopups->trigger();
        QVERIFY(!KillPopups);
        QVERIFY(!host->mnuDisablePopups->isChecked());
        QCOMPARE(store->option("KillPopups"), QString("False"));
        QCOMPARE(store->saves, (QStringList{"KillPopups=True", "KillPopups=False"}));
        QCOMPARE(second->calls, (QStringList{"refuse:true", "refuse:false"}));
    }
};

QTEST_MAIN(tst_Navigation)
#include "tst_navigation.moc"
