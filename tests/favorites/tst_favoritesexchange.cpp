// Import and export through the file dialog's door: the file the user picks
// is read or written, what happened is told, a cancel does nothing.
#include "favorites/core/BookmarksHtml.h"
#include "favorites/ui/FavoritesExchange.h"
#include "support/FakeDialogs.h"
#include "support/FileSizeLimit.h"
#include "support/Files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>


class tst_FavoritesExchange : public QObject
{
    Q_OBJECT
public:
    static void initMain() { qputenv("QT_QPA_PLATFORM", "offscreen"); }

private:
    QTemporaryDir dir;
    QString chosen; // what the "user" picks; empty to cancel
    QStringList asked;
    FakeDialogs dialogs;

private slots:
    void init()
    {
        asked.clear();
                dialogs = FakeDialogs();
        dialogs.chooseFile = [this](const FakeDialogs::FileQuestion &q) {
            asked << QString("%1:%2:%3").arg(q.save ? "save" : "open", q.caption, q.filter.section(";;", 0, 0));
            return chosen;
        };
    }
    // The boxes shown, as "kind:title:text".
    QStringList told() const
    {
        QStringList list;
        for (const FakeDialogs::Message &m : dialogs.messages)
            list << QString("%1:%2:%3").arg(m.icon == QMessageBox::Warning ? "warning" : "info", m.title, m.text);
        return list;
    }

    void importGivesOnlyNewFavoritesAndSaysSo()
    {
        chosen = dir.filePath("other.html");
        writeBytes(chosen, "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n"
                           "<DT><A HREF=\"http://have.example/\">Had already</A>\n"
                           "<DT><A HREF=\"javascript:void(0)\">Script</A>\n"
                           "<DT><H3>Folder</H3><DL><p>\n"
                           "<DT><A HREF=\"https://new.example/\">New &amp; shiny</A>\n"
                           "</DL><p>\n</DL><p>\n");
        const QList<FavoriteEntry> current = {{"Mine", "http://have.example"}};
        const QList<FavoriteEntry> added = FavoritesExchange::importFrom(nullptr, dialogs, current);
        QCOMPARE(added, QList<FavoriteEntry>({{"Folder - New & shiny", "https://new.example/"}}));
        QCOMPARE(asked, QStringList{"open:Import Favorites:Bookmark files (*.html *.htm)"});
        QCOMPARE(told().size(), 1);
        QVERIFY2(told()[0].startsWith("info:Import Favorites:2 favorites were read.")
                     && told()[0].contains("1 script bookmark")
                     && told()[0].contains("1 new favorite was added"),
                 qPrintable(told()[0]));

        // The same again: nothing new, and the user is told.
        dialogs.messages.clear();
        QVERIFY(FavoritesExchange::importFrom(nullptr, dialogs, current + added).isEmpty());
        QVERIFY2(told().value(0).contains("nothing was added"), qPrintable(told().value(0)));
    }

    void aCutFileGivesWhatItHoldsWithAWarning()
    {
        chosen = dir.filePath("cut.html");
        writeBytes(chosen, "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n"
                           "<DT><A HREF=\"http://one.example/\">One</A>\n<DT><A HREF=\"http://tw");
        QCOMPARE(FavoritesExchange::importFrom(nullptr, dialogs, {}).size(), 1);
        QVERIFY2(told().value(0).startsWith("warning:") && told().value(0).contains("ends early"),
                 qPrintable(told().value(0)));
    }

    void cancelAndUnreadableFilesGiveNothing()
    {
        chosen.clear();
        QVERIFY(FavoritesExchange::importFrom(nullptr, dialogs, {}).isEmpty());
        QVERIFY(!FavoritesExchange::exportTo(nullptr, dialogs, {{"A", "http://a.example/"}}));
        QCOMPARE(asked.size(), 2);
        QVERIFY(told().isEmpty());

        chosen = dir.filePath("a-directory.html");
        QVERIFY(QDir().mkpath(chosen));
        QVERIFY(FavoritesExchange::importFrom(nullptr, dialogs, {}).isEmpty());
        QCOMPARE(told().size(), 1);
        QVERIFY(told()[0].startsWith("warning:Import Favorites:") && told()[0].contains(chosen));
    }

    void exportWritesTheFileOrSaysWhyNot()
    {
        const QList<FavoriteEntry> entries = {{"A & B", "http://a.example/?x=1&y=2"}, {"Ü", "file:///tmp/x.html"}};
        chosen = dir.filePath("export.html");
        QVERIFY(FavoritesExchange::exportTo(nullptr, dialogs, entries));
        QVERIFY(asked.last().startsWith("save:Export Favorites:"));
        QVERIFY(told().isEmpty());
        QCOMPARE(BookmarksHtml::parse(bytesOf(chosen)).entries, entries);

        // A write that fails is reported and the file keeps its bytes.
        const QByteArray before = bytesOf(chosen);
        bool wrote = true;
        {
            const FileSizeLimit limit(4096);
            QVERIFY(limit.isSet());
            wrote = FavoritesExchange::exportTo(nullptr, dialogs, {{QString(50000, 'x'), "http://x.example/"}});
        }
        QVERIFY(!wrote);
        QCOMPARE(told().size(), 1);
        QVERIFY2(told()[0].startsWith("warning:Export Favorites:") && told()[0].contains(chosen),
                 qPrintable(told()[0]));
        QCOMPARE(bytesOf(chosen), before);
    }
};

QTEST_MAIN(tst_FavoritesExchange)
#include "tst_favoritesexchange.moc"
