// The drawn title bar, the window menu, and the other ways to the favorites.
#include "browser/ui/frmBrowser.h"

#include "shell/ui/frmMain.h"

#include <QCursor>
#include <QLabel>
#include <QMenu>

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
