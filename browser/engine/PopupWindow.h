#pragma once
// A window that a page opened while pop-ups are allowed: a top-level window of
// its own, outside the host, sized as the page asks, closed when it asks.
#include <QWebEngineView>

class LumenoPage;
class QtWebView;

class PopupWindow : public QWebEngineView
{
    Q_OBJECT
public:
    PopupWindow(QWebEngineProfile *profile, QtWebView *opener, QWidget *owner);
    ~PopupWindow() override;
    QWebEnginePage *popupPage() const;

private:
    LumenoPage *m_page;
};
