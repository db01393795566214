#pragma once

#include <vector>

#include "air_absorption.h"
#include "state.h"

namespace pulsefir::core {

// Where a pulse is received: the distance from the transducer and the air on the way.
struct PathPoint {
    double Distance = 0.1; // m
    AirClimate Air;
};

enum class Spreading { Plane, Spherical };

// A pulse recorded at Recorded carried to Target. Pressure is the one of Target.Air and applies
// to both; the recorded point's pressure is ignored.
struct PathParameters {
    PathPoint Recorded;
    PathPoint Target;
    Spreading Wave = Spreading::Spherical;
    bool KeepDelay = false; // the pulse arrives d/c(T) - d0/c(T0) later
};

// The transfer of the air path at one frequency (MHz), a real gain:
// (d0/d)^s * 10^(-[alpha(f; T, RH, p) d - alpha(f; T0, RH0, p) d0] / 20), s = 1 for a spherical
// wave, 0 for a plane one.
double pathGain(double frequencyMHz, const PathParameters &path);

// The travel time added by the path, µs: d/c(T) - d0/c(T0) where the delay is kept, else 0.
double pathDelay(const PathParameters &path);

// Carries the pulse x[-n..n] (sampled at samplingFrequency, MHz) along the path into y[-n..n],
// frequency by frequency on a zero-padded FFT long enough that nothing wraps into -n..n;
// what is carried past either end is dropped. Where the transfer is exactly 1 at every
// frequency and there is no delay, y is x bit for bit. x and y may be the same array. Throws
// base::Error for a distance that is not positive, a sampling frequency that is not, or a
// transfer that cannot be stored.
void carryPulse(const double *x, double *y, int n, double samplingFrequency, const PathParameters &path);

// SignalBuffer over -SignalHalfWidth..+SignalHalfWidth carried along the path, replaced only
// when the whole computation succeeded.
void propagateSignal(CoreState &state, double samplingFrequency, const PathParameters &path);

// alpha(f) in dB/m at pointCount frequencies from low to high (MHz), equally spaced as the spectra
// window's grid (one point: low).
std::vector<double> absorptionCurve(double low, double high, int pointCount, const AirClimate &air);

} // namespace pulsefir::core
