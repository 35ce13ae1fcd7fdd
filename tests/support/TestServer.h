#pragma once
// A tiny HTTP server on 127.0.0.1 for the tests that run the real engine, on
// plain HTTP or on HTTPS with the test-only key pair under support/keys.
// Pages are registered by path; anything else is a 404. A route can also
// send an attachment, ask for Basic sign-in, send slowly, stop half-way and
// hold the connection, or drop the connection half-way.
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

struct TestResponse
{
    QByteArray body;
    QByteArray contentType = "text/html; charset=utf-8";
    // Sent as a download under this name.
    QByteArray attachment;
    // "user:password": without them the server answers 401 with deniedBody.
    QByteArray basicAuth;
    QByteArray realm;
    QByteArray deniedBody;
    // Half the body, then the connection stays open without more.
    bool holdHalfway = false;
    // Half the body, then the connection is cut.
    bool dropHalfway = false;
    // Asked for again at every load, never taken from the engine's cache.
    bool noStore = false;
};

class TestServer : public QObject
{
public:
    enum Scheme { Http, Https };

    explicit TestServer(Scheme scheme = Http, const QString &host = QStringLiteral("127.0.0.1"))
        : m_host(host), m_server(scheme == Https ? new QSslServer(this) : new QTcpServer(this))
    {
        if (auto *tls = qobject_cast<QSslServer *>(m_server)) {
            QSslConfiguration config = QSslConfiguration::defaultConfiguration();
            // The pair lies beside this file, wherever the tree is.
            const QString keys = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/keys/");
            QFile key(keys + QStringLiteral("test-key.pem"));
            QFile cert(keys + QStringLiteral("test-cert.pem"));
            if (key.open(QIODevice::ReadOnly) && cert.open(QIODevice::ReadOnly)) {
                config.setPrivateKey(QSslKey(key.readAll(), QSsl::Rsa));
                config.setLocalCertificate(QSslCertificate(cert.readAll()));
            }
            tls->setSslConfiguration(config);
            m_scheme = QStringLiteral("https");
        }
        connect(m_server, &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket *s = m_server->nextPendingConnection())
                serve(s);
        });
        m_server->listen(QHostAddress::LocalHost, 0);
    }

    void page(const QString &path, const QByteArray &html)
    {
        TestResponse r;
        r.body = html;
        m_routes.insert(path, r);
    }
    void route(const QString &path, const TestResponse &response) { m_routes.insert(path, response); }
    QUrl url(const QString &path) const { return url(path, m_host); }
    // The same pages under another name ("localhost") are another origin and
    // another site to the engine.
    QUrl url(const QString &path, const QString &host) const
    {
        return QUrl(QStringLiteral("%1://%2:%3%4").arg(m_scheme, host).arg(m_server->serverPort()).arg(path));
    }
    QStringList requests;
    // Connections held open by holdHalfway routes.
    QList<QTcpSocket *> held;

private:
    void serve(QTcpSocket *s)
    {
        connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        connect(s, &QObject::destroyed, this, [this, s] {
            held.removeAll(s);
            m_buffers.remove(s);
        });
        connect(s, &QTcpSocket::readyRead, s, [this, s] {
            m_buffers[s] += s->readAll();
            const QByteArray buf = m_buffers.value(s);
            if (!buf.contains("\r\n\r\n"))
                return;
            m_buffers.remove(s);
            const QList<QByteArray> first = buf.left(buf.indexOf("\r\n")).split(' ');
            const QString path = first.size() > 1 ? QString::fromLatin1(first[1]) : QString();
            requests << path;
            const QString key = QUrl(path).path();
            if (!m_routes.contains(key)) {
                send(s, "404 Not Found", "text/html", {}, "not here");
                s->disconnectFromHost();
                return;
            }
            const TestResponse &r = m_routes[key];
            if (!r.basicAuth.isEmpty()
                && !buf.contains("\r\nAuthorization: Basic " + r.basicAuth.toBase64() + "\r\n")) {
                send(s, "401 Unauthorized", "text/html; charset=utf-8",
                     "WWW-Authenticate: Basic realm=\"" + r.realm + "\"\r\n", r.deniedBody);
                s->disconnectFromHost();
                return;
            }
            QByteArray extra;
            if (!r.attachment.isEmpty())
                extra = "Content-Disposition: attachment; filename=\"" + r.attachment + "\"\r\n";
            if (r.noStore)
                extra += "Cache-Control: no-store\r\n";
            if (!r.holdHalfway && !r.dropHalfway) {
                send(s, "200 OK", r.contentType, extra, r.body);
                s->disconnectFromHost();
                return;
            }
            // The whole length is announced; half of it comes.
            s->write("HTTP/1.1 200 OK\r\nContent-Type: " + r.contentType + "\r\n" + extra
                     + "Content-Length: " + QByteArray::number(r.body.size()) + "\r\nConnection: close\r\n\r\n"
                     + r.body.left(r.body.size() / 2));
            if (r.dropHalfway) {
                s->flush();
                QTimer::singleShot(100, s, [s] { s->abort(); });
            } else {
                held << s;
            }
        });
    }

    static void send(QTcpSocket *s, const QByteArray &status, const QByteArray &type,
                     const QByteArray &extra, const QByteArray &body)
    {
        s->write("HTTP/1.1 " + status + "\r\nContent-Type: " + type + "\r\n" + extra
                 + "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n"
                 + body);
    }

    QString m_host;
    QString m_scheme = QStringLiteral("http");
    QTcpServer *m_server;
    QHash<QString, TestResponse> m_routes;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};
