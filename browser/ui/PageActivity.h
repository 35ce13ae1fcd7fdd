#pragma once
// What a browser window's page keeper asks of its page: how far the page
// rests while the window is out of sight, and whether something keeps it
// running. Each page view gives one of each.
#include "browser/core/PageLifecycle.h"

#include <QObject>

class PageResting : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual PageLifecycle::State state() const = 0;
    // A page that is shown is never frozen or discarded: the request is
    // ignored, and showing a resting page makes it active.
    virtual void setState(PageLifecycle::State state) = 0;

signals:
    // state() changed.
    void stateChanged();
};

class PageBusy : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether the page is to go on running out of sight: it plays sound, a
    // download it started is running, or it holds something the user typed.
    virtual bool isBusy() const = 0;

signals:
    // isBusy() may have changed.
    void busyChanged();
};
