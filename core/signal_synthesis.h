#pragma once

#include "state.h"

namespace pulsefir::core {

// One tone burst: exponential rise while the transducer is excited, exponential ring-down after.
struct ToneBurstParameters {
    double Amplitude = 1.4;           // level the rise tends to, signal units
    double Frequency = 0.04;          // carrier, MHz
    double PhaseDeg = 90.0;           // carrier phase at the burst start, degrees
    double FrontTimeConstant = 180.0; // time constant of rise and decay, µs
    double ExcitationTime = 800.0;    // duration of the rise, µs
    double Shift = 75.0;              // the burst starts at time -Shift, µs
};

// Adds one burst to SignalBuffer over -SignalHalfWidth..+SignalHalfWidth.
// Throws FloatingPointError (division by zero) before writing anything when the sampling
// frequency or the time constant is 0.
void addSignal(CoreState &state, const ToneBurstParameters &burst, double samplingFrequency);

// Clears all 20001 entries of SignalBuffer, then AddSignal.
void loadSignal(CoreState &state, const ToneBurstParameters &burst, double samplingFrequency);

// Adds noise on 1000 levels from -a to +0.998a, one draw of NextRandom(1000) per sample.
void addNoise(CoreState &state, double noiseAmplitude);

} // namespace pulsefir::core
