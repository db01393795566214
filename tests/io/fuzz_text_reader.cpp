// libFuzzer target: any bytes as a text pulse, under every decimal choice and time unit. Reading
// may refuse the bytes with a base::Error but must not crash or read outside its memory, and what
// it returns must hold together.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/error.h"
#include "io/text_reader.h"

using namespace pulsefir;
using namespace pulsefir::io;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    for (int choice = 0; choice < 3; ++choice) {
        PulseReadOptions options;
        options.decimal = static_cast<DecimalChoice>(choice);
        options.timeUnit = static_cast<TimeUnit>((size + static_cast<std::size_t>(choice)) % 5);
        options.column = 1 + static_cast<int>(size % 3);
        options.minimumRate = choice == 0 ? 0.0 : 0.001;
        options.maximumRate = choice == 0 ? 0.0 : 10000.0;
        try {
            const PulseData pulse = readPulseText(text, "fuzz.csv", options);
            if (pulse.samples.empty())
                std::abort();
            for (double v : pulse.samples)
                if (!std::isfinite(v))
                    std::abort();
            if (pulse.samplingFrequency && !(*pulse.samplingFrequency > 0.0))
                std::abort();
        } catch (const base::Error &) {
        }
    }
    return 0;
}
