#include "browser/ui/PageBar.h"

#include <QApplication>
#include <QKeyEvent>

void PageBar::finish()
{
    const QWidget *focus = QApplication::focusWidget();
    const bool hadFocus = focus && isAncestorOf(focus);
    dismiss();
    if (hadFocus)
        emit finished();
}

void PageBar::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        finish();
        return;
    }
    QFrame::keyPressEvent(event);
}

void PageBar::showEvent(QShowEvent *event)
{
    QFrame::showEvent(event);
    emit visibilityChanged();
}

void PageBar::hideEvent(QHideEvent *event)
{
    QFrame::hideEvent(event);
    emit visibilityChanged();
}
