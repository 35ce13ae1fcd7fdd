// Browser-window geometry in twips: the minimum-size clamps and where the
// controls that follow the window's size go.
#include "browser/core/Layout.h"

#include <QTest>

using namespace Layout;

class tst_Layout : public QObject
{
    Q_OBJECT
private slots:
    void workedExample()
    {
        const BrowserLayout l = layoutBrowser(6525, 4200);
        QCOMPARE(l.cmdClose, (TwipRect{6240, 30, 255, 225}));
        QCOMPARE(l.imgFavs, (TwipRect{5970, 30, 210, 210}));
        QCOMPARE(l.lblTitle, (TwipRect{0, 0, 6525, 300}));
        QCOMPARE(l.wb, (TwipRect{0, 690, 6525, 3510}));
        QCOMPARE(l.picStatus, (TwipRect{0, 0, 6525, 690}));
    }

    void wideningMovesOnlyTheRightHandControls()
    {
        const BrowserLayout a = layoutBrowser(6525, 4200);
        const BrowserLayout b = layoutBrowser(7525, 4200);
        QCOMPARE(b.cmdClose.Left - a.cmdClose.Left, 1000);
        QCOMPARE(b.imgFavs.Left - a.imgFavs.Left, 1000);
        QCOMPARE(b.lblTitle.Width - a.lblTitle.Width, 1000);
        QCOMPARE(b.wb.Width - a.wb.Width, 1000);
        QCOMPARE(b.wb.Height, a.wb.Height);
        QCOMPARE(b.cmdClose.Top, a.cmdClose.Top);
    }

    void heighteningChangesOnlyThePageHeight()
    {
        const BrowserLayout a = layoutBrowser(6525, 4200);
        const BrowserLayout b = layoutBrowser(6525, 4700);
        QCOMPARE(b.wb.Height - a.wb.Height, 500);
        QCOMPARE(b.wb.Top, a.wb.Top);
        QCOMPARE(b.cmdClose, a.cmdClose);
        QCOMPARE(b.imgFavs, a.imgFavs);
        QCOMPARE(b.lblTitle, a.lblTitle);
    }

    void rightHandControlsFollowTheirOwnSizes()
    {
        const BrowserLayout l = layoutBrowser(6525, 4200, {0, 0, 300, 225}, {0, 0, 150, 150});
        QCOMPARE(l.cmdClose.Left, 6525 - 330);
        QCOMPARE(l.imgFavs.Left, 6525 - 330 - 210);
        QCOMPARE(l.imgFavs.Height, 150);
    }

    void atMinimumEverythingFitsInTheTitleBand()
    {
        const BrowserLayout l = layoutBrowser(scaleSize(MinWidth), scaleSize(MinHeight));
        QVERIFY(l.imgFavs.Left >= 0);
        QVERIFY(l.cmdClose.Left + l.cmdClose.Width <= scaleSize(MinWidth));
        QVERIFY(l.cmdClose.Top + l.cmdClose.Height <= TitleHeight);
        QVERIFY(l.imgFavs.Top + l.imgFavs.Height <= TitleHeight);
        QVERIFY(l.wb.Height >= 0);
    }

    void clamps_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("newWidth");
        QTest::addColumn<int>("newHeight");
        QTest::addColumn<bool>("moved");
        QTest::newRow("100 x 100") << 100 << 100 << 2025 << 1200 << true;
        QTest::newRow("exact minimum") << 2025 << 1200 << 2025 << 1200 << false;
        QTest::newRow("one under in width") << 2024 << 1200 << 2025 << 1200 << true;
        QTest::newRow("one under in height") << 2025 << 1199 << 2025 << 1200 << true;
        QTest::newRow("large") << 6645 << 4440 << 6645 << 4440 << false;
        QTest::newRow("narrow but tall") << 500 << 9000 << 2025 << 9000 << true;
        QTest::newRow("negative") << -15 << -15 << 2025 << 1200 << true;
    }
    void clamps()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, newWidth);
        QFETCH(int, newHeight);
        QFETCH(bool, moved);
        const MinimumClamp c = clampToMinimum(width, height);
        QCOMPARE(c.Width, newWidth);
        QCOMPARE(c.Height, newHeight);
        QCOMPARE(c.moved(), moved);
    }

    void pixels()
    {
        QCOMPARE(toPixels(6645), 443);
        QCOMPARE(toPixels(4440), 296);
        QCOMPARE(toPixels(2025), 135);
        QCOMPARE(toPixels(1200), 80);
        QCOMPARE(toPixels(60), 4);
        QCOMPARE(toPixels(5000), 333); // a size between pixels snaps to one
        QCOMPARE(toTwips(443), 6645);
        QCOMPARE(scaleSize(6645), 6525);
    }
};

QTEST_GUILESS_MAIN(tst_Layout)
#include "tst_layout.moc"
