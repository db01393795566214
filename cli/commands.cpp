#include "commands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <iostream>
#include <locale>
#include <memory>
#include <optional>
#include <span>
#include <sstream>
#include <utility>
#include <vector>

#include <csignal>
#include <unistd.h>

#include "base/error.h"
#include "base/file.h"
#include "base/messages.h"
#include "base/number_text.h"
#include "core/filter_search.h"
#include "core/filter_synthesis.h"
#include "core/filtering.h"
#include "core/least_squares.h"
#include "core/pulse_metrics.h"
#include "core/signal_synthesis.h"
#include "core/spectra.h"
#include "core/spectrum_views.h"
#include "core/state.h"
#include "io/coefficient_writer.h"
#include "io/pulse_import.h"
#include "project/ProjectParameters.h"
#include "project/settings_conversions.h"
#include "project/settings_table.h"

namespace pulsefir::cli {

namespace {

// A step of the command line that does not name its own parameters.
struct UsageError {
    std::string message;
};

// The tool's state: the core's and the windows' settings, as the windows would hold them.
struct Session {
    std::unique_ptr<CoreState> state = std::make_unique<CoreState>();
    project::Settings settings;

    double samplingFrequency() const { return settings.main.samplingFrequency; }
    // As the main window's "Рисовать": the half-width field becomes the signal's half-width.
    void draw() { state->SignalHalfWidth = settings.main.signalHalfWidth; }
};

volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int) {
    interrupted = 1;
}

// Progress on standard error when it is a terminal; Ctrl+C stops after the current epoch.
class ConsoleSearchHost : public SearchHost {
  public:
    explicit ConsoleSearchHost(Session &session) : m_session(session), m_tty(::isatty(STDERR_FILENO) != 0) {
        interrupted = 0;
        m_previous = std::signal(SIGINT, onInterrupt);
    }
    ~ConsoleSearchHost() override {
        std::signal(SIGINT, m_previous);
        finish();
    }
    // Ends the progress line, so what follows starts on a line of its own.
    void finish() {
        if (m_tty && m_drawn)
            std::fputc('\n', stderr);
        m_drawn = false;
    }
    void ProcessMessages() override {
        if (interrupted)
            StopSearch(*m_session.state);
    }
    void ShowEpoch(std::int32_t epoch) override { m_epoch = epoch; }
    double RandomStep() override { return m_session.settings.filter.randomStep; }
    void ShowBestObjective(long double best) override {
        if (!m_tty || (m_epoch % ProgressEvery != 0 && m_epoch != 1))
            return;
        const int limit = EpochLimit();
        const int width = 30;
        const int filled =
            limit > 0 ? static_cast<int>(std::min(1.0, static_cast<double>(m_epoch) / (limit + 1)) * width) : width;
        const std::string bar = "\r[" + std::string(static_cast<std::size_t>(filled), '#') +
                                std::string(static_cast<std::size_t>(width - filled), ' ') + "] " +
                                base::Message::cliProgress(m_epoch, limit + 1, base::formatObjective(best, '.'));
        std::fputs(bar.c_str(), stderr);
        std::fflush(stderr);
        m_drawn = true;
    }
    std::int32_t EpochLimit() override { return m_session.settings.filter.epochLimit; }

  private:
    static constexpr int ProgressEvery = 256; // epochs between redraws of the bar
    Session &m_session;
    bool m_tty;
    bool m_drawn = false;
    std::int32_t m_epoch = 0;
    void (*m_previous)(int) = SIG_DFL;
};

// Numbers in the tool's output: '.' as the decimal point whatever the locale, and the shortest
// text that reads back as the same value.
std::string formatLong(long double value) {
    return base::formatSignificant(value, 17);
}

std::string formatNumber(double value) {
    return base::formatShortest(value);
}

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

// Standard output that could not be written (a full disk, a closed pipe) is an error, not a
// silent success.
void checkWritten(std::ostream &out) {
    out.flush();
    if (!out)
        throw base::Error(base::Message::unableToWriteStandardOutput());
}

// Writes to standard output for "-", else to the named file, whole or not at all: the text is
// made in memory first, so a file is never left half written.
void writeTo(const std::string &file, std::ostream &out, const std::function<void(std::ostream &)> &write) {
    if (file == "-") {
        write(out);
        checkWritten(out);
        return;
    }
    std::ostringstream text;
    write(text);
    base::writeFileWhole(file, text.view());
}

std::string optionalText(const std::optional<double> &value) {
    return value ? formatNumber(*value) : std::string();
}

// 1 where a value is measured up to an end of the window, 0 where it is not; empty without a value.
std::string cutText(const std::optional<double> &value, bool cut) {
    return value ? (cut ? "1" : "0") : "";
}

// The columns of the first version stay where they were; the cut flags, the -6 dB band's ends
// and the noise gain follow them, and the filter's row follows the three curves.
// One row per curve and one for the filter; the columns of MetricFields, the peak's index after
// the peak, the cut flags after the earlier columns and before the later ones.
void writeMetrics(std::ostream &s, const CoreState &state, double samplingFrequency) {
    const auto columns = [&](bool later, const auto &write) {
        for (const MetricField &f : MetricFields)
            if (f.laterColumn == later)
                write(f);
    };
    s << "curve";
    columns(false, [&](const MetricField &f) {
        s << ',' << f.column;
        if (f.value == &PulseMetrics::Peak)
            s << ",peak_index";
    });
    columns(false, [&](const MetricField &f) {
        if (f.cut)
            s << ',' << f.column << "_cut";
    });
    columns(true, [&](const MetricField &f) { s << ',' << f.column; });
    s << '\n';
    const auto row = [&](const char *name, const PulseMetrics &m) {
        s << name;
        columns(false, [&](const MetricField &f) {
            s << ',' << optionalText(m.*(f.value));
            if (f.value == &PulseMetrics::Peak)
                s << ',' << (m.PeakIndex ? base::formatInteger(*m.PeakIndex) : "");
        });
        columns(false, [&](const MetricField &f) {
            if (f.cut)
                s << ',' << cutText(m.*(f.value), m.*(f.cut));
        });
        columns(true, [&](const MetricField &f) { s << ',' << optionalText(m.*(f.value)); });
        s << '\n';
    };
    const std::pair<const char *, const SignalArray *> curves[] = {
        {"signal", &state.SignalBuffer}, {"output", &state.OutputBuffer}, {"response", &state.ResponseBuffer}};
    for (const auto &[name, buffer] : curves)
        row(name, MeasurePulse(*buffer, state.SignalHalfWidth, samplingFrequency));
    row("filter", MeasureFilter(state.FilterBuffer, state.FilterHalfWidth, samplingFrequency));
}

void writeTrace(std::ostream &s, const CoreState &state) {
    s << "epoch,objective\n";
    for (const SearchTracePoint &p : state.SearchTrace)
        s << p.Epoch << ',' << formatLong(p.BestObjective) << '\n';
}

template <typename Array> void writeBuffer(std::ostream &s, const Array &buffer, int halfWidth) {
    s << "index,value\n";
    const int n = std::clamp(halfWidth, -1, Array::HalfWidth);
    for (int k = -n; k <= n; ++k)
        s << k << ',' << formatNumber(buffer[k]) << '\n';
}

// The readable views of one source's spectrum beside the computed ones.
struct SpectrumViews {
    std::vector<double> decibels;
    std::vector<double> unwrapped; // rad
    const SpectorArray *delay;     // µs, NaN in the gaps
};

SpectrumViews spectrumViews(const SpectorResults &r, const SpectorArray &amplitude, const SpectorArray &phase,
                            const SpectorArray &delay) {
    const auto n = static_cast<std::size_t>(std::max(0, r.SpectorPointCount));
    return {AmplitudeDecibels(std::span<const double>(amplitude.data(), n)),
            UnwrapPhase(std::span<const double>(phase.data(), n)), &delay};
}

// A gap in the group delay (the amplitude below its floor) leaves the cell empty.
std::string cellText(double value) {
    return std::isnan(value) ? std::string() : formatNumber(value);
}

void writeSpectra(std::ostream &s, const SpectorResults &r) {
    s << "frequency_mhz,signal_amplitude,signal_phase,filter_amplitude,filter_phase,output_amplitude,output_phase";
    for (const char *source : {"signal", "filter", "output"})
        s << ',' << source << "_amplitude_db," << source << "_phase_unwrapped," << source << "_group_delay_us";
    s << '\n';
    const SpectrumViews views[3] = {
        spectrumViews(r, r.SignalAmplitudeBuffer, r.SignalPhaseBuffer, r.SignalDelayBuffer),
        spectrumViews(r, r.FilterAmplitudeBuffer, r.FilterPhaseBuffer, r.FilterDelayBuffer),
        spectrumViews(r, r.OutputAmplitudeBuffer, r.OutputPhaseBuffer, r.OutputDelayBuffer)};
    for (std::size_t k = 0; k < static_cast<std::size_t>(r.SpectorPointCount); ++k) {
        s << formatNumber(GridFrequency(r.OmegaBuffer[k])) << ',' << formatNumber(r.SignalAmplitudeBuffer[k]) << ','
          << formatNumber(r.SignalPhaseBuffer[k]) << ',' << formatNumber(r.FilterAmplitudeBuffer[k]) << ','
          << formatNumber(r.FilterPhaseBuffer[k]) << ',' << formatNumber(r.OutputAmplitudeBuffer[k]) << ','
          << formatNumber(r.OutputPhaseBuffer[k]);
        for (const SpectrumViews &v : views)
            s << ',' << formatNumber(v.decibels[k]) << ',' << formatNumber(v.unwrapped[k]) << ','
              << cellText((*v.delay)[k]);
        s << '\n';
    }
}

std::string rangeText(const project::SettingDefinition &d) {
    return formatNumber(d.minimum) + ".." + formatNumber(d.maximum);
}

void applySet(Session &session, const std::string &assignment) {
    const auto eq = assignment.find('=');
    const auto dot = assignment.find('.');
    if (eq == std::string::npos || dot == std::string::npos || dot > eq)
        throw UsageError{base::Message::cliSetForm(assignment)};
    const std::string section = assignment.substr(0, dot);
    const std::string key = assignment.substr(dot + 1, eq - dot - 1);
    const std::string text = assignment.substr(eq + 1);
    const project::SettingDefinition *d = project::findSetting(section, key);
    if (!d)
        throw UsageError{base::Message::cliUnknownKey(section + "." + key)};
    const auto value = base::parseCommandLineNumber(text);
    const bool whole = value && std::floor(*value) == *value;
    if (!value || (d->kind != project::SettingKind::Float && !whole))
        throw UsageError{
            base::Message::cliNotANumber(section + "." + key, text, d->kind != project::SettingKind::Float)};
    if (*value < d->minimum || *value > d->maximum)
        throw UsageError{base::Message::cliOutsideRange(section + "." + key, text, rangeText(*d))};
    d->set(session.settings, *value);
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
    const io::PulseImportOutcome outcome = io::ImportPulse(*s.state, request);
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

void writeFilter(Session &s, const std::string &file, std::ostream &out) {
    const double samplingFrequency = s.samplingFrequency();
    const auto data = io::CoefficientExport::OfFilter(*s.state, samplingFrequency, s.settings.filter.coeBits);
    const io::CoefficientFormat format = io::CoefficientFormatForFileName(file);
    writeTo(file, out, [&](std::ostream &o) { io::WriteCoefficients(o, data, format); });
}

struct Step {
    const char *name;
    const char *help;        // English
    const char *helpRussian; // the same under a Russian locale
    bool takesFile;
    std::function<void(Session &, const std::string &file, std::ostream &)> action;
};

const std::vector<Step> &steps() {
    static const std::vector<Step> table{
        {"draw", "take MainForm.SWNmSpinEdit as the signal half-width",
         "взять MainForm.SWNmSpinEdit полушириной сигнала", false,
         [](Session &s, const std::string &, std::ostream &) { s.draw(); }},
        {"load-signal", "clear the signal and add one tone burst", "очистить сигнал и добавить одну пачку", false,
         [](Session &s, const std::string &, std::ostream &) {
             LoadSignal(*s.state, project::toneBurst(s.settings.signal), s.samplingFrequency());
             s.draw();
         }},
        {"add-signal", "add one tone burst (an echo when the shift changed)",
         "добавить одну пачку (эхо, если сдвиг изменён)", false,
         [](Session &s, const std::string &, std::ostream &) {
             AddSignal(*s.state, project::toneBurst(s.settings.signal), s.samplingFrequency());
             s.draw();
         }},
        {"import-signal", "clear the signal and load a measured pulse (.csv .txt .dat .wav .npy)",
         "очистить сигнал и загрузить измеренный импульс (.csv .txt .dat .wav .npy)", true,
         [](Session &s, const std::string &file, std::ostream &) {
             importSignal(s, file, io::PlacementMode::Replace);
         }},
        {"add-signal-file", "add a measured pulse from a file on top of the signal",
         "добавить к сигналу измеренный импульс из файла", true,
         [](Session &s, const std::string &file, std::ostream &) { importSignal(s, file, io::PlacementMode::Add); }},
        {"add-noise", "add noise of amplitude SignalForm.NoiseNmSuperSpin",
         "добавить шум амплитуды SignalForm.NoiseNmSuperSpin", false,
         [](Session &s, const std::string &, std::ostream &) {
             AddNoise(*s.state, s.settings.signal.noiseAmplitude);
             s.draw();
         }},
        {"apply", "apply the filter to the signal (the filtered signal)",
         "применить фильтр к сигналу (сигнал после фильтрации)", false,
         [](Session &s, const std::string &, std::ostream &) { CalcOut(*s.state); }},
        {"synthesize", "make the filter by the window method (FilterForm fields)",
         "синтезировать фильтр оконным методом (поля FilterForm)", false,
         [](Session &s, const std::string &, std::ostream &) {
             SynthesizeFilter(*s.state, project::filterSynthesis(s.settings.filter), s.samplingFrequency());
         }},
        {"start-filter", "load the initial filter of the search (FilterForm.RadioGroup1)",
         "загрузить начальный фильтр поиска (FilterForm.RadioGroup1)", false,
         [](Session &s, const std::string &, std::ostream &) {
             LoadStartFilter(*s.state, s.settings.filter.startFilter);
         }},
        {"search", "search a filter toward the desired response; prints the last epoch and objective",
         "поиск фильтра к желаемому отклику; выводит последнюю эпоху и целевую функцию", false,
         [](Session &s, const std::string &, std::ostream &out) {
             ConsoleSearchHost host(s);
             const auto outcome = SearchFilter(*s.state, project::desiredResponse(s.settings.filter),
                                               s.samplingFrequency(), s.settings.filter.halfWidth, host);
             host.finish();
             out << base::Message::cliSearchResult(outcome.Epoch, formatLong(outcome.BestObjective)) << '\n';
         }},
        {"least-squares", "the least-squares filter toward the desired response; prints its objective and residual",
         "МНК-фильтр к желаемому отклику; выводит целевую функцию и невязку", false,
         [](Session &s, const std::string &, std::ostream &out) {
             const auto outcome =
                 LeastSquaresFilter(*s.state, project::desiredResponse(s.settings.filter), s.samplingFrequency(),
                                    s.settings.filter.halfWidth, s.settings.filter.regularisation);
             out << base::Message::cliLeastSquaresResult(formatLong(outcome.SearchObjective),
                                                         formatNumber(outcome.Residual))
                 << '\n';
         }},
        {"spectra", "compute the amplitude and phase spectra and group delays (SpectorForm fields)",
         "рассчитать амплитудные и фазовые спектры и групповые задержки (поля SpectorForm)", false,
         [](Session &s, const std::string &, std::ostream &) {
             const double samplingFrequency = s.samplingFrequency();
             const SpectorParameters p = project::spectra(s.settings.spectra);
             CalcSpectors(*s.state, samplingFrequency, p);
             if (GridAboveHalfSampling(samplingFrequency, p))
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
        {"write-spectra",
         "write the spectra as CSV, one row per grid frequency; also in dB, unwrapped phase and group delay in "
         "microseconds (empty where the amplitude is more than 40 dB below its largest)",
         "записать спектры в CSV, строка на частоту сетки; также в дБ, развёрнутая фаза и групповая задержка в "
         "микросекундах (пусто, где амплитуда ниже своей наибольшей более чем на 40 дБ)",
         true,
         [](Session &s, const std::string &file, std::ostream &out) {
             writeTo(file, out, [&](std::ostream &o) { writeSpectra(o, s.state->Spectra); });
         }},
        {"save-project", "save the current values as a project file (*.flt) that the windows open",
         "сохранить текущие значения файлом проекта (*.flt), который открывают окна", true,
         [](Session &s, const std::string &file, std::ostream &) {
             project::SaveProjectSettings(file, s.settings, userDecimalSeparator());
         }},
        {"metrics",
         "write the pulse metrics of signal, filtered signal, desired response and filter as CSV; a column "
         "NAME_cut is 1 where NAME reached an end of the window still above its level (the true value is larger)",
         "записать в CSV характеристики импульсов сигнала, сигнала после фильтрации, желаемого отклика и фильтра; "
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

std::string kindText(project::SettingKind kind) {
    switch (kind) {
    case project::SettingKind::Float:
        return base::say("число", "number");
    case project::SettingKind::Integer:
        return base::say("целое", "integer");
    case project::SettingKind::Check:
        return base::say("0 или 1", "0 or 1");
    case project::SettingKind::Radio:
        return base::say("номер пункта", "item index");
    }
    return "";
}

} // namespace

void PrintUsage(std::ostream &out) {
    const bool russian = base::speaksRussian();
    const std::string file = russian ? " ФАЙЛ" : " FILE";
    out << (russian ? "Использование: pulsefir-cli [--set Раздел.Ключ=ЗНАЧЕНИЕ | --project ФАЙЛ | ШАГ]...\n"
                      "Рассчитывает корректирующий КИХ-фильтр для ультразвуковых импульсов без окон.\n"
                      "Параметры и шаги выполняются по порядку над одним состоянием; в ЗНАЧЕНИИ годится '.' или "
                      "','.\n"
                      "--project ФАЙЛ берёт все ключи файла проекта (*.flt) там, где он стоит.\n\n"
                      "Шаги:\n"
                    : "Usage: pulsefir-cli [--set Section.Key=VALUE | --project FILE | STEP]...\n"
                      "Designs an FIR correction filter for ultrasonic pulses without the windows.\n"
                      "Options and steps run in the order given on one state; VALUE takes '.' or ','.\n"
                      "--project FILE takes every key of a project file (*.flt) where it stands.\n\n"
                      "Steps:\n");
    // Columns by characters, not bytes: a Cyrillic letter takes two bytes of UTF-8.
    const auto pad = [](const std::string &text, std::size_t width) {
        std::size_t characters = 0;
        for (unsigned char c : text)
            characters += (c & 0xC0) != 0x80;
        return std::string(characters < width ? width - characters : 1, ' ');
    };
    for (const auto &step : steps()) {
        std::string name = step.name;
        if (step.takesFile)
            name += file;
        out << "  " << name << pad(name, 22) << (russian ? step.helpRussian : step.help) << '\n';
    }
    out << (russian
                ? "  (ФАЙЛ - — стандартный вывод; CSV со строкой заголовка, '.' — десятичный разделитель)\n\n"
                  "Фаза: atan2(C, S) в радианах, C и S — суммы x[i] cos и x[i] sin от omega t: отсчитывается от\n"
                  "синуса, то есть равна arg(сумма x[i] exp(-i omega t)) + pi/2; симметричный фильтр показывает\n"
                  "+-pi/2 там, где программы, отсчитывающие от косинуса, показывают 0 или pi. Групповая задержка —\n"
                  "вещественная часть суммы t x[i] exp(-i omega t) / сумма x[i] exp(-i omega t),\n"
                  "в микросекундах, t = i / FNmSuperSpin.\n\n"
                  "Ключи:\n"
                : "  (FILE - is standard output; CSV with a header line, '.' as decimal separator)\n\n"
                  "Phase: atan2(C, S) in radians, C and S the sums of x[i] cos and x[i] sin of omega t: measured "
                  "against\n"
                  "a sine, so it is arg(sum x[i] exp(-i omega t)) + pi/2; a symmetric filter shows +-pi/2 where tools\n"
                  "that measure against a cosine show 0 or pi. The group delay is the real part of\n"
                  "sum t x[i] exp(-i omega t) / sum x[i] exp(-i omega t) in microseconds, t = i / FNmSuperSpin.\n\n"
                  "Keys:\n");
    for (const auto &d : project::SettingDefinitions) {
        std::string name = std::string(d.section) + "." + std::string(d.key);
        out << "  " << name << pad(name, 38) << kindText(d.kind) << ' ' << rangeText(d)
            << (russian ? ", по умолчанию " : ", default ") << formatNumber(d.defaultValue()) << '\n';
    }
    out << (russian ? "\nПеременные окружения:\n"
                      "  PULSEFIR_SCALAR=1                     переносимые скалярные ядра вместо векторных\n"
                      "                                        (результаты те же до бита)\n"
                      "  PULSEFIR_THREADS=N                    потоков для вычислений, 1..64 (по умолчанию по\n"
                      "                                        одному на ядро, не больше 8)\n"
                    : "\nEnvironment:\n"
                      "  PULSEFIR_SCALAR=1                     portable scalar kernels instead of the vector ones\n"
                      "                                        (the results are the same bit for bit)\n"
                      "  PULSEFIR_THREADS=N                    threads for the computations, 1..64 (default: one\n"
                      "                                        per core, at most 8)\n");
}

int Run(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    try {
        Session session;
        // As the main window does when it is created.
        session.draw();
        for (std::size_t k = 0; k < args.size(); ++k) {
            const std::string &arg = args[k];
            if (arg == "--help" || arg == "-h") {
                PrintUsage(out);
                checkWritten(out);
                return ExitOk;
            }
            if (arg == "--set") {
                if (k + 1 >= args.size())
                    throw UsageError{base::Message::cliSetNeedsValue()};
                applySet(session, args[++k]);
                continue;
            }
            if (arg == "--project") {
                if (k + 1 >= args.size())
                    throw UsageError{base::Message::cliProjectNeedsFile()};
                const std::string &file = args[++k];
                if (!project::ReadProjectSettings(file, session.settings))
                    err << base::Message::cliPrefix() << base::Message::projectHasNoSections(file) << '\n';
                continue;
            }
            if (arg.rfind("--set=", 0) == 0) {
                applySet(session, arg.substr(6));
                continue;
            }
            const Step *step = findStep(arg);
            if (!step)
                throw UsageError{base::Message::cliUnknownStep(arg)};
            std::string file;
            if (step->takesFile) {
                if (k + 1 >= args.size())
                    throw UsageError{base::Message::cliStepNeedsFile(step->name)};
                file = args[++k];
            }
            step->action(session, file, out);
        }
        checkWritten(out);
    } catch (const UsageError &error) {
        err << base::Message::cliPrefix() << error.message << "\n\n";
        PrintUsage(err);
        return ExitUsage;
    } catch (const base::Error &error) {
        err << base::Message::cliPrefix() << error.what() << '\n';
        return ExitCoreError;
    } catch (const std::bad_alloc &) {
        err << base::Message::cliPrefix() << base::Message::outOfMemory() << '\n';
        return ExitCoreError;
    } catch (const std::exception &error) {
        // Whatever else went wrong: a message, never an abort.
        err << base::Message::cliPrefix() << base::Message::cliUnexpected() << " (" << error.what() << ")\n";
        return ExitCoreError;
    } catch (...) {
        err << base::Message::cliPrefix() << base::Message::cliUnexpected() << '\n';
        return ExitCoreError;
    }
    return ExitOk;
}

} // namespace pulsefir::cli
