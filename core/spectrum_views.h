#pragma once

#include <span>
#include <vector>

namespace pulsefir::core {

// Views of one spectrum computation for reading at a glance; they take the arrays of
// SpectorResults (entries 0..N-1, any N, one point included) and leave them untouched. The group
// delay is no view: CalcSpectors computes it exactly beside the sums (SpectorResults).

// Level that a zero (or vanishingly small) amplitude is shown at, dB.
constexpr double DecibelFloor = -200.0;

// 20·log10(A / A_ref), A_ref the largest amplitude on the grid (1 when all are 0, as after the
// normalisation of an all-zero array), never below DecibelFloor. One point is its own
// reference: 0 dB.
std::vector<double> amplitudeDecibels(std::span<const double> amplitude);

// The phase made continuous along the grid: wherever two neighbours differ by more than π, the
// later entries are shifted by whole turns of 2π. The first entry stays as it is.
std::vector<double> unwrapPhase(std::span<const double> phase);

// The phase measured against a cosine instead of a sine: φ - π/2 wrapped into (-π, π], which is
// arg Σ x·e^(-iωt), the convention of most other tools. The true π, as atan2 uses it.
std::vector<double> cosinePhase(std::span<const double> phase);

} // namespace pulsefir::core
