// The favorites menu of a browser window, with the fake page view.
#include "browser/ui/AddressBox.h"
#include "favorites/ui/frmEditFavs.h"
#include "support/Files.h"
#include "support/HostFixture.h"

#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

class tst_FavoritesMenu : public QObject, public HostFixture
{
    Q_OBJECT
public:
    static void initMain() { qputenv("QT_QPA_PLATFORM", "offscreen"); }

private:
    QString path;

    void write(const QByteArray &bytes) { writeBytes(path, bytes); }
    QByteArray fileBytes() const { return bytesOf(path); }
    frmBrowser *open()
    {
        start();
        return firstWindow();
    }
    // The visible items of the submenu: caption and address of each; a
    // separator with a text is drawn as a heading, and shows it here too.
    QStringList items(frmBrowser *w)
    {
        w->syncFavoriteItems();
        QStringList out;
        for (QAction *a : w->mnuFavorite)
            if (a->isVisible())
                out << (a->isSeparator() ? "-" + a->text() : a->text() + " -> " + a->data().toString());
        return out;
    }

private slots:
    void init()
    {
        reset();
        path = favoritesPath();
    }
    void cleanup()
    {
        finish();
    }

    // The real menu, shown: open the star menu, point at "Favorites" (or go
    // down to it and right with the keyboard). Returns whether the submenu
    // came up, closing both again.
    bool openSubmenu(frmBrowser *w, bool byMouse)
    {
        w->imgFavs_Click();
        if (!QTest::qWaitForWindowExposed(w->mnuPopUp))
            return false;
        if (byMouse) {
            const QRect r = w->mnuPopUp->actionGeometry(w->mnuFavorites->menuAction());
            // A menu takes the mouse as moved only after some travel.
            for (int x = r.left() + 2; x <= r.center().x(); x += 4)
                QTest::mouseMove(w->mnuPopUp, QPoint(x, r.center().y()));
        } else {
            for (int i = 0; i < 3; ++i)
                QTest::keyClick(w->mnuPopUp, Qt::Key_Down);
            if (w->mnuPopUp->activeAction() != w->mnuFavorites->menuAction())
                return false;
            QTest::keyClick(w->mnuPopUp, Qt::Key_Right);
        }
        const bool shownNow = QTest::qWaitFor([&] { return w->mnuFavorites->isVisible(); }, 2000)
                              && !w->mnuFavorites->geometry().isEmpty();
        QWidget *last = shownNow ? static_cast<QWidget *>(w->mnuFavorites) : w->mnuPopUp;
        QTest::keyClick(last, Qt::Key_Escape);
        if (w->mnuPopUp->isVisible())
            QTest::keyClick(w->mnuPopUp, Qt::Key_Escape);
        return QTest::qWaitFor([&] { return !w->mnuPopUp->isVisible(); }, 2000) && shownNow;
    }

    // A submenu once shown holding only the separator of an empty file must
    // still open, with its items, once favorites are added.
    void theSubmenuOpensAgainAfterItWasShownEmpty()
    {
        for (bool byMouse : {true, false}) {
            init();
            frmBrowser *w = open();
            QVERIFY(openSubmenu(w, byMouse));
            QVERIFY(openSubmenu(w, byMouse));
            w->AddFavorite("http://one.example/", "One");
            QVERIFY(openSubmenu(w, byMouse));
            QStringList visible;
            for (QAction *a : w->mnuFavorites->actions())
                if (a->isVisible() && !a->isSeparator())
                    visible << a->text();
            QCOMPARE(visible, QStringList{"One"});
            // Empty again, then a favorite again.
            write("");
            w->Form_GotFocus();
            QVERIFY(openSubmenu(w, byMouse));
            w->AddFavorite("http://two.example/", "Two");
            QVERIFY(openSubmenu(w, byMouse));
            cleanup();
        }
    }

    void menuTree()
    {
        frmBrowser *w = open();
        QStringList top;
        for (QAction *a : w->mnuPopUp->actions())
            top << (a->isSeparator() ? "-" : a->text());
        QCOMPARE(top, (QStringList{"Add to Favorites", "Edit Favorites", "-", "Favorites"}));
        QCOMPARE(w->mnuPopUp->actions().last()->menu(), w->mnuFavorites);
    }

    void aNewFileGivesTheSeparatorAlone()
    {
        frmBrowser *w = open();
        QCOMPARE(fileBytes(), QByteArray()); // created empty by the first build
        QCOMPARE(items(w), QStringList{"-"});
        QCOMPARE(w->mnuFavorite.size(), 1);
    }

    void threeLinesGiveThreeItemsAndNoFourth()
    {
        write("One||http://1/\r\nTwo||http://2/||x\r\n||http://3/\r\n");
        frmBrowser *w = open();
        QCOMPARE(items(w), (QStringList{"One -> http://1/", "Two -> http://2/||x", " -> http://3/"}));
        QCOMPARE(w->mnuFavorite.size(), 4);
        QVERIFY(!w->mnuFavorite[3]->isVisible());
        // Choosing one navigates to its address, unchanged.
        FakeWebView *view = views->views.first();
        view->calls.clear();
        w->mnuFavorite[1]->trigger();
        QCOMPARE(view->calls, QStringList{"Navigate2:http://2/||x"});
    }

    void captionsShowAmpersandsAndTabsLiterally()
    {
        write("Tom & Jerry\tsite||http://t/\r\n");
        frmBrowser *w = open();
        w->syncFavoriteItems();
        QCOMPARE(w->mnuFavorite[0]->text(), QString("Tom && Jerry site"));
    }

    void addingTheSamePageTwice()
    {
        frmBrowser *w = open();
        FakeWebView *view = views->views.first();
        view->url = "http://127.0.0.1/p";
        view->title = "A page";
        w->mnuAddFav->trigger();
        w->mnuAddFav->trigger();
        QCOMPARE(fileBytes(), QByteArray("A page||http://127.0.0.1/p\r\nA page||http://127.0.0.1/p\r\n"));
        QCOMPARE(items(w), (QStringList{"A page -> http://127.0.0.1/p", "A page -> http://127.0.0.1/p"}));
    }

    void addingFromAWindowWithNoPage()
    {
        frmBrowser *w = open();
        w->mnuAddFav->trigger();
        QCOMPARE(fileBytes(), QByteArray("||\r\n"));
        FakeWebView *view = views->views.first();
        view->calls.clear();
        w->syncFavoriteItems();
        w->mnuFavorite[0]->trigger();
        QCOMPARE(view->calls, QStringList{"Navigate2:"});
    }

    void anotherWindowSeesAnAdditionWhenTheFocusEntersIt()
    {
        frmBrowser *a = open();
        frmBrowser *b = host->OpenBrowserWindow();
        QCOMPARE(items(a), QStringList{"-"});
        views->views.last()->url = "http://b/";
        views->views.last()->title = "B";
        b->mnuAddFav->trigger();
        QCOMPARE(items(b), QStringList{"B -> http://b/"});
        QCOMPARE(items(a), QStringList{"-"}); // not yet
        a->txtURL->setFocus(Qt::MouseFocusReason);
        QCOMPARE(items(a), QStringList{"B -> http://b/"});
    }

    void aFileThatBecameEmptyShowsTheSeparatorAgain()
    {
        write("One||1\r\nTwo||2\r\n");
        frmBrowser *w = open();
        QCOMPARE(items(w).size(), 2);
        write("");
        w->ClearFavoritesMenu();
        w->LoadFavoritesMenu();
        QCOMPARE(items(w), QStringList{"-"});
        QCOMPARE(w->mnuFavorite.size(), 1);
    }

    void theMenuOpensBelowThePicture()
    {
        frmBrowser *w = open();
        QTest::mouseClick(w->imgFavs, Qt::LeftButton);
        QTRY_VERIFY(w->mnuPopUp->isVisible());
        const QPoint below = w->imgFavs->mapToGlobal(QPoint(0, w->imgFavs->height()));
        QCOMPARE(w->mnuPopUp->pos(), below);
        w->mnuPopUp->close();
    }

    void editorOpenedFromAWindowIsShownThereAtOnce()
    {
        write("One||1\r\nTwo||2\r\n");
        frmBrowser *w = open();
        frmBrowser *other = host->OpenBrowserWindow();
        QCOMPARE(items(other).size(), 2);
        QTimer::singleShot(0, this, [] {
            auto *editor = qobject_cast<frmEditFavs *>(QApplication::activeModalWidget());
            QVERIFY(editor);
            const QRect row = editor->lstFavs->visualItemRect(editor->lstFavs->topLevelItem(0));
            QTest::mouseClick(editor->lstFavs->viewport(), Qt::LeftButton, {}, row.center());
            QTest::mouseClick(editor->cmdRemove, Qt::LeftButton);
            QTest::mouseClick(editor->cmdDone, Qt::LeftButton);
        });
        w->mnuEditFavs->trigger();
        QCOMPARE(fileBytes(), QByteArray("Two||2\r\n"));
        QCOMPARE(items(w), QStringList{"Two -> 2"});
        QCOMPARE(items(other).size(), 2); // until the focus enters it
    }

    void anUnreadableFileIsReportedOnceAndTheMenuKeepsItsItems()
    {
        write("One||1\r\n");
        frmBrowser *w = open();
        QCOMPARE(items(w), QStringList{"One -> 1"});
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkpath(path));
        w->ClearFavoritesMenu();
        w->LoadFavoritesMenu();
        w->ClearFavoritesMenu();
        w->LoadFavoritesMenu();
        QCOMPARE(dialogs->messages.size(), 1);
        QVERIFY(dialogs->messages.first().text.contains(path));
        QCOMPARE(items(w), QStringList{"One -> 1"});
        // Adding fails with a message, and the program goes on.
        w->mnuAddFav->trigger();
        QCOMPARE(dialogs->messages.size(), 2);
        QCOMPARE(OpenWindows, 1);
    }
};

QTEST_MAIN(tst_FavoritesMenu)
#include "tst_favoritesmenu.moc"
