// Zoom steps: up and down through every step and back, and the ends.
#include "browser/core/Zoom.h"

#include <QTest>

class tst_Zoom : public QObject
{
    Q_OBJECT
private slots:
    void stepsUpAndDownAgain()
    {
        QList<int> up;
        for (qreal f = Zoom::Minimum; up.isEmpty() || f != Zoom::larger(f); f = Zoom::larger(f))
            up << Zoom::percent(f);
        up << Zoom::percent(Zoom::Maximum);
        QCOMPARE(up, QList<int>({25, 33, 50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300, 400, 500}));
        // Down again through the same steps.
        QList<int> down;
        for (qreal f = Zoom::Maximum; down.isEmpty() || f != Zoom::smaller(f); f = Zoom::smaller(f))
            down << Zoom::percent(f);
        down << Zoom::percent(Zoom::Minimum);
        std::reverse(down.begin(), down.end());
        QCOMPARE(down, up);
    }

    void betweenStepsAndAtTheEnds()
    {
        QCOMPARE(Zoom::larger(1.0), 1.1);
        QCOMPARE(Zoom::smaller(1.0), 0.9);
        // A factor the engine rounded a little still steps past its own step.
        QCOMPARE(Zoom::larger(1.0999999), 1.25);
        QCOMPARE(Zoom::smaller(1.1000001), 1.0);
        QCOMPARE(Zoom::larger(1.3), 1.5);
        QCOMPARE(Zoom::smaller(1.3), 1.25);
        QCOMPARE(Zoom::larger(Zoom::Maximum), Zoom::Maximum);
        QCOMPARE(Zoom::smaller(Zoom::Minimum), Zoom::Minimum);
        QCOMPARE(Zoom::larger(9.0), Zoom::Maximum);
        QCOMPARE(Zoom::smaller(0.1), Zoom::Minimum);
    }
};

QTEST_APPLESS_MAIN(tst_Zoom)
#include "tst_zoom.moc"
