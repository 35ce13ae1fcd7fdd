#include "shell/ui/HostMenus.h"

#include "shell/ui/frmMain.h"

#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>

namespace {
// Alt alone reaches the menu bar whatever the desktop style says: Qt leaves
// it to the style, and the styles of this platform leave it out.
class AltReachesMenuBar : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returned) const override
    {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};
} // namespace

namespace HostMenus {

void build(frmMain &host)
{
    QMenuBar *bar = host.menuBar();
    auto *style = new AltReachesMenuBar;
    style->setParent(bar);
    bar->setStyle(style);

    host.mnuFile = bar->addMenu(QStringLiteral("&File"));
    host.mnuNewWindow = host.mnuFile->addAction(QStringLiteral("&New Window"));
    host.mnuNewWindow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    host.mnuDownloads = host.mnuFile->addAction(QStringLiteral("&Downloads..."));
    // Ctrl+H and Ctrl+M are shown here; the keys themselves go to the page
    // first (see KeyMap), so they are no shortcuts of the items.
    host.mnuHistory = host.mnuFile->addAction(QStringLiteral("&History...\tCtrl+H"));
    host.sep2 = host.mnuFile->addSeparator();
    host.mnuQuit = host.mnuFile->addAction(QStringLiteral("&Quit"));

    host.mnuOptions = bar->addMenu(QStringLiteral("&Options"));
    host.mnuDisablePopups = host.mnuOptions->addAction(QStringLiteral("&Disable Popups"));
    host.mnuDisablePopups->setCheckable(true);
    host.mnuMarkvault = host.mnuOptions->addAction(QStringLiteral("Open Markvault"));
    host.mnuMarkvault->setVisible(false);
    host.sep1 = host.mnuOptions->addSeparator();
    host.mnuInetOptions = host.mnuOptions->addAction(QStringLiteral("&Internet Options..."));

    host.mnuWindow = bar->addMenu(QStringLiteral("&Window"));
    host.mnuMinimizeWindow = host.mnuWindow->addAction(QStringLiteral("Mi&nimize\tCtrl+M"));
    host.sep4 = host.mnuWindow->addSeparator();

    host.mnuHelp = bar->addMenu(QStringLiteral("&Help"));
    // F1 is shown here; the key itself is handled with the other window keys.
    host.mnuReadme = host.mnuHelp->addAction(QStringLiteral("&Read Me\tF1"));
    host.mnuWebSupport = host.mnuHelp->addAction(QStringLiteral("&Web Support..."));
    host.sep3 = host.mnuHelp->addSeparator();
    host.mnuAbout = host.mnuHelp->addAction(QStringLiteral("&About"));

    QObject::connect(host.mnuNewWindow, &QAction::triggered, &host, &frmMain::mnuNewWindow_Click);
    QObject::connect(host.mnuDownloads, &QAction::triggered, &host, &frmMain::mnuDownloads_Click);
    QObject::connect(host.mnuHistory, &QAction::triggered, &host, &frmMain::mnuHistory_Click);
    QObject::connect(host.mnuQuit, &QAction::triggered, &host, &frmMain::mnuQuit_Click);
    QObject::connect(host.mnuMarkvault, &QAction::triggered, &host, &frmMain::mnuMarkvault_Click);
    QObject::connect(host.mnuInetOptions, &QAction::triggered, &host, &frmMain::mnuInetOptions_Click);
    QObject::connect(host.mnuReadme, &QAction::triggered, &host, &frmMain::mnuReadme_Click);
    QObject::connect(host.mnuWebSupport, &QAction::triggered, &host, &frmMain::mnuWebSupport_Click);
    QObject::connect(host.mnuAbout, &QAction::triggered, &host, &frmMain::mnuAbout_Click);
    QObject::connect(host.mnuMinimizeWindow, &QAction::triggered, &host, &frmMain::mnuMinimizeWindow_Click);
    QObject::connect(host.mnuWindow, &QMenu::aboutToShow, &host, &frmMain::mnuWindow_AboutToShow);
    // The action checks itself before it reports the trigger; the handler
    // does the inverting, as the command is defined.
    QObject::connect(host.mnuDisablePopups, &QAction::triggered, &host, [&host] {
        host.mnuDisablePopups->setChecked(!host.mnuDisablePopups->isChecked());
        host.mnuDisablePopups_Click();
    });
}

void open(frmMain &host)
{
    // The menu takes the keys while it is open (Left and Right go on to the
    // other menus); closed, the focus is where it was.
    host.menuBar()->setActiveAction(host.mnuFile->menuAction());
}

bool runKey(frmMain &host, KeyMap::Command command)
{
    if (command == KeyMap::Command::ReopenClosed) {
        host.reopenClosedWindow();
        return true;
    }
    QAction *item = command == KeyMap::Command::ReadMe     ? host.mnuReadme
                    : command == KeyMap::Command::History  ? host.mnuHistory
                    : command == KeyMap::Command::Minimize ? host.mnuMinimizeWindow
                                                           : nullptr;
    if (item)
        item->trigger();
    else if (command == KeyMap::Command::MenuBar)
        open(host);
    return item || command == KeyMap::Command::MenuBar;
}

} // namespace HostMenus
