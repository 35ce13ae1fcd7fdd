// Addresses the program is started with, or that a later start hands over:
// each opens in a window of its own, and the host comes forward for them.
#include "shell/ui/StatusBar.h"
#include "support/HostFixture.h"

#include <QTest>

class tst_StartAddresses : public QObject, public HostFixture
{
    Q_OBJECT
public:
    static void initMain() { qputenv("QT_QPA_PLATFORM", "offscreen"); }

private:
    QString panel(int i) const { return host->SB->Panels(i)->text(); }
    QStringList callsOf(int view) const { return views->views.value(view)->calls; }

private slots:
    void init() { reset(); }
    void cleanup() { finish(); }

    void startedWithAddresses()
    {
        host = std::make_unique<frmMain>(*store, *views, *dialogs);
        host->Form_Load({"http://a.example/", "file:///tmp/b.html"});
        host->show();
        QCOMPARE(host->browserWindows().size(), 2);
        QCOMPARE(panel(3), QString("Open Windows: 2"));
        // Each window ends on its own address.
        QCOMPARE(callsOf(0).last(), QString("Navigate2:http://a.example/"));
        QCOMPARE(callsOf(1).last(), QString("Navigate2:file:///tmp/b.html"));
        // The first where the first window always goes, the next cascaded.
        QCOMPARE(host->browserWindows()[0]->Left(), Layout::HomeLeft);
        QVERIFY(host->browserWindows()[1]->pos() != host->browserWindows()[0]->pos());
    }

    void startedWithoutAddressesOpensTheHomePage()
    {
        start(false);
        QCOMPARE(host->browserWindows().size(), 1);
        QCOMPARE(callsOf(0).filter("GoHome").size(), 1);
        QVERIFY(callsOf(0).filter("Navigate2").isEmpty());
    }

    void handedOverAddressesOpenAndTheHostComesForward()
    {
        start(true);
        host->showMinimized();
        QTRY_VERIFY(host->isMinimized());
        host->openHandedOver({"http://c.example/", "http://d.example/"});
        QCOMPARE(host->browserWindows().size(), 3);
        QCOMPARE(callsOf(1).last(), QString("Navigate2:http://c.example/"));
        QCOMPARE(callsOf(2).last(), QString("Navigate2:http://d.example/"));
        QVERIFY(!host->isMinimized());
        QCOMPARE(panel(3), QString("Open Windows: 3"));
        // The last one opened is in front, with the focus.
        QCOMPARE(host->frontWindow(), host->browserWindows()[2]);

        // Nothing handed over: one more window, on the home page.
        host->openHandedOver({});
        QCOMPARE(host->browserWindows().size(), 4);
        QCOMPARE(callsOf(3).filter("GoHome").size(), 1);

        // After the host has unloaded, nothing more opens.
        host->Unload();
        host->openHandedOver({"http://e.example/"});
        QCOMPARE(views->views.size(), 4);
    }

    void handedOverToAnEmptyHostTheFirstGoesHome()
    {
        start(false);
        host->browserWindows()[0]->cmdClose_Click();
        QTRY_VERIFY(host->browserWindows().isEmpty());
        host->openHandedOver({"http://f.example/"});
        QCOMPARE(host->browserWindows().size(), 1);
        QCOMPARE(host->browserWindows()[0]->Left(), Layout::HomeLeft);
        QCOMPARE(host->browserWindows()[0]->Top(), Layout::HomeTop);
    }
};

QTEST_MAIN(tst_StartAddresses)
#include "tst_startaddresses.moc"
