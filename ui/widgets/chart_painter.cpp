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
        pen.setStyle(series.lineStyle());
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

int widestLabel(const QFontMetrics &metrics, const QStringList &labels) {
    int widest = 0;
    for (const QString &text : labels)
        widest = std::max(widest, metrics.horizontalAdvance(text));
    return widest;
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

    // Axis lines and ticks; the right axis only where a series stands on it, its ticks outward.
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(l.leftAxisX, l.plot.top(), l.leftAxisX, l.plot.bottom());
    painter.drawLine(l.plot.left(), l.bottomAxisY, l.plot.right(), l.bottomAxisY);
    for (double t : yticks) {
        const int y = static_cast<int>(std::lround(scene.left.toPixel(t)));
        painter.drawLine(l.leftAxisX - TickLength, y, l.leftAxisX, y);
    }
    for (double t : xticks) {
        const int x = static_cast<int>(std::lround(scene.x.toPixel(t)));
        painter.drawLine(x, l.bottomAxisY, x, l.bottomAxisY + TickLength);
    }
    if (scene.rightAxisShown) {
        painter.drawLine(l.rightAxisX, l.plot.top(), l.rightAxisX, l.plot.bottom());
        for (double t : scene.rightTicks.values) {
            const int y = static_cast<int>(std::lround(scene.right.toPixel(t)));
            painter.drawLine(l.rightAxisX, y, l.rightAxisX + TickLength, y);
        }
    }
    for (const AxisLabel &label : axisLabels(scene))
        painter.drawText(label.origin, label.text);
    drawCaptions(painter, scene, widestLabel(metrics, scene.leftTicks.labels),
                 scene.rightAxisShown ? widestLabel(metrics, scene.rightTicks.labels) : 0);
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
constexpr int LegendInset = 6;   // px between the box and the edges of the room it may take

// What the user sees of a series is the colour of its points (its stored colour never shows).
QColor shownColor(const TLineSeries &series) {
    return series.count() > 0 ? QColor(series.point(0).color) : series.seriesColor();
}

// The length in pixels of the segment a-b inside `box` (Liang and Barsky's clipping).
double clippedLength(QPointF a, QPointF b, const QRectF &box) {
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - box.left(), box.right() - a.x(), a.y() - box.top(), box.bottom() - a.y()};
    double enter = 0.0;
    double leave = 1.0;
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0.0) {
            if (q[k] < 0.0)
                return 0.0; // parallel to this edge and outside it
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0.0)
            enter = std::max(enter, t);
        else
            leave = std::min(leave, t);
    }
    return enter < leave ? (leave - enter) * std::hypot(dx, dy) : 0.0;
}

} // namespace

std::vector<AxisLabel> axisLabels(const ChartScene &scene) {
    const ChartLayout &l = scene.layout;
    const QFontMetrics metrics(scene.font);
    std::vector<AxisLabel> labels;
    auto place = [&](const QString &text, int left, int baseline) {
        const int width = metrics.horizontalAdvance(text);
        labels.push_back(
            {text, QPoint(left, baseline), QRect(left, baseline - metrics.ascent(), width, metrics.height())});
    };
    // Vertical axes' labels centred on their ticks: the left ones end short of the tick, the
    // right ones start past it.
    const int middle = metrics.ascent() / 2 - 1;
    for (std::size_t k = 0; k < scene.leftTicks.values.size(); ++k) {
        const QString &text = scene.leftTicks.labels[static_cast<qsizetype>(k)];
        const int y = static_cast<int>(std::lround(scene.left.toPixel(scene.leftTicks.values[k])));
        place(text, l.leftAxisX - TickLength - LabelGap - metrics.horizontalAdvance(text), y + middle);
    }
    for (std::size_t k = 0; k < scene.xTicks.values.size(); ++k) {
        const QString &text = scene.xTicks.labels[static_cast<qsizetype>(k)];
        const int x = static_cast<int>(std::lround(scene.x.toPixel(scene.xTicks.values[k])));
        place(text, x - metrics.horizontalAdvance(text) / 2, l.bottomAxisY + TickLength + LabelGap + metrics.ascent());
    }
    if (scene.rightAxisShown)
        for (std::size_t k = 0; k < scene.rightTicks.values.size(); ++k) {
            const int y = static_cast<int>(std::lround(scene.right.toPixel(scene.rightTicks.values[k])));
            place(scene.rightTicks.labels[static_cast<qsizetype>(k)], l.rightAxisX + TickLength + LabelGap, y + middle);
        }
    return labels;
}

QRect legendRoom(const ChartScene &scene) {
    QRect room = scene.layout.plot;
    // The right axis stands inside the plot and its labels start just past its line.
    if (scene.rightAxisShown)
        room.setRight(std::min(room.right(), scene.layout.rightAxisX - 1));
    return room.adjusted(LegendInset, LegendInset, -LegendInset, -LegendInset);
}

std::array<double, 4> legendCoverage(const ChartScene &scene, const std::array<QRect, 4> &boxes) {
    std::array<QRectF, 4> areas;
    for (std::size_t c = 0; c < 4; ++c)
        areas[c] = QRectF(boxes[c]);
    std::array<double, 4> covered{};
    for (const TLineSeries *series : scene.series) {
        const AxisMapping &ymap = series->onRightAxis() ? scene.right : scene.left;
        QPointF previous;
        bool joined = false; // whether a line runs from the previous point to this one
        for (const ChartPoint &p : series->points()) {
            if (std::isnan(p.y)) {
                joined = false;
                continue;
            }
            const QPointF at(limited(scene.x.toPixel(p.x)), limited(ymap.toPixel(p.y)));
            // Most segments lie far from every corner: their bounds settle it without clipping.
            const QPointF from = joined ? previous : at;
            const double left = std::min(from.x(), at.x());
            const double right = std::max(from.x(), at.x());
            const double top = std::min(from.y(), at.y());
            const double bottom = std::max(from.y(), at.y());
            for (std::size_t c = 0; c < 4; ++c) {
                const QRectF &area = areas[c];
                if (right < area.left() || left > area.right() || bottom < area.top() || top > area.bottom())
                    continue;
                // A lone point between gaps has no line but its marker: one pixel's worth.
                covered[c] += area.contains(at) ? 1.0 : 0.0;
                if (joined)
                    covered[c] += clippedLength(previous, at, area);
            }
            previous = at;
            joined = true;
        }
    }
    return covered;
}

QRect legendRect(const ChartScene &scene) {
    if (!scene.legend || scene.series.empty())
        return {};
    const QFontMetrics metrics(scene.font);
    int widest = 0;
    for (const TLineSeries *series : scene.series)
        widest = std::max(widest, metrics.horizontalAdvance(series->caption()));
    const QRect room = legendRoom(scene);
    // Where the room is short the captions are shortened and the rows that do not fit left out
    // (drawLegend), rather than the box covering an axis.
    const QSize size(
        std::min(3 * LegendPadding + LegendSample + widest, room.width()),
        std::min(2 * LegendPadding + metrics.height() * static_cast<int>(scene.series.size()), room.height()));
    if (size.width() < 2 * LegendPadding + LegendSample || size.height() < 2 * LegendPadding + metrics.height())
        return {}; // no room for one row
    // Upper right first, where a reader looks for it; ties keep that order.
    std::array<QRect, 4> boxes;
    boxes.fill(QRect(QPoint(0, 0), size));
    boxes[0].moveTopRight(room.topRight());
    boxes[1].moveTopLeft(room.topLeft());
    boxes[2].moveBottomRight(room.bottomRight());
    boxes[3].moveBottomLeft(room.bottomLeft());
    const std::array<double, 4> covered = legendCoverage(scene, boxes);
    std::size_t best = 0;
    for (std::size_t c = 1; c < 4; ++c)
        if (covered[c] < covered[best])
            best = c;
    return boxes[best];
}

namespace {

// A caption as it fits in `width` px: shortened with an ellipsis only where it is wider (eliding
// measures the text its own way and could shorten one that fits).
QString fitted(const QFontMetrics &metrics, const QString &caption, int width) {
    return metrics.horizontalAdvance(caption) <= width ? caption : metrics.elidedText(caption, Qt::ElideRight, width);
}

void drawLegend(QPainter &painter, const ChartScene &scene) {
    const QRect box = legendRect(scene);
    if (box.isEmpty())
        return;
    const QFontMetrics metrics(scene.font);
    painter.setFont(scene.font);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(box.adjusted(0, 0, -1, -1)); // an outline of 1 px reaches one past the width
    painter.setBrush(Qt::NoBrush);
    const int captionWidth = box.width() - 3 * LegendPadding - LegendSample;
    int y = box.top() + LegendPadding;
    for (const TLineSeries *series : scene.series) {
        if (y + metrics.height() > box.bottom() - LegendPadding + 1)
            break; // the rows the room cannot hold
        const int middle = y + metrics.height() / 2;
        // The sample is stroked like the curve: a dashed curve has a dashed sample.
        painter.setPen(QPen(shownColor(*series), std::max(2, series->lineWidth()), series->lineStyle()));
        painter.drawLine(box.left() + LegendPadding, middle, box.left() + LegendPadding + LegendSample, middle);
        painter.setPen(QPen(Qt::black, 1));
        painter.drawText(QPoint(box.left() + 2 * LegendPadding + LegendSample, y + metrics.ascent()),
                         fitted(metrics, series->caption(), captionWidth));
        y += metrics.height();
    }
}

} // namespace

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
