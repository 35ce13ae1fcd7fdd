#include "browser/engine/PopupWindow.h"

#include "browser/engine/LumenoPage.h"
#include "browser/engine/PageClose.h"
#include "browser/ui/KeyMap.h"
#include "browser/ui/PopupStrip.h"
#include "common/ui/Dialogs.h"
#include "common/ui/ModalLoops.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

PopupWindow::PopupWindow(QWebEngineProfile *profile, QtWebView *opener, Dialogs &dialogs, QWidget *owner)
    : QWidget(owner, Qt::Window), m_view(new QWebEngineView(this)), m_dialogs(dialogs),
      m_strip(new PopupStrip(this))
{
    setObjectName(QStringLiteral("popupWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_strip);
    layout->addWidget(m_view, 1);
    resize(640, 480 + m_strip->sizeHint().height());

    m_page = new LumenoPage(profile, opener, false, this);
    m_page->settings()->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);
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
    // The page asks for the size of its own area; the strip comes on top.
    connect(m_page, &QWebEnginePage::geometryChangeRequested, this, [this](const QRect &g) {
        if (g.width() > 0 && g.height() > 0)
            resize(g.width(), g.height() + m_strip->sizeHint().height());
        if (g.x() != 0 || g.y() != 0)
            move(g.topLeft());
    });
    connect(m_page, &QWebEnginePage::titleChanged, this, &QWidget::setWindowTitle);
    connect(m_page, &QWebEnginePage::fullScreenRequested, this, [this](QWebEngineFullScreenRequest request) {
        request.accept();
        setFullScreen(request.toggleOn());
    });
    connect(m_page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        if (ok)
            m_shownPage = true;
    });
    connect(profile, &QWebEngineProfile::downloadRequested, this, &PopupWindow::onDownload);
    m_view->setPage(m_page);
    connectStrip();
    setFocusProxy(m_view);

    // The person's keys, before the page's: close, and leave full screen.
    auto *close = new QAction(this);
    close->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::CTRL | Qt::Key_F4)});
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);
    auto *back = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), this);
    connect(back, &QShortcut::activated, m_view, &QWebEngineView::back);
    auto *forward = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Right), this);
    connect(forward, &QShortcut::activated, m_view, &QWebEngineView::forward);
    auto *leave = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    leave->setObjectName(QStringLiteral("leaveFullScreen"));
    leave->setEnabled(false);
    connect(leave, &QShortcut::activated, this,
            [this] { m_page->triggerAction(QWebEnginePage::ExitFullScreen); });
}

PopupWindow::~PopupWindow()
{
    m_view->setPage(nullptr);
    delete m_page;
}

QWebEnginePage *PopupWindow::popupPage() const
{
    return m_page;
}

void PopupWindow::connectStrip()
{
    connect(m_strip, &PopupStrip::backClicked, m_view, &QWebEngineView::back);
    connect(m_strip, &PopupStrip::forwardClicked, m_view, &QWebEngineView::forward);
    connect(m_strip, &PopupStrip::reloadClicked, m_view, &QWebEngineView::reload);
    connect(m_strip, &PopupStrip::stopClicked, m_view, &QWebEngineView::stop);
    connect(m_page, &QWebEnginePage::urlChanged, m_strip, &PopupStrip::showAddress);
    connect(m_page, &QWebEnginePage::loadStarted, m_strip, [this] { m_strip->setLoading(true); });
    connect(m_page, &QWebEnginePage::loadFinished, m_strip, [this] { m_strip->setLoading(false); });
    // The actions are made on first use; made now, their changes are seen.
    connect(m_page->action(QWebEnginePage::Back), &QAction::enabledChanged, m_strip->cmdBack,
            &QWidget::setEnabled);
    connect(m_page->action(QWebEnginePage::Forward), &QAction::enabledChanged, m_strip->cmdForward,
            &QWidget::setEnabled);
}

void PopupWindow::onDownload(QWebEngineDownloadRequest *request)
{
    if (request->page() != m_page || m_shownPage)
        return;
    // The downloads were told first, and have asked where to save it; the
    // window has nothing to show for it, and no page to ask.
    m_mayClose = true;
    QTimer::singleShot(0, this, &QWidget::close);
}

void PopupWindow::setFullScreen(bool on)
{
    m_strip->setVisible(!on);
    if (auto *leave = findChild<QShortcut *>(QStringLiteral("leaveFullScreen")))
        leave->setEnabled(on);
    if (on)
        showFullScreen();
    else
        showNormal();
}

void PopupWindow::keyPressEvent(QKeyEvent *event)
{
    if (KeyMap::commandFor(event->key(), event->modifiers()) == KeyMap::Command::Reload) {
        m_view->reload();
        return;
    }
    QWidget::keyPressEvent(event);
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
