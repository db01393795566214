#pragma once

namespace pulsefir::core {

// The system computes with these truncated decimal values everywhere, never full-precision π:
// results of the filter synthesis far from the centre tap depend on it.
constexpr double Pi = 3.14159;
constexpr double TwoPi = 6.28318;

// Noise and search increments are drawn on 1000 levels centred on 500.
constexpr int NoiseLevels = 1000;

// The passband of the window-method synthesis: 2001 frequencies, -1000..1000, spaced by the
// band's half width / 1000; each cosine is weighted by 1/2000.
constexpr int BandHalfCount = 1000;
constexpr double PassbandDivisor = 2000.0;

} // namespace pulsefir::core
