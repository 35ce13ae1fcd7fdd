#pragma once
// Brings the windows of the last run back: offered in a bar of the first
// window after an unclean end, or at once when the person asked for the last
// Quit's windows at every start. Each window comes back where it was, its
// page at rest at its history entry: a window loads when it is seen, so
// thirty cost about what one does until they are looked at.
#include "session/core/SessionRecords.h"

#include <QList>

class RestoreBar;
class SessionHost;
class SessionKeeper;
class frmBrowser;

namespace SessionRestore {

// Opens `windows` (bottom of the stack first) in `host`, each at its place,
// minimized where it was, the front one last; the keeper keeps them under
// the ids they had.
QList<frmBrowser *> restore(SessionKeeper &keeper, SessionHost &host, const QList<WindowRecord> &windows);

// Shows the bar in `first` when the last run left windows and did not end
// by Quit; the windows stay in the file until it is answered. Returns the
// bar, or null when there is nothing to offer.
RestoreBar *offer(SessionKeeper &keeper, SessionHost &host, frmBrowser *first);

} // namespace SessionRestore
