#include "browser/engine/PopupWindow.h"

#include "browser/engine/LumenoPage.h"
#include "common/ui/ModalLoops.h"

#include <QPointer>

PopupWindow::PopupWindow(QWebEngineProfile *profile, QtWebView *opener, QWidget *owner)
    : QWebEngineView(owner)
{
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(640, 480);
    m_page = new LumenoPage(profile, opener, false, this);
    // Another page's script may close this window while a dialog of its own
    // page is up: the window goes once that dialog's loop has returned.
    connect(m_page, &QWebEnginePage::windowCloseRequested, this, [this] {
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
