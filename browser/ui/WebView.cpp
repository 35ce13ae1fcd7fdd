#include "browser/ui/WebView.h"

#include "browser/ui/PromptArea.h"
#include "common/ui/Twips.h"

#include <QApplication>
#include <QKeyEvent>

WebView::WebView(QWidget *parent) : QWidget(parent)
{
    connect(qApp, &QApplication::focusChanged, this, &WebView::onFocusChanged);
}

PagePrompts &WebView::makePrompts(Dialogs &dialogs)
{
    if (!m_promptArea)
        m_promptArea = new PromptArea(this, dialogs);
    return *m_promptArea;
}

void WebView::Move(const TwipRect &r)
{
    Twips::place(this, r);
}

void WebView::onFocusChanged(QWidget *old, QWidget *now)
{
    // The engine gives the focus to an inner widget that it may replace on
    // navigation, so the view counts the focus as its own whenever it lands
    // anywhere inside it, coming from outside.
    const bool nowInside = now && (now == this || isAncestorOf(now));
    const bool oldInside = old && (old == this || isAncestorOf(old));
    if (nowInside && !oldInside)
        emit GotFocus();
}

bool WebView::hasPageFocus() const
{
    const QWidget *focus = QApplication::focusWidget();
    return focus && (focus == this || isAncestorOf(focus));
}

void WebView::keyPressEvent(QKeyEvent *event)
{
    emit KeyNotTaken(event->key(), event->modifiers());
    event->accept();
}
