#pragma once
// A settings store in memory that also records every save, in order.
#include "shell/core/Settings.h"

#include <QMap>
#include <QStringList>

class MemorySettingsStore : public SettingsStore
{
public:
    QString GetSetting(const QString &app, const QString &section, const QString &key,
                       const QString &defaultText) override
    {
        return values.value(app + '/' + section + '/' + key, defaultText);
    }
    void SaveSetting(const QString &app, const QString &section, const QString &key,
                     const QString &text) override
    {
        values.insert(app + '/' + section + '/' + key, text);
        saves << key + '=' + text;
        if (failSaves)
            saveFailed({"memory:" + app, "the test says so"});
        else
            saveSucceeded();
    }
    void setOption(const QString &key, const QString &text)
    {
        values.insert(Settings::AppName + '/' + Settings::OptionsSection + '/' + key, text);
    }
    QString option(const QString &key) const
    {
        return values.value(Settings::AppName + '/' + Settings::OptionsSection + '/' + key);
    }

    QMap<QString, QString> values;
    QStringList saves; // "Key=text", in the order saved
    bool failSaves = false;
};
