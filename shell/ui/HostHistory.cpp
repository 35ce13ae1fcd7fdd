#include "shell/ui/HostHistory.h"

#include "browser/ui/frmBrowser.h"
#include "history/core/BrowsingHistory.h"
#include "history/core/HistoryStore.h"
#include "history/ui/frmHistory.h"
#include "shell/ui/frmMain.h"

HostHistory::HostHistory(HistoryStore &store, frmMain &host)
    : QObject(&host), m_store(store), m_host(host), m_browsing(std::make_unique<BrowsingHistory>(store))
{
}

HostHistory::~HostHistory()
{
    delete m_window;
}

frmHistory *HostHistory::window() const
{
    return m_window;
}

void HostHistory::show(frmBrowser *from)
{
    m_asking = from ? from : m_host.frontWindow();
    if (!m_window) {
        m_window = new frmHistory(m_store, &m_host);
        connect(m_window, &frmHistory::openRequested, this, &HostHistory::open);
    }
    m_window->showForSearch();
}

void HostHistory::open(const QString &address)
{
    if (m_host.isUnloaded())
        return;
    frmBrowser *target = m_asking;
    if (!target) {
        m_asking = m_host.openWindow(address, frmMain::Placement::WhereItAppears);
        return;
    }
    target->navigate(address);
    if (target->isMinimizedInHost())
        target->Restore();
    target->raise();
    // The History window stays open beside the host, for the next page.
    m_host.activateWindow();
    target->focusPage();
}
