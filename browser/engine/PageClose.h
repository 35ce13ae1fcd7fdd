#pragma once
// Closing a page the way the engine offers it: the page runs its
// beforeunload first, and its window closes only when the page lets it. The
// engine asks its leave question through the page's javaScriptConfirm, which
// hands it here while a close is under way; the answer the person gives ends
// the wait at once when it is Stay, and the engine's close request ends it
// otherwise. A page that says nothing (its renderer hung or gone) lets the
// window close after a short wait.
#include "browser/ui/WebView.h"

#include <QList>
#include <QObject>
#include <QTimer>

class QWebEnginePage;

class PageClose : public QObject
{
    Q_OBJECT
public:
    // How long a page that does not answer holds its window. The engine's
    // own watch gives up on a hung page after about a second.
    static constexpr int WaitMs = 2000;

    explicit PageClose(QWebEnginePage *page);

    // Asks the page; a close already under way gets one more answer.
    void ask(WebView::CloseQuestion question, WebView::CloseAnswer answered);
    bool isAsking() const { return !m_answers.isEmpty(); }
    // The engine's leave question, while asking: the person's answer.
    bool leaveQuestion();
    // Whether a confirm the page's engine puts is its leave question.
    static bool isLeaveQuestion(const QString &message);

signals:
    // The engine asked its window to close without being asked (the page's
    // own window.close()).
    void closeRequested();

private:
    void finish(bool mayClose);

    QWebEnginePage *m_page;
    QTimer m_wait;
    WebView::CloseQuestion m_question;
    QList<WebView::CloseAnswer> m_answers;
};
