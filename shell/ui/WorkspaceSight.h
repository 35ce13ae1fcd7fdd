#pragma once
// Works out which browser windows of the host's workspace can be seen, and
// tells each window's PageKeeper: a window is out of sight when it is
// minimized, when the host is minimized or hidden, or when the windows above
// it cover it entirely. Also watches the machine's free memory while any page
// is out of sight.
#include "browser/core/PageLifecycle.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <functional>

class PageKeeper;
class QWidget;
class WebView;

class WorkspaceSight : public QObject
{
    Q_OBJECT
public:
    // `host` is the top-level window, `workspace` the parent of the windows.
    WorkspaceSight(QWidget *host, QWidget *workspace, QObject *parent);
    ~WorkspaceSight() override;

    // Starts watching a browser window (a child of the workspace) and its page.
    void add(QWidget *window, WebView *view);

    void setTimes(const PageLifecycle::Times &times);
    // How free memory is read (default: /proc/meminfo), and how often while any
    // page is out of sight.
    void setMemoryProbe(std::function<bool()> probe, int intervalMs);
    // The page keeper of a window being watched, if any.
    PageKeeper *keeperOf(QWidget *window) const;

    // Looks at every window again.
    void update();

    // Whether no part of `window` can be seen: none of it lies inside `area`,
    // or every pixel of it that does lies under one of the rectangles `above`.
    static bool isCovered(const QRect &window, const QList<QRect> &above, const QRect &area);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Watched
    {
        QPointer<QWidget> window;
        QPointer<PageKeeper> keeper;
    };
    void checkMemory();

    QWidget *m_host;
    QWidget *m_workspace;
    QList<Watched> m_windows;
    PageLifecycle::Times m_times;
    std::function<bool()> m_memoryProbe;
    QTimer m_memoryTimer;
    bool m_memoryShort = false;
    bool m_updating = false;
    bool m_again = false;
};
