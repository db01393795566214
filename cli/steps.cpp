#include "steps.h"

#include <iostream>
#include <locale>
#include <stdexcept>

#include "base/messages.h"
#include "base/number_text.h"
#include "console_search_host.h"
#include "core/air_path.h"
#include "core/filter_search.h"
#include "core/filter_synthesis.h"
#include "core/filtering.h"
#include "core/fixed_point.h"
#include "core/least_squares.h"
#include "core/signal_synthesis.h"
#include "core/spectra.h"
#include "fixed_point_steps.h"
#include "io/coefficient_writer.h"
#include "io/hdl_writer.h"
#include "io/pulse_import.h"
#include "io/tap_reader.h"
#include "project/path_set.h"
#include "project/project_settings.h"
#include "project/settings_conversions.h"
#include "project/settings_table.h"
#include "pulse_set.h"
#include "reports.h"

namespace pulsefir::cli {

namespace {

// The decimal separator the windows write project files with under the user's locale (a comma
// on a Russian desktop), read from the environment's locale without making it the program's.
char userDecimalSeparator() {
    try {
        const char point = std::use_facet<std::numpunct<char>>(std::locale("")).decimal_point();
        return point == ',' ? ',' : '.';
    } catch (const std::runtime_error &) {
        return '.'; // a locale the C library does not have
    }
}

// Reads a measured pulse and places it as the signal window's "Файл" tab does: the file's own
// rate is taken into MainForm.FNmSuperSpin (FileRateRadioGroup 0) or the pulse is resampled to
// it (1). Notes about the rate and dropped samples go to standard error.
void importSignal(Session &s, const std::string &file, io::PlacementMode mode) {
    io::PulseImportRequest request;
    request.fileName = file;
    request.samplingFrequency = s.samplingFrequency();
    constexpr const project::SettingDefinition &rateField = project::setting("MainForm", "FNmSuperSpin");
    request.minimumRate = rateField.minimum;
    request.maximumRate = rateField.maximum;
    // As the window reads the radio group: only the second item resamples.
    request.rate = s.settings.signal.fileRate == 1 ? io::RateChoice::Resample : io::RateChoice::TakeFileRate;
    request.placement.offset = s.settings.signal.fileOffset;
    request.placement.scale = s.settings.signal.fileScale;
    request.placement.mode = mode;
    request.read.timeUnit = static_cast<io::TimeUnit>(s.settings.signal.fileTimeUnit);
    request.read.decimal = static_cast<io::DecimalChoice>(s.settings.signal.fileDecimal);
    request.read.column = s.settings.signal.fileColumn;
    const io::PulseImportOutcome outcome = io::importPulse(*s.state, request);
    std::cerr << base::Message::cliPrefix() << outcome.description << '\n';
    if (outcome.newSamplingFrequency) {
        s.settings.main.samplingFrequency = *outcome.newSamplingFrequency;
        std::cerr << base::Message::cliPrefix()
                  << base::Message::cliRateTaken("MainForm.FNmSuperSpin",
                                                 base::formatSignificant(*outcome.newSamplingFrequency, 15))
                  << '\n';
    } else if (outcome.resampled) {
        std::cerr << base::Message::cliPrefix()
                  << base::Message::cliResampled(base::formatSignificant(*outcome.fileSamplingFrequency, 15),
                                                 base::formatSignificant(request.samplingFrequency, 15))
                  << '\n';
    }
    const std::size_t dropped = outcome.placed.droppedBefore + outcome.placed.droppedAfter;
    if (dropped > 0)
        std::cerr << base::Message::cliPrefix() << base::Message::cliDropped(dropped) << '\n';
    s.draw();
}

// Reads filter taps as the filter window's "Загрузить фильтр из файла…" does.
void readFilter(Session &s, const std::string &file) {
    const io::FilterTaps taps = io::readFilterFile(file);
    const int halfWidth = io::loadFilterTaps(*s.state, taps);
    std::cerr << base::Message::cliPrefix() << base::Message::tapsRead(taps.taps.size(), taps.centre, halfWidth)
              << '\n';
}

void writeFilter(Session &s, const std::string &file, std::ostream &out) {
    const double samplingFrequency = s.samplingFrequency();
    const auto data =
        io::CoefficientExport::ofFilter(*s.state, samplingFrequency, project::fixedPoint(s.settings.filter));
    const io::CoefficientFormat format = io::coefficientFormatForFileName(file);
    writeTo(file, out, [&](std::ostream &o) { io::writeCoefficients(o, data, format); });
}

// Writes the Verilog and VHDL of the integer filter, their testbenches and stimulus into `folder`
// and reports what the design costs.
void writeHdl(Session &s, const std::string &folder, std::ostream &out) {
    const io::HdlExport e = io::hdlExportOf(*s.state, s.samplingFrequency(), project::fixedPoint(s.settings.filter));
    const io::HdlDesign design = io::writeHdl(folder, e.filter, e.signal);
    out << io::hdlReport(design, s.samplingFrequency()) << '\n';
}

// alpha(f) at the target's climate on the spectra window's grid.
void writeAbsorption(std::ostream &o, const Session &s) {
    const project::SpectraSettings &g = s.settings.spectra;
    const core::AirClimate air = project::signalPath(s.settings.signal).Target.Air;
    const std::vector<double> alpha = core::absorptionCurve(g.lowFrequency, g.highFrequency, g.pointCount, air);
    const double step = g.pointCount > 1 ? (g.highFrequency - g.lowFrequency) / (g.pointCount - 1) : 0.0;
    o << "frequency_mhz,alpha_db_per_m\n";
    for (std::size_t k = 0; k < alpha.size(); ++k)
        o << formatNumber(g.lowFrequency + static_cast<double>(k) * step) << ',' << formatNumber(alpha[k]) << '\n';
}

} // namespace

const std::vector<Step> &steps() {
    static const std::vector<Step> table{
        {"draw", "take MainForm.SWNmSpinEdit as the signal half-width",
         "взять MainForm.SWNmSpinEdit полушириной сигнала", false,
         [](Session &s, const std::string &, std::ostream &) { s.draw(); }},
        {"load-signal", "clear the signal and add one tone burst", "очистить сигнал и добавить одну пачку", false,
         [](Session &s, const std::string &, std::ostream &) {
             core::loadSignal(*s.state, project::toneBurst(s.settings.signal), s.samplingFrequency());
             s.draw();
         }},
        {"add-signal", "add one tone burst (an echo when the shift changed)",
         "добавить одну пачку (эхо, если сдвиг изменён)", false,
         [](Session &s, const std::string &, std::ostream &) {
             core::addSignal(*s.state, project::toneBurst(s.settings.signal), s.samplingFrequency());
             s.draw();
         }},
        {"import-signal", "clear the signal and load a measured pulse (.csv .tsv .txt .dat .wav .w64 .rf64 .npy)",
         "очистить сигнал и загрузить измеренный импульс (.csv .tsv .txt .dat .wav .w64 .rf64 .npy)", true,
         [](Session &s, const std::string &file, std::ostream &) {
             importSignal(s, file, io::PlacementMode::Replace);
         }},
        {"add-signal-file", "add a measured pulse from a file on top of the signal",
         "добавить к сигналу измеренный импульс из файла", true,
         [](Session &s, const std::string &file, std::ostream &) { importSignal(s, file, io::PlacementMode::Add); }},
        {"propagate",
         "carry the signal from SignalForm.PathDistance/Temperature/HumidityNmSuperSpin to the "
         "SignalForm.PathTarget... conditions through the air (absorption, spreading, delay)",
         "перенести сигнал по воздуху от условий SignalForm.PathDistance/Temperature/HumidityNmSuperSpin к "
         "SignalForm.PathTarget... (поглощение, расхождение, задержка)",
         false,
         [](Session &s, const std::string &, std::ostream &) {
             core::propagateSignal(*s.state, s.samplingFrequency(), project::signalPath(s.settings.signal));
         }},
        {"write-absorption",
         "write the absorption of air at the target climate on the spectra grid as CSV "
         "(frequency_mhz,alpha_db_per_m)",
         "записать в CSV поглощение в воздухе при условиях цели на сетке спектров (frequency_mhz,alpha_db_per_m)", true,
         [](Session &s, const std::string &file, std::ostream &out) {
             writeTo(file, out, [&](std::ostream &o) { writeAbsorption(o, s); });
         }},
        {"add-noise", "add noise of amplitude SignalForm.NoiseNmSuperSpin",
         "добавить шум амплитуды SignalForm.NoiseNmSuperSpin", false,
         [](Session &s, const std::string &, std::ostream &) {
             core::addNoise(*s.state, s.settings.signal.noiseAmplitude);
             s.draw();
         }},
        {"apply", "apply the filter to the signal (the filtered signal)",
         "применить фильтр к сигналу (сигнал после фильтрации)", false,
         [](Session &s, const std::string &, std::ostream &) { core::calcOut(*s.state); }},
        {"apply-fixed",
         "apply the filter as the hardware computes it (FilterForm fixed-point fields); prints the output shift, "
         "format and error",
         "применить фильтр так, как его считает аппаратура (поля фикс. точки FilterForm); выводит сдвиг, формат "
         "выхода и ошибку",
         false, [](Session &s, const std::string &, std::ostream &out) { applyFixed(s, out); }},
        {"write-fixed-output", "write the last fixed-point output as CSV (index,input,output,value)",
         "записать последний выход в фикс. точке в CSV (index,input,output,value)", true,
         [](Session &s, const std::string &file, std::ostream &out) {
             writeTo(file, out, [&](std::ostream &o) { writeFixedOutput(o, s); });
         }},
        {"fit-bits",
         "try tap widths 4..32 and set FilterForm.CoeBitsNmSpinEdit to the first that keeps side level, duration "
         "and SNR; prints the table",
         "перебрать разрядности 4..32 и установить FilterForm.CoeBitsNmSpinEdit первой, что сохраняет боковые "
         "лепестки, длительность и ОСШ; выводит таблицу",
         false, [](Session &s, const std::string &, std::ostream &out) { fitBits(s, out); }},
        {"synthesize", "make the filter by the window method (FilterForm fields)",
         "синтезировать фильтр оконным методом (поля FilterForm)", false,
         [](Session &s, const std::string &, std::ostream &) {
             core::synthesizeFilter(*s.state, project::filterSynthesis(s.settings.filter), s.samplingFrequency());
         }},
        {"start-filter", "load the initial filter of the search (FilterForm.RadioGroup1)",
         "загрузить начальный фильтр поиска (FilterForm.RadioGroup1)", false,
         [](Session &s, const std::string &, std::ostream &) {
             core::loadStartFilter(*s.state, s.settings.filter.startFilter);
         }},
        {"search", "search a filter toward the desired response; prints the last epoch and objective",
         "поиск фильтра к желаемому отклику; выводит последнюю эпоху и целевую функцию", false,
         [](Session &s, const std::string &, std::ostream &out) {
             ConsoleSearchHost host(s);
             const auto outcome = core::searchFilter(*s.state, project::desiredResponse(s.settings.filter),
                                                     s.samplingFrequency(), s.settings.filter.halfWidth, host);
             host.finish();
             out << base::Message::cliSearchResult(outcome.Epoch, formatLong(outcome.BestObjective)) << '\n';
         }},
        {"least-squares",
         "the least-squares filter toward the desired response over the signal and the set's training pulses; "
         "prints its objective and residual",
         "МНК-фильтр к желаемому отклику по сигналу и импульсам набора для расчёта; выводит целевую функцию и "
         "невязку",
         false, [](Session &s, const std::string &, std::ostream &out) { designOverSet(s, out); }},
        {"add-training", "add a measured pulse to the set the least-squares filter is designed over",
         "добавить измеренный импульс в набор, по которому рассчитывается МНК-фильтр", true,
         [](Session &s, const std::string &file, std::ostream &) { addSetPulse(s, file, false); }},
        {"add-check", "add a measured pulse to the set, held out of the design to check the filter on",
         "добавить в набор измеренный импульс для проверки фильтра (в расчёт не входит)", true,
         [](Session &s, const std::string &file, std::ostream &) { addSetPulse(s, file, true); }},
        {"add-path-set",
         "add the signal carried over the grid of FilterForm.PathSet... (distances x temperatures x "
         "humidities, without the delay) to the set as training pulses",
         "добавить в набор для расчёта сигнал, перенесённый на сетку FilterForm.PathSet... (расстояния x "
         "температуры x влажности, без задержки)",
         false, [](Session &s, const std::string &, std::ostream &) { addPathSet(s); }},
        {"write-set-report",
         "write how the last least-squares filter does on each pulse of the set as CSV "
         "(file,role,residual,width_6db_us,duration_20db_us,side_level_db,peak,worst)",
         "записать в CSV, как последний МНК-фильтр справляется с каждым импульсом набора "
         "(file,role,residual,width_6db_us,duration_20db_us,side_level_db,peak,worst)",
         true,
         [](Session &s, const std::string &file, std::ostream &out) {
             writeTo(file, out, [&](std::ostream &o) { writeSetReport(o, s); });
         }},
        {"spectra", "compute the amplitude and phase spectra and group delays (SpectorForm fields)",
         "рассчитать амплитудные и фазовые спектры и групповые задержки (поля SpectorForm)", false,
         [](Session &s, const std::string &, std::ostream &) {
             const double samplingFrequency = s.samplingFrequency();
             const core::SpectorParameters p = project::spectra(s.settings.spectra);
             core::calcSpectors(*s.state, samplingFrequency, p);
             if (core::gridAboveHalfSampling(samplingFrequency, p))
                 std::cerr << base::Message::cliPrefix()
                           << base::Message::gridAboveHalfSampling(base::formatSignificant(samplingFrequency / 2.0, 15))
                           << '\n';
         }},
        {"write-signal", "write the signal as CSV", "записать сигнал в CSV", true,
         [](Session &s, const std::string &file, std::ostream &out) {
             writeTo(file, out,
                     [&](std::ostream &o) { writeBuffer(o, s.state->SignalBuffer, s.state->SignalHalfWidth); });
         }},
        {"write-output", "write the filtered signal as CSV", "записать сигнал после фильтрации в CSV", true,
         [](Session &s, const std::string &file, std::ostream &out) {
             writeTo(file, out,
                     [&](std::ostream &o) { writeBuffer(o, s.state->OutputBuffer, s.state->SignalHalfWidth); });
         }},
        {"write-response", "write the desired response as CSV", "записать желаемый отклик в CSV", true,
         [](Session &s, const std::string &file, std::ostream &out) {
             writeTo(file, out,
                     [&](std::ostream &o) { writeBuffer(o, s.state->ResponseBuffer, s.state->SignalHalfWidth); });
         }},
        {"write-filter", "write the filter taps; .txt .npy .h .coe .m by extension, else CSV",
         "записать отводы фильтра; .txt .npy .h .coe .m по расширению, иначе CSV", true, writeFilter},
        {"write-hdl",
         "write the integer filter as Verilog and VHDL with self-checking testbenches, stimulus.hex and "
         "expected.hex into the folder FILE (made where missing); prints its resources and latency",
         "записать целочисленный фильтр на Verilog и VHDL с самопроверяющими тестами, stimulus.hex и "
         "expected.hex в папку ФАЙЛ (создаётся, если её нет); печатает ресурсы и задержку",
         true, writeHdl},
        {"read-filter", "read filter taps (.csv .txt .dat .npy .h .coe .m, as write-filter writes them, or a column)",
         "прочитать отводы фильтра (.csv .txt .dat .npy .h .coe .m, как их пишет write-filter, или столбец)", true,
         [](Session &s, const std::string &file, std::ostream &) { readFilter(s, file); }},
        {"write-spectra",
         "write the spectra as CSV, one row per grid frequency; also in dB, unwrapped phase and group delay in "
         "microseconds (empty where the amplitude is more than 40 dB below its largest)",
         "записать спектры в CSV, строка на частоту сетки; также в дБ, развёрнутая фаза и групповая задержка в "
         "микросекундах (пусто, где амплитуда ниже своей наибольшей более чем на 40 дБ)",
         true,
         [](Session &s, const std::string &file, std::ostream &out) {
             writeTo(file, out, [&](std::ostream &o) { writeSpectra(o, s.state->Spectra); });
         }},
        {"save-project", "save the current values and buffers as a project file (*.flt) that the windows open",
         "сохранить текущие значения и буферы файлом проекта (*.flt), который открывают окна", true,
         [](Session &s, const std::string &file, std::ostream &) {
             project::PulseSetProjectSection set([&s] { return setList(s); }, [](const project::PulseSetList &) {});
             project::saveProject(file, s.settings, *s.state, userDecimalSeparator(), s.projectSource, {&set});
         }},
        {"metrics",
         "write the pulse metrics of signal, filtered signal, desired response, filter and fixed-point output as "
         "CSV; a column "
         "NAME_cut is 1 where NAME reached an end of the window still above its level (the true value is larger)",
         "записать в CSV характеристики импульсов сигнала, сигнала после фильтрации, желаемого отклика, фильтра и "
         "выхода в фикс. точке; "
         "столбец NAME_cut равен 1, где NAME дошла до края окна выше своего уровня (истинное значение больше)",
         true,
         [](Session &s, const std::string &file, std::ostream &out) {
             writeTo(file, out, [&](std::ostream &o) { writeMetrics(o, *s.state, s.samplingFrequency()); });
         }},
        {"write-trace", "write the accepted epochs of the last search as CSV",
         "записать в CSV принятые эпохи последнего поиска", true,
         [](Session &s, const std::string &file, std::ostream &out) {
             writeTo(file, out, [&](std::ostream &o) { writeTrace(o, *s.state); });
         }},
    };
    return table;
}

const Step *findStep(const std::string &name) {
    for (const auto &step : steps())
        if (name == step.name)
            return &step;
    return nullptr;
}

} // namespace pulsefir::cli
