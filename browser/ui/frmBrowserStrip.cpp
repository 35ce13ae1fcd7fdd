// The navigation strip, what the address box opens, and what the page view
// reports.
#include "browser/ui/frmBrowser.h"

#include "browser/ui/AddressBox.h"
#include "browser/ui/BrowserHost.h"
#include "browser/ui/FavoriteAddedBar.h"
#include "browser/ui/HostGuessBar.h"
#include "browser/ui/WebView.h"
#include "history/core/AddressInput.h"
#include "history/core/BrowsingHistory.h"
#include "history/core/HistoryStore.h"
#include "history/ui/AddressCompleter.h"
#include "shell/core/Module1.h"
#include "shell/core/Settings.h"
#include "common/ui/Twips.h"

#include <QLabel>
#include <QToolButton>

void frmBrowser::buildAddressTools()
{
    cmdZoom = new QToolButton(picStatus);
    cmdZoom->setObjectName(QStringLiteral("cmdZoom"));
    cmdZoom->setAutoRaise(true);
    cmdZoom->setFont(Twips::arial(8.25, false));
    cmdZoom->setToolTip(QStringLiteral("Zoom of this page: click to set it back to 100 % (Ctrl+0)"));
    Twips::place(cmdZoom, Layout::cmdZoom);
    cmdZoom->hide();
    connect(cmdZoom, &QToolButton::clicked, this, &frmBrowser::zoomReset);

    if (BrowsingHistory *history = m_host.history()) {
        completer = new AddressCompleter(txtURL, *history);
        connect(completer, &AddressCompleter::activated, this, &frmBrowser::openFromAddressBox);
    }
    guessBar = new HostGuessBar(m_client);
    connect(guessBar, &HostGuessBar::accepted, this,
            [this](const QUrl &guess) { openFromAddressBox(guess.toString(QUrl::FullyEncoded)); });
    favoriteBar = new FavoriteAddedBar(m_host.dialogs(), m_client);
    connect(favoriteBar, &FavoriteAddedBar::favoritesChanged, this, [this] {
        ClearFavoritesMenu();
        LoadFavoritesMenu();
    });
    connect(guessBar, &HostGuessBar::visibilityChanged, this, &frmBrowser::Form_Resize);
    connect(favoriteBar, &FavoriteAddedBar::visibilityChanged, this, &frmBrowser::Form_Resize);
    connect(guessBar, &HostGuessBar::finished, this, &frmBrowser::focusPage);
    connect(favoriteBar, &FavoriteAddedBar::finished, this, &frmBrowser::focusPage);
}

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
    // A row chosen in the list, or the page the text was completed to.
    if (const QString chosen = completer ? completer->chosenAddress() : QString(); !chosen.isEmpty()) {
        openFromAddressBox(chosen);
        return;
    }
    const AddressInput::Meaning meaning = AddressInput::interpret(txtURL->text());
    switch (meaning.kind) {
    case AddressInput::Meaning::Nothing:
        return;
    case AddressInput::Meaning::Address:
        openFromAddressBox(meaning.address.toString(QUrl::FullyEncoded));
        return;
    case AddressInput::Meaning::Search:
        openFromAddressBox(AddressInput::searchAddress(Settings::searchAddress(m_host.store()), meaning.terms)
                               .toString(QUrl::FullyEncoded));
        if (meaning.hostGuess.isValid())
            guessBar->offer(meaning.hostGuess);
        return;
    }
}

void frmBrowser::openFromAddressBox(const QString &address)
{
    guessBar->withdraw();
    if (completer)
        completer->reset();
    txtURL->setModified(false);
    wb->Navigate2(address);
    // The page is what the person reads and scrolls next.
    focusPage();
}

void frmBrowser::cmdGo_MouseUp()
{
    // Go has handed the focus to the page; the strip takes it only from a
    // click that opened nothing.
    if (cmdGo->hasFocus())
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
    // What the person is typing stays: a page that goes on by itself (a new
    // window's home page, a redirect) does not overwrite it.
    const bool inBox = txtURL->hasFocus();
    if (inBox && txtURL->isModified())
        return;
    txtURL->setText(URL);
    if (completer)
        completer->reset();
    // In the box, the new address is selected as a whole, so that typing
    // replaces it.
    if (inBox)
        txtURL->selectAll();
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

void frmBrowser::wb_PageLoaded(const QString &URL, const QString &Title)
{
    if (BrowsingHistory *history = m_host.history())
        history->store().recordVisit(QUrl(URL), Title);
}

void frmBrowser::wb_TitleChange(const QString &Text)
{
    if (BrowsingHistory *history = m_host.history())
        history->store().setTitle(QUrl(wb->LocationURL()), Text);
}

void frmBrowser::wb_NewWindowsRefused(int count)
{
    // The page's own script refused these while blocking was on; they count
    // as blocked whatever the option says by now.
    m_host.popupsRefused(count);
}
