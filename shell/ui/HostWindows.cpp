#include "shell/ui/HostWindows.h"

#include "browser/ui/frmBrowser.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QMenu>

QList<frmBrowser *> HostWindows::list() const
{
    QList<frmBrowser *> windows;
    for (const QPointer<frmBrowser> &window : m_windows)
        if (window)
            windows << window;
    return windows;
}

void HostWindows::add(frmBrowser *window)
{
    m_windows << window;
}

void HostWindows::remove(frmBrowser *window)
{
    m_windows.removeAll(window);
    m_windows.removeAll(nullptr);
    // The focus was in the window that goes (or in a bar of it): the keys
    // go on to the window in front, as they do when a window is closed on
    // the desktop, not to the host, where a window's keys do nothing.
    QTimer::singleShot(0, m_workspace, [this, workspace = QPointer<QWidget>(m_workspace)] {
        if (!workspace)
            return;
        QWidget *focus = QApplication::focusWidget();
        frmBrowser *next = front();
        if (next && (!focus || focus == workspace->window()))
            next->focusPage();
    });
}

QPoint HostWindows::nextPosition()
{
    // Its own load may still move the window home when its stored size is
    // too small.
    const int step = 24;
    m_cascade = isEmpty() ? 0 : m_cascade + 1;
    QPoint at(4 + step * m_cascade, 4 + step * m_cascade);
    if (at.x() + 135 > m_workspace->width() || at.y() + 80 > m_workspace->height()) {
        m_cascade = 1;
        at = QPoint(4 + step, 4 + step);
    }
    return at;
}

frmBrowser *HostWindows::front() const
{
    const QObjectList &stack = m_workspace->children();
    for (auto it = stack.crbegin(); it != stack.crend(); ++it) {
        auto *window = qobject_cast<frmBrowser *>(*it);
        if (window && window->isVisible())
            return window;
    }
    return nullptr;
}

QList<frmBrowser *> HostWindows::frontFirst() const
{
    QList<frmBrowser *> seen, minimized;
    const QObjectList &stack = m_workspace->children();
    for (auto it = stack.crbegin(); it != stack.crend(); ++it) {
        auto *window = qobject_cast<frmBrowser *>(*it);
        if (window && list().contains(window))
            (window->isMinimizedInHost() ? minimized : seen) << window;
    }
    return seen + minimized;
}

void HostWindows::switchFrom(frmBrowser *from, int step) const
{
    const QList<frmBrowser *> windows = list();
    const qsizetype at = windows.indexOf(from);
    if (at < 0 || windows.size() < 2)
        return;
    const qsizetype n = windows.size();
    frmBrowser *next = windows[((at + step) % n + n) % n];
    next->raise();
    next->focusPage();
}

QList<QAction *> HostWindows::menuItems(QMenu *menu, std::function<void(frmBrowser *)> picked) const
{
    QList<QAction *> items;
    const QList<frmBrowser *> windows = list();
    for (qsizetype i = 0; i < windows.size(); ++i) {
        frmBrowser *window = windows[i];
        // The first nine can be picked by their number.
        QString text = (i < 9 ? QStringLiteral("&%1 ") : QStringLiteral("%1 ")).arg(i + 1) + window->menuCaption();
        if (window->isMinimizedInHost())
            text += QStringLiteral(" (minimized)");
        auto *item = new QAction(text, menu);
        QObject::connect(item, &QAction::triggered, menu, [picked, window = QPointer<frmBrowser>(window)] {
            if (window)
                picked(window);
        });
        items << item;
    }
    return items;
}
