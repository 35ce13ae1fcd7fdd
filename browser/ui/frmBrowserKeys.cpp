// The keys people expect of a browser window, and its find bar.
#include "browser/ui/frmBrowser.h"

#include "browser/core/Zoom.h"
#include "browser/ui/AddressBox.h"
#include "browser/ui/BrowserHost.h"
#include "browser/ui/FindBar.h"
#include "browser/ui/KeyMap.h"
#include "browser/ui/WebView.h"
#include "common/ui/Twips.h"

#include <QApplication>
#include <QLineEdit>

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
    QRect full = Twips::toPixels(area);
    // The host's bar sits along the top of the page's area.
    if (m_bar && !m_bar->isHidden()) {
        const int wanted = m_bar->hasHeightForWidth() ? m_bar->heightForWidth(full.width())
                                                      : m_bar->sizeHint().height();
        const int height = qMin(wanted, full.height());
        m_bar->setGeometry(full.x(), full.y(), full.width(), height);
        m_bar->raise();
        full.setTop(full.top() + height);
    }
    if (findBar->isHidden()) {
        wb->setGeometry(full);
        return;
    }
    // The find bar sits along the bottom of the page's area, the page above it.
    const int bar = qMin(findBar->height(), full.height());
    findBar->setGeometry(full.x(), full.bottom() + 1 - bar, full.width(), bar);
    wb->setGeometry(full.x(), full.y(), full.width(), full.height() - bar);
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

void frmBrowser::zoomIn() { wb->setZoomFactor(Zoom::larger(wb->zoomFactor())); }
void frmBrowser::zoomOut() { wb->setZoomFactor(Zoom::smaller(wb->zoomFactor())); }
void frmBrowser::zoomReset() { wb->setZoomFactor(Zoom::Normal); }

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
    case KeyMap::Command::ReopenClosed:
        m_host.reopenClosedWindow();
        return true;
    }
    return false;
}
