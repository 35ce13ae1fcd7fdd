#include "browser/ui/PageBar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QToolButton>

PageBar::PageBar(const QString &name, const QString &background, const QString &border, QWidget *parent)
    : QFrame(parent), cmdDismiss(new QToolButton(this))
{
    setObjectName(name);
    setFrameShape(QFrame::StyledPanel);
    setStyleSheet(QStringLiteral("QFrame#%1 { background: %2; border: 1px solid %3; }"
                                 "QLabel { color: #000000; }")
                      .arg(name, background, border));
    cmdDismiss->setText(QStringLiteral("x"));
    cmdDismiss->setAutoRaise(true);
    cmdDismiss->setToolTip(QStringLiteral("Close"));
    cmdDismiss->setAccessibleName(QStringLiteral("Close"));
    connect(cmdDismiss, &QToolButton::clicked, this, &PageBar::finish);
    hide();
}

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
