#include "pulse_metrics.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "base/messages.h"
#include "errors.h"
#include "fftw_planner.h"

namespace pulsefir::core {

namespace {

// The core's one planner lock (fftw_planner.h).
std::mutex &plannerMutex() {
    return fftwPlannerMutex();
}

// |re + i im|; std::hypot guards against overflow that sample values never come near, at several
// times the cost.
inline double magnitude(const fftw_complex &c) {
    return std::sqrt(c[0] * c[0] + c[1] * c[1]);
}

Plan realForward(int n, double *in, fftw_complex *out) {
    const std::lock_guard lock(plannerMutex());
    return Plan(fftw_plan_dft_r2c_1d(n, in, out, FFTW_ESTIMATE));
}

Plan complexBackward(int n, fftw_complex *in, fftw_complex *out) {
    const std::lock_guard lock(plannerMutex());
    return Plan(fftw_plan_dft_1d(n, in, out, FFTW_BACKWARD, FFTW_ESTIMATE));
}

// Every curve (a filter's taps too) fits the transform with room to spare, so one size serves all.
static_assert(MetricsSpectrumPoints >= SignalArray::Size);

// Where a curve falls below a level, in samples (fractional), and whether it reached an end of
// the curve first (then the position is that end).
struct Crossing {
    double position = 0.0;
    bool cut = false;
};

// Walking down from `from`: interpolated linearly between the last sample at or above `level`
// and the first below.
Crossing crossingBelow(const std::vector<double> &e, int from, double level) {
    int p = from;
    while (p > 0 && e[static_cast<std::size_t>(p - 1)] >= level)
        --p;
    if (p == 0)
        return {0.0, true};
    const double below = e[static_cast<std::size_t>(p - 1)];
    const double above = e[static_cast<std::size_t>(p)];
    return {(p - 1) + (level - below) / (above - below), false};
}

// The same walking up.
Crossing crossingAbove(const std::vector<double> &e, int from, double level) {
    const int last = static_cast<int>(e.size()) - 1;
    int p = from;
    while (p < last && e[static_cast<std::size_t>(p + 1)] >= level)
        ++p;
    if (p == last)
        return {static_cast<double>(last), true};
    const double above = e[static_cast<std::size_t>(p)];
    const double below = e[static_cast<std::size_t>(p + 1)];
    return {p + (above - level) / (above - below), false};
}

// Position after which the curve stays below `level` to the end; cut at the last sample when
// that sample is not below.
Crossing settlesBelow(const std::vector<double> &e, double level) {
    const int last = static_cast<int>(e.size()) - 1;
    int m = last;
    while (m >= 0 && e[static_cast<std::size_t>(m)] < level)
        --m;
    return crossingAbove(e, std::max(m, 0), level);
}

// The curve's spectrum and envelope from one zero-padded transform: the curve counts as zero
// outside its window, as everywhere in the program, and the padding keeps the Hilbert transform
// of one end from wrapping onto the other.
struct Transformed {
    std::vector<double> amplitude; // |V| at bins 0..points/2
    std::vector<double> envelope;  // samples -halfWidth..+halfWidth
    int points = 0;
};

// The two transforms of one size with their buffers. Planning costs more than the transforms
// themselves, so the plans are made once per size and kept for the life of the program.
struct Workspace {
    explicit Workspace(int points)
        : real(fftwAlloc<double>(static_cast<std::size_t>(points))),
          spectrum(fftwAlloc<fftw_complex>(static_cast<std::size_t>(points))),
          analytic(fftwAlloc<fftw_complex>(static_cast<std::size_t>(points))),
          forward(realForward(points, real.get(), spectrum.get())),
          backward(complexBackward(points, spectrum.get(), analytic.get())) {}
    FftwBuffer<double> real;
    FftwBuffer<fftw_complex> spectrum;
    FftwBuffer<fftw_complex> analytic;
    Plan forward;
    Plan backward;
};

Transformed transform(std::span<const double> curve) {
    const int samples = static_cast<int>(curve.size());
    const int points = MetricsSpectrumPoints;
    const int bins = points / 2 + 1;

    // One workspace, used by one caller at a time. The planner's mutex is made first so that it
    // outlives the plans destroyed at exit.
    plannerMutex();
    static std::mutex workspaceMutex;
    static Workspace w(points);
    const std::lock_guard lock(workspaceMutex);
    double *real = w.real.get();
    fftw_complex *spectrum = w.spectrum.get();
    const fftw_complex *analytic = w.analytic.get();

    std::fill(std::copy(curve.begin(), curve.end(), real), real + points, 0.0);
    w.forward.execute();

    Transformed t;
    t.points = points;
    t.amplitude.resize(static_cast<std::size_t>(bins));
    for (int k = 0; k < bins; ++k)
        t.amplitude[static_cast<std::size_t>(k)] = magnitude(spectrum[k]);
    // Analytic signal: positive frequencies doubled, negative ones removed; the zero and the
    // Nyquist frequency (points is even) kept once.
    for (int k = 1; k < bins - 1; ++k) {
        spectrum[k][0] *= 2.0;
        spectrum[k][1] *= 2.0;
    }
    for (int k = bins; k < points; ++k)
        spectrum[k][0] = spectrum[k][1] = 0.0;
    w.backward.execute();
    t.envelope.resize(static_cast<std::size_t>(samples));
    for (int p = 0; p < samples; ++p)
        t.envelope[static_cast<std::size_t>(p)] = magnitude(analytic[p]) / points;
    return t;
}

void measureSpectrum(const std::vector<double> &amplitude, int points, double samplingFrequency, PulseMetrics &m) {
    const auto peak = std::max_element(amplitude.begin(), amplitude.end());
    if (!(*peak > 0.0))
        return;
    const int peakBin = static_cast<int>(peak - amplitude.begin());
    const double half = *peak / 2.0;                    // -6 dB of amplitude
    const double binWidth = samplingFrequency / points; // MHz
    // A band that reaches 0 or half the sampling frequency ends there: those are the spectrum's
    // own bounds, not a cut of the window.
    const double lower = crossingBelow(amplitude, peakBin, half).position * binWidth;
    const double upper = crossingAbove(amplitude, peakBin, half).position * binWidth;
    m.PeakFrequency = peakBin * binWidth;
    m.LowerFrequency = lower;
    m.UpperFrequency = upper;
    const double centre = (lower + upper) / 2.0;
    m.CentreFrequency = centre;
    if (centre > 0.0)
        m.Bandwidth6dBPercent = (upper - lower) / centre * 100.0;
}

} // namespace

void pulseEnvelope(const SignalArray &buffer, int halfWidth, double *envelope) {
    halfWidth = std::clamp(halfWidth, -1, MaxSignalHalfWidth);
    if (halfWidth < 0)
        return;
    const Transformed t = transform(buffer.range(halfWidth));
    std::copy(t.envelope.begin(), t.envelope.end(), envelope);
}

namespace {

// The metrics of curve[0 .. 2 * halfWidth], sample halfWidth at time 0.
PulseMetrics measure(std::span<const double> curve, int halfWidth, double samplingFrequency) {
    PulseMetrics m;
    const double spacing = checkedReciprocal(samplingFrequency); // µs per sample
    const int n = 2 * halfWidth + 1;
    const Transformed t = transform(curve);
    const std::vector<double> &e = t.envelope;

    const auto peakAt = std::max_element(e.begin(), e.end());
    const double peak = *peakAt;
    if (!(peak > 0.0))
        return m; // an all-zero curve has no pulse
    const int p0 = static_cast<int>(peakAt - e.begin());
    m.Peak = peak;
    m.PeakIndex = p0 - halfWidth;
    m.PeakTime = (p0 - halfWidth) * spacing;

    const double half = peak / 2.0;        // -6 dB
    const double tenth = peak / 10.0;      // -20 dB
    const double hundredth = peak / 100.0; // -40 dB
    const Crossing left = crossingBelow(e, p0, half);
    const Crossing right = crossingAbove(e, p0, half);
    m.Width6dB = (right.position - left.position) * spacing;
    m.Width6dBCut = left.cut || right.cut;
    const Crossing end20 = settlesBelow(e, tenth);
    m.RingDown20dB = (end20.position - p0) * spacing;
    m.RingDown20dBCut = end20.cut;
    const Crossing end40 = settlesBelow(e, hundredth);
    m.RingDown40dB = (end40.position - p0) * spacing;
    m.RingDown40dBCut = end40.cut;

    // Main lobe: the -6 dB span, widened on each side down to the first local minimum.
    int lobeStart = static_cast<int>(std::ceil(left.position));
    while (lobeStart > 0 && e[static_cast<std::size_t>(lobeStart - 1)] <= e[static_cast<std::size_t>(lobeStart)])
        --lobeStart;
    int lobeEnd = static_cast<int>(std::floor(right.position));
    while (lobeEnd < n - 1 && e[static_cast<std::size_t>(lobeEnd + 1)] <= e[static_cast<std::size_t>(lobeEnd)])
        ++lobeEnd;
    double side = 0.0;
    for (int p = 0; p < lobeStart; ++p)
        side = std::max(side, e[static_cast<std::size_t>(p)]);
    for (int p = lobeEnd + 1; p < n; ++p)
        side = std::max(side, e[static_cast<std::size_t>(p)]);
    if (side > 0.0)
        m.SideLevelDb = 20.0 * std::log10(side / peak);

    // -20 dB duration: from the first to the last time the envelope reaches peak / 10.
    const auto first = std::find_if(e.begin(), e.end(), [&](double v) { return v >= tenth; });
    const auto last = std::find_if(e.rbegin(), e.rend(), [&](double v) { return v >= tenth; });
    const Crossing start = crossingBelow(e, static_cast<int>(first - e.begin()), tenth);
    const Crossing stop = crossingAbove(e, n - 1 - static_cast<int>(last - e.rbegin()), tenth);
    m.Duration20dB = (stop.position - start.position) * spacing;
    m.Duration20dBCut = start.cut || stop.cut;

    measureSpectrum(t.amplitude, t.points, samplingFrequency, m);
    return m;
}

} // namespace

PulseMetrics measurePulse(const SignalArray &buffer, int halfWidth, double samplingFrequency) {
    halfWidth = std::clamp(halfWidth, -1, MaxSignalHalfWidth);
    if (halfWidth < 0)
        return {};
    return measure(buffer.range(halfWidth), halfWidth, samplingFrequency);
}

PulseMetrics measureFilter(const FilterArray &taps, int halfWidth, double samplingFrequency) {
    halfWidth = std::clamp(halfWidth, -1, MaxFilterHalfWidth);
    if (halfWidth < 0)
        return {};
    const auto curve = taps.range(halfWidth);
    PulseMetrics m = measure(curve, halfWidth, samplingFrequency);
    double power = 0.0; // sum of h^2, ascending tap order
    for (const double h : curve)
        power = power + h * h;
    checkStored(power);
    if (power > 0.0)
        m.NoiseGainDb = 10.0 * std::log10(power);
    return m;
}

} // namespace pulsefir::core
