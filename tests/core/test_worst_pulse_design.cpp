#include <gtest/gtest.h>

#include <Eigen/Dense>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "base/error.h"
#include "core/worst_pulse_design.h"

using namespace pulsefir::core;

namespace {

struct SmallProblem {
    std::vector<Eigen::MatrixXd> x; // rows x taps, one per pulse
    Eigen::VectorXd d;
    double lambda;
};

std::vector<PulseEquations> equationsOf(const SmallProblem &problem) {
    std::vector<PulseEquations> each;
    for (const auto &x : problem.x)
        each.push_back({x.transpose() * x, x.transpose() * problem.d});
    return each;
}

double regularisedResidual(const SmallProblem &problem, std::size_t p, const Eigen::VectorXd &h) {
    return (problem.x[p] * h - problem.d).squaredNorm() + problem.lambda * h.squaredNorm();
}

double largestResidual(const SmallProblem &problem, const Eigen::VectorXd &h) {
    double largest = 0.0;
    for (std::size_t p = 0; p < problem.x.size(); ++p)
        largest = std::max(largest, regularisedResidual(problem, p, h));
    return largest;
}

// Brute force over the weights: every point of a grid of step 1/steps on the simplex gives the
// lower bound min_h sum_p w_p f_p(h) (one dense solve of the weighted stacked problem) and a
// candidate h(w); the best of each bracket the minimax optimum.
struct Bracket {
    double lower = 0.0;
    double upper = 1e300;
};

Bracket bruteForce(const SmallProblem &problem, int steps) {
    const int count = static_cast<int>(problem.x.size());
    const auto taps = problem.x.front().cols();
    Bracket bracket;
    std::vector<int> units(static_cast<std::size_t>(count), 0);
    const auto visit = [&](const std::vector<int> &u) {
        Eigen::MatrixXd a = problem.lambda * Eigen::MatrixXd::Identity(taps, taps);
        Eigen::VectorXd b = Eigen::VectorXd::Zero(taps);
        for (int p = 0; p < count; ++p) {
            const double w = static_cast<double>(u[static_cast<std::size_t>(p)]) / steps;
            a += w * problem.x[static_cast<std::size_t>(p)].transpose() * problem.x[static_cast<std::size_t>(p)];
            b += w * problem.x[static_cast<std::size_t>(p)].transpose() * problem.d;
        }
        const Eigen::VectorXd h = a.fullPivLu().solve(b);
        double dual = 0.0;
        for (int p = 0; p < count; ++p)
            dual += static_cast<double>(u[static_cast<std::size_t>(p)]) / steps *
                    regularisedResidual(problem, static_cast<std::size_t>(p), h);
        bracket.lower = std::max(bracket.lower, dual);
        bracket.upper = std::min(bracket.upper, largestResidual(problem, h));
    };
    // All compositions of `steps` into `count` parts.
    const auto recurse = [&](auto &&self, int p, int left) -> void {
        if (p == count - 1) {
            units[static_cast<std::size_t>(p)] = left;
            visit(units);
            return;
        }
        for (int k = 0; k <= left; ++k) {
            units[static_cast<std::size_t>(p)] = k;
            self(self, p + 1, left - k);
        }
    };
    recurse(recurse, 0, steps);
    return bracket;
}

struct ProblemCase {
    std::string name;
    int pulses;
    int rows;
    int taps;
    double lambda;
    double spread; // how unlike each other the pulses are
    unsigned seed;
};

SmallProblem makeProblem(const ProblemCase &c) {
    std::mt19937 random(c.seed);
    std::normal_distribution<double> normal;
    SmallProblem problem;
    const Eigen::MatrixXd common = Eigen::MatrixXd::NullaryExpr(c.rows, c.taps, [&] { return normal(random); });
    for (int p = 0; p < c.pulses; ++p)
        problem.x.push_back(common +
                            c.spread * Eigen::MatrixXd::NullaryExpr(c.rows, c.taps, [&] { return normal(random); }));
    problem.d = Eigen::VectorXd::NullaryExpr(c.rows, [&] { return normal(random); });
    problem.lambda = c.lambda;
    return problem;
}

class WorstPulseDesignTest : public testing::TestWithParam<ProblemCase> {};

TEST_P(WorstPulseDesignTest, ReachesTheMinimaxOptimumOfBruteForce) {
    const SmallProblem problem = makeProblem(GetParam());
    const auto each = equationsOf(problem);
    // The sum design: sum_p |X_p h - d|^2 + lambda |h|^2, one lambda for the whole set.
    Eigen::MatrixXd a = problem.lambda * Eigen::MatrixXd::Identity(GetParam().taps, GetParam().taps);
    Eigen::VectorXd b = Eigen::VectorXd::Zero(GetParam().taps);
    for (const auto &x : problem.x) {
        a += x.transpose() * x;
        b += x.transpose() * problem.d;
    }
    const Eigen::VectorXd sumDesign = a.fullPivLu().solve(b);
    const WorstPulseSolution solution = worstPulseFilter(each, problem.d.squaredNorm(), problem.lambda, sumDesign);
    const Bracket bracket = bruteForce(problem, GetParam().pulses <= 3 ? 300 : 60);

    // The taps really have the largest residual reported, the bound is a true lower bound, and
    // the optimum bracketed by brute force is reached to well within 1 %.
    const double largest = largestResidual(problem, solution.Taps);
    EXPECT_NEAR(solution.Largest, largest, 1e-9 * largest);
    EXPECT_LE(solution.Bound, largest * (1 + 1e-12));
    EXPECT_GE(largest, bracket.lower * (1 - 1e-9)); // nothing beats the optimum
    EXPECT_LE(largest, bracket.upper * (1 + 1e-9));
    EXPECT_LE(largest, bracket.lower * 1.001);
    EXPECT_LE(largest - solution.Bound, 1e-6 * largest) << solution.Iterations << " steps";
    // Newton steps: a handful, not the hundreds a first-order ascent would take.
    EXPECT_LE(solution.Iterations, 25);

    EXPECT_LE(largest, largestResidual(problem, sumDesign) * (1 + 1e-12));

    double weights = 0.0;
    for (const double w : solution.Weights) {
        EXPECT_GE(w, 0.0);
        weights += w;
    }
    EXPECT_NEAR(weights, 1.0, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Problems, WorstPulseDesignTest,
                         testing::Values(ProblemCase{"TwoPulsesTie", 2, 8, 3, 0.1, 0.5, 1},
                                         ProblemCase{"ThreeAlike", 3, 10, 3, 0.01, 0.2, 2},
                                         ProblemCase{"ThreeUnlike", 3, 6, 2, 0.5, 1.0, 3},
                                         ProblemCase{"ThreeNoRegularisation", 3, 9, 3, 0.0, 0.7, 4},
                                         ProblemCase{"FourPulses", 4, 7, 3, 0.05, 0.6, 5},
                                         ProblemCase{"FourPulsesOneDominates", 4, 12, 4, 0.02, 0.3, 6},
                                         ProblemCase{"MoreTapsThanRows", 3, 3, 5, 0.2, 0.8, 7}),
                         [](const auto &info) { return info.param.name; });

TEST(WorstPulseDesignTest, OnePulseIsTheRegularisedSolution) {
    const SmallProblem problem = makeProblem({"", 1, 9, 3, 0.3, 0.0, 9});
    const auto each = equationsOf(problem);
    const auto solution = worstPulseFilter(each, problem.d.squaredNorm(), problem.lambda);
    const Eigen::VectorXd reference =
        (each[0].A + problem.lambda * Eigen::MatrixXd::Identity(3, 3)).llt().solve(each[0].b);
    EXPECT_LT((solution.Taps - reference).norm(), 1e-12 * reference.norm());
}

TEST(WorstPulseDesignTest, SingularSystemIsRefused) {
    SmallProblem problem = makeProblem({"", 2, 6, 3, 0.0, 0.5, 10});
    for (auto &x : problem.x)
        x.col(2).setZero(); // one tap no pulse sees, and no regularisation
    EXPECT_THROW(worstPulseFilter(equationsOf(problem), problem.d.squaredNorm(), 0.0), pulsefir::base::Error);
}

} // namespace
