#include "browser/ui/frmBrowser.h"

#include "browser/ui/AddressBox.h"
#include "browser/ui/FavoriteAddedBar.h"
#include "browser/ui/WebView.h"
#include "shell/core/Module1.h"
#include "shell/core/Settings.h"
#include "common/ui/Dialogs.h"
#include "common/ui/FileDialogs.h"
#include "common/ui/ModalLoops.h"
#include "common/ui/Twips.h"
#include "browser/ui/BrowserHost.h"
#include "browser/ui/TitleBar.h"
#include "browser/ui/WindowClosing.h"

#include <QApplication>
#include <QDir>
#include <QRegularExpression>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QToolButton>

using Twips::arial;
using Twips::place;

namespace {
constexpr int BorderPx = Layout::BorderTwips / Layout::TwipsPerPixel;

TwipRect twipsOf(const QWidget *w)
{
    const QRect g = w->geometry();
    return {Layout::toTwips(g.x()), Layout::toTwips(g.y()), Layout::toTwips(g.width()),
            Layout::toTwips(g.height())};
}

} // namespace

frmBrowser::frmBrowser(BrowserHost &host, WebViewFactory &views, QWidget *parent)
    : QWidget(parent), m_favoritesMenu(std::make_unique<FavoritesMenu>(this, host.dialogs())),
      mnuPopUp(m_favoritesMenu->popUp), mnuAddFav(m_favoritesMenu->addFavorite),
      mnuEditFavs(m_favoritesMenu->editFavorites), mnuSep1(m_favoritesMenu->separator),
      mnuFavorites(m_favoritesMenu->favorites), mnuFavorite(m_favoritesMenu->items), m_host(host),
      m_client(new QWidget(this)), m_closing(new WindowClosing(*this, host))
{
    // The design size, until the load gives the remembered one.
    resize(Layout::toPixels(Settings::DefaultWindowWidth),
           Layout::toPixels(Settings::DefaultWindowHeight));
    setFocusPolicy(Qt::ClickFocus);
    setupPalettes();
    wb = views.create(m_client);
    buildTitleBar();
    buildStrip();
    buildMenus();
    connectView();
    buildFindBar();
    buildAddressTools();
    connect(qApp, &QApplication::focusChanged, this, &frmBrowser::onFocusChanged);
    Forms::add(this);
}

void frmBrowser::buildStrip()
{
    cmdBack = stripButton("cmdBack", ":/back.xpm", Layout::cmdBack, QStringLiteral("Go Back"));
    cmdForward = stripButton("cmdForward", ":/forward.xpm", Layout::cmdForward, QStringLiteral("Go Forward"));
    cmdStop = stripButton("cmdStop", ":/stop.xpm", Layout::cmdStop,
                          QStringLiteral("Stop the current page from loading"));
    cmdGoHome = stripButton("cmdGoHome", ":/home.xpm", Layout::cmdGoHome,
                            QStringLiteral("Navigate to your homepage"));
    cmdRefresh = stripButton("cmdRefresh", ":/refresh.xpm", Layout::cmdRefresh,
                             QStringLiteral("Refresh the current page"));

    lblCaption = new QLabel(QStringLiteral("URL:"), picStatus);
    lblCaption->setFont(arial(8.25, true));
    place(lblCaption, Layout::lblCaption);
    lblCaption->setToolTip(QStringLiteral("Click here to access the menu"));

    txtURL = new AddressBox(picStatus);
    txtURL->setFont(arial(8.25, false));
    txtURL->setFrame(true);
    QPalette white = txtURL->palette();
    white.setColor(QPalette::Base, Qt::white);
    white.setColor(QPalette::Text, Qt::black);
    txtURL->setPalette(white);
    place(txtURL, Layout::txtURL);

    cmdGo = stripButton("cmdGo", ":/go.xpm", Layout::cmdGo,
                        QStringLiteral("Navigate to the address in the URL box"));

    // Close and favorites lie over the title band.
    cmdClose->raise();
    imgFavs->raise();

    setTabOrder(wb, picStatus);
    setTabOrder(picStatus, txtURL);
    setTabOrder(txtURL, cmdGo);
    setTabOrder(cmdGo, cmdGoHome);
    setTabOrder(cmdGoHome, cmdBack);
    setTabOrder(cmdBack, cmdForward);
    setTabOrder(cmdForward, cmdStop);
    setTabOrder(cmdStop, cmdRefresh);
    setTabOrder(cmdRefresh, cmdClose);

    connect(cmdBack, &QToolButton::clicked, this, &frmBrowser::cmdBack_Click);
    connect(cmdForward, &QToolButton::clicked, this, &frmBrowser::cmdForward_Click);
    connect(cmdStop, &QToolButton::clicked, this, &frmBrowser::cmdStop_Click);
    connect(cmdGoHome, &QToolButton::clicked, this, &frmBrowser::cmdGoHome_Click);
    connect(cmdRefresh, &QToolButton::clicked, this, &frmBrowser::cmdRefresh_Click);
    connect(cmdGo, &QToolButton::clicked, this, &frmBrowser::cmdGo_Click);
    cmdGo->installEventFilter(this);
    connect(txtURL, &AddressBox::GotFocus, this, &frmBrowser::txtURL_GotFocus);
    connect(txtURL, &AddressBox::EnterPressed, this, &frmBrowser::txtURL_EnterPressed);

}

void frmBrowser::buildMenus()
{
    connect(mnuAddFav, &QAction::triggered, this, &frmBrowser::mnuAddFav_Click);
    connect(mnuEditFavs, &QAction::triggered, this, &frmBrowser::mnuEditFavs_Click);
    connect(mnuFavorites, &QMenu::triggered, this, [this](QAction *item) {
        const int index = mnuFavorite.indexOf(item);
        if (index >= 0)
            mnuFavorite_Click(index);
    });

    mnuSystem = new QMenu(QStringLiteral("System"), this);
    mnuMinimize = mnuSystem->addAction(QStringLiteral("Minimize"));
    mnuMaximize = mnuSystem->addAction(QStringLiteral("Maximize"));
    mnuPrintSep = mnuSystem->addSeparator();
    // Ctrl+P is shown here; the key itself is handled with the other window keys.
    mnuPrint = mnuSystem->addAction(QStringLiteral("Print...\tCtrl+P"));
    mnuSavePdf = mnuSystem->addAction(QStringLiteral("Save as PDF..."));
    mnuSysSep = mnuSystem->addSeparator();
    mnuClose = mnuSystem->addAction(QStringLiteral("Close"));
    mnuClose->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    mnuClose->setShortcutContext(Qt::WidgetShortcut);
    mnuSystem->setDefaultAction(mnuMaximize);
    connect(mnuMinimize, &QAction::triggered, this, &frmBrowser::mnuMinimize_Click);
    connect(mnuMaximize, &QAction::triggered, this, &frmBrowser::mnuMaximize_Click);
    connect(mnuClose, &QAction::triggered, this, &frmBrowser::mnuClose_Click);
    connect(mnuPrint, &QAction::triggered, this, &frmBrowser::mnuPrint_Click);
    connect(mnuSavePdf, &QAction::triggered, this, &frmBrowser::mnuSavePdf_Click);
    lblCaption->installEventFilter(this);

}

void frmBrowser::connectView()
{
    connect(wb, &WebView::GotFocus, this, &frmBrowser::wb_GotFocus);
    connect(wb, &WebView::BeforeNavigate2, this, &frmBrowser::wb_BeforeNavigate2);
    connect(wb, &WebView::CommandStateChange, this, &frmBrowser::wb_CommandStateChange);
    connect(wb, &WebView::NavigateComplete2, this, &frmBrowser::wb_NavigateComplete2);
    connect(wb, &WebView::DocumentComplete, this, &frmBrowser::wb_DocumentComplete);
    connect(wb, &WebView::NewWindow2, this, &frmBrowser::wb_NewWindow2, Qt::DirectConnection);
    connect(wb, &WebView::NewWindowsRefused, this, &frmBrowser::wb_NewWindowsRefused);
    connect(wb, &WebView::PageLoaded, this, &frmBrowser::wb_PageLoaded);
    connect(wb, &WebView::TitleChange, this, &frmBrowser::wb_TitleChange);
    connect(wb, &WebView::KeyNotTaken, this, &frmBrowser::wb_KeyNotTaken);
}

frmBrowser::~frmBrowser()
{
    // A bar still shown goes with the window's children: the window is no
    // longer laid out for it.
    m_unloaded = true;
    Forms::remove(this);
}

QToolButton *frmBrowser::stripButton(const char *name, const char *picture, const TwipRect &at,
                                     const QString &toolTip)
{
    auto *b = new QToolButton(picStatus);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(QIcon(QString::fromLatin1(picture)));
    b->setIconSize(QSize(16, 16));
    b->setToolTip(toolTip);
    b->setFocusPolicy(Qt::StrongFocus);
    place(b, at);
    return b;
}

frmBrowser *frmBrowser::containing(QObject *object)
{
    for (QObject *o = object; o; o = o->parent()) {
        if (auto *w = qobject_cast<frmBrowser *>(o))
            return w;
    }
    return nullptr;
}

void frmBrowser::Form_Load()
{
    loadWindow();
    wb->GoHome();
}

void frmBrowser::loadAtRest(const QRect &geometry, const QByteArray &history, const QString &address,
                            const QString &title, qreal zoom)
{
    loadWindow();
    move(geometry.topLeft());
    setWidth(Layout::toTwips(geometry.width()));
    setHeight(Layout::toTwips(geometry.height()));
    // The size it had is no new choice of the person's.
    m_loadedSize = size();
    wb->restoreAtRest(history, address, title, zoom);
}

void frmBrowser::loadWindow()
{
    setWidth(WindowWidth);
    setHeight(WindowHeight);
    // Never larger than the workspace: the engine would draw a page of any
    // size it is given, at any cost.
    if (const QWidget *area = m_host.workspace(); area && area->width() > 0 && area->height() > 0) {
        if (width() > area->width())
            setWidth(Layout::toTwips(area->width()));
        if (height() > area->height())
            setHeight(Layout::toTwips(area->height()));
    }
    m_loadedSize = size();
    wb->setNewWindowsRefused(KillPopups);
    // Arms the size limit: the user's border drags stop at 135 x 80 pixels.
    m_titleBar->setMinimumDragSize(QSize(Layout::toPixels(Layout::MinWidth), Layout::toPixels(Layout::MinHeight)));
    LoadFavoritesMenu();
}

qint32 frmBrowser::Left() const { return Layout::toTwips(x()); }
qint32 frmBrowser::Top() const { return Layout::toTwips(y()); }
qint32 frmBrowser::Width() const { return Layout::toTwips(width()); }
qint32 frmBrowser::Height() const { return Layout::toTwips(height()); }
qint32 frmBrowser::ScaleWidth() const { return Layout::scaleSize(Width()); }
qint32 frmBrowser::ScaleHeight() const { return Layout::scaleSize(Height()); }

void frmBrowser::setWidth(qint32 twips)
{
    const int runs = m_resizeRuns;
    resize(Layout::toPixels(twips), height());
    // A hidden window gets its resize event only when shown; lay out now.
    if (runs == m_resizeRuns)
        Form_Resize();
}

void frmBrowser::setHeight(qint32 twips)
{
    const int runs = m_resizeRuns;
    resize(width(), Layout::toPixels(twips));
    if (runs == m_resizeRuns)
        Form_Resize();
}

void frmBrowser::MoveTo(qint32 left, qint32 top)
{
    move(Layout::toPixels(left), Layout::toPixels(top));
}

void frmBrowser::focusPage()
{
    wb->setFocus(Qt::OtherFocusReason);
}

void frmBrowser::navigate(const QString &address)
{
    wb->Navigate2(address);
}

QString frmBrowser::currentAddress() const
{
    return wb->LocationURL();
}

void frmBrowser::setNewWindowsRefused(bool refused)
{
    wb->setNewWindowsRefused(refused);
}

void frmBrowser::resizeEvent(QResizeEvent *)
{
    Form_Resize();
}

void frmBrowser::Form_Resize()
{
    ++m_resizeRuns;
    // Each assignment below re-enters this handler, which lays out the
    // corrected size before this run goes on with the same result.
    const Layout::MinimumClamp clamp = Layout::clampToMinimum(Width(), Height());
    if (clamp.heightClamped) {
        setHeight(clamp.Height);
        MoveTo(Layout::HomeLeft, Layout::HomeTop);
    }
    if (clamp.widthClamped) {
        setWidth(clamp.Width);
        MoveTo(Layout::HomeLeft, Layout::HomeTop);
    }
    const Layout::BrowserLayout l =
        Layout::layoutBrowser(ScaleWidth(), ScaleHeight(), twipsOf(cmdClose), twipsOf(imgFavs));
    m_client->setGeometry(BorderPx, BorderPx, Layout::toPixels(ScaleWidth()),
                          Layout::toPixels(ScaleHeight()));
    place(picStatus, l.picStatus);
    place(cmdClose, l.cmdClose);
    place(imgFavs, l.imgFavs);
    place(lblTitle, l.lblTitle);
    placeView(l.wb);
}

void frmBrowser::cmdClose_MouseUp()
{
    picStatus->setFocus(Qt::MouseFocusReason);
}

void frmBrowser::cmdClose_Click()
{
    requestClose();
}

void frmBrowser::requestClose()
{
    if (m_unloaded || m_closing->isAsking())
        return;
    askPage([window = QPointer<frmBrowser>(this)](bool mayClose) {
        if (!window || !mayClose)
            return;
        window->m_host.takeFocus();
        window->Unload();
    });
}

void frmBrowser::askPage(std::function<void(bool mayClose)> answered)
{
    m_closing->askPage(std::move(answered));
}

bool frmBrowser::isAskingPage() const
{
    return m_closing->isAsking();
}

void frmBrowser::mnuClose_Click()
{
    cmdClose_Click();
}

void frmBrowser::storeSize()
{
    // A size fitted to the workspace at load is no choice of the user's: the
    // stored one stays as it was unless the window was resized.
    if (size() != m_loadedSize) {
        WindowHeight = Settings::roundHalfEven(Height());
        WindowWidth = Settings::roundHalfEven(Width());
    }
    Settings::saveInteger(m_host.store(), Settings::KeyWindowHeight, WindowHeight);
    Settings::saveInteger(m_host.store(), Settings::KeyWindowWidth, WindowWidth);
}

void frmBrowser::Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    storeSize();
    Forms::remove(this);
    m_host.browserWindowClosed(this);
    hide();
    // A dialog of this window (the favorites editor, a box, a page's
    // question) runs its loop on top of code of this window: it is closed,
    // and the window destroyed only once that loop has returned. Destroyed
    // once the event loop comes round again, after the repaints that are
    // waiting, such as the status bar's.
    ModalLoops::release(this, [window = QPointer<frmBrowser>(this)] {
        if (window)
            window->deleteLater();
    });
}

void frmBrowser::onFocusChanged(QWidget *old, QWidget *now)
{
    if (m_unloaded)
        return;
    const bool nowInside = now && (now == this || isAncestorOf(now));
    const bool oldInside = old && (old == this || isAncestorOf(old));
    if (nowInside && !oldInside)
        Form_GotFocus();
}

void frmBrowser::Form_GotFocus()
{
    raise();
    ClearFavoritesMenu();
    LoadFavoritesMenu();
}

void frmBrowser::wb_GotFocus()
{
    raise();
}

void frmBrowser::ClearFavoritesMenu()
{
    m_favoritesMenu->markStale();
}

void frmBrowser::LoadFavoritesMenu()
{
    m_favoritesMenu->load();
}

void frmBrowser::syncFavoriteItems()
{
    m_favoritesMenu->syncItems();
}

void frmBrowser::AddFavorite(const QString &address, const QString &title)
{
    m_favoritesMenu->add(address, title);
}

void frmBrowser::imgFavs_Click()
{
    // Directly below the picture, its left edge in line with the picture's.
    mnuPopUp->popup(imgFavs->mapToGlobal(QPoint(0, imgFavs->height())));
}

void frmBrowser::mnuAddFav_Click()
{
    // A page without a title is added under its address: a blank row in the
    // menu would name nothing.
    const QString address = wb->LocationURL();
    const QString title = wb->LocationName().trimmed().isEmpty() ? address : wb->LocationName();
    if (m_favoritesMenu->add(address, title))
        favoriteBar->showAdded(address, title);
}

void frmBrowser::mnuEditFavs_Click()
{
    m_host.editFavorites(this);
    ClearFavoritesMenu();
    LoadFavoritesMenu();
}

void frmBrowser::mnuFavorite_Click(int Index)
{
    if (Index >= 0 && Index < mnuFavorite.size())
        wb->Navigate2(m_favoritesMenu->addressAt(Index));
}
