#pragma once

#include <QRect>
#include <QSize>

#include <vector>

namespace pulsefir::ui::widgets {

// One axis: its range and whether it follows the data.
struct AxisState {
    double minimum = 0.0;
    double maximum = 1.0;
    bool automatic = true;
    bool automaticMinimum = true;
    bool automaticMaximum = true;

    bool operator==(const AxisState &) const = default;
};

// A range set by the user: fixed from then on; bounds in the wrong order swapped; a range
// narrower than 1e-10 widened to minimum + 1e-10.
void setAxisRange(AxisState &axis, double first, double second);

constexpr double MinimumAxisRange = 1e-10;

// Value <-> pixel along one axis: `minimumPixel` is where the axis minimum lies, `maximumPixel`
// where its maximum lies (for a vertical axis the maximum is the upper, smaller pixel).
class AxisMapping {
  public:
    AxisMapping() = default;
    AxisMapping(double minimum, double maximum, double minimumPixel, double maximumPixel)
        : m_min(minimum), m_max(maximum), m_p0(minimumPixel), m_p1(maximumPixel) {}

    double toPixel(double value) const { return m_p0 + (value - m_min) * (m_p1 - m_p0) / (m_max - m_min); }
    double toValue(double pixel) const { return m_min + (pixel - m_p0) * (m_max - m_min) / (m_p1 - m_p0); }
    // Value units per pixel, positive.
    double valuePerPixel() const;
    double minimum() const { return m_min; }
    double maximum() const { return m_max; }

  private:
    double m_min = 0.0;
    double m_max = 1.0;
    double m_p0 = 0.0;
    double m_p1 = 1.0;
};

// Where the parts of a chart lie for a given size: the margins (top 8 %, left, right and
// bottom 2 % of the chart's height or width), the plot area inside the axis labels, and the
// axis extents from 2 % to 98 % of each side of the plot area.
struct ChartLayout {
    QRect outer; // inside the margins
    QRect plot;  // the back wall, where the series are drawn
    int xMinimumPixel = 0;
    int xMaximumPixel = 0;
    int yMinimumPixel = 0; // bottom
    int yMaximumPixel = 0; // top
    // Where the axis lines are drawn: offsets of -1 % (left) and -2 % (bottom) move them
    // outward, +2 % (right) and +1 % (top) inward, in percent of the plot's width or height.
    int leftAxisX = 0;
    int bottomAxisY = 0;
    int rightAxisX = 0;
    int topAxisY = 0;

    // The plot area leaves `rightLabelWidth` pixels at its right for the right axis' labels.
    static ChartLayout compute(QSize size, int leftLabelWidth, int bottomLabelHeight, int rightLabelWidth = 0);
};

// Tick values at a readable step (1, 2 or 5 times a power of ten), no closer than
// `minimumPixelGap` pixels and no finer than `minimumStep`.
std::vector<double> niceTicks(double minimum, double maximum, int pixels, int minimumPixelGap, double minimumStep,
                              double *stepOut = nullptr);

} // namespace pulsefir::ui::widgets
