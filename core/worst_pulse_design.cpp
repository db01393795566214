#include "worst_pulse_design.h"

#include <Eigen/Cholesky>
#include <Eigen/Eigenvalues>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "base/messages.h"
#include "errors.h"

namespace pulsefir::core {

namespace {

constexpr int MaxNewtonSteps = 200;
constexpr int MaxSubproblemSteps = 20000;
constexpr int MaxHalvings = 40;
constexpr double SufficientRise = 1e-4; // of the rise the step's model predicts
constexpr double SingularPivotShare = 1e-14;

// The weighted design at w: its Cholesky factor, taps and every pulse's regularised residual.
struct Evaluation {
    Eigen::LLT<Eigen::MatrixXd> Cholesky;
    Eigen::VectorXd Taps;
    Eigen::VectorXd Residuals;
    double Dual = 0; // g(w) = sum_p w_p f_p(h(w))
};

Eigen::VectorXd residualsOf(std::span<const PulseEquations> pulses, const Eigen::VectorXd &h, double energy,
                            double lambda) {
    const double tapEnergy = h.squaredNorm();
    Eigen::VectorXd f(static_cast<Eigen::Index>(pulses.size()));
    for (std::size_t p = 0; p < pulses.size(); ++p) {
        const auto &q = pulses[p];
        f[static_cast<Eigen::Index>(p)] =
            std::max(energy - 2.0 * q.b.dot(h) + h.dot(q.A * h), 0.0) + lambda * tapEnergy;
    }
    return f;
}

Evaluation evaluate(std::span<const PulseEquations> pulses, const Eigen::VectorXd &w, double energy, double lambda) {
    const Eigen::Index size = pulses.front().b.size();
    Eigen::MatrixXd a = Eigen::MatrixXd::Zero(size, size);
    Eigen::VectorXd b = Eigen::VectorXd::Zero(size);
    for (std::size_t p = 0; p < pulses.size(); ++p) {
        if (w[static_cast<Eigen::Index>(p)] == 0.0)
            continue;
        a.noalias() += w[static_cast<Eigen::Index>(p)] * pulses[p].A;
        b.noalias() += w[static_cast<Eigen::Index>(p)] * pulses[p].b;
    }
    const double largestDiagonal = a.diagonal().maxCoeff();
    a.diagonal().array() += lambda;
    Evaluation e;
    e.Cholesky.compute(a);
    const auto &l = e.Cholesky.matrixLLT();
    const double smallestPivot = (l.diagonal().array() * l.diagonal().array()).minCoeff();
    if (e.Cholesky.info() != Eigen::Success ||
        !(smallestPivot > SingularPivotShare * static_cast<double>(size) * (largestDiagonal + lambda)))
        throw base::Error(base::Message::singularLeastSquares());
    e.Taps = e.Cholesky.solve(b);
    e.Residuals = residualsOf(pulses, e.Taps, energy, lambda);
    e.Dual = w.dot(e.Residuals);
    for (Eigen::Index p = 0; p < e.Taps.size(); ++p)
        checkStored(e.Taps[p]);
    return e;
}

// The Euclidean projection onto the simplex {v >= 0, sum v = 1} (sort and threshold).
Eigen::VectorXd projectOnSimplex(const Eigen::VectorXd &v) {
    std::vector<double> sorted(v.data(), v.data() + v.size());
    std::sort(sorted.begin(), sorted.end(), std::greater<>());
    double sum = 0.0;
    double threshold = 0.0;
    for (std::size_t k = 0; k < sorted.size(); ++k) {
        sum += sorted[k];
        const double t = (sum - 1.0) / static_cast<double>(k + 1);
        if (sorted[k] - t > 0.0)
            threshold = t;
    }
    return (v.array() - threshold).max(0.0).matrix();
}

// argmax over the simplex of f^T (v - w) - (v - w)^T K (v - w) / 2, by accelerated projected
// gradient steps of 1 / (largest eigenvalue of K).
Eigen::VectorXd newtonTarget(const Eigen::VectorXd &w, const Eigen::VectorXd &f, const Eigen::MatrixXd &k) {
    const double largest = std::max(
        Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd>(k, Eigen::EigenvaluesOnly).eigenvalues().maxCoeff(), 1e-300);
    const double step = 1.0 / largest;
    Eigen::VectorXd v = w;
    Eigen::VectorXd y = w;
    double momentum = 1.0;
    for (int it = 0; it < MaxSubproblemSteps; ++it) {
        const Eigen::VectorXd gradient = f - k * (y - w);
        const Eigen::VectorXd next = projectOnSimplex(y + step * gradient);
        const double nextMomentum = (1.0 + std::sqrt(1.0 + 4.0 * momentum * momentum)) / 2.0;
        y = next + ((momentum - 1.0) / nextMomentum) * (next - v);
        const double moved = (next - v).lpNorm<1>();
        v = next;
        momentum = nextMomentum;
        if (moved < 1e-15)
            break;
    }
    return v;
}

} // namespace

WorstPulseSolution worstPulseFilter(std::span<const PulseEquations> pulses, double responseEnergy, double lambda,
                                    const Eigen::VectorXd &candidate, double tolerance) {
    const auto count = static_cast<Eigen::Index>(pulses.size());
    Eigen::VectorXd w = Eigen::VectorXd::Constant(count, 1.0 / static_cast<double>(count));
    Evaluation current = evaluate(pulses, w, responseEnergy, lambda);
    WorstPulseSolution best;
    const auto consider = [&](const Eigen::VectorXd &h, const Eigen::VectorXd &f) {
        const double largest = f.maxCoeff();
        if (best.Taps.size() == 0 || largest < best.Largest) {
            best.Taps = h;
            best.Largest = largest;
            best.Residuals.assign(f.data(), f.data() + f.size());
        }
    };
    const auto keep = [&](const Evaluation &e) {
        consider(e.Taps, e.Residuals);
        best.Bound = std::max(best.Bound, e.Dual);
    };
    if (candidate.size() == pulses.front().b.size())
        consider(candidate, residualsOf(pulses, candidate, responseEnergy, lambda));
    keep(current);
    int step = 0;
    for (; step < MaxNewtonSteps && count > 1; ++step) {
        if (best.Largest - best.Bound <= tolerance * best.Largest)
            break;
        // The dual's curvature: K = 2 Z^T Z, Z = L^-1 U.
        Eigen::MatrixXd u(current.Taps.size(), count);
        for (Eigen::Index p = 0; p < count; ++p) {
            const auto &q = pulses[static_cast<std::size_t>(p)];
            u.col(p) = q.A * current.Taps - q.b + lambda * current.Taps;
        }
        const Eigen::MatrixXd z = current.Cholesky.matrixL().solve(u);
        const Eigen::MatrixXd k = 2.0 * z.transpose() * z;
        const Eigen::VectorXd direction = newtonTarget(w, current.Residuals, k) - w;
        const double predicted = current.Residuals.dot(direction); // the rise's first-order part
        if (!(predicted > tolerance * best.Largest * 1e-3))
            break;
        double t = 1.0;
        bool accepted = false;
        for (int halving = 0; halving < MaxHalvings; ++halving, t /= 2.0) {
            const Eigen::VectorXd trial = projectOnSimplex(w + t * direction);
            Evaluation e = evaluate(pulses, trial, responseEnergy, lambda);
            keep(e);
            if (e.Dual >= current.Dual + SufficientRise * t * predicted) {
                w = trial;
                current = std::move(e);
                accepted = true;
                break;
            }
        }
        if (!accepted)
            break;
    }
    best.Iterations = step;
    best.Weights.assign(w.data(), w.data() + w.size());
    return best;
}

} // namespace pulsefir::core
