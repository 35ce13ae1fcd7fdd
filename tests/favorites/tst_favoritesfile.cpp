// The favorites file, on files written byte by byte: both reads, the append,
// the rewrite, the location and what happens when the file cannot be used.
#include "favorites/core/FavoritesFile.h"
#include "support/AsUser.h"
#include "support/FileSizeLimit.h"
#include "support/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QProcess>
#include <QScopeGuard>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Favorites;

namespace {
mode_t modeOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}
} // namespace

class tst_FavoritesFile : public QObject
{
    Q_OBJECT
    QTemporaryDir *dir = nullptr;
    QString path;

private slots:
    void init()
    {
        dir = new QTemporaryDir;
        setProgramDirectory(dir->path());
        path = dir->filePath(CurrentUserName() + ".fav");
    }
    void cleanup() { delete dir; }

    void locationIsTheProgramDirectoryAndTheLogonName()
    {
        QVERIFY(!CurrentUserName().isEmpty());
        QCOMPARE(FavoritesFilePath("alice"), dir->path() + "/alice.fav");
        QCOMPARE(FavoritesFilePath(CurrentUserName()), path);
    }

    void firstReadCreatesAnEmptyFile()
    {
        QVERIFY(!QFile::exists(path));
        QString error;
        QVERIFY(ReadFavorites(&error).isEmpty());
        QVERIFY(error.isEmpty());
        QCOMPARE(bytesOf(path), QByteArray());
        // The editor's read neither needs nor makes the file.
        QVERIFY(QFile::remove(path));
        QVERIFY(ReadFavoritesForEditor(CurrentUserName()).isEmpty());
        QVERIFY(!QFile::exists(path));
    }

    void readingRules_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QStringList>("urls");
        QTest::newRow("plain") << QByteArray("A||http://a/\r\nB||http://b/\r\n")
                               << QStringList{"A", "B"} << QStringList{"http://a/", "http://b/"};
        QTest::newRow("two separators") << QByteArray("X||Y||U\r\n") << QStringList{"X"}
                                        << QStringList{"Y||U"};
        QTest::newRow("starts with separator") << QByteArray("||http://u/\r\n") << QStringList{""}
                                               << QStringList{"http://u/"};
        QTest::newRow("single bars") << QByteArray("a|b|c||u\r\n") << QStringList{"a|b|c"}
                                     << QStringList{"u"};
        QTest::newRow("title ending in a bar") << QByteArray("Shop |||http://s/\r\n")
                                               << QStringList{"Shop |"} << QStringList{"http://s/"};
        QTest::newRow("bar titles, empty address") << QByteArray("Shop |||\r\n|||\r\n")
                                                   << QStringList{"Shop |", "|"} << QStringList{"", ""};
        QTest::newRow("only separator") << QByteArray("||\r\n") << QStringList{""} << QStringList{""};
        QTest::newRow("no line end at last") << QByteArray("A||a\r\nB||b") << QStringList{"A", "B"}
                                             << QStringList{"a", "b"};
        QTest::newRow("LF only") << QByteArray("A||a\nB||b\n") << QStringList{"A", "B"}
                                 << QStringList{"a", "b"};
        QTest::newRow("empty lines skipped") << QByteArray("\r\nA||a\r\n\r\n\nB||b\r\n")
                                             << QStringList{"A", "B"} << QStringList{"a", "b"};
        QTest::newRow("no separator") << QByteArray("just a title\r\nA||a\r\n")
                                      << QStringList{"just a title", "A"} << QStringList{"", "a"};
        QTest::newRow("UTF-8") << QByteArray("Gr\xc3\xbc\xc3\x9f""e \xe2\x82\xac||http://x/\r\n")
                               << QStringList{QString::fromUtf8("Grüße €")} << QStringList{"http://x/"};
        QTest::newRow("Windows-1252") << QByteArray("Caf\xe9 \x80 \x96||http://x/\xe9\r\nOK||u\r\n")
                                      << QStringList{QString::fromUtf8("Café € –"), "OK"}
                                      << QStringList{QString::fromUtf8("http://x/é"), "u"};
        QTest::newRow("NUL bytes") << QByteArray("a\0b||u\0v\r\n", 10)
                                   << QStringList{QString("a") + QChar(0) + "b"}
                                   << QStringList{QString("u") + QChar(0) + "v"};
        QTest::newRow("empty file") << QByteArray() << QStringList{} << QStringList{};
    }
    void readingRules()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, urls);
        writeBytes(path, bytes);
        for (const QList<FavoriteEntry> &entries :
             {ReadFavorites(), ReadFavoritesForEditor(CurrentUserName())}) {
            QStringList t, u;
            for (const FavoriteEntry &e : entries) {
                t << e.Title;
                u << e.URL;
            }
            QCOMPARE(t, titles);
            QCOMPARE(u, urls);
        }
    }

    void aVeryLongLineIsRead()
    {
        const QByteArray title(10 * 1024 * 1024, 'x');
        writeBytes(path, title + "||http://long/\r\nnext||n\r\n");
        const QList<FavoriteEntry> entries = ReadFavorites();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0].Title.size(), title.size());
        QCOMPARE(entries[1], (FavoriteEntry{"next", "n"}));
    }

    void appendWritesOneLineWithCrLf()
    {
        QVERIFY(AppendFavorite("Page", "http://p/"));
        QVERIFY(AppendFavorite("Page", "http://p/"));
        QVERIFY(AppendFavorite("", ""));
        QCOMPARE(bytesOf(path), QByteArray("Page||http://p/\r\nPage||http://p/\r\n||\r\n"));
    }

    // Titles holding single bars read back whole wherever the bar stands,
    // after an append and after a rewrite of the whole file.
    void titlesWithSingleBarsSurvive()
    {
        const QStringList titles{"Shop |", "|lead", "trail|", "mid|dle", "|", "| |", "a | b |"};
        for (const QString &t : titles)
            QVERIFY(AppendFavorite(t, "http://x.example/" + QString::number(t.size())));
        QList<FavoriteEntry> back = ReadFavorites();
        QCOMPARE(back.size(), titles.size());
        for (int i = 0; i < titles.size(); ++i) {
            QCOMPARE(back[i].Title, titles[i]);
            QCOMPARE(back[i].URL, "http://x.example/" + QString::number(titles[i].size()));
        }
        // A hand-written line without a separator keeps its title through Done.
        writeBytes(path, "Shop |\r\n");
        back = ReadFavoritesForEditor(CurrentUserName());
        QVERIFY(RewriteFavorites(CurrentUserName(), back));
        QCOMPARE(ReadFavoritesForEditor(CurrentUserName()), (QList<FavoriteEntry>{{"Shop |", ""}}));
    }

    void appendNeutralisesTheTitle()
    {
        QVERIFY(AppendFavorite("X||Y", "http://u/"));
        QVERIFY(AppendFavorite("a|||b||||c", "u2"));
        QVERIFY(AppendFavorite("two\r\nlines\nand\rmore", "u3"));
        QVERIFY(AppendFavorite("a|b", "u||4"));
        QCOMPARE(bytesOf(path), QByteArray("X|Y||http://u/\r\na|b|c||u2\r\ntwo lines and more||u3\r\n"
                                           "a|b||u||4\r\n"));
        const QList<FavoriteEntry> back = ReadFavorites();
        QCOMPARE(back[0], (FavoriteEntry{"X|Y", "http://u/"}));
        QCOMPARE(back[3], (FavoriteEntry{"a|b", "u||4"}));
    }

    void appendAfterALastLineWithoutEnd()
    {
        writeBytes(path, "A||a");
        QVERIFY(AppendFavorite("B", "b"));
        QCOMPARE(bytesOf(path), QByteArray("A||a\r\nB||b\r\n"));
    }

    void appendWritesUtf8()
    {
        QVERIFY(AppendFavorite(QString::fromUtf8("Grüße"), "http://x/"));
        QCOMPARE(bytesOf(path), QByteArray("Gr\xc3\xbc\xc3\x9f""e||http://x/\r\n"));
    }

    // An append that the disk stops part-way takes back what it wrote; where
    // even that is refused, the message says what the file may now end with.
    void anAppendCutShortLeavesNoPartOfItsLine()
    {
        const QByteArray old = "kept||k\r\n" + QByteArray(4000, 'p') + "||p\r\n";
        writeBytes(path, old);
        QString error;
        bool appended = true;
        {
            const FileSizeLimit limit(4096); // room for a part of the line only
            QVERIFY(limit.isSet());
            appended = AppendFavorite(QString(200, 't'), "http://t/", &error);
        }
        QVERIFY(!appended);
        QVERIFY2(error.contains(path) && error.contains("too large"), qPrintable(error));
        QCOMPARE(bytesOf(path), old);
        QCOMPARE(ReadFavorites().size(), 2);

        // Root may mark a file append-only: what was written then stays.
        if (QProcess::execute("chattr", {"+a", path}) != 0)
            QSKIP("this user or file system cannot make a file append-only");
        const auto unmark = qScopeGuard([&] { QProcess::execute("chattr", {"-a", path}); });
        error.clear();
        {
            const FileSizeLimit limit(4096);
            appended = AppendFavorite(QString(200, 't'), "http://t/", &error);
        }
        QVERIFY(!appended);
        QVERIFY2(error.contains(path) && error.contains("too large") && error.contains("part of the line"),
                 qPrintable(error));
        QCOMPARE(bytesOf(path).size(), 4096);
    }

    // A rewritten file keeps its mode; a new one gets what the umask leaves
    // of 0666, as every file the user makes, not the temporary file's 0600.
    void aRewriteKeepsTheModeAndANewFileFollowsTheUmask()
    {
        writeBytes(path, "old||o\r\n");
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0640) == 0);
        QVERIFY(RewriteFavorites(CurrentUserName(), {{"A", "a"}}));
        QCOMPARE(modeOf(path), mode_t(0640));
        for (const mode_t mask : {mode_t(077), mode_t(002)}) {
            const QString name = "new" + QString::number(mask, 8);
            const mode_t before = ::umask(mask);
            const bool wrote = RewriteFavorites(name, {{"N", "n"}});
            ::umask(before);
            QVERIFY(wrote);
            QCOMPARE(modeOf(dir->filePath(name + ".fav")), mode_t(0666 & ~mask));
        }
    }

    void rewriteGivesExactlyTheLinesInOrder()
    {
        writeBytes(path, "old||o\r\nlast without end||x");
        QVERIFY(RewriteFavorites(CurrentUserName(), {{"C", "c"}, {"A", "a"}, {"", "b"}}));
        QCOMPARE(bytesOf(path), QByteArray("C||c\r\nA||a\r\n||b\r\n"));
        QVERIFY(RewriteFavorites(CurrentUserName(), {}));
        QCOMPARE(bytesOf(path), QByteArray());
        QVERIFY(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden).size() == 1); // no leftovers
    }

    void theEditorsReadAndDoneKeepTheFirstSplit()
    {
        // Read at the first "||" like the menu, so "Done" loses nothing.
        writeBytes(path, "X||Y||U\r\n");
        const QList<FavoriteEntry> entries = ReadFavoritesForEditor(CurrentUserName());
        QCOMPARE(entries, (QList<FavoriteEntry>{{"X", "Y||U"}}));
        QVERIFY(RewriteFavorites(CurrentUserName(), entries));
        QCOMPARE(bytesOf(path), QByteArray("X||Y||U\r\n"));
    }

    // Whatever the bytes, a list read, written and read again is the same
    // list: random files made of the pieces that matter (bars, line ends,
    // byte-order marks, bytes that are not UTF-8), and the cases that once
    // broke it. A few hundred go through the real file and rewrite.
    void whatIsReadIsWrittenBackTheSame()
    {
        const QList<QByteArray> pieces = {"|", "||", "|||", "\r", "\n", "\r\n", "\xEF\xBB\xBF", "\xEF\xBB",
                                          "\xE9", "\x80", QByteArray(1, '\0'), " ", "a", "Z", "http://x/",
                                          "\xC3\xBC", "\xE2\x80\xA8", "\t"};
        QList<QByteArray> inputs = {"\xEF\xBB\xBF\xEF\xBB\xBFTitle||http://a/\r\n",
                                    "T||\xEF\xBB\xBF\xEF\xBB\xBFhttp://a/\r\n",
                                    "a\rb||c\r\n", "t||u\r\r\n", "\xEF\xBB\xBF\r\nx||y"};
        QRandomGenerator random(20261208);
        for (int n = 0; n < 4000; ++n) {
            QByteArray bytes;
            for (int i = random.bounded(1, 24); i > 0; --i)
                bytes += pieces[random.bounded(int(pieces.size()))];
            inputs << bytes;
        }
        for (qsizetype n = 0; n < inputs.size(); ++n) {
            const QList<FavoriteEntry> first = parseFavorites(inputs[n]);
            QByteArray written;
            for (const FavoriteEntry &e : first)
                written += formatLine(mendEntry(e));
            QVERIFY2(parseFavorites(written) == first, inputs[n].toHex(' ').constData());
            if (n % 20 != 0)
                continue;
            writeBytes(path, inputs[n]);
            const QList<FavoriteEntry> read = ReadFavoritesForEditor(CurrentUserName());
            QCOMPARE(read, first);
            QVERIFY(RewriteFavorites(CurrentUserName(), read));
            QVERIFY2(ReadFavoritesForEditor(CurrentUserName()) == read, inputs[n].toHex(' ').constData());
        }
        // A title that a user typed with a mark in front stays a title.
        QVERIFY(RewriteFavorites(CurrentUserName(), {{QString(QChar(0xFEFF)) + "Typed", "t"}}));
        QCOMPARE(ReadFavorites(), (QList<FavoriteEntry>{{"Typed", "t"}}));
    }

    void twoUsersSideBySide()
    {
        QVERIFY(RewriteFavorites("alice", {{"A", "a"}}));
        QVERIFY(RewriteFavorites("bob", {{"B", "b"}}));
        QCOMPARE(bytesOf(dir->filePath("alice.fav")), QByteArray("A||a\r\n"));
        QCOMPARE(bytesOf(dir->filePath("bob.fav")), QByteArray("B||b\r\n"));
        QCOMPARE(ReadFavoritesForEditor("alice"), (QList<FavoriteEntry>{{"A", "a"}}));
        QCOMPARE(ReadFavoritesForEditor("bob"), (QList<FavoriteEntry>{{"B", "b"}}));
    }

    // A program directory that cannot hold the file: the per-user data
    // directory instead, unless a file is already there.
    void unwritableProgramDirectoryFallsBackToTheDataDirectory()
    {
        QTemporaryDir data;
        const QByteArray old = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
        setProgramDirectory(dir->filePath("no/such/dir"));
        const QString fallback = data.path() + "/Lumeno2/Lumeno2/" + CurrentUserName() + ".fav";
        QCOMPARE(FavoritesFilePath(CurrentUserName()), fallback);
        QVERIFY(AppendFavorite("A", "a"));
        QCOMPARE(bytesOf(fallback), QByteArray("A||a\r\n"));
        QCOMPARE(ReadFavorites().size(), 1);
        qputenv("XDG_DATA_HOME", old);
    }

    // A rewrite killed at any moment leaves the file exactly old or exactly
    // new, and whatever temporary file it left is gone after the next read.
    void aKilledRewriteLeavesNothingBehind()
    {
        const QList<FavoriteEntry> oldList{{"Old", "http://old/"}};
        QList<FavoriteEntry> newList;
        for (int i = 0; i < 2000; ++i)
            newList.append({"New " + QString::number(i), "http://new.example/" + QString::number(i)});
        const QByteArray oldBytes = formatFavorites(oldList), newBytes = formatFavorites(newList);
        const QString name = QFileInfo(path).fileName();
        bool sawLeftover = false;
        for (int round = 0; round < 60; ++round) {
            writeBytes(path, oldBytes);
            const pid_t child = ::fork();
            if (child == 0) {
                for (;;)
                    RewriteFavorites(CurrentUserName(), (round % 2) ? newList : oldList);
            }
            QVERIFY(child > 0);
            ::usleep(200 + (round * 997) % 3000);
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            const QByteArray now = bytesOf(path);
            QVERIFY(now == oldBytes || now == newBytes);
            sawLeftover |= !QDir(dir->path()).entryList({"." + name + ".saving-*"}, QDir::Files | QDir::Hidden).isEmpty();
            ReadFavorites();
            QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
        }
        if (!sawLeftover)
            qInfo("no kill fell between a write and its rename this time");

        // As a kill between the write and the rename leaves them: one of a
        // writer that is gone is removed, one of a writer still running, and
        // the user's own files, are not.
        const pid_t gone = ::fork();
        if (gone == 0)
            ::_exit(0);
        ::waitpid(gone, nullptr, 0);
        const QString dead = dir->filePath("." + name + ".saving-" + QString::number(gone) + "-aB3dE9");
        const QString alive = dir->filePath("." + name + ".saving-" + QString::number(::getpid()) + "-Zz9yY8");
        writeBytes(path, oldBytes);
        for (const QString &f : {dead, alive, dir->filePath(name + ".backup")})
            writeBytes(f, newBytes);
        ReadFavorites();
        QVERIFY(!QFile::exists(dead));
        QVERIFY(QFile::exists(alive));
        QVERIFY(QFile::exists(dir->filePath(name + ".backup")));
        QCOMPARE(bytesOf(path), oldBytes);
    }

    // Messages that say what is wrong and where: a link to nothing at the
    // file's place, and (as an ordinary user) no writable place at all.
    void errorTextsSayWhatAndWhere()
    {
        QVERIFY(QFile::link(dir->filePath("gone/target.fav"), path));
        QString error;
        ReadFavorites(&error);
        QVERIFY2(error.contains(path) && error.contains("link") && error.contains("gone/target.fav"),
                 qPrintable(error));
        QVERIFY(!error.contains("File exists"));
        QVERIFY(QFile::remove(path));

        QTemporaryDir data;
        const QByteArray old = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.filePath("locked/share")));
        QVERIFY(QDir().mkpath(data.filePath("locked")));
        QVERIFY(QDir().mkpath(dir->filePath("program")));
        setProgramDirectory(dir->filePath("program"));
        {
            AsUser user(dir->path());
            AsUser::chownTo(data.path());
            QVERIFY(QFile::setPermissions(dir->filePath("program"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
            QVERIFY(QFile::setPermissions(data.filePath("locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
            error.clear();
            ReadFavorites(&error);
            QVERIFY2(error.contains(dir->filePath("program")) && error.contains("cannot be written")
                         && error.contains(data.filePath("locked/share")) && error.contains("ermission"),
                     qPrintable(error));
            // An append and a rewrite say the same: which folder could not
            // be made and why, not that the file is missing.
            const QString folder = "the folder \"" + data.filePath("locked/share") + "\" could not be made";
            error.clear();
            QVERIFY(!AppendFavorite("A", "a", &error));
            QVERIFY2(error.contains(folder) && error.contains("ermission"), qPrintable(error));
            error.clear();
            QVERIFY(!RewriteFavorites(CurrentUserName(), {{"A", "a"}}, &error));
            QVERIFY2(error.contains(folder) && error.contains("ermission"), qPrintable(error));
            QVERIFY(QFile::setPermissions(dir->filePath("program"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
            QVERIFY(QFile::setPermissions(data.filePath("locked"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        }
        qputenv("XDG_DATA_HOME", old);
    }

    // A file that cannot be opened: each operation says which file and why,
    // and nothing already stored is lost.
    void unusableFileIsReportedAndNothingIsLost()
    {
        QVERIFY(QDir().mkpath(path)); // a directory where the file should be
        QString error;
        QVERIFY(ReadFavorites(&error).isEmpty());
        QVERIFY2(error.contains(path), qPrintable(error));
        error.clear();
        QVERIFY(!AppendFavorite("A", "a", &error));
        QVERIFY(error.contains(path));
        error.clear();
        QVERIFY(!RewriteFavorites(CurrentUserName(), {{"A", "a"}}, &error));
        QVERIFY(error.contains(path));
        QVERIFY(QFileInfo(path).isDir());

        // A rewrite that cannot finish leaves the old file as it was. A limit
        // on file sizes stops the write even for root.
        QVERIFY(QDir(path).removeRecursively());
        writeBytes(path, "kept||k\r\n");
        error.clear();
        bool wrote = true;
        {
            const FileSizeLimit limit(4096);
            QVERIFY(limit.isSet());
            wrote = RewriteFavorites(CurrentUserName(), {{QString(100000, 'n'), "n"}, {"more", "m"}},
                                     &error);
        }
        QVERIFY(!wrote);
        QVERIFY(error.contains(path));
        QCOMPARE(bytesOf(path), QByteArray("kept||k\r\n"));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        // And an append that cannot be written says so.
        error.clear();
        bool appended = true;
        {
            const FileSizeLimit limit(4096);
            QVERIFY(limit.isSet());
            appended = AppendFavorite(QString(100000, 'a'), "a", &error);
        }
        QVERIFY(!appended);
        QVERIFY(error.contains(path));
        QCOMPARE(bytesOf(path), QByteArray("kept||k\r\n"));
    }
};

QTEST_GUILESS_MAIN(tst_FavoritesFile)
#include "tst_favoritesfile.moc"
