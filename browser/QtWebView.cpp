#include "browser/QtWebView.h"

#include "shell/Settings.h"

#include <QAction>
#include <QPointer>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineScript>
#include <QWebEngineView>

class LumenoPage : public QWebEnginePage
{
public:
    LumenoPage(QWebEngineProfile *profile, QtWebView *owner)
        : QWebEnginePage(profile, owner), m_owner(owner)
    {
    }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override
    {
        if (isMainFrame)
            emit m_owner->BeforeNavigate2(url.toString());
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }

private:
    QtWebView *m_owner;
};

QtWebView::QtWebView(QWebEngineProfile *profile, SettingsStore &store, QWidget *parent)
    : WebView(parent), m_store(store), m_view(new QWebEngineView(this)),
      m_page(new LumenoPage(profile, this))
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

    connect(m_page, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest &) {
                bool cancel = false;
                emit NewWindow2(cancel);
                // A window that nobody opens is dropped by the engine.
            });

    // Nothing a page asks for may leave it waiting on an answer.
    connect(m_page, &QWebEnginePage::featurePermissionRequested, this,
            [this](const QUrl &origin, QWebEnginePage::Feature feature) {
                m_page->setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
            });
    connect(m_page, &QWebEnginePage::fullScreenRequested, this,
            [](QWebEngineFullScreenRequest request) { request.reject(); });
    connect(m_page, &QWebEnginePage::fileSystemAccessRequested, this,
            [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
    connect(m_page, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
}

QtWebView::~QtWebView()
{
    // The page goes before the view it is shown in, and before its profile.
    m_view->setPage(nullptr);
    delete m_page;
}

QString QtWebView::startPage()
{
    return QStringLiteral("qrc:/start.html");
}

void QtWebView::GoHome()
{
    const QString home = m_store.GetSetting(Settings::AppName, Settings::InternetSection,
                                            Settings::KeyHomePage, QString()).trimmed();
    m_view->load(home.isEmpty() ? QUrl(startPage()) : QUrl::fromUserInput(home));
}

void QtWebView::GoBack() { m_view->back(); }
void QtWebView::GoForward() { m_view->forward(); }
void QtWebView::Stop() { m_view->stop(); }
void QtWebView::Refresh() { m_view->reload(); }

void QtWebView::Navigate2(const QString &URL)
{
    const QUrl url = QUrl::fromUserInput(URL);
    if (url.isValid())
        m_view->load(url);
}

QString QtWebView::LocationURL() const
{
    return m_page->url().toString();
}

QString QtWebView::LocationName() const
{
    return m_documentTitle;
}

QString QtWebView::DocumentTitle() const
{
    return m_documentTitle;
}

void QtWebView::onLoadFinished(bool)
{
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

void QtWebView::resizeEvent(QResizeEvent *)
{
    m_view->setGeometry(rect());
}

WebView *QtWebViewFactory::create(QWidget *parent)
{
    return new QtWebView(m_profile, m_store, parent);
}
