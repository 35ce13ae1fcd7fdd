#include "shell/app/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
const QByteArray Header("LUMENO-OPEN 1\n");
const QByteArray Answer("OK\n");
const char *const BufferProperty = "lumenoBuffer";

QString sanitised(QString text)
{
    for (QChar &c : text) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
                           || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                           || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                           || c == QLatin1Char('-') || c == QLatin1Char('.');
        if (!plain)
            c = QLatin1Char('_');
    }
    return text;
}

// A directory of this user's that nobody else can enter.
bool isPrivateDirectory(const QString &path, QString *why)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *why = QStringLiteral("\"%1\" is not a directory").arg(path);
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        *why = QStringLiteral("\"%1\" belongs to another user").arg(path);
        return false;
    }
    if ((st.st_mode & 077) != 0 && ::chmod(QFile::encodeName(path).constData(), 0700) != 0) {
        *why = QStringLiteral("\"%1\" is open to other users").arg(path);
        return false;
    }
    return true;
}

bool isUsableAddress(const QString &line)
{
    for (QChar c : line) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    const QUrl url(line, QUrl::StrictMode);
    return url.isValid() && !url.scheme().isEmpty();
}
} // namespace

SingleInstance::SingleInstance(const QString &socketPath, QObject *parent)
    : QObject(parent), m_path(socketPath)
{
}

SingleInstance::~SingleInstance()
{
    // Closing removes the socket file, so the next start finds nobody there.
    if (m_server)
        m_server->close();
}

QString SingleInstance::socketName(const QProcessEnvironment &env)
{
    const QString wayland = env.value(QStringLiteral("WAYLAND_DISPLAY"));
    if (!wayland.isEmpty())
        return QStringLiteral("lumeno-wayland-") + sanitised(wayland);
    QString x = env.value(QStringLiteral("DISPLAY"));
    if (x.isEmpty())
        return QStringLiteral("lumeno-nodisplay");
    // ":0.1" is screen 1 of display ":0": the same display, the same Lumeno.
    const qsizetype colon = x.lastIndexOf(QLatin1Char(':'));
    const qsizetype dot = x.indexOf(QLatin1Char('.'), colon + 1);
    if (colon >= 0 && dot > colon)
        x.truncate(dot);
    return QStringLiteral("lumeno-x11-") + sanitised(x);
}

QString SingleInstance::socketPathFor(const QProcessEnvironment &env, QString *why)
{
    QString reason;
    QString dir = env.value(QStringLiteral("XDG_RUNTIME_DIR"));
    if (dir.isEmpty() || !QDir::isAbsolutePath(dir) || !isPrivateDirectory(dir, &reason)) {
        // Without a runtime directory: a directory of the user's own under
        // the temporary one, which nobody else may have made first.
        dir = QDir::tempPath() + QStringLiteral("/lumeno-") + QString::number(::geteuid());
        ::mkdir(QFile::encodeName(dir).constData(), 0700);
        if (!isPrivateDirectory(dir, &reason)) {
            if (why)
                *why = reason;
            return QString();
        }
    }
    const QString path = dir + QLatin1Char('/') + socketName(env);
    if (QFile::encodeName(path).size() >= qsizetype(sizeof(sockaddr_un::sun_path))) {
        if (why)
            *why = QStringLiteral("the socket path \"%1\" is too long").arg(path);
        return QString();
    }
    return path;
}

QByteArray SingleInstance::encode(const QStringList &addresses)
{
    QByteArray message = Header;
    for (const QString &a : addresses) {
        QString line = a;
        line.remove(QLatin1Char('\r'));
        line.remove(QLatin1Char('\n'));
        if (!line.isEmpty())
            message += line.toUtf8() + '\n';
    }
    return message + '\n';
}

std::optional<QStringList> SingleInstance::decode(QByteArrayView message)
{
    if (message.size() > MaxMessage || !message.startsWith(Header) || !message.endsWith("\n"))
        return std::nullopt;
    QByteArrayView body = message.sliced(Header.size());
    QStringList addresses;
    while (true) {
        const qsizetype end = body.indexOf('\n');
        if (end < 0)
            return std::nullopt;
        if (end == 0)
            break; // the empty line that ends the message
        const QByteArrayView line = body.first(end);
        if (!line.isValidUtf8() || addresses.size() == MaxAddresses)
            return std::nullopt;
        const QString address = QString::fromUtf8(line);
        if (!isUsableAddress(address))
            return std::nullopt;
        addresses << address;
        body = body.sliced(end + 1);
    }
    // Nothing may follow the end.
    if (body.size() != 1)
        return std::nullopt;
    return addresses;
}

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

SingleInstance::Outcome SingleInstance::start(const QStringList &addresses, QString *why)
{
    QString reason;
    // Two starts at the same moment must not both find nobody and both
    // listen, the second removing the first one's socket.
    QLockFile lock(m_path + QStringLiteral(".lock"));
    if (!lock.tryLock(10000)) {
        if (why)
            *why = QStringLiteral("the lock \"%1.lock\" could not be taken").arg(m_path);
        return Alone;
    }
    bool nobodyThere = false;
    if (handOver(addresses, &reason, &nobodyThere))
        return HandedOver;
    if (!nobodyThere) {
        if (why)
            *why = reason;
        return Alone;
    }
    // Nobody answers at the path: a socket file left by a crash goes.
    QLocalServer::removeServer(m_path);
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_path)) {
        if (why)
            *why = QStringLiteral("could not listen at \"%1\": %2").arg(m_path, server->errorString());
        delete server;
        return Alone;
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    return Listening;
}

bool SingleInstance::handOver(const QStringList &addresses, QString *why, bool *nobodyThere)
{
    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(2000)) {
        const auto error = socket.error();
        *nobodyThere = error == QLocalSocket::ServerNotFoundError
                       || error == QLocalSocket::ConnectionRefusedError;
        *why = QStringLiteral("could not reach the running Lumeno: %1").arg(socket.errorString());
        return false;
    }
    socket.write(encode(addresses));
    QElapsedTimer clock;
    clock.start();
    QByteArray reply;
    while (!reply.contains('\n') && clock.elapsed() < m_answerTimeout) {
        if (socket.bytesToWrite() > 0)
            socket.waitForBytesWritten(int(qMax<qint64>(1, m_answerTimeout - clock.elapsed())));
        else if (!socket.waitForReadyRead(int(qMax<qint64>(1, m_answerTimeout - clock.elapsed()))))
            break;
        reply += socket.readAll();
    }
    reply += socket.readAll();
    if (reply == Answer)
        return true;
    *why = QStringLiteral("the running Lumeno did not answer");
    return false;
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // Only this user's own processes are listened to, whatever the
        // directory's permissions.
        ucred peer = {};
        socklen_t size = sizeof(peer);
        if (::getsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0
            || peer.uid != ::geteuid()) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // A client that says nothing is not waited for long.
        QTimer::singleShot(5000, socket, [socket] { socket->abort(); });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        if (socket->bytesAvailable() > 0)
            onReadyRead(socket);
    }
}

void SingleInstance::onReadyRead(QLocalSocket *socket)
{
    QByteArray buffer = socket->property(BufferProperty).toByteArray() + socket->readAll();
    if (buffer.size() > MaxMessage) {
        socket->abort();
        return;
    }
    if (!buffer.startsWith(Header.first(qMin(buffer.size(), Header.size())))) {
        socket->abort();
        return;
    }
    // Complete once an empty line follows the header's own line.
    if (buffer.size() <= Header.size() || buffer.indexOf("\n\n", Header.size() - 1) < 0) {
        socket->setProperty(BufferProperty, buffer);
        return;
    }
    const std::optional<QStringList> addresses = decode(buffer);
    if (!addresses) {
        socket->abort();
        return;
    }
    socket->setProperty(BufferProperty, QVariant());
    socket->write(Answer);
    socket->flush();
    socket->disconnectFromServer();
    emit openRequested(*addresses);
}
