// The kernels on one lane: the portable path, and the reference the vector sets are tested against.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "constants.h"
#include "dispatch.h"
#include "trig.h"

namespace pulsefir::core {
namespace scalar_kernels {
#define PULSEFIR_LANES 1
// The lane macros first: the bodies are written in them.
#include "lanes.inc"

#include "kernel_bodies.inc"
#undef PULSEFIR_LANES
} // namespace scalar_kernels

extern const KernelSet ScalarKernels;
const KernelSet ScalarKernels{InstructionSet::Scalar,      "scalar",
                              scalar_kernels::correlate,   scalar_kernels::synthesizePassband,
                              scalar_kernels::fourierSums, scalar_kernels::sinCosArray,
                              scalar_kernels::sumProducts};

} // namespace pulsefir::core
