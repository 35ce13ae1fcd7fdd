// Import and export in the favorites editor, through its real "More" menu:
// an import only adds to the list, and the favorites file changes on Done
// and not before; an export writes the list as it stands.
#include "favorites/core/BookmarksHtml.h"
#include "favorites/core/FavoritesFile.h"
#include "favorites/ui/frmEditFavs.h"
#include "support/FakeDialogs.h"
#include "support/Files.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

class tst_EditorExchange : public QObject
{
    Q_OBJECT
public:
    static void initMain() { qputenv("QT_QPA_PLATFORM", "offscreen"); }

private:
    std::unique_ptr<QTemporaryDir> dir;
    QString favorites, bookmarks;
    std::unique_ptr<QWidget> owner;
    std::unique_ptr<frmEditFavs> ed;
    FakeDialogs dialogs;
    // The titles of the boxes shown.
    QStringList shown() const
    {
        QStringList titles;
        for (const FakeDialogs::Message &m : dialogs.messages)
            titles << m.title;
        return titles;
    }

    void open(const QByteArray &bytes)
    {
        writeBytes(favorites, bytes);
        ed = std::make_unique<frmEditFavs>(owner.get(), dialogs);
        ed->Form_Load();
        ed->show();
        QVERIFY(QTest::qWaitForWindowExposed(ed.get()));
    }
    // Opens the More menu with a click, as a user does, and picks the item
    // at row (0 import, 1 export) with the keyboard.
    void pickFromMore(int row)
    {
        bool picked = false;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
            QMenu *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            for (int i = 0; i <= row; ++i)
                QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
            picked = true;
        });
        QTest::mouseClick(ed->cmdMore, Qt::LeftButton);
        QTRY_VERIFY(picked);
    }
    QStringList titles() const
    {
        QStringList t;
        for (const FavoriteEntry &e : ed->rows())
            t << e.Title;
        return t;
    }

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        Favorites::setProgramDirectory(dir->path());
        favorites = dir->filePath(Favorites::CurrentUserName() + ".fav");
        bookmarks = dir->filePath("bookmarks.html");
        writeBytes(bookmarks, "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n"
                              "<DT><A HREF=\"http://a.example/\">A again</A>\n"
                              "<DT><A HREF=\"http://b.example/\">B</A>\n"
                              "<DT><A HREF=\"http://c.example/\">C</A>\n</DL><p>\n");
        dialogs = FakeDialogs();
        dialogs.chooseFile = [this](const FakeDialogs::FileQuestion &) { return bookmarks; };
        owner = std::make_unique<QWidget>();
        owner->setGeometry(100, 100, 600, 400);
        owner->show();
    }
    void cleanup()
    {
        ed.reset();
        owner.reset();
    }

    void importAddsToTheListAndTheFileChangesOnDone()
    {
        const QByteArray before = "A||http://a.example\r\n";
        open(before);
        pickFromMore(0);
        QCOMPARE(titles(), QStringList({"A", "B", "C"}));
        QCOMPARE(shown(), QStringList{"Import Favorites"});
        QCOMPARE(bytesOf(favorites), before);
        QTest::mouseClick(ed->cmdDone, Qt::LeftButton);
        QCOMPARE(bytesOf(favorites),
                 QByteArray("A||http://a.example\r\nB||http://b.example/\r\nC||http://c.example/\r\n"));
    }

    void importThenLeavingWithoutDoneChangesNothing()
    {
        const QByteArray before = "A||http://a.example\r\n";
        open(before);
        ed->mnuImport_Click();
        QCOMPARE(ed->rows().size(), 3);
        QTest::keyClick(ed.get(), Qt::Key_Escape);
        QVERIFY(ed->isHidden());
        QCOMPARE(bytesOf(favorites), before);
    }

    void exportWritesTheListAsItStands()
    {
        open("A||http://a.example\r\nB & co||http://b.example/?x=1&y=2\r\n");
        // An edit not yet saved is in the export: what the user sees.
        QTest::mouseClick(ed->lstFavs->viewport(), Qt::LeftButton, {},
                          ed->lstFavs->visualItemRect(ed->lstFavs->topLevelItem(0)).center());
        ed->txtTitle->setText("A renamed");
        ed->cmdUpdate_Click();
        pickFromMore(1);
        QCOMPARE(BookmarksHtml::parse(bytesOf(bookmarks)).entries,
                 QList<FavoriteEntry>({{"A renamed", "http://a.example"},
                                       {"B & co", "http://b.example/?x=1&y=2"}}));
        QVERIFY(shown().isEmpty());
        // The favorites file itself is not touched by an export.
        QCOMPARE(bytesOf(favorites), QByteArray("A||http://a.example\r\nB & co||http://b.example/?x=1&y=2\r\n"));
    }

    void aReadOnlyEditorNeitherImportsNorExports()
    {
        QVERIFY(QDir().mkpath(favorites)); // a directory where the file should be
        ed = std::make_unique<frmEditFavs>(owner.get(), dialogs);
        ed->Form_Load();
        QVERIFY(ed->isReadOnly());
        QVERIFY(!ed->mnuImport->isEnabled());
        QVERIFY(!ed->mnuExport->isEnabled());
        const QByteArray exported = bytesOf(bookmarks);
        ed->mnuImport_Click();
        ed->mnuExport_Click();
        QVERIFY(ed->rows().isEmpty());
        QCOMPARE(bytesOf(bookmarks), exported);
    }
};

QTEST_MAIN(tst_EditorExchange)
#include "tst_editorexchange.moc"
