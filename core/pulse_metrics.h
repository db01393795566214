#pragma once

#include <optional>

#include "state.h"

namespace pulsefir::core {

// How short and clean a pulse is, from its envelope and its amplitude spectrum, in the terms of a
// transducer's data sheet. A value that does not exist for the curve (no side lobe, any value of
// an all-zero curve) is empty. A width, duration or ring-down whose envelope has not fallen to
// its level before an end of the window is measured up to that end and flagged as cut: the true
// value is larger.
struct PulseMetrics {
    std::optional<double> Peak;                // largest envelope value, signal units
    std::optional<int> PeakIndex;              // sample index of the peak
    std::optional<double> PeakTime;            // µs
    std::optional<double> Width6dB;            // µs, contiguous span around the peak with e >= peak / 2
    std::optional<double> RingDown20dB;        // µs from the peak until e stays below peak / 10
    std::optional<double> RingDown40dB;        // µs from the peak until e stays below peak / 100
    std::optional<double> SideLevelDb;         // dB re the peak, largest envelope outside the main lobe
    std::optional<double> Duration20dB;        // µs, first to last time e >= peak / 10
    std::optional<double> PeakFrequency;       // MHz, maximum of the amplitude spectrum
    std::optional<double> LowerFrequency;      // MHz, -6 dB below the spectral peak
    std::optional<double> UpperFrequency;      // MHz, -6 dB above the spectral peak
    std::optional<double> CentreFrequency;     // MHz, (lower + upper) / 2
    std::optional<double> Bandwidth6dBPercent; // (upper - lower) / centre * 100
    bool Width6dBCut = false;                  // e >= peak / 2 at an end of the window
    bool RingDown20dBCut = false;              // e >= peak / 10 at the window's last sample
    bool RingDown40dBCut = false;              // e >= peak / 100 at the window's last sample
    bool Duration20dBCut = false;              // e >= peak / 10 at an end of the window
    std::optional<double> NoiseGainDb;         // filters only: 10 lg of the sum of the squared taps
};

// Every metric of the main window's table and of the command line's CSV, in the table's order,
// written once for both: its CSV column, the value, and for a span the flag that an end of the
// window cut it. The CSV puts the columns that came later (`laterColumn`) after the cut flags,
// so a reader of the earlier columns finds them where they always were.
struct MetricField {
    const char *column;
    std::optional<double> PulseMetrics::*value;
    bool PulseMetrics::*cut = nullptr;
    bool laterColumn = false;
};
inline constexpr MetricField MetricFields[] = {
    {"peak", &PulseMetrics::Peak},
    {"peak_time_us", &PulseMetrics::PeakTime},
    {"width_6db_us", &PulseMetrics::Width6dB, &PulseMetrics::Width6dBCut},
    {"ringdown_20db_us", &PulseMetrics::RingDown20dB, &PulseMetrics::RingDown20dBCut},
    {"ringdown_40db_us", &PulseMetrics::RingDown40dB, &PulseMetrics::RingDown40dBCut},
    {"side_level_db", &PulseMetrics::SideLevelDb},
    {"duration_20db_us", &PulseMetrics::Duration20dB, &PulseMetrics::Duration20dBCut},
    {"peak_frequency_mhz", &PulseMetrics::PeakFrequency},
    {"centre_frequency_mhz", &PulseMetrics::CentreFrequency},
    {"bandwidth_6db_percent", &PulseMetrics::Bandwidth6dBPercent},
    {"lower_frequency_mhz", &PulseMetrics::LowerFrequency, nullptr, true},
    {"upper_frequency_mhz", &PulseMetrics::UpperFrequency, nullptr, true},
    {"noise_gain_db", &PulseMetrics::NoiseGainDb, nullptr, true},
};

// The spectrum is zero-padded to at least this many points (a power of two).
constexpr int MetricsSpectrumPoints = 65536;

// Envelope |v + i H{v}| of samples -halfWidth..+halfWidth, written to envelope[0 .. 2 * halfWidth].
// H is the Hilbert transform of the curve taken as zero outside the window, by FFT zero-padded to
// the spectrum's size.
void pulseEnvelope(const SignalArray &buffer, int halfWidth, double *envelope);

// The metrics of buffer[-halfWidth..+halfWidth] sampled at samplingFrequency MHz.
PulseMetrics measurePulse(const SignalArray &buffer, int halfWidth, double samplingFrequency);

// The metrics of the taps -halfWidth..+halfWidth as a pulse at the signal's sample spacing, tap 0
// at time 0 (as the spectra take them), with the filter's noise gain: 10 lg sum h^2 dB, the
// power that white noise of unit power has after the filter (0 dB for a lone tap of 1; empty
// when every tap is 0).
PulseMetrics measureFilter(const FilterArray &taps, int halfWidth, double samplingFrequency);

} // namespace pulsefir::core
