#include "browser/engine/PopupWindow.h"

#include "browser/engine/LumenoPage.h"
#include "browser/engine/PageClose.h"
#include "common/ui/Dialogs.h"
#include "common/ui/ModalLoops.h"

#include <QCloseEvent>
#include <QPointer>

PopupWindow::PopupWindow(QWebEngineProfile *profile, QtWebView *opener, Dialogs &dialogs, QWidget *owner)
    : QWebEngineView(owner), m_dialogs(dialogs)
{
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(640, 480);
    m_page = new LumenoPage(profile, opener, false, this);
    // The page closes itself, maybe while another page's dialog is up: the
    // window goes once that dialog's loop has returned.
    connect(m_page->closing(), &PageClose::closeRequested, this, [this] {
        m_mayClose = true;
        hide();
        ModalLoops::release(this, [window = QPointer<PopupWindow>(this)] {
            if (window)
                window->deleteLater();
        });
    });
    connect(m_page, &QWebEnginePage::geometryChangeRequested, this, [this](const QRect &g) {
        if (g.width() > 0 && g.height() > 0)
            resize(g.size());
        if (g.x() != 0 || g.y() != 0)
            move(g.topLeft());
    });
    connect(m_page, &QWebEnginePage::titleChanged, this, &QWidget::setWindowTitle);
    setPage(m_page);
}

PopupWindow::~PopupWindow()
{
    setPage(nullptr);
    delete m_page;
}

QWebEnginePage *PopupWindow::popupPage() const
{
    return m_page;
}

void PopupWindow::closeEvent(QCloseEvent *event)
{
    if (m_mayClose) {
        event->accept();
        return;
    }
    event->ignore();
    QPointer<PopupWindow> self(this);
    m_page->askToClose(
        [self] {
            if (!self)
                return true;
            self->raise();
            self->activateWindow();
            return self->m_dialogs.askToLeave(self, self->m_page->url().toString());
        },
        [self](bool mayClose) {
            if (!self || !mayClose)
                return;
            self->m_mayClose = true;
            self->close();
        });
}
