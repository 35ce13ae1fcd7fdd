#include "session/core/SessionStore.h"

#include "common/core/Database.h"

#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <limits>

namespace {

// The histories sit in a table of their own: a window moved or retitled
// rewrites a row of a few dozen bytes, not its history as well.
const QStringList kSchema = {
    QStringLiteral("CREATE TABLE session_host (only INTEGER PRIMARY KEY CHECK (only = 1), "
                   "width INTEGER NOT NULL, height INTEGER NOT NULL, front_window INTEGER NOT NULL)"),
    QStringLiteral("CREATE TABLE session_windows (id INTEGER PRIMARY KEY, ordinal INTEGER NOT NULL, "
                   "x INTEGER NOT NULL, y INTEGER NOT NULL, width INTEGER NOT NULL, height INTEGER NOT NULL, "
                   "minimized INTEGER NOT NULL, stack_position INTEGER NOT NULL, zoom REAL NOT NULL, "
                   "address TEXT, title TEXT)"),
    QStringLiteral("CREATE TABLE session_histories (window_id INTEGER PRIMARY KEY "
                   "REFERENCES session_windows (id) ON DELETE CASCADE, history BLOB NOT NULL)"),
    QStringLiteral("CREATE TABLE closed_windows (ordinal INTEGER PRIMARY KEY, closed_at INTEGER, "
                   "id INTEGER NOT NULL, x INTEGER NOT NULL, y INTEGER NOT NULL, width INTEGER NOT NULL, "
                   "height INTEGER NOT NULL, minimized INTEGER NOT NULL, stack_position INTEGER NOT NULL, "
                   "zoom REAL NOT NULL, address TEXT, title TEXT, history BLOB)"),
    QStringLiteral("CREATE TABLE run_state (only INTEGER PRIMARY KEY CHECK (only = 1), "
                   "running INTEGER NOT NULL, restoring INTEGER NOT NULL, "
                   "unclean_while_restoring INTEGER NOT NULL)"),
};

// The columns a window's record takes, in the order of the two tables.
const QString kPlaceColumns =
    QStringLiteral("x, y, width, height, minimized, stack_position, zoom, address, title");

// Page titles may hold lone surrogates, which SQLite's conversion to UTF-8
// would change: such text is kept as its UTF-16 code units instead.
QVariant textValue(const QString &text)
{
    if (text.isValidUtf16())
        return text;
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * qsizetype(sizeof(char16_t)));
}

QString textFrom(const QVariant &value)
{
    if (value.typeId() != QMetaType::QByteArray)
        return value.toString();
    const QByteArray units = value.toByteArray();
    return QString(reinterpret_cast<const QChar *>(units.constData()), units.size() / qsizetype(sizeof(QChar)));
}

// An empty array would be bound as NULL: no row at all stands for it.
QVariant blobValue(const QByteArray &bytes)
{
    return bytes.isEmpty() ? QVariant() : QVariant(bytes);
}

void bindPlace(QSqlQuery &query, const WindowRecord &w)
{
    query.addBindValue(w.geometry.x());
    query.addBindValue(w.geometry.y());
    query.addBindValue(w.geometry.width());
    query.addBindValue(w.geometry.height());
    query.addBindValue(w.minimized ? 1 : 0);
    query.addBindValue(w.stackPosition);
    query.addBindValue(double(w.zoom));
    query.addBindValue(textValue(w.address));
    query.addBindValue(textValue(w.title));
}

// The columns of kPlaceColumns, from `at` on.
void readPlace(const QSqlQuery &query, int at, WindowRecord *w)
{
    w->geometry = QRect(query.value(at).toInt(), query.value(at + 1).toInt(), query.value(at + 2).toInt(),
                        query.value(at + 3).toInt());
    w->minimized = query.value(at + 4).toInt() != 0;
    w->stackPosition = query.value(at + 5).toInt();
    w->zoom = query.value(at + 6).toDouble();
    w->address = textFrom(query.value(at + 7));
    w->title = textFrom(query.value(at + 8));
}

bool samePlace(const WindowRecord &a, const WindowRecord &b)
{
    return a.geometry == b.geometry && a.minimized == b.minimized && a.stackPosition == b.stackPosition
           && a.zoom == b.zoom && a.address == b.address && a.title == b.title;
}

qint64 closedOrder(const ClosedWindow &c)
{
    return c.closedAt.isValid() ? c.closedAt.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
}

} // namespace

SessionStore::SessionStore(const QString &path, const QString &connection)
    : m_path(path), m_connection(connection)
{
    Database::Opened opened = Database::open(path, connection);
    m_openError = opened.error;
    if (!opened.db.isValid() || !opened.db.isOpen())
        return;
    m_db = opened.db;
    QString why;
    if (!Database::ensureSchema(m_db, QStringLiteral("session"), 1, kSchema, &why)) {
        m_openError = QStringLiteral("The session in \"%1\" cannot be used: %2").arg(path, why);
        return;
    }
    m_usable = true;
}

SessionStore::~SessionStore()
{
    m_db = QSqlDatabase();
    Database::close(m_connection);
}

bool SessionStore::fail(QSqlQuery &query, QString *error) const
{
    return fail(query.lastError().text(), error);
}

bool SessionStore::fail(const QString &why, QString *error) const
{
    if (error)
        *error = QStringLiteral("\"%1\": %2").arg(m_path, why);
    return false;
}

bool SessionStore::unusable(QString *error) const
{
    if (error)
        *error = m_openError;
    return false;
}

bool SessionStore::beginWriting(QString *error)
{
    // Writing from the start: a transaction that read first could find
    // another connection's commit in its way and fail at its first write,
    // where this one waits for the other to finish.
    QSqlQuery begin(m_db);
    return begin.exec(QStringLiteral("BEGIN IMMEDIATE")) || fail(begin, error);
}

bool SessionStore::load(Session *session, QString *error)
{
    if (!m_usable)
        return unusable(error);
    // One read transaction: a write committed by another thread meanwhile
    // is seen whole or not at all.
    if (!m_db.transaction())
        return fail(m_db.lastError().text(), error);
    Session read;
    QSqlQuery query(m_db);
    bool ok = query.exec(QStringLiteral("SELECT width, height, front_window FROM session_host"));
    if (ok && query.next()) {
        read.host.size = QSize(query.value(0).toInt(), query.value(1).toInt());
        read.host.frontWindow = query.value(2).toLongLong();
    }
    ok = ok
         && query.exec(QStringLiteral("SELECT w.id, h.history, %1 FROM session_windows w LEFT JOIN "
                                      "session_histories h ON h.window_id = w.id ORDER BY w.ordinal")
                           .arg(kPlaceColumns));
    while (ok && query.next()) {
        WindowRecord w;
        w.id = query.value(0).toLongLong();
        w.history = query.value(1).toByteArray();
        readPlace(query, 2, &w);
        read.windows.append(w);
    }
    ok = ok
         && query.exec(QStringLiteral("SELECT closed_at, id, history, %1 FROM closed_windows ORDER BY ordinal")
                           .arg(kPlaceColumns));
    while (ok && query.next()) {
        ClosedWindow c;
        if (!query.value(0).isNull())
            c.closedAt = QDateTime::fromMSecsSinceEpoch(query.value(0).toLongLong());
        c.window.id = query.value(1).toLongLong();
        c.window.history = query.value(2).toByteArray();
        readPlace(query, 3, &c.window);
        read.closed.append(c);
    }
    if (!ok) {
        fail(query, error);
        query.finish();
        m_db.rollback();
        return false;
    }
    query.finish();
    m_db.commit();
    *session = read;
    return true;
}

bool SessionStore::save(const Session &session, QString *error)
{
    if (!m_usable)
        return unusable(error);
    QSet<qint64> ids;
    for (const WindowRecord &w : session.windows) {
        if (w.id == 0 || ids.contains(w.id))
            return fail(QStringLiteral("window id %1 is not one of a kind").arg(w.id), error);
        ids.insert(w.id);
    }
    const bool whole = !m_written.has_value();
    const Session before = whole ? Session() : *m_written;
    m_written.reset();
    if (!beginWriting(error))
        return false;
    QSqlQuery host(m_db);
    bool ok = true;
    if (whole || before.host != session.host) {
        host.prepare(QStringLiteral("INSERT OR REPLACE INTO session_host (only, width, height, front_window) "
                                    "VALUES (1, ?, ?, ?)"));
        host.addBindValue(session.host.size.width());
        host.addBindValue(session.host.size.height());
        host.addBindValue(session.host.frontWindow);
        ok = host.exec() || fail(host, error);
    }
    ok = ok && writeWindows(before, session, whole, error);
    if (ok && (whole || before.closed != session.closed))
        ok = writeClosed(session, error);
    if (ok && !m_db.commit())
        ok = fail(m_db.lastError().text(), error);
    if (!ok) {
        m_db.rollback();
        return false;
    }
    m_written = session;
    return true;
}

bool SessionStore::writeWindows(const Session &before, const Session &after, bool whole, QString *error)
{
    QSqlQuery query(m_db);
    QHash<qint64, qsizetype> wasAt;
    for (qsizetype i = 0; i < before.windows.size(); ++i)
        wasAt.insert(before.windows[i].id, i);
    if (whole) {
        if (!query.exec(QStringLiteral("DELETE FROM session_histories"))
            || !query.exec(QStringLiteral("DELETE FROM session_windows")))
            return fail(query, error);
    } else {
        QSet<qint64> staying;
        for (const WindowRecord &w : after.windows)
            staying.insert(w.id);
        for (const WindowRecord &w : before.windows) {
            if (staying.contains(w.id))
                continue;
            query.prepare(QStringLiteral("DELETE FROM session_windows WHERE id = ?"));
            query.addBindValue(w.id);
            if (!query.exec())
                return fail(query, error);
        }
    }
    QSqlQuery place(m_db), history(m_db), noHistory(m_db);
    place.prepare(QStringLiteral("INSERT INTO session_windows (id, ordinal, %1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, "
                                 "?, ?, ?) ON CONFLICT (id) DO UPDATE SET ordinal = excluded.ordinal, "
                                 "x = excluded.x, y = excluded.y, width = excluded.width, height = "
                                 "excluded.height, minimized = excluded.minimized, stack_position = "
                                 "excluded.stack_position, zoom = excluded.zoom, address = excluded.address, "
                                 "title = excluded.title")
                      .arg(kPlaceColumns));
    history.prepare(QStringLiteral("INSERT OR REPLACE INTO session_histories (window_id, history) VALUES (?, ?)"));
    noHistory.prepare(QStringLiteral("DELETE FROM session_histories WHERE window_id = ?"));
    for (qsizetype i = 0; i < after.windows.size(); ++i) {
        const WindowRecord &w = after.windows[i];
        const qsizetype was = wasAt.value(w.id, -1);
        const WindowRecord *old = was >= 0 ? &before.windows[was] : nullptr;
        if (!old || was != i || !samePlace(*old, w)) {
            place.addBindValue(w.id);
            place.addBindValue(qint64(i));
            bindPlace(place, w);
            if (!place.exec())
                return fail(place, error);
        }
        if (old && old->history == w.history)
            continue;
        QSqlQuery &write = w.history.isEmpty() ? noHistory : history;
        write.addBindValue(w.id);
        if (!w.history.isEmpty())
            write.addBindValue(w.history);
        if (!write.exec())
            return fail(write, error);
    }
    return true;
}

bool SessionStore::writeClosed(const Session &after, QString *error)
{
    QList<ClosedWindow> kept = after.closed;
    std::stable_sort(kept.begin(), kept.end(),
                     [](const ClosedWindow &a, const ClosedWindow &b) { return closedOrder(a) > closedOrder(b); });
    kept = kept.mid(0, ClosedWindowsKept);
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("DELETE FROM closed_windows")))
        return fail(query, error);
    query.prepare(QStringLiteral("INSERT INTO closed_windows (ordinal, closed_at, id, history, %1) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                      .arg(kPlaceColumns));
    for (qsizetype i = 0; i < kept.size(); ++i) {
        const ClosedWindow &c = kept[i];
        query.addBindValue(qint64(i));
        query.addBindValue(c.closedAt.isValid() ? QVariant(c.closedAt.toMSecsSinceEpoch()) : QVariant());
        query.addBindValue(c.window.id);
        query.addBindValue(blobValue(c.window.history));
        bindPlace(query, c.window);
        if (!query.exec())
            return fail(query, error);
    }
    return true;
}

std::optional<SessionStore::RunStart> SessionStore::beginRun(QString *error)
{
    if (!m_usable) {
        unusable(error);
        return std::nullopt;
    }
    if (!beginWriting(error))
        return std::nullopt;
    QSqlQuery query(m_db);
    RunStart start;
    bool ok = query.exec(QStringLiteral("SELECT running, restoring, unclean_while_restoring FROM run_state"));
    if (ok && query.next()) {
        start.uncleanEnd = query.value(0).toInt() != 0;
        if (start.uncleanEnd && query.value(1).toInt() != 0)
            start.uncleanWhileRestoring = query.value(2).toInt() + 1;
    }
    if (!ok)
        fail(query, error);
    query.finish();
    // The count stays while this run goes on: ended uncleanly again while
    // restoring, it grows by one.
    ok = ok && writeRunState(true, false, start.uncleanWhileRestoring, error);
    if (ok && !m_db.commit())
        ok = fail(m_db.lastError().text(), error);
    if (!ok) {
        m_db.rollback();
        return std::nullopt;
    }
    return start;
}

bool SessionStore::setRestoring(bool restoring, QString *error)
{
    if (!m_usable)
        return unusable(error);
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("INSERT INTO run_state (only, running, restoring, unclean_while_restoring) "
                                 "VALUES (1, 1, ?, 0) ON CONFLICT (only) DO UPDATE SET restoring = "
                                 "excluded.restoring, unclean_while_restoring = CASE WHEN excluded.restoring "
                                 "THEN unclean_while_restoring ELSE 0 END"));
    query.addBindValue(restoring ? 1 : 0);
    return query.exec() || fail(query, error);
}

bool SessionStore::endRun(QString *error)
{
    if (!m_usable)
        return unusable(error);
    return writeRunState(false, false, 0, error);
}

bool SessionStore::writeRunState(bool running, bool restoring, int uncleanWhileRestoring, QString *error)
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("INSERT OR REPLACE INTO run_state (only, running, restoring, "
                                 "unclean_while_restoring) VALUES (1, ?, ?, ?)"));
    query.addBindValue(running ? 1 : 0);
    query.addBindValue(restoring ? 1 : 0);
    query.addBindValue(uncleanWhileRestoring);
    return query.exec() || fail(query, error);
}
