// One browser window with the fake page view: its layout at every size, the
// minimum size, border drags, focus, keys and closing.
#include "browser/ui/AddressBox.h"
#include "shell/ui/StatusBar.h"
#include "support/HostFixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QToolButton>

namespace {
TwipRect twips(const QWidget *w)
{
    const QRect g = w->geometry();
    return {g.x() * 15, g.y() * 15, g.width() * 15, g.height() * 15};
}
} // namespace

class tst_BrowserWindow : public QObject, public HostFixture
{
    Q_OBJECT
public:
    static void initMain() { qputenv("QT_QPA_PLATFORM", "offscreen"); }

private:
    frmBrowser *w = nullptr;

    void mouse(QWidget *target, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
    {
        QMouseEvent e(type, at, target->mapToGlobal(QPointF(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                      Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    }

private slots:
    void init()
    {
        reset();
        start();
        w = firstWindow();
        QVERIFY(w);
    }
    void cleanup() { finish(); }

    void controlsAtTheirRectangles()
    {
        // 6645 x 4440 outer, so the client area is 6525 x 4320.
        QCOMPARE(w->ScaleWidth(), 6525);
        QCOMPARE(w->ScaleHeight(), 4320);
        QCOMPARE(w->client()->geometry(), QRect(4, 4, 435, 288));
        QCOMPARE(twips(w->picStatus), (TwipRect{0, 0, 6525, 690}));
        QCOMPARE(twips(w->lblTitle), (TwipRect{0, 0, 6525, 300}));
        QCOMPARE(twips(w->cmdClose), (TwipRect{6240, 30, 255, 225}));
        QCOMPARE(twips(w->imgFavs), (TwipRect{5970, 30, 210, 210}));
        QCOMPARE(twips(w->cmdBack), (TwipRect{0, 360, 345, 285}));
        QCOMPARE(twips(w->cmdForward), (TwipRect{360, 360, 345, 285}));
        QCOMPARE(twips(w->cmdStop), (TwipRect{720, 360, 345, 285}));
        QCOMPARE(twips(w->cmdGoHome), (TwipRect{1080, 360, 345, 285}));
        QCOMPARE(twips(w->cmdRefresh), (TwipRect{1440, 360, 345, 285}));
        QCOMPARE(twips(w->lblCaption), (TwipRect{1980, 390, 405, 225}));
        QCOMPARE(twips(w->txtURL), (TwipRect{2400, 360, 3705, 255}));
        QCOMPARE(twips(w->cmdGo), (TwipRect{6150, 360, 345, 285}));
        QCOMPARE(twips(w->wb), (TwipRect{0, 690, 6525, 3630}));
        QCOMPARE(w->wb->parentWidget(), w->client());
        QCOMPARE(w->lblCaption->text(), QString("URL:"));
        QCOMPARE(w->lblTitle->textFormat(), Qt::PlainText);
        QCOMPARE(w->cmdGoHome->toolTip(), QString("Navigate to your homepage"));
        for (QToolButton *b : {w->cmdClose, w->cmdBack, w->cmdForward, w->cmdStop, w->cmdGoHome,
                               w->cmdRefresh, w->cmdGo}) {
            QVERIFY(b->text().isEmpty());
            QVERIFY(!b->icon().isNull());
        }
        QVERIFY(!w->imgFavs->pixmap().isNull());
        // Close and favorites are drawn over the title band.
        QVERIFY(w->picStatus->children().indexOf(w->cmdClose)
                > w->picStatus->children().indexOf(w->lblTitle));
        QVERIFY(w->picStatus->children().indexOf(w->imgFavs)
                > w->picStatus->children().indexOf(w->lblTitle));
    }

    void wideningAndHeightening()
    {
        const TwipRect close = twips(w->cmdClose), favs = twips(w->imgFavs);
        const TwipRect url = twips(w->txtURL), page = twips(w->wb), title = twips(w->lblTitle);
        const QPoint at = w->pos();
        w->setWidth(w->Width() + 1005);
        QCOMPARE(twips(w->cmdClose).Left, close.Left + 1005);
        QCOMPARE(twips(w->imgFavs).Left, favs.Left + 1005);
        QCOMPARE(twips(w->lblTitle).Width, title.Width + 1005);
        QCOMPARE(twips(w->wb).Width, page.Width + 1005);
        QCOMPARE(twips(w->txtURL), url);
        QCOMPARE(w->pos(), at);

        w->setHeight(w->Height() + 510);
        QCOMPARE(twips(w->wb).Height, page.Height + 510);
        QCOMPARE(twips(w->cmdClose).Left, close.Left + 1005);
        QCOMPARE(twips(w->cmdClose).Top, close.Top);
        QCOMPARE(twips(w->txtURL), url);
        QCOMPARE(w->pos(), at);
    }

    void clampsMoveTheWindowHome()
    {
        w->move(300, 200);
        w->setHeight(1200); // exactly the minimum: left alone
        QCOMPARE(w->pos(), QPoint(300, 200));
        w->setWidth(2025);
        QCOMPARE(w->pos(), QPoint(300, 200));
        QCOMPARE(w->Width(), 2025);
        QCOMPARE(w->Height(), 1200);

        w->setHeight(1185);
        QCOMPARE(w->Height(), 1200);
        QCOMPARE(w->Left(), 60);
        QCOMPARE(w->Top(), 60);

        w->move(300, 200);
        w->resize(10, 10); // as any other resize would
        QCOMPARE(w->Width(), 2025);
        QCOMPARE(w->Height(), 1200);
        QCOMPARE(w->Left(), 60);
        QCOMPARE(w->Top(), 60);
        // At the minimum the right-hand controls stay inside, the page is not negative.
        QCOMPARE(twips(w->cmdClose).Left + twips(w->cmdClose).Width, w->ScaleWidth() - 30);
        QVERIFY(twips(w->imgFavs).Left >= 0);
        QCOMPARE(twips(w->wb).Height, 1200 - 120 - 690);
    }

    void tinyStoredSizeOpensAtTheMinimumAtHome()
    {
        frmBrowser *second = host->OpenBrowserWindow();
        QVERIFY(second->Left() != 60);
        WindowWidth = 100;
        WindowHeight = 100;
        frmBrowser *third = host->OpenBrowserWindow();
        QCOMPARE(third->Width(), 2025);
        QCOMPARE(third->Height(), 1200);
        QCOMPARE(third->Left(), 60);
        QCOMPARE(third->Top(), 60);
        QCOMPARE(twips(third->wb), (TwipRect{0, 690, 1905, 390}));
    }

    void borderDragsStopAtTheMinimum()
    {
        const QRect start = w->geometry();
        const QPoint corner(w->width() - 2, w->height() - 2);
        mouse(w, QEvent::MouseButtonPress, corner, Qt::LeftButton);
        mouse(w, QEvent::MouseMove, corner + QPoint(40, 30), Qt::LeftButton);
        QCOMPARE(w->size(), start.size() + QSize(40, 30));
        mouse(w, QEvent::MouseMove, corner - QPoint(1000, 1000), Qt::LeftButton);
        mouse(w, QEvent::MouseButtonRelease, corner - QPoint(1000, 1000), Qt::NoButton);
        QCOMPARE(w->size(), QSize(135, 80));
        QCOMPARE(w->pos(), start.topLeft());
        QCOMPARE(twips(w->cmdClose).Left, w->ScaleWidth() - 285);

        // The left edge: the right edge stays where it is.
        const QRect before = w->geometry();
        mouse(w, QEvent::MouseButtonPress, QPoint(1, 40), Qt::LeftButton);
        mouse(w, QEvent::MouseMove, QPoint(-50, 40), Qt::LeftButton);
        QCOMPARE(w->geometry().right(), before.right());
        QCOMPARE(w->width(), 135 + 51);
        mouse(w, QEvent::MouseMove, QPoint(500, 40), Qt::LeftButton);
        mouse(w, QEvent::MouseButtonRelease, QPoint(500, 40), Qt::NoButton);
        QCOMPARE(w->geometry().right(), before.right());
        QCOMPARE(w->width(), 135);

        // A press inside the client area resizes nothing.
        const QRect now = w->geometry();
        mouse(w->picStatus, QEvent::MouseButtonPress, QPoint(60, 30), Qt::LeftButton);
        mouse(w->picStatus, QEvent::MouseMove, QPoint(10, 10), Qt::LeftButton);
        mouse(w->picStatus, QEvent::MouseButtonRelease, QPoint(10, 10), Qt::NoButton);
        QCOMPARE(w->geometry(), now);
    }

    void focusBringsAWindowToTheFront()
    {
        frmBrowser *b = host->OpenBrowserWindow();
        QCOMPARE(host->workspace()->children().last(), b);
        // A click into the page of the window behind.
        w->wb->setFocus(Qt::MouseFocusReason);
        QCOMPARE(host->workspace()->children().last(), w);
        // The strip of the other one.
        b->picStatus->setFocus(Qt::MouseFocusReason);
        QCOMPARE(host->workspace()->children().last(), b);
        // A control of the first.
        w->txtURL->setFocus(Qt::TabFocusReason);
        QCOMPARE(host->workspace()->children().last(), w);
    }

    void tabOrder()
    {
        QList<QWidget *> expected{w->picStatus, w->txtURL,    w->cmdGo,   w->cmdGoHome, w->cmdBack,
                                  w->cmdForward, w->cmdStop, w->cmdRefresh, w->cmdClose};
        QWidget *at = w->wb;
        for (QWidget *next : expected) {
            do
                at = at->nextInFocusChain();
            while (at->focusPolicy() == Qt::NoFocus || !(at->focusPolicy() & Qt::TabFocus));
            QCOMPARE(at, next);
        }
    }

    void altF4EndsTheProgram()
    {
        frmBrowser *b = host->OpenBrowserWindow();
        b->setWidth(4995);
        QSignalSpy ended(host.get(), &frmMain::unloaded);
        b->txtURL->setFocus();
        QTest::keyClick(b->txtURL, Qt::Key_F4);
        QTest::keyClick(b->txtURL, Qt::Key_F4, Qt::AltModifier | Qt::ShiftModifier);
        QTest::keyClick(b->txtURL, Qt::Key_F4, Qt::AltModifier | Qt::ControlModifier);
        QCOMPARE(ended.count(), 0);
        QTest::keyClick(b->txtURL, Qt::Key_F4, Qt::AltModifier);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(OpenWindows, 0);
        QCOMPARE(store->saves.size(), 6);
        QCOMPARE(store->option("WindowWidth"), QString("4995"));
    }

    void ctrlNOpensAWindowFromInsideAWindow()
    {
        w->txtURL->setFocus();
        QTest::keyClick(w->txtURL, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(OpenWindows, 2);
        frmBrowser *b = qobject_cast<frmBrowser *>(host->workspace()->children().last());
        QVERIFY(b && b != w);
        // The new window has the focus, in its address box, all selected.
        QCOMPARE(QApplication::focusWidget(), b->txtURL);
        QCOMPARE(b->txtURL->selectedText(), b->txtURL->text());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(OpenWindows, 3);
    }

    void closeButton()
    {
        frmBrowser *b = host->OpenBrowserWindow();
        QPointer<frmBrowser> gone(b);
        QTest::mouseClick(b->cmdClose, Qt::LeftButton);
        QCOMPARE(OpenWindows, 1);
        QCOMPARE(host->SB->Panels(3)->text(), QString("Open Windows: 1"));
        QVERIFY(!b->isVisible());
        QTRY_VERIFY(gone.isNull());
        QCOMPARE(store->saves, (QStringList{"WindowHeight=4440", "WindowWidth=6645"}));
        // The window menu's Close does the same.
        w->mnuClose_Click();
        QCOMPARE(OpenWindows, 0);
        QCOMPARE(host->SB->Panels(3)->text(), QString("Open Windows: 0"));
    }

    void rightButtonReleaseOnCloseMovesFocusToTheStrip()
    {
        w->txtURL->setFocus();
        QTest::mouseRelease(w->cmdClose, Qt::RightButton);
        QCOMPARE(QApplication::focusWidget(), w->picStatus);
        QCOMPARE(OpenWindows, 1);
    }
};

QTEST_MAIN(tst_BrowserWindow)
#include "tst_browserwindow.moc"
