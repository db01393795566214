#include <QMenu>
#include <QTest>
#include <QWheelEvent>

#include <cmath>
#include <limits>

#include "base/error.h"
#include "chart_fixture.h"

using namespace pulsefir;
using namespace pulsefir::ui;
using namespace pulsefir::ui::widgets;

namespace {

bool near(const Range &a, const Range &b, double tolerance) {
    return std::abs(a.first - b.first) <= tolerance && std::abs(a.second - b.second) <= tolerance;
}

class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class ChartTest : public ChartFixture {
    Q_OBJECT

  private slots:
    void init() { QVERIFY(createChart()); }
    void cleanup() { destroyChart(); }

    void automaticAxesSpanTheActiveSeries() {
        QCOMPARE(m_chart->visibleRange(TChart::BottomAxis), Range(0, 100));
        QCOMPARE(m_chart->visibleRange(TChart::LeftAxis), Range(0, 50));
        m_chart->series(1)->addPoint(-50, 200, Qt::red);
        QCOMPARE(m_chart->visibleRange(TChart::BottomAxis), Range(-50, 100));
        m_chart->series(1)->setActive(false);
        QCOMPARE(m_chart->visibleRange(TChart::LeftAxis), Range(0, 50));
    }

    void onlyLaterSeriesWidenTheAxesForTheirMarkers() {
        line()->setPointerVisible(true);
        QCOMPARE(m_chart->visibleRange(TChart::BottomAxis), Range(0, 100));
        m_chart->series(1)->addPoint(50, 25, Qt::red);
        m_chart->series(1)->setPointerVisible(true);
        const auto [lo, hi] = m_chart->visibleRange(TChart::BottomAxis);
        QVERIFY(lo < 0 && hi > 100);
    }

    void axisRangeRules_data() {
        QTest::addColumn<double>("first");
        QTest::addColumn<double>("second");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("maximum");
        QTest::newRow("in order") << 1.0 << 2.0 << 1.0 << 2.0;
        QTest::newRow("wrong order swapped") << 5.0 << -1.0 << -1.0 << 5.0;
        QTest::newRow("too narrow widened") << 3.0 << 3.0 << 3.0 << 3.0 + 1e-10;
    }

    void axisRangeRules() {
        QFETCH(double, first);
        QFETCH(double, second);
        QFETCH(double, minimum);
        QFETCH(double, maximum);
        AxisState axis;
        setAxisRange(axis, first, second);
        QCOMPARE(axis.minimum, minimum);
        QCOMPARE(axis.maximum, maximum);
        QVERIFY(!axis.automatic && !axis.automaticMinimum && !axis.automaticMaximum);
    }

    void ticksUseReadableSteps() {
        double step = 0;
        const auto ticks = niceTicks(0.013, 0.07, 400, 70, 0.0, &step);
        QCOMPARE(step, 0.01);
        QCOMPARE(ticks.front(), 0.02);
        niceTicks(-1000, 1000, 500, 70, 0.0, &step);
        QCOMPARE(step, 500.0);
        niceTicks(0, 1e-7, 300, 28, 0.0001, &step);
        QCOMPARE(step, 0.0001);
    }

    // The lowest tick keeps its label when it falls between the axis end and the plot's edge,
    // whether or not the markers of a later series widen the range.
    void zeroLabelDoesNotDependOnTheMarkers_data() {
        QTest::addColumn<double>("lowest");
        QTest::addColumn<bool>("markers");
        QTest::addColumn<bool>("zeroLabelled");
        QTest::newRow("exact zero, markers") << 0.0 << true << true;
        QTest::newRow("exact zero, no markers") << 0.0 << false << true;
        QTest::newRow("just above zero, markers") << 0.003 << true << true;
        QTest::newRow("just above zero, no markers") << 0.003 << false << true;
        // 2 % of the plot's height is 0.98 / 0.96 * 0.02 = 0.0204 of this range.
        QTest::newRow("zero beyond the plot's edge") << 0.05 << false << false;
    }

    void zeroLabelDoesNotDependOnTheMarkers() {
        QFETCH(double, lowest);
        QFETCH(bool, markers);
        QFETCH(bool, zeroLabelled);
        line()->setActive(false);
        TLineSeries *s = m_chart->series(1);
        for (int k = 0; k <= 50; ++k)
            s->addPoint(k, lowest + (1.0 - lowest) * k / 50.0, Qt::red);
        s->setPointerVisible(markers);
        const QStringList labels = m_chart->axisLabels(TChart::LeftAxis);
        QCOMPARE(labels.contains("0,0"), zeroLabelled);
        QCOMPARE(labels.contains("1,0"), true);
        QVERIFY(!labels.contains("-0,1") && !labels.contains("1,1"));
    }

    void downRightDragOfSeventeenPixelsZooms() {
        const QPoint from(150, 100);
        const QPoint to = from + QPoint(17, 17);
        const auto x = m_chart->mapping(TChart::BottomAxis);
        const auto y = m_chart->mapping(TChart::LeftAxis);
        PaintCounter counter;
        m_chart->installEventFilter(&counter);
        drag(m_chart.get(), Qt::LeftButton, from, to);
        m_chart->removeEventFilter(&counter);
        QVERIFY(m_chart->zoomed());
        QVERIFY(m_chart->hasSavedAxes());
        QVERIFY(near(m_chart->visibleRange(TChart::BottomAxis), {x.toValue(from.x()), x.toValue(to.x())}, 1e-9));
        QVERIFY(near(m_chart->visibleRange(TChart::LeftAxis), {y.toValue(to.y()), y.toValue(from.y())}, 1e-9));
        // The animation repaints seven frames before the release is done.
        QVERIFY(counter.paints >= TChart::AnimationFrames);
    }

    void reverseDragUndoesTheZoom() {
        drag(m_chart.get(), Qt::LeftButton, {100, 80}, {300, 250});
        QVERIFY(m_chart->zoomed());
        drag(m_chart.get(), Qt::LeftButton, {300, 250}, {200, 150});
        QVERIFY(!m_chart->zoomed());
        QCOMPARE(m_chart->visibleRange(TChart::BottomAxis), Range(0, 100));
        QVERIFY(m_chart->axis(TChart::BottomAxis).automatic);
    }

    void shortDragsDoNothing_data() {
        QTest::addColumn<QPoint>("delta");
        QTest::newRow("16 across") << QPoint(16, 40);
        QTest::newRow("16 down") << QPoint(40, 16);
        QTest::newRow("16 both") << QPoint(16, 16);
        QTest::newRow("16 up-left") << QPoint(-16, -40);
    }

    void shortDragsDoNothing() {
        QFETCH(QPoint, delta);
        drag(m_chart.get(), Qt::LeftButton, {200, 150}, QPoint(200, 150) + delta);
        QVERIFY(!m_chart->zoomed());
        QVERIFY(!m_chart->hasSavedAxes());
        QCOMPARE(m_chart->visibleRange(TChart::BottomAxis), Range(0, 100));
    }

    void oneUndoReturnsToTheViewBeforeTwoZooms() {
        drag(m_chart.get(), Qt::LeftButton, {100, 80}, {400, 300});
        const auto firstZoom = m_chart->visibleRange(TChart::BottomAxis);
        drag(m_chart.get(), Qt::LeftButton, {150, 100}, {300, 200});
        QVERIFY(m_chart->visibleRange(TChart::BottomAxis) != firstZoom);
        m_chart->undoZoom();
        QCOMPARE(m_chart->visibleRange(TChart::BottomAxis), Range(0, 100));
        QCOMPARE(m_chart->visibleRange(TChart::LeftAxis), Range(0, 50));
        QVERIFY(!m_chart->zoomed());
    }

    void undoWithoutZoomChangesNothingVisible() {
        const QImage before = m_chart->renderImage();
        m_chart->undoZoom();
        QCOMPARE(m_chart->renderImage(), before);
    }

    void refilledSeriesKeepTheZoomedRanges() {
        drag(m_chart.get(), Qt::LeftButton, {100, 80}, {400, 300});
        const auto zoomed = m_chart->visibleRange(TChart::BottomAxis);
        line()->clearPoints();
        for (int i = -500; i <= 500; ++i)
            line()->addPoint(i, 0, Qt::black);
        QCOMPARE(m_chart->visibleRange(TChart::BottomAxis), zoomed);
    }

    void rightDragPansByTheMouseDistance() {
        const auto x = m_chart->mapping(TChart::BottomAxis);
        const auto y = m_chart->mapping(TChart::LeftAxis);
        drag(m_chart.get(), Qt::RightButton, {200, 150}, {240, 170});
        const double dx = 40 * x.valuePerPixel();
        const double dy = 20 * y.valuePerPixel();
        QVERIFY(near(m_chart->visibleRange(TChart::BottomAxis), {0 - dx, 100 - dx}, 1e-9));
        QVERIFY(near(m_chart->visibleRange(TChart::LeftAxis), {0 + dy, 50 + dy}, 1e-9));
        QVERIFY(m_chart->hasSavedAxes());
        QVERIFY(!m_chart->popupMenu()->isVisible());
        m_chart->undoZoom();
        QCOMPARE(m_chart->visibleRange(TChart::BottomAxis), Range(0, 100));
    }

    void wheelStepsShiftTheVerticalAxisByThreePercent() {
        QWheelEvent down(QPointF(200, 150), m_chart->mapToGlobal(QPointF(200, 150)), QPoint(), QPoint(0, -120),
                         Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(m_chart.get(), &down);
        QVERIFY(near(m_chart->visibleRange(TChart::LeftAxis), {1.5, 51.5}, 1e-12));
        QWheelEvent up(QPointF(200, 150), m_chart->mapToGlobal(QPointF(200, 150)), QPoint(), QPoint(0, 240),
                       Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(m_chart.get(), &up);
        QVERIFY(near(m_chart->visibleRange(TChart::LeftAxis), {1.5 - 2 * 1.5, 51.5 - 2 * 1.5}, 1e-12));
        QCOMPARE(m_chart->visibleRange(TChart::BottomAxis), Range(0, 100));
    }

    // ---- The right axis, gaps and floors ---------------------------------------------------

    // A series on the right axis gets that axis' own automatic range; the left one keeps the
    // range of the series that stay on it, and the plot makes room for the right labels.
    void rightAxisHasItsOwnRangeAndLabels() {
        const ChartLayout single = m_chart->layoutFor(m_chart->size());
        TLineSeries *right = m_chart->series(1);
        right->setOnRightAxis(true);
        // No points on it yet: it follows the left axis meanwhile.
        QVERIFY(!m_chart->rightAxisShown());
        QCOMPARE(m_chart->visibleRange(TChart::RightAxis), Range(0, 50));
        for (int i = 0; i <= 10; ++i)
            right->addPoint(i * 10, 1000 + 100 * i, Qt::red);
        QVERIFY(m_chart->rightAxisShown());
        QCOMPARE(m_chart->visibleRange(TChart::LeftAxis), Range(0, 50));
        QCOMPARE(m_chart->visibleRange(TChart::RightAxis), Range(1000, 2000));
        const ChartLayout both = m_chart->layoutFor(m_chart->size());
        QCOMPARE(both.plot.left(), single.plot.left());
        QVERIFY(both.plot.right() < single.plot.right() - QFontMetrics(m_chart->font()).horizontalAdvance("2000"));
        const QStringList labels = m_chart->axisLabels(TChart::RightAxis);
        QVERIFY(labels.size() >= 3);
        QVERIFY(labels.contains("1000") || labels.contains("1200"));
        // The right series is drawn against its own scale: its first point at the left axis' 0
        // height, its last at the left axis' 50.
        const QImage image = m_chart->renderImage();
        QVERIFY(inkNear(image, pixelOf(50, 25), QColor(Qt::red).rgb()));
        right->setActive(false);
        QVERIFY(!m_chart->rightAxisShown());
        QCOMPARE(m_chart->layoutFor(m_chart->size()).plot, single.plot);
    }

    void gapsAndFloorsSetNoRange_data() {
        QTest::addColumn<double>("y");     // of the point in the middle of the second series
        QTest::addColumn<double>("floor"); // the series' scale floor
        QTest::addColumn<Range>("range");  // of the right axis
        const double none = -std::numeric_limits<double>::infinity();
        QTest::newRow("a value counts") << -900.0 << none << Range(-900, 20);
        QTest::newRow("a gap does not") << std::numeric_limits<double>::quiet_NaN() << none << Range(10, 20);
        QTest::newRow("a value at the floor does not") << -200.0 << -200.0 << Range(10, 20);
        QTest::newRow("a value above the floor does") << -199.0 << -200.0 << Range(-199, 20);
    }

    void gapsAndFloorsSetNoRange() {
        QFETCH(double, y);
        QFETCH(double, floor);
        QFETCH(Range, range);
        TLineSeries *right = m_chart->series(1);
        right->setOnRightAxis(true);
        right->setScaleFloor(floor);
        right->addPoint(0, 10, Qt::red);
        right->addPoint(50, y, Qt::red);
        right->addPoint(100, 20, Qt::red);
        QCOMPARE(m_chart->visibleRange(TChart::RightAxis), range);
        QCOMPARE(m_chart->visibleRange(TChart::BottomAxis), Range(0, 100)); // a gap keeps its place on x
    }

    void verticalAxesMoveTogether_data() {
        QTest::addColumn<QString>("action");
        QTest::newRow("zoom") << "zoom";
        QTest::newRow("pan") << "pan";
        QTest::newRow("wheel") << "wheel";
    }

    // Zoom, pan and wheel move the right axis as they move the left one, each in its own units;
    // one undo brings both back to fitting their series.
    void verticalAxesMoveTogether() {
        QFETCH(QString, action);
        TLineSeries *right = m_chart->series(1);
        right->setOnRightAxis(true);
        for (int i = 0; i <= 10; ++i)
            right->addPoint(i * 10, -1000.0 * i, Qt::red);
        const auto left = m_chart->mapping(TChart::LeftAxis);
        const auto rightMap = m_chart->mapping(TChart::RightAxis);
        Range expectedLeft, expectedRight;
        if (action == "zoom") {
            const QPoint from(150, 100), to(300, 250);
            drag(m_chart.get(), Qt::LeftButton, from, to);
            expectedLeft = {left.toValue(to.y()), left.toValue(from.y())};
            expectedRight = {rightMap.toValue(to.y()), rightMap.toValue(from.y())};
        } else if (action == "pan") {
            drag(m_chart.get(), Qt::RightButton, {200, 150}, {240, 170});
            const double dl = 20 * left.valuePerPixel(), dr = 20 * rightMap.valuePerPixel();
            expectedLeft = {0 + dl, 50 + dl};
            expectedRight = {-10000 + dr, 0 + dr};
        } else {
            QWheelEvent down(QPointF(200, 150), m_chart->mapToGlobal(QPointF(200, 150)), QPoint(), QPoint(0, -120),
                             Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(m_chart.get(), &down);
            expectedLeft = {1.5, 51.5};
            expectedRight = {-10000 + 300, 0 + 300};
        }
        QVERIFY(near(m_chart->visibleRange(TChart::LeftAxis), expectedLeft, 1e-9));
        QVERIFY(near(m_chart->visibleRange(TChart::RightAxis), expectedRight, 1e-6));
        m_chart->undoZoom();
        QCOMPARE(m_chart->visibleRange(TChart::LeftAxis), Range(0, 50));
        QCOMPARE(m_chart->visibleRange(TChart::RightAxis), Range(-10000, 0));
    }
};

QObject *makeChartTest() {
    return new ChartTest;
}

#include "test_chart.moc"
