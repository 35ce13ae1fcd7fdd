#include "shell/ui/frmMain.h"

#include "browser/core/Layout.h"
#include "browser/core/PageLifecycle.h"
#include "browser/ui/KeyMap.h"
#include "browser/ui/WebView.h"
#include "browser/ui/frmBrowser.h"
#include "common/ui/Dialogs.h"
#include "common/ui/ModalLoops.h"
#include "downloads/core/DownloadList.h"
#include "downloads/ui/frmDownloads.h"
#include "favorites/ui/frmEditFavs.h"
#include "shell/core/Module1.h"
#include "shell/core/Settings.h"
#include "shell/ui/HostMenus.h"
#include "shell/ui/HostHistory.h"
#include "shell/ui/HostSession.h"
#include "shell/ui/HostWindows.h"
#include "shell/ui/QuitQuestions.h"
#include "shell/ui/ReadmeViewer.h"
#include "shell/ui/SaveFailureReport.h"
#include "shell/ui/ScreenFit.h"
#include "shell/ui/StatusBar.h"
#include "shell/ui/WorkspaceSight.h"
#include "shell/ui/frmAbout.h"
#include "shell/ui/frmInternetOptions.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLayout>
#include <QLocale>
#include <QMenuBar>
#include <QProcess>
#include <QTime>
#include <QTimer>

#include <limits>

frmMain::frmMain(SettingsStore &store, WebViewFactory &views, Dialogs &dialogs, QWidget *parent)
    : QMainWindow(parent),
      SB(new StatusBar(this)),
      Timer1(new QTimer(this)),
      m_store(store),
      m_views(views),
      m_dialogs(dialogs),
      m_workspace(new QWidget(this)),
      m_markvaultPath(QStringLiteral("/opt/Markvault/markvault")),
      m_programDir(QCoreApplication::applicationDirPath()),
      m_windows(m_workspace)
{
    setWindowTitle(QStringLiteral("Lumeno 2.0"));
    setWindowIcon(QIcon(QStringLiteral(":/lumeno.xpm")));

    // The application-workspace colour behind the browser windows.
    m_workspace->setBackgroundRole(QPalette::Dark);
    m_workspace->setAutoFillBackground(true);
    setCentralWidget(m_workspace);
    setStatusBar(SB);
    m_sight = new WorkspaceSight(this, m_workspace, this);
    HostMenus::build(*this);
    if (DownloadList *downloads = views.downloads())
        m_downloads = new frmDownloads(*downloads, m_dialogs, this);
    mnuDownloads->setVisible(m_downloads != nullptr);
    m_quit = new QuitQuestions(this, m_dialogs, m_downloads ? views.downloads() : nullptr);

    connect(SB, &StatusBar::PanelClick, this, &frmMain::SB_PanelClick);
    connect(SB, &StatusBar::MouseUp, this, &frmMain::SB_MouseUp);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);
    Timer1->start();

    // Keys pressed in a browser window go to that window (see KeyMap);
    // elsewhere in the host these are the program's, as its menus have them.
    m_keys = new KeyMap(this, [this](KeyMap::Command command) { return HostMenus::runKey(*this, command); });
    Forms::add(this);

    m_saveFailures = std::make_unique<SaveFailureReport>(m_store, m_dialogs, this);
}

frmMain::~frmMain()
{
    Forms::remove(this);
    for (LoadedForm *form : Forms::loaded()) {
        if (form->formWidget() && isAncestorOf(form->formWidget()))
            Forms::remove(form);
    }
}

void frmMain::Form_Load(const QStringList &addresses)
{
    mnuQuit->setText(QStringLiteral("Quit\tAlt+F4"));
    Module1::loadOptions(m_store);
    setWidth(MainWindowWidth);
    setHeight(MainWindowHeight);
    fitToScreen();
    mnuDisablePopups->setChecked(KillPopups);
    if (QFileInfo(m_markvaultPath).isFile())
        mnuMarkvault->setVisible(true);
    m_sight->setTimes(PageLifecycle::timesFromText(
        m_store.GetSetting(Settings::AppName, Settings::OptionsSection, PageLifecycle::KeyFreezeAfterSeconds, {}),
        m_store.GetSetting(Settings::AppName, Settings::OptionsSection, PageLifecycle::KeyDiscardAfterMinutes, {})));
    if (m_session)
        return m_session->start(addresses);
    openWindow(addresses.value(0), Placement::HomeIfFirst);
    for (qsizetype i = 1; i < addresses.size(); ++i)
        openWindow(addresses[i], Placement::WhereItAppears);
}

void frmMain::openHandedOver(const QStringList &addresses)
{
    if (m_unloaded)
        return;
    if (addresses.isEmpty())
        OpenBrowserWindow();
    for (const QString &address : addresses)
        openWindow(address, Placement::HomeIfFirst);
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void frmMain::fitToScreen()
{
    ScreenFit::fit(this);
    m_loadedSize = size();
    // The workspace takes its size now, so the first window is fitted to it.
    if (layout())
        layout()->activate();
}

qint32 frmMain::Width() const
{
    return Layout::toTwips(width());
}

qint32 frmMain::Height() const
{
    return Layout::toTwips(height());
}

void frmMain::setWidth(qint32 twips)
{
    resize(Layout::toPixels(twips), height());
}

void frmMain::setHeight(qint32 twips)
{
    resize(width(), Layout::toPixels(twips));
}

frmBrowser *frmMain::openWindow(const QString &address, Placement placement)
{
    auto *window = new frmBrowser(*this, m_views, m_workspace);
    window->move(m_windows.nextPosition());
    window->Form_Load();
    window->show();
    if (placement == Placement::HomeIfFirst && m_windows.isEmpty())
        window->MoveTo(Layout::HomeLeft, Layout::HomeTop);
    adopt(window);
    if (m_session)
        m_session->windowOpened(window);
    if (!address.isEmpty())
        window->navigate(address);
    // A new window takes the focus, on its page, as a newly shown window does.
    window->focusPage();
    return window;
}

frmBrowser *frmMain::OpenBrowserWindow()
{
    return openWindow(QString(), Placement::HomeIfFirst);
}

frmBrowser *frmMain::openAtRest(const QRect &geometry, const QByteArray &history, const QString &address,
                                const QString &title, qreal zoom)
{
    auto *window = new frmBrowser(*this, m_views, m_workspace);
    window->loadAtRest(geometry, history, address, title, zoom);
    window->raise();
    adopt(window);
    return window;
}

void frmMain::adopt(frmBrowser *window)
{
    m_windows.add(window);
    m_sight->add(window, window->wb);
    windowsChanged();
}

QList<frmBrowser *> frmMain::browserWindows() const
{
    return m_windows.list();
}

void frmMain::switchWindow(frmBrowser *from, int step)
{
    m_windows.switchFrom(from, step);
}

void frmMain::editFavorites(frmBrowser *from)
{
    frmEditFavs editor(from, m_dialogs);
    editor.Form_Load();
    ModalLoops::exec(editor, from);
}

void frmMain::browserWindowClosed(frmBrowser *window)
{
    if (m_session)
        m_session->windowClosed(window);
    m_windows.remove(window);
    windowsChanged();
}

void frmMain::windowsChanged()
{
    OpenWindows = qint32(qMin<qsizetype>(m_windows.count(), std::numeric_limits<qint32>::max()));
    showOpenWindows();
}

void frmMain::popupsRefused(int count)
{
    Module1::add(KilledPopups, count);
    showKilledPopups();
}

void frmMain::showOpenWindows()
{
    SB->Panels(3)->setText(QStringLiteral("Open Windows: ") + QString::number(OpenWindows));
}

void frmMain::showKilledPopups()
{
    SB->Panels(4)->setText(QStringLiteral("Killed Popups: ") + QString::number(KilledPopups));
}

void frmMain::SB_PanelClick(StatusBarPanel *Panel)
{
    if (Panel->Index() == 1) {
        Panel->setBevel(StatusBarPanel::Inset);
        OpenBrowserWindow()->focusAddressBox();
    }
}

void frmMain::SB_MouseUp()
{
    SB->Panels(1)->setBevel(StatusBarPanel::Raised);
}

void frmMain::Timer1_Timer()
{
    SB->Panels(5)->setText(Module1::clockText(QTime::currentTime(), QLocale()));
}

void frmMain::mnuNewWindow_Click()
{
    // A new window is opened to go somewhere: the address box is ready for it.
    OpenBrowserWindow()->focusAddressBox();
}

void frmMain::mnuDownloads_Click()
{
    if (!m_downloads)
        return;
    m_downloads->show();
    m_downloads->raise();
    m_downloads->activateWindow();
}

void frmMain::setHistory(HistoryStore *store)
{
    delete m_history;
    m_history = store ? new HostHistory(*store, *this) : nullptr;
}

void frmMain::showHistory(frmBrowser *from)
{
    if (m_history)
        m_history->show(from);
}

void frmMain::mnuHistory_Click()
{
    showHistory(nullptr);
}

void frmMain::mnuQuit_Click()
{
    close();
}

void frmMain::mnuDisablePopups_Click()
{
    mnuDisablePopups->setChecked(!mnuDisablePopups->isChecked());
    KillPopups = mnuDisablePopups->isChecked();
    m_store.SaveSetting(Settings::AppName, Settings::OptionsSection, Settings::KeyKillPopups,
                        Settings::booleanToText(KillPopups));
    // Pages learn it at once, so their next request is decided the new way.
    for (frmBrowser *window : browserWindows())
        window->setNewWindowsRefused(KillPopups);
}

QString frmMain::supportPage()
{
    return QStringLiteral("http://www.lumeno.example/boards/fdisplay.php");
}

frmBrowser *frmMain::frontWindow() const
{
    return m_windows.front();
}

void frmMain::mnuMinimizeWindow_Click()
{
    if (frmBrowser *front = frontWindow())
        front->Minimize();
}

void frmMain::mnuWindow_AboutToShow()
{
    qDeleteAll(mnuWindowItems);
    mnuWindowItems = m_windows.menuItems(mnuWindow, [this](frmBrowser *window) { mnuWindowItem_Click(window); });
    mnuWindow->addActions(mnuWindowItems);
    sep4->setVisible(!mnuWindowItems.isEmpty());
}

void frmMain::mnuWindowItem_Click(frmBrowser *window)
{
    window->Restore();
}

void frmMain::mnuMarkvault_Click()
{
    QProcess process;
    process.setProgram(m_markvaultPath);
    if (!process.startDetached())
        m_dialogs.message(this, QMessageBox::Warning, QStringLiteral("Open Markvault"),
                          QStringLiteral("Markvault could not be started from \"%1\": %2.")
                              .arg(m_markvaultPath, process.errorString()));
}

void frmMain::mnuInetOptions_Click()
{
    frmBrowser *front = frontWindow();
    frmInternetOptions options(this, m_store, m_views, m_dialogs, front ? front->currentAddress() : QString(),
                               m_history ? &m_history->store() : nullptr);
    ModalLoops::exec(options, this);
}

void frmMain::mnuReadme_Click()
{
    ReadmeViewer::showProgramReadme(this, m_programDir, m_dialogs);
}

void frmMain::mnuWebSupport_Click()
{
    // Counted like every window, but left where it appears, even alone.
    openWindow(supportPage(), Placement::WhereItAppears);
}

void frmMain::mnuAbout_Click()
{
    frmAbout about(this);
    about.Form_Load();
    ModalLoops::exec(about, this);
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // Every page, and the downloads, are asked before anything goes.
    if (!m_unloaded && !std::exchange(m_quitAgreed, false)
        && m_quit->ask(m_windows.frontFirst(), [this] {
               m_quitAgreed = true;
               close();
           }) != QuitQuestions::Outcome::Agreed) {
        event->ignore();
        return;
    }
    Unload();
    event->accept();
}

void frmMain::storeHostSize()
{
    // Stored sizes change only when the user changed the size: a size that
    // was fitted to this screen at start-up leaves the stored one as it was.
    if (size() != m_loadedSize) {
        MainWindowHeight = Height();
        MainWindowWidth = Width();
    }
    Settings::saveInteger(m_store, Settings::KeyMainWindowHeight, MainWindowHeight);
    Settings::saveInteger(m_store, Settings::KeyMainWindowWidth, MainWindowWidth);
}

void frmMain::storeSizes()
{
    storeHostSize();
    // In the order the windows' unloads store them: the last one's stands.
    for (frmBrowser *window : browserWindows())
        window->storeSize();
}

void frmMain::endWithoutQuestions()
{
    // What Quit would store is stored first, while every form is still
    // there; then no dialog is shown any more, every event loop running
    // ends, and new ones return at once until the outermost has. The forms
    // are unloaded only after that (see runLumeno), when no code of theirs
    // waits on a loop.
    ModalLoops::endWithoutQuestions();
    if (!m_unloaded) {
        if (m_session)
            m_session->end(false);
        m_saveFailures->programEnds();
        storeSizes();
    }
    QCoreApplication::exit(0);
}

void frmMain::Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    // The windows are written as they stand before they unload: closing
    // them now is the program's end, not the person's.
    if (m_session)
        m_session->end(true);
    m_keys->stop();
    m_saveFailures->programEnds();
    storeHostSize();
    for (LoadedForm *form : Forms::loaded()) {
        if (form != this)
            form->Unload();
    }
    Forms::remove(this);
    Timer1->stop();
    // A failure to store the sizes is told on the way out, without holding
    // the end up.
    if (!m_saveFailures->isEmpty())
        hide();
    m_saveFailures->finish([host = QPointer<frmMain>(this)] {
        if (host)
            emit host->unloaded();
    });
}
