#include "chart_series.h"

#include <algorithm>

#include "base/error.h"
#include "base/messages.h"

namespace pulsefir::ui::widgets {

void TSeriesPointer::setHorizSize(int size) {
    if (size < 1)
        throw base::Error(base::Message::pointerSizeNotPositive());
    m_horizSize = size;
}

void TSeriesPointer::setVertSize(int size) {
    if (size < 1)
        throw base::Error(base::Message::pointerSizeNotPositive());
    m_vertSize = size;
}

TLineSeries::TLineSeries(const QString &name, QColor seriesColor, QObject *parent)
    : QObject(parent), m_seriesColor(seriesColor) {
    setObjectName(name);
}

void TLineSeries::addPoint(double x, double y, QColor color) {
    const ChartPoint point{x, y, color.rgb()};
    if (m_points.empty() || x >= m_points.back().x) {
        m_points.push_back(point);
    } else {
        // After every point whose x is not greater than the new one.
        const auto at = std::upper_bound(m_points.begin(), m_points.end(), x,
                                         [](double value, const ChartPoint &p) { return value < p.x; });
        m_points.insert(at, point);
    }
    touch();
}

// Tells the chart once per batch of changes; the chart clears the flag when it repaints.
void TLineSeries::touch() {
    ++m_revision;
    if (m_changePending)
        return;
    m_changePending = true;
    emit changed();
}

void TLineSeries::clearPoints() {
    m_points.clear();
    touch();
}

void TLineSeries::setActive(bool active) {
    m_active = active;
    ++m_revision;
    emit changed();
}

void TLineSeries::setOnRightAxis(bool right) {
    m_onRightAxis = right;
    ++m_revision;
    emit changed();
}

void TLineSeries::setScaleFloor(double floor) {
    m_scaleFloor = floor;
    ++m_revision;
    emit changed();
}

void TLineSeries::setLineWidth(int width) {
    m_lineWidth = std::max(1, width);
    emit changed();
}

void TLineSeries::setLineStyle(Qt::PenStyle style) {
    m_lineStyle = style;
    emit changed();
}

void TLineSeries::setPointerVisible(bool visible) {
    m_pointer.setVisible(visible);
    ++m_revision;
    emit changed();
}

void TLineSeries::setPointerSize(int horizontal, int vertical) {
    m_pointer.setHorizSize(horizontal);
    m_pointer.setVertSize(vertical);
    ++m_revision;
    emit changed();
}

} // namespace pulsefir::ui::widgets
