#include "downloads/core/TransferRate.h"

void TransferRate::sample(qint64 msecs, qint64 bytes)
{
    // A restarted transfer (the engine retries from the start) begins anew.
    if (!m_samples.isEmpty() && (bytes < m_samples.last().bytes || msecs < m_samples.last().msecs))
        m_samples.clear();
    m_samples.append({msecs, bytes});
    // Keep one sample older than the window, so the window is always spanned.
    while (m_samples.size() > 2 && msecs - m_samples.at(1).msecs >= WindowMsecs)
        m_samples.removeFirst();
}

double TransferRate::bytesPerSecond() const
{
    if (m_samples.size() < 2)
        return 0;
    const Sample &first = m_samples.first();
    const Sample &last = m_samples.last();
    const qint64 span = last.msecs - first.msecs;
    if (span <= 0)
        return 0;
    return double(last.bytes - first.bytes) * 1000.0 / double(span);
}

qint64 TransferRate::secondsLeft(qint64 total) const
{
    const double rate = bytesPerSecond();
    if (total < 0 || m_samples.isEmpty() || rate <= 0)
        return -1;
    const qint64 left = qMax<qint64>(0, total - m_samples.last().bytes);
    return qint64(double(left) / rate + 0.999);
}

namespace TransferText {

QString size(qint64 bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 bytes").arg(bytes);
    const char *units[] = {"KB", "MB", "GB", "TB"};
    double value = double(bytes) / 1024.0;
    int unit = 0;
    while (value >= 1024.0 && unit < 3) {
        value /= 1024.0;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(units[unit]));
}

QString progress(qint64 received, qint64 total)
{
    if (total < 0)
        return size(received);
    return QStringLiteral("%1 of %2").arg(size(received), size(total));
}

QString speed(double bytesPerSecond)
{
    return size(qint64(bytesPerSecond)) + QStringLiteral("/s");
}

QString timeLeft(qint64 seconds)
{
    if (seconds < 60)
        return QStringLiteral("%1 s left").arg(seconds);
    const qint64 minutes = (seconds + 59) / 60;
    if (minutes < 60)
        return QStringLiteral("%1 min left").arg(minutes);
    return QStringLiteral("%1 h %2 min left").arg(minutes / 60).arg(minutes % 60);
}

} // namespace TransferText
