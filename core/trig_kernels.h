#pragma once

namespace pulsefir {

// The two loops that spend their time in sines and cosines. Each has a version on four-lane
// vector arithmetic (AVX2 with a vectorised sin/cos) and a scalar one with std::sin/std::cos;
// the processor decides which runs. Both keep the order of every sum, so they differ only by
// the last bits of the sines and cosines.

enum class PassbandWeighting { Rectangular = 0, Linear = 1, Sin = 2 };

// Passband synthesis for taps first..last (within -n..n): for every frequency i = -1000..1000
// ascending, theta = (j * omega_i) * spacing + phase, and the tap is updated by the weighting's
// term. `taps` points at tap 0.
void SynthesizePassband(double *taps, int first, int last, double omega0, double deltaOmega, double spacing,
                        double phase, double gain, PassbandWeighting weighting);

// Fourier sums of x[-h..h] at grid points k = first..last:
// sinSum[k] = sum x[i] sin((i * omega[k]) * spacing), cosSum[k] likewise, i ascending.
void FourierSums(const double *x, int h, const double *omega, double spacing, int first, int last, double *sinSum,
                 double *cosSum);

// Whether the vector versions run on this processor (for benchmarks and tests).
bool VectorTrigonometryAvailable();

namespace detail {
// Implemented in the AVX2 translation unit; only called when VectorTrigonometryAvailable().
void SynthesizePassbandAvx2(double *taps, int first, int last, double omega0, double deltaOmega, double spacing,
                            double phase, double gain, PassbandWeighting weighting);
void FourierSumsAvx2(const double *x, int h, const double *omega, double spacing, int first, int last, double *sinSum,
                     double *cosSum);
// Scalar versions, also the reference the vector ones are tested against.
void SynthesizePassbandScalar(double *taps, int first, int last, double omega0, double deltaOmega, double spacing,
                              double phase, double gain, PassbandWeighting weighting);
void FourierSumsScalar(const double *x, int h, const double *omega, double spacing, int first, int last, double *sinSum,
                       double *cosSum);
} // namespace detail

} // namespace pulsefir
