#include "browser/engine/PageRest.h"

#include "browser/engine/LumenoPage.h"
#include "browser/engine/PagePrinter.h"
#include "browser/engine/QtWebView.h"
#include "common/ui/ModalLoops.h"

#include <QDataStream>
#include <QIODevice>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <utility>

namespace {
QWebEnginePage::LifecycleState toEngine(PageLifecycle::State state)
{
    switch (state) {
    case PageLifecycle::State::Frozen:
        return QWebEnginePage::LifecycleState::Frozen;
    case PageLifecycle::State::Discarded:
        return QWebEnginePage::LifecycleState::Discarded;
    case PageLifecycle::State::Active:
        break;
    }
    return QWebEnginePage::LifecycleState::Active;
}
} // namespace

PageRest::PageRest(QtWebView &view) : PageResting(&view), m_view(view) {}

bool PageRest::isLetGo() const
{
    return m_view.m_page == nullptr;
}

PageLifecycle::State PageRest::state() const
{
    const QWebEnginePage *page = m_view.m_page;
    if (!page)
        return PageLifecycle::State::Discarded;
    switch (page->lifecycleState()) {
    case QWebEnginePage::LifecycleState::Frozen:
        return PageLifecycle::State::Frozen;
    case QWebEnginePage::LifecycleState::Discarded:
        return PageLifecycle::State::Discarded;
    case QWebEnginePage::LifecycleState::Active:
        break;
    }
    return PageLifecycle::State::Active;
}

void PageRest::setState(PageLifecycle::State state)
{
    QWebEnginePage *page = m_view.m_page;
    if (!page) {
        if (state == PageLifecycle::State::Active)
            bringBack();
        return;
    }
    // The engine refuses to rest a page that is shown, with a warning; such a
    // request is a mistake in the caller, not in the page.
    if (state != PageLifecycle::State::Active && page->isVisible())
        return;
    // A page of a window out of sight may still ask something (an alert from
    // a timer, a sign-in): it stays as it is while its dialog is up, since
    // letting it go would take the page and view from under that dialog.
    if (state != PageLifecycle::State::Active && ModalLoops::busy(&m_view))
        return;
    // The engine's discarded page still holds most of a megabyte in this
    // process; a page let go holds nothing. The crash notice and a page being
    // printed are only discarded by the engine.
    if (state == PageLifecycle::State::Discarded && !m_view.hasCrashed() && !m_view.m_printer->isBusy()) {
        letGo();
        return;
    }
    page->setLifecycleState(toEngine(state));
}

void PageRest::letGo()
{
    // Where the page stood is all that is kept: its history, address and
    // zoom; the engine's page and view go with everything they hold.
    QWebEnginePage *page = m_view.m_page;
    m_history = historyOf(page);
    m_address = page->url();
    m_zoom = page->zoomFactor();
    m_view.dropPage();
    emit stateChanged();
}

void PageRest::bringBack()
{
    if (m_view.m_page)
        return;
    const QByteArray history = std::exchange(m_history, QByteArray());
    const QUrl address = std::exchange(m_address, QUrl());
    m_view.makePage();
    QWebEnginePage *page = m_view.m_page;
    page->setZoomFactor(std::exchange(m_zoom, 1.0));
    m_view.placePage();
    m_view.m_view->show();
    // The same entry of the same history is loaded again.
    if (loadHistory(page, history))
        m_view.m_broughtBack = history;
    else if (address.isValid())
        page->load(address);
    emit stateChanged();
}

void PageRest::restAt(const QByteArray &history, const QUrl &address, qreal zoom)
{
    if (m_view.m_page)
        return;
    m_history = history;
    m_address = address;
    m_zoom = zoom;
    emit stateChanged();
}

namespace {
constexpr QDataStream::Version HistoryStreamVersion = QDataStream::Qt_6_4;
} // namespace

QByteArray PageRest::historyOf(QWebEnginePage *page)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(HistoryStreamVersion);
    out << *page->history();
    return bytes;
}

bool PageRest::loadHistory(QWebEnginePage *page, const QByteArray &history)
{
    if (history.isEmpty())
        return false;
    QDataStream in(history);
    in.setVersion(HistoryStreamVersion);
    in >> *page->history();
    return in.status() == QDataStream::Ok && page->history()->count() > 0;
}
