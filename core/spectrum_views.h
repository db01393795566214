#pragma once

#include <span>
#include <vector>

namespace pulsefir {

// Views of one spectrum computation for reading at a glance; they take the arrays of
// SpectorResults (entries 0..N-1) and leave them untouched. Each needs N >= 2 grid points and
// throws a base::Error saying so otherwise.

// Level that a zero (or vanishingly small) amplitude is shown at, dB.
constexpr double DecibelFloor = -200.0;

// 20·log10(A / A_ref), A_ref the largest amplitude on the grid (1 when all are 0, as after the
// normalisation of an all-zero array), never below DecibelFloor.
std::vector<double> AmplitudeDecibels(std::span<const double> amplitude);

// The phase made continuous along the grid: wherever two neighbours differ by more than π, the
// later entries are shifted by whole turns of 2π. The first entry stays as it is.
std::vector<double> UnwrapPhase(std::span<const double> phase);

// Group delay -dφ/dω in µs at every grid point, from the unwrapped phase (rad) and the grid's
// angular frequencies (rad/µs), two arrays of one length: central differences inside, one-sided
// at the two ends. Throws a base::Error when two grid points used in one difference lie on the
// same frequency.
std::vector<double> GroupDelay(std::span<const double> omega, std::span<const double> unwrappedPhase);

} // namespace pulsefir
