#include "browser/ui/PageKeeper.h"

#include "browser/ui/PageActivity.h"

#include <QWidget>

#include <algorithm>

using PageLifecycle::State;

PageKeeper::PageKeeper(QWidget *page, PageResting &resting, PageBusy &busy)
    : QObject(page), m_page(page), m_resting(resting), m_busy(busy)
{
    m_due.setSingleShot(true);
    connect(&m_due, &QTimer::timeout, this, &PageKeeper::evaluate);
    // Both arrive while a state is being set; look again once that is done.
    connect(&resting, &PageResting::stateChanged, this, &PageKeeper::onLifecycleChanged, Qt::QueuedConnection);
    connect(&busy, &PageBusy::busyChanged, this, [this] {
        m_refused = false;
        evaluate();
    }, Qt::QueuedConnection);
    m_last = resting.state();
    // A page that comes at rest (a window brought back) counts as out of
    // sight until its window is known to be seen: the windows a session
    // brings back beneath others never load.
    if (m_last == State::Discarded) {
        m_sight = Sight::Hidden;
        m_outOfSight.start();
    }
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
    m_askedAgain = false;
    // A covered page is hidden here; a hidden window hides its page itself.
    // Shown again before anything else, so the engine makes it active at once.
    if (sight == Sight::Seen)
        m_page->show();
    else if (sight == Sight::Covered)
        m_page->hide();
    if (wasSeen)
        m_outOfSight.start();
    evaluate();
}

void PageKeeper::onLifecycleChanged()
{
    const State now = m_resting.state();
    if (now == State::Frozen && m_last != State::Frozen)
        m_frozen.start();
    m_last = now;
    evaluate();
}

void PageKeeper::evaluate()
{
    PageLifecycle::Window w;
    w.inSight = m_sight == Sight::Seen;
    w.busy = m_busy.isBusy();
    w.state = m_resting.state();
    w.outOfSightMs = w.inSight ? 0 : m_outOfSight.elapsed();
    w.frozenMs = w.state == State::Frozen && m_frozen.isValid() ? m_frozen.elapsed() : 0;
    const State wanted = PageLifecycle::target(w, m_times, m_memoryShort);
    if (wanted != w.state) {
        if (m_refused)
            return;
        m_resting.setState(wanted);
        if (m_resting.state() != wanted) {
            m_refused = true;
            // A window being hidden hears of it before its page is hidden
            // with it, and a page still shown will not rest: asked once more
            // when the hiding is done.
            if (!w.inSight && !m_askedAgain) {
                m_askedAgain = true;
                QTimer::singleShot(0, this, [this] {
                    m_refused = false;
                    evaluate();
                });
            }
        }
        // The change is reported; the next step is planned from there.
        return;
    }
    const qint64 wait = PageLifecycle::nextChangeInMs(w, m_times, m_memoryShort);
    if (wait < 0)
        m_due.stop();
    else
        m_due.start(int(std::min<qint64>(wait, 24 * 3600 * 1000)));
    emit settled(wanted, wait);
}
