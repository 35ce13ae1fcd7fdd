// A person's day with the keyboard, through the real engine and real widgets
// against pages on 127.0.0.1: addresses and words typed in the address box,
// the page taking the focus after Enter, the history recording what was
// shown, suggestions from it and the favorites, Ctrl+N's address box; and the
// keys a page keeps for itself by preventDefault(), which the program then
// leaves alone, while Ctrl+W closes whatever the page does.
#include "browser/ui/AddressBox.h"
#include "browser/ui/FavoriteAddedBar.h"
#include "browser/ui/FindBar.h"
#include "history/core/HistoryStore.h"
#include "history/ui/AddressCompleter.h"
#include "history/ui/SuggestionList.h"
#include "shell/core/Module1.h"
#include "support/EngineTest.h"
#include "support/FakeDialogs.h"
#include "support/Files.h"
#include "support/MemorySettingsStore.h"
#include "support/TestServer.h"
#include "favorites/core/FavoritesFile.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QWebEngineProfile>

namespace {
// Every page logs the keys it sees; a page may keep some (preventDefault).
QByteArray page(const QByteArray &title, const QByteArray &keep = {}, const QByteArray &body = {})
{
    return "<html><head>" + (title.isEmpty() ? QByteArray() : "<title>" + title + "</title>")
           + "</head><body>" + body + "<script>window.keys = []; var keep = [" + keep + "];"
             "addEventListener('keydown', function (e) {"
             "  if (/^(Control|Shift|Alt|Meta)$/.test(e.key)) return;"
             "  var k = (e.ctrlKey ? 'Ctrl+' : '') + e.key; keys.push(k);"
             "  if (keep.indexOf(k) >= 0) e.preventDefault(); });</script></body></html>";
}
} // namespace

class tst_Typing : public QObject
{
    Q_OBJECT
public:
    static void initMain() { prepareEngineTest(); }

private:
    QTemporaryDir dir;
    TestServer server;
    QWebEngineProfile *profile = nullptr;
    MemorySettingsStore store;
    FakeDialogs dialogs;
    std::unique_ptr<QtWebViewFactory> views;
    std::unique_ptr<HistoryStore> history;
    std::unique_ptr<frmMain> host;
    frmBrowser *w = nullptr;

    QString url(const char *path) const { return server.url(QString::fromLatin1(path)).toString(); }
    QStringList keysOf(frmBrowser *window) { return evaluate(pageOf(window), "keys.join(' ')").toString().split(' ', Qt::SkipEmptyParts); }
    // A key pressed where the focus is, again until the page's own log shows
    // it (a page just loaded may not take keys yet).
    bool pressOnPage(frmBrowser *window, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString &logged)
    {
        return waitUntil([&] {
            if (keysOf(window).contains(logged))
                return true;
            QTest::keyClick(QApplication::focusWidget(), key, modifiers);
            return keysOf(window).contains(logged);
        }, 10000);
    }
    void typeAndEnter(const QString &text)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), w->txtURL);
        QTest::keyClicks(w->txtURL, text);
        QTest::keyClick(w->txtURL, Qt::Key_Return);
    }
    std::optional<HistoryPage> visited(const QString &address) { return history->index().page(address); }
    int requestsOf(const QString &path) const { return int(server.requests.count(path)); }

private slots:
    void initTestCase()
    {
        profile = new QWebEngineProfile(this);
        server.page("/home", page("Home"));
        server.page("/docs", page("Documentation", {}, "<div style='height:5000px'>long</div>"));
        server.page("/retitle", page("Before", {}, "<script>setTimeout(function () { document.title = 'After'; }, 200);</script>"));
        server.page("/search", page("Results"));
        server.page("/keeper", page("Keeper", "'Ctrl+f', 'Ctrl+d', 'F5', 'Ctrl+m', 'Ctrl+w'"));
        server.page("/plain", page({}));
        Favorites::setProgramDirectory(dir.path());
    }
    void init()
    {
        Module1::resetSharedState();
        store.values.clear();
        store.values.insert("Lumeno2/Internet/HomePage", url("/home"));
        store.values.insert("Lumeno2/Internet/SearchAddress", url("/search") + "?q=%s");
        QFile::remove(dir.filePath(Favorites::CurrentUserName() + ".fav"));
        history = std::make_unique<HistoryStore>(dir.filePath(QStringLiteral("%1.sqlite").arg(QTest::currentTestFunction())));
        views = std::make_unique<QtWebViewFactory>(profile, store, dialogs);
        host = startHost(store, *views, dialogs, history.get());
        host->resize(900, 700);
        QVERIFY(QTest::qWaitForWindowActive(host.get()));
        w = host->browserWindows().first();
        QTRY_COMPARE_WITH_TIMEOUT(w->lblTitle->text(), QString("Home"), 20000);
    }
    void cleanup()
    {
        host.reset();
        views.reset();
        history.reset();
    }
    void cleanupTestCase() { delete profile; }

    void addressesAndWordsTyped()
    {
        // An address typed without a scheme; the page takes the focus, so
        // End scrolls it.
        typeAndEnter(QStringLiteral("127.0.0.1:%1/docs").arg(server.url("/").port()));
        QTRY_COMPARE_WITH_TIMEOUT(w->lblTitle->text(), QString("Documentation"), 20000);
        QVERIFY(w->wb->hasPageFocus());
        QVERIFY(pressOnPage(w, Qt::Key_End, {}, "End"));
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(pageOf(w), "window.scrollY").toInt() > 0, 10000);
        // Recorded with its title; the home page too.
        QTRY_VERIFY_WITH_TIMEOUT(visited(url("/docs")).has_value(), 10000);
        QCOMPARE(visited(url("/docs"))->title, QString("Documentation"));
        QCOMPARE(visited(url("/docs"))->visitCount, 1);
        QVERIFY(visited(url("/home")).has_value());

        // A title the page changes later is the one kept.
        typeAndEnter(url("/retitle"));
        QTRY_COMPARE_WITH_TIMEOUT(visited(url("/retitle")).value_or(HistoryPage()).title, QString("After"), 20000);

        // Words go to the search address of the settings.
        typeAndEnter("python tutorial");
        QTRY_COMPARE_WITH_TIMEOUT(w->lblTitle->text(), QString("Results"), 20000);
        QVERIFY(server.requests.contains("/search?q=python%20tutorial"));
        QVERIFY(w->wb->hasPageFocus());

        // A load that fails shows the engine's page and records nothing.
        typeAndEnter("http://127.0.0.1:1/nothing");
        QTRY_VERIFY_WITH_TIMEOUT(w->wb->LocationURL() == "http://127.0.0.1:1/nothing" && !pageOf(w)->isLoading(), 20000);
        QTest::qWait(300);
        QVERIFY(!visited("http://127.0.0.1:1/nothing").has_value());

        // Suggestions from the history and the favorites; Down and Enter
        // open the first, by its whole address.
        writeBytes(dir.filePath(Favorites::CurrentUserName() + ".fav"),
                   "Documents kept||" + url("/favdocs").toUtf8() + "\r\n");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::ControlModifier);
        QTest::keyClicks(w->txtURL, "docu");
        SuggestionList *list = w->completer->list();
        QVERIFY(list->isVisible());
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->data(Qt::AccessibleTextRole).toString(), "Documentation, " + url("/docs"));
        QCOMPARE(list->item(1)->data(Qt::AccessibleTextRole).toString(),
                 "Documents kept, " + url("/favdocs") + ", favorite");
        QVERIFY(!list->grab().isNull());
        QTest::keyClick(w->txtURL, Qt::Key_Down);
        QTest::keyClick(w->txtURL, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(visited(url("/docs")).value_or(HistoryPage()).visitCount, 2, 20000);
        QVERIFY(list->isHidden());

        // Ctrl+N: the new window's address box has the focus, its text
        // selected, and what is typed goes there, not to its page.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(host->browserWindows().size(), 2);
        frmBrowser *second = host->browserWindows().last();
        QCOMPARE(QApplication::focusWidget(), second->txtURL);
        QTRY_COMPARE_WITH_TIMEOUT(second->lblTitle->text(), QString("Home"), 20000);
        QCOMPARE(second->txtURL->selectedText(), url("/home"));
        QTest::keyClicks(QApplication::focusWidget(), "abc");
        QCOMPARE(second->txtURL->text().left(3), QString("abc"));
        QVERIFY(keysOf(second).isEmpty());
    }

    void keysThePageKeeps()
    {
        const QString favorites = dir.filePath(Favorites::CurrentUserName() + ".fav");
        QVERIFY(load(*w->wb, url("/keeper")));
        w->focusPage();
        const int loads = requestsOf("/keeper");
        // Once the page takes keys, each is pressed once.
        QVERIFY(pressOnPage(w, Qt::Key_A, {}, "a"));
        for (const auto &[key, modifiers] : {std::pair{Qt::Key_F, Qt::ControlModifier}, {Qt::Key_D, Qt::ControlModifier},
                                             {Qt::Key_F5, Qt::NoModifier}, {Qt::Key_M, Qt::ControlModifier}})
            QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        QTRY_COMPARE_WITH_TIMEOUT(keysOf(w), (QStringList{"a", "Ctrl+f", "Ctrl+d", "F5", "Ctrl+m"}), 10000);
        // Anything the engine hands back arrives before the answer to a
        // question asked after the keys.
        QCOMPARE(evaluate(pageOf(w), "'answered'").toString(), QString("answered"));
        QCoreApplication::processEvents();
        QVERIFY(w->findBar->isHidden());
        QVERIFY(w->favoriteBar->isHidden());
        QVERIFY(bytesOf(favorites).isEmpty() || bytesOf(favorites) == "<missing>");
        QCOMPARE(requestsOf("/keeper"), loads);
        QVERIFY(w->isVisible());

        // A page that leaves them: the window acts on each.
        QVERIFY(load(*w->wb, url("/plain")));
        w->focusPage();
        QVERIFY(pressOnPage(w, Qt::Key_A, {}, "a"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(w->findBar->isVisible(), 10000);
        QTest::keyClick(w->findBar->txtFind, Qt::Key_Escape);
        QCOMPARE(QApplication::focusWidget()->window(), host.get());
        QVERIFY(w->wb->hasPageFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::ControlModifier);
        // A page without a title is added under its address.
        QTRY_COMPARE_WITH_TIMEOUT(bytesOf(favorites), (url("/plain") + "||" + url("/plain") + "\r\n").toUtf8(), 10000);
        QVERIFY(w->favoriteBar->isVisible());
        // In a window of the default size the title can still be read.
        QVERIFY(w->favoriteBar->txtTitle->width() > w->favoriteBar->width() / 2);
        QVERIFY(w->favoriteBar->lblAddress->width() > w->favoriteBar->width() / 3);
        QTest::keyClick(w->favoriteBar->txtTitle, Qt::Key_Escape);
        QVERIFY(w->wb->hasPageFocus());
        const int plainLoads = requestsOf("/plain");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
        QTRY_VERIFY_WITH_TIMEOUT(requestsOf("/plain") > plainLoads, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!pageOf(w)->isLoading() && evaluate(pageOf(w), "typeof keys").toString() == "object", 10000);
        w->focusPage();
        QVERIFY(pressOnPage(w, Qt::Key_A, {}, "a"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_M, Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(w->isMinimizedInHost(), 10000);

        // Ctrl+W closes a window whatever its page does with the key.
        frmBrowser *other = host->openWindow(url("/keeper"), frmMain::Placement::WhereItAppears);
        QTRY_COMPARE_WITH_TIMEOUT(other->lblTitle->text(), QString("Keeper"), 20000);
        QVERIFY(waitUntilPageTakesInput(engineViewOf(other), QPoint(20, 20)));
        other->focusPage();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::ControlModifier);
        // The page is asked first, which takes a turn of the engine.
        QTRY_COMPARE_WITH_TIMEOUT(host->browserWindows(), QList<frmBrowser *>{w}, 10000);
    }
};

QTEST_MAIN(tst_Typing)
#include "tst_typing.moc"
