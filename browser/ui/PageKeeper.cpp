#include "browser/ui/PageKeeper.h"

#include "browser/ui/WebView.h"

#include <algorithm>

using PageLifecycle::State;

PageKeeper::PageKeeper(WebView *view) : QObject(view), m_view(view)
{
    m_due.setSingleShot(true);
    connect(&m_due, &QTimer::timeout, this, &PageKeeper::evaluate);
    // Both arrive while a state is being set; look again once that is done.
    connect(view, &WebView::LifecycleChanged, this, &PageKeeper::onLifecycleChanged, Qt::QueuedConnection);
    connect(view, &WebView::BusyChanged, this, [this] {
        m_refused = false;
        evaluate();
    }, Qt::QueuedConnection);
    m_last = view->lifecycle();
}

void PageKeeper::setTimes(const PageLifecycle::Times &times)
{
    m_times = times;
    evaluate();
}

void PageKeeper::setMemoryShort(bool shortOfMemory)
{
    if (shortOfMemory == m_memoryShort)
        return;
    m_memoryShort = shortOfMemory;
    evaluate();
}

void PageKeeper::setSight(Sight sight)
{
    if (sight == m_sight)
        return;
    const bool wasSeen = m_sight == Sight::Seen;
    m_sight = sight;
    m_refused = false;
    // A covered page is hidden here; a hidden window hides its page itself.
    // Shown again before anything else, so the engine makes it active at once.
    if (sight == Sight::Seen)
        m_view->show();
    else if (sight == Sight::Covered)
        m_view->hide();
    if (wasSeen)
        m_outOfSight.start();
    evaluate();
}

void PageKeeper::onLifecycleChanged()
{
    const State now = m_view->lifecycle();
    if (now == State::Frozen && m_last != State::Frozen)
        m_frozen.start();
    m_last = now;
    evaluate();
}

void PageKeeper::evaluate()
{
    PageLifecycle::Window w;
    w.inSight = m_sight == Sight::Seen;
    w.busy = m_view->isBusy();
    w.state = m_view->lifecycle();
    w.outOfSightMs = w.inSight ? 0 : m_outOfSight.elapsed();
    w.frozenMs = w.state == State::Frozen && m_frozen.isValid() ? m_frozen.elapsed() : 0;
    const State wanted = PageLifecycle::target(w, m_times, m_memoryShort);
    if (wanted != w.state) {
        if (m_refused)
            return;
        m_view->setLifecycle(wanted);
        if (m_view->lifecycle() != wanted)
            m_refused = true;
        // The change is reported; the next step is planned from there.
        return;
    }
    const qint64 wait = PageLifecycle::nextChangeInMs(w, m_times, m_memoryShort);
    if (wait < 0)
        m_due.stop();
    else
        m_due.start(int(std::min<qint64>(wait, 24 * 3600 * 1000)));
}
