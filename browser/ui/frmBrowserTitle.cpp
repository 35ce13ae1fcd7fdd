// The drawn title bar, the window menu, and the other ways to the favorites.
#include "browser/ui/frmBrowser.h"

#include "browser/ui/BrowserHost.h"

#include <QCursor>
#include <QLabel>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>

void frmBrowser::lblTitle_MouseMove(Qt::MouseButtons Button, const QPoint &globalPos)
{
    QWidget *area = parentWidget();
    if (Button != Qt::LeftButton || !area) {
        // Both buttons, or another one: no move.
        m_titleDrag = false;
        return;
    }
    m_titleDrag = true;
    // The window follows the mouse while the mouse stays inside the workspace.
    const QPoint at = area->mapFromGlobal(globalPos);
    const QPoint held(qBound(0, at.x(), area->width() - 1), qBound(0, at.y(), area->height() - 1));
    move(held - m_grabOffset);
}

void frmBrowser::lblTitle_DblClick()
{
    // Exactly the host's workspace, which lies above the status bar.
    const QWidget *area = m_host.workspace();
    setGeometry(0, 0, area->width(), area->height());
    // A workspace below the minimum size is corrected by the layout.
    if (!isVisible())
        Form_Resize();
}

void frmBrowser::lblTitle_MouseUp(Qt::MouseButton Button)
{
    if (Button != Qt::RightButton)
        return;
    mnuSystem->popup(QCursor::pos());
}

void frmBrowser::mnuMaximize_Click()
{
    lblTitle_DblClick();
}

void frmBrowser::mnuMinimize_Click()
{
    Minimize();
}

void frmBrowser::Minimize()
{
    if (m_minimized || m_unloaded)
        return;
    m_minimized = true;
    // The focus goes to the host first: left to itself it would move on to
    // whatever window comes next and bring that one forward.
    if (isAncestorOf(QApplication::focusWidget()))
        m_host.takeFocus();
    hide();
}

void frmBrowser::Restore()
{
    if (m_unloaded)
        return;
    m_minimized = false;
    show();
    raise();
    focusPage();
}

QString frmBrowser::menuCaption() const
{
    const QString title = lblTitle->text();
    return asMenuText(title.isEmpty() ? currentAddress() : title);
}

void frmBrowser::lblCaption_Click()
{
    const QPoint left = m_client->mapToGlobal(QPoint(lblCaption->x(), 0));
    mnuPopUp->popup(QPoint(left.x(), QCursor::pos().y()));
}

void frmBrowser::picStatus_MouseUp(Qt::MouseButton Button, const QPoint &pos)
{
    if (Button == Qt::RightButton)
        mnuPopUp->popup(pos);
}

// The mouse on the title band and the strip: the title moves the window,
// the pictures and the caption open their menus.
bool frmBrowser::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == cmdClose || watched == cmdGo) && event->type() == QEvent::MouseButtonRelease) {
        // The button finishes its click first: taking its focus away while it
        // is down would cancel the click.
        static_cast<QObject *>(watched)->event(event);
        if (!m_unloaded) {
            if (watched == cmdClose)
                cmdClose_MouseUp();
            else
                cmdGo_MouseUp();
        }
        return true;
    }
    if (watched == lblTitle) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            // The title takes the mouse, as a caption would, and brings its
            // window forward.
            if (!isAncestorOf(QApplication::focusWidget()))
                picStatus->setFocus(Qt::MouseFocusReason);
            raise();
            if (mouse->button() == Qt::LeftButton && parentWidget())
                m_grabOffset = parentWidget()->mapFromGlobal(mouse->globalPosition().toPoint()) - pos();
            return true;
        case QEvent::MouseMove:
            lblTitle_MouseMove(mouse->buttons(), mouse->globalPosition().toPoint());
            return true;
        case QEvent::MouseButtonRelease:
            if (mouse->button() == Qt::LeftButton)
                m_titleDrag = false;
            lblTitle_MouseUp(mouse->button());
            return true;
        case QEvent::MouseButtonDblClick:
            if (mouse->button() == Qt::LeftButton)
                lblTitle_DblClick();
            return true;
        default:
            break;
        }
    }
    if (watched == lblCaption && event->type() == QEvent::MouseButtonPress)
        return true;
    if (watched == lblCaption && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
        && lblCaption->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint())) {
        lblCaption_Click();
        return true;
    }
    if (watched == picStatus && (event->type() == QEvent::MouseButtonPress
                                 || event->type() == QEvent::MouseButtonRelease)) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint at = mouse->position().toPoint();
        // Only the strip's free area: not a control the event came up from.
        if (mouse->button() == Qt::RightButton && !picStatus->childAt(at)) {
            if (event->type() == QEvent::MouseButtonRelease)
                picStatus_MouseUp(mouse->button(), mouse->globalPosition().toPoint());
            return true;
        }
    }
    if (watched == imgFavs && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
        && imgFavs->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint())) {
        imgFavs_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
