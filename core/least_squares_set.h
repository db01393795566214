#pragma once

#include <span>
#include <vector>

#include "least_squares.h"
#include "pulse_metrics.h"

namespace pulsefir::core {

// One pulse of a set: its samples, placed as SignalBuffer is (index 0 the pulse's own zero), and
// whether it is held out of the design to check the filter on.
struct SetPulse {
    const SignalArray *Samples = nullptr;
    bool Check = false;
};

// The regularisation weight mu = lambda * (2N + 1) / trace of the summed normal matrix, chosen
// by the field or by generalised cross-validation over the training pulses.
enum class RegularisationChoice { Field, Automatic };

// What the set design minimises over the training pulses: the sum of their residuals, or the
// largest of their regularised residuals |X_p h - d|^2 + lambda |h|^2 (worst_pulse_design.h).
enum class SetCriterion { Sum, WorstPulse };

// One point of the regularisation curve, over the training pulses summed: the residual
// sum_p |X_p h - d|^2 and the filter's energy |h|^2 of the solution at mu, and the
// generalised cross-validation score |r|^2 / (m - trace H)^2 with m the rows of all training
// pulses and H the influence matrix.
struct RegularisationPoint {
    double Mu = 0;
    double Residual = 0;
    double Energy = 0;
    double CrossValidation = 0;
};

// How the filter does on one pulse of the set: the residual |X_p h - d|^2 over -Ns..+Ns and the
// metrics of the filtered pulse.
struct PulseFit {
    double Residual = 0;
    PulseMetrics Metrics;
};

struct SetDesignOutcome {
    LeastSquaresOutcome Design; // Cost and Residual summed over the training pulses; the search
                                // objective of the filtered SignalBuffer
    double Mu = 0;              // the regularisation weight used
    // Automatic choice only: the curve over the grid of mu, ascending, and the chosen point.
    std::vector<RegularisationPoint> Curve;
    int Chosen = -1;
    std::vector<PulseFit> Fits; // one per pulse of the set, in its order
    int Worst = -1;             // the pulse of the largest residual, an index into Fits
};

// The grid of mu the automatic choice searches: from MinimumAutoMu to 1 (the field's upper
// limit), AutoMuStepsPerDecade points per decade.
constexpr double MinimumAutoMu = 1e-12;
constexpr int AutoMuStepsPerDecade = 20;

// The filter taps h[-N..N] that minimise sum over the training pulses p of |X_p h - d|^2 +
// lambda |h|^2, X_p the correlation with pulse p over -Ns..+Ns (Ns = SignalHalfWidth), d the
// desired response as BuildResponse fills it, lambda = mu * trace(sum_p X_p^T X_p) / (2N + 1).
// The normal equations are summed over the pulses, never stacked. With the field's choice and
// SignalBuffer as the one training pulse the taps are bit for bit those of leastSquaresFilter.
// The automatic choice takes the mu of the grid with the least cross-validation score, from one
// eigen-decomposition of the summed normal matrix. The worst-pulse criterion keeps that lambda
// and minimises the largest regularised residual of the training pulses instead of their sum.
//
// The latency holds the later taps at zero as in leastSquaresFilter; the automatic choice then
// works on the free taps' system.
//
// Commits as leastSquaresFilter does; throws base::Error, changing nothing, when no pulse is a
// training pulse, when the training pulses are all zero, or when the system is singular.
SetDesignOutcome leastSquaresSetFilter(CoreState &state, std::span<const SetPulse> pulses,
                                       const ResponseParameters &response, double samplingFrequency,
                                       int filterHalfWidth, double regularization, RegularisationChoice choice,
                                       int latency = MaxFilterHalfWidth, SetCriterion criterion = SetCriterion::Sum);

// The regularisation curve from the spectral projection of the summed normal equations: the
// eigenvalues s_k of A and the projections c_k of b on its eigenvectors, the desired response's
// energy summed over the training pulses, the rows m and the scale lambda = mu * scale.
RegularisationPoint regularisationPoint(const double *values, const double *projections, int size,
                                        double responseEnergy, double rows, double scale, double mu);

} // namespace pulsefir::core
