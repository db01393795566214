#pragma once

#include <optional>
#include <vector>

#include "fixed_point.h"
#include "state.h"

namespace pulsefir::core {

// What the integer filter keeps of the pulse at one tap width.
struct WordLengthPoint {
    int TapBits = 0;
    double SnrDb = 0;                   // double output's energy over the error's, -Ns..+Ns
    std::optional<double> SideLevelDb;  // of the integer output
    std::optional<double> Duration20dB; // µs, of the integer output
    bool Qualifies = false;
};

// The tolerances a width must meet, limits included.
constexpr double SideLevelToleranceDb = 1.0;
constexpr double DurationTolerance = 0.02; // share of the double output's duration
constexpr double MinimumSnrDb = 60.0;

struct WordLengthSearch {
    std::optional<double> SideLevelDb;   // of the double output
    std::optional<double> Duration20dB;  // µs, of the double output
    std::vector<WordLengthPoint> Points; // tap widths MinTapBits..MaxWordBits, ascending
    int Chosen = -1;                     // index of the first width that qualifies, or -1
};

// Tries every tap width from MinTapBits to MaxWordBits with the format's other choices and takes
// the first whose integer output keeps the side level within SideLevelToleranceDb and the -20 dB
// duration within DurationTolerance of the double output's, with the error at least MinimumSnrDb
// below the output's energy. Changes nothing in the state but the pool's work.
WordLengthSearch searchTapBits(CoreState &state, const FixedPointFormat &format, double samplingFrequency);

} // namespace pulsefir::core
