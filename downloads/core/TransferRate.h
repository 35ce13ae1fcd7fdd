#pragma once
// How fast a download goes and what is left, from the byte counts seen over
// time; and the sizes and times in the words the Downloads window uses.
#include <QList>
#include <QString>

class TransferRate
{
public:
    // Bytes received so far at a moment, in milliseconds from any fixed start.
    void sample(qint64 msecs, qint64 bytes);
    // Bytes per second over the last few seconds; 0 until two samples apart.
    double bytesPerSecond() const;
    // Seconds until total is reached at the present rate; -1 when unknown.
    qint64 secondsLeft(qint64 total) const;

    // How far back the rate looks.
    static constexpr qint64 WindowMsecs = 3000;

private:
    struct Sample
    {
        qint64 msecs;
        qint64 bytes;
    };
    QList<Sample> m_samples;
};

namespace TransferText {
// "512 bytes", "1.5 KB", "3.2 MB", "1.1 GB" (1 KB = 1024 bytes).
QString size(qint64 bytes);
// "1.5 MB of 3.2 MB", or "1.5 MB" when the total is unknown.
QString progress(qint64 received, qint64 total);
// "350 KB/s".
QString speed(double bytesPerSecond);
// "5 s left", "3 min left", "2 h 5 min left".
QString timeLeft(qint64 seconds);
} // namespace TransferText
