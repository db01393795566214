#pragma once

#include <cstdint>

#include "constants.h"
#include "state.h"

namespace pulsefir::core {

struct SpectorParameters {
    double LowFrequency = 0.01;  // MHz, grid point 0
    double HighFrequency = 0.07; // MHz, grid point N-1
    std::int32_t PointCount = 400;
    bool NormalizeSignal = true;
    bool NormalizeFilter = true;
    bool NormalizeOutput = true;
    // Whether the group delays are computed too; without them the delay arrays hold gaps and the
    // computation takes 15 to 20 % less time (bench/bench_core.cpp).
    bool GroupDelays = true;
};

// Where a source's amplitude lies more than this below its largest on the grid, its group delay
// is a gap (NaN), dB: the level at which the pulse metrics count a pulse as rung down. Further
// down, in side lobes and notches, the delay swings by thousands of µs from point to point (the
// default burst: -1330..+6020 µs between -60 and -40 dB, +390..+490 µs within -20 dB) and would
// set the scale of every delay curve; at an exact zero it does not exist.
constexpr double GroupDelayFloorDb = -40.0;

// Amplitude and phase spectra of SignalBuffer, FilterBuffer and OutputBuffer on N equally
// spaced frequencies, by the direct Fourier sum at each; written to state.Spectra. The phase is
// atan2(C, S), measured against a sine: arg of sum x[i] e^(-i omega t) plus pi/2. Beside them the
// group delays, exact at every point (no differences between neighbours, so no wrap). N = 1
// gives one point at LowFrequency; N above 10001 is refused with an error before anything is
// written; N below 1 computes nothing.
void calcSpectors(CoreState &state, double samplingFrequency, const SpectorParameters &parameters);

// The group delay in µs at one grid point from its four sums (dispatch.h): the real part of
// sum (i * spacing) x[i] e^(-i theta) / sum x[i] e^(-i theta), theta = (i * omega) * spacing:
//   spacing * (C * C' + S * S') / (S^2 + C^2),
// the delay of a lone sample at index d being d * spacing. Not finite when S = C = 0.
double groupDelayAt(double sinSum, double cosSum, double sinMoment, double cosMoment, double spacing);

// Whether the grid reaches above half the sampling frequency (MHz), where the spectrum of
// samples repeats the lower frequencies mirrored and a normalisation may take an alias' peak.
bool gridAboveHalfSampling(double samplingFrequency, const SpectorParameters &parameters);

// Divides amplitudes[0..n-1] by their maximum (by 1 when all are 0).
void normalizeAmplitudes(double *amplitudes, int n);

// The frequency in MHz of an angular grid frequency, as the spectra are plotted.
inline double gridFrequency(double omega) {
    return (omega / 2.0) / Pi;
}

} // namespace pulsefir::core
