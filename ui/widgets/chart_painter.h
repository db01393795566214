#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

#include "ui/widgets/chart_geometry.h"

class QPainter;

namespace pulsefir::ui::widgets {

class TLineSeries;

// Room the axes' furniture takes, px: the chart's layout leaves it and the painter draws in it.
constexpr int TickLength = 2;
constexpr int LabelGap = 3;   // between a tick and its label
constexpr int CaptionGap = 2; // between an axis' labels and its caption

// The ticks of one axis and the labels written at them, lowest first.
struct ScaleTicks {
    std::vector<double> values;
    QStringList labels;
};

// What one picture of the chart shows, worked out by the chart for one size: where the parts
// lie, the axes' ranges as mappings, their ticks and captions, and the series to draw.
struct ChartScene {
    QSize size;
    QFont font; // the widget's: labels are measured with its metrics on every device
    ChartLayout layout;
    AxisMapping x;
    AxisMapping left;
    AxisMapping right;
    ScaleTicks xTicks;
    ScaleTicks leftTicks;
    ScaleTicks rightTicks; // empty while the right axis is not drawn
    bool rightAxisShown = false;
    QString xCaption;
    QString yCaption;
    QString rightCaption;
    std::vector<const TLineSeries *> series; // the active ones with points, in drawing order
    bool legend = false;                     // a box naming each series drawn (legendRect)
};

// An axis' label as drawn: its text, the left end of its baseline and the box its text takes.
struct AxisLabel {
    QString text;
    QPoint origin;
    QRect box;
};

// The labels of the left and bottom axes, and of the right one where it is drawn, at their ticks.
std::vector<AxisLabel> axisLabels(const ChartScene &scene);

// Where the legend may stand: inside the plot area, short of the right axis' line where that
// axis is drawn (its labels reach into the plot), a few pixels from every edge. Every other
// axis' labels lie outside the plot area.
QRect legendRoom(const ChartScene &scene);

// How much of the drawn curves each box would hide: the length in pixels of their lines inside
// it, plus one for each point inside (a lone point between gaps has no line).
std::array<double, 4> legendCoverage(const ChartScene &scene, const std::array<QRect, 4> &boxes);

// The legend box of a scene at its size: the corner of the legend's room where it hides the
// least of the curves, upper right on a tie, then upper left, lower right, lower left. One rule
// for every chart, on screen and in every picture. Empty when the scene has no legend or no
// series.
QRect legendRect(const ChartScene &scene);

// The device a picture goes to. A raster (screen, BMP, PNG, clipboard) keeps its lines as
// wide as set in pixels; a vector picture (SVG) scales them with the picture.
enum class ChartDevice { Raster, Vector };

// Draws the whole chart onto a painter active on a device of scene.size: background, frame,
// grid, axes with their labels and captions, then each series' line and markers. The painter's
// render hints stand as they are: a fresh painter draws without antialiasing, so that a line and
// its markers are the exact pixels of the points.
void paintChart(QPainter &painter, const ChartScene &scene, ChartDevice device);

} // namespace pulsefir::ui::widgets
