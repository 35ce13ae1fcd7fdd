#pragma once
// Lets a browser window's page rest while the window cannot be seen, by the
// rules of PageLifecycle: drawn no more at once, frozen after the grace time,
// discarded after the longer one or when memory runs short, and running again
// the moment any part of the window is seen.
#include "browser/core/PageLifecycle.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>


class PageBusy;
class PageResting;
class QWidget;

class PageKeeper : public QObject
{
    Q_OBJECT
public:
    enum class Sight {
        Seen,    // some part of the window can be seen
        Covered, // under other windows: the page stops drawing here
        Hidden,  // the window or its host is hidden, which stops its drawing
    };

    // Lives as long as the page's widget, which it hides while the window
    // is covered.
    PageKeeper(QWidget *page, PageResting &resting, PageBusy &busy);

    void setTimes(const PageLifecycle::Times &times);
    void setSight(Sight sight);
    void setMemoryShort(bool shortOfMemory);
    Sight sight() const { return m_sight; }

signals:
    // A look at the window found its page where the rules want it: in
    // `state`, to be looked at again in `nextLookMs` (-1: not before
    // something changes).
    void settled(PageLifecycle::State state, qint64 nextLookMs);

private:
    void evaluate();
    void onLifecycleChanged();

    QWidget *m_page;
    PageResting &m_resting;
    PageBusy &m_busy;
    PageLifecycle::Times m_times;
    Sight m_sight = Sight::Seen;
    bool m_memoryShort = false;
    PageLifecycle::State m_last = PageLifecycle::State::Active;
    QElapsedTimer m_outOfSight;
    QElapsedTimer m_frozen;
    QTimer m_due;
    // The view did not take the last state asked for; asked again only after
    // something changes, never in a loop.
    bool m_refused = false;
    // Out of sight, a refusal is asked again once, after the events of the moment.
    bool m_askedAgain = false;
};
