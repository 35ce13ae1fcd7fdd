#pragma once
// A window that a page opened while pop-ups are allowed: a browser window of
// its own outside the host, as the platform opened one for its browser
// control. A small strip above the page (Back, Forward, Reload, Stop, and
// the page's real address, read-only, with whether it came securely), the
// page's title as the window's, Ctrl+W to close it, full screen that Esc
// leaves. Sized as the page asks, closed when the page asks. One whose first
// navigation turns out to be a download closes once the download is under
// way: it would stay empty. It never becomes one of the host's windows.
// Closed by the person, it asks its page first, as a browser window does.
#include <QWidget>

class Dialogs;
class LumenoPage;
class PopupStrip;
class QtWebView;
class QWebEngineDownloadRequest;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

class PopupWindow : public QWidget
{
    Q_OBJECT
public:
    PopupWindow(QWebEngineProfile *profile, QtWebView *opener, Dialogs &dialogs, QWidget *owner);
    ~PopupWindow() override;

    QWebEnginePage *popupPage() const;
    QWebEngineView *view() const { return m_view; }
    PopupStrip *strip() const { return m_strip; }

protected:
    // Reload keys the page left (it sees them first) come back here.
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void connectStrip();
    void onDownload(QWebEngineDownloadRequest *request);
    void setFullScreen(bool on);

    QWebEngineView *m_view;
    LumenoPage *m_page;
    Dialogs &m_dialogs;
    PopupStrip *m_strip;
    // A page has been shown: a download now leaves it there.
    bool m_shownPage = false;
    // The page let go, or asked to close itself.
    bool m_mayClose = false;
};
