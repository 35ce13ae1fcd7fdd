#pragma once
// The page view on Qt WebEngine.
#include "browser/ui/WebView.h"

#include <QPointer>
#include <QUrl>

class QWebEngineNewWindowRequest;
class QWebEngineProfile;
class QWebEngineView;
class SettingsStore;
class LumenoPage;

class QtWebView : public WebView
{
    Q_OBJECT
public:
    QtWebView(QWebEngineProfile *profile, SettingsStore &store, QWidget *parent);
    ~QtWebView() override;

    void GoHome() override;
    void GoBack() override;
    void GoForward() override;
    void Stop() override;
    void Refresh() override;
    void Navigate2(const QString &URL) override;

    QString LocationURL() const override;
    QString LocationName() const override;
    QString DocumentTitle() const override;

    void setNewWindowsRefused(bool refused) override;
    void find(const QString &text, bool backward, FindResult done) override;
    void setZoomFactor(qreal factor) override;
    qreal zoomFactor() const override;

    // Sets up how the engine runs; call before the application object exists.
    static void prepareEnvironment();

    // The page opened when no home page is set: shipped with the program.
    static QString startPage();
    // A page of the program's own resources, whose internal address is shown
    // to nobody: the address box stays empty on it.
    static bool isOwnPage(const QUrl &url);
    // How a typed address is read: "example.org" is a web address, "/tmp/a.html"
    // a file; an empty or unusable text gives an invalid URL.
    static QUrl addressToUrl(const QString &text);
    // Whether an address can be the home page: a web address, a file or the
    // start page; anything else gives the start page.
    static bool isHomePage(const QUrl &url);
    QWebEngineView *engineView() const { return m_view; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class LumenoPage;
    void announce(const QUrl &url);
    void onLoadFinished(bool ok);
    void emitHistoryState();
    void handleNewWindow(QWebEngineNewWindowRequest &request);
    void installRefusalScript();
    void onRendererGone(int status);

    SettingsStore &m_store;
    QWebEngineProfile *m_profile;
    QWebEngineView *m_view;
    LumenoPage *m_page;
    QString m_documentTitle;
    QUrl m_announced;
    quint64 m_navigation = 0;
    bool m_refuse = false;
    // The page whose renderer died, while the error page stands in for it.
    QUrl m_crashed;
    // Marks the page script's reports, so that a page cannot forge them.
    QString m_token;
};
