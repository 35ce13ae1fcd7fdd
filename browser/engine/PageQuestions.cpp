#include "browser/engine/PageQuestions.h"

#include "browser/engine/FullScreenWindow.h"
#include "browser/ui/CertificatePrompt.h"
#include "browser/ui/PermissionBar.h"
#include "common/ui/SignInDialog.h"

#include <QAuthenticator>
#include <QPushButton>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineHistory>
#include <QWebEngineNavigationRequest>
#include <QWebEngineSettings>
#include <QWebEngineView>

PageQuestions::PageQuestions(QWebEngineView *view, QWidget *host, SiteAnswers &answers)
    : QObject(host), m_view(view), m_page(view->page()), m_host(host), m_answers(answers),
      m_bar(new PermissionBar(host))
{
    m_page->settings()->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);

    connect(m_page, &QWebEnginePage::navigationRequested, this, [this](QWebEngineNavigationRequest &request) {
        onNavigation(request.url(), request.isMainFrame());
    });
    connect(m_page, &QWebEnginePage::certificateError, this, &PageQuestions::onCertificateError);
    connect(m_page, &QWebEnginePage::featurePermissionRequested, this, &PageQuestions::onPermission);
    connect(m_page, &QWebEnginePage::featurePermissionRequestCanceled, this,
            [this](const QUrl &origin, QWebEnginePage::Feature feature) {
                m_bar->withdraw(origin, permissionOf(feature));
            });
    connect(m_bar, &PermissionBar::answered, this, &PageQuestions::onPermissionAnswered);
    connect(m_bar, &PermissionBar::visibilityChanged, this, &PageQuestions::layout);
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
    m_bar->blockSignals(true);
    m_bar->denyAll();
    // The window may get another page; its questions bring their own.
    delete m_bar;
    delete m_prompt;
}

void PageQuestions::layout()
{
    const QRect area = m_host->rect();
    int top = 0;
    if (!m_bar->isHidden()) {
        const int h = m_bar->heightForWidth(area.width()) > 0 ? m_bar->heightForWidth(area.width())
                                                              : m_bar->sizeHint().height();
        m_bar->setGeometry(0, 0, area.width(), h);
        m_bar->raise();
        top = h;
    }
    if (!m_fullScreen)
        m_view->setGeometry(0, top, area.width(), qMax(0, area.height() - top));
    if (m_prompt) {
        m_prompt->setGeometry(area);
        m_prompt->raise();
    }
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
    if (m_prompt)
        closePrompt();
    m_bar->denyAll();
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
    if (m_prompt)
        closePrompt();
    if (error.isOverridable()) {
        m_deferred = std::make_unique<QWebEngineCertificateError>(error);
        m_deferred->defer();
    }
    m_promptHost = host;
    m_promptError = type;
    m_prompt = new CertificatePrompt(SiteAnswers::siteName(error.url()), error.description(),
                                     error.isOverridable(), m_host);
    connect(m_prompt, &CertificatePrompt::goBackChosen, this, [this] { certificateAnswered(false); });
    connect(m_prompt, &CertificatePrompt::proceedChosen, this, [this] { certificateAnswered(true); });
    layout();
    m_prompt->show();
    m_prompt->setFocus(Qt::OtherFocusReason);
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
    if (m_prompt) {
        m_prompt->hide();
        m_prompt->deleteLater();
        m_prompt.clear();
    }
    m_view->setFocus(Qt::OtherFocusReason);
}

void PageQuestions::closePrompt()
{
    if (m_deferred) {
        m_deferred->rejectCertificate();
        m_deferred.reset();
    }
    if (m_prompt) {
        m_prompt->hide();
        m_prompt->deleteLater();
        m_prompt.clear();
    }
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
    m_bar->ask(origin, what);
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
    SignIn::Request request;
    request.host = proxy ? proxyHost : SiteAnswers::siteName(url);
    request.realm = authenticator->realm();
    request.proxy = proxy;
    const std::optional<SignIn::Credentials> answer = SignIn::ask(m_host, request);
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
