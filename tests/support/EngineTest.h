#pragma once
// The environment of a test that runs the real engine: headless, without
// Chromium's sandbox when run as root, and set up as the program sets it up;
// and what such tests do again and again: wait with the engine running, ask
// a page, load an address, make a page view, start a host.
#include "browser/engine/QtWebView.h"
#include "browser/engine/QtWebViewFactory.h"
#include "browser/ui/frmBrowser.h"
#include "shell/ui/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <unistd.h>

inline void prepareEngineTest()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QtWebView::prepareEnvironment();
}

// Waits with an event loop running, as the engine needs: QTest::qWaitFor
// sleeps between its rounds, which slows every page load to seconds.
inline bool waitUntil(const std::function<bool()> &done, int timeoutMs = 20000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

// The engine's view and page behind a browser window.
inline QWebEngineView *engineViewOf(frmBrowser *w)
{
    return static_cast<QtWebView *>(w->wb)->engineView();
}
inline QWebEnginePage *pageOf(frmBrowser *w)
{
    return engineViewOf(w)->page();
}

// Runs a script in the page (in its own world unless another is named) and
// waits for its value; an invalid value when the page does not answer. The
// answer comes after everything the page's main frame sent before it.
inline QVariant evaluate(QWebEnginePage *page, const QString &script,
                         quint32 world = QWebEngineScript::MainWorld, int timeoutMs = 10000)
{
    QVariant result;
    bool done = false;
    page->runJavaScript(script, world, [&](const QVariant &v) {
        result = v;
        done = true;
    });
    if (!waitUntil([&] { return done; }, timeoutMs))
        qWarning("no answer from the page to: %s", qPrintable(script));
    return result;
}

// Opens the address in the view and waits until its document is complete.
// The document before may still report itself complete after the new one
// was asked for: only a report that comes with the new address counts.
inline bool load(WebView &view, const QString &address, int timeoutMs = 20000)
{
    bool arrived = false;
    const QUrl wanted = QUrl::fromUserInput(address, QString(), QUrl::AssumeLocalFile);
    const QMetaObject::Connection c = QObject::connect(&view, &WebView::DocumentComplete, &view, [&] {
        if (QUrl(view.LocationURL()).matches(wanted, QUrl::StripTrailingSlash))
            arrived = true;
    });
    view.Navigate2(address);
    const bool done = waitUntil([&] { return arrived; }, timeoutMs);
    QObject::disconnect(c);
    return done;
}

// A page view of the factory's, shown, as a window of its own or in parent.
inline std::unique_ptr<QtWebView> newView(WebViewFactory &views, QWidget *parent = nullptr,
                                          QSize size = QSize(500, 400))
{
    auto view = std::unique_ptr<QtWebView>(static_cast<QtWebView *>(views.create(parent)));
    view->resize(size);
    view->show();
    return view;
}

// A host on these views, loaded and shown as the program starts it; its first
// window opens the home page the store names. With a history, the windows
// record in it.
inline std::unique_ptr<frmMain> startHost(SettingsStore &store, WebViewFactory &views, Dialogs &dialogs,
                                          HistoryStore *history = nullptr)
{
    auto host = std::make_unique<frmMain>(store, views, dialogs);
    host->setMarkvaultPath(QString());
    host->setHistory(history);
    host->Form_Load();
    host->show();
    return host;
}

// Types into the page's focused field (the element with id `field`), as the
// person would; a page just drawn may miss the first keys, so it is typed
// again until the field holds something. Whether it holds `text`.
inline bool typeInto(QWebEngineView *view, const QString &text, const QString &field = QStringLiteral("t"))
{
    const QString value = field + QStringLiteral(".value");
    for (int tries = 0; tries < 20; ++tries) {
        view->setFocus();
        QTest::keyClicks(view->focusProxy(), text);
        if (waitUntil([&] { return !evaluate(view->page(), value).toString().isEmpty(); }, 500))
            return evaluate(view->page(), value).toString() == text;
    }
    return false;
}

// A page just loaded takes no input until the engine has drawn it: the mouse
// moves over the view until the page has seen a move, so that a click after
// it is taken, and taken once.
inline bool waitUntilPageTakesInput(QWebEngineView *view, QPoint at, int timeoutMs = 20000)
{
    QWidget *target = view->focusProxy();
    if (!target || !evaluate(view->page(), QStringLiteral(
                                 "window.__testSawMove = false;"
                                 "addEventListener('mousemove', function () { window.__testSawMove = true; }, true);"
                                 "true")).toBool())
        return false;
    QElapsedTimer t;
    t.start();
    for (int step = 0; t.elapsed() < timeoutMs; ++step) {
        const QPoint pos = at + QPoint(step % 2, 0);
        QMouseEvent move(QEvent::MouseMove, pos, target->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(target, &move);
        if (evaluate(view->page(), QStringLiteral("window.__testSawMove")).toBool())
            return true;
        QTest::qWait(20);
    }
    return false;
}

// The page's own menu, opened by a right click at `at`; a page just loaded may
// not take input yet, so it is clicked until the menu comes. Null if it never
// does.
inline QMenu *openPagesMenu(QWebEngineView *view, QPoint at)
{
    QWidget *target = view->focusProxy();
    if (!target)
        return nullptr;
    QMenu *menu = nullptr;
    const auto shown = [&] {
        menu = view->findChild<QMenu *>();
        return menu && menu->isVisible();
    };
    for (int tries = 0; tries < 20 && !shown(); ++tries) {
        QTest::mouseClick(target, Qt::RightButton, {}, at);
        (void)QTest::qWaitFor(shown, 1000);
    }
    return shown() ? menu : nullptr;
}
