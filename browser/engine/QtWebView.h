#pragma once
// The page view on Qt WebEngine.
#include "browser/ui/WebView.h"

#include <QByteArray>
#include <QPointer>
#include <QUrl>
#include <memory>

class Dialogs;
class PagePrompts;
class QWebEngineNewWindowRequest;
class QWebEngineProfile;
class QWebEngineView;
class SettingsStore;
class LumenoPage;
class PageBusyWatch;
class PagePrinter;
class PageRest;
class PageQuestions;
class QTimer;
class SiteAnswers;

class QtWebView : public WebView
{
    Q_OBJECT
public:
    // answers: what the user answered pages, shared by every view of the
    // factory; without it the view keeps its own.
    QtWebView(QWebEngineProfile *profile, SettingsStore &store, Dialogs &dialogs, QWidget *parent,
              SiteAnswers *answers = nullptr);
    ~QtWebView() override;

    void GoHome() override;
    void GoBack() override;
    void GoForward() override;
    void Stop() override;
    void Refresh() override;
    void Navigate2(const QString &URL) override;

    QString LocationURL() const override;
    QString LocationName() const override;
    QString DocumentTitle() const override;

    void setNewWindowsRefused(bool refused) override;
    bool hasPageFocus() const override;
    void find(const QString &text, bool backward, FindResult done) override;
    void setZoomFactor(qreal factor) override;
    qreal zoomFactor() const override;
    void Print() override;
    void SaveAsPdf(const QString &path) override;
    PageResting &resting() override;
    PageBusy &busy() override;
    void askToClose(CloseQuestion ask, CloseAnswer answered) override;
    QByteArray sessionHistory() const override;
    void restoreAtRest(const QByteArray &history, const QString &address, const QString &title,
                       qreal zoom) override;

    // Sets up how the engine runs; call before the application object exists.
    static void prepareEnvironment();

    // The engine's view and the page's questions; a page let go comes back.
    QWebEngineView *engineView();
    PageQuestions *questions();
    // Forgets what lies behind and ahead of the page shown.
    void clearHistory();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class LumenoPage;
    friend class PageRest;
    void announce(const QUrl &url);
    void onLoadFinished(bool ok);
    void onTitleChanged();
    void emitHistoryState();
    void handleNewWindow(QWebEngineNewWindowRequest &request);
    void onRendererGone(int status);
    bool hasCrashed() const { return !m_crashed.isEmpty(); }
    // The user typed into the page.
    void userTyped();
    // The engine's page and view, with what hangs on them, made and dropped.
    void makePage();
    void dropPage();
    // Places the page's view below whatever its page asks.
    void placePage();
    // A page let go while it rested comes back to be shown or used.
    void bringPageBack();

    SettingsStore &m_store;
    Dialogs &m_dialogs;
    PagePrompts &m_prompts;
    QWebEngineProfile *m_profile;
    QWebEngineView *m_view = nullptr;
    LumenoPage *m_page = nullptr;
    PageRest *m_rest;
    PageBusyWatch *m_busy;
    // What is typed, or put back into a page brought back, reaches the
    // engine's record of the page a moment later: then the history is worth
    // writing again.
    QTimer *m_stateSettles;
    // The history a page was brought back at, which stands for it until the
    // engine's record has settled.
    QByteArray m_broughtBack;
    QString m_documentTitle;
    QUrl m_announced;
    quint64 m_navigation = 0;
    // The navigation whose load told its title last.
    quint64 m_loaded = 0;
    // The main frame is being loaded again (a reload, no new visit).
    bool m_reloading = false;
    bool m_refuse = false;
    // The page whose renderer died, while the error page stands in for it.
    QUrl m_crashed;
    // Marks the page script's reports, so that a page cannot forge them.
    QString m_token;
    SiteAnswers *m_answers;
    std::unique_ptr<SiteAnswers> m_ownAnswers;
    PageQuestions *m_questions = nullptr;
    PagePrinter *m_printer = nullptr;
};
