#include "shell/core/Module1.h"

#include "shell/core/Settings.h"

#include <QLocale>
#include <QString>
#include <QTime>
#include <limits>

bool KillPopups = false;
qint32 KilledPopups = 0;
qint32 OpenWindows = 0;
qint32 WindowWidth = 0;
qint32 WindowHeight = 0;
qint32 MainWindowWidth = 0;
qint32 MainWindowHeight = 0;

namespace Module1 {

void resetSharedState()
{
    KillPopups = false;
    KilledPopups = OpenWindows = 0;
    WindowWidth = WindowHeight = MainWindowWidth = MainWindowHeight = 0;
}

qint32 add(qint32 &counter, qint64 amount)
{
    const qint64 sum = qint64(counter) + qMax<qint64>(0, amount);
    counter = qint32(qMin<qint64>(sum, std::numeric_limits<qint32>::max()));
    return counter;
}

void loadOptions(SettingsStore &store)
{
    using namespace Settings;
    KillPopups = textToBoolean(store.GetSetting(AppName, OptionsSection, KeyKillPopups,
                                                QStringLiteral("0")));
    WindowWidth = readSize(store, KeyWindowWidth, DefaultWindowWidth);
    WindowHeight = readSize(store, KeyWindowHeight, DefaultWindowHeight);
    MainWindowWidth = readSize(store, KeyMainWindowWidth, DefaultMainWindowWidth);
    MainWindowHeight = readSize(store, KeyMainWindowHeight, DefaultMainWindowHeight);
}

QString clockText(const QTime &time, const QLocale &locale)
{
    return QStringLiteral("Time: ") + locale.toString(time, QStringLiteral("h:mm:ss AP"));
}

} // namespace Module1
