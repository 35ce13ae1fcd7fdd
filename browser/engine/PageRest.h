#pragma once
// A browser window's page at rest: frozen by the engine, or discarded. A
// discarded page is let go: the engine's page and view are deleted with all
// they hold, and where the page stood (its history, address and zoom) is
// kept, until the page is shown or used and a new one is made at the same
// entry.
#include "browser/ui/PageActivity.h"

#include <QByteArray>
#include <QUrl>

class QWebEnginePage;
class QtWebView;

class PageRest : public PageResting
{
    Q_OBJECT
public:
    explicit PageRest(QtWebView &view);

    PageLifecycle::State state() const override;
    void setState(PageLifecycle::State state) override;

    // Whether the page is let go, and where it stood.
    bool isLetGo() const;
    QUrl address() const { return m_address; }
    qreal zoom() const { return m_zoom; }
    // The engine's history as it was serialized when the page was let go.
    QByteArray history() const { return m_history; }
    // Makes the page again at the same entry; nothing when it is there.
    void bringBack();
    // Forgets what lies behind and ahead of a page let go.
    void forgetHistory() { m_history.clear(); }
    // A view without a page rests at this history (at `address` when the
    // history cannot be read), with this zoom, until it is shown or used.
    void restAt(const QByteArray &history, const QUrl &address, qreal zoom);

    // A page's history as the engine writes it, and back into a page just
    // made. The stream's version is fixed, so that what one Qt wrote reads
    // the same in a later one; false when the bytes cannot be read.
    static QByteArray historyOf(QWebEnginePage *page);
    static bool loadHistory(QWebEnginePage *page, const QByteArray &history);

private:
    void letGo();

    QtWebView &m_view;
    QByteArray m_history;
    QUrl m_address;
    qreal m_zoom = 1.0;
};
