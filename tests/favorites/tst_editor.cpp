// The favorites editor, driven with clicks offscreen.
#include "favorites/core/FavoritesFile.h"
#include "favorites/ui/frmEditFavs.h"
#include "support/FakeDialogs.h"
#include "support/AsUser.h"
#include "support/Files.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <memory>

class tst_Editor : public QObject
{
    Q_OBJECT
public:
    static void initMain() { qputenv("QT_QPA_PLATFORM", "offscreen"); }

private:
    QTemporaryDir *dir = nullptr;
    QString path;
    std::unique_ptr<QWidget> owner;
    std::unique_ptr<frmEditFavs> ed;
    FakeDialogs dialogs;

    void write(const QByteArray &bytes) { writeBytes(path, bytes); }
    QByteArray fileBytes() const { return bytesOf(path); }
    void open(const QByteArray &bytes)
    {
        write(bytes);
        ed = std::make_unique<frmEditFavs>(owner.get(), dialogs);
        ed->Form_Load();
        ed->show();
        QVERIFY(QTest::qWaitForWindowExposed(ed.get()));
    }
    void clickRow(int row)
    {
        QTreeWidgetItem *item = ed->lstFavs->topLevelItem(row - 1);
        QVERIFY(item);
        QTest::mouseClick(ed->lstFavs->viewport(), Qt::LeftButton, {},
                          ed->lstFavs->visualItemRect(item).center());
    }
    void clickHeader(int column)
    {
        QHeaderView *h = ed->lstFavs->header();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(column) + 10, h->height() / 2));
    }
    QStringList titles() const
    {
        QStringList t;
        for (const FavoriteEntry &e : ed->rows())
            t << e.Title;
        return t;
    }
    QString states() const
    {
        return QString("up=%1 down=%2 remove=%3 frame=%4")
            .arg(ed->cmdMoveUp->isEnabled())
            .arg(ed->cmdMoveDown->isEnabled())
            .arg(ed->cmdRemove->isEnabled())
            .arg(ed->fraUpdate->isEnabled());
    }

private slots:
    void init()
    {
        dir = new QTemporaryDir;
        Favorites::setProgramDirectory(dir->path());
        path = dir->filePath(Favorites::CurrentUserName() + ".fav");
        owner = std::make_unique<QWidget>();
        owner->setGeometry(100, 100, 600, 400);
        owner->show();
        dialogs = FakeDialogs();
    }
    void cleanup()
    {
        ed.reset();
        owner.reset();
        delete dir;
    }

    void designState()
    {
        open("B||http://b/\r\nA||http://a/\r\n");
        QVERIFY(ed->windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(ed->windowModality(), Qt::ApplicationModal);
        QCOMPARE(ed->size(), QSize(388, 263));
        QCOMPARE(ed->lstFavs->headerItem()->text(0), QString("Site Title"));
        QCOMPARE(ed->lstFavs->headerItem()->text(1), QString("Site URL"));
        QCOMPARE(ed->lstFavs->columnWidth(0), 192);
        QCOMPARE(ed->lstFavs->columnWidth(1), 187);
        QCOMPARE(ed->fraUpdate->title(), QString("Edit Information"));
        QCOMPARE(ed->txtURL->text(), QString("http://"));
        QCOMPARE(ed->txtTitle->text(), QString());
        QCOMPARE(states(), QString("up=0 down=0 remove=0 frame=0"));
        QVERIFY(ed->cmdDone->isEnabled());
        QCOMPARE(ed->selectedRow(), 0);
        QCOMPARE(ed->rows(), (QList<FavoriteEntry>{{"B", "http://b/"}, {"A", "http://a/"}}));
        QCOMPARE(ed->lstFavs->topLevelItem(0)->text(1), QString("http://b/"));
        // Centred over its owner.
        QVERIFY((ed->geometry().center() - owner->geometry().center()).manhattanLength() <= 2);
    }

    void selectionStatesOfThreeRows()
    {
        open("One||1\r\nTwo||2\r\nThree||3\r\n");
        clickRow(1);
        QCOMPARE(states(), QString("up=0 down=1 remove=1 frame=1"));
        QCOMPARE(ed->txtTitle->text(), QString("One"));
        QCOMPARE(ed->txtURL->text(), QString("1"));
        clickRow(2);
        QCOMPARE(states(), QString("up=1 down=1 remove=1 frame=1"));
        clickRow(3);
        QCOMPARE(states(), QString("up=1 down=0 remove=1 frame=1"));
        QCOMPARE(ed->txtTitle->text(), QString("Three"));
        // Typed text is dropped when a row is selected before Update.
        ed->txtTitle->setText("typed");
        clickRow(3);
        QCOMPARE(ed->txtTitle->text(), QString("Three"));
    }

    void oneRowAllowsNoMoves()
    {
        open("Only||o\r\n");
        clickRow(1);
        QCOMPARE(states(), QString("up=0 down=0 remove=1 frame=1"));
    }

    void moveDownTwiceRestoresTheOrder()
    {
        open("One||1\r\nT||w||o\r\nThree||3\r\n");
        clickRow(2);
        QTest::mouseClick(ed->cmdMoveDown, Qt::LeftButton);
        QCOMPARE(ed->rows(), (QList<FavoriteEntry>{{"One", "1"}, {"Three", "3"}, {"T", "w||o"}}));
        QCOMPARE(ed->selectedRow(), 2);
        QCOMPARE(ed->txtTitle->text(), QString("T")); // the boxes are not refreshed
        QTest::mouseClick(ed->cmdMoveDown, Qt::LeftButton);
        QCOMPARE(ed->rows(), (QList<FavoriteEntry>{{"One", "1"}, {"T", "w||o"}, {"Three", "3"}}));
        QTest::mouseClick(ed->cmdMoveUp, Qt::LeftButton);
        QCOMPARE(titles(), (QStringList{"T", "One", "Three"}));
    }

    void updateStoresTheBoxesExactly()
    {
        open("One||1\r\nTwo||2\r\n");
        clickRow(2);
        ed->txtTitle->clear();
        ed->txtURL->setText("http://");
        QTest::mouseClick(ed->cmdUpdate, Qt::LeftButton);
        clickRow(1);
        ed->txtTitle->setText("  spaced  ");
        QTest::mouseClick(ed->cmdUpdate, Qt::LeftButton);
        QTest::mouseClick(ed->cmdDone, Qt::LeftButton);
        QCOMPARE(fileBytes(), QByteArray("  spaced  ||1\r\n||http://\r\n"));
        QVERIFY(!ed->isVisible());
    }

    // Line breaks pasted into the fields become blanks, so that one entry is
    // still one entry when the file is read back.
    void pastedLineBreaksKeepOneEntry()
    {
        open("One||1\r\n");
        clickRow(1);
        ed->txtTitle->clear();
        QGuiApplication::clipboard()->setText("Two\nLines");
        ed->txtTitle->paste();
        ed->txtURL->clear();
        QGuiApplication::clipboard()->setText("http://a.example/\r\nEvil||javascript:alert(1)");
        ed->txtURL->paste();
        QTest::mouseClick(ed->cmdUpdate, Qt::LeftButton);
        QTest::mouseClick(ed->cmdDone, Qt::LeftButton);
        const QList<FavoriteEntry> back = Favorites::ReadFavoritesForEditor(Favorites::CurrentUserName());
        QCOMPARE(back.size(), 1);
        QCOMPARE(back.first().Title, QString("Two Lines"));
        QVERIFY(!back.first().URL.contains('\n'));
        QVERIFY(back.first().URL.startsWith("http://a.example/"));
    }

    void sortingFlipsOneDirectionAndDoneWritesIt()
    {
        open("banana||c\r\nApple||b\r\ncherry||a\r\n");
        clickHeader(0);
        QCOMPARE(titles(), (QStringList{"cherry", "banana", "Apple"})); // Z to A first
        clickHeader(1);
        QCOMPARE(ed->rows().first().URL, QString("a")); // then A to Z, by address
        QCOMPARE(titles(), (QStringList{"cherry", "Apple", "banana"}));
        clickHeader(0);
        QCOMPARE(titles(), (QStringList{"cherry", "banana", "Apple"}));
        QTest::mouseClick(ed->cmdDone, Qt::LeftButton);
        QCOMPARE(fileBytes(), QByteArray("cherry||a\r\nbanana||c\r\nApple||b\r\n"));
    }

    void removingEveryRowEmptiesTheFile()
    {
        open("One||1\r\nTwo||2\r\nThree||3\r\n");
        for (int i = 0; i < 3; ++i) {
            clickRow(1);
            QTest::mouseClick(ed->cmdRemove, Qt::LeftButton);
            QVERIFY(!ed->cmdRemove->isEnabled());
        }
        QCOMPARE(ed->lstFavs->topLevelItemCount(), 0);
        QTest::mouseClick(ed->cmdDone, Qt::LeftButton);
        QCOMPARE(fileBytes(), QByteArray());
    }

    void staleCommandsAfterRemoveOrSortDoNoHarm()
    {
        open("One||1\r\nTwo||2\r\nThree||3\r\n");
        clickRow(3);
        QTest::mouseClick(ed->cmdRemove, Qt::LeftButton);
        // Move Up, Move Down and Update stay enabled but have no row to act on.
        QVERIFY(ed->cmdMoveUp->isEnabled());
        QTest::mouseClick(ed->cmdMoveUp, Qt::LeftButton);
        QTest::mouseClick(ed->cmdMoveDown, Qt::LeftButton);
        ed->txtTitle->setText("stale");
        QTest::mouseClick(ed->cmdUpdate, Qt::LeftButton);
        QCOMPARE(ed->rows(), (QList<FavoriteEntry>{{"One", "1"}, {"Two", "2"}}));

        // After a sort the selected last row may become the first: Move Up must
        // not leave the list.
        clickRow(2);
        clickHeader(0); // descending: "Two" is now first and still selected
        QCOMPARE(ed->selectedRow(), 1);
        QVERIFY(ed->cmdMoveUp->isEnabled());
        QTest::mouseClick(ed->cmdMoveUp, Qt::LeftButton);
        QCOMPARE(titles(), (QStringList{"Two", "One"}));
        clickHeader(0);
        QCOMPARE(ed->selectedRow(), 2);
        QTest::mouseClick(ed->cmdMoveDown, Qt::LeftButton);
        QCOMPARE(titles(), (QStringList{"One", "Two"}));
    }

    void closingOtherwiseWritesNothing()
    {
        open("One||1\r\nTwo||2\r\n");
        clickRow(1);
        QTest::mouseClick(ed->cmdRemove, Qt::LeftButton);
        QTest::keyClick(ed.get(), Qt::Key_Escape);
        QVERIFY(!ed->isVisible());
        QCOMPARE(fileBytes(), QByteArray("One||1\r\nTwo||2\r\n"));
    }

    void aMissingFileOpensAnEmptyList()
    {
        ed = std::make_unique<frmEditFavs>(owner.get(), dialogs);
        ed->Form_Load();
        QCOMPARE(ed->lstFavs->topLevelItemCount(), 0);
        QVERIFY(!QFile::exists(path));
        ed->cmdDone_Click();
        QCOMPARE(fileBytes(), QByteArray());
    }

    void aFailedDoneKeepsTheEditorAndTheFile()
    {
        open("One||1\r\n");
        // The file's place taken by a directory: the rewrite cannot happen.
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkpath(path));
        QTest::mouseClick(ed->cmdDone, Qt::LeftButton);
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.texts().first().contains(path));
        QVERIFY(ed->isVisible());
        QCOMPARE(ed->rows().size(), 1);
    }

    // A file that cannot be read (an ordinary user's own file with mode 200)
    // or that the user made read-only (444, in a folder the user may write):
    // the editor writes nothing back, and neither its Done nor an added
    // favorite changes a byte or the mode of it.
    void aFileThatMayNotChangeIsNeverRewritten_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("rowsShown");
        QTest::newRow("unreadable") << int(QFileDevice::WriteOwner) << 0;
        QTest::newRow("read-only") << int(QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther)
                                   << 40;
    }
    void aFileThatMayNotChangeIsNeverRewritten()
    {
        QFETCH(int, mode);
        QFETCH(int, rowsShown);
        QByteArray forty;
        for (int i = 0; i < 40; ++i)
            forty += "Site number " + QByteArray::number(i) + "||http://site" + QByteArray::number(i)
                     + ".example/page\r\n";
        write(forty);
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions(mode)));
        {
            AsUser user(dir->path());
            const QString ownPath = dir->filePath(Favorites::CurrentUserName() + ".fav");
            QVERIFY(QFile::rename(path, ownPath) || ownPath == path);
            path = ownPath;
            ed = std::make_unique<frmEditFavs>(owner.get(), dialogs);
            ed->Form_Load();
            ed->show();
            QVERIFY(ed->isReadOnly());
            QCOMPARE(dialogs.messages.size(), 1);
            QVERIFY(dialogs.texts().first().contains(path));
            QVERIFY(dialogs.texts().first().contains("read-only"));
            QCOMPARE(ed->rows().size(), rowsShown);
            if (rowsShown > 0) {
                // What would remove a row is not offered.
                clickRow(2);
                QCOMPARE(ed->txtURL->text(), QString("http://site1.example/page"));
                QVERIFY(!ed->cmdRemove->isEnabled());
                QVERIFY(!ed->fraUpdate->isEnabled());
                QString error;
                QVERIFY(!Favorites::RewriteFavorites(Favorites::CurrentUserName(), {}, &error));
                QVERIFY2(error.contains(path) && error.contains("read-only"), qPrintable(error));
            }
            QTest::mouseClick(ed->cmdDone, Qt::LeftButton);
            QVERIFY(!ed->isVisible());

            QString error;
            QVERIFY(!Favorites::AppendFavorite("Added", "http://added.example/", &error));
            QVERIFY(error.contains(path));
            ed.reset();
        }
        QCOMPARE(int(QFile::permissions(path) & 0x7077), mode); // owner, group, others
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(fileBytes(), forty);
    }
};

QTEST_MAIN(tst_Editor)
#include "tst_editor.moc"
