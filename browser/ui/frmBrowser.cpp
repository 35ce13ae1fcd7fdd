#include "browser/ui/frmBrowser.h"

#include "browser/ui/AddressBox.h"
#include "browser/ui/WebView.h"
#include "shell/core/Module1.h"
#include "shell/core/Settings.h"
#include "shell/ui/Twips.h"
#include "shell/ui/frmMain.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <qdrawutil.h>

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

frmBrowser::frmBrowser(frmMain &host, WebViewFactory &views, QWidget *parent)
    : QWidget(parent), m_host(host), m_client(new QWidget(this))
{
    // The design size, until the load gives the remembered one.
    resize(Layout::toPixels(Settings::DefaultWindowWidth),
           Layout::toPixels(Settings::DefaultWindowHeight));
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
    QPalette frame = palette();
    frame.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    frame.setColor(QPalette::Button, QColor(0xC0, 0xC0, 0xC0));
    frame.setColor(QPalette::Light, Qt::white);
    frame.setColor(QPalette::Midlight, QColor(0xDF, 0xDF, 0xDF));
    frame.setColor(QPalette::Dark, QColor(0x80, 0x80, 0x80));
    frame.setColor(QPalette::Shadow, Qt::black);
    setPalette(frame);

    QPalette grey = m_client->palette();
    grey.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    m_client->setPalette(grey);
    m_client->setAutoFillBackground(true);

    wb = views.create(m_client);

    picStatus = new QWidget(m_client);
    picStatus->setFocusPolicy(Qt::StrongFocus);
    picStatus->setPalette(grey);
    picStatus->setAutoFillBackground(true);

    lblTitle = new QLabel(picStatus);
    lblTitle->setTextFormat(Qt::PlainText);
    lblTitle->setFont(arial(9.75, true));
    lblTitle->setAutoFillBackground(true);
    QPalette title = lblTitle->palette();
    title.setColor(QPalette::Window, QColor(0x40, 0x40, 0x40));
    title.setColor(QPalette::WindowText, Qt::white);
    lblTitle->setPalette(title);
    lblTitle->setContentsMargins(3, 0, 0, 0);

    cmdClose = new QToolButton(picStatus);
    cmdClose->setIcon(QIcon(QStringLiteral(":/close.xpm")));
    cmdClose->setIconSize(QSize(13, 11));
    cmdClose->setFocusPolicy(Qt::StrongFocus);
    place(cmdClose, Layout::cmdCloseDesign);

    imgFavs = new QLabel(picStatus);
    imgFavs->setPixmap(QPixmap(QStringLiteral(":/favs.xpm")));
    imgFavs->setAlignment(Qt::AlignCenter);
    place(imgFavs, Layout::imgFavsDesign);

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

    connect(cmdClose, &QToolButton::clicked, this, &frmBrowser::cmdClose_Click);
    cmdClose->installEventFilter(this);
    connect(cmdBack, &QToolButton::clicked, this, &frmBrowser::cmdBack_Click);
    connect(cmdForward, &QToolButton::clicked, this, &frmBrowser::cmdForward_Click);
    connect(cmdStop, &QToolButton::clicked, this, &frmBrowser::cmdStop_Click);
    connect(cmdGoHome, &QToolButton::clicked, this, &frmBrowser::cmdGoHome_Click);
    connect(cmdRefresh, &QToolButton::clicked, this, &frmBrowser::cmdRefresh_Click);
    connect(cmdGo, &QToolButton::clicked, this, &frmBrowser::cmdGo_Click);
    cmdGo->installEventFilter(this);
    connect(txtURL, &AddressBox::GotFocus, this, &frmBrowser::txtURL_GotFocus);
    connect(txtURL, &AddressBox::EnterPressed, this, &frmBrowser::txtURL_EnterPressed);

    mnuPopUp = new QMenu(QStringLiteral("Popup"), this);
    mnuAddFav = mnuPopUp->addAction(QStringLiteral("Add to Favorites"));
    mnuEditFavs = mnuPopUp->addAction(QStringLiteral("Edit Favorites"));
    mnuSep1 = mnuPopUp->addSeparator();
    mnuFavorites = mnuPopUp->addMenu(QStringLiteral("Favorites"));
    mnuFavorites->setObjectName(QStringLiteral("mnuFavorites"));
    mnuFavorite << mnuFavorites->addSeparator();
    connect(mnuAddFav, &QAction::triggered, this, &frmBrowser::mnuAddFav_Click);
    connect(mnuEditFavs, &QAction::triggered, this, &frmBrowser::mnuEditFavs_Click);
    connect(mnuFavorites, &QMenu::aboutToShow, this, &frmBrowser::syncFavoriteItems);
    connect(mnuFavorites, &QMenu::triggered, this, [this](QAction *item) {
        const int index = mnuFavorite.indexOf(item);
        if (index >= 0)
            mnuFavorite_Click(index);
    });
    imgFavs->installEventFilter(this);

    mnuSystem = new QMenu(QStringLiteral("System"), this);
    mnuMaximize = mnuSystem->addAction(QStringLiteral("Maximize"));
    mnuSysSep = mnuSystem->addSeparator();
    mnuClose = mnuSystem->addAction(QStringLiteral("Close"));
    mnuSystem->setDefaultAction(mnuMaximize);
    connect(mnuMaximize, &QAction::triggered, this, &frmBrowser::mnuMaximize_Click);
    connect(mnuClose, &QAction::triggered, this, &frmBrowser::mnuClose_Click);
    lblTitle->installEventFilter(this);
    lblCaption->installEventFilter(this);
    picStatus->installEventFilter(this);

    connect(wb, &WebView::GotFocus, this, &frmBrowser::wb_GotFocus);
    connect(wb, &WebView::BeforeNavigate2, this, &frmBrowser::wb_BeforeNavigate2);
    connect(wb, &WebView::CommandStateChange, this, &frmBrowser::wb_CommandStateChange);
    connect(wb, &WebView::NavigateComplete2, this, &frmBrowser::wb_NavigateComplete2);
    connect(wb, &WebView::DocumentComplete, this, &frmBrowser::wb_DocumentComplete);
    connect(wb, &WebView::NewWindow2, this, &frmBrowser::wb_NewWindow2, Qt::DirectConnection);
    connect(wb, &WebView::NewWindowsRefused, this, &frmBrowser::wb_NewWindowsRefused);
    connect(qApp, &QApplication::focusChanged, this, &frmBrowser::onFocusChanged);

    Forms::add(this);
}

frmBrowser::~frmBrowser()
{
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
    setWidth(WindowWidth);
    setHeight(WindowHeight);
    wb->setNewWindowsRefused(KillPopups);
    wb->GoHome();
    // Arms the size limit: the user's border drags stop at 135 x 80 pixels.
    m_minDrag = QSize(Layout::toPixels(Layout::MinWidth), Layout::toPixels(Layout::MinHeight));
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
    wb->Move(l.wb);
}

void frmBrowser::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QBrush face = palette().brush(QPalette::Button);
    qDrawWinPanel(&p, rect(), palette(), false, &face);
}

Qt::Edges frmBrowser::edgesAt(const QPoint &pos) const
{
    // Corners are a little larger than the border, as on a desktop window.
    const int corner = 12;
    Qt::Edges e;
    if (pos.x() < BorderPx || (pos.x() < corner && (pos.y() < BorderPx || pos.y() >= height() - BorderPx)))
        e |= Qt::LeftEdge;
    if (pos.x() >= width() - BorderPx
        || (pos.x() >= width() - corner && (pos.y() < BorderPx || pos.y() >= height() - BorderPx)))
        e |= Qt::RightEdge;
    if (pos.y() < BorderPx || (pos.y() < corner && (pos.x() < BorderPx || pos.x() >= width() - BorderPx)))
        e |= Qt::TopEdge;
    if (pos.y() >= height() - BorderPx
        || (pos.y() >= height() - corner && (pos.x() < BorderPx || pos.x() >= width() - BorderPx)))
        e |= Qt::BottomEdge;
    return e;
}

void frmBrowser::mousePressEvent(QMouseEvent *event)
{
    raise();
    if (event->button() == Qt::LeftButton) {
        m_dragEdges = edgesAt(event->position().toPoint());
        m_dragStart = event->globalPosition().toPoint();
        m_dragGeometry = geometry();
    }
    QWidget::mousePressEvent(event);
}

void frmBrowser::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || !m_dragEdges) {
        const Qt::Edges e = edgesAt(event->position().toPoint());
        Qt::CursorShape shape = Qt::ArrowCursor;
        if (e == (Qt::LeftEdge | Qt::TopEdge) || e == (Qt::RightEdge | Qt::BottomEdge))
            shape = Qt::SizeFDiagCursor;
        else if (e == (Qt::RightEdge | Qt::TopEdge) || e == (Qt::LeftEdge | Qt::BottomEdge))
            shape = Qt::SizeBDiagCursor;
        else if (e & (Qt::LeftEdge | Qt::RightEdge))
            shape = Qt::SizeHorCursor;
        else if (e & (Qt::TopEdge | Qt::BottomEdge))
            shape = Qt::SizeVerCursor;
        setCursor(shape);
        return;
    }
    const QPoint d = event->globalPosition().toPoint() - m_dragStart;
    QRect g = m_dragGeometry;
    const int minW = qMax(1, m_minDrag.width());
    const int minH = qMax(1, m_minDrag.height());
    if (m_dragEdges & Qt::LeftEdge)
        g.setLeft(qMin(g.left() + d.x(), g.right() - minW + 1));
    if (m_dragEdges & Qt::RightEdge)
        g.setRight(qMax(g.right() + d.x(), g.left() + minW - 1));
    if (m_dragEdges & Qt::TopEdge)
        g.setTop(qMin(g.top() + d.y(), g.bottom() - minH + 1));
    if (m_dragEdges & Qt::BottomEdge)
        g.setBottom(qMax(g.bottom() + d.y(), g.top() + minH - 1));
    setGeometry(g);
}

void frmBrowser::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_dragEdges = {};
    QWidget::mouseReleaseEvent(event);
}

bool frmBrowser::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == cmdClose || watched == cmdGo) && event->type() == QEvent::MouseButtonRelease) {
        // The button finishes its click first: taking its focus away while it
        // is down would cancel the click.
        static_cast<QObject *>(watched)->event(event);
        if (!m_unloaded) {
            if (watched == cmdClose)
                cmdClose_MouseUp();
            else
                cmdGo_MouseUp();
        }
        return true;
    }
    if (watched == lblTitle) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            // The title takes the mouse, as a caption would, and brings its
            // window forward.
            if (!isAncestorOf(QApplication::focusWidget()))
                picStatus->setFocus(Qt::MouseFocusReason);
            raise();
            if (mouse->button() == Qt::LeftButton && parentWidget())
                m_grabOffset = parentWidget()->mapFromGlobal(mouse->globalPosition().toPoint()) - pos();
            return true;
        case QEvent::MouseMove:
            lblTitle_MouseMove(mouse->buttons(), mouse->globalPosition().toPoint());
            return true;
        case QEvent::MouseButtonRelease:
            if (mouse->button() == Qt::LeftButton)
                m_titleDrag = false;
            lblTitle_MouseUp(mouse->button());
            return true;
        case QEvent::MouseButtonDblClick:
            if (mouse->button() == Qt::LeftButton)
                lblTitle_DblClick();
            return true;
        default:
            break;
        }
    }
    if (watched == lblCaption && event->type() == QEvent::MouseButtonPress)
        return true;
    if (watched == lblCaption && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
        && lblCaption->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint())) {
        lblCaption_Click();
        return true;
    }
    if (watched == picStatus && (event->type() == QEvent::MouseButtonPress
                                 || event->type() == QEvent::MouseButtonRelease)) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint at = mouse->position().toPoint();
        // Only the strip's free area: not a control the event came up from.
        if (mouse->button() == Qt::RightButton && !picStatus->childAt(at)) {
            if (event->type() == QEvent::MouseButtonRelease)
                picStatus_MouseUp(mouse->button(), mouse->globalPosition().toPoint());
            return true;
        }
    }
    if (watched == imgFavs && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
        && imgFavs->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint())) {
        imgFavs_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void frmBrowser::cmdClose_MouseUp()
{
    picStatus->setFocus(Qt::MouseFocusReason);
}

void frmBrowser::cmdClose_Click()
{
    m_host.setFocus(Qt::OtherFocusReason);
    Unload();
}

void frmBrowser::mnuClose_Click()
{
    cmdClose_Click();
}

void frmBrowser::Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Module1::decrement(OpenWindows);
    m_host.showOpenWindows();
    WindowHeight = Settings::roundHalfEven(Height());
    WindowWidth = Settings::roundHalfEven(Width());
    Settings::saveInteger(m_host.store(), Settings::KeyWindowHeight, WindowHeight);
    Settings::saveInteger(m_host.store(), Settings::KeyWindowWidth, WindowWidth);
    Forms::remove(this);
    hide();
    // Destroyed once the event loop comes round again, after the repaints
    // that are waiting, such as the status bar's.
    deleteLater();
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

void frmBrowser::Form_KeyDown(int KeyCode, Qt::KeyboardModifiers Shift)
{
    if (KeyCode == Qt::Key_F1)
        m_host.mnuReadme_Click();
    if (KeyCode == Qt::Key_F4 && (Shift & ~Qt::KeypadModifier) == Qt::AltModifier)
        m_host.close();
}
