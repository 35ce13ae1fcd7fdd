#pragma once
// Writes the session as it changes without holding up the windows. The host
// hands over the whole session on every change; a thread of the writer's own
// writes the newest one it was given: at once after a quiet spell, then at
// most once an interval while changes keep coming, since a session a second
// old is as good as the newest after a crash and the disk is spared a write
// per keystroke. At quit, flush() writes what is left before it returns.
//
// Threads: submit(), flush(), counts() and the destructor are called on the
// thread that owns the writer (the host's). submit() only takes a lock
// for a moment, never the disk; flush() and the destructor wait for the
// disk. The SQL runs on the writer's thread, with its own connection to the
// file.
#include "session/core/SessionRecords.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

class QThread;

class SessionWriter : public QObject
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds DefaultInterval{1000};

    // Opens `path` on the writer's thread. Open the file on the host's
    // thread first (SessionStore), which reads the last session and sets a
    // damaged file aside, and start the writer after.
    explicit SessionWriter(const QString &path, std::chrono::milliseconds interval = DefaultInterval,
                           QObject *parent = nullptr);
    // Writes what is still to write (one try; a failure is reported by
    // writeFailed but cannot be answered), then ends the thread.
    ~SessionWriter() override;

    // The session as it stands now. Cheap when the records share their
    // history bytes with the ones handed over before: nothing is copied but
    // the list. The one handed over before, if not written yet, is dropped.
    void submit(Session session);
    // Writes the newest session handed over, at once, and returns when it is
    // on disk (true) or its write failed (false, with the reason). A write
    // under way is waited for first. True at once when nothing is left.
    bool flush(QString *error = nullptr);

    struct Counts
    {
        int writes = 0;
        int failures = 0;
        // Time spent on the writer's thread by the last write that went
        // through.
        qint64 lastWriteNanoseconds = 0;
    };
    Counts counts() const;

signals:
    // A write failed: the file keeps the session written before, and the
    // writer tries again an interval later or at the next change. Emitted
    // on the writer's thread, once per reason until a write goes through.
    void writeFailed(const QString &reason);

private:
    using Clock = std::chrono::steady_clock;
    void run();

    const QString m_path;
    const std::chrono::milliseconds m_interval;
    std::unique_ptr<QThread> m_thread;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;  // the writer's thread: something to do
    std::condition_variable m_done;  // flush(): a write ended
    std::optional<Session> m_pending;
    quint64 m_pendingNumber = 0;
    quint64 m_handedOver = 0;     // number of the last session submitted
    quint64 m_written = 0;        // number of the last one on disk
    quint64 m_lastTried = 0;      // number of the last one whose write ended
    quint64 m_tries = 0;          // writes ended, through or not
    QString m_lastError;          // of the last try, if it failed
    bool m_urgent = false;        // a flush wants the pending session now
    bool m_stopping = false;
    Clock::time_point m_nextWrite = Clock::time_point::min();
    Counts m_counts;
};
