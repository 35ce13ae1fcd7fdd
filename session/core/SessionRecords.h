#pragma once
// What a session holds: where each browser window stood in the host and what
// its page showed, so that the windows come back after a crash or a restart,
// and the windows closed lately, so that they can be reopened. Plain values:
// the host fills them in, the store keeps them, nothing here knows a widget
// or the engine.
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

struct WindowRecord
{
    // Stable for the window's life, and kept when it is closed and reopened;
    // never 0.
    qint64 id = 0;
    // In pixels, from the top-left of the host's workspace.
    QRect geometry;
    bool minimized = false;
    // 0 is the bottom of the host's stack of windows.
    int stackPosition = 0;
    // The engine's own serialisation of the page's history with its current
    // entry (scroll position and form text where the page allows it). Opaque
    // here; empty when the window had none.
    QByteArray history;
    // As text for lists and menus, and to load when the history above
    // cannot be used.
    QString address;
    QString title;
    qreal zoom = 1.0;

    friend bool operator==(const WindowRecord &, const WindowRecord &) = default;
};

struct HostRecord
{
    QSize size;
    // The window in front; 0 when there is none.
    qint64 frontWindow = 0;

    friend bool operator==(const HostRecord &, const HostRecord &) = default;
};

struct ClosedWindow
{
    WindowRecord window;
    QDateTime closedAt;

    friend bool operator==(const ClosedWindow &, const ClosedWindow &) = default;
};

struct Session
{
    HostRecord host;
    // In stacking order, bottom first.
    QList<WindowRecord> windows;
    // Newest first; the store keeps the ten newest.
    QList<ClosedWindow> closed;

    friend bool operator==(const Session &, const Session &) = default;
};
