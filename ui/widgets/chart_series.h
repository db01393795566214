#pragma once

#include <QColor>
#include <QObject>
#include <QString>

#include <limits>
#include <vector>

namespace pulsefir::ui::widgets {

// The point markers of a series: filled rectangles reaching HorizSize pixels left and right and
// VertSize pixels up and down from each point.
class TSeriesPointer {
  public:
    bool visible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    int horizSize() const { return m_horizSize; }
    int vertSize() const { return m_vertSize; }
    // A size below 1 is refused with "Pointer size must be greater than zero".
    void setHorizSize(int size);
    void setVertSize(int size);

  private:
    bool m_visible = false;
    int m_horizSize = 1;
    int m_vertSize = 1;
};

struct ChartPoint {
    double x;
    double y;
    QRgb color;
};

// A line through coloured points kept in ascending x; each segment is drawn in the colour of
// the point it ends at. A point whose y is NaN is a gap: no marker, no segment to or from it, and
// it sets no vertical range.
class TLineSeries : public QObject {
    Q_OBJECT
  public:
    TLineSeries(const QString &name, QColor seriesColor, QObject *parent);

    // Inserts so that x stays ascending; points with equal x keep the order they were added in.
    void addPoint(double x, double y, QColor color);
    void clearPoints();
    int count() const { return static_cast<int>(m_points.size()); }
    const ChartPoint &point(int index) const { return m_points[static_cast<std::size_t>(index)]; }
    const std::vector<ChartPoint> &points() const { return m_points; }

    bool Active() const { return m_active; }
    void setActive(bool active);
    int lineWidth() const { return m_lineWidth; }
    void setLineWidth(int width);
    // How the line is stroked: solid at first; the spectra window dashes its group delays.
    Qt::PenStyle lineStyle() const { return m_lineStyle; }
    void setLineStyle(Qt::PenStyle style);
    TSeriesPointer &pointer() { return m_pointer; }
    const TSeriesPointer &pointer() const { return m_pointer; }
    void setPointerVisible(bool visible);
    void setPointerSize(int horizontal, int vertical);
    QColor seriesColor() const { return m_seriesColor; }
    // What the series shows, for the header of the chart's CSV export; its name until set.
    QString caption() const { return m_caption.isEmpty() ? objectName() : m_caption; }
    void setCaption(const QString &caption) { m_caption = caption; }
    // Whether the series plots against the right axis instead of the left one (off at first).
    bool onRightAxis() const { return m_onRightAxis; }
    void setOnRightAxis(bool right);
    // y values at or below this are drawn but do not widen an automatic vertical axis: a level
    // that only says "this low or lower", such as a dB view's floor. -inf (none) at first.
    double scaleFloor() const { return m_scaleFloor; }
    void setScaleFloor(double floor);

  signals:
    void changed();

  private:
    void touch();

    std::vector<ChartPoint> m_points;
    bool m_active = true;
    int m_lineWidth = 1;
    Qt::PenStyle m_lineStyle = Qt::SolidLine;
    TSeriesPointer m_pointer;
    QColor m_seriesColor;
    QString m_caption;
    bool m_onRightAxis = false;
    double m_scaleFloor = -std::numeric_limits<double>::infinity();
    bool m_changePending = false;
    unsigned long long m_revision = 0; // counts every change of points, visibility or markers
    friend class TChart;
};

} // namespace pulsefir::ui::widgets
