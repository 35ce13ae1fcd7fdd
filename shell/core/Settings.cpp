#include "shell/core/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <cmath>
#include <limits>

namespace {
// QSettings says only that it failed; this finds the system's reason by
// trying what it tried, without changing the file.
QString whyNotWritable(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("a folder stands where the file should be");
    const QString dir = info.absolutePath();
    if (!QDir().mkpath(dir))
        return QStringLiteral("the folder \"%1\" could not be made").arg(dir);
    QSaveFile probe(path);
    if (!probe.open(QIODevice::WriteOnly))
        return probe.errorString();
    const QByteArray bytes(64 * 1024, '\n');
    if (probe.write(bytes) != bytes.size() || !probe.flush()) {
        const QString reason = probe.errorString();
        probe.cancelWriting();
        return reason;
    }
    probe.cancelWriting();
    return QStringLiteral("the file could not be written");
}
} // namespace

IniSettingsStore::IniSettingsStore(const QString &root)
    : m_root(root.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                            : root)
{
}

IniSettingsStore::~IniSettingsStore() = default;

QString IniSettingsStore::filePath(const QString &app) const
{
    return QDir(m_root).filePath(app + QLatin1Char('/') + app + QStringLiteral(".ini"));
}

QSettings &IniSettingsStore::settingsFor(const QString &app)
{
    if (!m_settings || m_openApp != app) {
        m_settings = std::make_unique<QSettings>(filePath(app), QSettings::IniFormat);
        m_openApp = app;
    }
    return *m_settings;
}

QString IniSettingsStore::GetSetting(const QString &app, const QString &section,
                                     const QString &key, const QString &defaultText)
{
    const QVariant value = settingsFor(app).value(section + QLatin1Char('/') + key);
    if (!value.isValid())
        return defaultText;
    // An INI value with an unquoted comma comes back as a list; it was text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void IniSettingsStore::SaveSetting(const QString &app, const QString &section,
                                   const QString &key, const QString &text)
{
    QSettings &s = settingsFor(app);
    s.setValue(section + QLatin1Char('/') + key, text);
    // Written at once, so that nothing stored is lost if the program dies.
    s.sync();
    if (s.status() == QSettings::NoError)
        saveSucceeded();
    else
        saveFailed({filePath(app), whyNotWritable(filePath(app))});
}


namespace Settings {

QString booleanToText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

std::optional<double> parseNumber(const QString &text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool textToBoolean(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    const auto number = parseNumber(t);
    return number && *number != 0.0;
}

qint32 roundHalfEven(double value)
{
    constexpr double lo = std::numeric_limits<qint32>::min();
    constexpr double hi = std::numeric_limits<qint32>::max();
    if (std::isnan(value))
        return 0;
    // nearbyint follows the default rounding mode, which is to nearest, ties to even.
    const double r = std::nearbyint(value);
    if (r <= lo)
        return std::numeric_limits<qint32>::min();
    if (r >= hi)
        return std::numeric_limits<qint32>::max();
    return static_cast<qint32>(r);
}

QString integerToText(qint32 value)
{
    return QString::number(value);
}

qint32 textToSize(const QString &text, qint32 defaultValue)
{
    const auto number = parseNumber(text);
    if (!number || *number < 0.0 || *number > LargestSize)
        return defaultValue;
    return roundHalfEven(*number);
}

qint32 readSize(SettingsStore &store, const QString &key, qint32 defaultValue)
{
    return textToSize(store.GetSetting(AppName, OptionsSection, key, integerToText(defaultValue)),
                      defaultValue);
}

void saveInteger(SettingsStore &store, const QString &key, qint32 value)
{
    store.SaveSetting(AppName, OptionsSection, key, integerToText(value));
}

} // namespace Settings
