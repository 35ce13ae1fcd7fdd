// One Lumeno per user and display, in-process: the first start listens, the
// next hands its addresses over (from another thread, as another process
// would, since it blocks), sockets left by a crash are taken over, and what
// is not a whole, well-formed message is dropped, as is another user's.
#include "shell/app/SingleInstance.h"
#include "support/AsUser.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

class tst_SingleInstance : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir;
    QString path;

    // Starts another instance on a thread of its own; waits for its outcome
    // while this thread's event loop answers.
    SingleInstance::Outcome startElsewhere(const QStringList &addresses, int answerTimeout = 5000)
    {
        SingleInstance::Outcome outcome = SingleInstance::Alone;
        QThread *thread = QThread::create([&] {
            SingleInstance other(path);
            other.setAnswerTimeout(answerTimeout);
            outcome = other.start(addresses);
        });
        thread->start();
        QDeadlineTimer deadline(20000);
        while (!thread->isFinished() && !deadline.hasExpired())
            QTest::qWait(10);
        thread->wait();
        delete thread;
        return outcome;
    }

    // Sends raw bytes and returns what came back before the server hung up.
    QByteArray exchange(const QByteArray &bytes)
    {
        QLocalSocket s;
        s.connectToServer(path);
        if (!s.waitForConnected(2000))
            return "<no connection>";
        s.write(bytes);
        s.flush();
        QByteArray reply;
        QDeadlineTimer deadline(8000);
        while (s.state() != QLocalSocket::UnconnectedState && !reply.endsWith('\n')
               && !deadline.hasExpired()) {
            QTest::qWait(10);
            reply += s.readAll();
        }
        return reply + s.readAll();
    }

    // A socket file that nobody listens on, as a crash leaves it.
    static bool makeStaleSocket(const QString &at)
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr = {};
        addr.sun_family = AF_UNIX;
        qstrncpy(addr.sun_path, QFile::encodeName(at).constData(), sizeof(addr.sun_path));
        const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)) == 0;
        ::close(fd);
        return bound && QFileInfo::exists(at);
    }

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        path = dir->filePath("lumeno-test");
    }

    void messagesEncodeAndDecode()
    {
        const QStringList addresses{"http://a.example/", "file:///tmp/a%20b.html",
                                    "https://b.example/%C3%A9?q=1#x"};
        QCOMPARE(SingleInstance::decode(SingleInstance::encode(addresses)), addresses);
        QCOMPARE(SingleInstance::decode(SingleInstance::encode({})), QStringList());
        QCOMPARE(SingleInstance::encode({"http://a.example/\r\nx"}),
                 QByteArray("LUMENO-OPEN 1\nhttp://a.example/x\n\n"));
    }

    void malformedMessagesDecodeToNothing_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("other header") << QByteArray("LUMENO-OPEN 2\nhttp://a.example/\n\n");
        QTest::newRow("no end") << QByteArray("LUMENO-OPEN 1\nhttp://a.example/\n");
        QTest::newRow("after the end") << QByteArray("LUMENO-OPEN 1\nhttp://a.example/\n\nmore\n");
        QTest::newRow("not UTF-8") << QByteArray("LUMENO-OPEN 1\nhttp://a.example/\xff\n\n");
        QTest::newRow("no scheme") << QByteArray("LUMENO-OPEN 1\na.example\n\n");
        QTest::newRow("control character") << QByteArray("LUMENO-OPEN 1\nhttp://a.example/\tx\n\n");
        QByteArray many("LUMENO-OPEN 1\n");
        for (int i = 0; i <= SingleInstance::MaxAddresses; ++i)
            many += "http://a.example/" + QByteArray::number(i) + "\n";
        QTest::newRow("too many") << many + "\n";
        QTest::newRow("too long") << "LUMENO-OPEN 1\nhttp://a.example/" + QByteArray(SingleInstance::MaxMessage, 'a') + "\n\n";
    }
    void malformedMessagesDecodeToNothing()
    {
        QFETCH(QByteArray, message);
        QVERIFY(!SingleInstance::decode(message).has_value());
    }

    void secondStartHandsItsAddressesToTheFirst()
    {
        SingleInstance first(path);
        QCOMPARE(first.start({"http://ignored.example/"}), SingleInstance::Listening);
        QVERIFY(first.isListening());
        QSignalSpy opened(&first, &SingleInstance::openRequested);

        QCOMPARE(startElsewhere({"http://a.example/", "file:///tmp/x.html"}), SingleInstance::HandedOver);
        QTRY_COMPARE(opened.size(), 1);
        QCOMPARE(opened[0][0].toStringList(), QStringList({"http://a.example/", "file:///tmp/x.html"}));
        // No address: a window on the home page, asked for all the same.
        QCOMPARE(startElsewhere({}), SingleInstance::HandedOver);
        QTRY_COMPARE(opened.size(), 2);
        QCOMPARE(opened[1][0].toStringList(), QStringList());
    }

    void closingRemovesTheSocketForTheNextStart()
    {
        {
            SingleInstance first(path);
            QCOMPARE(first.start({}), SingleInstance::Listening);
            QVERIFY(QFileInfo::exists(path));
        }
        QVERIFY(!QFileInfo::exists(path));
        SingleInstance next(path);
        QCOMPARE(next.start({}), SingleInstance::Listening);
    }

    void aSocketLeftByACrashIsTakenOver()
    {
        QVERIFY(makeStaleSocket(path));
        SingleInstance first(path);
        QString why;
        QCOMPARE(first.start({"http://a.example/"}, &why), SingleInstance::Listening);
        QSignalSpy opened(&first, &SingleInstance::openRequested);
        QCOMPARE(startElsewhere({"http://b.example/"}), SingleInstance::HandedOver);
        QTRY_COMPARE(opened.size(), 1);
    }

    void aRunningOneThatDoesNotAnswerLeavesThisOneAlone()
    {
        // Accepts, then says nothing, as a hung program would.
        QLocalServer silent;
        QVERIFY(silent.listen(path));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(startElsewhere({"http://a.example/"}, 300), SingleInstance::Alone);
        // Neither waited on for ever nor removed: it may come back.
        QVERIFY(clock.elapsed() < 15000);
        QVERIFY(QFileInfo::exists(path));
    }

    void malformedMessagesAreDroppedUnanswered()
    {
        SingleInstance first(path);
        QCOMPARE(first.start({}), SingleInstance::Listening);
        QSignalSpy opened(&first, &SingleInstance::openRequested);
        QCOMPARE(exchange("GET / HTTP/1.0\r\n\r\n"), QByteArray());
        QCOMPARE(exchange("LUMENO-OPEN 1\nnot an address\n\n"), QByteArray());
        QCOMPARE(exchange("LUMENO-OPEN 1\n" + QByteArray(SingleInstance::MaxMessage + 10, 'a')), QByteArray());
        QCOMPARE(opened.size(), 0);
        // The server goes on listening to well-formed ones; one sent in
        // pieces is still one message.
        QLocalSocket s;
        s.connectToServer(path);
        QVERIFY(s.waitForConnected(2000));
        s.write("LUMENO-OPEN 1\nhttp://a.");
        s.flush();
        QTest::qWait(50);
        s.write("example/\n\n");
        s.flush();
        QTRY_COMPARE(opened.size(), 1);
        QCOMPARE(opened[0][0].toStringList(), QStringList{"http://a.example/"});
        QTRY_VERIFY(s.bytesAvailable() > 0 || s.waitForReadyRead(100));
        QCOMPARE(s.readAll(), QByteArray("OK\n"));
    }

    // Only this user's own processes are listened to, whatever the modes of
    // the socket and its folder: a message sent over a connection made as
    // another user is dropped unanswered, and the owner's next one is heard.
    void anotherUsersAddressesAreNotOpened()
    {
        if (::geteuid() != 0)
            QSKIP("acting as another user needs root");
        SingleInstance first(path);
        QCOMPARE(first.start({}), SingleInstance::Listening);
        QSignalSpy opened(&first, &SingleInstance::openRequested);
        // Open to everyone: who connects is all that is left to refuse by.
        QCOMPARE(::chmod(QFile::encodeName(dir->path()).constData(), 0755), 0);
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0777), 0);
        QLocalSocket stranger;
        {
            QTemporaryDir own;
            const AsUser nobody(own.path());
            // Made and sent before this thread's event loop, where the
            // server listens, runs again.
            stranger.connectToServer(path);
            QVERIFY(stranger.waitForConnected(2000));
            stranger.write(SingleInstance::encode({"http://stranger.example/"}));
            QVERIFY(stranger.waitForBytesWritten(2000));
        }
        QTRY_COMPARE(stranger.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(stranger.readAll(), QByteArray());
        QCOMPARE(startElsewhere({"http://owner.example/"}), SingleInstance::HandedOver);
        QTRY_COMPARE(opened.size(), 1);
        QCOMPARE(opened[0][0].toStringList(), QStringList{"http://owner.example/"});
    }

    void socketIsPerUserAndDisplay()
    {
        QProcessEnvironment env;
        env.insert("XDG_RUNTIME_DIR", dir->path());
        env.insert("DISPLAY", ":0");
        const QString x0 = SingleInstance::socketPathFor(env);
        QCOMPARE(QFileInfo(x0).path(), dir->path());
        env.insert("DISPLAY", ":0.1");
        QCOMPARE(SingleInstance::socketPathFor(env), x0);
        env.insert("DISPLAY", ":1");
        QVERIFY(SingleInstance::socketPathFor(env) != x0);
        env.insert("WAYLAND_DISPLAY", "wayland-0");
        const QString wayland = SingleInstance::socketPathFor(env);
        QVERIFY(wayland != x0);
        env.insert("WAYLAND_DISPLAY", "../../etc/x");
        QCOMPARE(QFileInfo(SingleInstance::socketPathFor(env)).path(), dir->path());

        // Without a runtime directory: a directory of this user's alone.
        env.remove("XDG_RUNTIME_DIR");
        const QString fallback = SingleInstance::socketPathFor(env);
        QVERIFY(!fallback.isEmpty());
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(QFileInfo(fallback).path()).constData(), &st), 0);
        QCOMPARE(st.st_uid, ::geteuid());
        QCOMPARE(st.st_mode & 0777, 0700u);
        QVERIFY(fallback.startsWith(QDir::tempPath()));
    }
};

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"
