#pragma once

#include <span>
#include <string>
#include <vector>

#include "core/state.h"

namespace pulsefir::io {

// The longest filter the buffer holds: taps -1000..+1000.
constexpr int MaxTapCount = 2 * core::MaxFilterHalfWidth + 1;

// Filter taps read back: taps[k] is tap k - centre.
struct FilterTaps {
    std::vector<double> taps;
    long long centre = 0;
};

// Taps as this program writes them, and a plain column of taps from another tool, by extension:
// .csv .txt .dat (a column of taps, or index and tap: the index names the centre), .npy, .h (the
// double array), .coe (radix 10, divided by the scale its comment states) and .m (the vector in
// brackets). Without an index the centre is the middle tap (of an even count, the later of the two
// middle ones). More than MaxTapCount taps, or a centre that leaves a side longer than
// core::MaxFilterHalfWidth, is refused with the length. `name` names the file in messages.
FilterTaps readFilterTaps(std::span<const unsigned char> bytes, const std::string &name);
FilterTaps readFilterFile(const std::string &fileName);

// Puts the taps into FilterBuffer around tap 0 and sets FilterHalfWidth to the longer side; the
// shorter side is filled with zeros. Returns the half-width.
int loadFilterTaps(core::CoreState &state, const FilterTaps &taps);

} // namespace pulsefir::io
