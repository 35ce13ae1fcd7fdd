#include "history/core/HistoryStore.h"

#include "history/core/HistoryAddress.h"
#include "history/core/HistoryDatabase.h"

#include <QAtomicInt>
#include <QPointer>

#include <memory>

namespace {
// Each store's connection has a name of its own: two stores (a test's, or
// one being replaced) never share one.
QString connectionName()
{
    static QAtomicInt next;
    return QStringLiteral("history-%1").arg(next.fetchAndAddRelaxed(1));
}
} // namespace

HistoryStore::HistoryStore(const QString &path, QObject *parent) : QObject(parent)
{
    m_thread.setObjectName(QStringLiteral("History"));
    m_worker = new QObject;
    m_worker->moveToThread(&m_thread);
    m_thread.start();
    onThread([this, path] { open(path); });
}

HistoryStore::~HistoryStore()
{
    // Queued last: every change asked for before is written first.
    onThread([this] {
        delete m_database;
        m_database = nullptr;
        QThread::currentThread()->quit();
    });
    m_thread.wait();
    delete m_worker;
}

void HistoryStore::onThread(std::function<void()> work)
{
    QMetaObject::invokeMethod(m_worker, std::move(work), Qt::QueuedConnection);
}

void HistoryStore::open(const QString &path)
{
    auto *database = new HistoryDatabase(path, connectionName());
    if (!database->isOpen()) {
        const QString reason = database->error();
        delete database;
        QMetaObject::invokeMethod(this, [this, reason] { giveUp(reason); }, Qt::QueuedConnection);
        return;
    }
    m_database = database;
    if (!database->error().isEmpty()) {
        const QString message = database->error();
        QMetaObject::invokeMethod(this, [this, message] { emit problem(message); }, Qt::QueuedConnection);
    }
    auto loadedIndex = std::make_shared<HistoryIndex>();
    QString error;
    if (!database->load(loadedIndex.get(), &error)) {
        const QString message = QStringLiteral("The history could not be read: %1").arg(error);
        QMetaObject::invokeMethod(this, [this, message] { emit problem(message); }, Qt::QueuedConnection);
        loadedIndex = std::make_shared<HistoryIndex>();
    }
    QMetaObject::invokeMethod(this, [this, loadedIndex] { adopt(loadedIndex); }, Qt::QueuedConnection);
    // The whole file is read through once per run, here where it costs the
    // person nothing; damage found is dealt with at the next start.
    if (QString damage; !database->verify(&damage))
        QMetaObject::invokeMethod(this, [this, damage] { emit problem(damage); }, Qt::QueuedConnection);
}

void HistoryStore::adopt(const std::shared_ptr<HistoryIndex> &loadedIndex)
{
    if (m_state != State::Loading)
        return;
    // What the file held when it was read, then what changed since, in order.
    loadedIndex->setFavorites(m_index.favorites());
    for (const Change &change : m_sinceLoad)
        change(*loadedIndex);
    m_sinceLoad = {};
    m_index = std::move(*loadedIndex);
    m_state = State::Loaded;
    emit loaded();
}

void HistoryStore::giveUp(const QString &reason)
{
    m_state = State::Unavailable;
    m_sinceLoad = {};
    m_index.clear();
    emit unavailable(reason);
    emit changed();
}

void HistoryStore::reportWrite(bool written, const QString &error)
{
    if (written == !m_writeFailing)
        return;
    m_writeFailing = !written;
    if (m_writeFailing) {
        const QString message = QStringLiteral("The history could not be written: %1").arg(error);
        QMetaObject::invokeMethod(this, [this, message] { emit problem(message); }, Qt::QueuedConnection);
    }
}

void HistoryStore::change(const Change &inMemory, std::function<bool(HistoryDatabase &, QString *)> inFile)
{
    if (m_state == State::Unavailable)
        return;
    inMemory(m_index);
    if (m_state == State::Loading)
        m_sinceLoad.push_back(inMemory);
    onThread([this, inFile = std::move(inFile)] {
        if (!m_database)
            return;
        QString error;
        const bool written = inFile(*m_database, &error);
        reportWrite(written, error);
    });
    emit changed();
}

void HistoryStore::recordVisit(const QUrl &url, const QString &title, const QDateTime &at)
{
    if (!HistoryAddress::isRecordable(url))
        return;
    const HistoryVisit visit{HistoryAddress::normalized(url), title, at.toMSecsSinceEpoch()};
    change([visit](HistoryIndex &index) { index.visit(visit); },
           [visit](HistoryDatabase &db, QString *error) { return db.record({visit}, error); });
}

void HistoryStore::setTitle(const QUrl &url, const QString &title)
{
    if (!HistoryAddress::isRecordable(url))
        return;
    const QString address = HistoryAddress::normalized(url);
    change([address, title](HistoryIndex &index) { index.setTitle(address, title); },
           [address, title](HistoryDatabase &db, QString *error) { return db.setTitle(address, title, error); });
}

void HistoryStore::remove(const QStringList &addresses)
{
    change([addresses](HistoryIndex &index) { index.remove(addresses); },
           [addresses](HistoryDatabase &db, QString *error) { return db.remove(addresses, error); });
}

void HistoryStore::clear()
{
    change([](HistoryIndex &index) { index.clear(); },
           [](HistoryDatabase &db, QString *error) { return db.clear(error); });
}

template<typename Result>
void HistoryStore::ask(QObject *context, std::function<Result(HistoryDatabase &)> question,
                       std::function<void(const Result &)> answer)
{
    // The guard is made here and read only on this thread.
    QPointer<QObject> guard(context);
    onThread([this, guard, question = std::move(question), answer = std::move(answer)] {
        const Result result = m_database ? question(*m_database) : Result();
        QMetaObject::invokeMethod(
            this,
            [guard, answer, result] {
                if (guard)
                    answer(result);
            },
            Qt::QueuedConnection);
    });
}

void HistoryStore::page(const QString &address, QObject *context,
                        std::function<void(const std::optional<HistoryPage> &)> answer)
{
    ask<std::optional<HistoryPage>>(
        context, [address](HistoryDatabase &db) { return db.page(address); }, std::move(answer));
}

void HistoryStore::days(const QDate &before, int limit, QObject *context,
                        std::function<void(const QList<HistoryDay> &)> answer)
{
    ask<QList<HistoryDay>>(
        context, [before, limit](HistoryDatabase &db) { return db.days(before, limit); }, std::move(answer));
}

void HistoryStore::dayPages(const QDate &day, const HistoryCursor &after, int limit, QObject *context,
                            std::function<void(const HistoryPages &)> answer)
{
    ask<HistoryPages>(
        context, [day, after, limit](HistoryDatabase &db) { return db.dayPages(day, after, limit); },
        std::move(answer));
}

void HistoryStore::search(const QString &text, const HistoryCursor &after, int limit, QObject *context,
                          std::function<void(const HistoryPages &)> answer)
{
    ask<HistoryPages>(
        context, [text, after, limit](HistoryDatabase &db) { return db.search(text, after, limit); },
        std::move(answer));
}
