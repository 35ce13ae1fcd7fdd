// Download speed, time left and the sizes the Downloads window shows.
#include "downloads/core/TransferRate.h"

#include <QTest>

class tst_TransferRate : public QObject
{
    Q_OBJECT
private slots:
    void rateOverTheLastSeconds()
    {
        TransferRate rate;
        QCOMPARE(rate.bytesPerSecond(), 0.0);
        QCOMPARE(rate.secondsLeft(1000), qint64(-1));
        rate.sample(0, 0);
        QCOMPARE(rate.bytesPerSecond(), 0.0);
        // A slow start, then 100 000 bytes a second for long enough that the
        // start falls out of the window.
        rate.sample(1000, 1000);
        for (qint64 t = 2000; t <= 8000; t += 500)
            rate.sample(t, 1000 + (t - 1000) * 100);
        QCOMPARE(rate.bytesPerSecond(), 100000.0);
        // 701 000 received of 1 701 000: ten seconds to go.
        QCOMPARE(rate.secondsLeft(1701000), qint64(10));
        QCOMPARE(rate.secondsLeft(-1), qint64(-1));
    }

    void restartedTransferStartsOver()
    {
        TransferRate rate;
        rate.sample(0, 0);
        rate.sample(1000, 500000);
        // The engine retried from the beginning: no negative speed.
        rate.sample(1500, 1000);
        QCOMPARE(rate.bytesPerSecond(), 0.0);
        rate.sample(2500, 11000);
        QCOMPARE(rate.bytesPerSecond(), 10000.0);
    }

    void stalledTransferHasNoTimeLeft()
    {
        TransferRate rate;
        rate.sample(0, 5000);
        rate.sample(4000, 5000);
        QCOMPARE(rate.bytesPerSecond(), 0.0);
        QCOMPARE(rate.secondsLeft(10000), qint64(-1));
    }

    void texts_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("bytes") << TransferText::size(1023) << "1023 bytes";
        QTest::newRow("kilobytes") << TransferText::size(1536) << "1.5 KB";
        QTest::newRow("megabytes") << TransferText::size(5 * 1024 * 1024 + 512 * 1024) << "5.5 MB";
        QTest::newRow("gigabytes") << TransferText::size(3LL * 1024 * 1024 * 1024) << "3.0 GB";
        QTest::newRow("of total") << TransferText::progress(2048, 4096) << "2.0 KB of 4.0 KB";
        QTest::newRow("total unknown") << TransferText::progress(2048, -1) << "2.0 KB";
        QTest::newRow("speed") << TransferText::speed(358400) << "350.0 KB/s";
        QTest::newRow("seconds") << TransferText::timeLeft(59) << "59 s left";
        QTest::newRow("minutes round up") << TransferText::timeLeft(61) << "2 min left";
        QTest::newRow("hours") << TransferText::timeLeft(2 * 3600 + 5 * 60) << "2 h 5 min left";
    }
    void texts()
    {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }
};

QTEST_GUILESS_MAIN(tst_TransferRate)
#include "tst_transferrate.moc"
