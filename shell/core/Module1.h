#pragma once
// Process-wide state shared by the host and every browser window. Plain
// variables, read and written in place; whoever changes a counter rewrites its
// status-bar panel.
#include <QtGlobal>

class QTime;
class QLocale;
class QString;
class SettingsStore;

extern bool KillPopups;        // pages' new windows are refused while true
extern qint32 KilledPopups;    // pop-ups refused in this run
extern qint32 OpenWindows;     // browser windows open in the host
extern qint32 WindowWidth;     // twips, outer size of the next browser window
extern qint32 WindowHeight;
extern qint32 MainWindowWidth; // twips, the host's size
extern qint32 MainWindowHeight;

namespace Module1 {

// Back to the state of a freshly started process: everything zero or false.
void resetSharedState();

// Adds a non-negative amount to a counter, stopping at the largest 32-bit
// value instead of wrapping. Returns the new value.
qint32 add(qint32 &counter, qint64 amount);

// Reads the five stored options into the globals, in the order the host
// start-up needs: KillPopups, WindowWidth, WindowHeight, MainWindowWidth,
// MainWindowHeight.
void loadOptions(SettingsStore &store);

// "Time: " and the clock as the status bar shows it, e.g. "Time: 1:05:09 PM".
QString clockText(const QTime &time, const QLocale &locale);

} // namespace Module1
