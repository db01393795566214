#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QStringList>
#include <QWidget>

#include <array>
#include <optional>
#include <vector>

#include "ui/widgets/chart_geometry.h"
#include "ui/widgets/chart_series.h"
#include "ui/widgets/platform.h"

class QMenu;

namespace pulsefir::ui::widgets {

struct ChartScene;

// The chart of the main, filter and spectra windows: a fixed list of line series against the
// bottom (x) and left (y) axes, mouse zoom with animated frames and undo, panning, wheel
// scrolling, and export of its picture. A series may plot against the right axis instead; the
// right axis is drawn, with its own labels, caption and automatic range, while an active series
// with points stands on it, and otherwise follows the left one. Zoom, pan, wheel and undo move
// both vertical axes alike.
class TChart : public QWidget {
    Q_OBJECT
  public:
    enum Axis { LeftAxis = 0, BottomAxis = 1, RightAxis = 2, TopAxis = 3 };
    static constexpr int ZoomThresholdPx = 16;
    static constexpr int AnimationFrames = 7;
    static constexpr double WheelShare = 0.03; // of the vertical range per wheel step

    explicit TChart(QWidget *parent = nullptr);

    TLineSeries *addSeries(const QString &name, QColor seriesColor);
    int seriesCount() const { return static_cast<int>(m_series.size()); }
    TLineSeries *series(int index) const { return m_series[static_cast<std::size_t>(index)]; }

    // The axes as set (automatic ones hold whatever they last held).
    const AxisState &axis(Axis which) const { return m_axes[which]; }
    // The range shown on an axis now: the data's for an automatic axis.
    std::pair<double, double> visibleRange(Axis which) const;
    ChartLayout layoutFor(QSize size) const;
    AxisMapping mapping(Axis which) const;
    bool zoomed() const { return m_zoomed; }
    bool hasSavedAxes() const { return m_savedFull; }

    void undoZoom();
    void zoomTo(const QRect &pixels);
    void copyPictureToClipboard();
    // Writes the picture as a BMP file under exactly this name; reports a failure to the user.
    bool savePictureToFile(const QString &fileName);
    void repaintNow() { repaint(); }
    // The chart as on screen, at `size` (the widget's own by default).
    QImage renderImage(QSize size = {}) const;
    void render(QImage &image) const;
    // What a picture of `size` pixels shows now, for the painter: every picture and the screen
    // are drawn from it.
    ChartScene scene(QSize size) const;

    // What the axes measure, with units, written under the bottom axis and beside the left one
    // inside the chart's margins; an empty text takes no room.
    void setAxisCaptions(const QString &x, const QString &y);
    QString xCaption() const { return m_xCaption; }
    QString yCaption() const { return m_yCaption; }
    // What the right axis measures, written right of its labels while it is drawn.
    void setRightAxisCaption(const QString &caption);
    QString rightCaption() const { return m_rightCaption; }
    // Whether an active series with points plots against the right axis, so that it is drawn.
    bool rightAxisShown() const;
    // The labels written along an axis (left, right or bottom) at the chart's present size, lowest first.
    QStringList axisLabels(Axis which) const;

    QMenu *popupMenu() const { return m_popup; }
    // The legend: a box naming every series drawn, in the colour and stroke it is drawn in, in the
    // plot's corner where it hides the least of the curves (legendRect). Off at first; switched
    // by the pop-up menu's last item "Легенда" (`LegendN11`), which the menu keeps after every
    // item a window adds.
    bool legendVisible() const { return m_legend; }
    void setLegendVisible(bool visible);
    QAction *legendAction() const { return m_legendAction; }
    FileDialogRequest &savePictureDialog() { return m_pictureDialog; }

    // Data export: every active series that has points as x, y columns, numbers with '.' and 17 significant
    // digits, one header line of the series' captions. Series that share their x values share
    // one x column; otherwise each series has its own x column.
    void setCsvXHeader(const QString &header) { m_csvXHeader = header; }
    QString dataCsv() const;
    // Each writes under exactly this name and reports a failure to the user.
    bool saveDataToCsvFile(const QString &fileName);
    bool savePictureToPngFile(const QString &fileName);
    bool savePictureToSvgFile(const QString &fileName);
    FileDialogRequest &saveDataDialog() { return m_dataDialog; }
    FileDialogRequest &savePngDialog() { return m_pngDialog; }
    FileDialogRequest &saveSvgDialog() { return m_svgDialog; }

  public slots:
    void SaveToClipBoardN5Click();
    void SaveToBMPFileN6Click();
    void SaveToCSVFileN7Click();
    void SaveToPNGFileN8Click();
    void SaveToSVGFileN9Click();

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

  private:
    // The picture menu, and the save dialogs' titles, names and filters.
    void createPopupMenu();
    // Writes what was made in memory whole, or shows why it could not be written.
    bool saveBytes(const QString &fileName, const std::optional<QByteArray> &bytes, const char *format);
    std::optional<QByteArray> encodeImage(const char *format) const;
    std::optional<QByteArray> encodeSvg();
    void saveAxesOnce();
    void fixAxesAtVisibleRanges();
    std::pair<double, double> dataRange(Axis which) const;
    std::pair<double, double> scanDataRange(Axis which) const;
    // px beside a vertical axis (left or right) for its labels and caption.
    int labelWidth(Axis which) const;
    int bottomLabelHeight() const;
    int captionExtent() const;
    struct Ticks {
        std::vector<double> values;
        double step = 1;
    };
    Ticks verticalTicks(const ChartLayout &layout, Axis which = LeftAxis) const;
    Ticks horizontalTicks(const ChartLayout &layout) const;
    // Runs a save dialog and remembers the chosen name and folder; nothing on cancel.
    // A picture's dialog previews the chart.
    std::optional<QString> askFileName(FileDialogRequest &dialog, bool picture = false);
    void onSeriesChanged();
    void clearPendingChanges() const;

    std::vector<TLineSeries *> m_series;
    std::array<AxisState, 4> m_axes{};
    std::array<AxisState, 4> m_saved{};
    bool m_savedFull = false;
    bool m_zoomed = false;

    // Mouse state
    bool m_banding = false;
    QPoint m_bandStart;
    QPoint m_bandEnd;
    bool m_panning = false;
    bool m_panned = false;
    QPoint m_panLast;
    double m_wheelRemainder = 0.0;

    struct RangeCache {
        bool valid = false;
        unsigned long long revision = 0;
        QSize size;
        std::pair<double, double> range;
    };
    mutable std::array<RangeCache, 4> m_rangeCache{}; // by axis

    mutable QImage m_cache;
    mutable bool m_cacheValid = false;

    QString m_xCaption;
    QString m_yCaption;
    QString m_rightCaption;

    QMenu *m_popup;
    QAction *m_legendSeparator = nullptr;
    QAction *m_legendAction = nullptr;
    bool m_legend = false;
    FileDialogRequest m_pictureDialog;
    FileDialogRequest m_dataDialog;
    FileDialogRequest m_pngDialog;
    FileDialogRequest m_svgDialog;
    QString m_csvXHeader = "x";
};

} // namespace pulsefir::ui::widgets
