#include "spectrum_views.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pulsefir::core {

namespace {

// atan2 wraps at the true π, so the unwrapping uses it, not the decimal 3.14159 of the grid:
// a correction by 6.28318 would leave a false step of 5.3e-6 rad at every wrap.
constexpr double WrapPi = std::numbers::pi;
constexpr double WrapTwoPi = 2.0 * std::numbers::pi;

} // namespace

std::vector<double> amplitudeDecibels(std::span<const double> amplitude) {
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

std::vector<double> unwrapPhase(std::span<const double> phase) {
    std::vector<double> unwrapped(phase.size());
    if (phase.empty())
        return unwrapped;
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

std::vector<double> cosinePhase(std::span<const double> phase) {
    std::vector<double> shifted(phase.size());
    for (std::size_t k = 0; k < phase.size(); ++k) {
        // φ in (-π, π] gives φ - π/2 in (-3π/2, π/2]: one turn up for what falls to -π or below.
        const double v = phase[k] - WrapPi / 2.0;
        shifted[k] = v <= -WrapPi ? v + WrapTwoPi : v;
    }
    return shifted;
}

} // namespace pulsefir::core
