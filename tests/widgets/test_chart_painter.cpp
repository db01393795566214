#include <QFontMetrics>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <limits>
#include <tuple>
#include <vector>

#include "chart_fixture.h"

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

    void svgShowsWhatTheRasterShows_data() {
        QTest::addColumn<QString>("view");
        QTest::newRow("a line") << "line";
        QTest::newRow("markers of two sizes, a wide line") << "markers";
        QTest::newRow("right axis and captions") << "right";
        QTest::newRow("gaps") << "gaps";
        QTest::newRow("zoomed, lines leave the plot") << "zoomed";
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
