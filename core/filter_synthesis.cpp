#include "filter_synthesis.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "constants.h"
#include "errors.h"
#include "dispatch.h"
#include "parallel.h"
#include "trig.h"

namespace pulsefir::core {

namespace {
// Taps handed to one thread at a time; a multiple of the vector width.
constexpr int TapGrain = 64;
} // namespace

double WindowFactor(int winType, int j, int n) {
    switch (static_cast<WinTypeIndex>(winType)) {
    case WinTypeIndex::Bartlett:
        return 1.0 - static_cast<double>(2 * std::abs(j)) / n; // not 1 - |j|/N
    case WinTypeIndex::Hanning:
        return (Cos(j * Pi / n) + 1.0) * 0.5;
    case WinTypeIndex::Hamming:
        return Cos(j * Pi / n) * 0.46 + 0.54;
    case WinTypeIndex::Blackman:
        return 0.54 + 0.46 * Cos(j * Pi / 2.0 / n) + 0.08 * Cos(j * TwoPi / n);
    case WinTypeIndex::Cos:
        return std::abs(Cos(j * Pi / 2.0 / n));
    case WinTypeIndex::Cos2: {
        const double c = Cos(j * Pi / 2.0 / n);
        return c * c;
    }
    default:
        return 1.0;
    }
}

void SynthesizeFilter(CoreState &state, const FilterSynthesisParameters &p, double samplingFrequency) {
    // Derived quantities first: a zero sampling frequency must leave the old filter in place.
    const double spacing = CheckedReciprocal(samplingFrequency); // µs
    const double omega0 = p.F0 * TwoPi;                          // rad/µs
    const double deltaOmega = (p.DF * TwoPi) / BandHalfCount;           // rad/µs per frequency step
    const double phase = p.PhazeShift * Pi / 180.0;              // rad

    const int n = std::clamp(p.FilterHalfWidth, -1, MaxFilterHalfWidth);
    if (n < 1) {
        // Nothing to sum (the windows would divide by N): the filter is cleared.
        state.FilterHalfWidth = n;
        state.FilterBuffer.fill(0.0);
        return;
    }

    // The taps are computed into scratch storage and checked before the filter is replaced.
    std::vector<double> scratch(static_cast<std::size_t>(2 * n + 1), 0.0);
    double *taps = scratch.data() + n;
    if (p.FilterType >= Index(PassbandWeighting::Rectangular) && p.FilterType <= Index(PassbandWeighting::Sin)) {
        const auto synthesize = Kernels().synthesizePassband;
        state.pool().forRange(-n, n, TapGrain, [&](int first, int last) {
            synthesize(taps, first, last, omega0, deltaOmega, spacing, phase, p.K, p.FilterType);
        });
    }
    if (p.WinType >= Index(WinTypeIndex::Bartlett) && p.WinType <= Index(WinTypeIndex::Cos2))
        for (int j = -n; j <= n; ++j)
            taps[j] = taps[j] * WindowFactor(p.WinType, j, n);
    CheckComputed(scratch);
    state.FilterHalfWidth = n;
    state.FilterBuffer.fill(0.0);
    state.FilterBuffer.assign(n, scratch);
}

} // namespace pulsefir::core
