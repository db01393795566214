#include "chart_geometry.h"

#include <algorithm>
#include <cmath>

namespace pulsefir::ui::widgets {

namespace {
constexpr double MarginTop = 0.08;
constexpr double MarginSide = 0.02;
constexpr double AxisStart = 0.02;
constexpr double AxisEnd = 0.98;
constexpr double LeftAxisOffset = -0.01;
constexpr double BottomAxisOffset = -0.02;
constexpr double RightAxisOffset = 0.02;
constexpr double TopAxisOffset = 0.01;
} // namespace

void setAxisRange(AxisState &axis, double first, double second) {
    if (first > second)
        std::swap(first, second);
    if (second - first < MinimumAxisRange)
        second = first + MinimumAxisRange;
    axis.minimum = first;
    axis.maximum = second;
    axis.automatic = axis.automaticMinimum = axis.automaticMaximum = false;
}

double AxisMapping::valuePerPixel() const {
    return std::abs((m_max - m_min) / (m_p1 - m_p0));
}

ChartLayout ChartLayout::compute(QSize size, int leftLabelWidth, int bottomLabelHeight, int rightLabelWidth) {
    ChartLayout l;
    const int w = size.width();
    const int h = size.height();
    const int top = static_cast<int>(std::lround(h * MarginTop));
    const int left = static_cast<int>(std::lround(w * MarginSide));
    const int right = static_cast<int>(std::lround(w * MarginSide));
    const int bottom = static_cast<int>(std::lround(h * MarginSide));
    l.outer = QRect(left, top, std::max(1, w - left - right), std::max(1, h - top - bottom));
    l.plot = l.outer.adjusted(leftLabelWidth, 0, -rightLabelWidth, -bottomLabelHeight);
    if (l.plot.width() < 2)
        l.plot.setWidth(2);
    if (l.plot.height() < 2)
        l.plot.setHeight(2);
    const int pw = l.plot.width();
    const int ph = l.plot.height();
    l.xMinimumPixel = l.plot.left() + static_cast<int>(std::lround(pw * AxisStart));
    l.xMaximumPixel = l.plot.left() + static_cast<int>(std::lround(pw * AxisEnd));
    l.yMaximumPixel = l.plot.top() + static_cast<int>(std::lround(ph * AxisStart));
    l.yMinimumPixel = l.plot.top() + static_cast<int>(std::lround(ph * AxisEnd));
    l.leftAxisX = l.plot.left() + static_cast<int>(std::lround(pw * LeftAxisOffset));
    l.rightAxisX = l.plot.right() - static_cast<int>(std::lround(pw * RightAxisOffset));
    l.bottomAxisY = l.plot.bottom() - static_cast<int>(std::lround(ph * BottomAxisOffset));
    l.topAxisY = l.plot.top() + static_cast<int>(std::lround(ph * TopAxisOffset));
    return l;
}

std::vector<double> niceTicks(double minimum, double maximum, int pixels, int minimumPixelGap, double minimumStep,
                              double *stepOut) {
    std::vector<double> ticks;
    const double range = maximum - minimum;
    if (!(range > 0) || pixels <= 0 || !std::isfinite(range))
        return ticks;
    const double raw = std::max(range * minimumPixelGap / pixels, minimumStep);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        step = factor * power;
        if (step >= raw * (1 - 1e-12))
            break;
    }
    if (stepOut)
        *stepOut = step;
    const double first = std::ceil(minimum / step - 1e-9);
    const double last = std::floor(maximum / step + 1e-9);
    if (last - first > 1000)
        return ticks;
    for (double k = first; k <= last; ++k)
        ticks.push_back(std::abs(k) < 1e-9 ? 0.0 : k * step);
    return ticks;
}

} // namespace pulsefir::ui::widgets
