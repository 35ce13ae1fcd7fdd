#pragma once
// A tiny HTTP server on 127.0.0.1 for the tests that run the real engine.
// Pages are registered by path; anything else is a 404.
#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

class TestServer : public QObject
{
public:
    TestServer()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection())
                serve(s);
        });
        m_server.listen(QHostAddress::LocalHost, 0);
    }

    void page(const QString &path, const QByteArray &html) { m_pages.insert(path, html); }
    QUrl url(const QString &path) const { return url(path, QStringLiteral("127.0.0.1")); }
    // The same pages under another name ("localhost") are another origin and
    // another site to the engine.
    QUrl url(const QString &path, const QString &host) const
    {
        return QUrl(QStringLiteral("http://%1:%2%3").arg(host).arg(m_server.serverPort()).arg(path));
    }
    QStringList requests;

private:
    void serve(QTcpSocket *s)
    {
        connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        connect(s, &QTcpSocket::readyRead, s, [this, s] {
            m_buffers[s] += s->readAll();
            const QByteArray &buf = m_buffers[s];
            if (!buf.contains("\r\n\r\n"))
                return;
            const QList<QByteArray> first = buf.left(buf.indexOf("\r\n")).split(' ');
            m_buffers.remove(s);
            const QString path = first.size() > 1 ? QString::fromLatin1(first[1]) : QString();
            requests << path;
            const QString key = QUrl(path).path();
            const bool found = m_pages.contains(key);
            const QByteArray body = found ? m_pages.value(key) : QByteArray("not here");
            s->write((found ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n")
                     + QByteArray("Content-Type: text/html; charset=utf-8\r\nContent-Length: ")
                     + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
            s->disconnectFromHost();
        });
    }

    QTcpServer m_server;
    QHash<QString, QByteArray> m_pages;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};
