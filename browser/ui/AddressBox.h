#pragma once
// The address box: selects its whole text whenever it receives the focus, by
// mouse or keyboard, and consumes Enter, reporting it instead.
#include <QLineEdit>

class AddressBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit AddressBox(QWidget *parent) : QLineEdit(parent) {}

signals:
    void GotFocus();
    void EnterPressed();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The focus came with a mouse press that has yet to arrive; the press
    // would put the cursor where it fell and lose the selection.
    bool m_selectAfterPress = false;
};
