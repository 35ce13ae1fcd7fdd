#include "browser/engine/QtWebViewFactory.h"

#include "downloads/engine/EngineDownloads.h"
#include "browser/engine/QtWebView.h"
#include "shell/core/Settings.h"

#include <QDir>
#include <QWebEngineCookieStore>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
QtWebViewFactory::QtWebViewFactory(QWebEngineProfile *profile, SettingsStore &store, Dialogs &dialogs)
    : m_profile(profile), m_store(store), m_dialogs(dialogs),
      m_downloads(std::make_unique<EngineDownloads>(profile, dialogs, nullptr))
{
}

QtWebViewFactory::~QtWebViewFactory() = default;

DownloadList *QtWebViewFactory::downloads()
{
    return m_downloads.get();
}

WebView *QtWebViewFactory::create(QWidget *parent)
{
    auto *view = new QtWebView(m_profile, m_store, m_dialogs, parent, &m_answers);
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
                view->clearHistory();
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
