#pragma once
// The page view on Qt WebEngine.
#include "browser/WebView.h"

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

    // The page opened when no home page is set: shipped with the program.
    static QString startPage();
    QWebEngineView *engineView() const { return m_view; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void onLoadFinished(bool ok);

    SettingsStore &m_store;
    QWebEngineView *m_view;
    LumenoPage *m_page;
    QString m_documentTitle;
    quint64 m_navigation = 0;
};

class QtWebViewFactory : public WebViewFactory
{
public:
    QtWebViewFactory(QWebEngineProfile *profile, SettingsStore &store)
        : m_profile(profile), m_store(store)
    {
    }
    WebView *create(QWidget *parent) override;

private:
    QWebEngineProfile *m_profile;
    SettingsStore &m_store;
};
