#include "commands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <sstream>
#include <utility>
#include <vector>

#include <csignal>
#include <unistd.h>

#include <QLocale>

#include "core/errors.h"
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
#include "project/NumberText.h"
#include "project/Parameters.h"
#include "project/ProjectParameters.h"

namespace pulsefir::cli {

namespace {

// A step of the command line that does not name its own parameters.
struct UsageError {
    std::string message;
};

struct Session {
    std::unique_ptr<CoreState> state = std::make_unique<CoreState>();
    ParameterValues values;

    double f(std::string_view section, std::string_view key) const { return values.get(section, key); }
    int i(std::string_view section, std::string_view key) const { return values.getInt(section, key); }

    double samplingFrequency() const { return f("MainForm", "FNmSuperSpin"); }

    ToneBurstParameters burst() const {
        ToneBurstParameters p;
        p.Amplitude = f("SignalForm", "Exp_Am_NmSuperSpin");
        p.Frequency = f("SignalForm", "Exp_F_NmSuperSpin");
        p.PhaseDeg = f("SignalForm", "Exp_Phaze_NmSuperSpin");
        p.FrontTimeConstant = f("SignalForm", "Exp_Front_NmSuperSpin");
        p.ExcitationTime = f("SignalForm", "Exp_Time_NmSuperSpin");
        p.Shift = f("SignalForm", "Exp_Shift_NmSuperSpin");
        return p;
    }

    void draw() { state->SignalHalfWidth = i("MainForm", "SWNmSpinEdit"); }

    FilterSynthesisParameters synthesis() const {
        FilterSynthesisParameters p;
        p.FilterHalfWidth = i("FilterForm", "WINNmSpinEdit");
        p.K = f("FilterForm", "K_NmSuperSpin");
        p.F0 = f("FilterForm", "F0_NmSuperSpin");
        p.DF = f("FilterForm", "DF_NmSuperSpin");
        p.PhazeShift = i("FilterForm", "PhazeShiftNmSpinEdit");
        p.FilterType = i("FilterForm", "FilterTypeRadioGroup");
        p.WinType = i("FilterForm", "WinTypeRadioGroup");
        return p;
    }

    ResponseParameters response() const {
        ResponseParameters r;
        r.Ar1 = f("FilterForm", "Ar1_NmSuperSpin");
        r.Tr1 = f("FilterForm", "Tr1_NmSuperSpin");
        r.ResponseShape = i("FilterForm", "ResponseRadioGroup");
        return r;
    }

    SpectorParameters spectra() const {
        SpectorParameters p;
        p.LowFrequency = f("SpectorForm", "FL_NmSuperSpin");
        p.HighFrequency = f("SpectorForm", "FH_NmSuperSpin");
        p.PointCount = i("SpectorForm", "PointsNmSpinEdit");
        p.NormalizeSignal = i("SpectorForm", "CheckBox5") != 0;
        p.NormalizeFilter = i("SpectorForm", "CheckBox6") != 0;
        p.NormalizeOutput = i("SpectorForm", "CheckBox7") != 0;
        return p;
    }
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
    double RandomStep() override { return m_session.f("FilterForm", "RandomNmSuperSpin"); }
    void ShowBestObjective(long double best) override {
        if (!m_tty || (m_epoch % ProgressEvery != 0 && m_epoch != 1))
            return;
        const int limit = EpochLimit();
        const int width = 30;
        const int filled =
            limit > 0 ? static_cast<int>(std::min(1.0, static_cast<double>(m_epoch) / (limit + 1)) * width) : width;
        std::fprintf(stderr, "\r[%s%s] epoch %d/%d objective %s",
                     std::string(static_cast<std::size_t>(filled), '#').c_str(),
                     std::string(static_cast<std::size_t>(width - filled), ' ').c_str(), m_epoch, limit + 1,
                     text::FormatObjective(best, '.').c_str());
        std::fflush(stderr);
        m_drawn = true;
    }
    std::int32_t EpochLimit() override { return m_session.i("FilterForm", "EpochNmSpinEdit"); }

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
    return text::GeneralText(value, 17);
}

std::string formatNumber(double value) {
    return text::ShortestText(value);
}

// Standard output that could not be written (a full disk, a closed pipe) is an error, not a
// silent success.
void checkWritten(std::ostream &out) {
    out.flush();
    if (!out)
        throw base::Error("Unable to write to standard output.");
}

// Writes to the named file, or to standard output for "-".
void writeTo(const std::string &file, std::ostream &out, const std::function<void(std::ostream &)> &write) {
    if (file == "-") {
        write(out);
        checkWritten(out);
        return;
    }
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    if (!stream)
        throw base::Error("Unable to write to " + file + ".");
    write(stream);
    stream.flush();
    if (!stream)
        throw base::Error("Unable to write to " + file + ".");
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
void writeMetrics(std::ostream &s, const CoreState &state, double samplingFrequency) {
    s << "curve,peak,peak_index,peak_time_us,width_6db_us,ringdown_20db_us,ringdown_40db_us,side_level_db,"
         "duration_20db_us,peak_frequency_mhz,centre_frequency_mhz,bandwidth_6db_percent,width_6db_us_cut,"
         "ringdown_20db_us_cut,ringdown_40db_us_cut,duration_20db_us_cut,lower_frequency_mhz,upper_frequency_mhz,"
         "noise_gain_db\n";
    auto row = [&](const char *name, const PulseMetrics &m) {
        s << name << ',' << optionalText(m.Peak) << ',' << (m.PeakIndex ? std::to_string(*m.PeakIndex) : "") << ','
          << optionalText(m.PeakTime) << ',' << optionalText(m.Width6dB) << ',' << optionalText(m.RingDown20dB) << ','
          << optionalText(m.RingDown40dB) << ',' << optionalText(m.SideLevelDb) << ',' << optionalText(m.Duration20dB)
          << ',' << optionalText(m.PeakFrequency) << ',' << optionalText(m.CentreFrequency) << ','
          << optionalText(m.Bandwidth6dBPercent) << ',' << cutText(m.Width6dB, m.Width6dBCut) << ','
          << cutText(m.RingDown20dB, m.RingDown20dBCut) << ',' << cutText(m.RingDown40dB, m.RingDown40dBCut) << ','
          << cutText(m.Duration20dB, m.Duration20dBCut) << ',' << optionalText(m.LowerFrequency) << ','
          << optionalText(m.UpperFrequency) << ',' << optionalText(m.NoiseGainDb) << '\n';
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

std::string rangeText(const ParameterDefinition &d) {
    return formatNumber(d.minimum) + ".." + formatNumber(d.maximum);
}

void applySet(Session &session, const std::string &assignment) {
    const auto eq = assignment.find('=');
    const auto dot = assignment.find('.');
    if (eq == std::string::npos || dot == std::string::npos || dot > eq)
        throw UsageError{"--set wants Section.Key=VALUE, got '" + assignment + "'"};
    const std::string section = assignment.substr(0, dot);
    const std::string key = assignment.substr(dot + 1, eq - dot - 1);
    const std::string text = assignment.substr(eq + 1);
    const ParameterDefinition *d = FindParameter(section, key);
    if (!d)
        throw UsageError{"unknown key " + section + "." + key};
    const auto value = ParseDecimal(text);
    const bool whole = value && std::floor(*value) == *value;
    if (!value || (d->kind != ParameterKind::Float && !whole))
        throw UsageError{section + "." + key + ": '" + text + "' is not " +
                         (d->kind == ParameterKind::Float ? "a number" : "a whole number")};
    if (*value < d->minimum || *value > d->maximum)
        throw UsageError{section + "." + key + ": " + text + " is outside " + rangeText(*d)};
    session.values.set(section, key, *value);
}

// Reads a measured pulse and places it as the signal window's "Файл" tab does: the file's own
// rate is taken into MainForm.FNmSuperSpin (FileRateRadioGroup 0) or the pulse is resampled to
// it (1). Notes about the rate and dropped samples go to standard error.
void importSignal(Session &s, const std::string &file, io::PlacementMode mode) {
    io::PulseImportRequest request;
    request.fileName = file;
    request.samplingFrequency = s.samplingFrequency();
    const ParameterDefinition &rateField = Parameter("MainForm", "FNmSuperSpin");
    request.minimumRate = rateField.minimum;
    request.maximumRate = rateField.maximum;
    // As the window reads the radio group: only the second item resamples.
    request.rate =
        s.i("SignalForm", "FileRateRadioGroup") == 1 ? io::RateChoice::Resample : io::RateChoice::TakeFileRate;
    request.placement.offset = s.i("SignalForm", "FileOffsetNmSpinEdit");
    request.placement.scale = s.f("SignalForm", "FileScaleNmSuperSpin");
    request.placement.mode = mode;
    const io::PulseImportOutcome outcome = io::ImportPulse(*s.state, request);
    if (outcome.newSamplingFrequency) {
        s.values.set("MainForm", "FNmSuperSpin", *outcome.newSamplingFrequency);
        std::cerr << "pulsefir-cli: MainForm.FNmSuperSpin = " << text::GeneralText(*outcome.newSamplingFrequency, 15)
                  << " MHz, the file's rate\n";
    } else if (outcome.resampled) {
        std::cerr << "pulsefir-cli: resampled from " << text::GeneralText(*outcome.fileSamplingFrequency, 15) << " to "
                  << text::GeneralText(request.samplingFrequency, 15) << " MHz\n";
    }
    const std::size_t dropped = outcome.placed.droppedBefore + outcome.placed.droppedAfter;
    if (dropped > 0)
        std::cerr << "pulsefir-cli: " << dropped << " samples fall outside -10000..10000 and were dropped\n";
    s.draw();
}

void writeFilter(Session &s, const std::string &file, std::ostream &out) {
    const double samplingFrequency = s.samplingFrequency();
    const auto data = io::CoefficientExport::OfFilter(*s.state, samplingFrequency, s.i("FilterForm", "CoeBitsNmSpinEdit"));
    const io::CoefficientFormat format = io::CoefficientFormatForFileName(file);
    writeTo(file, out, [&](std::ostream &o) { io::WriteCoefficients(o, data, format); });
}

struct Step {
    const char *name;
    const char *help;
    bool takesFile;
    std::function<void(Session &, const std::string &file, std::ostream &)> action;
};

const std::vector<Step> &steps() {
    static const std::vector<Step> table{
        {"draw", "take MainForm.SWNmSpinEdit as the signal half-width", false,
         [](Session &s, const std::string &, std::ostream &) { s.draw(); }},
        {"load-signal", "clear the signal and add one tone burst", false,
         [](Session &s, const std::string &, std::ostream &) {
             LoadSignal(*s.state, s.burst(), s.samplingFrequency());
             s.draw();
         }},
        {"add-signal", "add one tone burst (an echo when the shift changed)", false,
         [](Session &s, const std::string &, std::ostream &) {
             AddSignal(*s.state, s.burst(), s.samplingFrequency());
             s.draw();
         }},
        {"import-signal", "clear the signal and load a measured pulse (.csv .txt .dat .wav .npy)", true,
         [](Session &s, const std::string &file, std::ostream &) {
             importSignal(s, file, io::PlacementMode::Replace);
         }},
        {"add-signal-file", "add a measured pulse from a file on top of the signal", true,
         [](Session &s, const std::string &file, std::ostream &) { importSignal(s, file, io::PlacementMode::Add); }},
        {"add-noise", "add noise of amplitude SignalForm.NoiseNmSuperSpin", false,
         [](Session &s, const std::string &, std::ostream &) {
             AddNoise(*s.state, s.f("SignalForm", "NoiseNmSuperSpin"));
             s.draw();
         }},
        {"apply", "apply the filter to the signal (the filtered signal)", false,
         [](Session &s, const std::string &, std::ostream &) { CalcOut(*s.state); }},
        {"synthesize", "make the filter by the window method (FilterForm fields)", false,
         [](Session &s, const std::string &, std::ostream &) {
             SynthesizeFilter(*s.state, s.synthesis(), s.samplingFrequency());
         }},
        {"start-filter", "load the initial filter of the search (FilterForm.RadioGroup1)", false,
         [](Session &s, const std::string &, std::ostream &) {
             LoadStartFilter(*s.state, s.i("FilterForm", "RadioGroup1"));
         }},
        {"search", "search a filter toward the desired response; prints the last epoch and objective", false,
         [](Session &s, const std::string &, std::ostream &out) {
             ConsoleSearchHost host(s);
             const auto outcome =
                 SearchFilter(*s.state, s.response(), s.samplingFrequency(), s.i("FilterForm", "WINNmSpinEdit"), host);
             host.finish();
             out << "epoch " << outcome.Epoch << " objective " << formatLong(outcome.BestObjective) << '\n';
         }},
        {"least-squares", "the least-squares filter toward the desired response; prints its objective and residual",
         false,
         [](Session &s, const std::string &, std::ostream &out) {
             const auto outcome =
                 LeastSquaresFilter(*s.state, s.response(), s.samplingFrequency(), s.i("FilterForm", "WINNmSpinEdit"),
                                    s.f("FilterForm", "RegularizationNmSuperSpin"));
             out << "objective " << formatLong(outcome.SearchObjective) << " residual "
                 << formatNumber(outcome.Residual) << '\n';
         }},
        {"spectra", "compute the amplitude and phase spectra and group delays (SpectorForm fields)", false,
         [](Session &s, const std::string &, std::ostream &) {
             const double samplingFrequency = s.samplingFrequency();
             const SpectorParameters p = s.spectra();
             CalcSpectors(*s.state, samplingFrequency, p);
             if (GridAboveHalfSampling(samplingFrequency, p))
                 std::cerr << "pulsefir-cli: the grid reaches above half the sampling frequency ("
                           << text::GeneralText(samplingFrequency / 2.0, 15)
                           << " MHz); there the spectra repeat lower frequencies mirrored, and a normalisation may "
                              "take an alias' peak\n";
         }},
        {"write-signal", "write the signal as CSV", true,
         [](Session &s, const std::string &file, std::ostream &out) {
             writeTo(file, out,
                     [&](std::ostream &o) { writeBuffer(o, s.state->SignalBuffer, s.state->SignalHalfWidth); });
         }},
        {"write-output", "write the filtered signal as CSV", true,
         [](Session &s, const std::string &file, std::ostream &out) {
             writeTo(file, out,
                     [&](std::ostream &o) { writeBuffer(o, s.state->OutputBuffer, s.state->SignalHalfWidth); });
         }},
        {"write-response", "write the desired response as CSV", true,
         [](Session &s, const std::string &file, std::ostream &out) {
             writeTo(file, out,
                     [&](std::ostream &o) { writeBuffer(o, s.state->ResponseBuffer, s.state->SignalHalfWidth); });
         }},
        {"write-filter", "write the filter taps; .txt .npy .h .coe .m by extension, else CSV", true, writeFilter},
        {"write-spectra",
         "write the spectra as CSV, one row per grid frequency; also in dB, unwrapped phase and group delay in "
         "microseconds (empty where the amplitude is more than 40 dB below its largest)",
         true,
         [](Session &s, const std::string &file, std::ostream &out) {
             writeTo(file, out, [&](std::ostream &o) { writeSpectra(o, s.state->Spectra); });
         }},
        {"save-project", "save the current values as a project file (*.flt) that the windows open", true,
         [](Session &s, const std::string &file, std::ostream &) {
             // The decimal separator the windows would write under the user's locale.
             const QString decimal = QLocale().decimalPoint();
             project::SaveProjectParameters(QString::fromLocal8Bit(file.c_str()), s.values,
                                            decimal.isEmpty() ? QChar('.') : decimal.at(0));
         }},
        {"metrics",
         "write the pulse metrics of signal, filtered signal, desired response and filter as CSV; a column "
         "NAME_cut is 1 where NAME reached an end of the window still above its level (the true value is larger)",
         true,
         [](Session &s, const std::string &file, std::ostream &out) {
             writeTo(file, out, [&](std::ostream &o) { writeMetrics(o, *s.state, s.samplingFrequency()); });
         }},
        {"write-trace", "write the accepted epochs of the last search as CSV", true,
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

const char *kindText(ParameterKind kind) {
    switch (kind) {
    case ParameterKind::Float:
        return "number";
    case ParameterKind::Integer:
        return "integer";
    case ParameterKind::Check:
        return "0 or 1";
    case ParameterKind::Radio:
        return "item index";
    }
    return "";
}

} // namespace

void PrintUsage(std::ostream &out) {
    out << "Usage: pulsefir-cli [--set Section.Key=VALUE | --project FILE | STEP]...\n"
           "Designs an FIR correction filter for ultrasonic pulses without the windows.\n"
           "Options and steps run in the order given on one state; VALUE takes '.' or ','.\n"
           "--project FILE takes every key of a project file (*.flt) where it stands.\n\n"
           "Steps:\n";
    for (const auto &step : steps()) {
        std::string name = step.name;
        if (step.takesFile)
            name += " FILE";
        out << "  " << name << std::string(name.size() < 22 ? 22 - name.size() : 1, ' ') << step.help << '\n';
    }
    out << "  (FILE - is standard output; CSV with a header line, '.' as decimal separator)\n\n"
           "Phase: atan2(C, S) in radians, C and S the sums of x[i] cos and x[i] sin of omega t: measured against\n"
           "a sine, so it is arg(sum x[i] exp(-i omega t)) + pi/2; a symmetric filter shows +-pi/2 where tools\n"
           "that measure against a cosine show 0 or pi. The group delay is the real part of\n"
           "sum t x[i] exp(-i omega t) / sum x[i] exp(-i omega t) in microseconds, t = i / FNmSuperSpin.\n\n"
           "Keys:\n";
    for (const auto &d : ParameterDefinitions()) {
        std::string name = std::string(d.section) + "." + std::string(d.key);
        out << "  " << name << std::string(name.size() < 38 ? 38 - name.size() : 1, ' ') << kindText(d.kind) << ' '
            << rangeText(d) << ", default " << formatNumber(d.defaultValue) << '\n';
    }
    out << "\nEnvironment:\n"
           "  PULSEFIR_SCALAR=1                     portable scalar kernels instead of the vector ones\n"
           "                                        (the results are the same bit for bit)\n"
           "  PULSEFIR_THREADS=N                    threads for the computations, 1..64 (default: one\n"
           "                                        per core, at most 8)\n";
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
                    throw UsageError{"--set needs Section.Key=VALUE"};
                applySet(session, args[++k]);
                continue;
            }
            if (arg == "--project") {
                if (k + 1 >= args.size())
                    throw UsageError{"--project needs a FILE"};
                const std::string &file = args[++k];
                if (!project::ReadProjectParameters(QString::fromLocal8Bit(file.c_str()), session.values))
                    err << "pulsefir-cli: " << file
                        << " has none of the sections MainForm, SignalForm, FilterForm, SpectorForm: it set nothing\n";
                continue;
            }
            if (arg.rfind("--set=", 0) == 0) {
                applySet(session, arg.substr(6));
                continue;
            }
            const Step *step = findStep(arg);
            if (!step)
                throw UsageError{"unknown step '" + arg + "'"};
            std::string file;
            if (step->takesFile) {
                if (k + 1 >= args.size())
                    throw UsageError{std::string(step->name) + " needs a FILE"};
                file = args[++k];
            }
            step->action(session, file, out);
        }
        checkWritten(out);
    } catch (const UsageError &error) {
        err << "pulsefir-cli: " << error.message << "\n\n";
        PrintUsage(err);
        return ExitUsage;
    } catch (const std::exception &error) {
        // base::Error, and whatever else went wrong (memory, a file): a message, never an abort.
        err << "pulsefir-cli: " << error.what() << '\n';
        return ExitCoreError;
    } catch (...) {
        err << "pulsefir-cli: unexpected error\n";
        return ExitCoreError;
    }
    return ExitOk;
}

} // namespace pulsefir::cli
