#include "browser/engine/FullScreenWindow.h"

#include <QCloseEvent>
#include <QShortcut>
#include <QWebEnginePage>
#include <QWebEngineView>

FullScreenWindow::FullScreenWindow(QWebEngineView *view, QWidget *owner)
    : QWidget(owner, Qt::Window), m_view(view), m_home(view->parentWidget()),
      m_homeGeometry(view->geometry())
{
    setObjectName(QStringLiteral("fullScreenWindow"));
    setWindowTitle(view->title());
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    view->setParent(this);
    view->setGeometry(rect());
    view->show();
    // The page decides when it has left full screen; Esc only asks it to.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        m_view->page()->triggerAction(QWebEnginePage::ExitFullScreen);
    });
    showFullScreen();
    view->setFocus(Qt::OtherFocusReason);
}

FullScreenWindow::~FullScreenWindow()
{
    giveBack();
}

void FullScreenWindow::giveBack()
{
    if (m_given)
        return;
    m_given = true;
    if (m_home) {
        m_view->setParent(m_home);
        m_view->setGeometry(m_homeGeometry);
        m_view->show();
    }
}

void FullScreenWindow::resizeEvent(QResizeEvent *)
{
    if (!m_given)
        m_view->setGeometry(rect());
}

void FullScreenWindow::closeEvent(QCloseEvent *event)
{
    // Closed by the desktop: leave full screen the page's way.
    if (!m_given) {
        event->ignore();
        m_view->page()->triggerAction(QWebEnginePage::ExitFullScreen);
        return;
    }
    QWidget::closeEvent(event);
}
