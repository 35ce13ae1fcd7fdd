#pragma once
// The per-user settings store and the text forms of the stored options.
#include "common/core/Units.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QSettings;

// Text values keyed by application, section and key; a missing key gives the
// caller's default. Nothing is ever deleted. A value whose save failed is
// still read back until the program ends.
class SettingsStore
{
public:
    // Where a save could not go, and the system's reason.
    struct SaveFailure
    {
        QString file;
        QString reason;
    };
    using SaveFailedHandler = std::function<void(const SaveFailure &)>;

    virtual ~SettingsStore() = default;
    virtual QString GetSetting(const QString &app, const QString &section, const QString &key,
                               const QString &defaultText) = 0;
    virtual void SaveSetting(const QString &app, const QString &section, const QString &key,
                             const QString &text) = 0;

    // The last save's failure, if it failed.
    std::optional<SaveFailure> lastSaveFailure() const { return m_lastFailure; }
    // Told of every failed save, as it happens.
    void setSaveFailedHandler(SaveFailedHandler handler) { m_onSaveFailed = std::move(handler); }

protected:
    // Stores report each save's outcome here.
    void saveSucceeded() { m_lastFailure.reset(); }
    void saveFailed(const SaveFailure &failure)
    {
        m_lastFailure = failure;
        if (m_onSaveFailed)
            m_onSaveFailed(failure);
    }

private:
    std::optional<SaveFailure> m_lastFailure;
    SaveFailedHandler m_onSaveFailed;
};

// The store on disk: one INI file per application under the per-user config
// directory ($XDG_CONFIG_HOME, else ~/.config): <root>/<app>/<app>.ini.
// A file that cannot be read reads as empty and is never written over; one
// that cannot be written is left as it is. Neither stops the program. A file
// with lines that cannot be read is kept as it was beside it
// (<file>.damaged-<date>-<time>) before it is first written; that is no
// failure to save.
class IniSettingsStore : public SettingsStore
{
public:
    // An empty root means the per-user config directory.
    explicit IniSettingsStore(const QString &root = QString());
    ~IniSettingsStore() override;

    QString GetSetting(const QString &app, const QString &section, const QString &key,
                       const QString &defaultText) override;
    void SaveSetting(const QString &app, const QString &section, const QString &key,
                     const QString &text) override;

    QString filePath(const QString &app) const;

private:
    QSettings &settingsFor(const QString &app);

    QString m_root;
    QString m_openApp;
    // The damaged file whose copy was kept this run.
    QString m_damagedKept;
    std::unique_ptr<QSettings> m_settings;
};

namespace Settings {

inline const QString AppName = QStringLiteral("Lumeno2");
inline const QString OptionsSection = QStringLiteral("Options");
inline const QString InternetSection = QStringLiteral("Internet");
inline const QString KeyKillPopups = QStringLiteral("KillPopups");
inline const QString KeyWindowWidth = QStringLiteral("WindowWidth");
inline const QString KeyWindowHeight = QStringLiteral("WindowHeight");
inline const QString KeyMainWindowWidth = QStringLiteral("MainWindowWidth");
inline const QString KeyMainWindowHeight = QStringLiteral("MainWindowHeight");
inline const QString KeyHomePage = QStringLiteral("HomePage");
// Where words typed in the address box are searched: a web address with
// "%s" where the words go.
inline const QString KeySearchAddress = QStringLiteral("SearchAddress");
// "True": a normal start brings back the windows of the last Quit.
inline const QString KeyReopenWindows = QStringLiteral("ReopenWindows");

constexpr qint32 DefaultWindowWidth = 6645;
constexpr qint32 DefaultWindowHeight = 4440;
constexpr qint32 DefaultMainWindowWidth = 10425;
constexpr qint32 DefaultMainWindowHeight = 7320;
// No screen is this large; a stored size beyond it is taken as damage.
constexpr qint32 LargestSize = 1000000;

// "True" or "False".
QString booleanToText(bool value);
// "True"/"False" in any letter case, or a number (0 false, anything else true).
// Anything else reads as false.
bool textToBoolean(const QString &text);

using Units::parseNumber;
using Units::roundHalfEven;
// Plain decimal digits with a leading "-" when negative.
QString integerToText(qint32 value);
// A stored window size: the rounded number, or the default when the text is
// not a number or lies outside 0 .. LargestSize.
qint32 textToSize(const QString &text, qint32 defaultValue);

// Reads a size from the Options section of the program's own store.
qint32 readSize(SettingsStore &store, const QString &key, qint32 defaultValue);
// Stores an integer in the Options section of the program's own store.
void saveInteger(SettingsStore &store, const QString &key, qint32 value);

// The search address of the Internet section; the default where none is
// set or the one set is no search address.
QString searchAddress(SettingsStore &store);

} // namespace Settings
