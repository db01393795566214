#pragma once

namespace pulsefir {

// The system computes with these truncated decimal values everywhere, never full-precision π:
// results of the filter synthesis far from the centre tap depend on it.
constexpr double Pi = 3.14159;
constexpr double TwoPi = 6.28318;

// Noise and search increments are drawn on 1000 levels centred on 500.
constexpr int NoiseLevels = 1000;

} // namespace pulsefir
