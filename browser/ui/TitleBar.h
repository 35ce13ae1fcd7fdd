#pragma once
// How a browser window is moved and sized with the mouse, as a desktop
// window is by its caption and border: dragging the drawn title moves it
// inside the workspace, dragging its border or a corner sizes it, never
// below the size-limit armed at load. The title's other clicks go to the
// window's handlers.
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>

class QLabel;
class QMouseEvent;
class frmBrowser;

class TitleBar : public QObject
{
    Q_OBJECT
public:
    TitleBar(frmBrowser *window, QLabel *title);

    // After a left-button move on the title the window follows the mouse,
    // held inside the workspace, until the button is released.
    void follow(Qt::MouseButtons buttons, const QPoint &globalPos);
    bool isDragging() const { return m_following; }
    // The smallest size the border drags leave, in pixels; zero imposes nothing.
    void setMinimumDragSize(const QSize &size) { m_minDrag = size; }
    QSize minimumDragSize() const { return m_minDrag; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool onTitle(QEvent *event);
    bool onBorder(QEvent *event);
    Qt::Edges edgesAt(const QPoint &pos) const;

    frmBrowser *m_window;
    QLabel *m_title;
    QSize m_minDrag;
    bool m_following = false;
    // Where the mouse holds the window while it follows.
    QPoint m_grabOffset;
    Qt::Edges m_dragEdges;
    QPoint m_dragStart;
    QRect m_dragGeometry;
};
