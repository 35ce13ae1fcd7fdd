#pragma once
// Tells the person, once per run, that the settings could not be saved: at
// once while the program runs, and on the way out, in a box that holds
// nothing up, when the failure is first met while the program ends.
#include <QString>
#include <functional>

class Dialogs;
class QWidget;
class SettingsStore;

class SaveFailureReport
{
public:
    // Listens to the store's failures until it goes.
    SaveFailureReport(SettingsStore &store, Dialogs &dialogs, QWidget *host);
    ~SaveFailureReport();

    // From now on a failure is kept for finish() instead of shown.
    void programEnds() { m_ending = true; }
    // Whether nothing is kept to be told on the way out.
    bool isEmpty() const { return m_kept.isEmpty(); }
    // Runs `ended` once what was kept has been told (at once when nothing was).
    void finish(std::function<void()> ended);

private:
    SettingsStore &m_store;
    Dialogs &m_dialogs;
    QWidget *m_host;
    bool m_reported = false;
    bool m_ending = false;
    QString m_kept;
};
