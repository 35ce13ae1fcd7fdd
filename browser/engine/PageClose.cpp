#include "browser/engine/PageClose.h"

#include <QPointer>
#include <QWebEnginePage>

PageClose::PageClose(QWebEnginePage *page) : QObject(page), m_page(page)
{
    m_wait.setSingleShot(true);
    m_wait.setInterval(WaitMs);
    connect(&m_wait, &QTimer::timeout, this, [this] { finish(true); });
    connect(page, &QWebEnginePage::windowCloseRequested, this, [this] {
        if (isAsking())
            finish(true);
        else
            emit closeRequested();
    });
    // A renderer that is gone runs no handler, and has nothing to keep.
    connect(page, &QWebEnginePage::renderProcessTerminated, this, [this] {
        if (isAsking())
            finish(true);
    });
}

void PageClose::ask(WebView::CloseQuestion question, WebView::CloseAnswer answered)
{
    const bool underWay = isAsking();
    m_answers << std::move(answered);
    if (underWay)
        return;
    m_question = std::move(question);
    m_wait.start();
    // The engine runs the page's beforeunload; when the page lets go, the
    // window is asked to close, and when it does not, nothing follows.
    m_page->triggerAction(QWebEnginePage::RequestClose);
}

bool PageClose::leaveQuestion()
{
    // The person takes the time they need.
    m_wait.stop();
    QPointer<PageClose> self(this);
    const bool leave = !m_question || m_question();
    if (!self)
        return leave;
    if (leave) {
        // The engine's close request follows, or the wait ends it.
        m_wait.start();
    } else {
        // Nothing more comes from the engine. The answer is given once the
        // engine has the person's, not from inside its question.
        QTimer::singleShot(0, this, [this] { finish(false); });
    }
    return leave;
}

bool PageClose::isLeaveQuestion(const QString &message)
{
    // The text Qt WebEngine puts for beforeunload, as it asks it.
    return message
           == QStringLiteral("Are you sure you want to leave this page? Changes that you made may not be saved.");
}

void PageClose::finish(bool mayClose)
{
    if (!isAsking())
        return;
    m_wait.stop();
    m_question = nullptr;
    const QList<WebView::CloseAnswer> answers = std::exchange(m_answers, {});
    QPointer<PageClose> self(this);
    for (const WebView::CloseAnswer &answered : answers) {
        if (answered)
            answered(mayClose);
        if (!self)
            return;
    }
}
