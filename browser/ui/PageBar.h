#pragma once
// A bar a browser window shows above its page for a moment (what was added to
// the favorites, a host the words may have meant): Esc closes it, and the page
// takes the focus back when the bar had it.
#include <QFrame>

class QToolButton;

class PageBar : public QFrame
{
    Q_OBJECT
public:
    // `name` is the bar's object name; `background` and `border` its colours.
    PageBar(const QString &name, const QString &background, const QString &border, QWidget *parent);

    // Closes the bar as Esc does; for the subclass's layout to place.
    QToolButton *cmdDismiss;

signals:
    // Shown or hidden: the page's room changes.
    void visibilityChanged();
    // The bar closed by the keyboard: the page takes the focus back.
    void finished();

protected:
    // Closes the bar: hides it, and whatever else the bar must forget.
    virtual void dismiss() { hide(); }
    // Closes the bar, handing the focus on when it was in the bar.
    void finish();

    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
};
