// The Downloads window and the host's part in downloads, on a scripted list:
// what each row offers as a download moves along, a failure told in a box,
// and quitting while a download runs.
#include "downloads/ui/DownloadRow.h"
#include "downloads/ui/frmDownloads.h"
#include "support/HostFixture.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QUrl>

class tst_DownloadsWindow : public QObject, public HostFixture
{
    Q_OBJECT
public:
    static void initMain() { qputenv("QT_QPA_PLATFORM", "offscreen"); }

private:
    // The boxes shown, as "title|text".
    QStringList boxes() const
    {
        QStringList list;
        for (const FakeDialogs::Message &m : dialogs->messages)
            list << m.title + "|" + m.text;
        return list;
    }
    bool answerYes = false;
    QList<QUrl> opened;
    bool openerWorks = true;

    FakeDownloadList &list() { return views->downloadList; }
    frmDownloads *window() { return host->downloadsWindow(); }

private slots:
    void init()
    {
        reset();
        opened.clear();
        openerWorks = true;
        answerYes = false;
        start(false);
        dialogs->answer = [this](const QString &) { return answerYes; };
        window()->setOpener([this](const QUrl &url) {
            opened << url;
            return openerWorks;
        });
    }
    void cleanup()
    {
        finish();
    }

    void comesUpWithANewDownloadAndFromTheMenu()
    {
        QVERIFY(host->mnuDownloads->isVisible());
        QVERIFY(!window()->isVisible());
        host->mnuDownloads->trigger();
        QVERIFY(window()->isVisible());
        QVERIFY(window()->empty->isVisible());
        window()->close();
        list().start("/tmp/dl/report.pdf", 4096);
        QVERIFY(window()->isVisible());
        QVERIFY(!window()->empty->isVisible());
        QCOMPARE(window()->rows().size(), 1);
        QCOMPARE(window()->rows().first()->name->text(), QString("report.pdf"));
    }

    void rowFollowsTheDownload()
    {
        FakeDownloadItem *item = list().start("/tmp/dl/big.iso", 10 * 1024 * 1024);
        DownloadRow *row = window()->rows().first();
        QVERIFY(row->cancel->isEnabled());
        QVERIFY(!row->open->isEnabled());
        QVERIFY(!row->showInFolder->isEnabled());
        item->receive(5 * 1024 * 1024);
        QVERIFY(row->status->text().startsWith("5.0 MB of 10.0 MB"));
        QCOMPARE(row->bar->value() * 2, row->bar->maximum());
        item->receive(10 * 1024 * 1024);
        item->set(DownloadItem::Completed);
        QCOMPARE(row->status->text(), QString("10.0 MB - Done"));
        QVERIFY(!row->cancel->isEnabled());
        QVERIFY(row->open->isEnabled());
        row->open->click();
        row->showInFolder->click();
        QCOMPARE(opened, (QList<QUrl>{QUrl::fromLocalFile("/tmp/dl/big.iso"), QUrl::fromLocalFile("/tmp/dl")}));
        QVERIFY(boxes().isEmpty());
        // The desktop could not open it: said so.
        openerWorks = false;
        row->open->click();
        QCOMPARE(boxes().size(), 1);
        QVERIFY(boxes().first().contains("/tmp/dl/big.iso"));
    }

    void unknownSizeAndCancel()
    {
        FakeDownloadItem *item = list().start("/tmp/dl/stream.bin", -1);
        DownloadRow *row = window()->rows().first();
        item->receive(2048);
        QVERIFY(row->status->text().startsWith("2.0 KB"));
        QCOMPARE(row->bar->maximum(), 0); // busy, not a made-up fraction
        row->cancel->click();
        QCOMPARE(item->cancelCalls, 1);
        QCOMPARE(row->status->text(), QString("Cancelled"));
        QVERIFY(!row->cancel->isEnabled());
        QVERIFY(!row->open->isEnabled());
        QVERIFY(boxes().isEmpty());
    }

    void failureIsToldOnce()
    {
        FakeDownloadItem *item = list().start("/tmp/dl/data.bin", 100);
        list().fail(item, "the connection ended before the whole file arrived");
        QCOMPARE(boxes().size(), 1);
        QVERIFY(boxes().first().startsWith("Download failed|"));
        QVERIFY(boxes().first().contains("data.bin"));
        QVERIFY(boxes().first().contains("the connection ended before the whole file arrived"));
        QVERIFY(boxes().first().contains("Nothing was saved to \"/tmp/dl/data.bin\""));
        QCOMPARE(window()->rows().first()->status->text(),
                 QString("Failed: the connection ended before the whole file arrived"));

        // Shown whole in the row, in a window of its first size, buttons and
        // all: the text wraps and the row grows for it.
        FakeDownloadItem *second = list().start("/tmp/dl/other.bin", 100);
        list().fail(second, "the folder \"/tmp/dl/a folder with a rather long name/and more of it\" cannot "
                            "be written, and the disk is full as well");
        window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(window()));
        DownloadRow *row = window()->rows().last();
        QListWidget *rows = window()->list;
        QVERIFY(row->rect().contains(row->showInFolder->geometry()));
        QVERIFY(row->showInFolder->geometry().right() < rows->viewport()->width());
        QCOMPARE(row->status->height(), row->status->heightForWidth(row->status->width()));
        QVERIFY(row->status->geometry().bottom() < row->height());
        QVERIFY(row->status->height() > row->name->height());
    }

    void quittingAsksWhileDownloadsRun()
    {
        FakeDownloadItem *done = list().start("/tmp/dl/a", 10);
        done->set(DownloadItem::Completed);
        FakeDownloadItem *running = list().start("/tmp/dl/b", 10);
        // "No": the host stays, the download runs on.
        host->mnuQuit->trigger();
        QCOMPARE(dialogs->questions, QStringList{"A download is still running. Quit and cancel it?"});
        QVERIFY(!host->isUnloaded());
        QCOMPARE(running->cancelCalls, 0);
        QCOMPARE(running->state(), DownloadItem::Running);
        // "Yes": cancelled, then the host unloads.
        answerYes = true;
        host->mnuQuit->trigger();
        QVERIFY(host->isUnloaded());
        QCOMPARE(running->cancelCalls, 1);
        QCOMPARE(done->cancelCalls, 0);
    }

    void quittingWithNothingRunningDoesNotAsk()
    {
        FakeDownloadItem *item = list().start("/tmp/dl/a", 10);
        item->set(DownloadItem::Cancelled);
        host->mnuQuit->trigger();
        QVERIFY(dialogs->questions.isEmpty());
        QVERIFY(host->isUnloaded());
    }
};

QTEST_MAIN(tst_DownloadsWindow)
#include "tst_downloadswindow.moc"
