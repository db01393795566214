// libFuzzer target: any bytes as a sound file through libsndfile, first and second channel.
// Reading may refuse the bytes with a base::Error but must not crash, hang or read outside its
// memory; what it returns is finite and at a positive rate.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "base/error.h"
#include "io/wav_reader.h"

using namespace pulsefir;
using namespace pulsefir::io;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    for (int channel = 1; channel <= 2; ++channel) {
        PulseReadOptions options;
        options.column = channel;
        try {
            const PulseData pulse = readPulseWav({data, size}, "fuzz.wav", options);
            if (pulse.samples.empty() || !pulse.samplingFrequency || !(*pulse.samplingFrequency > 0.0))
                std::abort();
            for (double v : pulse.samples)
                if (!std::isfinite(v))
                    std::abort();
        } catch (const base::Error &) {
        }
    }
    return 0;
}
