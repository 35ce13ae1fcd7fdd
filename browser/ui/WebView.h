#pragma once
// What a browser window needs from its page view: a few commands, the page's
// address and title, and six events. The window is written against this
// alone; the real view runs Qt WebEngine, the tests run a scripted fake.
#include "browser/core/Layout.h"
#include "browser/ui/PageActivity.h"

#include <QByteArray>
#include <QWidget>
#include <functional>

class Dialogs;
class DownloadList;
class PagePrompts;
class PromptArea;

class WebView : public QWidget
{
    Q_OBJECT
public:
    // Command values of CommandStateChange.
    enum Command { CommandForward = 1, CommandBack = 2 };

    explicit WebView(QWidget *parent = nullptr);

    virtual void GoHome() = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void Stop() = 0;
    virtual void Refresh() = 0;
    // The address exactly as the user or a favorite gave it.
    virtual void Navigate2(const QString &URL) = 0;

    virtual QString LocationURL() const = 0;
    virtual QString LocationName() const = 0;
    // The title the document itself declares; empty when it has none.
    virtual QString DocumentTitle() const = 0;

    // Looks for text in the page, forward or backward from the match shown;
    // an empty text ends the search and its highlighting. done gets the
    // match now shown (from 1) and how many there are, 0 for none.
    using FindResult = std::function<void(int active, int total)>;
    virtual void find(const QString &text, bool backward, FindResult done) = 0;
    // The page's zoom, 1.0 for 100 %; it stays with the view across pages.
    virtual void setZoomFactor(qreal factor) = 0;
    virtual qreal zoomFactor() const = 0;

    // Whether pages are to refuse new windows themselves, before the engine
    // builds anything for them. Requests that still reach the engine come
    // through NewWindow2 as usual.
    virtual void setNewWindowsRefused(bool refused) { Q_UNUSED(refused); }

    // Prints the page on a printer the user sets up in the print dialog.
    virtual void Print() = 0;
    // Writes the page as a PDF file; PdfSaved tells how it went. Failures
    // are told to the user by the view.
    virtual void SaveAsPdf(const QString &path) = 0;
    // How far the page rests while its window is out of sight (see
    // PageLifecycle), and what keeps it running.
    virtual PageResting &resting() = 0;
    virtual PageBusy &busy() = 0;

    // Runs the page's own check before its window closes (beforeunload).
    // When the page wants the person asked, `ask` runs and gives true for
    // Leave; `answered` then gets whether the window may close. A page that
    // does not answer in a second or two (hung, crashed) lets it close; so
    // does a page at rest, which holds nothing typed.
    using CloseQuestion = std::function<bool()>;
    using CloseAnswer = std::function<void(bool mayClose)>;
    virtual void askToClose(CloseQuestion ask, CloseAnswer answered) = 0;
    // The page's history with its current entry as the engine writes it
    // (with form text and scroll position where the page allows), for the
    // session; empty when the view has shown nothing.
    virtual QByteArray sessionHistory() const = 0;
    // Puts the view at rest at a history sessionHistory() gave (at
    // `address` when it cannot be read), showing `title`, with `zoom`:
    // nothing loads until the page is shown or used.
    virtual void restoreAtRest(const QByteArray &history, const QString &address, const QString &title,
                               qreal zoom) = 0;
    // Whether the focus is in the page itself, which then sees a key before
    // its window does.
    virtual bool hasPageFocus() const;

    // Places the view in its window's client area, in twips.
    void Move(const TwipRect &r);
    // Where the page's questions are put to the person, once a view that
    // asks has made it; null for one that never asks.
    PromptArea *promptArea() const { return m_promptArea; }

signals:
    void GotFocus();
    void BeforeNavigate2(const QString &URL);
    void CommandStateChange(int Command, bool Enable);
    void NavigateComplete2();
    void DocumentComplete();
    // Set Cancel to true to refuse the page's new window. Connect directly.
    void NewWindow2(bool &Cancel);
    // A page refused this many new windows itself (see setNewWindowsRefused).
    void NewWindowsRefused(int count);
    void PdfSaved(const QString &path, bool ok);
    // What sessionHistory() gives may have changed: a navigation, a title,
    // the zoom, or text typed into the page.
    void HistoryChanged();
    // A page was loaded and shown at URL: not the engine's page for a load
    // that failed, nor a download, nor the same page loaded again. Title is
    // the document's own, empty when it declares none.
    void PageLoaded(const QString &URL, const QString &Title);
    // The shown document's own title changed after it loaded.
    void TitleChange(const QString &Text);
    // A key the page had first and left: it did not use it, nor call
    // preventDefault() on it.
    void KeyNotTaken(int KeyCode, Qt::KeyboardModifiers Shift);

protected:
    // A key that reaches the view and not its page: the engine hands a key
    // here that the page left.
    void keyPressEvent(QKeyEvent *event) override;
    // Makes the area where this view's page asks its questions.
    PagePrompts &makePrompts(Dialogs &dialogs);

private:
    void onFocusChanged(QWidget *old, QWidget *now);

    PromptArea *m_promptArea = nullptr;
};

// Browser windows get their views from the factory the host was given.
class WebViewFactory
{
public:
    virtual ~WebViewFactory() = default;
    virtual WebView *create(QWidget *parent) = 0;
    // Clears what the engine keeps for every view; returns one sentence per
    // thing done, for the user.
    virtual QStringList clearBrowsingData(bool history, bool cookies, bool cache, bool siteStorage) = 0;
    // The downloads every view's pages start, which the host shows; none
    // where the views cannot download.
    virtual DownloadList *downloads() { return nullptr; }
};
