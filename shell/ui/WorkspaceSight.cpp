#include "shell/ui/WorkspaceSight.h"

#include "browser/ui/PageKeeper.h"
#include "browser/ui/WebView.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QRegion>
#include <QWidget>

namespace {
bool memoryShortNow()
{
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    // Unreadable: nothing is known, so nothing is discarded for it.
    if (!meminfo.open(QIODevice::ReadOnly))
        return false;
    return PageLifecycle::memoryIsShort(meminfo.read(4096));
}
} // namespace

WorkspaceSight::WorkspaceSight(QWidget *host, QWidget *workspace, QObject *parent)
    : QObject(parent), m_host(host), m_workspace(workspace), m_memoryProbe(memoryShortNow)
{
    m_memoryTimer.setInterval(30000);
    connect(&m_memoryTimer, &QTimer::timeout, this, &WorkspaceSight::checkMemory);
    host->installEventFilter(this);
    workspace->installEventFilter(this);
    // The window with the keyboard focus is never hidden under the user's hands.
    connect(qApp, &QApplication::focusChanged, this, &WorkspaceSight::update);
}

WorkspaceSight::~WorkspaceSight()
{
    if (m_host)
        m_host->removeEventFilter(this);
}

void WorkspaceSight::add(QWidget *window, WebView *view)
{
    auto *keeper = new PageKeeper(view, view->resting(), view->busy());
    keeper->setTimes(m_times);
    keeper->setMemoryShort(m_memoryShort);
    m_windows.append({window, keeper});
    window->installEventFilter(this);
    connect(window, &QObject::destroyed, this, &WorkspaceSight::update, Qt::QueuedConnection);
    update();
}

void WorkspaceSight::setTimes(const PageLifecycle::Times &times)
{
    m_times = times;
    for (const Watched &w : std::as_const(m_windows))
        if (w.keeper)
            w.keeper->setTimes(times);
}

void WorkspaceSight::setMemoryProbe(std::function<bool()> probe, int intervalMs)
{
    m_memoryProbe = std::move(probe);
    m_memoryTimer.setInterval(intervalMs);
    update();
}

PageKeeper *WorkspaceSight::keeperOf(QWidget *window) const
{
    for (const Watched &w : m_windows)
        if (w.window == window)
            return w.keeper;
    return nullptr;
}

bool WorkspaceSight::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::ZOrderChange:
    case QEvent::WindowStateChange:
        update();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void WorkspaceSight::update()
{
    // A change made while looking (a page shown, say) is looked at after.
    if (m_updating) {
        m_again = true;
        return;
    }
    m_updating = true;
    // Showing or hiding a page changes nothing above, so a second round
    // settles it; the bound only guards against a widget that disagrees.
    int rounds = 0;
    do {
        m_again = false;
        m_windows.removeIf([](const Watched &w) { return !w.window || !w.keeper; });
        const bool hostSeen = m_host->isVisible() && !m_host->isMinimized();
        QWidget *focus = QApplication::focusWidget();
        // The workspace's children are in stacking order, bottom first.
        QList<QWidget *> stack;
        for (QObject *child : m_workspace->children()) {
            auto *w = qobject_cast<QWidget *>(child);
            if (w && keeperOf(w) && w->isVisibleTo(m_workspace))
                stack << w;
        }
        bool anyOut = false;
        for (const Watched &w : std::as_const(m_windows)) {
            PageKeeper::Sight sight = PageKeeper::Sight::Seen;
            const int at = stack.indexOf(w.window.data());
            if (!hostSeen || at < 0) {
                sight = PageKeeper::Sight::Hidden;
            } else if (!(focus && w.window->isAncestorOf(focus))) {
                QList<QRect> above;
                for (int i = at + 1; i < stack.size(); ++i)
                    above << stack[i]->geometry();
                if (isCovered(w.window->geometry(), above, m_workspace->rect()))
                    sight = PageKeeper::Sight::Covered;
            }
            anyOut = anyOut || sight != PageKeeper::Sight::Seen;
            w.keeper->setSight(sight);
        }
        // Free memory matters only while some page can rest.
        if (anyOut && !m_memoryTimer.isActive()) {
            m_memoryTimer.start();
            checkMemory();
        } else if (!anyOut && m_memoryTimer.isActive()) {
            m_memoryTimer.stop();
        }
    } while (m_again && ++rounds < 3);
    m_updating = false;
}

bool WorkspaceSight::isCovered(const QRect &window, const QList<QRect> &above, const QRect &area)
{
    QRegion seen(window & area);
    for (const QRect &a : above)
        seen -= a;
    return seen.isEmpty();
}

void WorkspaceSight::checkMemory()
{
    const bool shortNow = m_memoryProbe && m_memoryProbe();
    if (shortNow == m_memoryShort)
        return;
    m_memoryShort = shortNow;
    for (const Watched &w : std::as_const(m_windows))
        if (w.keeper)
            w.keeper->setMemoryShort(shortNow);
}
