#include "common/core/Database.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>

namespace Database {

QString defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + QStringLiteral("/Lumeno2/Lumeno2/Browsing.sqlite");
}

namespace {
bool exec(QSqlDatabase &db, const QString &statement, QString *error)
{
    QSqlQuery query(db);
    if (query.exec(statement))
        return true;
    if (error)
        *error = query.lastError().text();
    return false;
}

// SQLite's codes for a file that is damaged or no database at all.
bool isDamage(const QSqlError &e)
{
    const int code = e.nativeErrorCode().toInt() & 0xff;
    return code == 11 /* SQLITE_CORRUPT */ || code == 26 /* SQLITE_NOTADB */;
}

QString markOf(const QString &path)
{
    return path + QStringLiteral(".found-damaged");
}

bool isBusy(const QSqlError &e)
{
    const int code = e.nativeErrorCode().toInt() & 0xff;
    return code == 5 /* SQLITE_BUSY */ || code == 6 /* SQLITE_LOCKED */;
}

// Sets the connection up and checks that the file is a database whose
// tables can be read; `damaged` tells a damaged file from one that cannot
// be reached.
bool prepareOnce(QSqlDatabase &db, QString *error, bool *damaged, bool *busy)
{
    *damaged = false;
    *busy = false;
    const auto failed = [&](const QSqlError &e) {
        *error = e.text();
        *damaged = isDamage(e);
        *busy = isBusy(e);
        return false;
    };
    if (!db.open())
        return failed(db.lastError());
    QSqlQuery check(db);
    if (!check.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !check.next())
        return failed(check.lastError());
    check.finish();
    // A commit waits for the log to reach the disk only at checkpoints:
    // after a kill the last commits are there; after a power cut the file
    // is whole, at the most a commit or two older.
    for (const char *statement : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL", "PRAGMA foreign_keys=ON",
                                  "CREATE TABLE IF NOT EXISTS schema_versions "
                                  "(feature TEXT PRIMARY KEY, version INTEGER NOT NULL)"}) {
        QSqlQuery query(db);
        if (!query.exec(QLatin1String(statement)))
            return failed(query.lastError());
    }
    return true;
}

// Two connections that open a new file at once both want to make it: the
// one that finds it busy tries again after the other is done, for up to a
// few seconds. SQLite's own wait does not cover changing the log mode.
bool prepare(QSqlDatabase &db, QString *error, bool *damaged)
{
    bool busy = false;
    for (int tries = 0; tries < 50; ++tries) {
        if (prepareOnce(db, error, damaged, &busy))
            return true;
        if (!busy)
            return false;
        db.close();
        QThread::msleep(100);
    }
    return false;
}
} // namespace

Opened open(const QString &path, const QString &name)
{
    Opened opened;
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        opened.error = QStringLiteral("the folder \"%1\" could not be made").arg(QFileInfo(path).absolutePath());
        return opened;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    QString why;
    bool damaged = QFileInfo::exists(markOf(path));
    if (damaged)
        why = QStringLiteral("a check found it damaged");
    else if (prepare(db, &why, &damaged)) {
        opened.db = db;
        return opened;
    }
    db.close();
    // What could not be read is kept whole, out of the way.
    if (damaged && QFileInfo(path).isFile()) {
        const QString aside = path + QStringLiteral(".damaged-")
                              + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        if (QFile::rename(path, aside)) {
            for (const char *companion : {"-wal", "-shm"})
                QFile::rename(path + QLatin1String(companion), aside + QLatin1String(companion));
            QFile::remove(markOf(path));
            opened.setAside = aside;
            QString again;
            if (prepare(db, &again, &damaged)) {
                opened.db = db;
                opened.error = QStringLiteral("\"%1\" could not be read (%2); it was kept as \"%3\" and a new "
                                              "one begun")
                                   .arg(path, why, aside);
                return opened;
            }
            why = again;
            db.close();
        }
    }
    opened.error = QStringLiteral("\"%1\" could not be opened: %2").arg(path, why);
    return opened;
}

bool verify(QSqlDatabase &db, const QString &path, QString *problem)
{
    QSqlQuery check(db);
    QString found;
    if (!check.exec(QStringLiteral("PRAGMA quick_check")) || !check.next()) {
        if (!isDamage(check.lastError()))
            return true; // not a judgement on the file
        found = check.lastError().text();
    } else if (check.value(0).toString() != QLatin1String("ok")) {
        found = check.value(0).toString();
    } else {
        return true;
    }
    QFile mark(markOf(path));
    if (mark.open(QIODevice::WriteOnly))
        mark.write(found.toUtf8());
    if (problem)
        *problem = QStringLiteral("\"%1\" is damaged (%2); it will be kept aside, and a new one begun, the next "
                                  "time Lumeno starts")
                       .arg(path, found);
    return false;
}

void close(const QString &name)
{
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

namespace {
// The version of `feature` the file holds: 0 for none, -1 when it cannot be
// read (with the reason).
int storedVersion(QSqlDatabase &db, const QString &feature, QString *error)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT version FROM schema_versions WHERE feature = ?"));
    query.addBindValue(feature);
    if (!query.exec()) {
        if (error)
            *error = query.lastError().text();
        return -1;
    }
    return query.next() ? query.value(0).toInt() : 0;
}

bool makeSchema(QSqlDatabase &db, const QString &feature, int version, const QStringList &statements,
                QString *error)
{
    for (const QString &statement : statements) {
        if (!exec(db, statement, error))
            return false;
    }
    QSqlQuery record(db);
    record.prepare(QStringLiteral("INSERT OR REPLACE INTO schema_versions (feature, version) VALUES (?, ?)"));
    record.addBindValue(feature);
    record.addBindValue(version);
    if (record.exec())
        return true;
    if (error)
        *error = record.lastError().text();
    return false;
}
} // namespace

bool ensureSchema(QSqlDatabase &db, const QString &feature, int version, const QStringList &statements,
                  QString *error)
{
    int stored = storedVersion(db, feature, error);
    if (stored >= 0 && stored < version) {
        // Writing from the start, then a second look: a connection that makes
        // the tables meanwhile (two threads opening a new file at once) is
        // waited for and its tables found, where a transaction that read
        // first would trip over them.
        QSqlQuery begin(db);
        if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
            if (error)
                *error = begin.lastError().text();
            return false;
        }
        stored = storedVersion(db, feature, error);
        if (stored < 0 || (stored < version && !makeSchema(db, feature, version, statements, error))) {
            db.rollback();
            return false;
        }
        if (!db.commit()) {
            if (error)
                *error = db.lastError().text();
            return false;
        }
        stored = std::max(stored, version);
    }
    if (stored > version && error)
        *error = QStringLiteral("its %1 was written by a newer Lumeno").arg(feature);
    return stored == version;
}

} // namespace Database
