#pragma once
// What keeps a browser window's page running out of sight: sound it plays, a
// download it started that is still running, or text the user typed into
// the document shown (until the page moves on to another one).
#include "browser/ui/PageActivity.h"

#include <QList>
#include <QPointer>

class QWebEngineDownloadRequest;
class QWebEnginePage;
class QWebEngineProfile;

class PageBusyWatch : public PageBusy
{
    Q_OBJECT
public:
    // Downloads are told by the profile; only the watched page's count.
    PageBusyWatch(QWebEngineProfile *profile, QObject *parent);

    bool isBusy() const override;
    // The page now shown in the window; null while it is let go.
    void watch(QWebEnginePage *page);
    // The user typed into the document shown.
    void userTyped();

private:
    void onDownload(QWebEngineDownloadRequest *download);

    QPointer<QWebEnginePage> m_page;
    bool m_typed = false;
    // Downloads the page started, until they end.
    QList<QPointer<QWebEngineDownloadRequest>> m_downloads;
};
