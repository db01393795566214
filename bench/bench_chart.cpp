#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include <cmath>
#include <memory>

#include "ui/widgets/chart.h"
#include "ui/widgets/numeric_text.h"

using namespace pulsefir::ui;
using namespace pulsefir::ui::widgets;

namespace {

// The main window's heaviest picture: three series of 20001 points each.
std::unique_ptr<TChart> mainChart(bool markers) {
    auto chart = std::make_unique<TChart>();
    chart->resize(870, 640);
    const QColor colors[] = {Qt::black, QColor(255, 0, 0), QColor(0, 255, 0)};
    for (int s = 0; s < 3; ++s) {
        TLineSeries *series = chart->addSeries("Series" + integerText(s + 1), Qt::gray);
        for (int i = -10000; i <= 10000; ++i) {
            const double t = i * 1.25;
            series->addPoint(i, (s + 1) * 0.5 * std::sin(0.02 * t + s) * std::exp(-std::abs(t) / 4000.0), colors[s]);
        }
        series->setPointerVisible(markers);
        series->setPointerSize(1, 1);
    }
    return chart;
}

void bmRenderMainChart(benchmark::State &bench) {
    auto chart = mainChart(bench.range(0) != 0);
    if (bench.range(1) != 0)
        chart->setAxisCaptions("отсчёт", "амплитуда");
    // The legend weighs every segment against its four corners on each picture.
    chart->setLegendVisible(bench.range(2) != 0);
    if (bench.range(3) != 0)
        for (int s = 0; s < chart->seriesCount(); ++s)
            chart->series(s)->setLineStyle(Qt::DashLine);
    QImage image(870, 640, QImage::Format_RGB32);
    for (auto _ : bench) {
        chart->render(image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

// The plain picture, without markers, captions, legend or dashes, is the baseline for the cost
// of each of them.
BENCHMARK(bmRenderMainChart)
    ->ArgNames({"markers", "captions", "legend", "dashed"})
    ->Args({1, 0, 0, 0})
    ->Args({1, 1, 0, 0})
    ->Args({0, 0, 0, 0})
    ->Args({0, 1, 0, 0})
    ->Args({0, 0, 1, 0})
    ->Args({1, 0, 1, 0})
    ->Args({0, 0, 0, 1})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
