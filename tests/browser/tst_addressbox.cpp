// The address box and the History window as a person uses them with the
// keyboard, on the fake page view with a real history file: suggestions from
// the history and the favorites in their order, the completion in the box,
// the keys of the list, nothing for an address pasted whole; the History
// window's days, search, Delete and Enter, and clearing from Internet Options.
#include "browser/ui/AddressBox.h"
#include "browser/ui/HostGuessBar.h"
#include "history/ui/AddressCompleter.h"
#include "history/ui/SuggestionList.h"
#include "history/ui/frmHistory.h"
#include "shell/ui/frmInternetOptions.h"
#include "support/Files.h"
#include "support/HostFixture.h"

#include <QClipboard>
#include <QLabel>
#include <QCheckBox>
#include <QPushButton>
#include <QTreeWidget>

class tst_AddressBox : public QObject, public HostFixture
{
    Q_OBJECT
public:
    static void initMain() { qputenv("QT_QPA_PLATFORM", "offscreen"); }

private:
    QTemporaryDir dir;
    frmBrowser *w = nullptr;
    FakeWebView *view = nullptr;

    SuggestionList *list() const { return w->completer->list(); }
    QStringList rows() const
    {
        QStringList out;
        for (int i = 0; list()->isVisible() && i < list()->count(); ++i)
            out << list()->item(i)->data(Qt::AccessibleTextRole).toString();
        return out;
    }
    void type(const QString &text) { QTest::keyClicks(w->txtURL, text); }
    void press(int key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(w->txtURL, Qt::Key(key), modifiers); }
    bool inHistory(const QString &address) const { return history->index().slotOf(address.toUtf8()) >= 0; }
    void visit(const QString &address, const QString &title, const QDateTime &at, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            history->recordVisit(QUrl(address), title, at.addSecs(i));
    }

private slots:
    void init()
    {
        reset();
        history = std::make_unique<HistoryStore>(dir.filePath(QStringLiteral("%1.sqlite").arg(QTest::currentTestFunction())));
        QTRY_VERIFY(history->isLoaded());
        start();
        w = firstWindow();
        view = views->views.first();
        view->url = "http://127.0.0.1/start";
        emit view->BeforeNavigate2(view->url);
        view->calls.clear();
    }
    void cleanup() { finish(); }

    void suggestionsAsThePersonTypes()
    {
        const QDateTime now = QDateTime::currentDateTime();
        visit("http://example.org/docs", "Example documentation", now, 3);
        visit("http://example.info/", "Info", now.addSecs(60));
        visit("http://example.net/", "Example net", now);
        visit("http://www.exhibit.example/", "Exhibit", now.addDays(-30));
        writeBytes(favoritesPath(), "Net||http://example.net/\r\nExample favorite||http://example.com/fav\r\n");

        // Visited most first; among pages visited as much, the favorite
        // first; a favorite never visited last. The best address match is
        // completed in the box, the added part selected.
        w->focusAddressBox();
        type("ex");
        QCOMPARE(rows(), (QStringList{"Example documentation, http://example.org/docs",
                                      "Net, http://example.net/, favorite", "Info, http://example.info/",
                                      "Exhibit, http://www.exhibit.example/",
                                      "Example favorite, http://example.com/fav, favorite"}));
        QCOMPARE(list()->accessibleName(), QString("Suggestions"));
        QCOMPARE(w->txtURL->text(), QString("example.org/docs"));
        QCOMPARE(w->txtURL->selectedText(), QString("ample.org/docs"));
        // Typing on replaces the completion, which follows; Backspace takes
        // it away and does not bring it back.
        type("a");
        QCOMPARE(w->txtURL->text(), QString("example.org/docs"));
        QCOMPARE(w->txtURL->selectedText(), QString("mple.org/docs"));
        press(Qt::Key_Backspace);
        QCOMPARE(w->txtURL->text(), QString("exa"));
        QCOMPARE(rows().size(), 5);

        // Down and Up go through the rows and back to what was typed; Esc
        // closes the list and puts back what was typed, a second Esc what the
        // box held before.
        press(Qt::Key_Down);
        QCOMPARE(w->txtURL->text(), QString("http://example.org/docs"));
        press(Qt::Key_Down);
        QCOMPARE(w->txtURL->text(), QString("http://example.net/"));
        press(Qt::Key_Up);
        press(Qt::Key_Up);
        QCOMPARE(w->txtURL->text(), QString("exa"));
        press(Qt::Key_Up);
        QCOMPARE(w->txtURL->text(), QString("http://example.com/fav"));
        press(Qt::Key_Escape);
        QVERIFY(list()->isHidden());
        QCOMPARE(w->txtURL->text(), QString("exa"));
        press(Qt::Key_Escape);
        QCOMPARE(w->txtURL->text(), QString("http://127.0.0.1/start"));
        QVERIFY(view->calls.isEmpty());

        // Delete takes a page of the history out of it; a favorite never
        // visited is the favorites editor's.
        w->focusAddressBox();
        type("exh");
        press(Qt::Key_Down);
        press(Qt::Key_Delete);
        QVERIFY(!inHistory("http://www.exhibit.example/"));
        QVERIFY(list()->isHidden());
        w->focusAddressBox();
        type("favorite");
        press(Qt::Key_Down);
        press(Qt::Key_Delete);
        QCOMPARE(rows(), QStringList{"Example favorite, http://example.com/fav, favorite"});

        // Enter opens the row chosen, or the page the text was completed to,
        // by its whole address, and the page takes the focus.
        press(Qt::Key_Return);
        w->focusAddressBox();
        type("example.o");
        QCOMPARE(w->txtURL->text(), QString("example.org/docs"));
        press(Qt::Key_Return);
        QCOMPARE(view->calls, (QStringList{"Navigate2:http://example.com/fav", "Navigate2:http://example.org/docs"}));
        QCOMPARE(QApplication::focusWidget(), view);
        QVERIFY(list()->isHidden());

        // Nothing for an address pasted whole; words pasted are looked for.
        QGuiApplication::clipboard()->setText("http://example.org/docs");
        w->focusAddressBox();
        press(Qt::Key_V, Qt::ControlModifier);
        QVERIFY(list()->isHidden());
        QCOMPARE(w->txtURL->text(), QString("http://example.org/docs"));
        QGuiApplication::clipboard()->setText("example documentation");
        w->focusAddressBox();
        press(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(rows(), QStringList{"Example documentation, http://example.org/docs"});
    }

    void oneWordThatNamesAMachine()
    {
        // A name the system knows from its own hosts file: no network asked.
        QString name;
        QFile hosts("/etc/hosts");
        if (hosts.open(QIODevice::ReadOnly))
            for (const QByteArray &line : hosts.readAll().split('\n'))
                for (const QByteArray &word : line.simplified().split(' ').mid(1))
                    if (name.isEmpty() && !word.contains('.') && !word.startsWith('#') && word != "localhost"
                        && !word.isEmpty() && QChar(word[0]).isLetter())
                        name = QString::fromLatin1(word);
        if (name.isEmpty())
            QSKIP("no one-word name in /etc/hosts");
        w->focusAddressBox();
        type(name);
        press(Qt::Key_Return);
        QCOMPARE(view->calls, QStringList{"Navigate2:https://duckduckgo.com/?q=" + name});
        QTRY_VERIFY(w->guessBar->isVisible());
        QCOMPARE(w->guessBar->text->text(), "Did you mean http://" + name + "/?");
        QVERIFY(w->guessBar->geometry().bottom() < view->geometry().top());
        QTest::mouseClick(w->guessBar->cmdOpen, Qt::LeftButton);
        QCOMPARE(view->calls.last(), "Navigate2:http://" + name + "/");
        QVERIFY(w->guessBar->isHidden());
        QCOMPARE(QApplication::focusWidget(), view);
    }

    void historyWindow()
    {
        const QDateTime today(QDate::currentDate(), QTime(0, 30));
        visit("http://a.example/one", "Alpha one", today);
        visit("http://b.example/two", "Beta two", today.addSecs(60));
        visit("http://c.example/three", "Gamma", today.addDays(-1));
        visit("http://a.example/four", "Alpha four", today.addDays(-10));

        // Ctrl+H on the page (which leaves it) opens the window for this
        // browser window: days newest first, the newest day's pages shown.
        view->setFocus();
        QTest::keyClick(view, Qt::Key_H, Qt::ControlModifier);
        frmHistory *h = host->historyWindow();
        QVERIFY(h && h->isVisible());
        QTRY_COMPARE(QApplication::focusWidget(), h->txtSearch);
        QTRY_COMPARE(h->addresses(), (QStringList{"http://b.example/two", "http://a.example/one"}));
        QStringList days;
        for (int i = 0; i < h->lstHistory->topLevelItemCount(); ++i)
            days << h->lstHistory->topLevelItem(i)->text(0);
        QCOMPARE(days.mid(0, 2), (QStringList{"Today", "Yesterday"}));
        QCOMPARE(days.size(), 3);

        // The search narrows it to the pages holding the words, by day.
        QTest::keyClicks(h->txtSearch, "alpha");
        QTRY_COMPARE(h->addresses(), (QStringList{"http://a.example/one", "http://a.example/four"}));
        QCOMPARE(h->lstHistory->topLevelItemCount(), 2);

        // Delete takes the pages chosen out of the history.
        QTest::keyClick(h->txtSearch, Qt::Key_Down);
        QTest::keyClick(h->lstHistory, Qt::Key_Down);
        QTest::keyClick(h->lstHistory, Qt::Key_Down);
        QTest::keyClick(h->lstHistory, Qt::Key_Down);
        QCOMPARE(h->lstHistory->currentItem()->text(1), QString("http://a.example/four"));
        QTest::keyClick(h->lstHistory, Qt::Key_Delete);
        QVERIFY(!inHistory("http://a.example/four"));
        QTRY_COMPARE(h->addresses(), QStringList{"http://a.example/one"});

        // Enter opens the page in the window that asked, not the one in front.
        frmBrowser *other = host->OpenBrowserWindow();
        QCOMPARE(host->frontWindow(), other);
        h->activateWindow();
        h->lstHistory->setFocus();
        h->lstHistory->setCurrentItem(h->lstHistory->topLevelItem(0)->child(0));
        QTest::keyClick(h->lstHistory, Qt::Key_Return);
        QCOMPARE(view->calls.last(), QString("Navigate2:http://a.example/one"));
        QVERIFY(!views->views.last()->calls.contains("Navigate2:http://a.example/one"));
        QCOMPARE(host->frontWindow(), w);

        // Clearing the browsing history in Internet Options empties it.
        frmInternetOptions options(host.get(), *store, *views, *dialogs, QString(), history.get());
        QVERIFY(options.chkHistory->isChecked());
        options.cmdClear_Click();
        QCOMPARE(history->index().size(), 0);
        h->txtSearch->clear();
        QTRY_VERIFY(h->addresses().isEmpty() && h->lstHistory->topLevelItemCount() == 0);
        QCOMPARE(h->lblStatus->text(), QString("No pages in the history."));
        QVERIFY(dialogs->texts().last().startsWith("The history of the pages visited was cleared."));
    }
};

QTEST_MAIN(tst_AddressBox)
#include "tst_addressbox.moc"
