#include "browser/engine/PageQuestions.h"

#include "browser/engine/FullScreenWindow.h"
#include "browser/ui/PagePrompts.h"

#include <QAuthenticator>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineHistory>
#include <QWebEngineNavigationRequest>
#include <QWebEngineSettings>
#include <QWebEngineView>

PageQuestions::PageQuestions(QWebEngineView *view, QWidget *host, SiteAnswers &answers, PagePrompts &prompts)
    : QObject(host), m_view(view), m_page(view->page()), m_host(host), m_answers(answers), m_prompts(prompts)
{
    m_page->settings()->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);

    connect(m_page, &QWebEnginePage::navigationRequested, this, [this](QWebEngineNavigationRequest &request) {
        onNavigation(request.url(), request.isMainFrame());
    });
    connect(m_page, &QWebEnginePage::certificateError, this, &PageQuestions::onCertificateError);
    connect(m_page, &QWebEnginePage::featurePermissionRequested, this, &PageQuestions::onPermission);
    connect(m_page, &QWebEnginePage::featurePermissionRequestCanceled, this,
            [this](const QUrl &origin, QWebEnginePage::Feature feature) {
                m_prompts.withdrawPermission(origin, permissionOf(feature));
            });
    m_prompts.setPermissionAnswer([this](const QUrl &site, PagePermission what, bool allowed, bool remember) {
        onPermissionAnswered(site, what, allowed, remember);
    });
    connect(m_page, &QWebEnginePage::authenticationRequired, this,
            [this](const QUrl &url, QAuthenticator *authenticator) {
                onSignIn(url, authenticator, QString(), false);
            });
    connect(m_page, &QWebEnginePage::proxyAuthenticationRequired, this,
            [this](const QUrl &url, QAuthenticator *authenticator, const QString &proxyHost) {
                onSignIn(url, authenticator, proxyHost, true);
            });
    connect(m_page, &QWebEnginePage::fullScreenRequested, this,
            [this](QWebEngineFullScreenRequest request) { onFullScreen(request); });
    connect(m_page, &QWebEnginePage::loadFinished, this, [this](bool) {
        m_mainFrameUrl.clear();
        // "Go back" from a refused page: leave it once it has settled.
        if (!m_leaving.isEmpty() && m_page->url() == m_leaving) {
            m_leaving.clear();
            if (m_page->history()->canGoBack())
                m_page->triggerAction(QWebEnginePage::Back);
        }
    });
}

PageQuestions::~PageQuestions()
{
    // The page is going: what it still waits for is answered No, and a
    // full-screen view comes home before its window goes.
    if (m_fullScreen) {
        m_fullScreen->giveBack();
        delete m_fullScreen;
    }
    if (m_deferred)
        m_deferred->rejectCertificate();
    m_prompts.closeCertificatePrompt();
    // The window may get another page: the answers it hears are its own.
    m_prompts.setPermissionAnswer({});
    m_prompts.denyAllPermissions();
}

void PageQuestions::layout()
{
    m_prompts.place(m_fullScreen ? nullptr : m_view);
}

PagePermission PageQuestions::permissionOf(QWebEnginePage::Feature feature)
{
    switch (feature) {
    case QWebEnginePage::Notifications:
        return PagePermission::Notifications;
    case QWebEnginePage::Geolocation:
        return PagePermission::Location;
    case QWebEnginePage::MediaAudioCapture:
        return PagePermission::Microphone;
    case QWebEnginePage::MediaVideoCapture:
        return PagePermission::Camera;
    case QWebEnginePage::MediaAudioVideoCapture:
        return PagePermission::CameraAndMicrophone;
    case QWebEnginePage::MouseLock:
        return PagePermission::MouseLock;
    case QWebEnginePage::DesktopVideoCapture:
        return PagePermission::Screen;
    case QWebEnginePage::DesktopAudioVideoCapture:
        return PagePermission::ScreenAndAudio;
    }
    return PagePermission::Notifications;
}

QWebEnginePage::Feature PageQuestions::featureOf(PagePermission what)
{
    switch (what) {
    case PagePermission::Notifications:
        return QWebEnginePage::Notifications;
    case PagePermission::Location:
        return QWebEnginePage::Geolocation;
    case PagePermission::Microphone:
        return QWebEnginePage::MediaAudioCapture;
    case PagePermission::Camera:
        return QWebEnginePage::MediaVideoCapture;
    case PagePermission::CameraAndMicrophone:
        return QWebEnginePage::MediaAudioVideoCapture;
    case PagePermission::MouseLock:
        return QWebEnginePage::MouseLock;
    case PagePermission::Screen:
        return QWebEnginePage::DesktopVideoCapture;
    case PagePermission::ScreenAndAudio:
        return QWebEnginePage::DesktopAudioVideoCapture;
    }
    return QWebEnginePage::Notifications;
}

void PageQuestions::onNavigation(const QUrl &url, bool isMainFrame)
{
    if (!isMainFrame)
        return;
    m_mainFrameUrl = url;
    // A new page in this window: what the old one asked goes unanswered, and
    // a certificate prompt of an earlier try is answered No.
    closePrompt();
    m_prompts.denyAllPermissions();
}

void PageQuestions::onCertificateError(const QWebEngineCertificateError &error)
{
    // Sub-resources and inner frames with a bad certificate are refused, as
    // the engine does when nobody answers.
    if (error.url() != m_mainFrameUrl)
        return;
    const QString host = error.url().host();
    const int type = int(error.type());
    if (error.isOverridable() && m_answers.certificateAllowed(host, type)) {
        QWebEngineCertificateError(error).acceptCertificate();
        return;
    }
    closePrompt();
    if (error.isOverridable()) {
        m_deferred = std::make_unique<QWebEngineCertificateError>(error);
        m_deferred->defer();
    }
    m_promptHost = host;
    m_promptError = type;
    m_prompts.askCertificate(SiteAnswers::siteName(error.url()), error.description(), error.isOverridable(),
                             [this](bool proceed) { certificateAnswered(proceed); });
}

void PageQuestions::certificateAnswered(bool proceed)
{
    if (proceed && m_deferred) {
        m_answers.allowCertificate(m_promptHost, m_promptError);
        m_deferred->acceptCertificate();
        m_deferred.reset();
    } else {
        // Refused, the engine shows its error page for the address; going
        // back leaves it for the page before, where there is one.
        if (m_deferred) {
            m_leaving = m_mainFrameUrl;
            m_deferred->rejectCertificate();
            m_deferred.reset();
        } else if (m_page->history()->canGoBack()) {
            m_page->triggerAction(QWebEnginePage::Back);
        }
    }
    m_view->setFocus(Qt::OtherFocusReason);
}

void PageQuestions::closePrompt()
{
    if (m_deferred) {
        m_deferred->rejectCertificate();
        m_deferred.reset();
    }
    m_prompts.closeCertificatePrompt();
}

void PageQuestions::onPermission(const QUrl &origin, QWebEnginePage::Feature feature)
{
    const PagePermission what = permissionOf(feature);
    if (const std::optional<bool> known = m_answers.permission(origin, what)) {
        m_page->setFeaturePermission(origin, feature,
                                     *known ? QWebEnginePage::PermissionGrantedByUser
                                            : QWebEnginePage::PermissionDeniedByUser);
        return;
    }
    m_prompts.askPermission(origin, what);
}

void PageQuestions::onPermissionAnswered(const QUrl &site, PagePermission what, bool allowed, bool remember)
{
    if (remember)
        m_answers.setPermission(site, what, allowed);
    m_page->setFeaturePermission(site, featureOf(what),
                                 allowed ? QWebEnginePage::PermissionGrantedByUser
                                         : QWebEnginePage::PermissionDeniedByUser);
}

void PageQuestions::onSignIn(const QUrl &url, QAuthenticator *authenticator, const QString &proxyHost,
                             bool proxy)
{
    SignInRequest request;
    request.host = proxy ? proxyHost : SiteAnswers::siteName(url);
    request.realm = authenticator->realm();
    request.proxy = proxy;
    const std::optional<SignInCredentials> answer = m_prompts.askSignIn(request);
    if (!answer) {
        // An empty authenticator tells the engine the user cancelled: it then
        // shows what the server sent with its refusal.
        *authenticator = QAuthenticator();
        return;
    }
    authenticator->setUser(answer->user);
    authenticator->setPassword(answer->password);
}

void PageQuestions::onFullScreen(QWebEngineFullScreenRequest &request)
{
    if (request.toggleOn()) {
        if (m_fullScreen) {
            request.accept();
            return;
        }
        request.accept();
        m_fullScreen = new FullScreenWindow(m_view, m_host);
        return;
    }
    request.accept();
    if (m_fullScreen) {
        m_fullScreen->giveBack();
        m_fullScreen->deleteLater();
        m_fullScreen.clear();
        layout();
        m_view->setFocus(Qt::OtherFocusReason);
    }
}
