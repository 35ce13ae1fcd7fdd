// The browsing-data file: made in write-ahead-log mode, each feature's tables
// made once per version, and a file that is no sound database set aside whole
// rather than written over.
#include "common/core/Database.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

class tst_Database : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QString path() const { return dir.filePath("data/Browsing.sqlite"); }
    static QString single(QSqlDatabase db, const QString &statement)
    {
        QSqlQuery q(db);
        return q.exec(statement) && q.next() ? q.value(0).toString() : QStringLiteral("<none>");
    }

private slots:
    void cleanup()
    {
        Database::close("test");
        QDir(dir.filePath("data")).removeRecursively();
    }

    void aNewFileKeepsEachFeaturesTablesAtTheirVersion()
    {
        Database::Opened opened = Database::open(path(), "test");
        QVERIFY2(opened.error.isEmpty(), qPrintable(opened.error));
        QCOMPARE(single(opened.db, "PRAGMA journal_mode"), QString("wal"));
        QString error;
        const QStringList v1 = {"CREATE TABLE notes (id INTEGER PRIMARY KEY, text TEXT)"};
        QVERIFY2(Database::ensureSchema(opened.db, "notes", 1, v1, &error), qPrintable(error));
        QSqlQuery(opened.db).exec("INSERT INTO notes (text) VALUES ('kept')");
        // The same version again changes nothing; a later one adds to it.
        QVERIFY(Database::ensureSchema(opened.db, "notes", 1, v1, &error));
        QVERIFY(Database::ensureSchema(opened.db, "notes", 2, {"ALTER TABLE notes ADD COLUMN at INTEGER"},
                                       &error));
        QCOMPARE(single(opened.db, "SELECT text FROM notes"), QString("kept"));
        // A statement that fails leaves nothing half made.
        QVERIFY(!Database::ensureSchema(opened.db, "other", 1,
                                        {"CREATE TABLE half (a)", "NOT A STATEMENT"}, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(single(opened.db, "SELECT count(*) FROM sqlite_master WHERE name = 'half'"), QString("0"));
        // Tables of a newer program are left as they are.
        QVERIFY(!Database::ensureSchema(opened.db, "notes", 1, {"DROP TABLE notes"}, &error));
        QVERIFY(error.contains("newer"));
        QCOMPARE(single(opened.db, "SELECT text FROM notes"), QString("kept"));
    }

    // Garbage, and a database with a damaged page: both kept byte for byte
    // beside a new, working file.
    void aFileThatIsNoSoundDatabaseIsSetAsideWhole_data()
    {
        QTest::addColumn<bool>("fromADatabase");
        QTest::newRow("garbage") << false;
        QTest::newRow("damaged page") << true;
    }
    void aFileThatIsNoSoundDatabaseIsSetAsideWhole()
    {
        QFETCH(bool, fromADatabase);
        QByteArray bytes(64 * 1024, 'x');
        if (fromADatabase) {
            {
                Database::Opened opened = Database::open(path(), "test");
                QSqlQuery q(opened.db);
                QVERIFY(q.exec("PRAGMA journal_mode=DELETE"));
                QVERIFY(q.exec("CREATE TABLE t (a TEXT)"));
                QVERIFY(q.exec("CREATE INDEX ti ON t (a)"));
                QVERIFY(opened.db.transaction());
                for (int i = 0; i < 400; ++i)
                    QVERIFY(q.exec(QStringLiteral("INSERT INTO t VALUES ('%1')")
                                       .arg(QString(200, QChar('a' + i % 26)))));
                QVERIFY(opened.db.commit());
            }
            Database::close("test");
            bytes = bytesOf(path());
            QVERIFY(bytes.size() > 8 * 4096);
            // The index's pages hold garbage; the header is still sound.
            for (qsizetype at = 4 * 4096; at < bytes.size() - 4096; at += 4096)
                bytes.replace(at + 100, 200, QByteArray(200, '\xA5'));
        } else {
            QDir().mkpath(QFileInfo(path()).path());
        }
        writeBytes(path(), bytes);

        if (fromADatabase) {
            // The open reads too little to see it; the check made on a
            // worker thread does, and the next open sets the file aside.
            {
                Database::Opened first = Database::open(path(), "test");
                QVERIFY2(first.setAside.isEmpty() && first.db.isOpen(), qPrintable(first.error));
                QString problem;
                QVERIFY(!Database::verify(first.db, path(), &problem));
                QVERIFY2(problem.contains(path()) && problem.contains("next time"), qPrintable(problem));
            }
            Database::close("test");
            // Only the header's log mode was written; every page is as it was.
            QCOMPARE(bytesOf(path()).mid(100), bytes.mid(100));
            bytes = bytesOf(path());
        }
        Database::Opened opened = Database::open(path(), "test");
        QVERIFY(opened.db.isOpen());
        QVERIFY2(!opened.setAside.isEmpty(), qPrintable(opened.error));
        QVERIFY(opened.error.contains(opened.setAside));
        QCOMPARE(bytesOf(opened.setAside), bytes);
        QString error;
        QVERIFY2(Database::ensureSchema(opened.db, "notes", 1, {"CREATE TABLE notes (a)"}, &error),
                 qPrintable(error));
    }

    // A folder that cannot be written is told, and nothing is moved.
    void aFileThatCannotBeReachedIsLeftAlone()
    {
        QVERIFY(QDir().mkpath(path()));
        Database::Opened opened = Database::open(path(), "test");
        QVERIFY(!opened.db.isValid() || !opened.db.isOpen());
        QVERIFY(opened.error.contains(path()));
        QVERIFY(opened.setAside.isEmpty());
        QVERIFY(QFileInfo(path()).isDir());
    }
};

QTEST_GUILESS_MAIN(tst_Database)
#include "tst_database.moc"
