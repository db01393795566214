#include "signal_synthesis.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "constants.h"
#include "errors.h"

namespace pulsefir::core {

void addSignal(CoreState &state, const ToneBurstParameters &burst, double samplingFrequency) {
    const int n = usableSignalHalfWidth(state.SignalHalfWidth);
    // Both reciprocals come first, so a failure leaves the buffer as it was.
    const double dt = checkedReciprocal(samplingFrequency);      // µs per sample
    const double r = checkedReciprocal(burst.FrontTimeConstant); // 1/µs
    const double omega = burst.Frequency * TwoPi;                // rad/µs
    const double phi = burst.PhaseDeg * Pi / 180.0;              // rad
    const double a = burst.Amplitude;
    const double rise = burst.ExcitationTime;
    const double shift = burst.Shift;

    // The new samples go to scratch storage, are checked, and only then replace the buffer's:
    // a fault anywhere leaves the signal exactly as it was.
    std::vector<double> sums(static_cast<std::size_t>(std::max(0, 2 * n + 1)));
    std::optional<double> decayStartLevel;
    for (int i = -n; i <= n; ++i) {
        const double t = i * dt + shift; // the burst's own time, µs
        double v = 0.0;
        if (t < 0.0) {
            v = 0.0;
        } else if (t < rise) {
            const double e = a * (1.0 - std::exp(-r * t));
            v = e * std::cos(omega * t + phi);
            decayStartLevel = e;
        } else {
            // When no sample fell in the rise (the rise lies before -N or between two samples,
            // or lasts 0 µs), the decay starts from the continuous level at the end of the rise.
            const double level = decayStartLevel ? *decayStartLevel : a * (1.0 - std::exp(-r * rise));
            const double e = level * std::exp(-r * (t - rise));
            v = e * std::cos(omega * t + phi);
        }
        sums[static_cast<std::size_t>(i + n)] = state.SignalBuffer[i] + v;
    }
    checkComputed(sums);
    state.SignalBuffer.assign(n, sums);
}

void loadSignal(CoreState &state, const ToneBurstParameters &burst, double samplingFrequency) {
    state.SignalBuffer.fill(0.0);
    addSignal(state, burst, samplingFrequency);
}

void addNoise(CoreState &state, double noiseAmplitude) {
    const int n = usableSignalHalfWidth(state.SignalHalfWidth);
    // A failed run must not have used up draws of the shared generator either.
    const RandomGenerator before = state.random();
    std::vector<double> sums(static_cast<std::size_t>(std::max(0, 2 * n + 1)));
    for (int i = -n; i <= n; ++i) {
        const int k = state.nextRandom(NoiseLevels);
        sums[static_cast<std::size_t>(i + n)] =
            state.SignalBuffer[i] + ((k - NoiseLevels / 2) * noiseAmplitude) / (NoiseLevels / 2);
    }
    try {
        checkComputed(sums);
    } catch (...) {
        state.random() = before;
        throw;
    }
    state.SignalBuffer.assign(n, sums);
}

} // namespace pulsefir::core
