#include "normal_equations.h"

#include <Eigen/Eigenvalues>

#include <algorithm>

#include <cfloat>
#include <cmath>
#include <numeric>
#include <vector>

#include "base/error.h"
#include "base/messages.h"
#include "correlation.h"
#include "errors.h"
#include "state.h"

namespace pulsefir::core {

namespace {
// A Cholesky pivot below this share of size * (largest diagonal entry) counts as singular.
constexpr double SingularPivotShare = DBL_EPSILON;
} // namespace

Eigen::VectorXd solveRegularised(Eigen::MatrixXd &a, const Eigen::VectorXd &b, double lambda) {
    const auto size = static_cast<double>(a.rows());
    const double largestDiagonal = a.diagonal().maxCoeff();
    checkStored(lambda);
    a.diagonal().array() += lambda;
    const Eigen::LLT<Eigen::MatrixXd> cholesky(a);
    const auto &l = cholesky.matrixLLT();
    const double smallestPivot = (l.diagonal().array() * l.diagonal().array()).minCoeff();
    if (cholesky.info() != Eigen::Success || !(smallestPivot > SingularPivotShare * size * (largestDiagonal + lambda)))
        throw base::Error(base::Message::singularLeastSquares());
    Eigen::VectorXd h = cholesky.solve(b);
    for (Eigen::Index p = 0; p < h.size(); ++p)
        checkStored(h[p]);
    return h;
}

int freeTapCount(int n, int latency) {
    return n + std::clamp(latency, 0, n) + 1;
}

void keepFreeTaps(Eigen::MatrixXd &a, Eigen::VectorXd &b, int free) {
    if (free >= a.rows())
        return;
    a.conservativeResize(free, free);
    b.conservativeResize(free);
}

Eigen::VectorXd withHeldTaps(Eigen::VectorXd h, int size) {
    if (h.size() < size) {
        const Eigen::Index free = h.size();
        h.conservativeResize(size);
        h.tail(size - free).setZero();
    }
    return h;
}

long double tapEnergy(const Eigen::VectorXd &h) {
    long double sum = 0.0L;
    for (Eigen::Index p = 0; p < h.size(); ++p)
        sum += static_cast<long double>(h[p]) * h[p];
    return sum;
}

void commitFilter(CoreState &state, const Eigen::VectorXd &h, int n) {
    state.FilterBuffer.fill(0.0);
    state.FilterBuffer.assign(n, {h.data(), static_cast<std::size_t>(h.size())});
    state.FilterHalfWidth = n;
}

long double squaredError(const double *y, const double *d, int ns) {
    long double sum = 0.0L;
    for (int i = -ns; i <= ns; ++i) {
        const long double e = static_cast<long double>(y[i]) - d[i];
        sum += e * e;
    }
    return sum;
}

// The matrix is Toeplitz but for the ends of the window: entry (j + 1, k + 1) is entry (j, k)
// with the sample pair that leaves the window at i = -ns removed and the one that enters at
// i = ns + 1 added. So only the first row needs full sums, O(n * ns); every diagonal follows by
// that update, O(n^2). The updates run in extended precision, so the error does not grow along
// a diagonal beyond that of its first entry.
Eigen::MatrixXd normalMatrix(WorkerPool &pool, const double *x, int n, int ns) {
    const int size = 2 * n + 1;
    std::vector<double> firstRow(static_cast<std::size_t>(size));
    // firstRow[k + n] = sum_i x[i - n] * x[i + k]: the correlation of x with x moved by n.
    correlateParallel(pool, x, x - n, ns, firstRow.data() + n, -n, n);
    Eigen::MatrixXd a(size, size);
    for (int q = 0; q < size; ++q) {
        long double value = firstRow[static_cast<std::size_t>(q)];
        a(0, q) = a(q, 0) = static_cast<double>(value);
        for (int p = 1; p + q < size; ++p) {
            const int j = p - 1 - n; // the row the update starts from
            const int k = j + q;
            value += static_cast<long double>(x[ns + 1 + j]) * x[ns + 1 + k];
            value -= static_cast<long double>(x[-ns + j]) * x[-ns + k];
            a(p, p + q) = a(p + q, p) = static_cast<double>(value);
        }
    }
    return a;
}

namespace {

// One implicit symmetric QR step with the Wilkinson shift on the unreduced block start..end of
// the tridiagonal matrix (diagonal d, subdiagonal e: e[k] joins k and k + 1). Each rotation G in
// the plane (k, k + 1) turns T into G^T T G and g into G^T g, so at convergence g holds W^T g for
// the eigenvectors W of the original T.
void qrStep(double *d, double *e, double *g, int start, int end) {
    const double delta = (d[end - 1] - d[end]) / 2.0;
    const double last = e[end - 1];
    const double root = std::hypot(delta, last);
    const double shift = d[end] - last * last / (delta + (delta >= 0.0 ? root : -root));
    double x = d[start] - shift;
    double z = e[start];
    for (int k = start; k < end; ++k) {
        // c, s with s x + c z = 0: the rotation removes z (the shift's direction, then the bulge).
        const double r = std::hypot(x, z);
        const double c = r == 0.0 ? 1.0 : x / r;
        const double s = r == 0.0 ? 0.0 : -z / r;
        if (k > start)
            e[k - 1] = r;
        const double a = d[k];
        const double b = e[k];
        const double f = d[k + 1];
        d[k] = c * c * a - 2.0 * c * s * b + s * s * f;
        d[k + 1] = s * s * a + 2.0 * c * s * b + c * c * f;
        e[k] = c * s * (a - f) + (c * c - s * s) * b;
        if (k + 1 < end) {
            z = -s * e[k + 1];
            e[k + 1] = c * e[k + 1];
        }
        x = e[k];
        const double gk = g[k];
        const double gk1 = g[k + 1];
        g[k] = c * gk - s * gk1;
        g[k + 1] = s * gk + c * gk1;
    }
}

} // namespace

SpectralProjection spectralProjection(const Eigen::MatrixXd &a, const Eigen::VectorXd &b) {
    const Eigen::Index size = a.rows();
    // A = Q T Q^T with T tridiagonal; Q^T b costs O(n^2) through the Householder reflections.
    const Eigen::Tridiagonalization<Eigen::MatrixXd> reduction(a);
    Eigen::VectorXd d = reduction.diagonal();
    Eigen::VectorXd e = Eigen::VectorXd::Zero(size);
    if (size > 1)
        e.head(size - 1) = reduction.subDiagonal();
    Eigen::VectorXd g = reduction.matrixQ().adjoint() * b;

    const long maxSteps = 30L * static_cast<long>(size);
    long steps = 0;
    int end = static_cast<int>(size) - 1;
    while (end > 0) {
        // Negligible couplings split the matrix; they are set to zero so the blocks separate.
        for (int k = 0; k < end; ++k)
            if (std::abs(e[k]) <= DBL_EPSILON * (std::abs(d[k]) + std::abs(d[k + 1])) || std::abs(e[k]) < DBL_MIN)
                e[k] = 0.0;
        while (end > 0 && e[end - 1] == 0.0)
            --end;
        if (end == 0)
            break;
        if (++steps > maxSteps)
            throw base::Error(base::Message::singularLeastSquares());
        int start = end - 1;
        while (start > 0 && e[start - 1] != 0.0)
            --start;
        qrStep(d.data(), e.data(), g.data(), start, end);
    }

    std::vector<int> order(static_cast<std::size_t>(size));
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int p, int q) { return d[p] < d[q]; });
    SpectralProjection result;
    result.values.resize(size);
    result.projections.resize(size);
    for (Eigen::Index k = 0; k < size; ++k) {
        result.values[k] = d[order[static_cast<std::size_t>(k)]];
        result.projections[k] = g[order[static_cast<std::size_t>(k)]];
    }
    return result;
}

} // namespace pulsefir::core
