#include "core/fixed_point.h"
#include "core/fixed_point_filter.h"
#include "core/least_squares.h"
#include "core/pulse_metrics.h"
#include "core/signal_synthesis.h"
#include "core/word_length_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace pulsefir::core {
namespace {

using Wide = Accumulator;

// The reference model, written from the definitions with division instead of shifts.
Wide floorDivide(Wide a, Wide b) {
    Wide q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

Wide referenceRound(Wide acc, int shift, Rounding rounding) {
    const Wide unit = Wide{1} << shift;
    if (shift == 0)
        return acc;
    switch (rounding) {
    case Rounding::Truncate:
        return floorDivide(acc, unit);
    case Rounding::HalfUp:
        return floorDivide(acc + unit / 2, unit);
    case Rounding::HalfEven: {
        const Wide q = floorDivide(acc, unit);
        const Wide twice = 2 * (acc - q * unit);
        if (twice > unit || (twice == unit && q % 2 != 0))
            return q + 1;
        return q;
    }
    }
    return 0;
}

std::int64_t referenceClamp(Wide v, int bits, int &saturated) {
    const Wide lo = -(Wide{1} << (bits - 1)), hi = (Wide{1} << (bits - 1)) - 1;
    if (v < lo || v > hi)
        ++saturated;
    return static_cast<std::int64_t>(v < lo ? lo : (v > hi ? hi : v));
}

bool fitsBits(double q, int bits) {
    return q >= -std::ldexp(1.0, bits - 1) && q <= std::ldexp(1.0, bits - 1) - 1;
}

struct Reference {
    int scale = 0, shift = 0, saturated = 0;
    std::vector<std::int64_t> output;
};

// The whole filter over -n..n by brute force: every tap scale from the top down, every shift from 0 up.
Reference referenceFilter(const std::vector<double> &signal, int n, const std::vector<double> &c,
                          const FixedPointFormat &f) {
    const int m = static_cast<int>(c.size() / 2);
    const int centre = static_cast<int>(signal.size() / 2);
    Reference r;
    r.scale = 200;
    const auto tapsFit = [&](int scale) {
        for (double t : c)
            if (!fitsBits(std::round(t * std::pow(2.0, scale)), f.tapBits))
                return false;
        return true;
    };
    while (!tapsFit(r.scale))
        --r.scale;
    std::vector<Wide> acc;
    for (int i = -n; i <= n; ++i) {
        Wide sum = 0;
        for (int j = -m; j <= m; ++j) {
            double x = std::round(signal[static_cast<std::size_t>(centre + i + j)] / f.fullScale *
                                  std::pow(2.0, f.inputBits - 1));
            x = std::min(std::max(x, -std::pow(2.0, f.inputBits - 1)), std::pow(2.0, f.inputBits - 1) - 1);
            const double q = std::round(c[static_cast<std::size_t>(j + m)] * std::pow(2.0, r.scale));
            sum += static_cast<Wide>(static_cast<std::int64_t>(q)) * static_cast<std::int64_t>(x);
        }
        acc.push_back(sum);
    }
    r.shift = f.shift;
    if (f.automaticShift) {
        for (r.shift = 0;; ++r.shift) {
            int sat = 0;
            for (Wide a : acc)
                referenceClamp(referenceRound(a, r.shift, f.rounding), f.outputBits, sat);
            if (sat == 0)
                break;
        }
    }
    for (Wide a : acc)
        r.output.push_back(referenceClamp(referenceRound(a, r.shift, f.rounding), f.outputBits, r.saturated));
    return r;
}

struct WidthCase {
    const char *name;
    int inputBits, tapBits, outputBits, m;
    Rounding rounding;
    bool automaticShift;
    int shift;
};

class FixedPointWidths : public testing::TestWithParam<WidthCase> {};

// A burst with noise, and taps spanning several decades, so words of every size and sign occur;
// the signal reaches beyond the full scale now and then, so the input clamps at both ends.
TEST_P(FixedPointWidths, MatchesTheReferenceBitForBit) {
    const WidthCase &w = GetParam();
    std::mt19937 random(static_cast<unsigned>(w.inputBits * 1000 + w.tapBits * 10 + w.outputBits));
    std::normal_distribution<double> noise(0.0, 0.7);
    const int n = 60;
    std::vector<double> signal(static_cast<std::size_t>(2 * (n + w.m) + 1));
    for (double &s : signal)
        s = noise(random);
    std::vector<double> c(static_cast<std::size_t>(2 * w.m + 1));
    for (double &t : c)
        t = noise(random) * std::pow(10.0, static_cast<int>(random() % 5) - 3);
    const FixedPointFormat f{w.inputBits, 1.5, w.tapBits, w.outputBits, w.rounding, w.automaticShift, w.shift};
    const Reference r = referenceFilter(signal, n, c, f);
    const FixedPointRun run = runFixedPoint(signal.data() + signal.size() / 2, n, c, f);
    EXPECT_EQ(run.taps.scale, r.scale);
    EXPECT_EQ(run.shift, r.shift);
    EXPECT_EQ(run.saturated, r.saturated);
    EXPECT_EQ(run.output, r.output);
    EXPECT_EQ(run.outputUnit, 1.5 * std::pow(2.0, r.shift - r.scale - w.inputBits + 1));
    if (!w.automaticShift) {
        EXPECT_GT(r.saturated, 0) << "the row is meant to saturate";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, FixedPointWidths,
    testing::Values(WidthCase{"narrowest", 4, 4, 4, 3, Rounding::HalfUp, true, 0},
                    WidthCase{"byte_words_truncated", 8, 8, 10, 10, Rounding::Truncate, true, 0},
                    WidthCase{"adc12_taps16_convergent", 12, 16, 16, 25, Rounding::HalfEven, true, 0},
                    WidthCase{"adc16_taps24", 16, 24, 20, 40, Rounding::HalfUp, true, 0},
                    WidthCase{"widest_words_split_sums", 32, 32, 48, 30, Rounding::HalfEven, true, 0},
                    WidthCase{"wide_taps_narrow_out", 20, 32, 6, 15, Rounding::Truncate, true, 0},
                    WidthCase{"saturates_half_up", 12, 16, 8, 10, Rounding::HalfUp, false, 3},
                    WidthCase{"saturates_truncated", 32, 31, 12, 8, Rounding::Truncate, false, 30},
                    WidthCase{"saturates_convergent", 24, 20, 16, 12, Rounding::HalfEven, false, 10}),
    [](const testing::TestParamInfo<WidthCase> &info) { return std::string(info.param.name); });

struct TieCase {
    const char *name;
    long long acc;
    int shift;
    long long truncated, halfUp, halfEven;
};

class RoundingTies : public testing::TestWithParam<TieCase> {};

TEST_P(RoundingTies, EachModeAsDefined) {
    const TieCase &t = GetParam();
    EXPECT_EQ(roundShift(t.acc, t.shift, Rounding::Truncate), t.truncated);
    EXPECT_EQ(roundShift(t.acc, t.shift, Rounding::HalfUp), t.halfUp);
    EXPECT_EQ(roundShift(t.acc, t.shift, Rounding::HalfEven), t.halfEven);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RoundingTies,
    testing::Values(TieCase{"two_and_a_half", 5, 1, 2, 3, 2}, TieCase{"three_and_a_half", 7, 1, 3, 4, 4},
                    TieCase{"minus_two_and_a_half", -5, 1, -3, -2, -2},
                    TieCase{"minus_three_and_a_half", -7, 1, -4, -3, -4}, TieCase{"minus_a_half", -1, 1, -1, 0, 0},
                    TieCase{"plus_a_half", 1, 1, 0, 1, 0}, TieCase{"just_below_a_tie", 0x17f, 8, 1, 1, 1},
                    TieCase{"just_above_a_tie", 0x181, 8, 1, 2, 2},
                    TieCase{"tie_at_shift_40", (11LL << 39), 40, 5, 6, 6},
                    TieCase{"no_shift", -123, 0, -123, -123, -123},
                    TieCase{"negative_beyond_the_shift", -1000, 62, -1, 0, 0}),
    [](const testing::TestParamInfo<TieCase> &info) { return std::string(info.param.name); });

TEST(FixedPoint, SaturationAndInputAtBothEnds) {
    for (int bits : {2, 4, 16, 32, 48}) {
        const Wide top = (Wide{1} << (bits - 1)) - 1;
        EXPECT_EQ(saturate(top, bits), static_cast<std::int64_t>(top));
        EXPECT_EQ(saturate(top + 1, bits), static_cast<std::int64_t>(top));
        EXPECT_EQ(saturate(-top - 1, bits), static_cast<std::int64_t>(-top - 1));
        EXPECT_EQ(saturate(-top - 2, bits), static_cast<std::int64_t>(-top - 1));
        EXPECT_FALSE(saturates(-top - 1, bits));
        EXPECT_TRUE(saturates(top + 1, bits));
    }
    // 12-bit ADC, full scale 2: one step is 2 / 2048; +FS clamps to 2047, -FS is exactly -2048.
    EXPECT_EQ(quantiseInput(2.0, 12, 2.0), 2047);
    EXPECT_EQ(quantiseInput(-2.0, 12, 2.0), -2048);
    EXPECT_EQ(quantiseInput(-5.0, 12, 2.0), -2048);
    EXPECT_EQ(quantiseInput(2.5 / 1024, 12, 2.0), 3); // 2.5 steps: half away from zero
    EXPECT_EQ(quantiseInput(-2.5 / 1024, 12, 2.0), -3);
    EXPECT_EQ(quantiseInput(1e9, 32, 1.0), 2147483647);
    EXPECT_EQ(quantiseInput(-1e9, 32, 1.0), -2147483647 - 1);
}

TEST(FixedPoint, TapScaleIsTheLargestThatFits) {
    // 0.75 at 8 bits: 0.75 * 2^7 = 96 fits, 192 does not; -1 at 8 bits: -128 fits exactly.
    EXPECT_EQ(quantiseTaps(std::vector<double>{0.75, -0.1}, 8).scale, 7);
    EXPECT_EQ(quantiseTaps(std::vector<double>{-1.0, 0.5}, 8).taps, (std::vector<std::int32_t>{-128, 64}));
    EXPECT_EQ(quantiseTaps(std::vector<double>{1.0}, 8).scale, 6);
    // 127.6/128 rounds to 128 at scale 7, one past the top: the scale drops to 6.
    EXPECT_EQ(quantiseTaps(std::vector<double>{127.6 / 128}, 8).scale, 6);
    // Large taps need a negative scale, tiny ones one above the width.
    EXPECT_EQ(quantiseTaps(std::vector<double>{1000.0}, 4).scale, -8);
    EXPECT_EQ(quantiseTaps(std::vector<double>{1e-6}, 16).scale, 34);
    EXPECT_EQ(quantiseTaps(std::vector<double>{0.0, 0.0}, 16).taps, (std::vector<std::int32_t>{0, 0}));
}

// The largest magnitudes the words allow, through the longest filter: the sums reach 2001 * 2^62.
TEST(FixedPoint, WidestAccumulatorIsExact) {
    const int m = 1000;
    std::vector<std::int32_t> taps(2 * m + 1, INT32_MIN);
    std::vector<std::int32_t> x(2 * m + 1, INT32_MIN);
    const std::vector<Accumulator> same = accumulate(taps, x.data() + m, 0, 0);
    EXPECT_TRUE(same[0] == Wide{2001} << 62);
    for (std::size_t j = 0; j < taps.size(); j += 2)
        taps[j] = INT32_MAX;
    Wide expected = 0;
    for (std::size_t j = 0; j < taps.size(); ++j)
        expected += static_cast<Wide>(taps[j]) * x[j];
    EXPECT_TRUE(accumulate(taps, x.data() + m, 0, 0)[0] == expected);
    // Shifted down to 48 bits it saturates high; the automatic shift is the smallest that does not.
    EXPECT_EQ(automaticShift(same, 48, Rounding::Truncate), 26); // 2001 * 2^62 < 2^73
    EXPECT_EQ(saturate(roundShift(same[0], 25, Rounding::Truncate), 48), (std::int64_t{1} << 47) - 1);
}

// The hardware's sequence: zeros before and after, tap +j weighs the sample j later.
TEST(FixedPoint, IntegerSequenceWithZerosAround) {
    const std::vector<std::int32_t> taps{1, 10, 100}; // taps -1, 0, +1
    const std::vector<std::int32_t> x{1, 2, 3, -4};
    EXPECT_EQ(filterIntegers(taps, x, 0, 16, Rounding::Truncate), (std::vector<std::int64_t>{210, 321, -368, -37}));
    EXPECT_EQ(filterIntegers(taps, x, 2, 16, Rounding::HalfEven), (std::vector<std::int64_t>{52, 80, -92, -9}));
    EXPECT_EQ(filterIntegers(taps, x, 0, 8, Rounding::Truncate), (std::vector<std::int64_t>{127, 127, -128, -37}));
}

// A lone tap of 1 passes the ADC's words through: the output is the quantised signal, within half
// an input step of the signal, stored over -N..N only. The signal beyond N is read as by calcOut.
TEST(FixedPointFilter, DeltaFilterGivesTheQuantisedSignal) {
    auto state = std::make_unique<CoreState>(1);
    state->SignalHalfWidth = 50;
    state->FilterHalfWidth = 3;
    loadSignal(*state, ToneBurstParameters{}, 0.8);
    state->FilterBuffer[0] = 1.0;
    state->FixedOutputBuffer[51] = 7.0;
    for (const int inputBits : {4, 12, 16}) {
        const FixedPointFormat f{inputBits, 2.0, 10, 20, Rounding::HalfEven, true, 0};
        const FixedPointOutcome outcome = calcFixedOut(*state, f);
        const double step = 2.0 / std::ldexp(1.0, inputBits - 1);
        for (int i = -50; i <= 50; ++i)
            ASSERT_EQ(state->FixedOutputBuffer[i], quantiseInput(state->SignalBuffer[i], inputBits, 2.0) * step) << i;
        EXPECT_LE(outcome.Error.largestError, step / 2);
        EXPECT_EQ(outcome.Error.saturated, 0);
    }
    EXPECT_EQ(state->FixedOutputBuffer[51], 7.0);

    // Tap +3 reads the sample 3 past the half-width.
    state->FilterBuffer[0] = 0.0;
    state->FilterBuffer[3] = 1.0;
    state->SignalBuffer[53] = 0.7;
    calcFixedOut(*state, FixedPointFormat{});
    EXPECT_NEAR(state->FixedOutputBuffer[50], state->SignalBuffer[53], 2.0 / 2048);
}

class WordLengthSearchTest : public testing::TestWithParam<int> {};

// The search against a plain loop over the widths with the criteria written out here. The
// least-squares filter lifts the ADC's rounding noise far above its own level, so narrow inputs
// leave every width below 60 dB.
TEST_P(WordLengthSearchTest, FirstWidthMeetingAllThreeCriteria) {
    auto state = std::make_unique<CoreState>();
    state->SignalHalfWidth = 400;
    const double fs = 0.8;
    loadSignal(*state, ToneBurstParameters{}, fs);
    leastSquaresFilter(*state, ResponseParameters{}, fs, 60, 1e-6);
    FixedPointFormat f;
    f.inputBits = GetParam();
    f.outputBits = 24;
    const WordLengthSearch search = searchTapBits(*state, f, fs);

    const int n = 400;
    const auto curve = std::make_unique<SignalArray>();
    std::vector<double> exact(2 * n + 1);
    for (int i = -n; i <= n; ++i) {
        for (int j = -60; j <= 60; ++j)
            exact[i + n] += state->SignalBuffer[i + j] * state->FilterBuffer[j];
        (*curve)[i] = exact[i + n];
    }
    const PulseMetrics reference = measurePulse(*curve, n, fs);
    int first = -1;
    ASSERT_EQ(search.Points.size(), 29u);
    for (int bits = 4; bits <= 32; ++bits) {
        f.tapBits = bits;
        const FixedPointRun run = runFixedPoint(state->SignalBuffer.centre(), n, state->FilterBuffer.range(60), f);
        double energy = 0, noise = 0;
        for (int i = -n; i <= n; ++i) {
            (*curve)[i] = run.output[i + n] * run.outputUnit;
            energy += exact[i + n] * exact[i + n];
            noise += ((*curve)[i] - exact[i + n]) * ((*curve)[i] - exact[i + n]);
        }
        const PulseMetrics m = measurePulse(*curve, n, fs);
        const bool ok = energy >= 1e6 * noise && std::abs(*m.SideLevelDb - *reference.SideLevelDb) <= 1.0 &&
                        std::abs(*m.Duration20dB - *reference.Duration20dB) <= 0.02 * *reference.Duration20dB;
        EXPECT_EQ(search.Points[bits - 4].Qualifies, ok) << bits;
        EXPECT_NEAR(search.Points[bits - 4].SnrDb, 10 * std::log10(energy / noise), 1e-9) << bits;
        if (ok && first < 0)
            first = bits;
    }
    EXPECT_EQ(search.Chosen < 0 ? -1 : search.Points[search.Chosen].TapBits, first);
    if (GetParam() >= 20) {
        EXPECT_GT(first, 4) << "a width that qualifies, and one bit fewer that does not";
    } else {
        EXPECT_EQ(first, -1) << "the ADC's own noise keeps every width below 60 dB";
    }
}

INSTANTIATE_TEST_SUITE_P(AdcBits, WordLengthSearchTest, testing::Values(8, 14, 20, 24));

} // namespace
} // namespace pulsefir::core
