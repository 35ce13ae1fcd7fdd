#pragma once
// The browser windows of the host: the list in the order they were opened,
// where a new one appears, which one is in front, switching from one to the
// next, and the items that list them in the host's Window menu.
#include <QList>
#include <QPoint>
#include <QPointer>
#include <functional>

class QAction;
class QMenu;
class QWidget;
class frmBrowser;

class HostWindows
{
public:
    explicit HostWindows(QWidget *workspace) : m_workspace(workspace) {}

    // Open windows, oldest first.
    QList<frmBrowser *> list() const;
    bool isEmpty() const { return list().isEmpty(); }
    qsizetype count() const { return list().size(); }

    // Where the next window appears: cascading down from the first position,
    // starting over at the workspace's edge.
    QPoint nextPosition();
    void add(frmBrowser *window);
    void remove(frmBrowser *window);

    // The window drawn above all others that can be seen, if any.
    frmBrowser *front() const;
    // Every window, from the top of the stack down; minimized ones last.
    QList<frmBrowser *> frontFirst() const;
    // Brings the next (step 1) or previous (-1) window forward, round at
    // the ends.
    void switchFrom(frmBrowser *from, int step) const;

    // Items for every window, numbered, "(minimized)" after those out of
    // sight; `picked` runs with the window of the item chosen.
    QList<QAction *> menuItems(QMenu *menu, std::function<void(frmBrowser *)> picked) const;

private:
    QWidget *m_workspace;
    QList<QPointer<frmBrowser>> m_windows;
    int m_cascade = 0;
};
