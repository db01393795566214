#include "spectra.h"

#include <cmath>
#include <memory>
#include <span>
#include <vector>

#include "constants.h"
#include "errors.h"
#include "dispatch.h"
#include "parallel.h"

namespace pulsefir {

namespace {

// Grid points handed to one thread at a time; a multiple of the vector width.
constexpr int PointGrain = 8;

void sourceSpectrum(CoreState &state, const double *omega, const double *x, int h, int n, double spacing,
                    double *amplitude, double *phase) {
    std::vector<double> s(static_cast<std::size_t>(n));
    std::vector<double> c(static_cast<std::size_t>(n));
    const auto fourierSums = Kernels().fourierSums;
    state.pool().forRange(0, n - 1, PointGrain, [&](int first, int last) {
        fourierSums(x, h, omega, spacing, first, last, s.data(), c.data());
    });
    for (int k = 0; k < n; ++k) {
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
        throw CoreError("Количество точек не должно превышать 10001");
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
        const double *omega = r.OmegaBuffer.data();
        sourceSpectrum(state, omega, state.SignalBuffer.centre(), hs, n, spacing, r.SignalAmplitudeBuffer.data(),
                       r.SignalPhaseBuffer.data());
        if (p.NormalizeSignal)
            NormalizeAmplitudes(r.SignalAmplitudeBuffer.data(), n);
        sourceSpectrum(state, omega, state.FilterBuffer.centre(), hf, n, spacing, r.FilterAmplitudeBuffer.data(),
                       r.FilterPhaseBuffer.data());
        if (p.NormalizeFilter)
            NormalizeAmplitudes(r.FilterAmplitudeBuffer.data(), n);
        sourceSpectrum(state, omega, state.OutputBuffer.centre(), hs, n, spacing, r.OutputAmplitudeBuffer.data(),
                       r.OutputPhaseBuffer.data());
        if (p.NormalizeOutput)
            NormalizeAmplitudes(r.OutputAmplitudeBuffer.data(), n);
    }
    state.Spectra = r;
}

} // namespace pulsefir
