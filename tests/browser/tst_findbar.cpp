// The find bar against a scripted finder: what it asks for as the user types
// and presses keys, what it shows of the answers, and that a late answer to
// an old search does not overwrite a newer one.
#include "browser/ui/FindBar.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

class tst_FindBar : public QObject
{
    Q_OBJECT
public:
    static void initMain() { qputenv("QT_QPA_PLATFORM", "offscreen"); }

private:
    struct Call
    {
        QString text;
        bool backward;
        FindBar::Result done;
    };
    QList<Call> calls;
    std::unique_ptr<QWidget> window;
    FindBar *bar = nullptr;

    QStringList asked() const
    {
        QStringList l;
        for (const Call &c : calls)
            l << (c.backward ? "<" : ">") + c.text;
        return l;
    }

private slots:
    void init()
    {
        calls.clear();
        window = std::make_unique<QWidget>();
        window->resize(500, 200);
        bar = new FindBar([this](const QString &text, bool backward, FindBar::Result done) {
            calls.append({text, backward, std::move(done)});
        }, window.get());
        bar->setGeometry(0, 160, 500, bar->height());
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    void cleanup() { window.reset(); }

    void typingSearchesAndShowsTheCount()
    {
        QVERIFY(bar->isHidden());
        bar->open();
        QVERIFY(bar->isVisible());
        QVERIFY(bar->txtFind->hasFocus());
        QVERIFY(calls.isEmpty()); // nothing to look for yet
        QTest::keyClicks(bar->txtFind, "abc");
        QCOMPARE(asked(), QStringList({">a", ">ab", ">abc"}));
        calls.last().done(2, 5);
        QCOMPARE(bar->matches(), QString("2 of 5"));

        QTest::keyClick(bar->txtFind, Qt::Key_Return);
        QTest::keyClick(bar->txtFind, Qt::Key_Enter);
        QTest::keyClick(bar->txtFind, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(asked().mid(3), QStringList({">abc", ">abc", "<abc"}));
        calls.last().done(4, 5);
        QCOMPARE(bar->matches(), QString("4 of 5"));
        QTest::mouseClick(bar->cmdNext, Qt::LeftButton);
        QTest::mouseClick(bar->cmdPrevious, Qt::LeftButton);
        QCOMPARE(asked().mid(6), QStringList({">abc", "<abc"}));

        QTest::keyClicks(bar->txtFind, "x");
        calls.last().done(0, 0);
        QCOMPARE(bar->matches(), QString("No matches"));
        // Emptied: the page's highlighting goes, the count too.
        bar->txtFind->clear();
        QCOMPARE(calls.last().text, QString());
        QCOMPARE(bar->matches(), QString());
    }

    void aLateAnswerToAnOlderSearchIsDropped()
    {
        bar->open();
        QTest::keyClicks(bar->txtFind, "ab");
        const FindBar::Result older = calls[0].done; // for "a"
        calls[1].done(1, 3);
        older(1, 40);
        QCOMPARE(bar->matches(), QString("1 of 3"));
    }

    void escapeClosesAndEndsTheSearch()
    {
        QSignalSpy closed(bar, &FindBar::closed);
        bar->open();
        QTest::keyClicks(bar->txtFind, "word");
        const FindBar::Result pending = calls.last().done;
        QTest::keyClick(bar->txtFind, Qt::Key_Escape);
        QVERIFY(bar->isHidden());
        QCOMPARE(closed.size(), 1);
        QCOMPARE(calls.last().text, QString()); // highlighting cleared
        pending(1, 1); // answered after the close: not shown
        QCOMPARE(bar->matches(), QString());

        // Opened again: the same text, selected, looked for again.
        const qsizetype before = calls.size();
        bar->open();
        QCOMPARE(bar->txtFind->selectedText(), QString("word"));
        QCOMPARE(asked().mid(before), QStringList{">word"});
        // The close button does what Esc does.
        QTest::mouseClick(bar->cmdCloseFind, Qt::LeftButton);
        QVERIFY(bar->isHidden());
        QCOMPARE(closed.size(), 2);
    }

    void answersAfterTheBarIsGoneAreHarmless()
    {
        bar->open();
        QTest::keyClicks(bar->txtFind, "a");
        const FindBar::Result pending = calls.last().done;
        window.reset();
        pending(1, 2);
    }
};

QTEST_MAIN(tst_FindBar)
#include "tst_findbar.moc"
