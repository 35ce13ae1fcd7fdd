// The drawn title bar and the window menu, and the other ways to the
// favorites menu, with the fake page view.
#include "shell/ui/StatusBar.h"
#include "support/HostFixture.h"

#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTest>
#include <memory>

class tst_TitleBar : public QObject, public HostFixture
{
    Q_OBJECT
public:
    static void initMain() { qputenv("QT_QPA_PLATFORM", "offscreen"); }

private:
    frmBrowser *w = nullptr;

    // Sends a mouse event to a widget at a point of it, with the buttons held.
    void send(QWidget *target, QEvent::Type type, QPoint at, Qt::MouseButton button,
              Qt::MouseButtons held)
    {
        QMouseEvent e(type, at, target->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    }
    // The same, at a point of the screen: the widget may have moved meanwhile.
    void sendAt(QWidget *target, QEvent::Type type, QPoint global, Qt::MouseButton button,
                Qt::MouseButtons held)
    {
        QMouseEvent e(type, target->mapFromGlobal(QPointF(global)), QPointF(global), button, held,
                      Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    }
    QWidget *area() const { return host->workspace(); }

private slots:
    void init()
    {
        reset();
        start();
        w = firstWindow();
    }
    void cleanup() { finish(); }

    void draggingTheTitleWithTheLeftButtonMovesTheWindow()
    {
        const QPoint start = w->pos();
        const QPoint grab = w->lblTitle->mapToGlobal(QPoint(100, 10));
        sendAt(w->lblTitle, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
        sendAt(w->lblTitle, QEvent::MouseMove, grab + QPoint(30, 20), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(w->pos(), start + QPoint(30, 20));
        sendAt(w->lblTitle, QEvent::MouseMove, grab + QPoint(50, 25), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(w->pos(), start + QPoint(50, 25));
        sendAt(w->lblTitle, QEvent::MouseButtonRelease, grab + QPoint(50, 25), Qt::LeftButton, Qt::NoButton);
        QVERIFY(!w->isDragging());
        QCOMPARE(w->Width(), 6645); // moved, not resized
    }

    void theWindowStaysWithTheMouseInsideTheWorkspace()
    {
        const QPoint grab(100, 10);
        send(w->lblTitle, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
        send(w->lblTitle, QEvent::MouseMove, grab + QPoint(-5000, -5000), Qt::NoButton, Qt::LeftButton);
        // The mouse is held at the workspace's corner: the grabbed point is there.
        const QPoint held = w->lblTitle->mapTo(area(), grab);
        QCOMPARE(held, QPoint(0, 0));
        send(w->lblTitle, QEvent::MouseButtonRelease, grab, Qt::LeftButton, Qt::NoButton);
    }

    void otherButtonsMoveNothing()
    {
        const QPoint start = w->pos();
        const QPoint grab(100, 10);
        send(w->lblTitle, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
        send(w->lblTitle, QEvent::MouseMove, grab + QPoint(30, 20), Qt::NoButton,
             Qt::LeftButton | Qt::RightButton);
        QCOMPARE(w->pos(), start);
        send(w->lblTitle, QEvent::MouseButtonPress, grab, Qt::RightButton, Qt::RightButton);
        send(w->lblTitle, QEvent::MouseMove, grab + QPoint(30, 20), Qt::NoButton, Qt::RightButton);
        QCOMPARE(w->pos(), start);
        // Releasing the right button over the title opens the window menu.
        send(w->lblTitle, QEvent::MouseButtonRelease, grab + QPoint(30, 20), Qt::RightButton, Qt::NoButton);
        QTRY_VERIFY(w->mnuSystem->isVisible());
        w->mnuSystem->close();
        QCOMPARE(w->pos(), start);
    }

    void printAndSaveAsPdfFromTheWindowMenu()
    {
        FakeWebView *view = pageOf(w);
        view->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(view->hasFocus());
        view->calls.clear();
        // Ctrl+P on the page, as the menu shows it.
        QTest::keyClick(view, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(view->calls, QStringList{"Print"});
        QTest::keyClick(view, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        w->mnuPrint->trigger();
        QCOMPARE(view->calls, (QStringList{"Print", "Print"}));

        // Save as PDF: asked over this window, named after the page.
        view->calls.clear();
        view->title = "Report: 3/4 <final>";
        QString suggested;
        QWidget *askedOver = nullptr;
        QString answer;
        dialogs->chooseFile = [&](const FakeDialogs::FileQuestion &question) {
            askedOver = question.parent;
            suggested = question.suggested;
            return answer;
        };
        w->mnuSavePdf->trigger();
        QCOMPARE(frmBrowser::containing(askedOver), w);
        QCOMPARE(QFileInfo(suggested).fileName(), QString("Report_ 3_4 _final_.pdf"));
        QVERIFY(view->calls.isEmpty()); // cancelled: nothing written
        answer = "/tmp/chosen.pdf";
        view->title.clear();
        w->mnuSavePdf->trigger();
        QCOMPARE(QFileInfo(suggested).fileName(), QString("page.pdf"));
        QCOMPARE(view->calls, QStringList{"SaveAsPdf:/tmp/chosen.pdf"});
    }

    void windowMenu()
    {
        QStringList items;
        for (QAction *a : w->mnuSystem->actions())
            items << (a->isSeparator() ? "-" : a->text());
        QCOMPARE(items, (QStringList{"Minimize", "Maximize", "-", "Print...	Ctrl+P", "Save as PDF...", "-", "Close"}));
        QCOMPARE(w->mnuSystem->defaultAction(), w->mnuMaximize);
        // A left release over the title shows nothing.
        send(w->lblTitle, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
        send(w->lblTitle, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::LeftButton, Qt::NoButton);
        QVERIFY(!w->mnuSystem->isVisible());
        // Close acts as the close button.
        w->mnuClose->trigger();
        QCOMPARE(OpenWindows, 0);
        QCOMPARE(host->SB->Panels(3)->text(), QString("Open Windows: 0"));
    }

    void doubleClickMaximizesToTheWorkspace()
    {
        w->move(50, 40);
        send(w->lblTitle, QEvent::MouseButtonDblClick, QPoint(10, 10), Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(w->geometry(), QRect(QPoint(0, 0), area()->size()));
        // Above the status bar, which stays in view.
        QVERIFY(w->mapTo(host.get(), QPoint(0, w->height())).y() <= host->SB->y());
        // Again: nothing changes. After the host grows, it fits the new size.
        w->mnuMaximize->trigger();
        QCOMPARE(w->geometry(), QRect(QPoint(0, 0), area()->size()));
        host->resize(host->width() + 90, host->height() + 45);
        QTRY_COMPARE(area()->width(), w->width() + 90);
        w->mnuMaximize->trigger();
        QCOMPARE(w->geometry(), QRect(QPoint(0, 0), area()->size()));
        // It can be dragged away at that size.
        const QSize size = w->size();
        const QPoint grab = w->lblTitle->mapToGlobal(QPoint(100, 10));
        sendAt(w->lblTitle, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
        sendAt(w->lblTitle, QEvent::MouseMove, grab + QPoint(30, 20), Qt::NoButton, Qt::LeftButton);
        sendAt(w->lblTitle, QEvent::MouseButtonRelease, grab + QPoint(30, 20), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(w->pos(), QPoint(30, 20));
        QCOMPARE(w->size(), size);
    }

    void maximizingInATooSmallWorkspaceGivesTheMinimumAtHome()
    {
        // The menu and status bars keep the host wide; make it low instead.
        host->resize(host->width(), 120);
        QTRY_VERIFY(area()->height() < 80);
        w->move(30, 30);
        w->mnuMaximize->trigger();
        QCOMPARE(w->Height(), 1200);
        QCOMPARE(w->Width(), Layout::toTwips(area()->width()));
        QCOMPARE(w->Left(), 60);
        QCOMPARE(w->Top(), 60);
    }

    void urlLabelOpensTheFavoritesUnderItsLeftEdge()
    {
        QCOMPARE(w->lblCaption->toolTip(), QString("Click here to access the menu"));
        QTest::mouseClick(w->lblCaption, Qt::LeftButton, {}, QPoint(10, 5));
        QTRY_VERIFY(w->mnuPopUp->isVisible());
        QCOMPARE(w->mnuPopUp->pos().x(), w->lblCaption->mapToGlobal(QPoint(0, 0)).x());
        w->mnuPopUp->close();
    }

    void rightClickOnTheStripsFreeAreaOpensTheFavoritesAtTheMouse()
    {
        const QPoint free(w->lblCaption->x() - 7, 30); // between Refresh and "URL:"
        QVERIFY(!w->picStatus->childAt(free));
        send(w->picStatus, QEvent::MouseButtonPress, free, Qt::RightButton, Qt::RightButton);
        send(w->picStatus, QEvent::MouseButtonRelease, free, Qt::RightButton, Qt::NoButton);
        QTRY_VERIFY(w->mnuPopUp->isVisible());
        QCOMPARE(w->mnuPopUp->pos(), w->picStatus->mapToGlobal(free));
        w->mnuPopUp->close();
        // A left click there, or a right click on a button, opens nothing.
        send(w->picStatus, QEvent::MouseButtonPress, free, Qt::LeftButton, Qt::LeftButton);
        send(w->picStatus, QEvent::MouseButtonRelease, free, Qt::LeftButton, Qt::NoButton);
        QTest::mouseClick(w->cmdBack, Qt::RightButton);
        QTest::qWait(50);
        QVERIFY(!w->mnuPopUp->isVisible());
    }

    void f1InAWindowOpensTheReadMe()
    {
        QTemporaryDir dir;
        host->setProgramDirectory(dir.path()); // no read-me there
        w->wb->setFocus();
        QTest::keyClick(w->wb, Qt::Key_F1);
        QTest::keyClick(w->wb, Qt::Key_F1, Qt::ShiftModifier);
        QTest::keyClick(w->wb, Qt::Key_F1, Qt::ControlModifier);
        QStringList titles;
        for (const FakeDialogs::Message &m : dialogs->messages)
            titles << m.title;
        QCOMPARE(titles, (QStringList{"Error loading readme", "Error loading readme", "Error loading readme"}));
    }
};

QTEST_MAIN(tst_TitleBar)
#include "tst_titlebar.moc"
