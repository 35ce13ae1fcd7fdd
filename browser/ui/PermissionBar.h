#pragma once
// A strip above the page asking whether a site may use something: one
// question at a time, in the order asked, Deny as the default. A question not
// answered in time is denied, so a page never waits for ever.
#include "browser/core/SiteAnswers.h"

#include <QFrame>
#include <QList>
#include <QUrl>

class QLabel;
class QPushButton;
class QTimer;

class PermissionBar : public QFrame
{
    Q_OBJECT
public:
    explicit PermissionBar(QWidget *parent);

    // Queues a question; one already waiting for the same is not asked twice.
    void ask(const QUrl &site, PagePermission what);
    // The page took its question back.
    void withdraw(const QUrl &site, PagePermission what);
    // Drops every question: each is denied, as a question nobody can answer.
    void denyAll();
    int pending() const { return m_questions.size(); }

    // How long a question waits; a new value counts for questions asked later.
    void setTimeout(int msecs) { m_timeoutMsecs = msecs; }

    // "wants to know your location", ...
    static QString wants(PagePermission what);

    QLabel *text;
    QPushButton *allow;
    QPushButton *deny;

signals:
    // remember: the user answered (true) or nobody did (false).
    void answered(const QUrl &site, PagePermission what, bool allowed, bool remember);
    // Shown or hidden: the page's room changes.
    void visibilityChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct Question
    {
        QUrl site;
        PagePermission what;
        QTimer *timer;
    };
    void answerFirst(bool allowed, bool remember);
    void remove(int index);
    void showFirst();

    QList<Question> m_questions;
    int m_timeoutMsecs = 60000;
};
