#pragma once
// Makes the real page views, all on one profile, and clears what the engine
// keeps for them.
#include "browser/core/SiteAnswers.h"
#include "browser/ui/WebView.h"

#include <QList>
#include <QPointer>
#include <memory>

class Dialogs;
class EngineDownloads;
class QWebEngineProfile;
class QtWebView;
class SettingsStore;

class QtWebViewFactory : public WebViewFactory
{
public:
    QtWebViewFactory(QWebEngineProfile *profile, SettingsStore &store, Dialogs &dialogs);
    ~QtWebViewFactory() override;
    WebView *create(QWidget *parent) override;
    DownloadList *downloads() override;
    QStringList clearBrowsingData(bool history, bool cookies, bool cache, bool siteStorage) override;

    // Site storage has no clearing call in the engine: it is removed from the
    // profile's directory at the next start, before the profile is made.
    static void removePendingSiteStorage(SettingsStore &store, const QString &storagePath);

private:
    QWebEngineProfile *m_profile;
    SettingsStore &m_store;
    Dialogs &m_dialogs;
    QList<QPointer<QtWebView>> m_views;
    // What outlives one window: the answers pages got, and the downloads.
    SiteAnswers m_answers;
    std::unique_ptr<EngineDownloads> m_downloads;
};
