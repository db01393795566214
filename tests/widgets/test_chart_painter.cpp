#include <QFontMetrics>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <tuple>
#include <vector>

#include "chart_fixture.h"
#include "ui/widgets/chart_painter.h"

using namespace pulsefir::ui;
using namespace pulsefir::ui::widgets;

namespace {

// Ink: a colour clearly off the white-to-aqua background, whose green and blue are full.
bool isInk(QRgb color) {
    return qGreen(color) < 160 || qBlue(color) < 160;
}

// The ink pixels of `a` inside `area` that have no ink within `reach` pixels in `b`.
int inkWithoutCounterpart(const QImage &a, const QImage &b, QRect area, int reach) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!isInk(a.pixel(x, y)))
                continue;
            bool found = false;
            for (int dy = -reach; dy <= reach && !found; ++dy)
                for (int dx = -reach; dx <= reach && !found; ++dx)
                    found = b.rect().contains(x + dx, y + dy) && isInk(b.pixel(x + dx, y + dy));
            count += !found;
        }
    return count;
}

// The pixels of `a` inside `area` amid a 3 x 3 block of one colour (inside a marker or a wide
// line) where `b` has another colour.
int solidColourChanged(const QImage &a, const QImage &b, QRect area) {
    int count = 0;
    for (int y = area.top() + 1; y < area.bottom(); ++y)
        for (int x = area.left() + 1; x < area.right(); ++x) {
            const QRgb c = a.pixel(x, y);
            bool solid = isInk(c);
            for (int dy = -1; dy <= 1 && solid; ++dy)
                for (int dx = -1; dx <= 1 && solid; ++dx)
                    solid = a.pixel(x + dx, y + dy) == c;
            count += solid && b.pixel(x, y) != c;
        }
    return count;
}

// A curve given in fractions of the plot area, x from its left and y from its bottom edge.
using Curve = QList<QPointF>;

// A scene of `size` whose axes run 0..1 over the plot area, with a legend naming `series`.
ChartScene fractionScene(QSize size, const std::vector<const TLineSeries *> &series) {
    ChartScene scene;
    scene.size = size;
    scene.layout = ChartLayout::compute(size, 40, 30);
    const QRect plot = scene.layout.plot;
    scene.x = AxisMapping(0, 1, plot.left(), plot.right());
    scene.left = AxisMapping(0, 1, plot.bottom(), plot.top());
    scene.right = scene.left;
    scene.legend = true;
    scene.series = series;
    return scene;
}

// Which corner of the legend's room a box stands in: 0 upper right, 1 upper left, 2 lower
// right, 3 lower left, -1 none.
int cornerOf(const QRect &box, const QRect &room) {
    const bool top = box.top() == room.top();
    const bool bottom = box.bottom() == room.bottom();
    const bool left = box.left() == room.left();
    const bool right = box.right() == room.right();
    if (top && right)
        return 0;
    if (top && left)
        return 1;
    if (bottom && right)
        return 2;
    if (bottom && left)
        return 3;
    return -1;
}

} // namespace

class ChartPainterTest : public ChartFixture {
    Q_OBJECT

  private slots:
    void init() { QVERIFY(createChart()); }
    void cleanup() { destroyChart(); }

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

    void pointAddedLeftOfAllIsNotJoinedToThePreviousOne() {
        line()->clearPoints();
        line()->addPoint(10, 0, Qt::red);
        line()->addPoint(20, 0, Qt::red);
        line()->addPoint(0, 10, Qt::blue);
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
        line()->clearPoints();
        line()->addPoint(0, 0, Qt::black);
        line()->addPoint(10, 10, Qt::black);
        line()->addPoint(5, 5, QColor(0, 0, 255)); // in the middle of the line
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

    // No segment runs to or from a gap, and the gap has no marker; the points beside it keep
    // their markers. In the CSV a gap is an empty cell.
    void gapBreaksTheLine() {
        line()->clearPoints();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double ys[] = {10, 10, nan, 10, 10};
        for (int i = 0; i < 5; ++i)
            line()->addPoint(i * 25, ys[i], Qt::blue);
        m_chart->series(1)->addPoint(0, 0, Qt::red);
        m_chart->series(1)->addPoint(100, 20, Qt::red);
        m_chart->series(1)->setActive(false);
        const QImage image = m_chart->renderImage();
        const QRgb blue = QColor(Qt::blue).rgb();
        QVERIFY(inkNear(image, pixelOf(12.5, 10), blue));
        QVERIFY(inkNear(image, pixelOf(87.5, 10), blue));
        QVERIFY(!inkNear(image, pixelOf(37.5, 10), blue));
        QVERIFY(!inkNear(image, pixelOf(62.5, 10), blue));
        QCOMPARE(m_chart->dataCsv().split('\n')[3], QString("50,"));
    }

    // The legend goes to the corner of the plot where it hides the least of the curves: lines
    // count by their length inside the box, so a line crossing a corner between two distant
    // points hides it as a dense curve does; with every corner free it stays upper right.
    void legendTakesTheCornerHidingTheLeast_data() {
        QTest::addColumn<QList<Curve>>("curves");
        QTest::addColumn<int>("corner");
        auto sampled = [](auto y) {
            Curve c;
            for (int i = 0; i <= 200; ++i)
                c << QPointF(i / 200.0, y(i / 200.0));
            return c;
        };
        QTest::newRow("a flat line in the middle: upper right")
            << QList<Curve>{sampled([](double) { return 0.5; })} << 0;
        QTest::newRow("rising to the upper right: upper left")
            << QList<Curve>{sampled([](double x) { return x; })} << 1;
        QTest::newRow("high at both ends: lower right")
            << QList<Curve>{sampled([](double x) { return std::abs(2 * x - 1); })} << 2;
        // The room keeps 6 px from the plot's edges: a line along an edge (0 or 1) passes
        // under no box, one at 0.05 or 0.95 under the boxes of that side.
        const Curve top = sampled([](double) { return 0.95; });
        const Curve lowerRight{{0.5, 0.05}, {1.0, 0.05}};
        QTest::newRow("three corners under two curves: lower left") << QList<Curve>{top, lowerRight} << 3;
        QTest::newRow("every corner hidden: the least, a short stub")
            << QList<Curve>{top, lowerRight, Curve{{0.0, 0.0}, {0.03, 0.03}}} << 3;
        QTest::newRow("one segment across a corner, no point in it")
            << QList<Curve>{Curve{{0.5, 1.0}, {1.0, 0.9}}} << 1;
        // Stubs in three corners; the fourth is free unless a line were drawn across the gap.
        const double gap = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("no line across a gap")
            << QList<Curve>{Curve{{0.0, 0.0}, {0.03, 0.03}}, Curve{{0.0, 1.0}, {0.03, 0.97}},
                            Curve{{0.97, 0.03}, {1.0, 0.0}}, Curve{{0.5, 1.0}, {0.8, gap}, {1.0, 0.9}}}
            << 0;
    }

    void legendTakesTheCornerHidingTheLeast() {
        QFETCH(QList<Curve>, curves);
        QFETCH(int, corner);
        std::vector<std::unique_ptr<TLineSeries>> owned;
        std::vector<const TLineSeries *> series;
        for (const Curve &curve : curves) {
            owned.push_back(std::make_unique<TLineSeries>("Series", Qt::gray, nullptr));
            for (const QPointF &p : curve)
                owned.back()->addPoint(p.x(), p.y(), Qt::black);
            series.push_back(owned.back().get());
        }
        const ChartScene scene = fractionScene(QSize(600, 400), series);
        const QRect room = legendRoom(scene);
        const QRect box = legendRect(scene);
        QVERIFY(box.width() < room.width() / 3 && box.height() < room.height() / 3);
        QCOMPARE(cornerOf(box, room), corner);
    }

    // What a box hides of a curve: the length of its lines inside the box, and one for each
    // point inside; nothing across a gap. Pixels equal values here; the box spans 5..15 both ways.
    void legendCoverageIsTheLengthOfLinesInTheBox_data() {
        QTest::addColumn<Curve>("curve");
        QTest::addColumn<double>("covered");
        const double gap = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("across") << Curve{{2, 8}, {20, 8}} << 10.0;
        QTest::newRow("diagonally") << Curve{{0, 0}, {20, 20}} << 10 * std::sqrt(2.0);
        QTest::newRow("from a point inside") << Curve{{9, 8}, {30, 8}} << 6.0 + 1;
        QTest::newRow("into a point inside") << Curve{{0, 20}, {12, 8}} << 1.0 + 7 * std::hypot(12, 12) / 12;
        QTest::newRow("vertically") << Curve{{8, 2}, {8, 30}} << 10.0;
        QTest::newRow("vertically beside it") << Curve{{16, 0}, {16, 30}} << 0.0;
        QTest::newRow("passing below") << Curve{{0, 16}, {30, 17}} << 0.0;
        QTest::newRow("across a corner") << Curve{{0, 12}, {12, 0}} << 2 * std::sqrt(2.0);
        QTest::newRow("ending short of it") << Curve{{0, 8}, {4, 8}} << 0.0;
        QTest::newRow("a gap inside") << Curve{{0, 8}, {10, gap}, {20, 8}} << 0.0;
        QTest::newRow("lone points on its edges") << Curve{{5, gap}, {5, 8}, {10, gap}, {15, 8}, {16, gap}} << 2.0;
    }

    void legendCoverageIsTheLengthOfLinesInTheBox() {
        QFETCH(Curve, curve);
        QFETCH(double, covered);
        TLineSeries series("Series", Qt::gray, nullptr);
        for (const QPointF &p : curve)
            series.addPoint(p.x(), p.y(), Qt::black);
        ChartScene scene;
        scene.x = scene.left = AxisMapping(0, 1, 0, 1);
        scene.series = {&series};
        // The same box in the four places; a box far off sees nothing.
        std::array<QRect, 4> boxes;
        boxes.fill(QRect(5, 5, 10, 10));
        boxes[3] = QRect(100, 100, 10, 10);
        const std::array<double, 4> result = legendCoverage(scene, boxes);
        for (std::size_t c = 0; c < 3; ++c)
            QVERIFY2(std::abs(result[c] - covered) < 1e-9, qPrintable(QString::number(result[c])));
        QCOMPARE(result[3], 0.0);
    }

    // Wherever the curves send the legend, it leaves every axis' labels readable: the right
    // axis stands inside the plot and its labels reach into it. The labels stand beside their
    // axes, centred on their ticks; the legend draws nothing outside its box, shortening its
    // captions and leaving out rows where its room is short.
    void legendCoversNoAxisLabel_data() {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<bool>("rightAxis");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("extraSeries");
        for (const bool right : {false, true})
            for (const char *shape : {"falling", "rising", "valley", "ridge"})
                QTest::addRow("%s%s", shape, right ? ", right axis" : "")
                    << QString(shape) << right << QSize(600, 400) << 0;
        QTest::newRow("falling, right axis, small chart") << QString("falling") << true << QSize(300, 220) << 0;
        QTest::newRow("ten series in a short room") << QString("falling") << true << QSize(300, 200) << 8;
    }

    void legendCoversNoAxisLabel() {
        QFETCH(QString, shape);
        QFETCH(bool, rightAxis);
        QFETCH(QSize, size);
        QFETCH(int, extraSeries);
        m_chart->resize(size);
        m_chart->setAxisCaptions("время [мкс]", "амплитуда");
        line()->clearPoints();
        line()->setCaption("Сигнал после фильтра");
        for (int i = 0; i <= 100; ++i) {
            const double y = shape == "falling"  ? 100 - i
                             : shape == "rising" ? i
                             : shape == "valley" ? std::abs(2 * i - 100)
                                                 : 100 - std::abs(2 * i - 100);
            line()->addPoint(i, y, Qt::black);
        }
        TLineSeries *second = m_chart->series(1);
        if (rightAxis) {
            for (int i = 0; i <= 100; ++i)
                second->addPoint(i, -12345.5 + std::sin(i * 0.1), Qt::red);
            second->setOnRightAxis(true);
            m_chart->setRightAxisCaption("задержка [мкс]");
        }
        for (int k = 0; k < extraSeries; ++k) {
            TLineSeries *flat = m_chart->addSeries("Extra", Qt::gray);
            flat->setCaption("Групповая задержка после фильтра");
            flat->addPoint(40, 45 + k, Qt::blue);
            flat->addPoint(60, 45 + k, Qt::blue);
        }
        QCOMPARE(m_chart->rightAxisShown(), rightAxis);
        const QImage plain = m_chart->renderImage();
        m_chart->setLegendVisible(true);
        const ChartScene scene = m_chart->scene(m_chart->size());
        const ChartLayout &l = scene.layout;
        const QRect box = legendRect(scene);
        QVERIFY(!box.isEmpty());
        QVERIFY(l.plot.contains(box));
        const std::vector<AxisLabel> labels = axisLabels(scene);
        const std::size_t left = scene.leftTicks.values.size();
        const std::size_t bottom = scene.xTicks.values.size();
        QCOMPARE(labels.size(), left + bottom + scene.rightTicks.values.size());
        QVERIFY(left >= 3 && bottom >= 3 && (!rightAxis || scene.rightTicks.values.size() >= 3));
        const QImage image = m_chart->renderImage();
        for (std::size_t k = 0; k < labels.size(); ++k) {
            const QRect &at = labels[k].box;
            QVERIFY2(!at.intersects(box), qPrintable(labels[k].text));
            int ink = 0;
            for (int y = at.top(); y <= at.bottom(); ++y)
                for (int x = at.left(); x <= at.right(); ++x)
                    ink += qGreen(image.pixel(x, y)) < 100;
            QVERIFY2(ink > 3, qPrintable(labels[k].text));
            if (k < left) {
                QVERIFY(at.right() < l.leftAxisX - TickLength);
                QVERIFY(std::abs(at.center().y() - scene.left.toPixel(scene.leftTicks.values[k])) <= 3);
            } else if (k < left + bottom) {
                QVERIFY(at.top() > l.bottomAxisY + TickLength);
                QVERIFY(std::abs(at.center().x() - scene.x.toPixel(scene.xTicks.values[k - left])) <= 1);
            } else {
                QVERIFY(at.left() > l.rightAxisX + TickLength);
                QVERIFY(std::abs(at.center().y() - scene.right.toPixel(scene.rightTicks.values[k - left - bottom])) <=
                        3);
            }
        }
        // The box drawn is the one placed, and nothing of the legend lies outside it.
        QCOMPARE(image.pixel(box.topLeft()), QColor(Qt::black).rgb());
        QCOMPARE(image.pixel(box.right() - 2, box.bottom() - 2), QColor(Qt::white).rgb());
        int changed = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                changed += !box.contains(x, y) && image.pixel(x, y) != plain.pixel(x, y);
        QCOMPARE(changed, 0);
    }

    // A dashed series inks part of its line, a solid one all of it; the legend's sample is
    // stroked like its curve.
    void dashedLineAndItsLegendSampleHaveGaps_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("width");
        QTest::newRow("solid") << int(Qt::SolidLine) << 1;
        QTest::newRow("dashed") << int(Qt::DashLine) << 1;
        QTest::newRow("dashed, 3 px") << int(Qt::DashLine) << 3;
    }

    void dashedLineAndItsLegendSampleHaveGaps() {
        QFETCH(int, style);
        QFETCH(int, width);
        const bool dashed = style != Qt::SolidLine;
        line()->clearPoints();
        for (int i = 0; i <= 100; ++i)
            line()->addPoint(i, 0.0, Qt::blue);
        line()->setLineStyle(static_cast<Qt::PenStyle>(style));
        line()->setLineWidth(width);
        m_chart->setLegendVisible(true);
        const QImage image = m_chart->renderImage();
        // The share of blue pixels from `from` to `to` in the bluest row within one of `y`.
        auto inkShare = [&](int y, int from, int to) {
            int most = 0;
            for (int row = y - 1; row <= y + 1; ++row) {
                int blue = 0;
                for (int x = from; x < to; ++x)
                    blue += image.pixel(x, row) == QColor(Qt::blue).rgb();
                most = std::max(most, blue);
            }
            return double(most) / (to - from);
        };
        const double curve = inkShare(pixelOf(0, 0).y(), pixelOf(20, 0).x(), pixelOf(80, 0).x());
        QVERIFY2(dashed ? curve > 0.3 && curve < 0.9 : curve == 1.0, qPrintable(QString::number(curve)));
        const QRect box = legendRect(m_chart->scene(m_chart->size()));
        const QFontMetrics metrics(m_chart->font());
        // The sample runs 20 px from 4 px inside the box, on the middle of its caption's line.
        const double sample = inkShare(box.top() + 4 + metrics.height() / 2, box.left() + 5, box.left() + 23);
        QVERIFY2(dashed ? sample > 0.3 && sample < 0.9 : sample == 1.0, qPrintable(QString::number(sample)));
    }

    void svgShowsWhatTheRasterShows_data() {
        QTest::addColumn<QString>("view");
        QTest::newRow("a line") << "line";
        QTest::newRow("markers of two sizes, a wide line") << "markers";
        QTest::newRow("right axis and captions") << "right";
        QTest::newRow("gaps") << "gaps";
        QTest::newRow("zoomed, lines leave the plot") << "zoomed";
        QTest::newRow("dashed lines") << "dashed";
    }

    // The SVG, drawn at the chart's size, has the raster's lines and markers where the raster
    // has them and nothing else; its renderer smooths edges, so a line may lie one pixel aside.
    // The labels stay out: the SVG writes its text at its own resolution.
    void svgShowsWhatTheRasterShows() {
        QFETCH(QString, view);
        TLineSeries *second = m_chart->series(1);
        const double nan = std::numeric_limits<double>::quiet_NaN();
        if (view == "markers") {
            line()->setPointerVisible(true);
            line()->setPointerSize(1, 2);
            for (int i = 0; i <= 20; ++i)
                second->addPoint(i * 5, 50 - i * 2.5, i % 2 ? QColor(Qt::blue) : QColor(Qt::red));
            second->setPointerVisible(true);
            second->setPointerSize(3, 3);
            second->setLineWidth(2);
        } else if (view == "right") {
            for (int i = 0; i <= 20; ++i)
                second->addPoint(i * 5, -40.0 * i, Qt::red);
            second->setOnRightAxis(true);
            m_chart->setAxisCaptions("время, мкс", "амплитуда");
            m_chart->setRightAxisCaption("уровень, дБ");
        } else if (view == "gaps") {
            line()->clearPoints();
            for (int i = 0; i <= 100; ++i)
                line()->addPoint(i, i % 10 == 5 ? nan : std::sin(i * 0.2), Qt::blue);
        } else if (view == "dashed") {
            line()->setLineStyle(Qt::DashLine);
            for (int i = 0; i <= 20; ++i)
                second->addPoint(i * 5, 45 - i * 2, Qt::red);
            second->setLineStyle(Qt::DashLine);
            second->setLineWidth(2);
        } else if (view == "zoomed") {
            line()->setPointerVisible(true);
            m_chart->zoomTo(QRect(200, 100, 120, 80));
        }
        QTemporaryDir dir;
        const QString file = dir.filePath("chart.svg");
        QVERIFY(m_chart->savePictureToSvgFile(file));
        const QImage raster = m_chart->renderImage();
        QImage vector(raster.size(), QImage::Format_RGB32);
        vector.fill(Qt::white);
        QSvgRenderer renderer(file);
        QPainter painter(&vector);
        renderer.render(&painter);
        painter.end();

        // Inside the back wall, left of the right axis' labels.
        const ChartLayout layout = m_chart->layoutFor(m_chart->size());
        QRect area = layout.plot.adjusted(1, 1, -1, -1);
        if (m_chart->rightAxisShown())
            area.setRight(layout.rightAxisX - 1);
        QCOMPARE(inkWithoutCounterpart(raster, vector, area, 1), 0);
        QCOMPARE(inkWithoutCounterpart(vector, raster, area, 1), 0);
        QCOMPARE(solidColourChanged(raster, vector, area), 0);
        QCOMPARE(solidColourChanged(vector, raster, area), 0);
    }
};

QObject *makeChartPainterTest() {
    return new ChartPainterTest;
}

#include "test_chart_painter.moc"
