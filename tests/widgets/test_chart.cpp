#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QMenu>
#include <QMouseEvent>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <cmath>
#include <limits>
#include <memory>

#include "scripted_platform.h"
#include "ui/widgets/chart.h"

using namespace pulsefir;
using namespace pulsefir::ui;

namespace {

using Range = std::pair<double, double>;

void sendMouse(QWidget *w, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, QPoint at) {
    QMouseEvent event(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

// A press, a move in steps and a release, as a hand would drag.
void drag(QWidget *w, Qt::MouseButton button, QPoint from, QPoint to) {
    sendMouse(w, QEvent::MouseButtonPress, button, button, from);
    for (int k = 1; k <= 4; ++k)
        sendMouse(w, QEvent::MouseMove, Qt::NoButton, button, from + (to - from) * k / 4);
    sendMouse(w, QEvent::MouseButtonRelease, button, Qt::NoButton, to);
}

bool near(const Range &a, const Range &b, double tolerance) {
    return std::abs(a.first - b.first) <= tolerance && std::abs(a.second - b.second) <= tolerance;
}

// Whether a pixel of this colour lies at the point or one pixel above or below it: a line through
// a point half-way between two pixel rows may take either row.
bool inkNear(const QImage &image, QPoint at, QRgb color) {
    for (int dy = -1; dy <= 1; ++dy)
        if (image.pixel(at + QPoint(0, dy)) == color)
            return true;
    return false;
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

class ChartTest : public QObject {
    Q_OBJECT

    std::unique_ptr<PlatformScope> m_scope;
    std::unique_ptr<TChart> m_chart;

    ScriptedPlatform &platform() { return m_scope->platform; }
    TLineSeries *line() { return m_chart->Series(0); }

    // The point where value (x, y) is drawn now.
    QPoint pixelOf(double x, double y) {
        return {static_cast<int>(std::lround(m_chart->mapping(TChart::BottomAxis).toPixel(x))),
                static_cast<int>(std::lround(m_chart->mapping(TChart::LeftAxis).toPixel(y)))};
    }

  private slots:
    void init() {
        m_scope = std::make_unique<PlatformScope>();
        m_chart = std::make_unique<TChart>();
        m_chart->addSeries("Series1", Qt::gray);
        m_chart->addSeries("Series2", Qt::red);
        m_chart->resize(600, 400);
        for (int i = 0; i <= 100; ++i)
            line()->AddPoint(i, i * 0.5, Qt::black);
        m_chart->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_chart.get()));
    }

    void cleanup() {
        m_chart.reset();
        m_scope.reset();
    }

    void automaticAxesSpanTheActiveSeries() {
        QCOMPARE(m_chart->visibleRange(TChart::BottomAxis), Range(0, 100));
        QCOMPARE(m_chart->visibleRange(TChart::LeftAxis), Range(0, 50));
        m_chart->Series(1)->AddPoint(-50, 200, Qt::red);
        QCOMPARE(m_chart->visibleRange(TChart::BottomAxis), Range(-50, 100));
        m_chart->Series(1)->setActive(false);
        QCOMPARE(m_chart->visibleRange(TChart::LeftAxis), Range(0, 50));
    }

    void onlyLaterSeriesWidenTheAxesForTheirMarkers() {
        line()->setPointerVisible(true);
        QCOMPARE(m_chart->visibleRange(TChart::BottomAxis), Range(0, 100));
        m_chart->Series(1)->AddPoint(50, 25, Qt::red);
        m_chart->Series(1)->setPointerVisible(true);
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
        SetAxisRange(axis, first, second);
        QCOMPARE(axis.minimum, minimum);
        QCOMPARE(axis.maximum, maximum);
        QVERIFY(!axis.automatic && !axis.automaticMinimum && !axis.automaticMaximum);
    }

    void ticksUseReadableSteps() {
        double step = 0;
        const auto ticks = NiceTicks(0.013, 0.07, 400, 70, 0.0, &step);
        QCOMPARE(step, 0.01);
        QCOMPARE(ticks.front(), 0.02);
        NiceTicks(-1000, 1000, 500, 70, 0.0, &step);
        QCOMPARE(step, 500.0);
        NiceTicks(0, 1e-7, 300, 28, 0.0001, &step);
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
        TLineSeries *s = m_chart->Series(1);
        for (int k = 0; k <= 50; ++k)
            s->AddPoint(k, lowest + (1.0 - lowest) * k / 50.0, Qt::red);
        s->setPointerVisible(markers);
        const QStringList labels = m_chart->axisLabels(TChart::LeftAxis);
        QCOMPARE(labels.contains("0,0"), zeroLabelled);
        QCOMPARE(labels.contains("1,0"), true);
        QVERIFY(!labels.contains("-0,1") && !labels.contains("1,1"));
    }

    void captionsTakeRoomWithoutChangingTheAxes() {
        const ChartLayout before = m_chart->layoutFor(m_chart->size());
        const Range x = m_chart->visibleRange(TChart::BottomAxis);
        const Range y = m_chart->visibleRange(TChart::LeftAxis);
        const QImage plain = m_chart->renderImage();
        m_chart->setAxisCaptions("отсчёт", "амплитуда");
        const ChartLayout after = m_chart->layoutFor(m_chart->size());
        const QFontMetrics metrics(m_chart->font());
        QVERIFY(after.plot.bottom() <= before.plot.bottom() - metrics.height());
        QVERIFY(after.plot.left() >= before.plot.left() + metrics.height());
        QCOMPARE(after.plot.top(), before.plot.top());
        QCOMPARE(after.plot.right(), before.plot.right());
        QCOMPARE(m_chart->visibleRange(TChart::BottomAxis), x);
        QCOMPARE(m_chart->visibleRange(TChart::LeftAxis), y);

        // Ink below the bottom labels and left of the left labels, where the plain chart has none,
        // with a clear row and column between it and the frame.
        const QImage captioned = m_chart->renderImage();
        auto inkAt = [](const QImage &image, QRect area) {
            std::vector<int> rows, columns;
            for (int r = area.top(); r <= area.bottom(); ++r)
                for (int c = area.left(); c <= area.right(); ++c)
                    if (qGray(image.pixel(c, r)) < 100) {
                        rows.push_back(r);
                        columns.push_back(c);
                    }
            return std::pair{rows, columns};
        };
        const int h = m_chart->height();
        for (const auto &[layout, image, expectInk] :
             {std::tuple{before, plain, false}, std::tuple{after, captioned, true}}) {
            const int labelsBottom = layout.bottomAxisY + 2 + 3 + metrics.height();
            const QRect under(layout.xMinimumPixel, labelsBottom, layout.xMaximumPixel - layout.xMinimumPixel,
                              h - 1 - labelsBottom);
            const auto [rows, columns] = inkAt(image, under);
            Q_UNUSED(columns);
            QCOMPARE(!rows.empty(), expectInk);
            if (expectInk)
                QVERIFY(*std::max_element(rows.begin(), rows.end()) < h - 2);
            int widest = 0;
            for (const QString &label : m_chart->axisLabels(TChart::LeftAxis))
                widest = std::max(widest, metrics.horizontalAdvance(label));
            const int labelsLeft = layout.leftAxisX - 2 - 3 - widest;
            const QRect beside(1, layout.yMaximumPixel, labelsLeft - 2, layout.yMinimumPixel - layout.yMaximumPixel);
            const auto [besideRows, besideColumns] = inkAt(image, beside);
            Q_UNUSED(besideRows);
            QCOMPARE(!besideColumns.empty(), expectInk);
            if (expectInk)
                QVERIFY(*std::min_element(besideColumns.begin(), besideColumns.end()) > 1);
        }
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
        QVERIFY(m_chart->Zoomed());
        QVERIFY(m_chart->hasSavedAxes());
        QVERIFY(near(m_chart->visibleRange(TChart::BottomAxis), {x.toValue(from.x()), x.toValue(to.x())}, 1e-9));
        QVERIFY(near(m_chart->visibleRange(TChart::LeftAxis), {y.toValue(to.y()), y.toValue(from.y())}, 1e-9));
        // The animation repaints seven frames before the release is done.
        QVERIFY(counter.paints >= TChart::AnimationFrames);
    }

    void reverseDragUndoesTheZoom() {
        drag(m_chart.get(), Qt::LeftButton, {100, 80}, {300, 250});
        QVERIFY(m_chart->Zoomed());
        drag(m_chart.get(), Qt::LeftButton, {300, 250}, {200, 150});
        QVERIFY(!m_chart->Zoomed());
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
        QVERIFY(!m_chart->Zoomed());
        QVERIFY(!m_chart->hasSavedAxes());
        QCOMPARE(m_chart->visibleRange(TChart::BottomAxis), Range(0, 100));
    }

    void oneUndoReturnsToTheViewBeforeTwoZooms() {
        drag(m_chart.get(), Qt::LeftButton, {100, 80}, {400, 300});
        const auto firstZoom = m_chart->visibleRange(TChart::BottomAxis);
        drag(m_chart.get(), Qt::LeftButton, {150, 100}, {300, 200});
        QVERIFY(m_chart->visibleRange(TChart::BottomAxis) != firstZoom);
        m_chart->UndoZoom();
        QCOMPARE(m_chart->visibleRange(TChart::BottomAxis), Range(0, 100));
        QCOMPARE(m_chart->visibleRange(TChart::LeftAxis), Range(0, 50));
        QVERIFY(!m_chart->Zoomed());
    }

    void undoWithoutZoomChangesNothingVisible() {
        const QImage before = m_chart->renderImage();
        m_chart->UndoZoom();
        QCOMPARE(m_chart->renderImage(), before);
    }

    void refilledSeriesKeepTheZoomedRanges() {
        drag(m_chart.get(), Qt::LeftButton, {100, 80}, {400, 300});
        const auto zoomed = m_chart->visibleRange(TChart::BottomAxis);
        line()->ClearPoints();
        for (int i = -500; i <= 500; ++i)
            line()->AddPoint(i, 0, Qt::black);
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
        m_chart->UndoZoom();
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

    void pointAddedLeftOfAllIsNotJoinedToThePreviousOne() {
        line()->ClearPoints();
        line()->AddPoint(10, 0, Qt::red);
        line()->AddPoint(20, 0, Qt::red);
        line()->AddPoint(0, 10, Qt::blue);
        const QImage image = m_chart->renderImage();
        // The segment from the new point goes to (10, 0) and takes that point's colour.
        QCOMPARE(QColor(image.pixel(pixelOf(5, 5))), QColor(Qt::red));
        // Nothing joins (20, 0), added before it, to the new point.
        const QRgb between = image.pixel(pixelOf(10, 5));
        QVERIFY(between != QColor(Qt::red).rgb() && between != QColor(Qt::blue).rgb());
    }

    void markersReachTheirSizeFromThePoint_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("size 1") << 1;
        QTest::newRow("size 2") << 2;
        QTest::newRow("size 4") << 4;
    }

    void markersReachTheirSizeFromThePoint() {
        QFETCH(int, size);
        line()->ClearPoints();
        line()->AddPoint(0, 0, Qt::black);
        line()->AddPoint(10, 10, Qt::black);
        line()->AddPoint(5, 5, QColor(0, 0, 255)); // in the middle of the line
        line()->setPointerVisible(true);
        line()->setPointerSize(size, size);
        const QImage image = m_chart->renderImage();
        const QPoint p = pixelOf(5, 5);
        const QRgb blue = qRgb(0, 0, 255);
        QCOMPARE(image.pixel(p + QPoint(size, size)) & 0xffffff, blue & 0xffffff);
        QCOMPARE(image.pixel(p + QPoint(-size, size)) & 0xffffff, blue & 0xffffff);
        QVERIFY((image.pixel(p + QPoint(size + 1, -size - 1)) & 0xffffff) != (blue & 0xffffff));
        QVERIFY((image.pixel(p + QPoint(-size - 1, size + 1)) & 0xffffff) != (blue & 0xffffff));
        line()->setPointerVisible(false);
        const QImage plain = m_chart->renderImage();
        QVERIFY((plain.pixel(p + QPoint(size, -size)) & 0xffffff) != (blue & 0xffffff));
    }

    void savedPictureIsTheZoomedViewAtTheChartsSize() {
        drag(m_chart.get(), Qt::LeftButton, {100, 80}, {400, 300});
        QTemporaryDir dir;
        const QString name = dir.filePath("picture"); // no extension
        QVERIFY(m_chart->SavePictureToFile(name));
        QVERIFY(QFile::exists(name));
        QImageReader reader(name);
        QCOMPARE(reader.format(), QByteArray("bmp"));
        const QImage saved = reader.read();
        QCOMPARE(saved.size(), m_chart->size());
        QCOMPARE(saved.convertToFormat(QImage::Format_RGB32), m_chart->renderImage());
    }

    void unwritablePictureIsReported() {
        QVERIFY(!m_chart->SavePictureToFile("/nonexistent-folder/picture.bmp"));
        QCOMPARE(platform().messages.size(), std::size_t(1));
        QCOMPARE(platform().messages[0].text, QString("Unable to write to /nonexistent-folder/picture.bmp.\nнет такого файла или папки"));
    }

    void pictureMenuOffersClipboardAndFile() {
        const auto actions = m_chart->popupMenu()->actions();
        QCOMPARE(actions.size(), 7); // then "в CSV файл", "в PNG файл", "в SVG файл"
        QCOMPARE(actions[0]->text(), QString("Сохранить картинку"));
        QVERIFY(actions[1]->isSeparator());
        QCOMPARE(actions[2]->text(), QString("в буфер обмена"));
        QCOMPARE(actions[3]->text(), QString("в граф. файл"));
        QCOMPARE(actions[3]->objectName(), QString("SaveToBMPFileN6"));

        actions[2]->trigger();
        QCOMPARE(QApplication::clipboard()->image().size(), m_chart->size());

        QTemporaryDir dir;
        const QString name = dir.filePath("chart.bmp");
        platform().dialogAnswers = {std::nullopt, name};
        actions[3]->trigger(); // cancelled
        QVERIFY(!QFile::exists(name));
        actions[3]->trigger();
        QVERIFY(QFile::exists(name));
        QCOMPARE(platform().dialogRequests.size(), std::size_t(2));
        const auto &request = platform().dialogRequests[0];
        QCOMPARE(request.title, QString("Записаь картинку в файл"));
        QCOMPARE(request.fileName, QString("NoName.bmp"));
        QCOMPARE(request.filter, QString("Bitmaps (*.bmp)"));
        QVERIFY(request.defaultSuffix.isEmpty());
        // The dialog previewed the picture it was about to write.
        QCOMPARE(platform().previews.size(), std::size_t(2));
        QCOMPARE(platform().previews[1], m_chart->renderImage());
    }

    // ---- The right axis, gaps and floors ---------------------------------------------------

    // A series on the right axis gets that axis' own automatic range; the left one keeps the
    // range of the series that stay on it, and the plot makes room for the right labels.
    void rightAxisHasItsOwnRangeAndLabels() {
        const ChartLayout single = m_chart->layoutFor(m_chart->size());
        TLineSeries *right = m_chart->Series(1);
        right->setOnRightAxis(true);
        // No points on it yet: it follows the left axis meanwhile.
        QVERIFY(!m_chart->rightAxisShown());
        QCOMPARE(m_chart->visibleRange(TChart::RightAxis), Range(0, 50));
        for (int i = 0; i <= 10; ++i)
            right->AddPoint(i * 10, 1000 + 100 * i, Qt::red);
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
        TLineSeries *right = m_chart->Series(1);
        right->setOnRightAxis(true);
        right->setScaleFloor(floor);
        right->AddPoint(0, 10, Qt::red);
        right->AddPoint(50, y, Qt::red);
        right->AddPoint(100, 20, Qt::red);
        QCOMPARE(m_chart->visibleRange(TChart::RightAxis), range);
        QCOMPARE(m_chart->visibleRange(TChart::BottomAxis), Range(0, 100)); // a gap keeps its place on x
    }

    // No segment runs to or from a gap, and the gap has no marker; the points beside it keep
    // their markers. In the CSV a gap is an empty cell.
    void gapBreaksTheLine() {
        line()->ClearPoints();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double ys[] = {10, 10, nan, 10, 10};
        for (int i = 0; i < 5; ++i)
            line()->AddPoint(i * 25, ys[i], Qt::blue);
        m_chart->Series(1)->AddPoint(0, 0, Qt::red);
        m_chart->Series(1)->AddPoint(100, 20, Qt::red);
        m_chart->Series(1)->setActive(false);
        const QImage image = m_chart->renderImage();
        const QRgb blue = QColor(Qt::blue).rgb();
        QVERIFY(inkNear(image, pixelOf(12.5, 10), blue));
        QVERIFY(inkNear(image, pixelOf(87.5, 10), blue));
        QVERIFY(!inkNear(image, pixelOf(37.5, 10), blue));
        QVERIFY(!inkNear(image, pixelOf(62.5, 10), blue));
        QCOMPARE(m_chart->dataCsv().split('\n')[3], QString("50,"));
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
        TLineSeries *right = m_chart->Series(1);
        right->setOnRightAxis(true);
        for (int i = 0; i <= 10; ++i)
            right->AddPoint(i * 10, -1000.0 * i, Qt::red);
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
        m_chart->UndoZoom();
        QCOMPARE(m_chart->visibleRange(TChart::LeftAxis), Range(0, 50));
        QCOMPARE(m_chart->visibleRange(TChart::RightAxis), Range(-10000, 0));
    }

    void dataCsvHasOneColumnPerActiveSeries_data() {
        QTest::addColumn<bool>("sharedX");
        QTest::addColumn<bool>("secondActive");
        QTest::addColumn<QString>("expected");
        QTest::newRow("shared x, one x column")
            << true << true << "Индекс,Сигнал,\"Отклик, желаемый\"\n0,0,1\n1,0.5,0.10000000000000001\n";
        QTest::newRow("different x, a column pair per series")
            << false << true
            << "Индекс (Сигнал),Сигнал,\"Индекс (Отклик, желаемый)\",\"Отклик, желаемый\"\n0,0,-5,1\n1,0.5,,\n";
        QTest::newRow("hidden series left out") << true << false << "Индекс,Сигнал\n0,0\n1,0.5\n";
    }

    void dataCsvHasOneColumnPerActiveSeries() {
        QFETCH(bool, sharedX);
        QFETCH(bool, secondActive);
        QFETCH(QString, expected);
        line()->ClearPoints();
        line()->AddPoint(0, 0, Qt::black);
        line()->AddPoint(1, 0.5, Qt::black);
        TLineSeries *second = m_chart->Series(1);
        second->AddPoint(sharedX ? 0 : -5, 1, Qt::red);
        if (sharedX)
            second->AddPoint(1, 0.1, Qt::red);
        second->setActive(secondActive);
        m_chart->setCsvXHeader("Индекс");
        line()->setCaption("Сигнал");
        second->setCaption("Отклик, желаемый"); // a comma in a caption is quoted
        QCOMPARE(m_chart->dataCsv(), expected);
    }

    void menuWritesDataAndPictures() {
        const auto actions = m_chart->popupMenu()->actions();
        QCOMPARE(actions[4]->text(), QString("в CSV файл"));
        QCOMPARE(actions[5]->text(), QString("в PNG файл"));
        QCOMPARE(actions[6]->text(), QString("в SVG файл"));
        QTemporaryDir dir;
        const QString csv = dir.filePath("data.csv");
        const QString png = dir.filePath("chart.png");
        const QString svg = dir.filePath("chart.svg");
        platform().dialogAnswers = {csv, png, std::nullopt, svg};
        actions[4]->trigger();
        actions[5]->trigger();
        actions[6]->trigger(); // cancelled
        QVERIFY(!QFile::exists(svg));
        actions[6]->trigger();

        QFile data(csv);
        QVERIFY(data.open(QIODevice::ReadOnly));
        const QList<QByteArray> rows = data.readAll().split('\n');
        QCOMPARE(rows[0], QByteArray("x,Series1")); // Series2 has no points: no column
        QCOMPARE(rows.size(), 101 + 2);             // header, 101 points, the final empty piece
        QCOMPARE(rows[101], QByteArray("100,50"));

        QImageReader reader(png);
        QCOMPARE(reader.format(), QByteArray("png"));
        QCOMPARE(reader.read().convertToFormat(QImage::Format_RGB32), m_chart->renderImage());

        QSvgRenderer vector(svg);
        QVERIFY(vector.isValid());
        QCOMPARE(vector.viewBox(), QRect(QPoint(0, 0), m_chart->size()));
        QFile svgFile(svg);
        QVERIFY(svgFile.open(QIODevice::ReadOnly));
        QVERIFY(svgFile.readAll().contains("<polyline"));
        QCOMPARE(platform().dialogRequests[2].filter, QString("SVG (*.svg)"));
        QVERIFY(!QFile::exists(dir.filePath("unwritten")));
    }

    void rightClickOpensTheMenu() {
        sendMouse(m_chart.get(), QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, {200, 150});
        sendMouse(m_chart.get(), QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, {200, 150});
        QTRY_VERIFY(m_chart->popupMenu()->isVisible());
        m_chart->popupMenu()->hide();
    }
};

QObject *makeChartTest() {
    return new ChartTest;
}

#include "test_chart.moc"
