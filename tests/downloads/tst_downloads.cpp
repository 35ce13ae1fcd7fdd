// Downloads with the real engine, served on 127.0.0.1 by the test: saved
// byte for byte where the user said, nothing left under the chosen name when
// cancelled or cut off, a clear message when the folder cannot take the file,
// and "Save link" from the page's own menu taking the same way.
#include "downloads/engine/EngineDownloads.h"
#include "browser/engine/QtWebView.h"
#include "browser/engine/QtWebViewFactory.h"
#include "common/ui/FileDialogs.h"
#include "downloads/core/DownloadList.h"
#include "downloads/ui/frmDownloads.h"
#include "support/EngineTest.h"
#include "support/Files.h"
#include "support/FakeDialogs.h"
#include "support/MemorySettingsStore.h"
#include "support/TestServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <memory>
#include <unistd.h>

class tst_Downloads : public QObject
{
    Q_OBJECT
public:
    static void initMain() { prepareEngineTest(); }

private:
    TestServer server;
    QWebEngineProfile *profile = nullptr;
    MemorySettingsStore store;
    FakeDialogs dialogs;
    std::unique_ptr<QtWebViewFactory> views;
    std::unique_ptr<frmDownloads> window;
    std::unique_ptr<QTemporaryDir> dir;
    QByteArray payload;
    QString answer;             // what the save dialog answers
    QStringList suggested;      // what it was opened on
    QList<QWidget *> askedOver; // and over which widget
    // The message boxes shown, as "title|text".
    QStringList boxes() const
    {
        QStringList list;
        for (const FakeDialogs::Message &m : dialogs.messages)
            list << m.title + "|" + m.text;
        return list;
    }

    DownloadList &list() { return *views->downloads(); }

    QStringList filesIn(const QString &path) const
    {
        return QDir(path).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    // Mounts a small tmpfs; false where this process may not.
    bool mountTmpfs(const QString &at, const QString &options)
    {
        if (geteuid() != 0 || !QDir().mkpath(at))
            return false;
        return QProcess::execute("mount", {"-t", "tmpfs", "-o", options, "tmpfs", at}) == 0;
    }

private slots:
    void initTestCase()
    {
        profile = new QWebEngineProfile(this);
        views = std::make_unique<QtWebViewFactory>(profile, store, dialogs);
        window = std::make_unique<frmDownloads>(list(), dialogs, nullptr);
        for (int i = 0; i < 300 * 1024; ++i)
            payload += char((i * 7919 + i / 13) & 0xFF);
        TestResponse file;
        file.body = payload;
        file.contentType = "application/octet-stream";
        file.attachment = "data file.bin";
        server.route("/file", file);
        TestResponse held = file;
        held.attachment = "held.bin";
        held.holdHalfway = true;
        server.route("/held", held);
        TestResponse dropped = file;
        dropped.attachment = "dropped.bin";
        dropped.dropHalfway = true;
        server.route("/dropped", dropped);
        TestResponse plain;
        plain.body = "the link's own bytes\n";
        plain.contentType = "text/plain";
        server.route("/linked.txt", plain);
        server.page("/links", "<html><head><title>Links</title></head><body style='margin:0'>"
                              "<a href='/linked.txt' style='display:block;width:300px;height:120px'>"
                              "a link</a></body></html>");
        dialogs.chooseFile = [this](const FakeDialogs::FileQuestion &question) {
            askedOver << question.parent;
            suggested << question.suggested;
            return answer;
        };
    }
    void cleanupTestCase()
    {
        window.reset();
        views.reset();
        delete profile;
    }
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        dialogs.messages.clear();
        suggested.clear();
        askedOver.clear();
    }

    void savedByteForByteWhereTheUserSaid()
    {
        const int before = list().items().size();
        answer = dir->filePath("chosen.bin");
        auto view = newView(*views);
        QVERIFY(load(*view, server.url("/links").toString()));
        QSignalSpy addresses(view.get(), &WebView::BeforeNavigate2);
        view->Navigate2(server.url("/file").toString());
        QTRY_COMPARE_WITH_TIMEOUT(list().items().size(), before + 1, 20000);
        DownloadItem *item = list().items().last();
        // Asked once, over the window whose page asked, in the download folder.
        QCOMPARE(suggested, QStringList{QDir(EngineDownloads::downloadDirectory()).filePath("data file.bin")});
        QVERIFY(askedOver.first() && view->isAncestorOf(askedOver.first()));
        QTRY_COMPARE_WITH_TIMEOUT(item->state(), DownloadItem::Completed, 20000);
        QCOMPARE(item->path(), answer);
        QCOMPARE(item->receivedBytes(), qint64(payload.size()));
        QVERIFY(bytesOf(answer) == payload);
        QCOMPARE(filesIn(dir->path()), QStringList{"chosen.bin"});
        QVERIFY(boxes().isEmpty());
        // The page stayed; the address shown goes back to it.
        QTRY_VERIFY_WITH_TIMEOUT(!addresses.isEmpty()
                                     && addresses.last().first().toString() == server.url("/links").toString(),
                                 20000);
        QCOMPARE(view->LocationURL(), server.url("/links").toString());
        // The Downloads window came up with it.
        QVERIFY(window->isVisible());
    }

    void noAnswerNoDownload()
    {
        const int before = list().items().size();
        answer.clear();
        // What the program made of the request, seen once it has answered.
        QList<QWebEngineDownloadRequest::DownloadState> answered;
        const auto seen = connect(profile, &QWebEngineProfile::downloadRequested, this,
                                  [&](QWebEngineDownloadRequest *request) { answered << request->state(); });
        auto view = newView(*views);
        view->Navigate2(server.url("/file").toString());
        QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 1, 20000);
        disconnect(seen);
        QCOMPARE(suggested.size(), 1);
        QCOMPARE(answered.first(), QWebEngineDownloadRequest::DownloadCancelled);
        QCOMPARE(list().items().size(), before);
        QVERIFY(filesIn(dir->path()).isEmpty());
    }

    void cancelledLeavesNothing_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::newRow("new file") << false;
        QTest::newRow("file replaced") << true; // the dialog asked, the user agreed
    }
    void cancelledLeavesNothing()
    {
        QFETCH(bool, existing);
        answer = dir->filePath("target.bin");
        if (existing)
            writeBytes(answer, "old bytes");
        auto view = newView(*views);
        view->Navigate2(server.url("/held").toString());
        QTRY_VERIFY_WITH_TIMEOUT(!list().items().isEmpty() && list().items().last()->path() == answer
                                     && list().items().last()->receivedBytes() > 0,
                                 20000);
        DownloadItem *item = list().items().last();
        QCOMPARE(item->state(), DownloadItem::Running);
        // While running, the chosen name holds nothing new.
        QCOMPARE(bytesOf(answer), existing ? QByteArray("old bytes") : QByteArray("<missing>"));
        item->cancel();
        QCOMPARE(item->state(), DownloadItem::Cancelled);
        QTRY_COMPARE_WITH_TIMEOUT(filesIn(dir->path()), existing ? QStringList{"target.bin"} : QStringList{},
                                  10000);
        QCOMPARE(bytesOf(answer), existing ? QByteArray("old bytes") : QByteArray("<missing>"));
        QVERIFY(boxes().isEmpty()); // the user's own doing: no message
    }

    void connectionDroppedHalfWay()
    {
        answer = dir->filePath("target.bin");
        writeBytes(answer, "old bytes");
        auto view = newView(*views);
        view->Navigate2(server.url("/dropped").toString());
        QTRY_VERIFY_WITH_TIMEOUT(!list().items().isEmpty() && list().items().last()->path() == answer, 20000);
        DownloadItem *item = list().items().last();
        // The engine retries on its own before it gives up.
        QTRY_COMPARE_WITH_TIMEOUT(item->state(), DownloadItem::Failed, 60000);
        QVERIFY2(item->failure().contains("connection"), qPrintable(item->failure()));
        QCOMPARE(suggested.size(), 1); // the retries asked nothing
        QCOMPARE(boxes().size(), 1);
        QVERIFY(boxes().first().startsWith("Download failed|"));
        QVERIFY(boxes().first().contains(answer));
        QTRY_COMPARE_WITH_TIMEOUT(filesIn(dir->path()), QStringList{"target.bin"}, 10000);
        QCOMPARE(bytesOf(answer), QByteArray("old bytes"));
    }

    void folderThatCannotTakeTheFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a file where the folder should be") << "file" << "is not a folder";
        QTest::newRow("no such folder") << "missing" << "does not exist";
        QTest::newRow("read-only file system") << "readonly" << "cannot be written";
    }
    void folderThatCannotTakeTheFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QString folder = dir->filePath("folder");
        if (kind == "file") {
            writeBytes(folder, "a file");
        } else if (kind == "readonly") {
            if (!mountTmpfs(folder, "ro,size=64k"))
                QSKIP("cannot mount a read-only file system here");
        }
        answer = folder + "/x.bin";
        const int before = list().items().size();
        auto view = newView(*views);
        view->Navigate2(server.url("/file").toString());
        QTRY_COMPARE_WITH_TIMEOUT(list().items().size(), before + 1, 20000);
        DownloadItem *item = list().items().last();
        const bool failed = item->state() == DownloadItem::Failed;
        const QString failure = item->failure();
        const QStringList left = filesIn(folder);
        if (kind == "readonly")
            QProcess::execute("umount", {folder});
        QVERIFY(failed);
        QVERIFY2(failure.contains(reason), qPrintable(failure));
        QCOMPARE(boxes().size(), 1);
        QVERIFY(boxes().first().contains(reason));
        QVERIFY(left.isEmpty());
        if (kind == "file")
            QCOMPARE(bytesOf(folder), QByteArray("a file"));
    }

    // A disk that fills up half-way: the engine's failure, told as such,
    // and no partial file.
    void diskFullHalfWay()
    {
        const QString folder = dir->filePath("small");
        if (!mountTmpfs(folder, "size=64k"))
            QSKIP("cannot mount a small file system here");
        answer = folder + "/big.bin";
        auto view = newView(*views);
        view->Navigate2(server.url("/file").toString());
        QTRY_VERIFY_WITH_TIMEOUT(!list().items().isEmpty() && list().items().last()->path() == answer, 20000);
        DownloadItem *item = list().items().last();
        // Unmounted whatever happens, before any check can end the test.
        QElapsedTimer clock;
        clock.start();
        while (item->state() == DownloadItem::Running && clock.elapsed() < 20000)
            QTest::qWait(50);
        const DownloadItem::State state = item->state();
        const QString failure = item->failure();
        while (!filesIn(folder).isEmpty() && clock.elapsed() < 30000)
            QTest::qWait(50);
        const QStringList left = filesIn(folder);
        QProcess::execute("umount", {folder});
        QCOMPARE(state, DownloadItem::Failed);
        QVERIFY2(failure.contains("disk is full") || failure.contains("could not be written"),
                 qPrintable(failure));
        QCOMPARE(boxes().size(), 1);
        QVERIFY(left.isEmpty());
    }

    void saveLinkFromThePagesMenu()
    {
        answer = dir->filePath("saved.txt");
        auto view = newView(*views);
        QVERIFY(load(*view, server.url("/links").toString()));
        QMenu *menu = openPagesMenu(view->engineView(), QPoint(40, 40));
        QVERIFY(menu);
        QAction *save = view->engineView()->page()->action(QWebEnginePage::DownloadLinkToDisk);
        QVERIFY(menu->actions().contains(save));
        save->trigger();
        menu->close();
        QTRY_COMPARE_WITH_TIMEOUT(suggested.size(), 1, 20000);
        QCOMPARE(QFileInfo(suggested.first()).fileName(), QString("linked.txt"));
        QTRY_VERIFY_WITH_TIMEOUT(list().items().last()->path() == answer
                                     && list().items().last()->state() == DownloadItem::Completed,
                                 20000);
        QCOMPARE(bytesOf(answer), QByteArray("the link's own bytes\n"));
    }
};

QTEST_MAIN(tst_Downloads)
#include "tst_downloads.moc"
