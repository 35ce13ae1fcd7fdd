#include "shell/ui/QuitQuestions.h"

#include "browser/ui/frmBrowser.h"
#include "common/ui/Dialogs.h"
#include "downloads/core/DownloadList.h"

QuitQuestions::QuitQuestions(QWidget *host, Dialogs &dialogs, DownloadList *downloads)
    : QObject(host), m_host(host), m_dialogs(dialogs), m_downloads(downloads)
{
}

QuitQuestions::Outcome QuitQuestions::ask(const QList<frmBrowser *> &windows, std::function<void()> agreedLater)
{
    if (m_asking)
        return Outcome::Pending;
    m_asking = true;
    m_left.clear();
    for (frmBrowser *window : windows)
        m_left << window;
    m_agreedLater = std::move(agreedLater);
    m_outcome.reset();
    m_inAsk = true;
    next();
    m_inAsk = false;
    if (!m_outcome)
        return Outcome::Pending;
    return *m_outcome ? Outcome::Agreed : Outcome::Refused;
}

void QuitQuestions::next()
{
    m_inNext = true;
    while (m_asking && !m_waiting) {
        if (m_left.isEmpty()) {
            finish(downloadsMayGo());
            break;
        }
        const QPointer<frmBrowser> window = m_left.takeFirst();
        // A window closed meanwhile has nothing left to ask.
        if (!window)
            continue;
        m_waiting = true;
        QPointer<QuitQuestions> self(this);
        window->askPage([self](bool mayClose) {
            if (self)
                self->answered(mayClose);
        });
    }
    m_inNext = false;
}

void QuitQuestions::answered(bool mayClose)
{
    if (!m_waiting)
        return;
    m_waiting = false;
    if (!mayClose) {
        finish(false);
        return;
    }
    // An answer that came at once is taken by the loop that asked.
    if (!m_inNext)
        next();
}

void QuitQuestions::finish(bool agreed)
{
    m_asking = false;
    m_left.clear();
    if (m_inAsk) {
        m_outcome = agreed;
        return;
    }
    if (agreed && m_agreedLater)
        m_agreedLater();
}

bool QuitQuestions::downloadsMayGo()
{
    // Running downloads would be lost with the program: the user says first.
    const int running = m_downloads ? m_downloads->runningCount() : 0;
    if (running == 0)
        return true;
    const QString text = running == 1 ? QStringLiteral("A download is still running. Quit and cancel it?")
                                      : QStringLiteral("%1 downloads are still running. Quit and cancel them?")
                                            .arg(running);
    if (!m_dialogs.ask(m_host, QStringLiteral("Quit Lumeno"), text))
        return false;
    m_downloads->cancelAll();
    return true;
}
