#pragma once

#include "state.h"

namespace pulsefir::core {

// The field values of FilterType and WinType (radio group item indices). A value outside the
// table is a valid input that selects nothing.
enum class PassbandWeighting { Rectangular = 0, Linear = 1, Sin = 2 };
enum class WinTypeIndex { None = 0, Bartlett = 1, Hanning = 2, Hamming = 3, Blackman = 4, Cos = 5, Cos2 = 6 };
constexpr int index(PassbandWeighting weighting) {
    return static_cast<int>(weighting);
}
constexpr int index(WinTypeIndex window) {
    return static_cast<int>(window);
}

struct FilterSynthesisParameters {
    int FilterHalfWidth = 100; // N, taps -N..N
    double F0 = 0.04;          // centre frequency, MHz
    double DF = 0.01;          // half band width (peak offset), MHz
    double K = 1.0;            // gain
    int PhazeShift = 0;        // degrees
    int FilterType = index(PassbandWeighting::Rectangular);
    int WinType = index(WinTypeIndex::None);
};

// Window-method filter: a sum of 2001 cosines from F0 - DF to F0 + DF sampled at the tap times,
// weighted by FilterType, then multiplied by the window WinType. Sets FilterHalfWidth to N and
// FilterBuffer to the filter (zero outside -N..N). A weighting or window outside its table
// changes nothing (all-zero filter, or no window). N = 0 gives the all-zero filter of
// half-width 0. Throws a division-by-zero error, changing nothing, when the sampling
// frequency is 0.
void synthesizeFilter(CoreState &state, const FilterSynthesisParameters &parameters, double samplingFrequency);

// The window factor w(j) for half-width n >= 1, or 1 for None and unknown windows.
double windowFactor(int winType, int j, int n);

} // namespace pulsefir::core
