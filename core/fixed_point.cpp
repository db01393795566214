#include "fixed_point.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "dispatch.h"
#include "parallel.h"

namespace pulsefir::core {

namespace {

__extension__ typedef unsigned __int128 Unsigned;

// Outputs per chunk when the accumulation is split over the pool's threads.
constexpr int AccumulateGrain = 512;

// Low half of a tap word in the split accumulation: taps = high * 2^SplitBits + low.
constexpr int SplitBits = 16;

Accumulator lowestValue(int bits) {
    return -(static_cast<Accumulator>(1) << (bits - 1));
}
Accumulator highestValue(int bits) {
    return (static_cast<Accumulator>(1) << (bits - 1)) - 1;
}

// One stretch of outputs, summed in 64 bits: the caller has checked that no partial sum can
// leave them.
void accumulateNarrow(const std::int32_t *taps, int m, const std::int32_t *input, int first, int last,
                      Accumulator *out) {
    std::vector<std::int64_t> sums(static_cast<std::size_t>(last - first + 1));
    kernels().sumProducts(taps, m, input, first, last, sums.data());
    std::copy(sums.begin(), sums.end(), out);
}

// The same for any words of 32 bits: each tap split into a signed high half and an unsigned low
// half of 16 bits, so each of the two sums stays below 2^15 * 2^31 * 2001 < 2^58.
void accumulateWide(const std::int32_t *high, const std::int32_t *low, int m, const std::int32_t *input, int first,
                    int last, Accumulator *out) {
    const auto count = static_cast<std::size_t>(last - first + 1);
    std::vector<std::int64_t> highSums(count), lowSums(count);
    kernels().sumProducts(high, m, input, first, last, highSums.data());
    kernels().sumProducts(low, m, input, first, last, lowSums.data());
    for (std::size_t k = 0; k < count; ++k)
        out[k] = static_cast<Accumulator>(highSums[k]) * (Accumulator{1} << SplitBits) + lowSums[k];
}

} // namespace

Accumulator roundShift(Accumulator acc, int shift, Rounding rounding) {
    if (shift <= 0)
        return acc;
    const Accumulator floor = acc >> shift;
    if (rounding == Rounding::Truncate)
        return floor;
    const Unsigned half = Unsigned{1} << (shift - 1);
    const Unsigned remainder = static_cast<Unsigned>(acc) & ((Unsigned{1} << shift) - 1);
    if (remainder > half)
        return floor + 1;
    if (remainder < half)
        return floor;
    // An exact tie: half up goes up, convergent goes to the even neighbour.
    if (rounding == Rounding::HalfUp)
        return floor + 1;
    return (floor & 1) != 0 ? floor + 1 : floor;
}

bool saturates(Accumulator value, int bits) {
    return value < lowestValue(bits) || value > highestValue(bits);
}

std::int64_t saturate(Accumulator value, int bits) {
    return static_cast<std::int64_t>(std::clamp(value, lowestValue(bits), highestValue(bits)));
}

std::int32_t quantiseInput(double x, int bits, double fullScale) {
    // std::round rounds half away from zero; the scaling by 2^(bits-1) is exact.
    const double scaled = std::round(std::ldexp(x / fullScale, bits - 1));
    const double lowest = -std::ldexp(1.0, bits - 1);
    const double highest = std::ldexp(1.0, bits - 1) - 1.0;
    if (!(scaled > lowest))
        return static_cast<std::int32_t>(lowest);
    if (scaled > highest)
        return static_cast<std::int32_t>(highest);
    return static_cast<std::int32_t>(scaled);
}

QuantisedTaps quantiseTaps(std::span<const double> taps, int bits) {
    QuantisedTaps result;
    result.taps.assign(taps.size(), 0);
    double largest = 0.0;
    for (double c : taps)
        largest = std::max(largest, std::abs(c));
    if (largest == 0.0)
        return result;
    const double lowest = -std::ldexp(1.0, bits - 1);
    const double highest = std::ldexp(1.0, bits - 1) - 1.0;
    const auto fits = [&](int scale) {
        return std::all_of(taps.begin(), taps.end(), [&](double c) {
            const double q = std::round(std::ldexp(c, scale));
            return q >= lowest && q <= highest;
        });
    };
    // largest = mantissa * 2^exponent, mantissa in [0.5, 1): at scale bits - exponent + 1 the
    // largest word would be at least 2^bits, so the answer is at most bits - exponent; rounding
    // can push a word over the edge, so the scale steps down until every word fits.
    int exponent = 0;
    std::frexp(largest, &exponent);
    int scale = bits - exponent;
    while (!fits(scale))
        --scale;
    result.scale = scale;
    for (std::size_t j = 0; j < taps.size(); ++j)
        result.taps[j] = static_cast<std::int32_t>(std::round(std::ldexp(taps[j], scale)));
    return result;
}

std::vector<Accumulator> accumulate(std::span<const std::int32_t> taps, const std::int32_t *input, int first, int last,
                                    WorkerPool *pool) {
    if (last < first)
        return {};
    std::vector<Accumulator> acc(static_cast<std::size_t>(last - first + 1), 0);
    if (taps.empty())
        return acc;
    const int m = static_cast<int>(taps.size() / 2);
    // Bound on every partial sum: the sum of |taps| times the largest |input| read.
    std::int64_t largestInput = 0;
    for (int k = first - m; k <= last + m; ++k)
        largestInput = std::max<std::int64_t>(largestInput, std::llabs(static_cast<long long>(input[k])));
    Accumulator bound = 0;
    for (std::int32_t c : taps)
        bound += static_cast<Accumulator>(std::llabs(static_cast<long long>(c))) * largestInput;
    const bool narrow = bound <= std::numeric_limits<std::int64_t>::max();

    std::vector<std::int32_t> high, low;
    if (!narrow) {
        high.resize(taps.size());
        low.resize(taps.size());
        for (std::size_t j = 0; j < taps.size(); ++j) {
            high[j] = taps[j] >> SplitBits;
            low[j] = taps[j] & ((1 << SplitBits) - 1);
        }
    }
    const auto body = [&](int from, int to) {
        Accumulator *out = acc.data() + (from - first);
        if (narrow)
            accumulateNarrow(taps.data(), m, input, from, to, out);
        else
            accumulateWide(high.data(), low.data(), m, input, from, to, out);
    };
    if (pool != nullptr)
        pool->forRange(first, last, AccumulateGrain, body);
    else
        body(first, last);
    return acc;
}

int automaticShift(std::span<const Accumulator> acc, int outputBits, Rounding rounding) {
    if (acc.empty())
        return 0;
    const auto [lowest, highest] = std::minmax_element(acc.begin(), acc.end());
    // Rounding never decreases as the accumulator grows, so the extremes decide.
    for (int shift = 0; shift < MaxOutputShift; ++shift)
        if (!saturates(roundShift(*lowest, shift, rounding), outputBits) &&
            !saturates(roundShift(*highest, shift, rounding), outputBits))
            return shift;
    return MaxOutputShift;
}

std::vector<std::int64_t> filterIntegers(std::span<const std::int32_t> taps, std::span<const std::int32_t> x, int shift,
                                         int outputBits, Rounding rounding) {
    const int count = static_cast<int>(x.size());
    const int m = static_cast<int>(taps.size() / 2);
    // The sequence with m zeros on each side, so every output reads only stored words.
    std::vector<std::int32_t> padded(x.size() + 2 * static_cast<std::size_t>(m), 0);
    std::copy(x.begin(), x.end(), padded.begin() + m);
    const std::vector<Accumulator> acc = accumulate(taps, padded.data() + m, 0, count - 1);
    std::vector<std::int64_t> y(acc.size());
    for (std::size_t i = 0; i < acc.size(); ++i)
        y[i] = saturate(roundShift(acc[i], shift, rounding), outputBits);
    return y;
}

FixedPointRun runFixedPoint(const double *signal, int n, std::span<const double> taps, const FixedPointFormat &format,
                            WorkerPool *pool) {
    FixedPointRun run;
    if (n < 0)
        return run;
    const int m = static_cast<int>(taps.size() / 2);
    run.taps = quantiseTaps(taps, format.tapBits);
    std::vector<std::int32_t> input(static_cast<std::size_t>(2 * (n + m) + 1));
    for (int k = -(n + m); k <= n + m; ++k)
        input[static_cast<std::size_t>(k + n + m)] = quantiseInput(signal[k], format.inputBits, format.fullScale);
    const std::vector<Accumulator> acc = accumulate(run.taps.taps, input.data() + n + m, -n, n, pool);
    run.shift = format.automaticShift ? automaticShift(acc, format.outputBits, format.rounding)
                                      : std::clamp(format.shift, 0, MaxOutputShift);
    run.output.resize(acc.size());
    for (std::size_t i = 0; i < acc.size(); ++i) {
        const Accumulator rounded = roundShift(acc[i], run.shift, format.rounding);
        run.saturated += saturates(rounded, format.outputBits) ? 1 : 0;
        run.output[i] = saturate(rounded, format.outputBits);
    }
    run.input.assign(input.begin() + m, input.end() - m);
    run.outputUnit = format.fullScale * std::ldexp(1.0, run.shift - run.taps.scale - format.inputBits + 1);
    return run;
}

FixedPointError compareOutputs(std::span<const double> exact, std::span<const double> fixed, int saturated) {
    FixedPointError error;
    error.saturated = saturated;
    double signalEnergy = 0.0, errorEnergy = 0.0;
    for (std::size_t i = 0; i < exact.size() && i < fixed.size(); ++i) {
        const double e = fixed[i] - exact[i];
        signalEnergy += exact[i] * exact[i];
        errorEnergy += e * e;
        error.largestError = std::max(error.largestError, std::abs(e));
    }
    if (errorEnergy == 0.0)
        error.snrDb = std::numeric_limits<double>::infinity();
    else if (signalEnergy == 0.0)
        error.snrDb = -std::numeric_limits<double>::infinity();
    else
        error.snrDb = 10.0 * std::log10(signalEnergy / errorEnergy);
    return error;
}

} // namespace pulsefir::core
