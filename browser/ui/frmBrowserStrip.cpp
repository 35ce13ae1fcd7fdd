// The navigation strip and what the page view reports.
#include "browser/ui/frmBrowser.h"

#include "browser/ui/AddressBox.h"
#include "browser/ui/WebView.h"
#include "shell/core/Module1.h"
#include "browser/ui/BrowserHost.h"

#include <QLabel>
#include <QToolButton>

void frmBrowser::cmdBack_Click()
{
    wb->GoBack();
    picStatus->setFocus(Qt::OtherFocusReason);
}

void frmBrowser::cmdForward_Click()
{
    wb->GoForward();
    picStatus->setFocus(Qt::OtherFocusReason);
}

void frmBrowser::cmdStop_Click()
{
    wb->Stop();
}

void frmBrowser::cmdGoHome_Click()
{
    wb->GoHome();
    picStatus->setFocus(Qt::OtherFocusReason);
}

void frmBrowser::cmdRefresh_Click()
{
    wb->Refresh();
    picStatus->setFocus(Qt::OtherFocusReason);
}

void frmBrowser::cmdGo_Click()
{
    wb->Navigate2(txtURL->text());
}

void frmBrowser::cmdGo_MouseUp()
{
    picStatus->setFocus(Qt::MouseFocusReason);
}

void frmBrowser::txtURL_GotFocus()
{
    txtURL->selectAll();
}

void frmBrowser::txtURL_EnterPressed()
{
    cmdGo_Click();
}

void frmBrowser::wb_BeforeNavigate2(const QString &URL)
{
    txtURL->setText(URL);
}

void frmBrowser::wb_CommandStateChange(int Command, bool Enable)
{
    if (Command == WebView::CommandForward)
        cmdForward->setEnabled(Enable);
    else if (Command == WebView::CommandBack)
        cmdBack->setEnabled(Enable);
}

void frmBrowser::wb_NavigateComplete2()
{
    lblTitle->setText(wb->DocumentTitle());
}

void frmBrowser::wb_DocumentComplete()
{
    lblTitle->setText(wb->DocumentTitle());
}

void frmBrowser::wb_NewWindow2(bool &Cancel)
{
    if (!KillPopups)
        return;
    Cancel = true;
    m_host.popupsRefused(1);
}

void frmBrowser::wb_NewWindowsRefused(int count)
{
    // The page's own script refused these while blocking was on; they count
    // as blocked whatever the option says by now.
    m_host.popupsRefused(count);
}
