#pragma once
// The history's tables in the browsing-data file, on one connection. Used on
// the one thread that made it (HistoryStore's own); every change is one
// transaction, so a kill leaves the last change whole or not at all.
//
//   history_pages   one row per address: title, visits, last visit, frecency,
//                   and the folded text searches read (HistoryIndex::searchText)
//   history_visits  one row per visit (page, time), for the pages of a day
#include "history/core/HistoryIndex.h"
#include "history/core/HistoryTypes.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class HistoryDatabase
{
public:
    // Opens the file at `path` as the connection `connection` of the
    // calling thread and makes the tables; see error() and setAside().
    HistoryDatabase(const QString &path, const QString &connection);
    ~HistoryDatabase();
    HistoryDatabase(const HistoryDatabase &) = delete;
    HistoryDatabase &operator=(const HistoryDatabase &) = delete;

    bool isOpen() const { return m_open; }
    // Reads the whole file through (see Database::verify).
    bool verify(QString *problem);
    // Why the file cannot be used, or what was done to open it (a damaged
    // file set aside); empty when all went well.
    const QString &error() const { return m_error; }
    QString setAside() const { return m_setAside; }

    // Each change returns false with the reason when nothing of it was kept.
    bool record(const QList<HistoryVisit> &visits, QString *error);
    bool setTitle(const QString &address, const QString &title, QString *error);
    bool remove(const QStringList &addresses, QString *error);
    // Also makes the file itself forget: deleted rows are overwritten and
    // the write-ahead log emptied.
    bool clear(QString *error);

    std::optional<HistoryPage> page(const QString &address, QString *error = nullptr);
    // The days with visits before `before` (all, when null), newest first.
    QList<HistoryDay> days(const QDate &before, int limit, QString *error = nullptr);
    // The pages visited on `day`, each at its last visit of that day.
    HistoryPages dayPages(const QDate &day, const HistoryCursor &after, int limit, QString *error = nullptr);
    // The pages whose address or title holds every word of `text` anywhere
    // (not only at a word's beginning: a person searching the history looks
    // for any piece they remember, and the list is theirs to read through),
    // at their last visit. Empty text: every page.
    HistoryPages search(const QString &text, const HistoryCursor &after, int limit, QString *error = nullptr);
    // Every page, into `index` (then settled).
    bool load(HistoryIndex *index, QString *error);

private:
    bool change(const std::function<bool(QString *)> &work, QString *error);

    QString m_connection;
    QSqlDatabase m_db;
    bool m_open = false;
    QString m_error;
    QString m_setAside;
    QString m_path;
};
