// libFuzzer target: any bytes as a NumPy file. Reading may refuse the bytes with a base::Error
// but must not crash or read outside its memory; a pulse read is finite, and one written back
// reads back the same.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "base/error.h"
#include "io/npy_format.h"

using namespace pulsefir;
using namespace pulsefir::io;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    try {
        const PulseData pulse = readPulseNpy({data, size}, "fuzz.npy");
        for (double v : pulse.samples)
            if (!std::isfinite(v))
                std::abort();
        std::ostringstream out;
        writeNpy(out, pulse.samples);
        const std::string bytes = out.str();
        const PulseData again =
            readPulseNpy({reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size()}, "again.npy");
        if (again.samples != pulse.samples)
            std::abort();
    } catch (const base::Error &) {
    }
    return 0;
}
