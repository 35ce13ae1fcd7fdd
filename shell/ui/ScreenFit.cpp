#include "shell/ui/ScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace ScreenFit {

void fit(QWidget *window)
{
    const QScreen *on = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!on)
        return;
    // The window manager's frame is not known before the first show: room
    // is left for a usual one.
    const QSize frame(16, 48);
    const QRect area = on->availableGeometry();
    const QSize room = area.size() - frame;
    const QSize smallest = QSize(480, 360).expandedTo(window->minimumSizeHint()).boundedTo(room);
    window->resize(window->size().boundedTo(room).expandedTo(smallest));
    if (!area.contains(QRect(window->pos(), window->size() + frame)))
        window->move(area.topLeft() + QPoint((area.width() - window->width() - frame.width()) / 2,
                                             (area.height() - window->height() - frame.height()) / 2));
}

} // namespace ScreenFit
