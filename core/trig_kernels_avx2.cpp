// Built with -mavx2 and only entered after the processor reported AVX2.
#include "trig_kernels.h"

#include <immintrin.h>
#include <sleef.h>

#include <cmath>

#include "constants.h"

namespace pulsefir::detail {

namespace {

constexpr int Lanes = 4;
constexpr int BandHalfCount = 1000;

// Lane offsets 0, 1, 2, 3 as doubles.
inline __m256d laneOffsets() {
    return _mm256_set_pd(3.0, 2.0, 1.0, 0.0);
}

} // namespace

void SynthesizePassbandAvx2(double *taps, int first, int last, double omega0, double deltaOmega, double spacing,
                            double phase, double gain, PassbandWeighting weighting) {
    if (last < first)
        return;
    const __m256d spacingV = _mm256_set1_pd(spacing);
    const __m256d phaseV = _mm256_set1_pd(phase);
    const __m256d d2000 = _mm256_set1_pd(2000.0);
    const __m256d d1000 = _mm256_set1_pd(1000.0);
    const int count = last - first + 1;
    const int whole = count / Lanes * Lanes;
    for (int i = -BandHalfCount; i <= BandHalfCount; ++i) {
        const double omega = i * deltaOmega + omega0;
        const __m256d omegaV = _mm256_set1_pd(omega);
        double factor = 0.0;
        switch (weighting) {
        case PassbandWeighting::Rectangular:
            factor = (i < 0 ? -1.0 : 1.0) * gain;
            break;
        case PassbandWeighting::Linear:
            factor = i * gain;
            break;
        case PassbandWeighting::Sin:
            factor = std::sin(i * Pi / BandHalfCount) * gain;
            break;
        }
        const __m256d factorV = _mm256_set1_pd(factor);
        // One group of four taps starting at j; the last group of a range may be partial.
        auto group = [&](int j, int valid) {
            const __m256d jv = _mm256_add_pd(_mm256_set1_pd(static_cast<double>(j)), laneOffsets());
            const __m256d theta = _mm256_add_pd(_mm256_mul_pd(_mm256_mul_pd(jv, omegaV), spacingV), phaseV);
            const __m256d c = Sleef_cosd4_u35(theta);
            alignas(32) double old[Lanes] = {};
            for (int k = 0; k < valid; ++k)
                old[k] = taps[j + k];
            __m256d tap = _mm256_load_pd(old);
            switch (weighting) {
            case PassbandWeighting::Rectangular:
                tap = _mm256_add_pd(tap, _mm256_div_pd(_mm256_mul_pd(c, factorV), d2000));
                break;
            case PassbandWeighting::Linear:
                tap = _mm256_add_pd(tap, _mm256_div_pd(_mm256_div_pd(_mm256_mul_pd(c, factorV), d2000), d1000));
                break;
            case PassbandWeighting::Sin:
                tap = _mm256_sub_pd(tap, _mm256_div_pd(_mm256_mul_pd(factorV, c), d2000));
                break;
            }
            if (valid == Lanes) {
                _mm256_storeu_pd(taps + j, tap);
            } else {
                alignas(32) double out[Lanes];
                _mm256_store_pd(out, tap);
                for (int k = 0; k < valid; ++k)
                    taps[j + k] = out[k];
            }
        };
        for (int j = first; j < first + whole; j += Lanes)
            group(j, Lanes);
        if (whole < count)
            group(first + whole, count - whole);
    }
}

void FourierSumsAvx2(const double *x, int h, const double *omega, double spacing, int first, int last, double *sinSum,
                     double *cosSum) {
    const __m256d spacingV = _mm256_set1_pd(spacing);
    for (int k = first; k <= last; k += Lanes) {
        const int valid = last - k + 1 < Lanes ? last - k + 1 : Lanes;
        // Lanes past the end repeat the last frequency; their results are not stored.
        alignas(32) double w[Lanes];
        for (int l = 0; l < Lanes; ++l)
            w[l] = omega[k + (l < valid ? l : valid - 1)];
        const __m256d omegaV = _mm256_load_pd(w);
        __m256d s = _mm256_setzero_pd();
        __m256d c = _mm256_setzero_pd();
        for (int i = -h; i <= h; ++i) {
            // A zero sample adds +-0 to sums that are never -0: skipping it changes no bit.
            if (x[i] == 0.0)
                continue;
            const __m256d xv = _mm256_set1_pd(x[i]);
            const __m256d theta =
                _mm256_mul_pd(_mm256_mul_pd(_mm256_set1_pd(static_cast<double>(i)), omegaV), spacingV);
            const Sleef___m256d_2 sc = Sleef_sincosd4_u35(theta);
            s = _mm256_add_pd(s, _mm256_mul_pd(xv, sc.x));
            c = _mm256_add_pd(c, _mm256_mul_pd(xv, sc.y));
        }
        alignas(32) double so[Lanes];
        alignas(32) double co[Lanes];
        _mm256_store_pd(so, s);
        _mm256_store_pd(co, c);
        for (int l = 0; l < valid; ++l) {
            sinSum[k + l] = so[l];
            cosSum[k + l] = co[l];
        }
    }
}

} // namespace pulsefir::detail
