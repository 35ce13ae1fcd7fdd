#include "shell/ui/SaveFailureReport.h"

#include "common/ui/Dialogs.h"
#include "shell/core/Settings.h"

SaveFailureReport::SaveFailureReport(SettingsStore &store, Dialogs &dialogs, QWidget *host)
    : m_store(store), m_dialogs(dialogs), m_host(host)
{
    // Settings that cannot be stored are kept for this run; the person
    // hears of it once, with the file and the reason.
    m_store.setSaveFailedHandler([this](const SettingsStore::SaveFailure &failure) {
        if (m_reported)
            return;
        m_reported = true;
        const QString told = QStringLiteral("Lumeno could not save its settings to \"%1\": %2.")
                                 .arg(failure.file, failure.reason);
        if (m_ending) {
            m_kept = told;
            return;
        }
        m_dialogs.message(m_host, QMessageBox::Warning, QStringLiteral("Settings"),
                          told + QStringLiteral("\n\nIt goes on with them until it ends, but they will "
                                                "not be there at its next start."));
    });
}

SaveFailureReport::~SaveFailureReport()
{
    m_store.setSaveFailedHandler({});
}

void SaveFailureReport::finish(std::function<void()> ended)
{
    if (m_kept.isEmpty()) {
        ended();
        return;
    }
    qWarning("%s", qPrintable(m_kept));
    // The box closes by itself, and the program ends with it whatever the answer.
    m_dialogs.messageWithoutWaiting(nullptr, QMessageBox::Warning, QStringLiteral("Settings"),
                                    m_kept + QStringLiteral("\n\nLumeno ends now; the window sizes of this "
                                                            "run are not kept."),
                                    15000, std::move(ended));
}
