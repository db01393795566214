// The kernels on four lanes of AVX2; built with -mavx2 and entered only after the processor reported AVX2.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include <immintrin.h>

#include "constants.h"
#include "dispatch.h"
#include "trig.h"

namespace pulsefir::core {
namespace avx2_kernels {
#define PULSEFIR_LANES 4
// The lane macros first: the bodies are written in them.
#include "lanes.inc"

#include "kernel_bodies.inc"
#undef PULSEFIR_LANES
} // namespace avx2_kernels

extern const KernelSet Avx2Kernels;
const KernelSet Avx2Kernels{InstructionSet::Avx2,      "avx2",
                            avx2_kernels::correlate,   avx2_kernels::synthesizePassband,
                            avx2_kernels::fourierSums, avx2_kernels::sinCosArray,
                            avx2_kernels::sumProducts};

} // namespace pulsefir::core
