#include "browser/ui/AddressBox.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

void AddressBox::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    emit GotFocus();
    m_selectAfterPress = event->reason() == Qt::MouseFocusReason;
}

void AddressBox::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    if (m_selectAfterPress)
        emit GotFocus();
}

void AddressBox::mouseReleaseEvent(QMouseEvent *event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (m_selectAfterPress) {
        m_selectAfterPress = false;
        emit GotFocus();
    }
}

void AddressBox::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        event->accept();
        emit EnterPressed();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
