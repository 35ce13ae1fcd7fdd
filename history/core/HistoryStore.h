#pragma once
// The history the program keeps of the pages its browser windows showed.
//
// Threads: the store lives on the thread that made it (the UI thread). The
// file is read and written only on a thread of its own, with its own
// connection, so that a slow disk never holds a keystroke or a page. Every
// change is made at once in the pages kept in memory (index(), for
// suggestions) and queued for the file; every question is queued behind the
// changes asked before it, so no answer comes from before a change, a clear
// above all. Nothing here waits for the file, but the destructor, which
// lets the changes already asked for be written.
//
// A file that cannot be opened is told once (unavailable()) and the program
// goes on without history: changes are ignored, questions answered empty.
#include "history/core/HistoryIndex.h"
#include "history/core/HistoryTypes.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class HistoryDatabase;

class HistoryStore : public QObject
{
    Q_OBJECT
public:
    // Starts the history's thread, which opens the file at `path`
    // (Database::defaultPath() in the program) and then loads its pages into
    // index(); returns at once.
    explicit HistoryStore(const QString &path, QObject *parent = nullptr);
    ~HistoryStore() override;

    // A completed navigation of a browser window to `url` (one that
    // HistoryAddress::isRecordable takes; others are passed over).
    void recordVisit(const QUrl &url, const QString &title, const QDateTime &at = QDateTime::currentDateTime());
    // The page at `url` told its title, or changed it.
    void setTitle(const QUrl &url, const QString &title);
    // Addresses as the history gives them (HistoryPage, suggestions).
    void remove(const QStringList &addresses);
    void clear();

    // Answered on this thread through `answer`, unless `context` is gone by
    // then, in the order asked.
    void page(const QString &address, QObject *context,
              std::function<void(const std::optional<HistoryPage> &)> answer);
    void days(const QDate &before, int limit, QObject *context,
              std::function<void(const QList<HistoryDay> &)> answer);
    void dayPages(const QDate &day, const HistoryCursor &after, int limit, QObject *context,
                  std::function<void(const HistoryPages &)> answer);
    void search(const QString &text, const HistoryCursor &after, int limit, QObject *context,
                std::function<void(const HistoryPages &)> answer);

    // The pages in memory. Until loaded(), only the visits of this run.
    HistoryIndex &index() { return m_index; }
    bool isLoaded() const { return m_state == State::Loaded; }
    bool isAvailable() const { return m_state != State::Unavailable; }

signals:
    // index() holds every page of the file.
    void loaded();
    // The file cannot be used; the reason, for the person. Once.
    void unavailable(const QString &reason);
    // Something the person should know that leaves the history working: a
    // damaged file set aside, changes that could not be written (told once
    // until one is written again).
    void problem(const QString &message);
    // The pages changed (a visit, a title, a removal, a clear).
    void changed();

private:
    enum class State { Loading, Loaded, Unavailable };
    using Change = std::function<void(HistoryIndex &)>;

    void onThread(std::function<void()> work);
    void change(const Change &inMemory, std::function<bool(HistoryDatabase &, QString *)> inFile);
    template<typename Result>
    void ask(QObject *context, std::function<Result(HistoryDatabase &)> question,
             std::function<void(const Result &)> answer);
    // On the history's thread.
    void open(const QString &path);
    void reportWrite(bool written, const QString &error);
    // On this thread.
    void adopt(const std::shared_ptr<HistoryIndex> &loadedIndex);
    void giveUp(const QString &reason);

    QThread m_thread;
    QObject *m_worker = nullptr; // lives on m_thread
    HistoryIndex m_index;
    std::vector<Change> m_sinceLoad; // made while the file was being read
    State m_state = State::Loading;
    // Touched on the history's thread only.
    HistoryDatabase *m_database = nullptr;
    bool m_writeFailing = false;
};
