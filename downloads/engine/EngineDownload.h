#pragma once
// One transfer of the engine as the Downloads window sees it. The engine may
// hand the same transfer over again with a new request object (it does so
// when it retries after a network error); the item follows the newest.
#include "downloads/core/DownloadList.h"

#include <QPointer>

class QWebEngineDownloadRequest;

class EngineDownload : public DownloadItem
{
    Q_OBJECT
public:
    // A transfer accepted to path.
    EngineDownload(QWebEngineDownloadRequest *request, const QString &path, QObject *parent);
    // A download that failed before it could start.
    EngineDownload(const QString &path, const QString &failure, QObject *parent);

    QString path() const override { return m_path; }
    qint64 receivedBytes() const override { return m_received; }
    qint64 totalBytes() const override { return m_total; }
    State state() const override { return m_state; }
    QString failure() const override { return m_failure; }
    void cancel() override;

    quint32 id() const { return m_id; }
    // Follows the request the engine handed over for this transfer again.
    void track(QWebEngineDownloadRequest *request);

    // The reason the engine gives, in words for the user.
    static QString reasonText(int interruptReason);

signals:
    void failedNow();

private:
    void update();

    QPointer<QWebEngineDownloadRequest> m_request;
    QString m_path;
    quint32 m_id = 0;
    qint64 m_received = 0;
    qint64 m_total = -1;
    State m_state = Running;
    QString m_failure;
    bool m_cancelledByUser = false;
};
