#include "filter_synthesis.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "constants.h"
#include "dispatch.h"
#include "errors.h"
#include "parallel.h"
#include "trig.h"

namespace pulsefir::core {

namespace {
// Taps handed to one thread at a time; a multiple of the vector width.
constexpr int TapGrain = 64;
} // namespace

double windowFactor(int winType, int j, int n) {
    switch (static_cast<WinTypeIndex>(winType)) {
    case WinTypeIndex::Bartlett:
        return 1.0 - static_cast<double>(2 * std::abs(j)) / n; // not 1 - |j|/N
    case WinTypeIndex::Hanning:
        return (cosine(j * Pi / n) + 1.0) * 0.5;
    case WinTypeIndex::Hamming:
        return cosine(j * Pi / n) * 0.46 + 0.54;
    case WinTypeIndex::Blackman:
        return 0.54 + 0.46 * cosine(j * Pi / 2.0 / n) + 0.08 * cosine(j * TwoPi / n);
    case WinTypeIndex::Cos:
        return std::abs(cosine(j * Pi / 2.0 / n));
    case WinTypeIndex::Cos2: {
        const double c = cosine(j * Pi / 2.0 / n);
        return c * c;
    }
    default:
        return 1.0;
    }
}

void synthesizeFilter(CoreState &state, const FilterSynthesisParameters &p, double samplingFrequency) {
    // Derived quantities first: a zero sampling frequency must leave the old filter in place.
    const double spacing = checkedReciprocal(samplingFrequency); // µs
    const double omega0 = p.F0 * TwoPi;                          // rad/µs
    const double deltaOmega = (p.DF * TwoPi) / BandHalfCount;    // rad/µs per frequency step
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
    if (p.FilterType >= index(PassbandWeighting::Rectangular) && p.FilterType <= index(PassbandWeighting::Sin)) {
        const auto synthesize = kernels().synthesizePassband;
        state.pool().forRange(-n, n, TapGrain, [&](int first, int last) {
            synthesize(taps, first, last, omega0, deltaOmega, spacing, phase, p.K, p.FilterType);
        });
    }
    if (p.WinType >= index(WinTypeIndex::Bartlett) && p.WinType <= index(WinTypeIndex::Cos2))
        for (int j = -n; j <= n; ++j)
            taps[j] = taps[j] * windowFactor(p.WinType, j, n);
    checkComputed(scratch);
    state.FilterHalfWidth = n;
    state.FilterBuffer.fill(0.0);
    state.FilterBuffer.assign(n, scratch);
}

} // namespace pulsefir::core
