#include "least_squares_set.h"

#include <Eigen/Cholesky>
#include <Eigen/Core>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "base/messages.h"
#include "correlation.h"
#include "errors.h"
#include "filter_search.h"
#include "normal_equations.h"
#include "worst_pulse_design.h"

namespace pulsefir::core {

namespace {

void restore(SignalArray &buffer, const std::vector<double> &saved) {
    std::copy(saved.begin(), saved.end(), buffer.range(MaxSignalHalfWidth).begin());
}

// A grid value with three significant digits, the double nearest to its decimal text, so that
// the field and the command line show it as it is used.
double roundedMu(int step) {
    const double exact = MinimumAutoMu * std::pow(10.0, static_cast<double>(step) / AutoMuStepsPerDecade);
    const int exponent = static_cast<int>(std::floor(std::log10(exact))) - 2;
    double power = 1.0; // 10^|exponent|, exact up to 10^22
    for (int k = 0; k < std::abs(exponent); ++k)
        power *= 10.0;
    const double digits = exponent < 0 ? std::round(exact * power) : std::round(exact / power);
    return exponent < 0 ? digits / power : digits * power;
}

// Sum over i = -ns..+ns of d[i]^2: the residual of the zero filter.
double energyOf(const double *d, int ns) {
    long double sum = 0.0L;
    for (int i = -ns; i <= ns; ++i)
        sum += static_cast<long double>(d[i]) * d[i];
    return static_cast<double>(sum);
}

int gridSize() {
    return static_cast<int>(std::lround(-std::log10(MinimumAutoMu) * AutoMuStepsPerDecade)) + 1;
}

} // namespace

RegularisationPoint regularisationPoint(const double *values, const double *projections, int size,
                                        double responseEnergy, double rows, double scale, double mu) {
    const double lambda = mu * scale;
    long double fitted = 0.0L;    // sum c^2 (s + 2 lambda) / (s + lambda)^2 = 2 h^T b - h^T A h
    long double energy = 0.0L;    // sum c^2 / (s + lambda)^2 = |h|^2
    long double influence = 0.0L; // sum s / (s + lambda) = trace of X (A + lambda I)^-1 X^T
    for (int k = 0; k < size; ++k) {
        const long double s = std::max(values[k], 0.0);
        const long double c2 = static_cast<long double>(projections[k]) * projections[k];
        const long double denominator = s + lambda;
        fitted += c2 * (s + 2.0L * lambda) / (denominator * denominator);
        energy += c2 / (denominator * denominator);
        influence += s / denominator;
    }
    RegularisationPoint point;
    point.Mu = mu;
    point.Residual = static_cast<double>(std::max(static_cast<long double>(responseEnergy) - fitted, 0.0L));
    point.Energy = static_cast<double>(energy);
    const long double freedom = static_cast<long double>(rows) - influence;
    point.CrossValidation = freedom > 0.0L ? static_cast<double>(point.Residual / (freedom * freedom))
                                           : std::numeric_limits<double>::infinity();
    return point;
}

SetDesignOutcome leastSquaresSetFilter(CoreState &state, std::span<const SetPulse> pulses,
                                       const ResponseParameters &response, double samplingFrequency,
                                       int filterHalfWidth, double regularization, RegularisationChoice choice,
                                       int latency, SetCriterion criterion) {
    if (!(regularization >= 0.0) || !std::isfinite(regularization))
        throw base::Error(base::Message::negativeRegularisation());
    std::vector<const double *> training;
    for (const SetPulse &p : pulses)
        if (!p.Check)
            training.push_back(p.Samples->centre()); // readable to +-11000, zero beyond +-10000
    if (training.empty())
        throw base::Error(base::Message::noTrainingPulses());
    const int n = std::clamp(filterHalfWidth, 0, MaxFilterHalfWidth);
    const int ns = usableSignalHalfWidth(state.SignalHalfWidth);
    const int size = 2 * n + 1;

    const auto all = state.ResponseBuffer.range(MaxSignalHalfWidth);
    const std::vector<double> previousResponse(all.begin(), all.end());
    buildResponse(state, response, samplingFrequency);
    try {
        const double *d = state.ResponseBuffer.centre();

        // The normal equations summed over the training pulses; the first one as for one pulse.
        Eigen::MatrixXd a = Eigen::MatrixXd::Zero(size, size);
        Eigen::VectorXd b = Eigen::VectorXd::Zero(size);
        std::vector<PulseEquations> each; // the worst-pulse criterion's, one per training pulse
        if (ns >= 0) {
            Eigen::VectorXd bp(size);
            for (std::size_t p = 0; p < training.size(); ++p) {
                const double *x = training[p];
                if (p == 0)
                    a = normalMatrix(state.pool(), x, n, ns);
                else
                    a += normalMatrix(state.pool(), x, n, ns);
                correlateParallel(state.pool(), x, d, ns, (p == 0 ? b : bp).data() + n, -n, n);
                if (p > 0)
                    b += bp;
                if (criterion == SetCriterion::WorstPulse) {
                    PulseEquations q{normalMatrix(state.pool(), x, n, ns), Eigen::VectorXd(size)};
                    correlateParallel(state.pool(), x, d, ns, q.b.data() + n, -n, n);
                    each.push_back(std::move(q));
                }
            }
        }

        const double trace = a.trace();
        if (!(trace > 0.0))
            throw base::Error(base::Message::zeroSignalLeastSquares());
        checkStored(trace);
        const int free = freeTapCount(n, latency);
        keepFreeTaps(a, b, free);

        SetDesignOutcome outcome;
        double mu = regularization;
        if (choice == RegularisationChoice::Automatic) {
            const SpectralProjection spectrum = spectralProjection(a, b);
            long double responseEnergy = 0.0L;
            for (int i = -ns; i <= ns; ++i)
                responseEnergy += static_cast<long double>(d[i]) * d[i];
            const double count = static_cast<double>(training.size());
            const double rows = count * (2.0 * ns + 1.0);
            const double scale = trace / size;
            const int points = gridSize();
            outcome.Curve.reserve(static_cast<std::size_t>(points));
            for (int k = 0; k < points; ++k) {
                outcome.Curve.push_back(regularisationPoint(spectrum.values.data(), spectrum.projections.data(), free,
                                                            static_cast<double>(responseEnergy * count), rows, scale,
                                                            roundedMu(k)));
                if (outcome.Chosen < 0 ||
                    outcome.Curve.back().CrossValidation < outcome.Curve[outcome.Chosen].CrossValidation)
                    outcome.Chosen = k;
            }
            mu = outcome.Curve[static_cast<std::size_t>(outcome.Chosen)].Mu;
        }
        const double lambda = mu * trace / size;
        Eigen::VectorXd h = solveRegularised(a, b, lambda);
        if (criterion == SetCriterion::WorstPulse && !each.empty()) {
            // The same problem in the taps the latency leaves free, pulse by pulse.
            for (PulseEquations &q : each)
                keepFreeTaps(q.A, q.b, free);
            h = worstPulseFilter(each, energyOf(d, ns), lambda, h).Taps;
        }
        h = withHeldTaps(std::move(h), size);

        // Every pulse filtered as CalcOut would filter it, its residual and its metrics.
        const auto filtered = std::make_unique<SignalArray>();
        double *y = filtered->centre();
        long double trainingResidual = 0.0L;
        outcome.Fits.reserve(pulses.size());
        for (const SetPulse &p : pulses) {
            if (ns >= 0)
                correlateParallel(state.pool(), p.Samples->centre(), h.data() + n, n, y, -ns, ns);
            const long double residual = squaredError(y, d, ns);
            if (!p.Check)
                trainingResidual += residual;
            if (outcome.Worst < 0 || residual > outcome.Fits[static_cast<std::size_t>(outcome.Worst)].Residual)
                outcome.Worst = static_cast<int>(outcome.Fits.size());
            PulseFit fit;
            fit.Residual = static_cast<double>(residual);
            fit.Metrics = measurePulse(*filtered, ns, samplingFrequency);
            outcome.Fits.push_back(fit);
        }
        std::vector<double> output(static_cast<std::size_t>(2 * std::max(ns, 0) + 1));
        double *signalOutput = output.data() + std::max(ns, 0);
        if (ns >= 0)
            correlateParallel(state.pool(), state.SignalBuffer.centre(), h.data() + n, n, signalOutput, -ns, ns);
        const long double energy = tapEnergy(h);

        outcome.Mu = mu;
        outcome.Design.Residual = static_cast<double>(trainingResidual);
        outcome.Design.Cost = static_cast<double>(trainingResidual + lambda * energy);
        outcome.Design.SearchObjective = searchObjective(state, signalOutput, ns);
        outcome.Design.Lambda = lambda;
        checkStored(outcome.Design.Cost);

        // Commit: the filter is replaced only now that everything has been computed.
        commitFilter(state, h, n);
        return outcome;
    } catch (...) {
        restore(state.ResponseBuffer, previousResponse);
        throw;
    }
}

} // namespace pulsefir::core
