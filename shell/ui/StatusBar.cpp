#include "shell/ui/StatusBar.h"

#include "common/core/Units.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int Margin = 4;
constexpr int Gap = 3;
} // namespace

StatusBarPanel::StatusBarPanel(int index, QWidget *parent) : QFrame(parent), m_index(index)
{
    setLineWidth(1);
    setBevel(NoBevel);
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
}

int StatusBarPanel::textWidth() const
{
    return fontMetrics().horizontalAdvance(m_text);
}

void StatusBarPanel::setText(const QString &text)
{
    if (text == m_text)
        return;
    const int before = textWidth();
    m_text = text;
    if (textWidth() != before && minimumWidth() != maximumWidth())
        updateGeometry();
    update();
}

QSize StatusBarPanel::sizeHint() const
{
    const int picture = m_picture.isNull() ? 0 : m_picture.width() + Gap;
    const int height = qMax(fontMetrics().height(), m_picture.height()) + 2 * frameWidth() + 4;
    return {2 * Margin + picture + textWidth() + 2 * frameWidth(), height};
}

QSize StatusBarPanel::minimumSizeHint() const
{
    return sizeHint();
}

void StatusBarPanel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    QRect r = contentsRect().adjusted(Margin, 0, -Margin, 0);
    if (!m_picture.isNull()) {
        p.drawPixmap(r.left(), r.top() + (r.height() - m_picture.height()) / 2, m_picture);
        r.setLeft(r.left() + m_picture.width() + Gap);
    }
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_text);
}

void StatusBarPanel::setBevel(Bevel bevel)
{
    m_bevel = bevel;
    switch (bevel) {
    case NoBevel: setFrameStyle(QFrame::NoFrame); break;
    case Inset: setFrameStyle(QFrame::Panel | QFrame::Sunken); break;
    case Raised: setFrameStyle(QFrame::Panel | QFrame::Raised); break;
    }
}

void StatusBarPanel::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    updateGeometry();
    update();
}

namespace {
struct PanelDesign
{
    const char *text;
    const char *toolTip;
    StatusBarPanel::Bevel bevel;
    int minTwips;
    bool spring;
    bool fixed;
};

// Panel 1 is a button, 2 a spring, 3 and 4 the counters, 5 the clock.
const PanelDesign designs[5] = {
    {"New Window ", nullptr, StatusBarPanel::Raised, 750, false, false},
    {"", nullptr, StatusBarPanel::NoBevel, 1440, true, false},
    {"Open Windows: 0", "Current number of windows open", StatusBarPanel::Inset, 1440, false, false},
    {"Killed Popups: 0", "The amount of popups killed in this session", StatusBarPanel::Inset, 1440,
     false, false},
    {"Time:", nullptr, StatusBarPanel::Inset, 1440, false, true},
};
} // namespace

StatusBar::StatusBar(QWidget *parent) : QStatusBar(parent)
{
    for (int i = 0; i < 5; ++i) {
        const PanelDesign &d = designs[i];
        auto *panel = new StatusBarPanel(i + 1, this);
        panel->setText(QString::fromLatin1(d.text));
        if (d.toolTip)
            panel->setToolTip(QString::fromLatin1(d.toolTip));
        panel->setBevel(d.bevel);
        const int minPx = Units::toPixels(d.minTwips);
        if (d.fixed) {
            // The clock's panel does not follow its text, but it must hold the
            // widest time the clock can show in this font.
            const QString widest = QStringLiteral("Time: 12:00:00 PM");
            const int needed = panel->fontMetrics().horizontalAdvance(widest) + 12;
            panel->setFixedWidth(qMax(minPx, needed));
        }
        else
            panel->setMinimumWidth(minPx);
        panel->installEventFilter(this);
        m_panels[i] = panel;
        // Permanent widgets are never hidden by temporary messages.
        addPermanentWidget(panel, d.spring ? 1 : 0);
    }
    m_panels[0]->setPicture(QPixmap(QStringLiteral(":/newwindow.xpm")));
}

bool StatusBar::eventFilter(QObject *watched, QEvent *event)
{
    auto *panel = qobject_cast<StatusBarPanel *>(watched);
    if (panel && event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        emit PanelClick(panel);
        return true;
    }
    if (panel && event->type() == QEvent::MouseButtonRelease) {
        emit MouseUp();
        return true;
    }
    return QStatusBar::eventFilter(watched, event);
}

void StatusBar::mouseReleaseEvent(QMouseEvent *event)
{
    emit MouseUp();
    QStatusBar::mouseReleaseEvent(event);
}
