#pragma once
// What a browser window may ask of the window that holds it. The window knows
// its host through this alone; the host keeps the list of its windows.
class BrowsingHistory;
class Dialogs;
class QWidget;
class SettingsStore;
class frmBrowser;

class BrowserHost
{
public:
    // The area the browser windows live in.
    virtual QWidget *workspace() const = 0;
    virtual SettingsStore &store() = 0;
    // Where the window puts its questions to the person.
    virtual Dialogs &dialogs() = 0;
    // The window has unloaded and leaves the host's list.
    virtual void browserWindowClosed(frmBrowser *window) = 0;
    // A page's new windows were refused.
    virtual void popupsRefused(int count) = 0;
    virtual void showReadme() = 0;
    // Alt+F4 in a window ends the program, as in the host.
    virtual void closeHost() = 0;
    // Where the focus goes when a window closes.
    virtual void takeFocus() = 0;
    // Brings the next (step 1) or previous (-1) browser window forward, in
    // the order they were opened, round at the ends.
    virtual void switchWindow(frmBrowser *from, int step) = 0;
    // Shows the favorites editor over the window, modally; returns once it
    // has closed.
    virtual void editFavorites(frmBrowser *from) = 0;
    // The history the window records its pages in and its address box
    // suggests from; null where the program keeps none.
    virtual BrowsingHistory *history() = 0;
    // Shows the History window; a page opened from it opens in `from`.
    virtual void showHistory(frmBrowser *from) = 0;
    // Opens the host's menu bar for the keyboard (F10).
    virtual void openMenuBar() = 0;
    // Brings back the window closed last, if the host keeps closed windows.
    virtual void reopenClosedWindow() {}

protected:
    ~BrowserHost() = default;
};
