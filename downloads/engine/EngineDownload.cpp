#include "downloads/engine/EngineDownload.h"

#include <QFile>
#include <QWebEngineDownloadRequest>

EngineDownload::EngineDownload(QWebEngineDownloadRequest *request, const QString &path, QObject *parent)
    : DownloadItem(parent), m_path(path), m_id(request->id())
{
    track(request);
}

EngineDownload::EngineDownload(const QString &path, const QString &failure, QObject *parent)
    : DownloadItem(parent), m_path(path), m_state(Failed), m_failure(failure)
{
}

void EngineDownload::track(QWebEngineDownloadRequest *request)
{
    if (m_request)
        disconnect(m_request, nullptr, this, nullptr);
    m_request = request;
    connect(request, &QWebEngineDownloadRequest::receivedBytesChanged, this, &EngineDownload::update);
    connect(request, &QWebEngineDownloadRequest::totalBytesChanged, this, &EngineDownload::update);
    connect(request, &QWebEngineDownloadRequest::stateChanged, this, &EngineDownload::update);
    update();
}

void EngineDownload::cancel()
{
    if (m_state != Running)
        return;
    m_cancelledByUser = true;
    if (m_request)
        m_request->cancel();
    // The engine confirms later; the user sees the answer at once.
    m_state = Cancelled;
    emit changed();
}

void EngineDownload::update()
{
    // Once over, an item stays as it ended: the engine still reports on a
    // transfer after it failed or was cancelled.
    if (m_state != Running || !m_request)
        return;
    m_received = m_request->receivedBytes();
    m_total = m_request->totalBytes();
    switch (m_request->state()) {
    case QWebEngineDownloadRequest::DownloadRequested:
    case QWebEngineDownloadRequest::DownloadInProgress:
        break;
    case QWebEngineDownloadRequest::DownloadCompleted:
        m_state = Completed;
        break;
    case QWebEngineDownloadRequest::DownloadCancelled:
        if (m_cancelledByUser) {
            m_state = Cancelled;
        } else {
            // The engine gives up by cancelling when it cannot make the file.
            m_state = Failed;
            m_failure = m_request->interruptReason() == QWebEngineDownloadRequest::UserCanceled
                            ? QStringLiteral("the file could not be created")
                            : reasonText(m_request->interruptReason());
        }
        break;
    case QWebEngineDownloadRequest::DownloadInterrupted:
        m_state = Failed;
        m_failure = reasonText(m_request->interruptReason());
        break;
    }
    if (m_state == Failed) {
        // The engine keeps what arrived for a resumption that never comes
        // (it does so when the disk is full): nothing partial stays behind.
        QFile::remove(m_path + QStringLiteral(".download"));
    }
    emit changed();
    if (m_state == Failed)
        emit failedNow();
}

QString EngineDownload::reasonText(int reason)
{
    switch (reason) {
    case QWebEngineDownloadRequest::FileFailed:
    case QWebEngineDownloadRequest::FileAccessDenied:
        return QStringLiteral("the file could not be written");
    case QWebEngineDownloadRequest::FileNoSpace:
        return QStringLiteral("the disk is full");
    case QWebEngineDownloadRequest::FileNameTooLong:
        return QStringLiteral("the file name is too long");
    case QWebEngineDownloadRequest::FileTooLarge:
        return QStringLiteral("the file is too large for the disk");
    case QWebEngineDownloadRequest::FileTransientError:
        return QStringLiteral("the file could not be written just now");
    case QWebEngineDownloadRequest::FileVirusInfected:
    case QWebEngineDownloadRequest::FileBlocked:
    case QWebEngineDownloadRequest::FileSecurityCheckFailed:
        return QStringLiteral("the file was blocked");
    case QWebEngineDownloadRequest::FileTooShort:
    case QWebEngineDownloadRequest::FileHashMismatch:
        return QStringLiteral("the file changed on the server");
    case QWebEngineDownloadRequest::NetworkFailed:
        return QStringLiteral("the network connection failed");
    case QWebEngineDownloadRequest::NetworkTimeout:
        return QStringLiteral("the server did not answer in time");
    case QWebEngineDownloadRequest::NetworkDisconnected:
        return QStringLiteral("the network connection was lost");
    case QWebEngineDownloadRequest::NetworkServerDown:
    case QWebEngineDownloadRequest::ServerUnreachable:
        return QStringLiteral("the server could not be reached");
    case QWebEngineDownloadRequest::NetworkInvalidRequest:
        return QStringLiteral("the address is not valid");
    case QWebEngineDownloadRequest::ServerFailed:
        return QStringLiteral("the server failed");
    case QWebEngineDownloadRequest::ServerBadContent:
        return QStringLiteral("the server does not have the file");
    case QWebEngineDownloadRequest::ServerUnauthorized:
    case QWebEngineDownloadRequest::ServerForbidden:
        return QStringLiteral("the server refused access");
    case QWebEngineDownloadRequest::ServerCertProblem:
        return QStringLiteral("the server's certificate is not valid");
    case 38: // the engine's "content length mismatch", missing from Qt's list
        return QStringLiteral("the connection ended before the whole file arrived");
    case QWebEngineDownloadRequest::UserCanceled:
        return QStringLiteral("it was cancelled");
    }
    return QStringLiteral("error %1").arg(reason);
}
