#include "spectra.h"

#include <cmath>
#include <memory>
#include <span>
#include <vector>

#include "constants.h"
#include "base/messages.h"
#include "errors.h"
#include "dispatch.h"
#include "parallel.h"

namespace pulsefir {

namespace {

// Grid points handed to one thread at a time; a multiple of the vector width.
constexpr int PointGrain = 8;

// Amplitude and phase of one source from its sums.
void amplitudeAndPhase(const double *s, const double *c, int n, double *amplitude, double *phase) {
    for (std::size_t k = 0; k < static_cast<std::size_t>(n); ++k) {
        amplitude[k] = std::sqrt(s[k] * s[k] + c[k] * c[k]);
        phase[k] = std::atan2(c[k], s[k]);
    }
    CheckComputed(std::span<const double>(amplitude, static_cast<std::size_t>(n)));
}

} // namespace

void NormalizeAmplitudes(double *amplitudes, int n) {
    double m = 0.0;
    for (int k = 0; k < n; ++k)
        if (m < amplitudes[k])
            m = amplitudes[k];
    if (m == 0.0)
        m = 1.0;
    for (int k = 0; k < n; ++k)
        amplitudes[k] = amplitudes[k] / m;
}

void CalcSpectors(CoreState &state, double samplingFrequency, const SpectorParameters &p) {
    if (p.PointCount > MaxSpectorPoints)
        throw base::Error(base::Message::tooManySpectrumPoints(MaxSpectorPoints));
    const double spacing = CheckedReciprocal(samplingFrequency); // µs
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
        CheckComputed(std::span<const double>(r.OmegaBuffer.data(), static_cast<std::size_t>(n)));

        const int hs = UsableSignalHalfWidth(state.SignalHalfWidth);
        const int hf = UsableFilterHalfWidth(state.FilterHalfWidth);
        // The three sources share their angles (i * omega_k) * spacing, so their sums come
        // from one pass over the sines and cosines; each keeps its own order.
        std::vector<double> sums(static_cast<std::size_t>(6 * n));
        auto part = [&](int index) { return sums.data() + static_cast<std::ptrdiff_t>(index) * n; };
        const FourierSource sources[] = {{state.SignalBuffer.centre(), hs, part(0), part(1)},
                                         {state.FilterBuffer.centre(), hf, part(2), part(3)},
                                         {state.OutputBuffer.centre(), hs, part(4), part(5)}};
        const double *omega = r.OmegaBuffer.data();
        const auto fourierSums = Kernels().fourierSums;
        state.pool().forRange(0, n - 1, PointGrain, [&](int first, int last) {
            fourierSums(sources, 3, omega, spacing, first, last);
        });
        auto source = [&](int index, double *amplitude, double *phase, bool normalize) {
            amplitudeAndPhase(part(2 * index), part(2 * index + 1), n, amplitude, phase);
            if (normalize)
                NormalizeAmplitudes(amplitude, n);
        };
        source(0, r.SignalAmplitudeBuffer.data(), r.SignalPhaseBuffer.data(), p.NormalizeSignal);
        source(1, r.FilterAmplitudeBuffer.data(), r.FilterPhaseBuffer.data(), p.NormalizeFilter);
        source(2, r.OutputAmplitudeBuffer.data(), r.OutputPhaseBuffer.data(), p.NormalizeOutput);
    }
    state.Spectra = r;
}

} // namespace pulsefir
