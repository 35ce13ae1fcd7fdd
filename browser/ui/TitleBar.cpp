// The window's own sizable border: drawn, and dragged to resize.
#include "browser/ui/frmBrowser.h"

#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

namespace {
constexpr int BorderPx = Layout::BorderTwips / Layout::TwipsPerPixel;
} // namespace

void frmBrowser::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QBrush face = palette().brush(QPalette::Button);
    qDrawWinPanel(&p, rect(), palette(), false, &face);
}

Qt::Edges frmBrowser::edgesAt(const QPoint &pos) const
{
    // Corners are a little larger than the border, as on a desktop window.
    const int corner = 12;
    Qt::Edges e;
    if (pos.x() < BorderPx || (pos.x() < corner && (pos.y() < BorderPx || pos.y() >= height() - BorderPx)))
        e |= Qt::LeftEdge;
    if (pos.x() >= width() - BorderPx
        || (pos.x() >= width() - corner && (pos.y() < BorderPx || pos.y() >= height() - BorderPx)))
        e |= Qt::RightEdge;
    if (pos.y() < BorderPx || (pos.y() < corner && (pos.x() < BorderPx || pos.x() >= width() - BorderPx)))
        e |= Qt::TopEdge;
    if (pos.y() >= height() - BorderPx
        || (pos.y() >= height() - corner && (pos.x() < BorderPx || pos.x() >= width() - BorderPx)))
        e |= Qt::BottomEdge;
    return e;
}

void frmBrowser::mousePressEvent(QMouseEvent *event)
{
    raise();
    if (event->button() == Qt::LeftButton) {
        m_dragEdges = edgesAt(event->position().toPoint());
        m_dragStart = event->globalPosition().toPoint();
        m_dragGeometry = geometry();
    }
    QWidget::mousePressEvent(event);
}

void frmBrowser::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || !m_dragEdges) {
        const Qt::Edges e = edgesAt(event->position().toPoint());
        Qt::CursorShape shape = Qt::ArrowCursor;
        if (e == (Qt::LeftEdge | Qt::TopEdge) || e == (Qt::RightEdge | Qt::BottomEdge))
            shape = Qt::SizeFDiagCursor;
        else if (e == (Qt::RightEdge | Qt::TopEdge) || e == (Qt::LeftEdge | Qt::BottomEdge))
            shape = Qt::SizeBDiagCursor;
        else if (e & (Qt::LeftEdge | Qt::RightEdge))
            shape = Qt::SizeHorCursor;
        else if (e & (Qt::TopEdge | Qt::BottomEdge))
            shape = Qt::SizeVerCursor;
        setCursor(shape);
        return;
    }
    const QPoint d = event->globalPosition().toPoint() - m_dragStart;
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
    setGeometry(g);
}

void frmBrowser::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_dragEdges = {};
    QWidget::mouseReleaseEvent(event);
}

