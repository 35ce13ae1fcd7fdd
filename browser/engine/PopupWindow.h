#pragma once
// A window that a page opened while pop-ups are allowed: a top-level window of
// its own, outside the host, sized as the page asks, closed when it asks. Closed
// by the person, it asks its page first, as a browser window does.
#include <QWebEngineView>

class Dialogs;
class LumenoPage;
class QtWebView;

class PopupWindow : public QWebEngineView
{
    Q_OBJECT
public:
    PopupWindow(QWebEngineProfile *profile, QtWebView *opener, Dialogs &dialogs, QWidget *owner);
    ~PopupWindow() override;
    QWebEnginePage *popupPage() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    LumenoPage *m_page;
    Dialogs &m_dialogs;
    // The page let go, or asked to close itself.
    bool m_mayClose = false;
};
