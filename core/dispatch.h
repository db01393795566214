#pragma once

#include <cstdint>

namespace pulsefir::core {

enum class InstructionSet { Scalar, Avx2, Avx512 };

// One buffer whose Fourier sums are wanted: x[-h..h] in, sinSum[k] and cosSum[k] out, and where
// given, the sums weighted by the sample index, sinMoment[k] and cosMoment[k] (the derivative of
// the sum by the angular frequency, up to the sample spacing: the group delay's numerator).
struct FourierSource {
    const double *x;
    int h;
    double *sinSum;
    double *cosSum;
    double *sinMoment = nullptr;
    double *cosMoment = nullptr;
};
constexpr int MaxFourierSources = 3;

// The core's vector kernels for one instruction set. All sets give the same bits.
struct KernelSet {
    InstructionSet instructionSet;
    const char *name;
    // out[i] = sum over j = -m..m ascending of signal[i + j] * taps[j], i = first..last.
    void (*correlate)(const double *signal, const double *taps, int m, double *out, int first, int last);
    // Adds the passband's cosines to taps first..last (weighting 0, 1 or 2).
    void (*synthesizePassband)(double *taps, int first, int last, double omega0, double deltaOmega, double spacing,
                               double phase, double gain, int weighting);
    // For each of 1..MaxFourierSources sources and k = first..last: sinSum[k], cosSum[k] = sums
    // over i = -h..h ascending of x[i] sin/cos((i * omega[k]) * spacing); sinMoment[k],
    // cosMoment[k] (where the source gives them) = the same sums of (i * x[i]) sin/cos. The
    // sources share the sines and cosines of the angles they have in common; a source's sums do
    // not depend on the others or on whether moments are asked for.
    void (*fourierSums)(const FourierSource *sources, int count, const double *omega, double spacing, int first,
                        int last);
    // sinX[k], cosX[k] = sine and cosine of x[k], k = 0..n-1.
    void (*sinCos)(const double *x, int n, double *sinX, double *cosX);
    // out[k] = sum over j = 0..2m of taps[j] * input[first + k - m + j], k = 0..last - first, in
    // 64-bit integers that the caller knows cannot overflow; exact, so every set gives the same.
    void (*sumProducts)(const std::int32_t *taps, int m, const std::int32_t *input, int first, int last,
                        std::int64_t *out);
};

// The one place that chooses: the widest set built in and supported by the processor, or the
// scalar set when PULSEFIR_SCALAR=1 is in the environment or the build forces it
// (-DPULSEFIR_FORCE_SCALAR=ON). Chosen once, at the first call.
const KernelSet &kernels();

// The set for one instruction set, or nullptr where it is not built in or the processor lacks
// it; for tests and benchmarks that compare the sets.
const KernelSet *kernelsFor(InstructionSet set);

} // namespace pulsefir::core
