#pragma once
// The bar a browser window shows after an unclean end: the windows of the
// last run can be brought back, all at once, or (when bringing them back
// ended the program twice) one by one from a list with a check box each.
#include "session/core/SessionRecords.h"

#include <QFrame>

class QLabel;
class QListWidget;
class QPushButton;
class QToolButton;

class RestoreBar : public QFrame
{
    Q_OBJECT
public:
    // `choose`: a list to pick from, every window unchecked.
    RestoreBar(const QList<WindowRecord> &windows, bool choose, QWidget *parent = nullptr);

    QLabel *text() const { return m_text; }
    QListWidget *list() const { return m_list; }
    QPushButton *restoreButton() const { return m_restore; }
    QToolButton *dismissButton() const { return m_dismiss; }

signals:
    // The windows picked, bottom of the stack first; the bar is gone.
    void restore(const QList<WindowRecord> &windows);
    void dismissed();

protected:
    // Esc dismisses the offer, as the close button does.
    void keyPressEvent(QKeyEvent *event) override;

private:
    QList<WindowRecord> m_windows;
    QLabel *m_text;
    QListWidget *m_list = nullptr;
    QPushButton *m_restore;
    QToolButton *m_dismiss;
};
