// Suggestions under the address box: which pages match typed words, in which
// order, what is completed inline, and when nothing is offered. The pages are
// the in-memory history the store keeps; enough of them that the word index
// both merges and keeps recent changes aside.
#include "history/core/AddressSuggestions.h"
#include "history/core/Frecency.h"

#include <QTest>

namespace {
constexpr qint64 Day = 24 * 3600 * 1000LL;

QStringList addresses(const Suggestions &s)
{
    QStringList out;
    for (const Suggestion &row : s.rows)
        out << row.address;
    return out;
}
} // namespace

class tst_AddressSuggestions : public QObject
{
    Q_OBJECT
    const qint64 now = QDateTime::currentMSecsSinceEpoch();

    void visit(HistoryIndex &index, const QString &address, const QString &title, qint64 ago, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            index.visit({address, title, now - ago});
    }
    // Pages no typed word of these tests finds.
    void filler(HistoryIndex &index, int from, int count)
    {
        for (int i = from; i < from + count; ++i)
            visit(index, QStringLiteral("http://filler%1.example/zz").arg(i), QStringLiteral("Filler %1").arg(i),
                  Day * (i % 400));
    }

private slots:
    // How often against how recently, favorites among equals, the cut at 8,
    // a favorite's own title, and a removal seen by the next keystroke.
    void rankingWeighsVisitsAgeAndFavorites()
    {
        HistoryIndex index;
        AddressSuggestions suggestions(index);
        visit(index, "http://often.example/", "Daily often", 20 * Day, 4);   // 20 days, 2 half-lives later
        visit(index, "http://recent.example/", "Daily recent", 1 * Day);
        visit(index, "http://stale.example/", "Daily stale", 40 * Day, 2);
        visit(index, "http://plain.example/", "Daily plain", 3 * Day);
        visit(index, "http://the-favorite.example/", "Something", 3 * Day);
        suggestions.setFavorites({{"My daily pick", "the-favorite.example"},
                                  {"Daily, never opened", "http://never.example/"},
                                  {"Daily script", "javascript:alert('daily')"}});

        const QStringList expected = {"http://often.example/",        "http://recent.example/",
                                      "http://the-favorite.example/", "http://plain.example/",
                                      "http://stale.example/",        "http://never.example/"};
        Suggestions s = suggestions.suggest("dail", false);
        QCOMPARE(addresses(s), expected);
        QCOMPARE(s.rows[0].visitCount, 4);
        QVERIFY(s.rows[0].inHistory && !s.rows[0].favorite);
        QCOMPARE(s.rows[2].title, QString("My daily pick"));
        QVERIFY(s.rows[2].favorite && s.rows[2].inHistory);
        QVERIFY(s.rows[5].favorite && !s.rows[5].inHistory && !s.rows[5].lastVisit.isValid());
        // The favorite's own title finds it; the history's title too.
        QCOMPARE(addresses(suggestions.suggest("pick", false)), QStringList{"http://the-favorite.example/"});
        QCOMPARE(addresses(suggestions.suggest("something", false)), QStringList{"http://the-favorite.example/"});

        // Three more visited pages: the list keeps the best eight.
        for (int i = 0; i < 3; ++i)
            visit(index, QStringLiteral("http://more%1.example/").arg(i), "Daily more", (50 + i) * Day);
        s = suggestions.suggest("daily", false);
        QCOMPARE(s.rows.size(), AddressSuggestions::MaxRows);
        QCOMPARE(addresses(s).mid(0, 5), expected.mid(0, 5));
        QCOMPARE(s.rows[7].address, QString("http://more2.example/"));

        // A second visit, today, lifts the plain page above all.
        visit(index, "http://plain.example/", "", 0);
        QCOMPARE(suggestions.suggest("daily", false).rows[0].address, QString("http://plain.example/"));
        // Removed from the history: gone at once; a favorite stays one.
        index.remove({"http://often.example/", "http://the-favorite.example/"});
        s = suggestions.suggest("daily", false);
        QVERIFY(!addresses(s).contains("http://often.example/"));
        const qsizetype favorite = addresses(s).indexOf("http://the-favorite.example/");
        QVERIFY(favorite > 0);
        QVERIFY(s.rows[favorite].favorite && !s.rows[favorite].inHistory);
    }

    // Each typed word must begin a word of the address or the title, in any
    // order, ignoring case and accents; pages added before and after the
    // index merged, and titles changed, are found alike.
    void wordsMatchWhereWordsBegin_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("found");
        const QString wiki = "https://en.wikipedia.org/wiki/Linux_kernel";
        const QString git = "https://www.github.com/torvalds/linux";
        const QString cafe = "http://café.example/menu";
        const QString jp = "https://news.example.jp/";
        const QString faq = "http://example.org/c++/faq";
        QTest::newRow("beginning of a word") << "wiki" << QStringList{wiki};
        QTest::newRow("inside a word") << "pedia" << QStringList{};
        QTest::newRow("two words, both pages") << "linux kern" << QStringList{git, wiki};
        QTest::newRow("case") << "LINUX KERNEL" << QStringList{git, wiki};
        QTest::newRow("address and title, any order") << "source torvalds" << QStringList{git};
        QTest::newRow("one word missing") << "linux windows" << QStringList{};
        QTest::newRow("both words, no page with both") << "kernel faq" << QStringList{};
        QTest::newRow("accent typed or not") << "muller cafe" << QStringList{cafe};
        QTest::newRow("accent typed") << "Müller" << QStringList{cafe};
        QTest::newRow("word of ten letters and more") << "speisekarten" << QStringList{};
        QTest::newRow("ten letters: the whole key") << "speisekart" << QStringList{cafe};
        QTest::newRow("long word") << "speisekarte" << QStringList{cafe};
        QTest::newRow("Japanese within a run") << "京" << QStringList{jp};
        QTest::newRow("Japanese word") << "ニュース" << QStringList{jp};
        QTest::newRow("punctuation begins anywhere") << ".org" << QStringList{faq, wiki};
        QTest::newRow("punctuation, then a word") << "/faq" << QStringList{faq};
        QTest::newRow("with punctuation") << "c++" << QStringList{faq};
        QTest::newRow("host and path") << "github.com/torv" << QStringList{git};
        QTest::newRow("scheme and www typed") << "https://www.github.com/torv" << QStringList{git};
        QTest::newRow("old title gone, waiting") << "draft" << QStringList{};
        QTest::newRow("new title, waiting") << "final" << QStringList{faq};
        QTest::newRow("old title gone, merged") << "draft merged" << QStringList{};
        QTest::newRow("new title, merged") << "merged" << QStringList{"http://merged.example/"};
        QTest::newRow("changed twice, old") << "first" << QStringList{};
        QTest::newRow("changed twice, new") << "second" << QStringList{"http://twice.example/"};
    }
    void wordsMatchWhereWordsBegin()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, found);
        HistoryIndex index;
        AddressSuggestions suggestions(index);
        visit(index, "https://en.wikipedia.org/wiki/Linux_kernel", "Linux kernel - Wikipedia", Day);
        visit(index, "http://example.org/c++/faq", "Draft FAQ", Day);
        visit(index, "http://merged.example/", "Draft merged", Day);
        visit(index, "http://help.example/questions", "Questions and FAQ", Day);
        index.settle();
        // Changed, then merged into this run's keys with a thousand more
        // pages; a page of this run changed again, merged again.
        index.setTitle("http://merged.example/", "Merged");
        visit(index, "http://twice.example/", "First title", Day);
        filler(index, 0, int(WordIndex::MergeAfter));
        index.setTitle("http://twice.example/", "Second title");
        filler(index, int(WordIndex::MergeAfter), int(WordIndex::MergeAfter));
        // Added or changed since: waiting beside the sorted keys.
        visit(index, "https://www.github.com/torvalds/linux", "torvalds/linux: Linux kernel source tree", 2 * Day);
        visit(index, "http://café.example/menu", "Café Müller – Speisekarte", Day);
        visit(index, "https://news.example.jp/", "東京のニュース", Day);
        index.setTitle("http://example.org/c++/faq", "Final FAQ");

        QStringList got = addresses(suggestions.suggest(typed, false));
        got.sort();
        found.sort();
        QCOMPARE(got, found);
    }

    // The best page whose address begins with the text is completed, as far
    // as scheme and "www." were typed, its case kept; its row comes first.
    void completionFollowsWhatWasTyped()
    {
        HistoryIndex index;
        AddressSuggestions suggestions(index);
        visit(index, "https://www.Example.org/Docs/", "Example documents", Day, 5);
        visit(index, "http://example.net/", "Example network", 2 * Day);
        visit(index, "http://exams.example/", "Docs about exams", 3 * Day, 3);
        suggestions.setFavorites({{"Favourite", "http://favourite.example/start"}});

        struct Case
        {
            QString typed;
            QString completion;
            QString first;
        };
        const QString org = "https://www.Example.org/Docs/";
        const QList<Case> cases = {
            {"exa", "mple.org/Docs/", org},
            {"EXA", "mple.org/Docs/", org},
            {"www.exa", "mple.org/Docs/", org},
            {"https://www.exa", "mple.org/Docs/", org},
            {"HTTPS://WWW.EXAMPLE.ORG/d", "ocs/", org},
            {"example.n", "et/", "http://example.net/"},
            {"exams", ".example/", "http://exams.example/"},
            {"fav", "ourite.example/start", "http://favourite.example/start"},
            // Scheme typed and not the page's, text found only in a title or
            // with a blank: matches, nothing completed.
            {"http://www.exa", "", org},
            {"docs", "", org},
            {"exa ", "", org},
        };
        for (const Case &c : cases) {
            const Suggestions s = suggestions.suggest(c.typed, false);
            QVERIFY2(!s.rows.isEmpty(), qPrintable(c.typed));
            QCOMPARE(s.completion, c.completion);
            QCOMPARE(s.rows.first().address, c.first);
        }
        // "exams" ranks above "example.net", yet "example.n" completes and
        // puts its page first.
        QCOMPARE(addresses(suggestions.suggest("exa", false)).mid(0, 3),
                 (QStringList{org, "http://exams.example/", "http://example.net/"}));
    }

    // A whole address pasted is what the person wants: nothing is offered.
    // Words pasted, and the same address typed, are looked for.
    void pastedAddressGetsNothing()
    {
        HistoryIndex index;
        AddressSuggestions suggestions(index);
        visit(index, "http://example.org/docs", "Example docs", Day);
        for (const QString address : {"example.org", "http://example.org/", " example.org/docs "}) {
            QVERIFY(suggestions.suggest(address, true).rows.isEmpty());
            QVERIFY(suggestions.suggest(address, true).completion.isEmpty());
            QCOMPARE(suggestions.suggest(address, false).rows.size(), 1);
        }
        QCOMPARE(suggestions.suggest("example docs", true).rows.size(), 1);
        QCOMPARE(suggestions.suggest("example", true).rows.size(), 1);
        QVERIFY(suggestions.suggest("   ", false).rows.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_AddressSuggestions)
#include "tst_addresssuggestions.moc"
