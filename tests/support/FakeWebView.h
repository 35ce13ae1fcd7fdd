#pragma once
// A page view that records the calls it gets and raises its events when the
// test says so.
#include "browser/ui/WebView.h"
#include "support/FakeDownloads.h"

#include <QKeyEvent>
#include <QList>
#include <QStringList>

class FakeWebView : public WebView
{
public:
    explicit FakeWebView(QWidget *parent) : WebView(parent), m_resting(*this), m_busy(*this)
    {
        setFocusPolicy(Qt::StrongFocus);
    }

    void GoHome() override { calls << "GoHome"; }
    void GoBack() override { calls << "GoBack"; }
    void GoForward() override { calls << "GoForward"; }
    void Stop() override { calls << "Stop"; }
    void Refresh() override { calls << "Refresh"; }
    void Navigate2(const QString &URL) override { calls << "Navigate2:" + URL; }

    void setNewWindowsRefused(bool refused) override
    {
        calls << QStringLiteral("refuse:") + (refused ? "true" : "false");
    }

    void find(const QString &text, bool backward, FindResult done) override
    {
        calls << QStringLiteral("find:") + (backward ? "<" : ">") + text;
        finds << done;
    }
    void setZoomFactor(qreal factor) override
    {
        calls << QStringLiteral("zoom:%1").arg(factor);
        zoom = factor;
    }
    qreal zoomFactor() const override { return zoom; }
    void Print() override { calls << "Print"; }
    void SaveAsPdf(const QString &path) override { calls << "SaveAsPdf:" + path; }

    // A page without beforeunload: it lets its window go at once.
    void askToClose(CloseQuestion, CloseAnswer answered) override
    {
        calls << "askToClose";
        answered(true);
    }
    QByteArray sessionHistory() const override { return history; }
    void restoreAtRest(const QByteArray &bytes, const QString &address, const QString &name, qreal factor) override
    {
        calls << "restoreAtRest:" + address;
        history = bytes;
        url = address;
        title = name;
        zoom = factor;
        emit BeforeNavigate2(address);
        emit NavigateComplete2();
    }

    QString LocationURL() const override { return url; }
    QString LocationName() const override { return title; }
    QString DocumentTitle() const override { return title; }

    // Rests as the engine does: a page that is shown is never frozen or
    // discarded, and showing a resting one makes it active. Shown means shown
    // and not hidden since, also by a minimized host (which hides its
    // children without changing isVisible()).
    PageResting &resting() override { return m_resting; }
    PageBusy &busy() override { return m_busy; }
    void setLifecycle(PageLifecycle::State wanted)
    {
        if (wanted != PageLifecycle::State::Active && shown)
            return;
        changeState(wanted);
    }
    void setBusy(bool on)
    {
        isBusy = on;
        emit m_busy.busyChanged();
    }

    // The page has the focus when the view has it.
    bool hasPageFocus() const override { return hasFocus(); }

    // Raises the new-window event as a page would; returns whether it was refused.
    bool requestNewWindow()
    {
        bool cancel = false;
        emit NewWindow2(cancel);
        return cancel;
    }

    QStringList calls;
    // What the engine would write of the page's history.
    QByteArray history;
    // The keys the page takes for itself (calls preventDefault() on); every
    // other key that reaches it is handed back, as the engine does.
    QList<QKeyCombination> pageTakes;
    // Every key that reached the page, in order, but modifier keys alone.
    QList<QKeyCombination> keysSeen;
    // The answers find() is waiting for, oldest first.
    QList<FindResult> finds;
    qreal zoom = 1.0;
    QString url;
    QString title;
    PageLifecycle::State state = PageLifecycle::State::Active;
    bool isBusy = false;
    bool shown = false;
    // Every state the page went through, in order.
    QList<PageLifecycle::State> states;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const QKeyCombination key(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key()));
        if (!QList<int>{Qt::Key_Control, Qt::Key_Shift, Qt::Key_Alt, Qt::Key_Meta}.contains(event->key()))
            keysSeen << key;
        if (pageTakes.contains(key))
            event->accept();
        else
            WebView::keyPressEvent(event);
    }
    void showEvent(QShowEvent *event) override
    {
        WebView::showEvent(event);
        shown = true;
        changeState(PageLifecycle::State::Active);
    }
    void hideEvent(QHideEvent *event) override
    {
        WebView::hideEvent(event);
        shown = false;
    }

private:
    void changeState(PageLifecycle::State next)
    {
        if (next == state)
            return;
        state = next;
        states << next;
        emit m_resting.stateChanged();
    }

    // The page keeper's view of the fields above.
    struct Resting : PageResting
    {
        explicit Resting(FakeWebView &view) : view(view) {}
        PageLifecycle::State state() const override { return view.state; }
        void setState(PageLifecycle::State wanted) override { view.setLifecycle(wanted); }
        FakeWebView &view;
    };
    struct Busy : PageBusy
    {
        explicit Busy(FakeWebView &view) : view(view) {}
        bool isBusy() const override { return view.isBusy; }
        FakeWebView &view;
    };
    Resting m_resting;
    Busy m_busy;
};

class FakeWebViewFactory : public WebViewFactory
{
public:
    WebView *create(QWidget *parent) override
    {
        auto *view = new FakeWebView(parent);
        views << view;
        return view;
    }
    QStringList clearBrowsingData(bool history, bool cookies, bool cache, bool siteStorage) override
    {
        cleared << QStringLiteral("%1%2%3%4").arg(history).arg(cookies).arg(cache).arg(siteStorage);
        return history ? QStringList{"History cleared."} : QStringList{};
    }
    DownloadList *downloads() override { return &downloadList; }
    QList<FakeWebView *> views; // every view made, oldest first
    FakeDownloadList downloadList;
    QStringList cleared;        // "1010": history, cookies, cache, storage
};
