#include "browser/QtWebView.h"

#include "shell/Settings.h"

#include <QAction>
#include <QDir>
#include <QWebEngineCookieStore>
#include <QPointer>
#include <QRandomGenerator>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineHistory>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

namespace {
const QString RefusalScriptName = QStringLiteral("lumeno-new-windows");
const QString ReportPrefix = QStringLiteral("lumeno-refused:");
const QString FrameHello = QStringLiteral("lumeno-frame");

// Runs in the page's own world, in every frame, before any of its scripts.
// While refusing, window.open returns null at once and nothing reaches the
// engine, which would otherwise build a page for every request; the refusals
// are reported in one message per burst. Everything it calls later is
// captured before the page can replace it.
//
// The program can speak to the main frame only, so a change of the answer
// travels down the frames: each inner frame's copy hands its parent's copy
// one end of a channel of its own when its document is made, and takes
// changes from that channel alone. The handshake carries no secret and is
// stopped before the parent page's listeners; the channel's other end never
// reaches a page. A parent's copy sends its current answer on each handshake,
// so a frame made while the answer changed ends right.
QString refusalScript(const QString &token, bool refuse)
{
    return QStringLiteral(R"JS((function () {
'use strict';
var token = '%1';
var refuse = %2;
var hello = '%4';
var apply = Reflect.apply;
var getter = function (proto, name) { return Object.getOwnPropertyDescriptor(proto, name).get; };
var report = Function.prototype.bind.call(console.debug, console);
var later = Function.prototype.bind.call(queueMicrotask, window);
var realOpen = window.open;
var post = window.postMessage;
var stop = Event.prototype.stopImmediatePropagation;
var dataOf = getter(MessageEvent.prototype, 'data');
var portsOf = getter(MessageEvent.prototype, 'ports');
var portPost = MessagePort.prototype.postMessage;
var up = window.parent;
var inner = null;
var pending = 0;
function flush() { var n = pending; pending = 0; if (n > 0) report('%3' + token + ':' + n); }
function follow(on) {
  refuse = on;
  for (var p = inner; p !== null; p = p.next) apply(portPost, p.port, [on]);
}
window.open = { open: function (url, target, features) {
  if (refuse) { if (pending++ === 0) later(flush); return null; }
  return apply(realOpen, this == null ? window : this, arguments);
} }.open;
window.addEventListener('message', function (event) {
  if (apply(dataOf, event, []) !== hello) return;
  apply(stop, event, []);
  var ports = apply(portsOf, event, []);
  if (ports.length !== 1) return;
  inner = { port: ports[0], next: inner };
  apply(portPost, ports[0], [refuse]);
}, true);
if (up === window) {
  Object.defineProperty(window, '__lumenoRefuseNewWindows', {
    value: function (t, on) { if (t === token) follow(!!on); }
  });
} else {
  var channel = new MessageChannel();
  channel.port1.onmessage = function (event) { follow(apply(dataOf, event, []) === true); };
  try { apply(post, up, [hello, '*', [channel.port2]]); }
  catch (e) { up.postMessage(hello, '*', [channel.port2]); }
}
})();)JS")
        .arg(token, refuse ? QStringLiteral("true") : QStringLiteral("false"), ReportPrefix,
             FrameHello);
}
} // namespace

// A page of this program: announces main-frame navigations to its view and
// routes new-window requests and the refusal reports to it. A pop-up's page
// belongs to the view that opened it but announces nothing there.
class LumenoPage : public QWebEnginePage
{
public:
    LumenoPage(QWebEngineProfile *profile, QtWebView *owner, bool announces, QObject *parent)
        : QWebEnginePage(profile, parent), m_owner(owner), m_announces(announces)
    {
        connect(this, &QWebEnginePage::newWindowRequested, this,
                [this](QWebEngineNewWindowRequest &request) {
                    // With its view gone, nobody can decide: the window is dropped.
                    if (m_owner)
                        m_owner->handleNewWindow(request);
                });
        // Nothing a page asks for may leave it waiting for an answer.
        connect(this, &QWebEnginePage::featurePermissionRequested, this,
                [this](const QUrl &origin, QWebEnginePage::Feature feature) {
                    setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
                });
        connect(this, &QWebEnginePage::fullScreenRequested, this,
                [](QWebEngineFullScreenRequest request) { request.reject(); });
        connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
                [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
        connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
                [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override
    {
        if (isMainFrame && m_announces && m_owner)
            m_owner->announce(url);
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }

    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int line, const QString &source) override
    {
        if (m_owner && message.startsWith(ReportPrefix)) {
            const QStringView rest = QStringView(message).mid(ReportPrefix.size());
            const QString mark = m_owner->m_token + QLatin1Char(':');
            if (rest.startsWith(mark)) {
                bool ok = false;
                const int n = rest.mid(mark.size()).toInt(&ok);
                if (ok && n > 0)
                    emit m_owner->NewWindowsRefused(n);
                return;
            }
        }
        QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
    }

private:
    QPointer<QtWebView> m_owner;
    bool m_announces;
};

namespace {
// A window that a page opened while pop-ups are allowed: a top-level window of
// its own, outside the host, sized as the page asks, closed when it asks.
class PopupWindow : public QWebEngineView
{
public:
    PopupWindow(QWebEngineProfile *profile, QtWebView *opener, QWidget *owner)
        : QWebEngineView(owner)
    {
        setWindowFlag(Qt::Window);
        setAttribute(Qt::WA_DeleteOnClose);
        resize(640, 480);
        m_page = new LumenoPage(profile, opener, false, this);
        connect(m_page, &QWebEnginePage::windowCloseRequested, this, &QWidget::close);
        connect(m_page, &QWebEnginePage::geometryChangeRequested, this, [this](const QRect &g) {
            if (g.width() > 0 && g.height() > 0)
                resize(g.size());
            if (g.x() != 0 || g.y() != 0)
                move(g.topLeft());
        });
        connect(m_page, &QWebEnginePage::titleChanged, this, &QWidget::setWindowTitle);
        setPage(m_page);
    }
    ~PopupWindow() override
    {
        setPage(nullptr);
        delete m_page;
    }
    QWebEnginePage *popupPage() const { return m_page; }

private:
    LumenoPage *m_page;
};
} // namespace

QtWebView::QtWebView(QWebEngineProfile *profile, SettingsStore &store, QWidget *parent)
    : WebView(parent), m_store(store), m_profile(profile), m_view(new QWebEngineView(this)),
      m_page(new LumenoPage(profile, this, true, this)),
      m_token(QString::number(QRandomGenerator::system()->generate64(), 36)
              + QString::number(QRandomGenerator::system()->generate64(), 36))
{
    m_view->setPage(m_page);
    setFocusProxy(m_view);
    setFocusPolicy(Qt::StrongFocus);

    // The history actions are made on first use; make them now so that their
    // changes are seen from the first page on.
    connect(m_page->action(QWebEnginePage::Back), &QAction::enabledChanged, this,
            [this](bool enabled) { emit CommandStateChange(CommandBack, enabled); });
    connect(m_page->action(QWebEnginePage::Forward), &QAction::enabledChanged, this,
            [this](bool enabled) { emit CommandStateChange(CommandForward, enabled); });
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] { ++m_navigation; });
    connect(m_page, &QWebEnginePage::loadFinished, this, &QtWebView::onLoadFinished);
    // Fragment and pushState changes only show here.
    connect(m_page, &QWebEnginePage::urlChanged, this, &QtWebView::announce);
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                onRendererGone(status);
            });
    installRefusalScript();
}

QtWebView::~QtWebView()
{
    // The page goes before the view it is shown in, and before its profile.
    m_view->setPage(nullptr);
    delete m_page;
}

void QtWebView::prepareEnvironment()
{
    // Chromium keeps its own process model, a renderer per window: sharing
    // one (--process-per-site) saved 20 MB at five windows, but this engine
    // then puts every window, whatever its site, in that one renderer, so a
    // crash or a busy script would take them all.
    // The views draw through Qt Quick. With its OpenGL renderer, any repaint
    // in the window (the clock, every second) recomposes the whole window,
    // which keeps a core 1 to 3 % busy where OpenGL runs in software; the
    // software renderer repaints only what changed, and needs less memory.
    // A choice made in the environment stands.
    if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
}

QString QtWebView::startPage()
{
    return QStringLiteral("qrc:/start.html");
}

QUrl QtWebView::addressToUrl(const QString &text)
{
    if (text.trimmed().isEmpty())
        return QUrl();
    return QUrl::fromUserInput(text, QString(), QUrl::AssumeLocalFile);
}

void QtWebView::GoHome()
{
    const QString home = m_store.GetSetting(Settings::AppName, Settings::InternetSection,
                                            Settings::KeyHomePage, QString());
    const QUrl url = addressToUrl(home);
    m_view->load(isHomePage(url) ? url : QUrl(startPage()));
}

bool QtWebView::isHomePage(const QUrl &url)
{
    // Any other scheme (javascript:, data:, about:) would run or show in no
    // page's context, and the engine leaves an empty page with a history
    // behind for an address longer than it takes (2 MiB).
    constexpr qsizetype longestAddress = 2 * 1024 * 1024;
    if (!url.isValid() || url.toEncoded().size() > longestAddress)
        return false;
    const QString scheme = url.scheme();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https")
        || scheme == QLatin1String("file") || url == QUrl(startPage());
}

// Back or forward without such a page is ignored by the engine.
void QtWebView::GoBack() { m_view->back(); }
void QtWebView::GoForward() { m_view->forward(); }
void QtWebView::Stop() { m_view->stop(); }
void QtWebView::Refresh()
{
    // After a crash, reloading means the page that was lost, not the notice.
    if (!m_crashed.isEmpty())
        m_view->load(m_crashed);
    else
        m_view->reload();
}

void QtWebView::onRendererGone(int status)
{
    if (status == QWebEnginePage::NormalTerminationStatus)
        return;
    // A short notice with a way back; never an automatic reload, which could
    // crash again and again.
    m_crashed = m_page->url();
    // The address is the page's to choose: it goes in as escaped text and as
    // a double-quoted attribute in which neither kind of quote survives, so
    // no address can add markup or attributes.
    const auto escaped = [](const QString &text) {
        return text.toHtmlEscaped().replace(QLatin1Char('\''), QLatin1String("&#39;"));
    };
    m_page->setHtml(QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
                                   "<title>This page stopped</title></head>"
                                   "<body style=\"font-family:sans-serif;margin:2em\">"
                                   "<h2>This page stopped working.</h2><p>%1</p>"
                                   "<p><a href=\"%2\">Load it again</a> or use Refresh.</p>"
                                   "</body></html>")
                        .arg(escaped(m_crashed.toString()),
                             escaped(m_crashed.toString(QUrl::FullyEncoded))));
}

void QtWebView::Navigate2(const QString &URL)
{
    const QUrl url = addressToUrl(URL);
    if (url.isValid())
        m_view->load(url);
}

QString QtWebView::LocationURL() const
{
    return (m_crashed.isEmpty() ? m_page->url() : m_crashed).toString();
}

QString QtWebView::LocationName() const
{
    return m_documentTitle;
}

QString QtWebView::DocumentTitle() const
{
    return m_documentTitle;
}

void QtWebView::announce(const QUrl &url)
{
    // The crash notice keeps the lost page's address in the box.
    if (!m_crashed.isEmpty()) {
        if (url.scheme() == QLatin1String("data"))
            return;
        m_crashed.clear();
    }
    // A navigation is announced before it starts; its commit, which reports
    // the same address, is not announced twice.
    if (url == m_announced)
        return;
    m_announced = url;
    emit BeforeNavigate2(url.toString());
}

void QtWebView::emitHistoryState()
{
    emit CommandStateChange(CommandForward, m_page->history()->canGoForward());
    emit CommandStateChange(CommandBack, m_page->history()->canGoBack());
}

void QtWebView::onLoadFinished(bool)
{
    emitHistoryState();
    // The engine's title falls back to the address; ask the document itself.
    const quint64 navigation = m_navigation;
    QPointer<QtWebView> self(this);
    m_page->runJavaScript(QStringLiteral("document.title"), QWebEngineScript::ApplicationWorld,
                          [self, navigation](const QVariant &title) {
                              if (!self || self->m_navigation != navigation)
                                  return; // a newer navigation has started
                              self->m_documentTitle = title.toString();
                              emit self->NavigateComplete2();
                              emit self->DocumentComplete();
                          });
}

void QtWebView::installRefusalScript()
{
    QWebEngineScriptCollection &scripts = m_page->scripts();
    for (const QWebEngineScript &old : scripts.find(RefusalScriptName))
        scripts.remove(old);
    QWebEngineScript script;
    script.setName(RefusalScriptName);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    // The engine gives no script to an empty frame that a page makes itself
    // (nor once it is filled by document.write, nor to a javascript: address):
    // there window.open still reaches the engine, and the window decides.
    script.setRunsOnSubFrames(true);
    script.setSourceCode(refusalScript(m_token, m_refuse));
    scripts.insert(script);
}

void QtWebView::setNewWindowsRefused(bool refused)
{
    if (refused == m_refuse)
        return;
    m_refuse = refused;
    // Documents made from now on start with the new answer; the one shown
    // is told at once, and passes it on to its frames.
    installRefusalScript();
    m_page->runJavaScript(QStringLiteral("window.__lumenoRefuseNewWindows && "
                                         "window.__lumenoRefuseNewWindows('%1', %2);")
                              .arg(m_token, refused ? QStringLiteral("true") : QStringLiteral("false")),
                          QWebEngineScript::MainWorld);
}

void QtWebView::handleNewWindow(QWebEngineNewWindowRequest &request)
{
    bool cancel = false;
    emit NewWindow2(cancel);
    if (cancel)
        return; // not opened: the engine drops the request
    auto *popup = new PopupWindow(m_profile, this, window());
    request.openIn(popup->popupPage());
    popup->show();
}

void QtWebView::resizeEvent(QResizeEvent *)
{
    m_view->setGeometry(rect());
}

WebView *QtWebViewFactory::create(QWidget *parent)
{
    auto *view = new QtWebView(m_profile, m_store, parent);
    m_views.removeAll(nullptr);
    m_views << view;
    return view;
}

namespace {
const QString ClearStorageKey = QStringLiteral("ClearSiteStorageAtStart");
}

QStringList QtWebViewFactory::clearBrowsingData(bool history, bool cookies, bool cache,
                                                bool siteStorage)
{
    QStringList done;
    if (history) {
        for (const QPointer<QtWebView> &view : m_views)
            if (view)
                view->engineView()->page()->history()->clear();
        m_profile->clearAllVisitedLinks();
        done << QStringLiteral("The browsing history of every window was cleared.");
    }
    if (cookies) {
        m_profile->cookieStore()->deleteAllCookies();
        done << QStringLiteral("All cookies were deleted.");
    }
    if (cache) {
        m_profile->clearHttpCache();
        done << QStringLiteral("The cache is being cleared.");
    }
    if (siteStorage) {
        m_store.SaveSetting(Settings::AppName, Settings::InternetSection, ClearStorageKey,
                            Settings::booleanToText(true));
        done << QStringLiteral("Site storage will be removed the next time Lumeno starts.");
    }
    return done;
}

void QtWebViewFactory::removePendingSiteStorage(SettingsStore &store, const QString &storagePath)
{
    if (!Settings::textToBoolean(store.GetSetting(Settings::AppName, Settings::InternetSection,
                                                  ClearStorageKey, QStringLiteral("False"))))
        return;
    for (const char *part : {"Local Storage", "Session Storage", "IndexedDB", "Service Worker"})
        QDir(storagePath + QLatin1Char('/') + QLatin1String(part)).removeRecursively();
    store.SaveSetting(Settings::AppName, Settings::InternetSection, ClearStorageKey,
                      Settings::booleanToText(false));
}
