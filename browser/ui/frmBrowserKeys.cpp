// The keys people expect of a browser window, its find bar, its zoom, and
// the bars above its page.
#include "browser/ui/frmBrowser.h"

#include "browser/core/Zoom.h"
#include "browser/ui/AddressBox.h"
#include "browser/ui/BrowserHost.h"
#include "browser/ui/FavoriteAddedBar.h"
#include "browser/ui/FindBar.h"
#include "browser/ui/HostGuessBar.h"
#include "browser/ui/KeyMap.h"
#include "browser/ui/WebView.h"
#include "common/ui/Twips.h"

#include <QApplication>
#include <QLineEdit>
#include <QToolButton>

void frmBrowser::buildFindBar()
{
    findBar = new FindBar([this](const QString &text, bool backward, FindBar::Result done) {
        wb->find(text, backward, std::move(done));
    }, m_client);
    connect(findBar, &FindBar::closed, this, [this] {
        Form_Resize();
        focusPage();
    });
}

void frmBrowser::showBar(QWidget *bar)
{
    if (m_bar && m_bar != bar)
        m_bar->deleteLater();
    m_bar = bar;
    bar->setParent(m_client);
    bar->installEventFilter(this);
    connect(bar, &QObject::destroyed, this, [this] {
        if (!m_unloaded)
            Form_Resize();
    });
    bar->show();
    Form_Resize();
}

void frmBrowser::placeView(const TwipRect &area)
{
    // The host's bar, then the window's own bars, sit along the top of the
    // page's area, the find bar along its bottom, the page between them.
    QRect room = Twips::toPixels(area);
    for (QWidget *top : {static_cast<QWidget *>(m_bar.data()), static_cast<QWidget *>(guessBar),
                         static_cast<QWidget *>(favoriteBar)}) {
        if (!top || top->isHidden())
            continue;
        const int wanted = top->hasHeightForWidth() ? top->heightForWidth(room.width()) : top->sizeHint().height();
        const int h = qMin(wanted, room.height());
        top->setGeometry(room.x(), room.y(), room.width(), h);
        top->raise();
        room.setTop(room.top() + h);
    }
    if (!findBar->isHidden()) {
        const int bar = qMin(findBar->height(), room.height());
        findBar->setGeometry(room.x(), room.bottom() + 1 - bar, room.width(), bar);
        room.setBottom(room.bottom() - bar);
    }
    wb->setGeometry(room);
}

void frmBrowser::focusAddressBox()
{
    txtURL->setFocus(Qt::ShortcutFocusReason);
    txtURL->selectAll();
}

void frmBrowser::findInPage()
{
    const bool wasHidden = findBar->isHidden();
    findBar->open();
    if (wasHidden)
        Form_Resize();
}

void frmBrowser::zoomIn()
{
    wb->setZoomFactor(Zoom::larger(wb->zoomFactor()));
    showZoom();
}

void frmBrowser::zoomOut()
{
    wb->setZoomFactor(Zoom::smaller(wb->zoomFactor()));
    showZoom();
}

void frmBrowser::zoomReset()
{
    wb->setZoomFactor(Zoom::Normal);
    showZoom();
}

void frmBrowser::showZoom()
{
    const int percent = qRound(wb->zoomFactor() * 100);
    cmdZoom->setText(QStringLiteral("%1 %").arg(percent));
    cmdZoom->setAccessibleName(QStringLiteral("Zoom %1 %, click for 100 %").arg(percent));
    cmdZoom->setVisible(percent != 100);
}

void frmBrowser::wb_KeyNotTaken(int KeyCode, Qt::KeyboardModifiers Shift)
{
    // Only the keys the page was given first: the program's own never get
    // this far, and keys no command has are the page's business.
    if (KeyMap::isPageFirst(KeyCode, Shift))
        Form_KeyDown(KeyCode, Shift);
}

bool frmBrowser::Form_KeyDown(int KeyCode, Qt::KeyboardModifiers Shift)
{
    if (m_unloaded)
        return false;
    const std::optional<KeyMap::Command> command = KeyMap::commandFor(KeyCode, Shift);
    if (!command)
        return false;
    switch (*command) {
    case KeyMap::Command::ReadMe:
        m_host.showReadme();
        return true;
    case KeyMap::Command::Quit:
        m_host.closeHost();
        return true;
    case KeyMap::Command::FocusAddress:
        focusAddressBox();
        return true;
    case KeyMap::Command::Reload:
        wb->Refresh();
        return true;
    case KeyMap::Command::Escape: {
        const QWidget *focus = QApplication::focusWidget();
        if (findBar->isAncestorOf(focus)) {
            findBar->close();
            return true;
        }
        // The bars above the page, the host's included, close themselves.
        for (const QWidget *bar : {m_bar.data(), static_cast<QWidget *>(guessBar), static_cast<QWidget *>(favoriteBar)})
            if (bar && bar->isAncestorOf(focus))
                return false;
        // The page sees Esc too: it may have a use for it. In the address
        // box Esc is the box's own.
        if (focus != txtURL)
            wb->Stop();
        return false;
    }
    case KeyMap::Command::Back:
        wb->GoBack();
        return true;
    case KeyMap::Command::Forward:
        wb->GoForward();
        return true;
    case KeyMap::Command::Home:
        wb->GoHome();
        return true;
    case KeyMap::Command::Close:
        cmdClose_Click();
        return true;
    case KeyMap::Command::NextWindow:
        m_host.switchWindow(this, 1);
        return true;
    case KeyMap::Command::PreviousWindow:
        m_host.switchWindow(this, -1);
        return true;
    case KeyMap::Command::AddFavorite:
        mnuAddFav_Click();
        return true;
    case KeyMap::Command::Find:
        findInPage();
        return true;
    case KeyMap::Command::Print:
        mnuPrint_Click();
        return true;
    case KeyMap::Command::ZoomIn:
        zoomIn();
        return true;
    case KeyMap::Command::ZoomOut:
        zoomOut();
        return true;
    case KeyMap::Command::ZoomReset:
        zoomReset();
        return true;
    case KeyMap::Command::Minimize:
        Minimize();
        return true;
    case KeyMap::Command::History:
        m_host.showHistory(this);
        return true;
    case KeyMap::Command::MenuBar:
        m_host.openMenuBar();
        return true;
    case KeyMap::Command::ReopenClosed:
        m_host.reopenClosedWindow();
        return true;
    }
    return false;
}
