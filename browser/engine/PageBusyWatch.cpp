#include "browser/engine/PageBusyWatch.h"

#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

PageBusyWatch::PageBusyWatch(QWebEngineProfile *profile, QObject *parent) : PageBusy(parent)
{
    connect(profile, &QWebEngineProfile::downloadRequested, this, &PageBusyWatch::onDownload);
}

void PageBusyWatch::watch(QWebEnginePage *page)
{
    m_page = page;
    if (!page)
        return;
    connect(page, &QWebEnginePage::recentlyAudibleChanged, this, &PageBusy::busyChanged);
    connect(page, &QWebEnginePage::loadStarted, this, [this] {
        // What the user typed went with the document it was typed into.
        if (m_typed) {
            m_typed = false;
            emit busyChanged();
        }
    });
}

void PageBusyWatch::userTyped()
{
    if (m_typed)
        return;
    m_typed = true;
    emit busyChanged();
}

void PageBusyWatch::onDownload(QWebEngineDownloadRequest *download)
{
    // Another window's download keeps only that window's page running.
    if (!m_page || download->page() != m_page)
        return;
    m_downloads.removeAll(nullptr);
    m_downloads << download;
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this, &PageBusy::busyChanged);
    connect(download, &QObject::destroyed, this, &PageBusy::busyChanged);
    emit busyChanged();
}

bool PageBusyWatch::isBusy() const
{
    if (m_typed || (m_page && m_page->recentlyAudible()))
        return true;
    for (const QPointer<QWebEngineDownloadRequest> &d : m_downloads)
        if (d && !d->isFinished())
            return true;
    return false;
}
