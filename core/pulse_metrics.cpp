#include "pulse_metrics.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <vector>

#include "base/messages.h"
#include "errors.h"

namespace pulsefir {

namespace {

// FFTW's planner is not reentrant; execution of a finished plan is.
std::mutex &plannerMutex() {
    static std::mutex mutex;
    return mutex;
}

struct FftwFree {
    void operator()(void *p) const { fftw_free(p); }
};
template <typename T> using FftwBuffer = std::unique_ptr<T[], FftwFree>;

// |re + i im|; std::hypot guards against overflow that sample values never come near, at several
// times the cost.
inline double magnitude(const fftw_complex &c) {
    return std::sqrt(c[0] * c[0] + c[1] * c[1]);
}

template <typename T> FftwBuffer<T> fftwAlloc(std::size_t count) {
    auto *p = static_cast<T *>(fftw_malloc(sizeof(T) * std::max<std::size_t>(count, 1)));
    if (!p)
        throw std::bad_alloc();
    return FftwBuffer<T>(p);
}

class Plan {
  public:
    explicit Plan(fftw_plan plan) : m_plan(plan) {
        if (!m_plan)
            throw base::Error(base::Message::transformPlanFailed());
    }
    ~Plan() {
        const std::lock_guard lock(plannerMutex());
        fftw_destroy_plan(m_plan);
    }
    Plan(const Plan &) = delete;
    Plan &operator=(const Plan &) = delete;
    void execute() const { fftw_execute(m_plan); }

  private:
    fftw_plan m_plan;
};

Plan realForward(int n, double *in, fftw_complex *out) {
    const std::lock_guard lock(plannerMutex());
    return Plan(fftw_plan_dft_r2c_1d(n, in, out, FFTW_ESTIMATE));
}

Plan complexBackward(int n, fftw_complex *in, fftw_complex *out) {
    const std::lock_guard lock(plannerMutex());
    return Plan(fftw_plan_dft_1d(n, in, out, FFTW_BACKWARD, FFTW_ESTIMATE));
}

// Every curve fits the transform with room to spare, so one size serves all.
static_assert(MetricsSpectrumPoints >= SignalArray::Size);

// Position (in samples, fractional) where a curve first falls below `level` walking down from
// `from`, interpolated linearly between the last sample at or above and the first below; 0 when
// it never falls below.
double crossingBelow(const std::vector<double> &e, int from, double level) {
    int p = from;
    while (p > 0 && e[static_cast<std::size_t>(p - 1)] >= level)
        --p;
    if (p == 0)
        return 0.0;
    const double below = e[static_cast<std::size_t>(p - 1)];
    const double above = e[static_cast<std::size_t>(p)];
    return (p - 1) + (level - below) / (above - below);
}

// The same walking up; the last position when it never falls below.
double crossingAbove(const std::vector<double> &e, int from, double level) {
    const int last = static_cast<int>(e.size()) - 1;
    int p = from;
    while (p < last && e[static_cast<std::size_t>(p + 1)] >= level)
        ++p;
    if (p == last)
        return last;
    const double above = e[static_cast<std::size_t>(p)];
    const double below = e[static_cast<std::size_t>(p + 1)];
    return p + (above - level) / (above - below);
}

// Position after which the curve stays below `level` to the end, or nothing when its last
// sample is not below.
std::optional<double> settlesBelow(const std::vector<double> &e, double level) {
    const int last = static_cast<int>(e.size()) - 1;
    int m = last;
    while (m >= 0 && e[static_cast<std::size_t>(m)] < level)
        --m;
    if (m == last)
        return std::nullopt;
    return crossingAbove(e, m, level);
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

Transformed transform(const SignalArray &buffer, int halfWidth) {
    const int samples = 2 * halfWidth + 1;
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

    const auto curve = buffer.range(halfWidth);
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
    const double lower = crossingBelow(amplitude, peakBin, half) * binWidth;
    const double upper = crossingAbove(amplitude, peakBin, half) * binWidth;
    m.PeakFrequency = peakBin * binWidth;
    m.LowerFrequency = lower;
    m.UpperFrequency = upper;
    const double centre = (lower + upper) / 2.0;
    m.CentreFrequency = centre;
    if (centre > 0.0)
        m.Bandwidth6dBPercent = (upper - lower) / centre * 100.0;
}

} // namespace

void PulseEnvelope(const SignalArray &buffer, int halfWidth, double *envelope) {
    halfWidth = std::clamp(halfWidth, -1, MaxSignalHalfWidth);
    if (halfWidth < 0)
        return;
    const Transformed t = transform(buffer, halfWidth);
    std::copy(t.envelope.begin(), t.envelope.end(), envelope);
}

PulseMetrics MeasurePulse(const SignalArray &buffer, int halfWidth, double samplingFrequency) {
    PulseMetrics m;
    halfWidth = std::clamp(halfWidth, -1, MaxSignalHalfWidth);
    if (halfWidth < 0)
        return m;
    const double spacing = CheckedReciprocal(samplingFrequency); // µs per sample
    const int n = 2 * halfWidth + 1;
    const Transformed t = transform(buffer, halfWidth);
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
    const double left = crossingBelow(e, p0, half);
    const double right = crossingAbove(e, p0, half);
    m.Width6dB = (right - left) * spacing;
    if (const auto end = settlesBelow(e, tenth))
        m.RingDown20dB = (*end - p0) * spacing;
    if (const auto end = settlesBelow(e, hundredth))
        m.RingDown40dB = (*end - p0) * spacing;

    // Main lobe: the -6 dB span, widened on each side down to the first local minimum.
    int lobeStart = static_cast<int>(std::ceil(left));
    while (lobeStart > 0 && e[static_cast<std::size_t>(lobeStart - 1)] <= e[static_cast<std::size_t>(lobeStart)])
        --lobeStart;
    int lobeEnd = static_cast<int>(std::floor(right));
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
    const double start = crossingBelow(e, static_cast<int>(first - e.begin()), tenth);
    const double stop = crossingAbove(e, n - 1 - static_cast<int>(last - e.rbegin()), tenth);
    m.Duration20dB = (stop - start) * spacing;

    measureSpectrum(t.amplitude, t.points, samplingFrequency, m);
    return m;
}

} // namespace pulsefir
