#include "history/core/HistoryDatabase.h"

#include "common/core/Database.h"
#include "history/core/Frecency.h"
#include "history/core/TextMatch.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <limits>

namespace {

const QStringList kSchema = {
    QStringLiteral("CREATE TABLE history_pages ("
                   "id INTEGER PRIMARY KEY, "
                   "address TEXT NOT NULL UNIQUE, "
                   "title TEXT NOT NULL DEFAULT '', "
                   "visit_count INTEGER NOT NULL, "
                   "last_visit INTEGER NOT NULL, "
                   "frecency REAL NOT NULL, "
                   "search_text BLOB NOT NULL)"),
    QStringLiteral("CREATE INDEX history_pages_last_visit ON history_pages (last_visit)"),
    QStringLiteral("CREATE TABLE history_visits ("
                   "page INTEGER NOT NULL REFERENCES history_pages (id) ON DELETE CASCADE, "
                   "at INTEGER NOT NULL)"),
    // With the page, so that a day's pages are counted from the index alone.
    QStringLiteral("CREATE INDEX history_visits_at ON history_visits (at, page)"),
    QStringLiteral("CREATE INDEX history_visits_page ON history_visits (page)"),
};

bool run(QSqlQuery &query, QString *error)
{
    if (query.exec())
        return true;
    if (error)
        *error = query.lastError().text();
    return false;
}

qint64 startOf(const QDate &day)
{
    return day.startOfDay().toMSecsSinceEpoch();
}

// Rows of (id, address, title, visit_count, last_visit, visited at), one
// more than asked for, as one page of a list.
HistoryPages pagesOf(QSqlQuery &query, int limit)
{
    HistoryPages result;
    while (query.next()) {
        if (result.pages.size() == limit) {
            result.more = true;
            break;
        }
        HistoryPage page;
        page.id = query.value(0).toLongLong();
        page.address = query.value(1).toString();
        page.title = query.value(2).toString();
        page.visitCount = query.value(3).toInt();
        page.lastVisit = QDateTime::fromMSecsSinceEpoch(query.value(4).toLongLong());
        page.visitedAt = QDateTime::fromMSecsSinceEpoch(query.value(5).toLongLong());
        result.pages.append(page);
    }
    if (!result.pages.isEmpty())
        result.next = {result.pages.last().visitedAt.toMSecsSinceEpoch(), result.pages.last().id};
    return result;
}

} // namespace

HistoryDatabase::HistoryDatabase(const QString &path, const QString &connection)
    : m_connection(connection), m_path(path)
{
    Database::Opened opened = Database::open(path, connection);
    m_error = opened.error;
    m_setAside = opened.setAside;
    if (!opened.db.isValid() || !opened.db.isOpen())
        return;
    m_db = opened.db;
    QString why;
    if (!Database::ensureSchema(m_db, QStringLiteral("history"), 1, kSchema, &why)) {
        m_error = QStringLiteral("The history in \"%1\" cannot be used: %2").arg(path, why);
        return;
    }
    // Pages removed or cleared are overwritten in the file, not only
    // unlinked: what the person asked to forget is not left readable.
    QSqlQuery(m_db).exec(QStringLiteral("PRAGMA secure_delete = ON"));
    m_open = true;
}

bool HistoryDatabase::verify(QString *problem)
{
    return !m_open || Database::verify(m_db, m_path, problem);
}

HistoryDatabase::~HistoryDatabase()
{
    m_db = QSqlDatabase();
    Database::close(m_connection);
}

bool HistoryDatabase::change(const std::function<bool(QString *)> &work, QString *error)
{
    if (!m_open) {
        if (error)
            *error = m_error;
        return false;
    }
    if (!m_db.transaction()) {
        if (error)
            *error = m_db.lastError().text();
        return false;
    }
    if (!work(error)) {
        m_db.rollback();
        return false;
    }
    if (!m_db.commit()) {
        if (error)
            *error = m_db.lastError().text();
        m_db.rollback();
        return false;
    }
    return true;
}

bool HistoryDatabase::record(const QList<HistoryVisit> &visits, QString *error)
{
    return change(
        [&](QString *why) {
            QSqlQuery find(m_db), update(m_db), insert(m_db), visit(m_db);
            find.prepare(QStringLiteral("SELECT id, title, frecency FROM history_pages WHERE address = ?"));
            update.prepare(QStringLiteral("UPDATE history_pages SET visit_count = visit_count + 1, "
                                          "last_visit = max(last_visit, ?), frecency = ?, title = ?, "
                                          "search_text = ? WHERE id = ?"));
            insert.prepare(QStringLiteral("INSERT INTO history_pages (address, title, visit_count, last_visit, "
                                          "frecency, search_text) VALUES (?, ?, 1, ?, ?, ?)"));
            visit.prepare(QStringLiteral("INSERT INTO history_visits (page, at) VALUES (?, ?)"));
            for (const HistoryVisit &v : visits) {
                find.addBindValue(v.address);
                if (!run(find, why))
                    return false;
                qint64 page = 0;
                if (find.next()) {
                    page = find.value(0).toLongLong();
                    // A visit before its title arrives keeps the one known.
                    const QString title = v.title.isEmpty() ? find.value(1).toString() : v.title;
                    update.addBindValue(v.atMsecs);
                    update.addBindValue(Frecency::withVisit(find.value(2).toDouble(), v.atMsecs));
                    update.addBindValue(title);
                    update.addBindValue(HistoryIndex::searchText(v.address, title));
                    update.addBindValue(page);
                    find.finish();
                    if (!run(update, why))
                        return false;
                } else {
                    find.finish();
                    insert.addBindValue(v.address);
                    insert.addBindValue(v.title);
                    insert.addBindValue(v.atMsecs);
                    insert.addBindValue(Frecency::withVisit(Frecency::None, v.atMsecs));
                    insert.addBindValue(HistoryIndex::searchText(v.address, v.title));
                    if (!run(insert, why))
                        return false;
                    page = insert.lastInsertId().toLongLong();
                }
                visit.addBindValue(page);
                visit.addBindValue(v.atMsecs);
                if (!run(visit, why))
                    return false;
            }
            return true;
        },
        error);
}

bool HistoryDatabase::setTitle(const QString &address, const QString &title, QString *error)
{
    return change(
        [&](QString *why) {
            QSqlQuery update(m_db);
            update.prepare(QStringLiteral("UPDATE history_pages SET title = ?, search_text = ? WHERE address = ?"));
            update.addBindValue(title);
            update.addBindValue(HistoryIndex::searchText(address, title));
            update.addBindValue(address);
            return run(update, why);
        },
        error);
}

bool HistoryDatabase::remove(const QStringList &addresses, QString *error)
{
    return change(
        [&](QString *why) {
            // The visits go with their page (ON DELETE CASCADE).
            QSqlQuery remove(m_db);
            remove.prepare(QStringLiteral("DELETE FROM history_pages WHERE address = ?"));
            for (const QString &address : addresses) {
                remove.addBindValue(address);
                if (!run(remove, why))
                    return false;
            }
            return true;
        },
        error);
}

bool HistoryDatabase::clear(QString *error)
{
    const bool cleared = change(
        [&](QString *why) {
            QSqlQuery query(m_db);
            if (query.exec(QStringLiteral("DELETE FROM history_visits"))
                && query.exec(QStringLiteral("DELETE FROM history_pages")))
                return true;
            if (why)
                *why = query.lastError().text();
            return false;
        },
        error);
    // The log still holds the pages as they were before; with no reader
    // left behind it is copied back and emptied. A reader of another
    // feature may hold it for now: then the next checkpoint does it.
    if (cleared)
        QSqlQuery(m_db).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    return cleared;
}

std::optional<HistoryPage> HistoryDatabase::page(const QString &address, QString *error)
{
    if (!m_open)
        return std::nullopt;
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("SELECT id, address, title, visit_count, last_visit, last_visit "
                                 "FROM history_pages WHERE address = ?"));
    query.addBindValue(address);
    if (!run(query, error))
        return std::nullopt;
    HistoryPages found = pagesOf(query, 1);
    if (found.pages.isEmpty())
        return std::nullopt;
    return found.pages.first();
}

QList<HistoryDay> HistoryDatabase::days(const QDate &before, int limit, QString *error)
{
    QList<HistoryDay> days;
    if (!m_open)
        return days;
    // Day by day from the newest, each found through the index on the
    // visits' time: as quick with years of history as with a week.
    qint64 end = before.isValid() ? startOf(before) : std::numeric_limits<qint64>::max();
    QSqlQuery latest(m_db), count(m_db);
    latest.prepare(QStringLiteral("SELECT max(at) FROM history_visits WHERE at < ?"));
    count.prepare(QStringLiteral("SELECT count(DISTINCT page) FROM history_visits WHERE at >= ? AND at < ?"));
    while (days.size() < limit) {
        latest.addBindValue(end);
        if (!run(latest, error) || !latest.next() || latest.value(0).isNull())
            break;
        const QDate day = QDateTime::fromMSecsSinceEpoch(latest.value(0).toLongLong()).date();
        latest.finish();
        count.addBindValue(startOf(day));
        count.addBindValue(startOf(day.addDays(1)));
        if (!run(count, error) || !count.next())
            break;
        days.append({day, count.value(0).toInt()});
        count.finish();
        end = startOf(day);
    }
    return days;
}

HistoryPages HistoryDatabase::dayPages(const QDate &day, const HistoryCursor &after, int limit, QString *error)
{
    if (!m_open || !day.isValid())
        return {};
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(
        "SELECT p.id, p.address, p.title, p.visit_count, p.last_visit, max(v.at) AS seen "
        "FROM history_visits v JOIN history_pages p ON p.id = v.page "
        "WHERE v.at >= ? AND v.at < ? GROUP BY p.id "
        "HAVING seen < ? OR (seen = ? AND p.id < ?) "
        "ORDER BY seen DESC, p.id DESC LIMIT ?"));
    query.addBindValue(startOf(day));
    query.addBindValue(startOf(day.addDays(1)));
    query.addBindValue(after.atMsecs);
    query.addBindValue(after.atMsecs);
    query.addBindValue(after.id);
    query.addBindValue(limit + 1);
    if (!run(query, error))
        return {};
    return pagesOf(query, limit);
}

HistoryPages HistoryDatabase::search(const QString &text, const HistoryCursor &after, int limit, QString *error)
{
    if (!m_open)
        return {};
    const QList<QByteArray> words = TextMatch::words(TextMatch::withoutSchemeAndWww(text.trimmed()));
    // Without words, the newest pages are read in the order of the index on
    // the last visit and the first ones answer. With words, reading the
    // table in its own order and sorting what matches is quicker: few pages
    // may match, and through the index every page is a jump in the file.
    QString sql = QStringLiteral("SELECT id, address, title, visit_count, last_visit, last_visit "
                                 "FROM history_pages %1 WHERE (last_visit < ? OR (last_visit = ? AND id < ?))")
                      .arg(words.isEmpty() ? QString() : QStringLiteral("NOT INDEXED"));
    for (qsizetype i = 0; i < words.size(); ++i)
        sql += QStringLiteral(" AND instr(search_text, ?) > 0");
    sql += QStringLiteral(" ORDER BY last_visit DESC, id DESC LIMIT ?");
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    query.prepare(sql);
    query.addBindValue(after.atMsecs);
    query.addBindValue(after.atMsecs);
    query.addBindValue(after.id);
    for (const QByteArray &word : words)
        query.addBindValue(word);
    query.addBindValue(limit + 1);
    if (!run(query, error))
        return {};
    return pagesOf(query, limit);
}

bool HistoryDatabase::load(HistoryIndex *index, QString *error)
{
    if (!m_open) {
        if (error)
            *error = m_error;
        return false;
    }
    QSqlQuery query(m_db);
    if (query.exec(QStringLiteral("SELECT count(*) FROM history_pages")) && query.next())
        index->reserve(query.value(0).toInt());
    query.finish();
    query.setForwardOnly(true);
    // As the bytes SQLite holds: UTF-8, as the index keeps them.
    query.prepare(QStringLiteral("SELECT CAST(address AS BLOB), CAST(title AS BLOB), visit_count, last_visit, "
                                 "frecency, search_text FROM history_pages"));
    if (!run(query, error))
        return false;
    while (query.next()) {
        HistoryIndex::Entry entry;
        entry.address = query.value(0).toByteArray();
        entry.title = query.value(1).toByteArray();
        entry.visitCount = query.value(2).toInt();
        entry.lastVisitMsecs = query.value(3).toLongLong();
        entry.frecency = query.value(4).toDouble();
        index->add(entry, query.value(5).toByteArray());
    }
    index->settle();
    return true;
}
