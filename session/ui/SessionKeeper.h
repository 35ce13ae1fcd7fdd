#pragma once
// Keeps the session of the host's browser windows in the browsing-data file
// as it changes: every move, resize, stacking change, navigation, title,
// zoom and text typed, every window opened and closed. The whole session is
// handed to the writer, which writes at most about once a second off the
// user's path; at the end it is written at once. The windows closed lately
// are kept too, for Reopen Closed Window, across runs.
//
// One program writes one file: a second Lumeno (started with
// --new-instance) finds the file taken and keeps no session; it still
// reopens its own closed windows while it runs.
#include "session/core/SessionRecords.h"
#include "session/core/SessionStore.h"

#include <QHash>
#include <QLockFile>
#include <QObject>

#include <memory>
#include <optional>

class QTimer;
class SessionHost;
class SessionWriter;
class frmBrowser;

class SessionKeeper : public QObject
{
    Q_OBJECT
public:
    // Opens the file at `path`, reads how the last run ended and what it
    // left, and marks this run begun. A file that cannot be used is told to
    // the person once, and the program goes on without a session.
    SessionKeeper(SessionHost &host, const QString &path, QObject *parent = nullptr);
    ~SessionKeeper() override;

    // Whether this program writes the file.
    bool isKeeping() const { return m_writer != nullptr; }
    // How the last run ended; nothing when the file is not this program's.
    std::optional<SessionStore::RunStart> runStart() const { return m_runStart; }
    // The windows the last run left, bottom of the stack first.
    const Session &lastSession() const { return m_last; }

    // A window that joined the host; `id` is the one it had before it was
    // closed or the program ended, 0 for a new window.
    void watch(frmBrowser *window, qint64 id = 0);
    // A window leaves the host: it is kept among the closed ones.
    void windowClosed(frmBrowser *window);
    // Newest first.
    const QList<ClosedWindow> &closedWindows() const { return m_closed; }
    // Takes a closed window out of the list, to open it again.
    std::optional<WindowRecord> takeClosed(int index);

    // Windows offered for restoring stay in the file, below the open ones,
    // until the person has answered: a crash before that offers them again.
    void setOffered(const QList<WindowRecord> &windows);
    // Windows are being brought back: an unclean end now counts as one
    // while restoring.
    void setRestoring(bool restoring);

    // Writes the session at once and stops keeping it; windows that close
    // after this are the program's end, not the person's. `quit`: the run
    // ended by Quit. Runs once.
    void end(bool quit);

    // The session as it stands.
    Session collect();
    // The writer's figures (for measuring).
    int writes() const;

private:
    struct Kept
    {
        qint64 id = 0;
        QByteArray history;
        bool stale = true;
    };
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changed();
    void submit();
    WindowRecord recordOf(frmBrowser *window);
    // Tells the person once a run.
    void tell(const QString &message);
    QString cannotKeep(const QString &why) const;

    SessionHost &m_host;
    QString m_path;
    QLockFile m_lock;
    std::unique_ptr<SessionStore> m_store;
    std::unique_ptr<SessionWriter> m_writer;
    std::optional<SessionStore::RunStart> m_runStart;
    Session m_last;
    QList<WindowRecord> m_offered;
    QList<ClosedWindow> m_closed;
    QHash<frmBrowser *, Kept> m_kept;
    qint64 m_nextId = 1;
    QTimer *m_soon;
    bool m_ended = false;
    bool m_told = false;
};
