#include "chart_painter.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

#include "ui/widgets/chart_series.h"

namespace pulsefir::ui::widgets {

namespace {

constexpr QRgb Aqua = qRgb(0, 255, 255);
// Coordinates far outside the picture are held here so the rasteriser never sees huge numbers.
constexpr double PixelLimit = 1e7;

double limited(double pixel) {
    return std::clamp(pixel, -PixelLimit, PixelLimit);
}

// A series' line: consecutive segments of one colour go out as one polyline, broken at the
// gaps (NaN y). `run` is scratch storage kept between calls.
void drawColourRuns(QPainter &painter, const TLineSeries &series, const AxisMapping &xmap, const AxisMapping &ymap,
                    std::vector<QPointF> &run, bool cosmetic) {
    const auto &points = series.points();
    std::size_t k = 1;
    while (k < points.size()) {
        if (std::isnan(points[k - 1].y) || std::isnan(points[k].y)) {
            ++k; // no segment to or from a gap
            continue;
        }
        const QRgb color = points[k].color;
        run.clear();
        run.emplace_back(limited(xmap.toPixel(points[k - 1].x)), limited(ymap.toPixel(points[k - 1].y)));
        while (k < points.size() && points[k].color == color && !std::isnan(points[k].y)) {
            run.emplace_back(limited(xmap.toPixel(points[k].x)), limited(ymap.toPixel(points[k].y)));
            ++k;
        }
        QPen pen{QColor(color)};
        pen.setWidth(series.lineWidth());
        pen.setCosmetic(cosmetic);
        painter.setPen(pen);
        painter.drawPolyline(run.data(), static_cast<int>(run.size()));
    }
}

// Markers: filled rectangles around the pixel nearest each point; a marker that lands where the
// previous one lay is the same pixels and is not drawn again.
void drawMarkers(QPainter &painter, const TLineSeries &series, const AxisMapping &xmap, const AxisMapping &ymap) {
    const int h = series.pointer().horizSize();
    const int v = series.pointer().vertSize();
    long long lastX = std::numeric_limits<long long>::min();
    long long lastY = 0;
    QRgb lastColor = 0;
    for (const ChartPoint &p : series.points()) {
        const double fx = xmap.toPixel(p.x);
        const double fy = ymap.toPixel(p.y);
        if (!(std::abs(fx) < PixelLimit && std::abs(fy) < PixelLimit))
            continue;
        const long long px = std::llround(fx);
        const long long py = std::llround(fy);
        if (px == lastX && py == lastY && p.color == lastColor)
            continue;
        lastX = px;
        lastY = py;
        lastColor = p.color;
        painter.fillRect(QRect(static_cast<int>(px) - h, static_cast<int>(py) - v, 2 * h + 1, 2 * v + 1),
                         QColor(p.color));
    }
}

void drawCaptions(QPainter &painter, const ChartScene &scene, int widestLeftLabel, int widestRightLabel) {
    const ChartLayout &l = scene.layout;
    const QFontMetrics metrics(scene.font);
    painter.setPen(Qt::black);
    if (!scene.xCaption.isEmpty()) {
        // Centred under the bottom axis' labels; the room was taken from the plot area.
        const int length = l.xMaximumPixel - l.xMinimumPixel;
        const QString text = metrics.elidedText(scene.xCaption, Qt::ElideRight, std::max(length, 0));
        const int centre = (l.xMinimumPixel + l.xMaximumPixel) / 2;
        const int labelsBottom = l.bottomAxisY + TickLength + LabelGap + metrics.height();
        painter.drawText(centre - metrics.horizontalAdvance(text) / 2, labelsBottom + CaptionGap + metrics.ascent(),
                         text);
    }
    if (!scene.yCaption.isEmpty()) {
        // Read from bottom to top, left of the left axis' labels, centred on the axis.
        const int length = l.yMinimumPixel - l.yMaximumPixel;
        const QString text = metrics.elidedText(scene.yCaption, Qt::ElideRight, std::max(length, 0));
        const int centre = (l.yMinimumPixel + l.yMaximumPixel) / 2;
        const int labelsLeft = l.leftAxisX - TickLength - LabelGap - widestLeftLabel;
        painter.save();
        painter.translate(labelsLeft - CaptionGap - metrics.descent(), centre + metrics.horizontalAdvance(text) / 2);
        painter.rotate(-90);
        painter.drawText(0, 0, text);
        painter.restore();
    }
    if (!scene.rightCaption.isEmpty() && scene.rightAxisShown) {
        // Read from bottom to top like the left one, right of the right axis' labels.
        const int length = l.yMinimumPixel - l.yMaximumPixel;
        const QString text = metrics.elidedText(scene.rightCaption, Qt::ElideRight, std::max(length, 0));
        const int centre = (l.yMinimumPixel + l.yMaximumPixel) / 2;
        const int labelsRight = l.rightAxisX + TickLength + LabelGap + widestRightLabel;
        painter.save();
        painter.translate(labelsRight + CaptionGap + metrics.ascent(), centre + metrics.horizontalAdvance(text) / 2);
        painter.rotate(-90);
        painter.drawText(0, 0, text);
        painter.restore();
    }
}

void drawAxes(QPainter &painter, const ChartScene &scene) {
    const ChartLayout &l = scene.layout;
    painter.setFont(scene.font);
    const QFontMetrics metrics(scene.font);
    const std::vector<double> &xticks = scene.xTicks.values;
    const std::vector<double> &yticks = scene.leftTicks.values;

    // Grid, dotted, inside the plot area.
    painter.setPen(QPen(QColor(160, 160, 160), 1, Qt::DotLine));
    for (double t : xticks) {
        const int x = static_cast<int>(std::lround(scene.x.toPixel(t)));
        painter.drawLine(x, l.plot.top(), x, l.plot.bottom());
    }
    for (double t : yticks) {
        const int y = static_cast<int>(std::lround(scene.left.toPixel(t)));
        painter.drawLine(l.plot.left(), y, l.plot.right(), y);
    }

    // Axis lines, ticks and labels.
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(l.leftAxisX, l.plot.top(), l.leftAxisX, l.plot.bottom());
    painter.drawLine(l.plot.left(), l.bottomAxisY, l.plot.right(), l.bottomAxisY);
    int widestLeftLabel = 0;
    for (std::size_t k = 0; k < yticks.size(); ++k) {
        const int y = static_cast<int>(std::lround(scene.left.toPixel(yticks[k])));
        painter.drawLine(l.leftAxisX - TickLength, y, l.leftAxisX, y);
        const QString &text = scene.leftTicks.labels[static_cast<qsizetype>(k)];
        const int w = metrics.horizontalAdvance(text);
        widestLeftLabel = std::max(widestLeftLabel, w);
        painter.drawText(l.leftAxisX - TickLength - LabelGap - w, y + metrics.ascent() / 2 - 1, text);
    }
    for (std::size_t k = 0; k < xticks.size(); ++k) {
        const int x = static_cast<int>(std::lround(scene.x.toPixel(xticks[k])));
        painter.drawLine(x, l.bottomAxisY, x, l.bottomAxisY + TickLength);
        const QString &text = scene.xTicks.labels[static_cast<qsizetype>(k)];
        const int w = metrics.horizontalAdvance(text);
        painter.drawText(x - w / 2, l.bottomAxisY + TickLength + LabelGap + metrics.ascent(), text);
    }
    // The right axis, where a series stands on it: its line, ticks outward and labels right of them.
    int widestRightLabel = 0;
    if (scene.rightAxisShown) {
        const std::vector<double> &rticks = scene.rightTicks.values;
        painter.drawLine(l.rightAxisX, l.plot.top(), l.rightAxisX, l.plot.bottom());
        for (std::size_t k = 0; k < rticks.size(); ++k) {
            const int y = static_cast<int>(std::lround(scene.right.toPixel(rticks[k])));
            painter.drawLine(l.rightAxisX, y, l.rightAxisX + TickLength, y);
            const QString &text = scene.rightTicks.labels[static_cast<qsizetype>(k)];
            widestRightLabel = std::max(widestRightLabel, metrics.horizontalAdvance(text));
            painter.drawText(l.rightAxisX + TickLength + LabelGap, y + metrics.ascent() / 2 - 1, text);
        }
    }
    drawCaptions(painter, scene, widestLeftLabel, widestRightLabel);
}

// Each series against its own vertical axis, clipped to the back wall.
void drawSeries(QPainter &painter, const ChartScene &scene, ChartDevice device) {
    painter.save();
    painter.setClipRect(scene.layout.plot);
    std::vector<QPointF> run;
    for (const TLineSeries *series : scene.series) {
        const AxisMapping &ymap = series->onRightAxis() ? scene.right : scene.left;
        drawColourRuns(painter, *series, scene.x, ymap, run, device == ChartDevice::Raster);
        if (series->pointer().visible())
            drawMarkers(painter, *series, scene.x, ymap);
    }
    painter.restore();
}

} // namespace

namespace {

constexpr int LegendPadding = 4; // px inside the legend's box
constexpr int LegendSample = 20; // px of line shown for each series
constexpr int LegendInset = 6;   // px between the box and the plot's corner

// What the user sees of a series is the colour of its points (its stored colour never shows).
QColor shownColor(const TLineSeries &series) {
    return series.count() > 0 ? QColor(series.point(0).color) : series.seriesColor();
}

void drawLegend(QPainter &painter, const ChartScene &scene) {
    const QRect box = legendRect(scene);
    if (box.isEmpty())
        return;
    const QFontMetrics metrics(scene.font);
    painter.setFont(scene.font);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(box);
    painter.setBrush(Qt::NoBrush);
    int y = box.top() + LegendPadding;
    for (const TLineSeries *series : scene.series) {
        const int middle = y + metrics.height() / 2;
        painter.setPen(QPen(shownColor(*series), std::max(2, series->lineWidth())));
        painter.drawLine(box.left() + LegendPadding, middle, box.left() + LegendPadding + LegendSample, middle);
        painter.setPen(QPen(Qt::black, 1));
        painter.drawText(QPoint(box.left() + 2 * LegendPadding + LegendSample, y + metrics.ascent()),
                         series->caption());
        y += metrics.height();
    }
}

} // namespace

QRect legendRect(const ChartScene &scene) {
    if (!scene.legend || scene.series.empty())
        return {};
    const QFontMetrics metrics(scene.font);
    int widest = 0;
    for (const TLineSeries *series : scene.series)
        widest = std::max(widest, metrics.horizontalAdvance(series->caption()));
    const int width = 3 * LegendPadding + LegendSample + widest;
    const int height = 2 * LegendPadding + metrics.height() * static_cast<int>(scene.series.size());
    const QRect plot = scene.layout.plot;
    return QRect(plot.right() - LegendInset - width, plot.top() + LegendInset, width, height);
}

void paintChart(QPainter &painter, const ChartScene &scene, ChartDevice device) {
    const QRect whole(QPoint(0, 0), scene.size);
    // Background: a vertical gradient from white to aqua; the back wall is transparent.
    QLinearGradient gradient(0, 0, 0, scene.size.height());
    gradient.setColorAt(0, Qt::white);
    gradient.setColorAt(1, QColor(Aqua));
    painter.fillRect(whole, gradient);
    // Frame: a single border line.
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(whole.adjusted(0, 0, -1, -1));
    drawAxes(painter, scene);
    drawSeries(painter, scene, device);
    drawLegend(painter, scene);
}

} // namespace pulsefir::ui::widgets
