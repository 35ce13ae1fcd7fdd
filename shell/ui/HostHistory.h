#pragma once
// The history as the host keeps it for its browser windows: the one store
// every window records its pages in, the suggestions they share, and the
// History window, whose pages open in the browser window that asked for it
// (in a new one when that window has gone).
#include <QObject>
#include <QPointer>
#include <memory>

class BrowsingHistory;
class HistoryStore;
class frmBrowser;
class frmHistory;
class frmMain;

class HostHistory : public QObject
{
    Q_OBJECT
public:
    HostHistory(HistoryStore &store, frmMain &host);
    ~HostHistory() override;

    BrowsingHistory &browsing() { return *m_browsing; }
    HistoryStore &store() { return m_store; }
    // Shows the History window for `from` (null: the window in front).
    void show(frmBrowser *from);
    // Null until first shown.
    frmHistory *window() const;

private:
    void open(const QString &address);

    HistoryStore &m_store;
    frmMain &m_host;
    std::unique_ptr<BrowsingHistory> m_browsing;
    QPointer<frmHistory> m_window;
    QPointer<frmBrowser> m_asking;
};
