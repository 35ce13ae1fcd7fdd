#include "shell/core/Settings.h"

#include "history/core/AddressInput.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

namespace {
// QSettings says only that it failed; this finds the system's reason by
// trying what it tried, without changing the file.
QString whyNotWritable(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("a folder stands where the file should be");
    // Nothing is written over what could not be read.
    if (info.exists() && !QFile(path).open(QIODevice::ReadOnly))
        return QStringLiteral("it cannot be read, so it is left as it is");
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
QString textOf(const QVariant &value)
{
    // An INI value with an unquoted comma comes back as a list; it was text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
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
    return textOf(value);
}

void IniSettingsStore::SaveSetting(const QString &app, const QString &section,
                                   const QString &key, const QString &text)
{
    QSettings &s = settingsFor(app);
    const QString file = filePath(app);
    // Lines the reader could not make sense of are dropped when the file is
    // written again: the file as it was is kept beside it first.
    if (s.status() == QSettings::FormatError && m_damagedKept != file) {
        m_damagedKept = file;
        const QString copy = file + QStringLiteral(".damaged-")
                             + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        if (QFile::copy(file, copy))
            qWarning("Lumeno: the settings file %s had lines that could not be read; "
                     "it is kept as it was in %s.", qPrintable(file), qPrintable(copy));
    }
    const QString name = section + QLatin1Char('/') + key;
    s.setValue(name, text);
    // Written at once, so that nothing stored is lost if the program dies.
    s.sync();
    if (s.status() == QSettings::NoError) {
        saveSucceeded();
        return;
    }
    // The status also tells of a read that met a damaged file, and once set
    // it stays: whether the value reached the file is told by the file.
    if (s.status() == QSettings::FormatError) {
        auto written = std::make_unique<QSettings>(file, QSettings::IniFormat);
        if (written->status() == QSettings::NoError && textOf(written->value(name)) == text) {
            // The file reads cleanly now; later failures show in its status.
            m_settings = std::move(written);
            saveSucceeded();
            return;
        }
    }
    saveFailed({file, whyNotWritable(file)});
}


namespace Settings {

QString booleanToText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
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

QString searchAddress(SettingsStore &store)
{
    const QString stored = store.GetSetting(AppName, InternetSection, KeySearchAddress, QString());
    return AddressInput::isSearchTemplate(stored) ? stored : AddressInput::defaultSearchTemplate();
}

} // namespace Settings
