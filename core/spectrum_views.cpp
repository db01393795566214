#include "spectrum_views.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "errors.h"

namespace pulsefir {

namespace {

// atan2 wraps at the true π, so the unwrapping uses it, not the decimal 3.14159 of the grid:
// a correction by 6.28318 would leave a false step of 5.3e-6 rad at every wrap.
constexpr double WrapPi = std::numbers::pi;
constexpr double WrapTwoPi = 2.0 * std::numbers::pi;

void requireTwoPoints(std::size_t n) {
    if (n < 2)
        throw base::Error("Для спектра в дБ, развернутой фазы и групповой задержки нужно не меньше двух точек");
}

} // namespace

std::vector<double> AmplitudeDecibels(std::span<const double> amplitude) {
    requireTwoPoints(amplitude.size());
    double reference = 0.0;
    for (const double a : amplitude)
        reference = std::max(reference, a);
    if (reference == 0.0)
        reference = 1.0;
    std::vector<double> db(amplitude.size());
    for (std::size_t k = 0; k < amplitude.size(); ++k) {
        const double ratio = amplitude[k] / reference;
        // log10 of 0 is -inf; everything at or below the floor is shown at the floor.
        db[k] = ratio > 0.0 ? std::max(DecibelFloor, 20.0 * std::log10(ratio)) : DecibelFloor;
    }
    return db;
}

std::vector<double> UnwrapPhase(std::span<const double> phase) {
    requireTwoPoints(phase.size());
    std::vector<double> unwrapped(phase.size());
    unwrapped[0] = phase[0];
    double offset = 0.0; // rad, whole turns added so far
    for (std::size_t k = 1; k < phase.size(); ++k) {
        const double jump = phase[k] - phase[k - 1];
        if (std::abs(jump) > WrapPi) {
            // Phases wrapped into (-π, π] jump by less than 2π, so this is one turn; more for
            // input that was never wrapped.
            const double turns = std::floor((std::abs(jump) - WrapPi) / WrapTwoPi) + 1.0;
            offset -= std::copysign(turns * WrapTwoPi, jump);
        }
        unwrapped[k] = phase[k] + offset;
    }
    return unwrapped;
}

std::vector<double> GroupDelay(std::span<const double> omega, std::span<const double> unwrappedPhase) {
    if (omega.size() != unwrappedPhase.size())
        throw std::invalid_argument("GroupDelay: the grid and the phase differ in length");
    const std::size_t n = omega.size();
    requireTwoPoints(n);
    // -(φ[hi] - φ[lo]) / (ω[hi] - ω[lo]): rad over rad/µs gives µs.
    auto slope = [&](std::size_t lo, std::size_t hi) {
        const double dOmega = omega[hi] - omega[lo];
        if (dOmega == 0.0)
            throw base::Error("Групповая задержка не определена: точки сетки лежат на одной частоте");
        const double delay = -(unwrappedPhase[hi] - unwrappedPhase[lo]) / dOmega;
        CheckStored(delay);
        return delay;
    };
    std::vector<double> delay(n);
    delay[0] = slope(0, 1);
    for (std::size_t k = 1; k + 1 < n; ++k)
        delay[k] = slope(k - 1, k + 1);
    delay[n - 1] = slope(n - 2, n - 1);
    return delay;
}

} // namespace pulsefir
