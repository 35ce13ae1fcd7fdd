#pragma once
// Keeps the session in the browsing-data file: the host and its windows, the
// windows closed lately, and how the last run ended. Every write is one
// transaction, so whatever instant the program dies at, the file holds the
// whole session of the write before or the whole one of this write.
//
// A store belongs to the thread that made it (a connection of its own) and
// every call blocks that thread on the disk: the host uses one at start and
// at quit, and SessionWriter one on its own thread for everything between.
#include "session/core/SessionRecords.h"

#include <QSqlDatabase>
#include <QString>

#include <optional>

class QSqlQuery;

class SessionStore
{
public:
    static constexpr int ClosedWindowsKept = 10;

    // Opens (and makes) the file at `path` as the connection `connection` of
    // the calling thread. A file that is no sound database is set aside
    // whole and a new one begun; a file written by a newer Lumeno, or one
    // that cannot be opened, leaves the store unusable, and is not touched.
    SessionStore(const QString &path, const QString &connection);
    ~SessionStore();
    SessionStore(const SessionStore &) = delete;
    SessionStore &operator=(const SessionStore &) = delete;

    // Unusable: nothing is read or written, and the program goes on without
    // a session.
    bool isUsable() const { return m_usable; }
    // What to tell the user once: why the store is unusable, or where a
    // damaged file was set aside. Empty when all went well.
    QString openError() const { return m_openError; }

    // The session last written, whole; an empty one where none was.
    bool load(Session *session, QString *error);
    // Writes `session` in one transaction, replacing the one stored. Rows
    // this store wrote before and that did not change are left alone, so a
    // navigation in one window costs that window's rows. Of the closed
    // windows, the newest ClosedWindowsKept are kept. On failure the file
    // keeps the session it had, and the error says why.
    bool save(const Session &session, QString *error);

    // How the last run ended, told at start.
    struct RunStart
    {
        // It did not end by Quit.
        bool uncleanEnd = false;
        // Unclean ends in a row that came while windows were being
        // restored: at two, restoring everything again may well end the
        // same way.
        int uncleanWhileRestoring = 0;
    };
    // Reads how the last run ended, then marks this one running.
    std::optional<RunStart> beginRun(QString *error);
    // Marks a restore under way, or over (which ends a row of unclean ends).
    bool setRestoring(bool restoring, QString *error);
    // Quit: this run ended cleanly.
    bool endRun(QString *error);

private:
    bool fail(QSqlQuery &query, QString *error) const;
    bool fail(const QString &why, QString *error) const;
    bool unusable(QString *error) const;
    bool beginWriting(QString *error);
    bool writeWindows(const Session &before, const Session &after, bool whole, QString *error);
    bool writeClosed(const Session &after, QString *error);
    bool writeRunState(bool running, bool restoring, int uncleanWhileRestoring, QString *error);

    QString m_path;
    QString m_connection;
    QSqlDatabase m_db;
    bool m_usable = false;
    QString m_openError;
    // What this store last committed: rows that match it are not written
    // again. Unknown (a whole write) until the first save, and after a
    // failed one.
    std::optional<Session> m_written;
};
