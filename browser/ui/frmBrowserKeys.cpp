// The keys people expect of a browser window, and its find bar.
#include "browser/ui/frmBrowser.h"

#include "browser/core/Zoom.h"
#include "browser/ui/AddressBox.h"
#include "browser/ui/BrowserHost.h"
#include "browser/ui/FindBar.h"
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

void frmBrowser::placeView(const TwipRect &area)
{
    if (findBar->isHidden()) {
        wb->Move(area);
        return;
    }
    // The bar sits along the bottom of the page's area, the page above it.
    const QRect full = Twips::toPixels(area);
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

bool frmBrowser::browserKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (m_unloaded)
        return false;
    const QWidget *focus = QApplication::focusWidget();
    const Qt::KeyboardModifiers m = modifiers & ~Qt::KeypadModifier;
    const bool ctrl = m == Qt::ControlModifier;
    const bool alt = m == Qt::AltModifier;
    const bool none = m == Qt::NoModifier;

    if ((ctrl && key == Qt::Key_L) || (none && key == Qt::Key_F6)) {
        focusAddressBox();
        return true;
    }
    if ((none && key == Qt::Key_F5) || (ctrl && key == Qt::Key_R)) {
        wb->Refresh();
        return true;
    }
    if (none && key == Qt::Key_Escape) {
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
    if (alt && key == Qt::Key_Left) {
        wb->GoBack();
        return true;
    }
    if (alt && key == Qt::Key_Right) {
        wb->GoForward();
        return true;
    }
    if (alt && key == Qt::Key_Home) {
        wb->GoHome();
        return true;
    }
    if (ctrl && (key == Qt::Key_W || key == Qt::Key_F4)) {
        cmdClose_Click();
        return true;
    }
    if (ctrl && key == Qt::Key_Tab) {
        m_host.switchWindow(this, 1);
        return true;
    }
    if ((m == (Qt::ControlModifier | Qt::ShiftModifier)) && (key == Qt::Key_Backtab || key == Qt::Key_Tab)) {
        m_host.switchWindow(this, -1);
        return true;
    }
    if (ctrl && key == Qt::Key_D) {
        mnuAddFav_Click();
        return true;
    }
    if (ctrl && key == Qt::Key_F) {
        findInPage();
        return true;
    }
    if (ctrl && key == Qt::Key_P) {
        mnuPrint_Click();
        return true;
    }
    // Ctrl++ comes as "+" with Shift on most layouts, or as "=" without it.
    const bool ctrlAnyShift = (m & ~Qt::ShiftModifier) == Qt::ControlModifier;
    if (ctrlAnyShift && (key == Qt::Key_Plus || key == Qt::Key_Equal)) {
        zoomIn();
        return true;
    }
    if (ctrlAnyShift && (key == Qt::Key_Minus || key == Qt::Key_Underscore)) {
        zoomOut();
        return true;
    }
    if (ctrl && key == Qt::Key_0) {
        zoomReset();
        return true;
    }
    return false;
}
