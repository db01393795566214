#pragma once

#include <Eigen/Core>

#include <span>
#include <vector>

namespace pulsefir::core {

// One training pulse's normal equations: A = X^T X and b = X^T d.
struct PulseEquations {
    Eigen::MatrixXd A;
    Eigen::VectorXd b;
};

struct WorstPulseSolution {
    Eigen::VectorXd Taps;
    std::vector<double> Residuals; // f_p(h) = |X_p h - d|^2 + lambda |h|^2 of each pulse
    std::vector<double> Weights;   // the pulses' weights at the end, summing to 1
    double Largest = 0;            // max_p f_p(h)
    double Bound = 0;              // a lower bound of the minimax optimum: Largest - Bound is the gap
    int Iterations = 0;
};

// The filter h that minimises the largest of the regularised residuals
// f_p(h) = |X_p h - d|^2 + lambda |h|^2, |d|^2 = responseEnergy, over the pulses given.
//
// Method: the Lagrange dual. For weights w on the simplex, g(w) = min_h sum_p w_p f_p(h) is a
// lower bound of the optimum, attained by one regularised solve with the weighted normal
// equations; g is concave with gradient f_p(h(w)) and Hessian -2 U^T (A(w) + lambda I)^-1 U,
// u_p = (A_p + lambda I) h - b_p. Newton steps on the simplex (each a small quadratic
// programme over P weights) with a backtracking line search raise g; every h(w) met is a
// candidate, the one with the least largest residual is kept. The iteration stops when that
// largest residual exceeds g by at most `tolerance` of itself: the duality gap certifies it.
// `candidate`, where given (the sum design), is one more h met, so the result is never worse than
// it. Throws base::Error when the weighted system is singular.
WorstPulseSolution worstPulseFilter(std::span<const PulseEquations> pulses, double responseEnergy, double lambda,
                                    const Eigen::VectorXd &candidate = {}, double tolerance = 1e-9);

} // namespace pulsefir::core
