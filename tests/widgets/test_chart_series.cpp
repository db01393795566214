#include <QSignalSpy>
#include <QTest>

#include "base/error.h"
#include "ui/widgets/chart.h"

using namespace pulsefir;
using namespace pulsefir::ui;
using namespace pulsefir::ui::widgets;

class ChartSeriesTest : public QObject {
    Q_OBJECT

  private slots:
    void pointsStayInAscendingX() {
        TLineSeries s("Series2", Qt::red, nullptr);
        s.addPoint(5, 1, Qt::red);
        s.addPoint(3, 2, Qt::red);
        s.addPoint(5, 3, Qt::red);
        s.addPoint(4, 4, Qt::red);
        s.addPoint(5, 5, Qt::red);
        const double ys[] = {2, 4, 1, 3, 5}; // equal x keep the order they were added in
        QCOMPARE(s.count(), 5);
        for (int k = 0; k < 5; ++k)
            QCOMPARE(s.point(k).y, ys[k]);
    }

    void markerSizeBelowOneIsRefused() {
        TSeriesPointer pointer;
        pointer.setHorizSize(3);
        try {
            pointer.setHorizSize(0);
            QFAIL("no error");
        } catch (const base::Error &error) {
            QCOMPARE(QString(error.what()), QString("Pointer size must be greater than zero"));
        }
        QCOMPARE(pointer.horizSize(), 3);
        QVERIFY_THROWS_EXCEPTION(base::Error, pointer.setVertSize(-1));
        QCOMPARE(pointer.vertSize(), 1);
    }

    // A batch of new points tells the chart once; the picture it then draws shows all of them,
    // and the next point tells it again.
    void pointsTellTheChartOncePerRepaint() {
        TChart chart;
        chart.resize(300, 200);
        TLineSeries *s = chart.addSeries("Series1", Qt::gray);
        QSignalSpy changes(s, &TLineSeries::changed);
        for (int i = 0; i < 10; ++i)
            s->addPoint(i, i, Qt::black);
        QCOMPARE(changes.count(), 1);
        chart.renderImage();
        QCOMPARE(chart.visibleRange(TChart::BottomAxis), std::make_pair(0.0, 9.0));
        s->addPoint(20, 0, Qt::black);
        QCOMPARE(changes.count(), 2);
        QCOMPARE(chart.visibleRange(TChart::BottomAxis), std::make_pair(0.0, 20.0));
        s->clearPoints();
        QCOMPARE(changes.count(), 2); // still pending: the chart has not drawn since
        QCOMPARE(chart.visibleRange(TChart::BottomAxis), std::make_pair(0.0, 1.0));
    }
};

QObject *makeChartSeriesTest() {
    return new ChartSeriesTest;
}

#include "test_chart_series.moc"
