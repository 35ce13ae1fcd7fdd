#pragma once
// The host: the program's only top-level window. Its workspace holds the
// browser windows; below it sits the status bar with the window and pop-up
// counts and the clock.
#include "browser/ui/BrowserHost.h"
#include "common/ui/Forms.h"
#include "shell/ui/HostHistory.h"
#include "shell/ui/HostMenus.h"
#include "shell/ui/HostSession.h"
#include "shell/ui/HostWindows.h"
#include "shell/ui/QuitQuestions.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class Dialogs;
class HistoryStore;
class HostHistory;
class KeyMap;
class SaveFailureReport;
class QAction;
class QMenu;
class QTimer;
class SettingsStore;
class StatusBar;
class StatusBarPanel;
class WebViewFactory;
class WorkspaceSight;
class frmBrowser;
class frmDownloads;
class frmHistory;

class frmMain : public QMainWindow, public LoadedForm, public BrowserHost
{
    Q_OBJECT
public:
    frmMain(SettingsStore &store, WebViewFactory &views, Dialogs &dialogs, QWidget *parent = nullptr);
    ~frmMain() override;

    // Restores the options and the host's size and opens the first window:
    // on the first address given, each further address in a window of its
    // own; with none, on the home page.
    void Form_Load(const QStringList &addresses = {});
    // Stores the host's size and unloads every form. Runs once.
    void Unload() override;
    // Stores the sizes of the host and of every window, as Unload does.
    void storeSizes();
    // A request to end from outside (the session ending, SIGTERM): stores
    // what Unload stores, asks nothing and ends every event loop, those of
    // dialogs that are up included. The program unloads the forms once its
    // outermost loop has returned.
    void endWithoutQuestions();
    QWidget *formWidget() override { return this; }
    bool isUnloaded() const { return m_unloaded; }
    // A Quit is asking the pages, or the downloads, before anything goes.
    bool isAskingToQuit() const { return m_quit->isAsking(); }

    // Outer size in twips.
    qint32 Width() const;
    qint32 Height() const;
    void setWidth(qint32 twips);
    void setHeight(qint32 twips);

    // Where a new window goes: the first of an empty host to (60, 60), or
    // where it appears, as every later one.
    enum class Placement { HomeIfFirst, WhereItAppears };
    // Every way of opening a browser window ends here: it joins the list,
    // shows `address` (its home page when empty) and takes the focus.
    frmBrowser *openWindow(const QString &address, Placement placement);
    // A window on its home page; the first of an empty host goes to (60, 60).
    frmBrowser *OpenBrowserWindow();
    // A window at `geometry`, its page at rest at a kept history: it loads
    // when it is seen (see frmBrowser::loadAtRest). In front of the others,
    // not shown yet.
    frmBrowser *openAtRest(const QRect &geometry, const QByteArray &history, const QString &address,
                           const QString &title, qreal zoom);
    // Keeps the windows in the session file at `path` from now on; call
    // before Form_Load, which then offers what the last run left.
    void keepSession(const QString &path)
    {
        if (!m_session)
            m_session = new HostSession(*this, path);
    }
    HostSession *session() const { return m_session; }
    // Addresses a later start of the program handed over: each opens in a
    // new window (none: one on the home page), and the host comes forward.
    void openHandedOver(const QStringList &addresses);
    // The open browser windows, oldest first.
    QList<frmBrowser *> browserWindows() const;

    // Rewrite panels 3 and 4 from the shared counters.
    void showOpenWindows();
    void showKilledPopups();

    // What a browser window may ask of its host.
    SettingsStore &store() override { return m_store; }
    Dialogs &dialogs() override { return m_dialogs; }
    QWidget *workspace() const override { return m_workspace; }
    void browserWindowClosed(frmBrowser *window) override;
    void popupsRefused(int count) override;
    void showReadme() override { mnuReadme_Click(); }
    void closeHost() override { close(); }
    void takeFocus() override { setFocus(Qt::OtherFocusReason); }
    void switchWindow(frmBrowser *from, int step) override;
    void editFavorites(frmBrowser *from) override;
    // The history every browser window records in, before Form_Load; without
    // it the windows keep none and suggest nothing.
    void setHistory(HistoryStore *store);
    BrowsingHistory *history() override { return m_history ? &m_history->browsing() : nullptr; }
    void showHistory(frmBrowser *from) override;
    void openMenuBar() override { HostMenus::open(*this); }
    // Null without a history or until first shown.
    frmHistory *historyWindow() const { return m_history ? m_history->window() : nullptr; }
    void reopenClosedWindow() override
    {
        if (m_session && !m_unloaded)
            m_session->reopenClosed();
    }
    // Where the bookmark manager is looked for at start-up.
    void setMarkvaultPath(const QString &path) { m_markvaultPath = path; }

    StatusBar *SB;
    QTimer *Timer1;

    QMenu *mnuFile;
    QAction *mnuNewWindow;
    QAction *mnuDownloads;
    QAction *mnuHistory;
    QAction *sep2;
    QAction *mnuQuit;
    QMenu *mnuOptions;
    QAction *mnuDisablePopups;
    QAction *mnuMarkvault;
    QAction *sep1;
    QAction *mnuInetOptions;
    // Minimize the window in front; below, every window, to bring one back.
    QMenu *mnuWindow;
    QAction *mnuMinimizeWindow;
    QAction *sep4;
    QList<QAction *> mnuWindowItems;
    QMenu *mnuHelp;
    QAction *mnuReadme;
    QAction *mnuWebSupport;
    QAction *sep3;
    QAction *mnuAbout;

    void SB_PanelClick(StatusBarPanel *Panel);
    void SB_MouseUp();
    void Timer1_Timer();

    void mnuNewWindow_Click();
    void mnuDownloads_Click();
    void mnuHistory_Click();
    void mnuQuit_Click();
    void mnuDisablePopups_Click();
    void mnuMarkvault_Click();
    void mnuInetOptions_Click();
    void mnuReadme_Click();
    void mnuWebSupport_Click();
    void mnuAbout_Click();
    void mnuMinimizeWindow_Click();
    void mnuWindow_AboutToShow();
    void mnuWindowItem_Click(frmBrowser *window);

    // The page the support command opens.
    static QString supportPage();
    // Where the read-me is looked for, and how a text file is shown.
    void setProgramDirectory(const QString &dir) { m_programDir = dir; }
    // The browser window in front, if any.
    frmBrowser *frontWindow() const;
    frmDownloads *downloadsWindow() const { return m_downloads; }
    // Which windows can be seen, and the rest their pages get.
    WorkspaceSight *sight() const { return m_sight; }

signals:
    // The host has unloaded every form; the program ends.
    void unloaded();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void storeHostSize();
    // Counts a window just made among the host's, and watches whether it is seen.
    void adopt(frmBrowser *window);
    // OpenWindows is the size of the list, and the panel shows it.
    void windowsChanged();
    // Brings the stored size within the screen's free area.
    void fitToScreen();

    SettingsStore &m_store;
    WebViewFactory &m_views;
    Dialogs &m_dialogs;
    QWidget *m_workspace;
    QString m_markvaultPath;
    QString m_programDir;
    HostWindows m_windows;
    // The downloads of this run, when the views can download.
    frmDownloads *m_downloads = nullptr;
    WorkspaceSight *m_sight;
    HostHistory *m_history = nullptr;
    KeyMap *m_keys;
    bool m_unloaded = false;
    std::unique_ptr<SaveFailureReport> m_saveFailures;
    QuitQuestions *m_quit;
    HostSession *m_session = nullptr;
    // Every page let go and the downloads may go: the next close is Quit.
    bool m_quitAgreed = false;
    // The size the host had once its stored size was fitted to the screen.
    QSize m_loadedSize;
};
