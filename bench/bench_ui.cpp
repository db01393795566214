#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <memory>

#include <QFile>
#include <QTemporaryDir>

#include "project/SaveLoadPrjUnit.h"
#include "project/work_sections.h"
#include "ui/application.h"
#include "ui/project_adapter.h"

using namespace pulsefir::ui;
using namespace pulsefir::ui::widgets;

namespace {

std::unique_ptr<Application> openProgram() {
    auto program = std::make_unique<Application>();
    program->mainForm().show();
    program->filterForm().show();
    program->spectorForm().show();
    QApplication::processEvents();
    program->signalForm().Exp_Load_BitBtnClick();
    return program;
}

// A default search started from the window (50 001 epochs, half-widths 1000 and 100), with a
// 10 ms timer in the same program: the longest wait between two of its ticks is reported.
void bmWindowDefaultSearch(benchmark::State &bench) {
    auto program = openProgram();
    TFilterForm &filter = program->filterForm();
    double longestGapMs = 0;
    for (auto _ : bench) {
        filter.StartBitBtnClick();
        QElapsedTimer sinceTick;
        sinceTick.start();
        QTimer ticker;
        ticker.setInterval(10);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestGapMs = std::max(longestGapMs, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
            sinceTick.restart();
        });
        ticker.start();
        filter.Serch1_BitBtnClick();
        ticker.stop();
    }
    bench.counters["longest_tick_gap_ms"] = longestGapMs;
}

// "Рисовать" at the largest half-width: three series of 20001 points, painted before it returns.
void bmMainDrawAtLimit(benchmark::State &bench) {
    auto program = openProgram();
    TMainForm &main = program->mainForm();
    main.SWNmSpinEdit->setValue(10000);
    main.DrawBitBtnClick();
    program->signalForm().Exp_Load_BitBtnClick();
    for (auto _ : bench)
        main.DrawBitBtnClick();
}

// "Расчет спектров" with 10001 points (default half-widths), computed, plotted and painted.
void bmSpectraClickAtLimit(benchmark::State &bench) {
    auto program = openProgram();
    TSpectorForm &spector = program->spectorForm();
    spector.PointsNmSpinEdit->setValue(10001);
    for (auto _ : bench) {
        spector.CalcSpectorsBitBtnClick();
        spector.Chart->repaintNow();
    }
}

// Only the plotting of 10001 points in each of the nine series and the paint.
void bmSpectraPlotAtLimit(benchmark::State &bench) {
    auto program = openProgram();
    TSpectorForm &spector = program->spectorForm();
    spector.PointsNmSpinEdit->setValue(10001);
    spector.CalcSpectorsBitBtnClick();
    const auto &r = program->state().Spectra;
    for (auto _ : bench) {
        for (TLineSeries *s : spector.Series)
            s->clearPoints();
        for (TLineSeries *s : spector.Series)
            for (int k = 0; k < r.SpectorPointCount; ++k)
                s->addPoint(r.OmegaBuffer[static_cast<std::size_t>(k)] / 2 / 3.14159,
                            r.SignalAmplitudeBuffer[static_cast<std::size_t>(k)], Qt::black);
        spector.updateSeriesView();
        spector.Chart->repaintNow();
    }
}

// The group delays' box switched at 10001 points with the phases shown: the three delay series
// shown and the phases moved to the left axis, painted; then switched back and painted again.
void bmSpectraDelayToggleAtLimit(benchmark::State &bench) {
    auto program = openProgram();
    TSpectorForm &spector = program->spectorForm();
    spector.PointsNmSpinEdit->setValue(10001);
    for (QCheckBox *phase : {spector.CheckBox2, spector.CheckBox4, spector.CheckBox9})
        phase->setChecked(true);
    spector.CalcSpectorsBitBtnClick();
    for (auto _ : bench) {
        spector.DelayCheckBox->setChecked(true);
        spector.Chart->repaintNow();
        spector.DelayCheckBox->setChecked(false);
        spector.Chart->repaintNow();
    }
    bench.SetItemsProcessed(2 * bench.iterations()); // switches
}

// A project at the largest half-widths (20 001 samples in each signal buffer, 2 001 taps), every
// buffer full, opened as a file named on the command line: read, checked, applied, the main chart
// (3 x 20 001 points) and the filter chart (2 001) drawn and painted. The baseline opens the same
// program's settings alone, which redraw nothing.
void openProjectAtLimit(benchmark::State &bench, bool withWork) {
    auto program = openProgram();
    pulsefir::core::CoreState &s = program->state();
    for (int i = -pulsefir::core::MaxSignalHalfWidth; i <= pulsefir::core::MaxSignalHalfWidth; ++i) {
        s.SignalBuffer[i] = std::sin(0.001 * i) / 3;
        s.OutputBuffer[i] = std::cos(0.0013 * i) / 7;
        s.ResponseBuffer[i] = std::sin(0.0007 * i) * 1.1;
    }
    for (int j = -pulsefir::core::MaxFilterHalfWidth; j <= pulsefir::core::MaxFilterHalfWidth; ++j)
        s.FilterBuffer[j] = std::cos(0.01 * j) / 9;
    s.FilterHalfWidth = pulsefir::core::MaxFilterHalfWidth;
    program->mainForm().SWNmSpinEdit->setValue(pulsefir::core::MaxSignalHalfWidth);
    program->mainForm().DrawBitBtnClick();
    QTemporaryDir dir;
    const QString name = dir.filePath("limit.flt");
    {
        ProjectWindows windows(program->mainForm().windows());
        pulsefir::project::WorkSections work(s);
        pulsefir::project::Sections sections;
        if (withWork)
            sections.push_back(&work);
        pulsefir::project::saveProjectFile(QFile::encodeName(name).toStdString(), windows.windows(), ',', sections);
    }
    bench.counters["bytes"] = static_cast<double>(QFile(name).size());
    for (auto _ : bench)
        program->openProjectFile(name);
}

void bmOpenProjectWithWorkAtLimit(benchmark::State &bench) {
    openProjectAtLimit(bench, true);
}

void bmOpenProjectSettingsOnly(benchmark::State &bench) {
    openProjectAtLimit(bench, false);
}

BENCHMARK(bmWindowDefaultSearch)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(bmMainDrawAtLimit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bmSpectraClickAtLimit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bmSpectraPlotAtLimit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bmSpectraDelayToggleAtLimit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bmOpenProjectSettingsOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bmOpenProjectWithWorkAtLimit)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
