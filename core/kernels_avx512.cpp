// The kernels on eight lanes of AVX-512; built with -mavx512f and entered only after the processor reported it.
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
namespace avx512_kernels {
#define PULSEFIR_LANES 8
// The lane macros first: the bodies are written in them.
#include "lanes.inc"

#include "kernel_bodies.inc"
#undef PULSEFIR_LANES
} // namespace avx512_kernels

extern const KernelSet Avx512Kernels;
const KernelSet Avx512Kernels{InstructionSet::Avx512,      "avx512",
                              avx512_kernels::correlate,   avx512_kernels::synthesizePassband,
                              avx512_kernels::fourierSums, avx512_kernels::sinCosArray,
                              avx512_kernels::sumProducts};

} // namespace pulsefir::core
