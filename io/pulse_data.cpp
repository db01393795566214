#include "pulse_data.h"

#include <cmath>

namespace pulsefir::io {

std::size_t peakIndex(std::span<const double> samples) {
    std::size_t best = 0;
    for (std::size_t k = 1; k < samples.size(); ++k)
        if (std::abs(samples[k]) > std::abs(samples[best]))
            best = k;
    return best;
}

} // namespace pulsefir::io
