#include "chart.h"

#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>

#include "ui/widgets/chart_painter.h"

namespace pulsefir::ui::widgets {

namespace {

constexpr int MinimumXLabelGap = 70; // px between bottom-axis labels
constexpr int MinimumYLabelGap = 28; // px between left-axis labels
constexpr double LeftAxisMinimumStep = 0.0001;
// Each axis runs from 2 % to 98 % of its side of the plot area: the part of the axis range that
// lies between an axis end and the plot's edge.
constexpr double AxisLeadShare = 0.02 / 0.96;
QString tickLabel(double value, double step) {
    const int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = locale.toString(value, 'f', std::clamp(decimals, 0, 12));
    if (value == 0.0 || (text.startsWith('-') && locale.toDouble(text) == 0.0))
        text = locale.toString(0.0, 'f', std::clamp(decimals, 0, 12));
    return text;
}

ScaleTicks labelled(const std::vector<double> &values, double step) {
    ScaleTicks ticks{values, {}};
    for (double v : values)
        ticks.labels << tickLabel(v, step);
    return ticks;
}

} // namespace

// ---- Chart --------------------------------------------------------------------------------------

TChart::TChart(QWidget *parent) : QWidget(parent), m_popup(new QMenu(this)) {
    setObjectName("Chart");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    setMinimumSize(120, 90);
    createPopupMenu();
}

TLineSeries *TChart::addSeries(const QString &name, QColor seriesColor) {
    auto *series = new TLineSeries(name, seriesColor, this);
    connect(series, &TLineSeries::changed, this, &TChart::onSeriesChanged);
    m_series.push_back(series);
    return series;
}

void TChart::onSeriesChanged() {
    m_cacheValid = false;
    update();
}

void TChart::clearPendingChanges() const {
    for (TLineSeries *series : m_series)
        series->m_changePending = false;
}

bool TChart::rightAxisShown() const {
    for (const TLineSeries *series : m_series)
        if (series->onRightAxis() && series->Active() && series->count() > 0)
            return true;
    return false;
}

std::pair<double, double> TChart::dataRange(Axis which) const {
    // The top axis spans what the bottom one does; the right one what the left one does until a
    // series stands on it.
    if (which == TopAxis)
        which = BottomAxis;
    if (which == RightAxis && !rightAxisShown())
        which = LeftAxis;
    // Every paint and mouse step asks for these; the points are scanned again only after a change.
    unsigned long long revision = 0;
    for (const TLineSeries *series : m_series)
        revision += series->m_revision;
    RangeCache &cache = m_rangeCache[which];
    if (cache.valid && cache.revision == revision && cache.size == size())
        return cache.range;
    cache.range = scanDataRange(which);
    cache.revision = revision;
    cache.size = size();
    cache.valid = true;
    return cache.range;
}

std::pair<double, double> TChart::scanDataRange(Axis which) const {
    const bool horizontal = which == BottomAxis || which == TopAxis;
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    int pad = 0; // px of room for the markers of every series but the first
    for (std::size_t s = 0; s < m_series.size(); ++s) {
        const TLineSeries *series = m_series[s];
        if (!series->Active() || series->count() == 0)
            continue;
        if (horizontal) {
            lo = std::min(lo, series->points().front().x);
            hi = std::max(hi, series->points().back().x);
        } else {
            if (series->onRightAxis() != (which == RightAxis))
                continue;
            // Gaps and values at the floor set no range.
            const double floor = series->scaleFloor();
            for (const ChartPoint &p : series->points()) {
                if (std::isnan(p.y) || p.y <= floor)
                    continue;
                lo = std::min(lo, p.y);
                hi = std::max(hi, p.y);
            }
        }
        if (s > 0 && series->pointer().visible())
            pad = std::max(pad, horizontal ? series->pointer().horizSize() : series->pointer().vertSize());
    }
    if (!(lo <= hi))
        return {0.0, 1.0};
    if (hi - lo < MinimumAxisRange) {
        // A flat curve is shown in the middle of a unit range.
        lo -= 1.0;
        hi += 1.0;
    }
    if (pad > 0) {
        const double pixels = 0.96 * (horizontal ? width() * 0.96 : height() * 0.9);
        if (pixels > 2.0 * pad + 1) {
            const double perPixel = (hi - lo) / (pixels - 2.0 * pad);
            lo -= pad * perPixel;
            hi += pad * perPixel;
        }
    }
    return {lo, hi};
}

std::pair<double, double> TChart::visibleRange(Axis which) const {
    const AxisState &a = m_axes[which];
    std::pair<double, double> range{a.minimum, a.maximum};
    if (a.automatic || a.automaticMinimum || a.automaticMaximum) {
        const auto data = dataRange(which);
        if (a.automatic || a.automaticMinimum)
            range.first = data.first;
        if (a.automatic || a.automaticMaximum)
            range.second = data.second;
    }
    if (range.second - range.first < MinimumAxisRange)
        range.second = range.first + MinimumAxisRange;
    return range;
}

int TChart::labelWidth(Axis which) const {
    const QFontMetrics metrics(font());
    const auto [lo, hi] = visibleRange(which);
    const double lead = (hi - lo) * AxisLeadShare;
    double step = 1;
    const int pixels = std::max(10, static_cast<int>(height() * 0.9) - metrics.height() - 8);
    const auto ticks = niceTicks(lo - lead, hi + lead, pixels, MinimumYLabelGap, LeftAxisMinimumStep, &step);
    int widest = metrics.horizontalAdvance("0");
    for (double t : ticks)
        widest = std::max(widest, metrics.horizontalAdvance(tickLabel(t, step)));
    const QString &caption = which == RightAxis ? m_rightCaption : m_yCaption;
    return widest + TickLength + LabelGap + 4 + (caption.isEmpty() ? 0 : captionExtent());
}

int TChart::bottomLabelHeight() const {
    return QFontMetrics(font()).height() + TickLength + LabelGap + 4 + (m_xCaption.isEmpty() ? 0 : captionExtent());
}

int TChart::captionExtent() const {
    return QFontMetrics(font()).height() + CaptionGap;
}

void TChart::setLegendVisible(bool visible) {
    if (visible == m_legend)
        return;
    m_legend = visible;
    if (m_legendAction)
        m_legendAction->setChecked(visible);
    m_cacheValid = false;
    update();
}

void TChart::setAxisCaptions(const QString &x, const QString &y) {
    m_xCaption = x;
    m_yCaption = y;
    m_cacheValid = false;
    update();
}

void TChart::setRightAxisCaption(const QString &caption) {
    m_rightCaption = caption;
    m_cacheValid = false;
    update();
}

// Labels go wherever a tick falls inside the plot area, also in the strips between the axis
// ends and the plot's edges, so a zero just below the lowest value keeps its label whether or
// not the markers widen the range.
TChart::Ticks TChart::verticalTicks(const ChartLayout &l, Axis which) const {
    const auto [lo, hi] = visibleRange(which);
    const AxisMapping map(lo, hi, l.yMinimumPixel, l.yMaximumPixel);
    Ticks t;
    t.values = niceTicks(map.toValue(l.plot.bottom()), map.toValue(l.plot.top()), l.plot.height(), MinimumYLabelGap,
                         LeftAxisMinimumStep, &t.step);
    return t;
}

TChart::Ticks TChart::horizontalTicks(const ChartLayout &l) const {
    const auto [lo, hi] = visibleRange(BottomAxis);
    Ticks t;
    t.values = niceTicks(lo, hi, l.xMaximumPixel - l.xMinimumPixel, MinimumXLabelGap, 0.0, &t.step);
    return t;
}

QStringList TChart::axisLabels(Axis which) const {
    const ChartLayout l = layoutFor(size());
    const Ticks t = which == LeftAxis || which == RightAxis ? verticalTicks(l, which) : horizontalTicks(l);
    return labelled(t.values, t.step).labels;
}

ChartLayout TChart::layoutFor(QSize size) const {
    return ChartLayout::compute(size.isValid() ? size : this->size(), labelWidth(LeftAxis), bottomLabelHeight(),
                                rightAxisShown() ? labelWidth(RightAxis) : 0);
}

AxisMapping TChart::mapping(Axis which) const {
    const ChartLayout l = layoutFor(size());
    const auto [lo, hi] = visibleRange(which);
    if (which == BottomAxis || which == TopAxis)
        return AxisMapping(lo, hi, l.xMinimumPixel, l.xMaximumPixel);
    return AxisMapping(lo, hi, l.yMinimumPixel, l.yMaximumPixel);
}

// ---- Drawing --------------------------------------------------------------------------------

QImage TChart::renderImage(QSize size) const {
    QImage image(size.isValid() ? size : this->size(), QImage::Format_RGB32);
    render(image);
    return image;
}

void TChart::render(QImage &image) const {
    clearPendingChanges();
    QPainter painter(&image);
    paintChart(painter, scene(image.size()), ChartDevice::Raster);
}

ChartScene TChart::scene(QSize size) const {
    ChartScene scene;
    scene.size = size;
    scene.font = font();
    const ChartLayout l = layoutFor(size);
    scene.layout = l;
    const auto [xlo, xhi] = visibleRange(BottomAxis);
    const auto [ylo, yhi] = visibleRange(LeftAxis);
    const auto [rlo, rhi] = visibleRange(RightAxis);
    scene.x = AxisMapping(xlo, xhi, l.xMinimumPixel, l.xMaximumPixel);
    scene.left = AxisMapping(ylo, yhi, l.yMinimumPixel, l.yMaximumPixel);
    scene.right = AxisMapping(rlo, rhi, l.yMinimumPixel, l.yMaximumPixel);
    const Ticks x = horizontalTicks(l);
    const Ticks y = verticalTicks(l);
    scene.xTicks = labelled(x.values, x.step);
    scene.leftTicks = labelled(y.values, y.step);
    scene.rightAxisShown = rightAxisShown();
    if (scene.rightAxisShown) {
        const Ticks r = verticalTicks(l, RightAxis);
        scene.rightTicks = labelled(r.values, r.step);
    }
    scene.xCaption = m_xCaption;
    scene.yCaption = m_yCaption;
    scene.rightCaption = m_rightCaption;
    scene.legend = m_legend;
    for (const TLineSeries *series : m_series)
        if (series->Active() && series->count() > 0)
            scene.series.push_back(series);
    return scene;
}

void TChart::paintEvent(QPaintEvent *) {
    if (!m_cacheValid || m_cache.size() != size()) {
        m_cache = QImage(size(), QImage::Format_RGB32);
        render(m_cache);
        m_cacheValid = true;
    }
    QPainter painter(this);
    painter.drawImage(0, 0, m_cache);
    if (m_banding) {
        // The rubber band: a one-pixel outline that inverts what lies under it.
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(QRect(m_bandStart, m_bandEnd).normalized());
    }
}

// ---- Zoom, pan, wheel -----------------------------------------------------------------------

void TChart::saveAxesOnce() {
    if (m_savedFull)
        return;
    m_saved = m_axes;
    m_savedFull = true;
}

void TChart::fixAxesAtVisibleRanges() {
    std::array<std::pair<double, double>, 4> ranges;
    for (int a = 0; a < 4; ++a)
        ranges[static_cast<std::size_t>(a)] = visibleRange(static_cast<Axis>(a));
    for (int a = 0; a < 4; ++a)
        setAxisRange(m_axes[static_cast<std::size_t>(a)], ranges[static_cast<std::size_t>(a)].first,
                     ranges[static_cast<std::size_t>(a)].second);
}

void TChart::zoomTo(const QRect &r) {
    saveAxesOnce();
    std::array<std::pair<double, double>, 4> targets;
    for (int a = 0; a < 4; ++a) {
        const AxisMapping map = mapping(static_cast<Axis>(a));
        const bool horizontal = a == BottomAxis || a == TopAxis;
        targets[static_cast<std::size_t>(a)] = horizontal ? std::pair{map.toValue(r.left()), map.toValue(r.right())}
                                                          : std::pair{map.toValue(r.bottom()), map.toValue(r.top())};
    }
    fixAxesAtVisibleRanges();
    // Seven frames, each bound a third of its remaining way, then the exact target.
    for (int frame = 0; frame < AnimationFrames; ++frame) {
        for (std::size_t a = 0; a < 4; ++a) {
            AxisState &axis = m_axes[a];
            setAxisRange(axis, axis.minimum + (targets[a].first - axis.minimum) / 3,
                         axis.maximum + (targets[a].second - axis.maximum) / 3);
        }
        m_cacheValid = false;
        repaint();
    }
    for (std::size_t a = 0; a < 4; ++a)
        setAxisRange(m_axes[a], targets[a].first, targets[a].second);
    m_zoomed = true;
    m_cacheValid = false;
}

void TChart::undoZoom() {
    if (m_savedFull) {
        m_axes = m_saved;
        m_savedFull = false;
    }
    m_cacheValid = false;
    repaint();
    m_zoomed = false;
}

void TChart::mousePressEvent(QMouseEvent *event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        m_banding = true;
        m_bandStart = m_bandEnd = pos;
        update();
    } else if (event->button() == Qt::RightButton) {
        m_panning = layoutFor(size()).plot.contains(pos);
        m_panned = false;
        m_panLast = pos;
    }
}

void TChart::mouseMoveEvent(QMouseEvent *event) {
    const QPoint pos = event->position().toPoint();
    if (m_banding && (event->buttons() & Qt::LeftButton)) {
        m_bandEnd = pos;
        update();
    }
    if (m_panning && (event->buttons() & Qt::RightButton)) {
        if (!layoutFor(size()).plot.contains(pos)) {
            m_panning = false; // leaving the plot area ends the pan
            return;
        }
        const QPoint delta = pos - m_panLast;
        if (delta.isNull())
            return;
        saveAxesOnce();
        std::array<double, 4> perPixel;
        for (int a = 0; a < 4; ++a)
            perPixel[static_cast<std::size_t>(a)] = mapping(static_cast<Axis>(a)).valuePerPixel();
        fixAxesAtVisibleRanges();
        for (std::size_t a = 0; a < 4; ++a) {
            const bool horizontal = a == BottomAxis || a == TopAxis;
            // The curves follow the mouse: right moves the range left, down moves it up.
            const double shift = horizontal ? -delta.x() * perPixel[a] : delta.y() * perPixel[a];
            setAxisRange(m_axes[a], m_axes[a].minimum + shift, m_axes[a].maximum + shift);
        }
        m_panLast = pos;
        m_panned = true;
        m_cacheValid = false;
        update();
    }
}

void TChart::mouseReleaseEvent(QMouseEvent *event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && m_banding) {
        m_banding = false;
        m_bandEnd = pos;
        const int dx = m_bandEnd.x() - m_bandStart.x();
        const int dy = m_bandEnd.y() - m_bandStart.y();
        if (std::abs(dx) > ZoomThresholdPx && std::abs(dy) > ZoomThresholdPx) {
            if (dx > 0 && dy > 0)
                zoomTo(QRect(m_bandStart, m_bandEnd));
            else
                undoZoom();
            repaint();
        } else {
            update();
        }
    } else if (event->button() == Qt::RightButton) {
        const bool panned = m_panned;
        m_panning = false;
        m_panned = false;
        // A right click opens the picture menu; a right drag only pans.
        if (!panned)
            m_popup->popup(mapToGlobal(pos));
    }
}

void TChart::wheelEvent(QWheelEvent *event) {
    m_wheelRemainder += event->angleDelta().y() / 120.0;
    const int steps = static_cast<int>(m_wheelRemainder);
    if (steps == 0)
        return;
    m_wheelRemainder -= steps;
    saveAxesOnce();
    fixAxesAtVisibleRanges();
    for (Axis a : {LeftAxis, RightAxis}) {
        AxisState &axis = m_axes[a];
        // Wheel down (negative steps) raises both bounds, wheel up lowers them.
        const double shift = -steps * WheelShare * (axis.maximum - axis.minimum);
        setAxisRange(axis, axis.minimum + shift, axis.maximum + shift);
    }
    m_cacheValid = false;
    update();
    event->accept();
}

} // namespace pulsefir::ui::widgets
