#pragma once
// Sessions for the session tests and benchmarks: windows whose every field
// follows from a seed, with history bytes shaped like the engine's (the
// addresses and titles of the entries between binary page state); and the
// file read, or changed, beside the connections under test.
#include "session/core/SessionRecords.h"
#include "session/core/SessionStore.h"

#include <QRandomGenerator>
#include <QSqlQuery>

inline QByteArray sampleHistory(quint64 seed, qsizetype size)
{
    QRandomGenerator random(seed);
    QByteArray bytes;
    bytes.reserve(size + 64);
    for (int entry = 0; bytes.size() < size; ++entry) {
        bytes += QStringLiteral("https://site%1.example/articles/%2?ref=%3")
                     .arg(random.bounded(50)).arg(random.generate()).arg(entry).toUtf8();
        QByteArray state(random.bounded(8, 128) * 4, Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32 *>(state.data()), state.size() / 4);
        bytes += state;
    }
    bytes.truncate(size);
    return bytes;
}

inline WindowRecord sampleWindow(qint64 id, int version, qsizetype historySize)
{
    WindowRecord w;
    w.id = id;
    w.geometry = QRect(int(id % 17) * 20 + version % 40, int(id % 11) * 15, 400 + version % 300,
                       300 + int(id % 7) * 10);
    w.minimized = version % 5 == 0;
    w.stackPosition = int(id % 30);
    w.history = sampleHistory(quint64(id) << 32 | quint32(version), historySize);
    w.address = QStringLiteral("https://site%1.example/articles/%2").arg(id).arg(version);
    w.title = QStringLiteral("Window %1, page %2").arg(id).arg(version);
    w.zoom = 1.0 + (version % 5) * 0.25;
    return w;
}

inline Session loadSession(const QString &path)
{
    SessionStore store(path, "reader");
    Session session;
    QString error;
    if (!store.load(&session, &error))
        qWarning("load failed: %s", qPrintable(error));
    return session;
}

// As another program would, on a connection of its own.
inline bool execBeside(const QString &path, const QString &statement)
{
    bool done = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "beside");
        db.setDatabaseName(path);
        done = db.open() && QSqlQuery(db).exec(statement);
    }
    QSqlDatabase::removeDatabase("beside");
    return done;
}
