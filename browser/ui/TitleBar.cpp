#include "browser/ui/TitleBar.h"

#include "browser/ui/frmBrowser.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>

namespace {
constexpr int BorderPx = Layout::BorderTwips / Layout::TwipsPerPixel;
} // namespace

TitleBar::TitleBar(frmBrowser *window, QLabel *title) : QObject(window), m_window(window), m_title(title)
{
    window->setMouseTracking(true);
    window->installEventFilter(this);
    title->installEventFilter(this);
}

void TitleBar::follow(Qt::MouseButtons buttons, const QPoint &globalPos)
{
    QWidget *area = m_window->parentWidget();
    if (buttons != Qt::LeftButton || !area) {
        // Both buttons, or another one: no move.
        m_following = false;
        return;
    }
    m_following = true;
    const QPoint at = area->mapFromGlobal(globalPos);
    const QPoint held(qBound(0, at.x(), area->width() - 1), qBound(0, at.y(), area->height() - 1));
    m_window->move(held - m_grabOffset);
}

bool TitleBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_title)
        return onTitle(event);
    if (watched == m_window)
        return onBorder(event);
    return false;
}

bool TitleBar::onTitle(QEvent *event)
{
    auto *mouse = static_cast<QMouseEvent *>(event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        // The title takes the mouse, as a caption would, and brings its
        // window forward.
        if (!m_window->isAncestorOf(QApplication::focusWidget()))
            m_window->picStatus->setFocus(Qt::MouseFocusReason);
        m_window->raise();
        if (mouse->button() == Qt::LeftButton && m_window->parentWidget())
            m_grabOffset = m_window->parentWidget()->mapFromGlobal(mouse->globalPosition().toPoint())
                           - m_window->pos();
        return true;
    case QEvent::MouseMove:
        m_window->lblTitle_MouseMove(mouse->buttons(), mouse->globalPosition().toPoint());
        return true;
    case QEvent::MouseButtonRelease:
        if (mouse->button() == Qt::LeftButton)
            m_following = false;
        m_window->lblTitle_MouseUp(mouse->button());
        return true;
    case QEvent::MouseButtonDblClick:
        if (mouse->button() == Qt::LeftButton)
            m_window->lblTitle_DblClick();
        return true;
    default:
        return false;
    }
}

Qt::Edges TitleBar::edgesAt(const QPoint &pos) const
{
    // Corners are a little larger than the border, as on a desktop window.
    const int corner = 12;
    const int w = m_window->width(), h = m_window->height();
    Qt::Edges e;
    if (pos.x() < BorderPx || (pos.x() < corner && (pos.y() < BorderPx || pos.y() >= h - BorderPx)))
        e |= Qt::LeftEdge;
    if (pos.x() >= w - BorderPx || (pos.x() >= w - corner && (pos.y() < BorderPx || pos.y() >= h - BorderPx)))
        e |= Qt::RightEdge;
    if (pos.y() < BorderPx || (pos.y() < corner && (pos.x() < BorderPx || pos.x() >= w - BorderPx)))
        e |= Qt::TopEdge;
    if (pos.y() >= h - BorderPx || (pos.y() >= h - corner && (pos.x() < BorderPx || pos.x() >= w - BorderPx)))
        e |= Qt::BottomEdge;
    return e;
}

bool TitleBar::onBorder(QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    auto *mouse = static_cast<QMouseEvent *>(event);
    if (type == QEvent::MouseButtonPress) {
        m_window->raise();
        if (mouse->button() == Qt::LeftButton) {
            m_dragEdges = edgesAt(mouse->position().toPoint());
            m_dragStart = mouse->globalPosition().toPoint();
            m_dragGeometry = m_window->geometry();
        }
        return false;
    }
    if (type == QEvent::MouseButtonRelease) {
        if (mouse->button() == Qt::LeftButton)
            m_dragEdges = {};
        return false;
    }
    if (!(mouse->buttons() & Qt::LeftButton) || !m_dragEdges) {
        const Qt::Edges e = edgesAt(mouse->position().toPoint());
        Qt::CursorShape shape = Qt::ArrowCursor;
        if (e == (Qt::LeftEdge | Qt::TopEdge) || e == (Qt::RightEdge | Qt::BottomEdge))
            shape = Qt::SizeFDiagCursor;
        else if (e == (Qt::RightEdge | Qt::TopEdge) || e == (Qt::LeftEdge | Qt::BottomEdge))
            shape = Qt::SizeBDiagCursor;
        else if (e & (Qt::LeftEdge | Qt::RightEdge))
            shape = Qt::SizeHorCursor;
        else if (e & (Qt::TopEdge | Qt::BottomEdge))
            shape = Qt::SizeVerCursor;
        m_window->setCursor(shape);
        return true;
    }
    const QPoint d = mouse->globalPosition().toPoint() - m_dragStart;
    QRect g = m_dragGeometry;
    const int minW = qMax(1, m_minDrag.width());
    const int minH = qMax(1, m_minDrag.height());
    if (m_dragEdges & Qt::LeftEdge)
        g.setLeft(qMin(g.left() + d.x(), g.right() - minW + 1));
    if (m_dragEdges & Qt::RightEdge)
        g.setRight(qMax(g.right() + d.x(), g.left() + minW - 1));
    if (m_dragEdges & Qt::TopEdge)
        g.setTop(qMin(g.top() + d.y(), g.bottom() - minH + 1));
    if (m_dragEdges & Qt::BottomEdge)
        g.setBottom(qMax(g.bottom() + d.y(), g.top() + minH - 1));
    m_window->setGeometry(g);
    return true;
}
