#pragma once

#include <Eigen/Core>

namespace pulsefir::core {

class WorkerPool;
struct CoreState;

// Sum over i = -ns..+ns of x[i + j] * x[i + k] for all j, k in -n..n: the normal matrix X^T X of
// the correlation y_i = sum_j x[i + j] h_j. x points at entry 0 and is readable at every i + j.
Eigen::MatrixXd normalMatrix(WorkerPool &pool, const double *x, int n, int ns);

// Solves (A + lambda I) h = b by Cholesky, adding lambda to A's diagonal in place; throws
// base::Error when lambda or a tap cannot be stored, or when the system is singular to working
// precision (a pivot below size * epsilon of the largest diagonal entry).
Eigen::VectorXd solveRegularised(Eigen::MatrixXd &a, const Eigen::VectorXd &b, double lambda);

// How many taps of -n..n a filter that looks at most `latency` samples ahead may use: -n..min(latency, n).
int freeTapCount(int n, int latency);

// Keeps only the first `free` rows and columns of a and entries of b: the later taps held at zero.
// Nothing changes when every tap is free.
void keepFreeTaps(Eigen::MatrixXd &a, Eigen::VectorXd &b, int free);

// The free taps followed by zeros up to `size` taps; h itself when it has them all.
Eigen::VectorXd withHeldTaps(Eigen::VectorXd h, int size);

// Sum of h_p^2, accumulated in long double: the filter's energy in the regularised cost.
long double tapEnergy(const Eigen::VectorXd &h);

// Makes h (taps -n..n) the filter: FilterBuffer cleared, the taps placed, FilterHalfWidth = n.
void commitFilter(CoreState &state, const Eigen::VectorXd &h, int n);

// Sum over i = -ns..+ns of (y[i] - d[i])^2, accumulated in long double.
long double squaredError(const double *y, const double *d, int ns);

// A symmetric matrix A = V diag(values) V^T seen from one vector b: its eigenvalues (ascending)
// and projections = V^T b. That is all a regularised solution h = (A + lambda I)^-1 b needs for
// its residual, energy and effective number of parameters at every lambda, so one decomposition
// serves every lambda. The eigenvectors themselves are never formed: the rotations of the
// tridiagonal QR iteration are applied to the one vector, O(n^2) beyond the O(n^3) reduction.
struct SpectralProjection {
    Eigen::VectorXd values;
    Eigen::VectorXd projections;
};

// Throws base::Error when the iteration does not converge (it always does for finite input).
SpectralProjection spectralProjection(const Eigen::MatrixXd &a, const Eigen::VectorXd &b);

} // namespace pulsefir::core
