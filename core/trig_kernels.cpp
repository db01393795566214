#include "trig_kernels.h"

#include <cmath>

#include "constants.h"

namespace pulsefir {

namespace {
constexpr int BandHalfCount = 1000; // 2001 frequencies, -1000..1000
}

namespace detail {

void SynthesizePassbandScalar(double *taps, int first, int last, double omega0, double deltaOmega, double spacing,
                              double phase, double gain, PassbandWeighting weighting) {
    for (int i = -BandHalfCount; i <= BandHalfCount; ++i) {
        const double omega = i * deltaOmega + omega0; // rad/µs
        const double signedGain = (i < 0 ? -1.0 : 1.0) * gain;
        const double linearGain = i * gain;
        const double sinGain = std::sin(i * Pi / BandHalfCount) * gain;
        for (int j = first; j <= last; ++j) {
            const double c = std::cos((j * omega) * spacing + phase);
            switch (weighting) {
            case PassbandWeighting::Rectangular:
                taps[j] = taps[j] + (c * signedGain) / 2000.0;
                break;
            case PassbandWeighting::Linear:
                taps[j] = taps[j] + ((c * linearGain) / 2000.0) / 1000.0;
                break;
            case PassbandWeighting::Sin:
                taps[j] = taps[j] - (sinGain * c) / 2000.0;
                break;
            }
        }
    }
}

void FourierSumsScalar(const double *x, int h, const double *omega, double spacing, int first, int last, double *sinSum,
                       double *cosSum) {
    for (int k = first; k <= last; ++k) {
        double s = 0.0;
        double c = 0.0;
        for (int i = -h; i <= h; ++i) {
            const double theta = (i * omega[k]) * spacing;
            s = s + x[i] * std::sin(theta);
            c = c + x[i] * std::cos(theta);
        }
        sinSum[k] = s;
        cosSum[k] = c;
    }
}

} // namespace detail

bool VectorTrigonometryAvailable() {
#if defined(PULSEFIR_HAVE_AVX2_KERNELS)
    static const bool available = __builtin_cpu_supports("avx2");
    return available;
#else
    return false;
#endif
}

void SynthesizePassband(double *taps, int first, int last, double omega0, double deltaOmega, double spacing,
                        double phase, double gain, PassbandWeighting weighting) {
#if defined(PULSEFIR_HAVE_AVX2_KERNELS)
    if (VectorTrigonometryAvailable())
        return detail::SynthesizePassbandAvx2(taps, first, last, omega0, deltaOmega, spacing, phase, gain, weighting);
#endif
    detail::SynthesizePassbandScalar(taps, first, last, omega0, deltaOmega, spacing, phase, gain, weighting);
}

void FourierSums(const double *x, int h, const double *omega, double spacing, int first, int last, double *sinSum,
                 double *cosSum) {
#if defined(PULSEFIR_HAVE_AVX2_KERNELS)
    if (VectorTrigonometryAvailable())
        return detail::FourierSumsAvx2(x, h, omega, spacing, first, last, sinSum, cosSum);
#endif
    detail::FourierSumsScalar(x, h, omega, spacing, first, last, sinSum, cosSum);
}

} // namespace pulsefir
