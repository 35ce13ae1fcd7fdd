#include "session/ui/SessionKeeper.h"

#include "browser/ui/WebView.h"
#include "browser/ui/frmBrowser.h"
#include "common/ui/Dialogs.h"
#include "session/core/SessionWriter.h"
#include "session/ui/SessionHost.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {
// Each keeper talks to the file through a connection of its own.
QString nextConnectionName()
{
    static int made = 0;
    return QStringLiteral("session-keeper-%1").arg(++made);
}

qint64 largestId(const Session &session)
{
    qint64 largest = 0;
    for (const WindowRecord &w : session.windows)
        largest = std::max(largest, w.id);
    for (const ClosedWindow &c : session.closed)
        largest = std::max(largest, c.window.id);
    return largest;
}
} // namespace

SessionKeeper::SessionKeeper(SessionHost &host, const QString &path, QObject *parent)
    : QObject(parent), m_host(host), m_path(path), m_lock(path + QStringLiteral(".lock")),
      m_soon(new QTimer(this))
{
    // Changes that come together (a navigation brings a new address, then a
    // title) make one hand-over.
    m_soon->setSingleShot(true);
    m_soon->setInterval(0);
    connect(m_soon, &QTimer::timeout, this, &SessionKeeper::submit);

    QDir().mkpath(QFileInfo(path).absolutePath());
    // A lock left by a program that was killed is taken over: its process
    // is gone.
    m_lock.setStaleLockTime(0);
    if (!m_lock.tryLock(0) && m_lock.error() != QLockFile::LockFailedError) {
        tell(cannotKeep(QStringLiteral("its lock \"%1.lock\" cannot be made").arg(path)));
        return;
    }
    if (!m_lock.isLocked()) {
        std::fputs(qPrintable(QStringLiteral("lumeno: another Lumeno keeps the session in \"%1\"; "
                                             "this one keeps none.\n").arg(path)),
                   stderr);
        return;
    }
    m_store = std::make_unique<SessionStore>(path, nextConnectionName());
    if (!m_store->isUsable()) {
        tell(cannotKeep(m_store->openError()));
        m_store.reset();
        return;
    }
    // A damaged file was set aside and a new one begun: said as it is.
    if (!m_store->openError().isEmpty())
        tell(m_store->openError());
    QString error;
    if (!m_store->load(&m_last, &error)) {
        // What cannot be read is not written over: this run keeps no session.
        tell(cannotKeep(error));
        m_store.reset();
        return;
    }
    m_runStart = m_store->beginRun(&error);
    if (!m_runStart) {
        tell(cannotKeep(error));
        m_store.reset();
        return;
    }
    m_closed = m_last.closed;
    // What an unclean end left stays in the file until the person has been
    // offered it, whatever this run writes meanwhile.
    if (m_runStart->uncleanEnd)
        m_offered = m_last.windows;
    m_nextId = largestId(m_last) + 1;
    m_writer = std::make_unique<SessionWriter>(path);
    // Told on the person's thread, once a run: the writer goes on trying.
    connect(m_writer.get(), &SessionWriter::writeFailed, this, [this](const QString &why) {
        tell(QStringLiteral("The windows of this session could not be written to \"%1\": %2. "
                            "Lumeno tries again as they change.").arg(QDir::toNativeSeparators(m_path), why));
    }, Qt::QueuedConnection);
}

// A keeper let go without an end (a host destroyed as it stands) leaves the
// last session handed over in the file (the writer writes it as it goes),
// and the run unfinished.
SessionKeeper::~SessionKeeper() = default;

QString SessionKeeper::cannotKeep(const QString &why) const
{
    return QStringLiteral("The windows of this session cannot be kept in \"%1\": %2. "
                          "Lumeno goes on without them.").arg(QDir::toNativeSeparators(m_path), why);
}

void SessionKeeper::tell(const QString &message)
{
    if (m_told || message.isEmpty())
        return;
    m_told = true;
    // Not from inside the start-up or a write: the box waits for its turn.
    QTimer::singleShot(0, this, [this, message] {
        m_host.dialogs().message(m_host.hostWindow(), QMessageBox::Warning, QStringLiteral("Session"), message);
    });
}

void SessionKeeper::watch(frmBrowser *window, qint64 id)
{
    if (m_kept.contains(window))
        return;
    Kept kept;
    kept.id = id > 0 ? id : m_nextId++;
    m_nextId = std::max(m_nextId, kept.id + 1);
    m_kept.insert(window, kept);
    window->installEventFilter(this);
    connect(window->wb, &WebView::HistoryChanged, this, [this, window] {
        auto it = m_kept.find(window);
        if (it != m_kept.end())
            it->stale = true;
        changed();
    });
    connect(window, &QObject::destroyed, this, [this, window] { m_kept.remove(window); });
    changed();
}

bool SessionKeeper::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::ZOrderChange:
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        changed();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void SessionKeeper::changed()
{
    if (!m_ended && m_writer)
        m_soon->start();
}

WindowRecord SessionKeeper::recordOf(frmBrowser *window)
{
    Kept &kept = m_kept[window];
    // The engine writes the history only when it changed: a move costs no
    // serialisation.
    if (kept.stale) {
        kept.history = window->wb->sessionHistory();
        kept.stale = false;
    }
    WindowRecord record;
    record.id = kept.id;
    record.geometry = window->geometry();
    record.minimized = window->isMinimizedInHost();
    record.history = kept.history;
    record.address = window->wb->LocationURL();
    record.title = window->wb->LocationName();
    record.zoom = window->wb->zoomFactor();
    return record;
}

Session SessionKeeper::collect()
{
    QList<frmBrowser *> windows = m_host.sessionWindows();
    // The workspace lists its children bottom first, in the order they are
    // drawn.
    auto stackIndex = [](frmBrowser *w) {
        return w->parentWidget() ? w->parentWidget()->children().indexOf(w) : 0;
    };
    std::stable_sort(windows.begin(), windows.end(),
                     [&](frmBrowser *a, frmBrowser *b) { return stackIndex(a) < stackIndex(b); });
    Session session;
    session.windows = m_offered;
    for (frmBrowser *w : std::as_const(windows)) {
        if (!m_kept.contains(w))
            continue;
        WindowRecord record = recordOf(w);
        if (!record.minimized && !w->isHidden())
            session.host.frontWindow = record.id;
        session.windows.append(record);
    }
    for (int i = 0; i < session.windows.size(); ++i)
        session.windows[i].stackPosition = i;
    if (QWidget *host = m_host.hostWindow())
        session.host.size = host->size();
    session.closed = m_closed;
    return session;
}

void SessionKeeper::submit()
{
    if (!m_ended && m_writer)
        m_writer->submit(collect());
}

void SessionKeeper::windowClosed(frmBrowser *window)
{
    if (m_ended || !m_kept.contains(window))
        return;
    // Kept with what it showed last, typed text included.
    m_kept[window].stale = true;
    m_closed.prepend({recordOf(window), QDateTime::currentDateTimeUtc()});
    while (m_closed.size() > SessionStore::ClosedWindowsKept)
        m_closed.removeLast();
    m_kept.remove(window);
    window->removeEventFilter(this);
    changed();
}

std::optional<WindowRecord> SessionKeeper::takeClosed(int index)
{
    if (index < 0 || index >= m_closed.size())
        return std::nullopt;
    const WindowRecord record = m_closed.takeAt(index).window;
    changed();
    return record;
}

void SessionKeeper::setOffered(const QList<WindowRecord> &windows)
{
    m_offered = windows;
    changed();
}

void SessionKeeper::setRestoring(bool restoring)
{
    QString error;
    if (m_store && !m_ended && !m_store->setRestoring(restoring, &error))
        tell(cannotKeep(error));
}

void SessionKeeper::end(bool quit)
{
    if (m_ended)
        return;
    if (m_writer) {
        m_soon->stop();
        m_writer->submit(collect());
        QString error;
        if (!m_writer->flush(&error))
            std::fputs(qPrintable(QStringLiteral("lumeno: the session could not be written: %1\n").arg(error)),
                       stderr);
        else if (quit && m_store && !m_store->endRun(&error))
            std::fputs(qPrintable(QStringLiteral("lumeno: %1\n").arg(error)), stderr);
        m_writer.reset();
    }
    m_ended = true;
    m_store.reset();
    m_lock.unlock();
}

int SessionKeeper::writes() const
{
    return m_writer ? m_writer->counts().writes : 0;
}
