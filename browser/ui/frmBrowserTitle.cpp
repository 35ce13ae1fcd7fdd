// The drawn title bar with its palettes, the frame, the window menu, and the
// other ways to the favorites.
#include "browser/ui/frmBrowser.h"

#include "browser/ui/BrowserHost.h"
#include "browser/ui/TitleBar.h"
#include "browser/ui/WebView.h"
#include "common/ui/Dialogs.h"
#include "common/ui/FileDialogs.h"
#include "common/ui/MenuText.h"
#include "common/ui/Twips.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QRegularExpression>
#include <qdrawutil.h>
#include <QMouseEvent>
#include <QToolButton>

using Twips::arial;
using Twips::place;

void frmBrowser::setupPalettes()
{
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
}

void frmBrowser::buildTitleBar()
{
    picStatus = new QWidget(m_client);
    picStatus->setFocusPolicy(Qt::StrongFocus);
    picStatus->setPalette(m_client->palette());
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

    cmdClose->installEventFilter(this);
    connect(cmdClose, &QToolButton::clicked, this, &frmBrowser::cmdClose_Click);
    m_titleBar = new TitleBar(this, lblTitle);
    imgFavs->installEventFilter(this);
    picStatus->installEventFilter(this);
}

void frmBrowser::lblTitle_MouseMove(Qt::MouseButtons Button, const QPoint &globalPos)
{
    m_titleBar->follow(Button, globalPos);
}

void frmBrowser::lblTitle_DblClick()
{
    // Exactly the host's workspace, which lies above the status bar.
    const QWidget *area = m_host.workspace();
    setGeometry(0, 0, area->width(), area->height());
    // A workspace below the minimum size is corrected by the layout.
    if (!isVisible())
        Form_Resize();
}

void frmBrowser::lblTitle_MouseUp(Qt::MouseButton Button)
{
    if (Button != Qt::RightButton)
        return;
    mnuSystem->popup(QCursor::pos());
}

void frmBrowser::mnuMaximize_Click()
{
    lblTitle_DblClick();
}

void frmBrowser::mnuMinimize_Click()
{
    Minimize();
}

void frmBrowser::Minimize()
{
    if (m_minimized || m_unloaded)
        return;
    m_minimized = true;
    // The focus goes to the host first: left to itself it would move on to
    // whatever window comes next and bring that one forward.
    if (isAncestorOf(QApplication::focusWidget()))
        m_host.takeFocus();
    hide();
}

void frmBrowser::Restore()
{
    if (m_unloaded)
        return;
    m_minimized = false;
    show();
    raise();
    focusPage();
}

QString frmBrowser::menuCaption() const
{
    const QString title = lblTitle->text();
    return ::asMenuText(title.isEmpty() ? currentAddress() : title);
}

void frmBrowser::lblCaption_Click()
{
    const QPoint left = m_client->mapToGlobal(QPoint(lblCaption->x(), 0));
    mnuPopUp->popup(QPoint(left.x(), QCursor::pos().y()));
}

void frmBrowser::picStatus_MouseUp(Qt::MouseButton Button, const QPoint &pos)
{
    if (Button == Qt::RightButton)
        mnuPopUp->popup(pos);
}

// The mouse on the strip: the pictures and the caption open their menus.
bool frmBrowser::eventFilter(QObject *watched, QEvent *event)
{
    // The host's bar came or went: the page takes the room.
    if (watched == m_bar && event->type() == QEvent::HideToParent && !m_unloaded)
        Form_Resize();
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

void frmBrowser::mnuPrint_Click()
{
    wb->Print();
}

void frmBrowser::mnuSavePdf_Click()
{
    // Named after the page, without what a file name cannot hold.
    QString name = wb->DocumentTitle().simplified();
    name.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]")), QStringLiteral("_"));
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        name = QStringLiteral("page") + name;
    const QString suggested = QDir(FileDialogs::defaultFolder()).filePath(name.left(120) + QStringLiteral(".pdf"));
    const QString path = m_host.dialogs().saveFile(this, QStringLiteral("Save as PDF"), suggested,
                                                   QStringLiteral("PDF files (*.pdf)"));
    if (!path.isEmpty())
        wb->SaveAsPdf(path);
}

QSize frmBrowser::minimumDragSize() const
{
    return m_titleBar->minimumDragSize();
}

bool frmBrowser::isDragging() const
{
    return m_titleBar->isDragging();
}

void frmBrowser::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QBrush face = palette().brush(QPalette::Button);
    qDrawWinPanel(&p, rect(), palette(), false, &face);
}
