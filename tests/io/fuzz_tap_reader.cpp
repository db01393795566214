// libFuzzer target: any bytes as filter taps in each of the formats read back (the first byte
// picks the extension). Reading may refuse with a base::Error but must not crash or read outside
// its memory; taps read fit the filter buffer and load into it.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "base/error.h"
#include "core/state.h"
#include "io/tap_reader.h"

using namespace pulsefir;
using namespace pulsefir::io;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static const char *const Names[] = {"f.csv", "f.txt", "f.npy", "f.h", "f.coe", "f.m"};
    if (size == 0)
        return 0;
    static auto state = std::make_unique<core::CoreState>();
    try {
        const FilterTaps taps = readFilterTaps({data + 1, size - 1}, Names[data[0] % 6]);
        if (taps.taps.empty() || taps.taps.size() > static_cast<std::size_t>(MaxTapCount))
            std::abort();
        const int halfWidth = loadFilterTaps(*state, taps);
        if (halfWidth < 0 || halfWidth > core::MaxFilterHalfWidth || state->FilterHalfWidth != halfWidth)
            std::abort();
    } catch (const base::Error &) {
    }
    return 0;
}
