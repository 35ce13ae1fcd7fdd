#include "browser/ui/WindowClosing.h"

#include "browser/ui/BrowserHost.h"
#include "browser/ui/WebView.h"
#include "browser/ui/frmBrowser.h"
#include "common/ui/Dialogs.h"

#include <QPointer>

WindowClosing::WindowClosing(frmBrowser &window, BrowserHost &host)
    : QObject(&window), m_window(window), m_host(host)
{
}

void WindowClosing::askPage(std::function<void(bool mayClose)> answered)
{
    ++m_asking;
    QPointer<WindowClosing> self(this);
    m_window.wb->askToClose([self] { return !self || self->askPerson(); },
                            [self, answered = std::move(answered)](bool mayClose) {
                                if (self)
                                    --self->m_asking;
                                if (answered)
                                    answered(mayClose);
                            });
}

bool WindowClosing::askPerson()
{
    // A minimized window shows again: the person sees what they decide on.
    if (m_window.isMinimizedInHost())
        m_window.Restore();
    else
        m_window.raise();
    return m_host.dialogs().askToLeave(&m_window, m_window.currentAddress());
}
