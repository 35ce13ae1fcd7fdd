#include "browser/engine/QtWebView.h"

#include "browser/core/SiteAnswers.h"
#include "browser/engine/CrashNotice.h"
#include "browser/engine/LumenoPage.h"
#include "browser/engine/PageAddresses.h"
#include "browser/engine/PageBusyWatch.h"
#include "browser/engine/PagePrinter.h"
#include "browser/engine/PageRest.h"
#include "browser/engine/PageQuestions.h"
#include "browser/engine/PopupWindow.h"
#include "browser/engine/PageScripts.h"
#include "shell/core/Settings.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QPointer>
#include <QRandomGenerator>
#include <QTimer>
#include <QWebEngineFindTextResult>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <malloc.h>
#include <utility>

namespace {
// The C library keeps the heap a page's engine objects leave behind for
// later use; a few seconds after the last page rests for good or goes, the
// free part of it is given back to the system.
void giveBackFreedMemorySoon()
{
    static QPointer<QTimer> timer;
    if (!timer) {
        timer = new QTimer(QCoreApplication::instance());
        timer->setSingleShot(true);
        timer->setInterval(3000);
        QObject::connect(timer, &QTimer::timeout, [] { malloc_trim(0); });
    }
    timer->start();
}
} // namespace

QtWebView::QtWebView(QWebEngineProfile *profile, SettingsStore &store, Dialogs &dialogs, QWidget *parent,
                     SiteAnswers *answers)
    : WebView(parent), m_store(store), m_dialogs(dialogs), m_prompts(makePrompts(dialogs)), m_profile(profile),
      m_token(QString::number(QRandomGenerator::system()->generate64(), 36)
              + QString::number(QRandomGenerator::system()->generate64(), 36)),
      m_answers(answers), m_ownAnswers(answers ? nullptr : std::make_unique<SiteAnswers>())
{
    setFocusPolicy(Qt::StrongFocus);
    m_rest = new PageRest(*this);
    m_busy = new PageBusyWatch(profile, this);
    m_stateSettles = new QTimer(this);
    m_stateSettles->setSingleShot(true);
    // The engine's renderer hands the page's state over a second after a
    // change; half a second more, and the text is in it.
    m_stateSettles->setInterval(1500);
    connect(m_stateSettles, &QTimer::timeout, this, [this] {
        m_broughtBack.clear();
        emit HistoryChanged();
    });
    // The engine's page is made when first used: a window brought back at
    // rest costs nothing until it is seen.
}

QtWebView::~QtWebView()
{
    dropPage();
}

void QtWebView::makePage()
{
    m_view = new QWebEngineView(this);
    m_page = new LumenoPage(m_profile, this, true, this);
    m_view->setPage(m_page);
    m_questions = new PageQuestions(m_view, this, m_answers ? *m_answers : *m_ownAnswers, m_prompts);
    m_printer = new PagePrinter(m_view, m_dialogs);
    connect(m_printer, &PagePrinter::pdfSaved, this, &QtWebView::PdfSaved);
    setFocusProxy(m_view);

    // The history actions are made on first use; make them now so that their
    // changes are seen from the first page on.
    connect(m_page->action(QWebEnginePage::Back), &QAction::enabledChanged, this,
            [this](bool enabled) { emit CommandStateChange(CommandBack, enabled); });
    connect(m_page->action(QWebEnginePage::Forward), &QAction::enabledChanged, this,
            [this](bool enabled) { emit CommandStateChange(CommandForward, enabled); });
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] {
        ++m_navigation;
        // Another page than the one brought back: the engine's record is
        // the one to keep.
        if (m_stateSettles->isActive())
            m_broughtBack.clear();
    });
    connect(m_page, &QWebEnginePage::loadFinished, this, &QtWebView::onLoadFinished);
    connect(m_page, &QWebEnginePage::titleChanged, this, &QtWebView::onTitleChanged);
    // Fragment and pushState changes only show here.
    connect(m_page, &QWebEnginePage::urlChanged, this, &QtWebView::announce);
    connect(m_page, &QWebEnginePage::urlChanged, this, &WebView::HistoryChanged);
    connect(m_page, &QWebEnginePage::titleChanged, this, &WebView::HistoryChanged);
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                onRendererGone(status);
            });
    connect(m_page, &QWebEnginePage::lifecycleStateChanged, m_rest, &PageResting::stateChanged);
    m_busy->watch(m_page);
    PageScripts::install(m_page, m_token, m_refuse);
}

void QtWebView::dropPage()
{
    if (!m_page)
        return;
    // What the page still waits for is answered while the page is there.
    delete m_questions;
    m_questions = nullptr;
    delete m_printer;
    m_printer = nullptr;
    m_busy->watch(nullptr);
    setFocusProxy(nullptr);
    // The page goes before the view it is shown in, and before its profile.
    m_view->setPage(nullptr);
    delete m_page;
    m_page = nullptr;
    delete m_view;
    m_view = nullptr;
    giveBackFreedMemorySoon();
}

void QtWebView::bringPageBack()
{
    m_rest->bringBack();
}

void QtWebView::placePage()
{
    m_questions->layout();
}

PageResting &QtWebView::resting()
{
    return *m_rest;
}

PageBusy &QtWebView::busy()
{
    return *m_busy;
}

QWebEngineView *QtWebView::engineView()
{
    bringPageBack();
    return m_view;
}

PageQuestions *QtWebView::questions()
{
    bringPageBack();
    return m_questions;
}

void QtWebView::clearHistory()
{
    if (m_page) {
        m_page->history()->clear();
        return;
    }
    // A page let go comes back at its address, with nothing behind or ahead.
    m_rest->forgetHistory();
    emit CommandStateChange(CommandForward, false);
    emit CommandStateChange(CommandBack, false);
}

void QtWebView::prepareEnvironment()
{
    // Chromium keeps its own process model, a renderer per window: sharing
    // one (--process-per-site) saved 20 MB at five windows, but this engine
    // then puts every window, whatever its site, in that one renderer, so a
    // crash or a busy script would take them all.
    // The views draw through Qt Quick. With its OpenGL renderer, any repaint
    // in the window (the clock, every second) recomposes the whole window,
    // which keeps a core 1 to 3 % busy where OpenGL runs in software; the
    // software renderer repaints only what changed, and needs less memory.
    // A choice made in the environment stands.
    if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
}

void QtWebView::GoHome()
{
    const QString home = m_store.GetSetting(Settings::AppName, Settings::InternetSection,
                                            Settings::KeyHomePage, QString());
    const QUrl url = PageAddresses::fromText(home);
    bringPageBack();
    m_view->load(PageAddresses::isHomePage(url) ? url : QUrl(PageAddresses::startPage()));
}

// Back or forward without such a page is ignored by the engine.
void QtWebView::GoBack()
{
    bringPageBack();
    m_view->back();
}

void QtWebView::GoForward()
{
    bringPageBack();
    m_view->forward();
}

void QtWebView::Stop()
{
    if (m_view)
        m_view->stop();
}

void QtWebView::Refresh()
{
    bringPageBack();
    // After a crash, reloading means the page that was lost, not the notice.
    if (!m_crashed.isEmpty())
        m_view->load(m_crashed);
    else
        m_view->reload();
}

void QtWebView::onRendererGone(int status)
{
    if (status == QWebEnginePage::NormalTerminationStatus)
        return;
    // A short notice with a way back; never an automatic reload, which could
    // crash again and again.
    m_crashed = m_page->url();
    m_page->setHtml(CrashNotice::html(m_crashed));
}

void QtWebView::Navigate2(const QString &URL)
{
    const QUrl url = PageAddresses::fromText(URL);
    if (!url.isValid())
        return;
    bringPageBack();
    m_view->load(url);
}

QString QtWebView::LocationURL() const
{
    const QUrl url = !m_crashed.isEmpty() ? m_crashed : m_page ? m_page->url() : m_rest->address();
    // Empty is what the home-page setting takes for the start page, too.
    return PageAddresses::isOwnPage(url) ? QString() : url.toString();
}

QString QtWebView::LocationName() const
{
    return m_documentTitle;
}

QString QtWebView::DocumentTitle() const
{
    return m_documentTitle;
}

void QtWebView::announce(const QUrl &url)
{
    // The crash notice keeps the lost page's address in the box.
    if (!m_crashed.isEmpty()) {
        if (url.scheme() == QLatin1String("data"))
            return;
        m_crashed.clear();
    }
    // A navigation is announced before it starts; its commit, which reports
    // the same address, is not announced twice.
    if (url == m_announced)
        return;
    m_announced = url;
    emit BeforeNavigate2(PageAddresses::isOwnPage(url) ? QString() : url.toString());
}

void QtWebView::emitHistoryState()
{
    emit CommandStateChange(CommandForward, m_page->history()->canGoForward());
    emit CommandStateChange(CommandBack, m_page->history()->canGoBack());
}

void QtWebView::onLoadFinished(bool ok)
{
    emit HistoryChanged();
    if (!m_broughtBack.isEmpty() && !m_stateSettles->isActive())
        m_stateSettles->start();
    // A navigation that turned into a download leaves the page where it was:
    // the address shown goes back to it.
    if (m_crashed.isEmpty() && !m_page->url().isEmpty() && m_page->url() != m_announced)
        announce(m_page->url());
    emitHistoryState();
    // A load cut short by discarding: the page runs no script until it is
    // loaded again, and the title it had stays.
    if (m_page->lifecycleState() == QWebEnginePage::LifecycleState::Discarded)
        return;
    // A load that failed shows the engine's own page at the address that
    // failed; one that became a download shows nothing new.
    const bool shown = ok && m_crashed.isEmpty() && !m_reloading;
    m_reloading = false;
    // The engine's title falls back to the address; ask the document itself.
    const quint64 navigation = m_navigation;
    QPointer<QtWebView> self(this);
    m_page->runJavaScript(QStringLiteral("document.title"), QWebEngineScript::ApplicationWorld,
                          [self, navigation, shown](const QVariant &title) {
                              if (!self || self->m_navigation != navigation)
                                  return; // a newer navigation has started
                              self->m_documentTitle = title.toString();
                              self->m_loaded = navigation;
                              emit self->NavigateComplete2();
                              emit self->DocumentComplete();
                              if (shown)
                                  emit self->PageLoaded(self->LocationURL(), self->m_documentTitle);
                          });
}

void QtWebView::onTitleChanged()
{
    // Only a change after the load told the first title; the engine's own
    // title falls back to the address, so the document is asked again.
    const quint64 navigation = m_navigation;
    if (m_loaded != navigation || !m_page)
        return;
    QPointer<QtWebView> self(this);
    m_page->runJavaScript(QStringLiteral("document.title"), QWebEngineScript::ApplicationWorld,
                          [self, navigation](const QVariant &answer) {
                              const QString title = answer.toString();
                              if (!self || self->m_navigation != navigation || title == self->m_documentTitle)
                                  return;
                              self->m_documentTitle = title;
                              emit self->TitleChange(title);
                          });
}

bool QtWebView::hasPageFocus() const
{
    const QWidget *focus = QApplication::focusWidget();
    return m_view && focus && (focus == m_view || m_view->isAncestorOf(focus));
}

void QtWebView::setNewWindowsRefused(bool refused)
{
    if (refused == m_refuse)
        return;
    m_refuse = refused;
    // A page let go gets the script with the new answer when it comes back.
    if (m_page)
        PageScripts::setRefused(m_page, m_token, refused);
}

void QtWebView::handleNewWindow(QWebEngineNewWindowRequest &request)
{
    bool cancel = false;
    emit NewWindow2(cancel);
    if (cancel)
        return; // not opened: the engine drops the request
    auto *popup = new PopupWindow(m_profile, this, m_dialogs, window());
    request.openIn(popup->popupPage());
    popup->show();
}

void QtWebView::resizeEvent(QResizeEvent *)
{
    if (m_questions)
        m_questions->layout();
}

void QtWebView::Print()
{
    bringPageBack();
    m_printer->print();
}

void QtWebView::SaveAsPdf(const QString &path)
{
    bringPageBack();
    m_printer->saveAsPdf(path);
}

void QtWebView::find(const QString &text, bool backward, FindResult done)
{
    const QWebEnginePage::FindFlags flags = backward ? QWebEnginePage::FindBackward
                                                     : QWebEnginePage::FindFlags();
    bringPageBack();
    m_page->findText(text, flags, [done](const QWebEngineFindTextResult &result) {
        if (done)
            done(result.activeMatch(), result.numberOfMatches());
    });
}

void QtWebView::setZoomFactor(qreal factor)
{
    bringPageBack();
    m_view->setZoomFactor(factor);
    emit HistoryChanged();
}

void QtWebView::userTyped()
{
    m_busy->userTyped();
    m_stateSettles->start();
}

void QtWebView::askToClose(CloseQuestion ask, CloseAnswer answered)
{
    // A page at rest holds nothing typed: such a page is never let go.
    if (!m_page) {
        answered(true);
        return;
    }
    m_page->askToClose(std::move(ask), std::move(answered));
}

QByteArray QtWebView::sessionHistory() const
{
    if (!m_page)
        return m_rest->history();
    // A page brought back holds what was typed before only once the engine
    // has its state again.
    return m_broughtBack.isEmpty() ? PageRest::historyOf(m_page) : m_broughtBack;
}

void QtWebView::restoreAtRest(const QByteArray &history, const QString &address, const QString &title,
                              qreal zoom)
{
    // A page made before shows nothing the person chose.
    dropPage();
    m_crashed.clear();
    const QUrl url = address.isEmpty() ? QUrl(PageAddresses::startPage()) : PageAddresses::fromText(address);
    m_rest->restAt(history, url, zoom);
    m_documentTitle = title;
    announce(url);
    emit NavigateComplete2();
}

qreal QtWebView::zoomFactor() const
{
    return m_page ? m_page->zoomFactor() : m_rest->zoom();
}
