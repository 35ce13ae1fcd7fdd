#include "shell/ui/HostSession.h"

#include "browser/ui/frmBrowser.h"
#include "common/ui/MenuText.h"
#include "session/ui/SessionKeeper.h"
#include "session/ui/SessionRestore.h"
#include "shell/core/Settings.h"
#include "shell/ui/frmMain.h"

#include <QMenu>

HostSession::HostSession(frmMain &host, const QString &path)
    : QObject(&host), m_host(host), m_keeper(new SessionKeeper(*this, path, this))
{
    mnuReopenClosed = new QMenu(QStringLiteral("&Reopen Closed Window"), host.mnuFile);
    host.mnuFile->insertMenu(host.mnuDownloads, mnuReopenClosed);
    connect(mnuReopenClosed, &QMenu::aboutToShow, this, &HostSession::mnuReopenClosed_AboutToShow);
    // The menu opens only with something in it.
    mnuReopenClosed_AboutToShow();

    mnuReopenAtStart = new QAction(QStringLiteral("&Reopen Windows at Start"), host.mnuOptions);
    mnuReopenAtStart->setCheckable(true);
    host.mnuOptions->insertAction(host.sep1, mnuReopenAtStart);
    mnuReopenAtStart->setChecked(Settings::textToBoolean(host.store().GetSetting(
        Settings::AppName, Settings::OptionsSection, Settings::KeyReopenWindows, Settings::booleanToText(false))));
    connect(mnuReopenAtStart, &QAction::triggered, this, &HostSession::mnuReopenAtStart_Click);
}

HostSession::~HostSession() = default;

void HostSession::start(const QStringList &addresses)
{
    const std::optional<SessionStore::RunStart> run = m_keeper->runStart();
    const QList<WindowRecord> &last = m_keeper->lastSession().windows;
    if (mnuReopenAtStart->isChecked() && run && !run->uncleanEnd && !last.isEmpty()) {
        SessionRestore::restore(*m_keeper, *this, last);
        for (const QString &address : addresses)
            m_host.openWindow(address, frmMain::Placement::WhereItAppears);
        return;
    }
    frmBrowser *first = m_host.openWindow(addresses.value(0), frmMain::Placement::HomeIfFirst);
    for (qsizetype i = 1; i < addresses.size(); ++i)
        m_host.openWindow(addresses[i], frmMain::Placement::WhereItAppears);
    SessionRestore::offer(*m_keeper, *this, first);
}

void HostSession::windowOpened(frmBrowser *window)
{
    m_keeper->watch(window);
}

void HostSession::windowClosed(frmBrowser *window)
{
    m_keeper->windowClosed(window);
    mnuReopenClosed_AboutToShow();
}

frmBrowser *HostSession::reopenClosed(int index)
{
    const std::optional<WindowRecord> record = m_keeper->takeClosed(index);
    if (!record)
        return nullptr;
    frmBrowser *window = openAtRest(*record);
    m_keeper->watch(window, record->id);
    window->show();
    window->focusPage();
    mnuReopenClosed_AboutToShow();
    return window;
}

void HostSession::end(bool quit)
{
    m_keeper->end(quit);
}

void HostSession::mnuReopenClosed_AboutToShow()
{
    mnuReopenClosed->clear();
    const QList<ClosedWindow> &closed = m_keeper->closedWindows();
    for (int i = 0; i < closed.size(); ++i) {
        const WindowRecord &w = closed[i].window;
        QString text = asMenuText(w.title.isEmpty() ? w.address : w.title);
        // The key itself is handled with the other window keys (see KeyMap).
        if (i == 0)
            text += QStringLiteral("\tCtrl+Shift+T");
        QAction *item = mnuReopenClosed->addAction(text);
        connect(item, &QAction::triggered, this, [this, i] { reopenClosed(i); });
    }
    mnuReopenClosed->setEnabled(!closed.isEmpty());
}

void HostSession::mnuReopenAtStart_Click()
{
    m_host.store().SaveSetting(Settings::AppName, Settings::OptionsSection, Settings::KeyReopenWindows,
                               Settings::booleanToText(mnuReopenAtStart->isChecked()));
}

QWidget *HostSession::hostWindow()
{
    return &m_host;
}

Dialogs &HostSession::dialogs()
{
    return m_host.dialogs();
}

QList<frmBrowser *> HostSession::sessionWindows() const
{
    return m_host.browserWindows();
}

frmBrowser *HostSession::openAtRest(const WindowRecord &record)
{
    return m_host.openAtRest(record.geometry, record.history, record.address, record.title, record.zoom);
}
