#pragma once
// Answers what a page asks of its browser window, in that window: sign-in,
// certificate problems, permissions and full screen. The answers that hold
// until the program ends are kept in the SiteAnswers the factory gives every
// view. Questions nobody can answer any more (the page navigates away or
// goes) are answered No, so a page never waits for ever.
#include "browser/core/SiteAnswers.h"
#include "browser/engine/FullScreenWindow.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QWebEngineCertificateError>
#include <QWebEnginePage>
#include <memory>

class PagePrompts;
class QAuthenticator;
class QWebEngineFullScreenRequest;
class QWebEngineView;
class QWidget;

class PageQuestions : public QObject
{
    Q_OBJECT
public:
    // host is the widget the view lives in; prompts put the questions to
    // the person there.
    PageQuestions(QWebEngineView *view, QWidget *host, SiteAnswers &answers, PagePrompts &prompts);
    ~PageQuestions() override;

    // Places the view below whatever asks, in the host's area.
    void layout();

    bool isFullScreen() const { return m_fullScreen != nullptr; }

    static PagePermission permissionOf(QWebEnginePage::Feature feature);
    static QWebEnginePage::Feature featureOf(PagePermission what);

private:
    void onNavigation(const QUrl &url, bool isMainFrame);
    void onCertificateError(const QWebEngineCertificateError &error);
    void certificateAnswered(bool proceed);
    void closePrompt();
    void onPermission(const QUrl &origin, QWebEnginePage::Feature feature);
    void onPermissionAnswered(const QUrl &site, PagePermission what, bool allowed, bool remember);
    void onSignIn(const QUrl &url, QAuthenticator *authenticator, const QString &proxyHost, bool proxy);
    void onFullScreen(QWebEngineFullScreenRequest &request);

    QWebEngineView *m_view;
    QWebEnginePage *m_page;
    QWidget *m_host;
    SiteAnswers &m_answers;
    PagePrompts &m_prompts;
    QPointer<FullScreenWindow> m_fullScreen;
    // The main frame's navigation under way: only its certificate is asked about.
    QUrl m_mainFrameUrl;
    // The error waiting for the user's answer, while the prompt is up.
    std::unique_ptr<QWebEngineCertificateError> m_deferred;
    QString m_promptHost;
    int m_promptError = 0;
    // After "Go back" from a refused page: the address to leave once it shows.
    QUrl m_leaving;
};
