#pragma once
// One browser window inside the host: a drawn title band with a close button
// and the favorites picture, the navigation strip, and the page view below.
// Geometry is kept in twips; the window draws its own sizable border.
#include "browser/core/Layout.h"
#include "browser/ui/FavoritesMenu.h"
#include "common/ui/Forms.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class AddressBox;
class AddressCompleter;
class FavoriteAddedBar;
class FindBar;
class HostGuessBar;
class QAction;
class QLabel;
class QMenu;
class QToolButton;
class TitleBar;
class WebView;
class WebViewFactory;
class WindowClosing;
class BrowserHost;

class frmBrowser : public QWidget, public LoadedForm
{
    Q_OBJECT
    // Made first: the favorites menu members below are its.
    std::unique_ptr<FavoritesMenu> m_favoritesMenu;

public:
    frmBrowser(BrowserHost &host, WebViewFactory &views, QWidget *parent);
    ~frmBrowser() override;

    // The browser window that holds a widget, if any.
    static frmBrowser *containing(QObject *object);

    void Form_Load();
    // Loads the window as Form_Load does, but at `geometry` (pixels in the
    // workspace), with its page at rest at a history the session kept (see
    // WebView::restoreAtRest) instead of home.
    void loadAtRest(const QRect &geometry, const QByteArray &history, const QString &address,
                    const QString &title, qreal zoom);
    void Unload() override;
    // Stores the window's size as its unload does: the size of the next
    // window, where the user changed it.
    void storeSize();
    QWidget *formWidget() override { return this; }

    // Outer geometry and client size in twips.
    qint32 Left() const;
    qint32 Top() const;
    qint32 Width() const;
    qint32 Height() const;
    qint32 ScaleWidth() const;
    qint32 ScaleHeight() const;
    // Each assignment lays the window out at once, as a resize does.
    void setWidth(qint32 twips);
    void setHeight(qint32 twips);
    void MoveTo(qint32 left, qint32 top);

    // What the host asks of its windows.
    void focusPage();
    void navigate(const QString &address);
    QString currentAddress() const;
    void setNewWindowsRefused(bool refused);
    // Minimized: out of sight, still open and counted, until restored from
    // the host's Window menu.
    void Minimize();
    void Restore();
    bool isMinimizedInHost() const { return m_minimized; }
    // The window's title as a menu item shows it (the address while the page
    // has no title).
    QString menuCaption() const;
    // A text from a page or a file as a menu shows it: "&" is no mnemonic and
    // a tab no shortcut column, and a very long one is cut short.
    static QString asMenuText(QString text);
    // Size-limit for the user's border drags, in pixels; zero imposes nothing.
    QSize minimumDragSize() const;

    void Form_Resize();
    // The window's keys (see KeyMap); returns whether the key was taken, so
    // that nothing else sees it.
    bool Form_KeyDown(int KeyCode, Qt::KeyboardModifiers Shift);
    void Form_GotFocus();
    void wb_GotFocus();
    void cmdClose_Click();
    void mnuClose_Click();
    // Every way of closing the window ends here: it unloads once its page
    // lets it (see WindowClosing), and stays as it was when the person
    // chooses to stay.
    void requestClose();
    // Asks the page whether the window may go, closing nothing (the host's
    // Quit asks every window first).
    void askPage(std::function<void(bool mayClose)> answered);
    // The page is being asked whether the window may go.
    bool isAskingPage() const;
    void cmdClose_MouseUp();

    // The navigation strip.
    void cmdBack_Click();
    void cmdForward_Click();
    void cmdStop_Click();
    void cmdGoHome_Click();
    void cmdRefresh_Click();
    void cmdGo_Click();
    void cmdGo_MouseUp();
    void txtURL_GotFocus();
    void txtURL_EnterPressed();
    // Opens what the address box gave (typed, chosen from its list, or
    // completed in it) and hands the focus to the page.
    void openFromAddressBox(const QString &address);

    // What the page view reports.
    void wb_BeforeNavigate2(const QString &URL);
    void wb_CommandStateChange(int Command, bool Enable);
    void wb_NavigateComplete2();
    void wb_DocumentComplete();
    void wb_NewWindow2(bool &Cancel);
    void wb_NewWindowsRefused(int count);
    void wb_PageLoaded(const QString &URL, const QString &Title);
    void wb_TitleChange(const QString &Text);
    void wb_KeyNotTaken(int KeyCode, Qt::KeyboardModifiers Shift);

    // The title bar and the window menu.
    void lblTitle_MouseMove(Qt::MouseButtons Button, const QPoint &globalPos);
    void lblTitle_DblClick();
    void lblTitle_MouseUp(Qt::MouseButton Button);
    void mnuMaximize_Click();
    void mnuPrint_Click();
    void mnuSavePdf_Click();
    void mnuMinimize_Click();
    void lblCaption_Click();
    void picStatus_MouseUp(Qt::MouseButton Button, const QPoint &pos);
    bool isDragging() const;

    QMenu *mnuSystem;
    QAction *mnuMinimize;
    QAction *mnuMaximize;
    QAction *mnuPrint;
    QAction *mnuSavePdf;
    QAction *mnuPrintSep;
    QAction *mnuSysSep;
    QAction *mnuClose;

    // The favorites menu.
    void LoadFavoritesMenu();
    void ClearFavoritesMenu();
    void AddFavorite(const QString &address, const QString &title);
    void imgFavs_Click();
    void mnuAddFav_Click();
    void mnuEditFavs_Click();
    void mnuFavorite_Click(int Index);
    // Brings the submenu's items in line with the favorites last read (see
    // FavoritesMenu).
    void syncFavoriteItems();

    QMenu *mnuPopUp;
    QAction *mnuAddFav;
    QAction *mnuEditFavs;
    QAction *mnuSep1;
    QMenu *mnuFavorites;
    // Element 0 always exists; after a build from N entries, 0 to N-1 hold
    // them and element N is hidden. Valid after syncFavoriteItems().
    QList<QAction *> &mnuFavorite;

    WebView *wb;
    QWidget *picStatus;
    QLabel *lblTitle;
    QToolButton *cmdClose;
    QLabel *imgFavs;
    QToolButton *cmdBack;
    QToolButton *cmdForward;
    QToolButton *cmdStop;
    QToolButton *cmdGoHome;
    QToolButton *cmdRefresh;
    QLabel *lblCaption;
    AddressBox *txtURL;
    QToolButton *cmdGo;

    // Browsers' keyboard habits (see frmBrowserKeys.cpp).
    void focusAddressBox();
    void findInPage();
    void zoomIn();
    void zoomOut();
    void zoomReset();
    FindBar *findBar;
    // Suggestions under the address box; null where the host keeps no history.
    AddressCompleter *completer = nullptr;
    // Above the page: a local machine named as one word searched for, and
    // what Add to Favorites added.
    HostGuessBar *guessBar;
    FavoriteAddedBar *favoriteBar;
    // The page's zoom, shown while it is not 100 %; a click sets it back.
    QToolButton *cmdZoom;

    // The client area: everything inside the sizable border.
    QWidget *client() const { return m_client; }
    // A bar of the host's along the top of the page (one at a time); it goes
    // when it is hidden or deleted.
    void showBar(QWidget *bar);
    QWidget *bar() const { return m_bar; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setupPalettes();
    void buildTitleBar();
    void buildStrip();
    void buildMenus();
    void connectView();
    void buildFindBar();
    // What Form_Load and loadAtRest share: sizes, the page's pop-up rule,
    // the favorites.
    void loadWindow();
    void buildAddressTools();
    void showZoom();
    // The page view in the area the layout gives it, less the find bar.
    void placeView(const TwipRect &area);
    QToolButton *stripButton(const char *name, const char *picture, const TwipRect &at, const QString &toolTip);
    void onFocusChanged(QWidget *old, QWidget *now);

    BrowserHost &m_host;
    QWidget *m_client;
    TitleBar *m_titleBar = nullptr;
    WindowClosing *m_closing;
    QPointer<QWidget> m_bar;
    int m_resizeRuns = 0;
    // The size the window had once loaded and fitted to the workspace.
    QSize m_loadedSize;
    bool m_unloaded = false;
    bool m_minimized = false;
};
