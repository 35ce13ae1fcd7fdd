#pragma once
// What the session needs of the window that holds the browser windows: the
// windows as they stand, and a window brought back from a record. The host
// keeps the list; the session only reads it and asks for windows.
#include "session/core/SessionRecords.h"

#include <QList>

class Dialogs;
class QWidget;
class frmBrowser;

class SessionHost
{
public:
    // The host's own window, whose size is kept.
    virtual QWidget *hostWindow() = 0;
    virtual Dialogs &dialogs() = 0;
    // The open browser windows.
    virtual QList<frmBrowser *> sessionWindows() const = 0;
    // Opens a window where `record` says, its page at rest at the record's
    // history, on top of the others and hidden: it loads once it is shown
    // and seen.
    virtual frmBrowser *openAtRest(const WindowRecord &record) = 0;

protected:
    ~SessionHost() = default;
};
