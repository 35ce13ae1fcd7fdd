#include "browser/core/PageLifecycle.h"

#include "common/core/Units.h"

#include <QList>

#include <algorithm>

namespace PageLifecycle {

namespace {
constexpr double YearMs = 365.0 * 24 * 3600 * 1000;

qint64 readMs(const QString &text, double defaultValue, double unitMs)
{
    const auto number = Units::parseNumber(text);
    const double value = number && *number >= 0 ? *number : defaultValue;
    return qint64(std::min(value * unitMs, YearMs));
}

// The number of kB a /proc/meminfo line gives for `field`, or -1.
qint64 meminfoKb(const QByteArray &text, const QByteArray &field)
{
    for (const QByteArray &line : text.split('\n')) {
        if (!line.startsWith(field + ':'))
            continue;
        bool ok = false;
        const qint64 kb = line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong(&ok);
        return ok ? kb : -1;
    }
    return -1;
}
} // namespace

Times timesFromText(const QString &freezeAfterSeconds, const QString &discardAfterMinutes)
{
    Times t;
    t.freezeAfterMs = readMs(freezeAfterSeconds, DefaultFreezeAfterSeconds, 1000);
    t.discardAfterMs = readMs(discardAfterMinutes, DefaultDiscardAfterMinutes, 60 * 1000);
    return t;
}

State target(const Window &w, const Times &t, bool memoryShort)
{
    if (w.inSight)
        return State::Active;
    switch (w.state) {
    case State::Discarded:
        // Loaded again only when seen.
        return State::Discarded;
    case State::Frozen:
        if (w.busy)
            return State::Active;
        if (memoryShort || (t.discardAfterMs > 0 && w.frozenMs >= t.discardAfterMs))
            return State::Discarded;
        return State::Frozen;
    case State::Active:
        break;
    }
    if (w.busy || w.outOfSightMs < t.freezeAfterMs)
        return State::Active;
    return State::Frozen;
}

qint64 nextChangeInMs(const Window &w, const Times &t, bool memoryShort)
{
    if (target(w, t, memoryShort) != w.state)
        return 0;
    if (w.inSight || w.busy)
        return -1;
    if (w.state == State::Active)
        return t.freezeAfterMs - w.outOfSightMs;
    if (w.state == State::Frozen && t.discardAfterMs > 0)
        return t.discardAfterMs - w.frozenMs;
    return -1;
}

bool memoryIsShort(const QByteArray &meminfo)
{
    const qint64 total = meminfoKb(meminfo, "MemTotal");
    const qint64 available = meminfoKb(meminfo, "MemAvailable");
    if (total <= 0 || available < 0)
        return false;
    return available < std::min<qint64>(total / 10, 1024 * 1024);
}

} // namespace PageLifecycle
