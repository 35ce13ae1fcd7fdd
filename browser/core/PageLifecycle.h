#pragma once
// When a browser window's page may rest. A page out of sight is frozen after a
// short grace time (its scripts and timers stop) and discarded after a longer
// one, or at once when memory runs short (its renderer's memory is given back;
// the page is loaded again, at the same history entry, when it is seen). A
// page that plays sound, downloads, or holds text the user typed is left
// running. Plain rules here; the windows apply them.
#include <QByteArray>
#include <QString>

namespace PageLifecycle {

enum class State { Active, Frozen, Discarded };

// Options section of the settings store. Numbers, fractions allowed.
inline const QString KeyFreezeAfterSeconds = QStringLiteral("FreezeAfterSeconds");
inline const QString KeyDiscardAfterMinutes = QStringLiteral("DiscardAfterMinutes");
constexpr double DefaultFreezeAfterSeconds = 5;
constexpr double DefaultDiscardAfterMinutes = 10;

struct Times
{
    qint64 freezeAfterMs = qint64(DefaultFreezeAfterSeconds * 1000);
    // Zero: never discarded for time alone, only when memory runs short.
    qint64 discardAfterMs = qint64(DefaultDiscardAfterMinutes * 60 * 1000);
};

// The times from their stored texts (missing ones empty); a value that is not
// a number, or is negative, reads as its default; anything beyond a year is a
// year.
Times timesFromText(const QString &freezeAfterSeconds, const QString &discardAfterMinutes);

struct Window
{
    bool inSight = true;
    // Playing sound, downloading, or holding text the user typed.
    bool busy = false;
    State state = State::Active;
    qint64 outOfSightMs = 0; // since it was last seen
    qint64 frozenMs = 0;     // since it was frozen
};

// The state the page should be in now.
State target(const Window &w, const Times &t, bool memoryShort);
// Milliseconds until target() changes with the passing of time alone; -1 when
// only an event (seen, busy, memory) can change it.
qint64 nextChangeInMs(const Window &w, const Times &t, bool memoryShort);

// From the text of /proc/meminfo: whether less than a tenth of the memory, and
// less than 1 GiB, is available. Unknown (a field missing) is not short.
bool memoryIsShort(const QByteArray &meminfo);

} // namespace PageLifecycle
