#pragma once
// What Quit asks before anything goes: every browser window's page, one
// after the other, each over its own window (the front one first), and then
// whether running downloads may be cancelled. The first "Stay on page", or a
// No to the downloads, ends the asking and leaves every window open.
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>
#include <optional>

class Dialogs;
class DownloadList;
class QWidget;
class frmBrowser;

class QuitQuestions : public QObject
{
    Q_OBJECT
public:
    // host: where the downloads question is asked; downloads: none when
    // the views cannot download.
    QuitQuestions(QWidget *host, Dialogs &dialogs, DownloadList *downloads);

    enum class Outcome { Agreed, Refused, Pending };
    // Asks the windows, front first. Agreed or Refused when every answer
    // came at once; Pending otherwise, and `agreedLater` runs once the last
    // page and the downloads question agree (nothing runs on a refusal).
    // While an earlier Quit is still asking, it goes on and this one is
    // Pending.
    Outcome ask(const QList<frmBrowser *> &windows, std::function<void()> agreedLater);
    bool isAsking() const { return m_asking; }

private:
    void next();
    void answered(bool mayClose);
    void finish(bool agreed);
    bool downloadsMayGo();

    QWidget *m_host;
    Dialogs &m_dialogs;
    DownloadList *m_downloads;
    QList<QPointer<frmBrowser>> m_left;
    std::function<void()> m_agreedLater;
    bool m_asking = false;
    bool m_waiting = false;
    bool m_inAsk = false;
    bool m_inNext = false;
    std::optional<bool> m_outcome;
};
