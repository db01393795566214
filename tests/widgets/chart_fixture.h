#pragma once

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QObject>
#include <QTest>

#include <cmath>
#include <memory>
#include <utility>

#include "scripted_platform.h"
#include "ui/widgets/chart.h"

using Range = std::pair<double, double>;

inline void sendMouse(QWidget *w, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, QPoint at) {
    QMouseEvent event(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

// A press, a move in steps and a release, as a hand would drag.
inline void drag(QWidget *w, Qt::MouseButton button, QPoint from, QPoint to) {
    sendMouse(w, QEvent::MouseButtonPress, button, button, from);
    for (int k = 1; k <= 4; ++k)
        sendMouse(w, QEvent::MouseMove, Qt::NoButton, button, from + (to - from) * k / 4);
    sendMouse(w, QEvent::MouseButtonRelease, button, Qt::NoButton, to);
}

// Whether a pixel of this colour lies at the point or one pixel above or below it: a line through
// a point half-way between two pixel rows may take either row.
inline bool inkNear(const QImage &image, QPoint at, QRgb color) {
    for (int dy = -1; dy <= 1; ++dy)
        if (image.pixel(at + QPoint(0, dy)) == color)
            return true;
    return false;
}

// What the chart test classes share: a scripted platform and a shown 600 x 400 chart of two
// series, the first a line from (0, 0) to (100, 50) through 101 black points, the second empty.
class ChartFixture : public QObject {
  protected:
    std::unique_ptr<PlatformScope> m_scope;
    std::unique_ptr<pulsefir::ui::widgets::TChart> m_chart;

    ScriptedPlatform &platform() { return m_scope->platform; }
    pulsefir::ui::widgets::TLineSeries *line() { return m_chart->series(0); }

    // The point where value (x, y) is drawn now.
    QPoint pixelOf(double x, double y) {
        using pulsefir::ui::widgets::TChart;
        return {static_cast<int>(std::lround(m_chart->mapping(TChart::BottomAxis).toPixel(x))),
                static_cast<int>(std::lround(m_chart->mapping(TChart::LeftAxis).toPixel(y)))};
    }

    // Whether the chart is on screen: a test class's init() verifies it.
    bool createChart() {
        m_scope = std::make_unique<PlatformScope>();
        m_chart = std::make_unique<pulsefir::ui::widgets::TChart>();
        m_chart->addSeries("Series1", Qt::gray);
        m_chart->addSeries("Series2", Qt::red);
        m_chart->resize(600, 400);
        for (int i = 0; i <= 100; ++i)
            line()->addPoint(i, i * 0.5, Qt::black);
        m_chart->show();
        return QTest::qWaitForWindowExposed(m_chart.get());
    }

    void destroyChart() {
        m_chart.reset();
        m_scope.reset();
    }
};
