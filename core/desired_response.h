#pragma once

#include "state.h"

namespace pulsefir::core {

// The field values of ResponseShape (radio group item indices).
enum class ResponseShapeIndex { HalfWave = 0, TwoHalfWaves = 1, TwoHalfWavesSymmetric = 2 };
constexpr int index(ResponseShapeIndex shape) {
    return static_cast<int>(shape);
}

// The output the search and the least-squares filter steer the filtered signal toward.
struct ResponseParameters {
    double Ar1 = 1.4;  // peak amplitude, signal units
    double Tr1 = 12.5; // peak duration, µs
    int ResponseShape = index(ResponseShapeIndex::HalfWave);
};

// Fills ResponseBuffer with the desired response (cleared first; nothing beyond +-10000).
// Throws a division-by-zero error, changing nothing, for a zero sampling frequency or Tr1.
void buildResponse(CoreState &state, const ResponseParameters &response, double samplingFrequency);

} // namespace pulsefir::core
