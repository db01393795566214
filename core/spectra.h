#pragma once

#include <cstdint>

#include "constants.h"
#include "state.h"

namespace pulsefir {

struct SpectorParameters {
    double LowFrequency = 0.01;  // MHz, grid point 0
    double HighFrequency = 0.07; // MHz, grid point N-1
    std::int32_t PointCount = 400;
    bool NormalizeSignal = true;
    bool NormalizeFilter = true;
    bool NormalizeOutput = true;
};

// Amplitude and phase spectra of SignalBuffer, FilterBuffer and OutputBuffer on N equally
// spaced frequencies, by the direct Fourier sum at each; written to state.Spectra. The phase is
// atan2(C, S), measured against a sine. N = 1 gives one point at LowFrequency; N above 10001
// is refused with an error before anything is written; N below 1 computes nothing.
void CalcSpectors(CoreState &state, double samplingFrequency, const SpectorParameters &parameters);

// Divides amplitudes[0..n-1] by their maximum (by 1 when all are 0).
void NormalizeAmplitudes(double *amplitudes, int n);

// The frequency in MHz of an angular grid frequency, as the spectra are plotted.
inline double GridFrequency(double omega) {
    return (omega / 2.0) / Pi;
}

} // namespace pulsefir
