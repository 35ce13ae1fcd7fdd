#pragma once
// A browser window closes only when its page lets it. The page is asked
// first (its beforeunload); when it wants the person asked, the window comes
// forward, so that the question stands over the page it is about, and the
// question goes through the host's dialogs.
#include <QObject>
#include <functional>

class BrowserHost;
class frmBrowser;

class WindowClosing : public QObject
{
    Q_OBJECT
public:
    WindowClosing(frmBrowser &window, BrowserHost &host);

    // `answered` gets whether the window may close; asked again while the
    // page is being asked, it gets the same answer.
    void askPage(std::function<void(bool mayClose)> answered);
    bool isAsking() const { return m_asking > 0; }

private:
    bool askPerson();

    frmBrowser &m_window;
    BrowserHost &m_host;
    int m_asking = 0;
};
