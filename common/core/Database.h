#pragma once
// The browsing data the program keeps itself (the windows of a session, the
// history) lives in one SQLite file beside the engine's own data. SQLite's
// write-ahead log with a commit per change leaves the last committed state
// whatever instant the program is killed at. Each thread uses a connection
// of its own.
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace Database {

// $XDG_DATA_HOME/Lumeno2/Lumeno2/Browsing.sqlite
QString defaultPath();

struct Opened
{
    // Invalid when the file could not be opened at all.
    QSqlDatabase db;
    // Why it could not be used, for the user; empty when all went well.
    QString error;
    // A file that was no usable database was moved here whole, and a new
    // one made in its place.
    QString setAside;
};

// Opens (and makes) the file at `path` on the calling thread, as the
// connection `name`: write-ahead log, commits that survive a kill of the
// program, waits of up to a few seconds for a writer of another thread. A
// file that is not a database, or whose tables cannot be read, or that a
// check of an earlier run found damaged (see verify), is never written over:
// it is renamed to <path>.damaged-<date>-<time>, and a new one is made.
// The open reads little, so that it costs the same whatever the file holds.
Opened open(const QString &path, const QString &name);
// Reads the whole file through (SQLite's quick check), for a thread that
// can spend the time. A damaged file cannot be set aside while it is open:
// it is marked, the next open sets it aside, and `problem` says so.
bool verify(QSqlDatabase &db, const QString &path, QString *problem);
// Closes the connection `name` of the calling thread.
void close(const QString &name);

// Makes what a feature keeps, at `version`: when the file holds an older
// version of it (or none), the statements run in one transaction and the
// version is recorded. A file written by a newer program keeps its tables;
// the result is then false with the reason.
bool ensureSchema(QSqlDatabase &db, const QString &feature, int version, const QStringList &statements,
                  QString *error);

} // namespace Database
