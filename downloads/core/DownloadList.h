#pragma once
// The downloads of this run as the host shows them: the engine's transfers
// behind a small interface, so that the Downloads window and the question on
// quitting work the same against a scripted list in the tests.
#include <QObject>
#include <QString>

class DownloadItem : public QObject
{
    Q_OBJECT
public:
    enum State { Running, Completed, Cancelled, Failed };
    Q_ENUM(State)

    using QObject::QObject;

    // The file the user chose; it exists, whole, only once Completed.
    virtual QString path() const = 0;
    virtual qint64 receivedBytes() const = 0;
    // -1 while the server has not said.
    virtual qint64 totalBytes() const = 0;
    virtual State state() const = 0;
    // Why a Failed download failed, in words for the user.
    virtual QString failure() const = 0;
    // Stops a running download; what arrived so far is thrown away.
    virtual void cancel() = 0;

    bool isRunning() const { return state() == Running; }

signals:
    // Bytes or state changed.
    void changed();
};

class DownloadList : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Oldest first; the list keeps its items until the program ends.
    virtual QList<DownloadItem *> items() const = 0;

    int runningCount() const;
    // Stops every running download, as on quitting.
    void cancelAll();

signals:
    void added(DownloadItem *item);
    // A download that was not stopped by the user came to nothing.
    void failed(DownloadItem *item);
};
