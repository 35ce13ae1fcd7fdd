#pragma once
// The screen-filling window a page's view moves into while the page is full
// screen. Esc asks the page to leave; the view goes back to its browser window
// when the page says it has.
#include <QWidget>

class QWebEngineView;

class FullScreenWindow : public QWidget
{
    Q_OBJECT
public:
    // Takes the view from where it is; owner's destruction takes this along.
    FullScreenWindow(QWebEngineView *view, QWidget *owner);
    ~FullScreenWindow() override;

    // Hands the view back to where it was, at the place it had.
    void giveBack();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QWebEngineView *m_view;
    QWidget *m_home;
    QRect m_homeGeometry;
    bool m_given = false;
};
