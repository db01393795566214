#include "spectra.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <span>
#include <vector>

#include "base/messages.h"
#include "constants.h"
#include "dispatch.h"
#include "errors.h"
#include "parallel.h"

namespace pulsefir::core {

namespace {

// Grid points handed to one thread at a time; a multiple of the vector width.
constexpr int PointGrain = 8;

// Amplitude and phase of one source from its sums.
void amplitudeAndPhase(const double *s, const double *c, int n, double *amplitude, double *phase) {
    for (std::size_t k = 0; k < static_cast<std::size_t>(n); ++k) {
        amplitude[k] = std::sqrt(s[k] * s[k] + c[k] * c[k]);
        phase[k] = std::atan2(c[k], s[k]);
    }
    checkComputed(std::span<const double>(amplitude, static_cast<std::size_t>(n)));
}

// Group delays of one source from its sums and its (not yet normalised) amplitudes; a gap
// where the amplitude is zero or below GroupDelayFloorDb of the largest.
void groupDelays(const double *s, const double *c, const double *sm, const double *cm, const double *amplitude, int n,
                 double spacing, double *delay) {
    double largest = 0.0;
    for (int k = 0; k < n; ++k)
        largest = std::max(largest, amplitude[k]);
    const double floor = largest * std::pow(10.0, GroupDelayFloorDb / 20.0);
    for (std::size_t k = 0; k < static_cast<std::size_t>(n); ++k) {
        if (!(amplitude[k] > 0.0) || amplitude[k] < floor) {
            delay[k] = std::numeric_limits<double>::quiet_NaN();
            continue;
        }
        delay[k] = groupDelayAt(s[k], c[k], sm[k], cm[k], spacing);
        // Finite sums with a finite, non-zero amplitude: only an overflow makes it otherwise.
        checkStored(delay[k]);
    }
}

} // namespace

double groupDelayAt(double sinSum, double cosSum, double sinMoment, double cosMoment, double spacing) {
    // Every sum divided by the larger of S and C first: the squares of a very small or very
    // large sum would leave the range of doubles where the delay itself does not.
    const double scale = std::max(std::fabs(sinSum), std::fabs(cosSum));
    const double s = sinSum / scale;
    const double c = cosSum / scale;
    return ((c * (cosMoment / scale) + s * (sinMoment / scale)) / (s * s + c * c)) * spacing;
}

bool gridAboveHalfSampling(double samplingFrequency, const SpectorParameters &p) {
    if (p.PointCount < 1)
        return false;
    const double highest = p.PointCount > 1 ? std::max(p.LowFrequency, p.HighFrequency) : p.LowFrequency;
    return highest > samplingFrequency / 2.0;
}

void normalizeAmplitudes(double *amplitudes, int n) {
    double m = 0.0;
    for (int k = 0; k < n; ++k)
        if (m < amplitudes[k])
            m = amplitudes[k];
    if (m == 0.0)
        m = 1.0;
    for (int k = 0; k < n; ++k)
        amplitudes[k] = amplitudes[k] / m;
}

void calcSpectors(CoreState &state, double samplingFrequency, const SpectorParameters &p) {
    if (p.PointCount > MaxSpectorPoints)
        throw base::Error(base::Message::tooManySpectrumPoints(MaxSpectorPoints));
    const double spacing = checkedReciprocal(samplingFrequency); // µs
    const int n = p.PointCount < 0 ? 0 : p.PointCount;
    if (n == 0) {
        state.Spectra.SpectorPointCount = 0;
        return;
    }
    // Everything is computed into a scratch copy of the results, which replaces the shared ones
    // only when all of it succeeded.
    auto scratch = std::make_unique<SpectorResults>(state.Spectra); // entries beyond N stay
    auto &r = *scratch;
    r.SpectorPointCount = n;
    {
        const double low = TwoPi * p.LowFrequency;   // rad/µs
        const double high = TwoPi * p.HighFrequency; // rad/µs
        // One point has no step: it lies at the lower frequency.
        const double step = n > 1 ? (high - low) / (n - 1) : 0.0;
        for (int k = 0; k < n; ++k)
            r.OmegaBuffer[static_cast<std::size_t>(k)] = low + k * step;
        checkComputed(std::span<const double>(r.OmegaBuffer.data(), static_cast<std::size_t>(n)));

        const int hs = usableSignalHalfWidth(state.SignalHalfWidth);
        const int hf = usableFilterHalfWidth(state.FilterHalfWidth);
        // The three sources share their angles (i * omega_k) * spacing, so their sums come
        // from one pass over the sines and cosines; each keeps its own order. Per source: sine
        // and cosine sums, then the index-weighted ones for the group delay.
        std::vector<double> sums(static_cast<std::size_t>(12 * n));
        auto part = [&](int index) { return sums.data() + static_cast<std::ptrdiff_t>(index) * n; };
        auto source = [&](const double *x, int h, int index) {
            FourierSource f{x, h, part(4 * index), part(4 * index + 1)};
            if (p.GroupDelays) {
                f.sinMoment = part(4 * index + 2);
                f.cosMoment = part(4 * index + 3);
            }
            return f;
        };
        const FourierSource sources[] = {source(state.SignalBuffer.centre(), hs, 0),
                                         source(state.FilterBuffer.centre(), hf, 1),
                                         source(state.OutputBuffer.centre(), hs, 2)};
        const double *omega = r.OmegaBuffer.data();
        const auto fourierSums = kernels().fourierSums;
        state.pool().forRange(0, n - 1, PointGrain,
                              [&](int first, int last) { fourierSums(sources, 3, omega, spacing, first, last); });
        auto results = [&](int index, double *amplitude, double *phase, double *delay, bool normalize) {
            const double *s = part(4 * index);
            const double *c = part(4 * index + 1);
            amplitudeAndPhase(s, c, n, amplitude, phase);
            if (p.GroupDelays)
                groupDelays(s, c, part(4 * index + 2), part(4 * index + 3), amplitude, n, spacing, delay);
            else
                std::fill(delay, delay + n, std::numeric_limits<double>::quiet_NaN());
            if (normalize)
                normalizeAmplitudes(amplitude, n);
        };
        results(0, r.SignalAmplitudeBuffer.data(), r.SignalPhaseBuffer.data(), r.SignalDelayBuffer.data(),
                p.NormalizeSignal);
        results(1, r.FilterAmplitudeBuffer.data(), r.FilterPhaseBuffer.data(), r.FilterDelayBuffer.data(),
                p.NormalizeFilter);
        results(2, r.OutputAmplitudeBuffer.data(), r.OutputPhaseBuffer.data(), r.OutputDelayBuffer.data(),
                p.NormalizeOutput);
    }
    state.Spectra = r;
}

} // namespace pulsefir::core
