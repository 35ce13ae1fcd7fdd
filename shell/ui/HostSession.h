#pragma once
// The host's side of the session: what it keeps of the host's windows, what
// it offers or brings back at start, and the ways back to a closed window
// (File > Reopen Closed Window, Ctrl+Shift+T), and the option to reopen the
// last Quit's windows at every start.
#include "session/ui/SessionHost.h"

#include <QObject>
#include <QStringList>

class QAction;
class QMenu;
class SessionKeeper;
class frmMain;

class HostSession : public QObject, public SessionHost
{
    Q_OBJECT
public:
    // Keeps the session in the file at `path`; adds its items to the host's
    // File and Options menus.
    HostSession(frmMain &host, const QString &path);
    ~HostSession() override;

    // The start: one window on the first address (home when none), each
    // further address in a window of its own, and the last run's windows
    // offered in a bar of the first one after an unclean end. With "Reopen
    // Windows at Start" on, after a Quit, the last Quit's windows come back
    // instead of the home page, and the addresses open in addition.
    void start(const QStringList &addresses);
    void windowOpened(frmBrowser *window);
    void windowClosed(frmBrowser *window);
    // Brings a closed window back (0 is the one closed last).
    frmBrowser *reopenClosed(int index = 0);
    // See SessionKeeper::end.
    void end(bool quit);
    SessionKeeper &keeper() { return *m_keeper; }

    QMenu *mnuReopenClosed;
    QAction *mnuReopenAtStart;

    // SessionHost
    QWidget *hostWindow() override;
    Dialogs &dialogs() override;
    QList<frmBrowser *> sessionWindows() const override;
    frmBrowser *openAtRest(const WindowRecord &record) override;

private:
    void mnuReopenClosed_AboutToShow();
    void mnuReopenAtStart_Click();

    frmMain &m_host;
    SessionKeeper *m_keeper;
};
