// Import and export through the file dialog's door: the file the user picks
// is read or written, what happened is told, a cancel does nothing.
#include "favorites/core/BookmarksHtml.h"
#include "favorites/ui/FavoritesExchange.h"
#include "common/ui/FileDialogs.h"
#include "common/ui/Messages.h"
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
    QStringList shown;

private slots:
    void init()
    {
        asked.clear();
        shown.clear();
        FileDialogs::setHandler([this](QWidget *, FileDialogs::Mode mode, const QString &caption,
                                       const QString &, const QString &filter) {
            asked << QString("%1:%2:%3").arg(mode == FileDialogs::Open ? "open" : "save", caption,
                                             filter.section(";;", 0, 0));
            return chosen;
        });
        Messages::setHandler([this](QWidget *, QMessageBox::Icon icon, const QString &title,
                                    const QString &text) {
            shown << QString("%1:%2:%3").arg(icon == QMessageBox::Warning ? "warning" : "info", title, text);
        });
    }
    void cleanupTestCase()
    {
        FileDialogs::setHandler({});
        Messages::setHandler({});
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
        const QList<FavoriteEntry> added = FavoritesExchange::importFrom(nullptr, current);
        QCOMPARE(added, QList<FavoriteEntry>({{"Folder - New & shiny", "https://new.example/"}}));
        QCOMPARE(asked, QStringList{"open:Import Favorites:Bookmark files (*.html *.htm)"});
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].startsWith("info:Import Favorites:2 favorites were read.")
                     && shown[0].contains("1 script bookmark")
                     && shown[0].contains("1 new favorite was added"),
                 qPrintable(shown[0]));

        // The same again: nothing new, and the user is told.
        shown.clear();
        QVERIFY(FavoritesExchange::importFrom(nullptr, current + added).isEmpty());
        QVERIFY2(shown.value(0).contains("nothing was added"), qPrintable(shown.value(0)));
    }

    void aCutFileGivesWhatItHoldsWithAWarning()
    {
        chosen = dir.filePath("cut.html");
        writeBytes(chosen, "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n"
                           "<DT><A HREF=\"http://one.example/\">One</A>\n<DT><A HREF=\"http://tw");
        QCOMPARE(FavoritesExchange::importFrom(nullptr, {}).size(), 1);
        QVERIFY2(shown.value(0).startsWith("warning:") && shown.value(0).contains("ends early"),
                 qPrintable(shown.value(0)));
    }

    void cancelAndUnreadableFilesGiveNothing()
    {
        chosen.clear();
        QVERIFY(FavoritesExchange::importFrom(nullptr, {}).isEmpty());
        QVERIFY(!FavoritesExchange::exportTo(nullptr, {{"A", "http://a.example/"}}));
        QCOMPARE(asked.size(), 2);
        QVERIFY(shown.isEmpty());

        chosen = dir.filePath("a-directory.html");
        QVERIFY(QDir().mkpath(chosen));
        QVERIFY(FavoritesExchange::importFrom(nullptr, {}).isEmpty());
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].startsWith("warning:Import Favorites:") && shown[0].contains(chosen));
    }

    void exportWritesTheFileOrSaysWhyNot()
    {
        const QList<FavoriteEntry> entries = {{"A & B", "http://a.example/?x=1&y=2"}, {"Ü", "file:///tmp/x.html"}};
        chosen = dir.filePath("export.html");
        QVERIFY(FavoritesExchange::exportTo(nullptr, entries));
        QVERIFY(asked.last().startsWith("save:Export Favorites:"));
        QVERIFY(shown.isEmpty());
        QCOMPARE(BookmarksHtml::parse(bytesOf(chosen)).entries, entries);

        // A write that fails is reported and the file keeps its bytes.
        const QByteArray before = bytesOf(chosen);
        bool wrote = true;
        {
            const FileSizeLimit limit(4096);
            QVERIFY(limit.isSet());
            wrote = FavoritesExchange::exportTo(nullptr, {{QString(50000, 'x'), "http://x.example/"}});
        }
        QVERIFY(!wrote);
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].startsWith("warning:Export Favorites:") && shown[0].contains(chosen),
                 qPrintable(shown[0]));
        QCOMPARE(bytesOf(chosen), before);
    }
};

QTEST_MAIN(tst_FavoritesExchange)
#include "tst_favoritesexchange.moc"
