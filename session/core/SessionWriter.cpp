#include "session/core/SessionWriter.h"

#include "session/core/SessionStore.h"

#include <QElapsedTimer>
#include <QThread>

SessionWriter::SessionWriter(const QString &path, std::chrono::milliseconds interval, QObject *parent)
    : QObject(parent), m_path(path), m_interval(interval)
{
    m_thread.reset(QThread::create([this] { run(); }));
    m_thread->setObjectName(QStringLiteral("SessionWriter"));
    m_thread->start();
}

SessionWriter::~SessionWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread->wait();
}

void SessionWriter::submit(Session session)
{
    std::optional<Session> dropped;
    {
        std::lock_guard lock(m_mutex);
        const bool idle = !m_pending;
        dropped.swap(m_pending);
        m_pending.emplace(std::move(session));
        m_pendingNumber = ++m_handedOver;
        if (!idle)
            return;  // the writer's thread knows there is something to write
    }
    m_wake.notify_all();
}

bool SessionWriter::flush(QString *error)
{
    std::unique_lock lock(m_mutex);
    const quint64 wanted = m_handedOver;
    const quint64 triesBefore = m_tries;
    if (m_written >= wanted)
        return true;
    m_urgent = true;
    m_wake.notify_all();
    // A try that ended since the call and was of this session or a newer
    // one answers it; an older one under way at the call does not.
    m_done.wait(lock, [&] { return m_written >= wanted || (m_tries > triesBefore && m_lastTried >= wanted); });
    // Answered by a write already under way at the call, the flush leaves
    // the interval as it was for the changes after it.
    m_urgent = false;
    if (m_written >= wanted)
        return true;
    if (error)
        *error = m_lastError;
    return false;
}

SessionWriter::Counts SessionWriter::counts() const
{
    std::lock_guard lock(m_mutex);
    return m_counts;
}

void SessionWriter::run()
{
    SessionStore store(m_path, QStringLiteral("session-writer-%1").arg(quintptr(this), 0, 16));
    QString reported;
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_pending) {
            if (m_stopping)
                break;
            m_wake.wait(lock);
            continue;
        }
        const Clock::time_point start = Clock::now();
        if (!m_stopping && !m_urgent && start < m_nextWrite) {
            m_wake.wait_until(lock, m_nextWrite);
            continue;
        }
        Session session = std::move(*m_pending);
        m_pending.reset();
        const quint64 number = m_pendingNumber;
        m_urgent = false;
        lock.unlock();

        QElapsedTimer timer;
        timer.start();
        QString error;
        const bool ok = store.save(session, &error);
        const qint64 took = timer.nsecsElapsed();

        lock.lock();
        m_nextWrite = start + m_interval;
        ++m_tries;
        m_lastTried = number;
        if (ok) {
            m_written = number;
            m_lastError.clear();
            ++m_counts.writes;
            m_counts.lastWriteNanoseconds = took;
        } else {
            m_lastError = error;
            ++m_counts.failures;
            // Nothing the user did is dropped for a failed write: the session
            // waits for the next try, unless a newer one has come meanwhile.
            if (!m_pending && !m_stopping) {
                m_pending.emplace(std::move(session));
                m_pendingNumber = number;
            }
        }
        m_done.notify_all();
        if (ok) {
            reported.clear();
        } else if (error != reported) {
            reported = error;
            lock.unlock();
            emit writeFailed(error);
            lock.lock();
        }
    }
}
