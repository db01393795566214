#include "reports.h"

#include <cmath>
#include <optional>
#include <span>
#include <sstream>
#include <utility>
#include <vector>

#include "base/error.h"
#include "base/file.h"
#include "base/messages.h"
#include "base/number_text.h"
#include "core/pulse_metrics.h"
#include "core/spectra.h"
#include "core/spectrum_views.h"

namespace pulsefir::cli {

namespace {

std::string optionalText(const std::optional<double> &value) {
    return value ? formatNumber(*value) : std::string();
}

// 1 where a value is measured up to an end of the window, 0 where it is not; empty without a value.
std::string cutText(const std::optional<double> &value, bool cut) {
    return value ? (cut ? "1" : "0") : "";
}

// The readable views of one source's spectrum beside the computed ones.
struct SpectrumViews {
    std::vector<double> decibels;
    std::vector<double> unwrapped;   // rad
    const core::SpectorArray *delay; // µs, NaN in the gaps
};

SpectrumViews spectrumViews(const core::SpectorResults &r, const core::SpectorArray &amplitude,
                            const core::SpectorArray &phase, const core::SpectorArray &delay) {
    const auto n = static_cast<std::size_t>(std::max(0, r.SpectorPointCount));
    return {core::amplitudeDecibels(std::span<const double>(amplitude.data(), n)),
            core::unwrapPhase(std::span<const double>(phase.data(), n)), &delay};
}

// A gap in the group delay (the amplitude below its floor) leaves the cell empty.
std::string cellText(double value) {
    return std::isnan(value) ? std::string() : formatNumber(value);
}

} // namespace

std::string formatLong(long double value) {
    return base::formatSignificant(value, 17);
}

std::string formatNumber(double value) {
    return base::formatShortest(value);
}

void checkWritten(std::ostream &out) {
    out.flush();
    if (!out)
        throw base::Error(base::Message::unableToWriteStandardOutput());
}

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

// The columns of the first version stay where they were; the cut flags, the -6 dB band's ends
// and the noise gain follow them, and the filter's row follows the three curves.
void writeMetrics(std::ostream &s, const core::CoreState &state, double samplingFrequency) {
    const auto columns = [&](bool later, const auto &write) {
        for (const core::MetricField &f : core::MetricFields)
            if (f.laterColumn == later)
                write(f);
    };
    s << "curve";
    columns(false, [&](const core::MetricField &f) {
        s << ',' << f.column;
        if (f.value == &core::PulseMetrics::Peak)
            s << ",peak_index";
    });
    columns(false, [&](const core::MetricField &f) {
        if (f.cut)
            s << ',' << f.column << "_cut";
    });
    columns(true, [&](const core::MetricField &f) { s << ',' << f.column; });
    s << '\n';
    const auto row = [&](const char *name, const core::PulseMetrics &m) {
        s << name;
        columns(false, [&](const core::MetricField &f) {
            s << ',' << optionalText(m.*(f.value));
            if (f.value == &core::PulseMetrics::Peak)
                s << ',' << (m.PeakIndex ? base::formatInteger(*m.PeakIndex) : "");
        });
        columns(false, [&](const core::MetricField &f) {
            if (f.cut)
                s << ',' << cutText(m.*(f.value), m.*(f.cut));
        });
        columns(true, [&](const core::MetricField &f) { s << ',' << optionalText(m.*(f.value)); });
        s << '\n';
    };
    const std::pair<const char *, const core::SignalArray *> curves[] = {
        {"signal", &state.SignalBuffer}, {"output", &state.OutputBuffer}, {"response", &state.ResponseBuffer}};
    for (const auto &[name, buffer] : curves)
        row(name, core::measurePulse(*buffer, state.SignalHalfWidth, samplingFrequency));
    row("filter", core::measureFilter(state.FilterBuffer, state.FilterHalfWidth, samplingFrequency));
    row("fixed_output", core::measurePulse(state.FixedOutputBuffer, state.SignalHalfWidth, samplingFrequency));
}

void writeTrace(std::ostream &s, const core::CoreState &state) {
    s << "epoch,objective\n";
    for (const core::SearchTracePoint &p : state.SearchTrace)
        s << p.Epoch << ',' << formatLong(p.BestObjective) << '\n';
}

void writeSpectra(std::ostream &s, const core::SpectorResults &r) {
    s << "frequency_mhz,signal_amplitude,signal_phase,filter_amplitude,filter_phase,output_amplitude,output_phase";
    for (const char *source : {"signal", "filter", "output"})
        s << ',' << source << "_amplitude_db," << source << "_phase_unwrapped," << source << "_group_delay_us";
    s << '\n';
    const SpectrumViews views[3] = {
        spectrumViews(r, r.SignalAmplitudeBuffer, r.SignalPhaseBuffer, r.SignalDelayBuffer),
        spectrumViews(r, r.FilterAmplitudeBuffer, r.FilterPhaseBuffer, r.FilterDelayBuffer),
        spectrumViews(r, r.OutputAmplitudeBuffer, r.OutputPhaseBuffer, r.OutputDelayBuffer)};
    for (std::size_t k = 0; k < static_cast<std::size_t>(r.SpectorPointCount); ++k) {
        s << formatNumber(core::gridFrequency(r.OmegaBuffer[k])) << ',' << formatNumber(r.SignalAmplitudeBuffer[k])
          << ',' << formatNumber(r.SignalPhaseBuffer[k]) << ',' << formatNumber(r.FilterAmplitudeBuffer[k]) << ','
          << formatNumber(r.FilterPhaseBuffer[k]) << ',' << formatNumber(r.OutputAmplitudeBuffer[k]) << ','
          << formatNumber(r.OutputPhaseBuffer[k]);
        for (const SpectrumViews &v : views)
            s << ',' << formatNumber(v.decibels[k]) << ',' << formatNumber(v.unwrapped[k]) << ','
              << cellText((*v.delay)[k]);
        s << '\n';
    }
}

} // namespace pulsefir::cli
