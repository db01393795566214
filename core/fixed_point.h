#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pulsefir::core {

class WorkerPool;

// How an accumulator is brought down to the output's least significant bit (the indices are those
// of the filter window's rounding choice).
enum class Rounding {
    Truncate = 0, // toward minus infinity: a plain arithmetic shift
    HalfUp = 1,   // floor((acc + 2^(S-1)) / 2^S)
    HalfEven = 2, // to the nearest, ties to the even neighbour (convergent)
};

// The accumulator: exact for any input and tap words of up to 32 bits and any filter length the
// program allows (|acc| < 2^31 * 2^31 * 2001 < 2^73).
__extension__ typedef __int128 Accumulator;

constexpr int MinWordBits = 2;
constexpr int MinTapBits = 4;
constexpr int MaxWordBits = 32;   // inputs and taps
constexpr int MaxOutputBits = 48; // outputs
constexpr int MaxOutputShift = 127;

// acc / 2^shift rounded as `rounding` says; shift 0..MaxOutputShift.
Accumulator roundShift(Accumulator acc, int shift, Rounding rounding);

// value held to the two's complement range of `bits` bits, [-2^(bits-1), 2^(bits-1) - 1].
std::int64_t saturate(Accumulator value, int bits);
// Whether saturate(value, bits) changes the value.
bool saturates(Accumulator value, int bits);

// One sample as an ADC of `bits` bits with full scale `fullScale` (signal units, > 0) delivers
// it: x / fullScale * 2^(bits-1), rounded half away from zero and held to the word.
std::int32_t quantiseInput(double x, int bits, double fullScale);

// Taps as Bc-bit words at a power-of-two scale: taps[j] = round_half_away(c[j] * 2^scale), scale
// (F) the largest integer for which every word fits Bc bits; it may be negative or exceed Bc.
// All-zero taps get scale 0.
struct QuantisedTaps {
    std::vector<std::int32_t> taps; // index 0 = tap -M
    int scale = 0;                  // F
};
QuantisedTaps quantiseTaps(std::span<const double> taps, int bits);

// acc[k] = sum over j = -m..+m of taps[j + m] * input[first + k + j], k = 0..last-first, where
// `input` points at sample 0 and is readable at every first - m .. last + m. Exact, whatever the
// widths (up to 32 bits each); split over the pool when one is given.
std::vector<Accumulator> accumulate(std::span<const std::int32_t> taps, const std::int32_t *input, int first, int last,
                                    WorkerPool *pool = nullptr);

// The smallest shift 0..MaxOutputShift for which no accumulator saturates `outputBits` bits
// after rounding.
int automaticShift(std::span<const Accumulator> acc, int outputBits, Rounding rounding);

// The hardware's output sequence for an integer input sequence x[0..M): yq[i] =
// saturate(roundShift(sum over j = -N..+N of taps[j + N] * x[i + j], shift), outputBits) for
// i = 0..M-1, where taps has 2N + 1 words and x counts as 0 before its first sample and after its
// last. Output i needs inputs up to i + N: a causal implementation delivers it N samples later.
std::vector<std::int64_t> filterIntegers(std::span<const std::int32_t> taps, std::span<const std::int32_t> x, int shift,
                                         int outputBits, Rounding rounding);

// Every word length and choice of the integer filter.
struct FixedPointFormat {
    int inputBits = 12;     // Bx
    double fullScale = 2.0; // FS, signal units
    int tapBits = 16;       // Bc
    int outputBits = 16;    // By
    Rounding rounding = Rounding::HalfUp;
    bool automaticShift = true;
    int shift = 0; // S when not automatic
};

// The integer filter applied to a signal over -n..+n.
struct FixedPointRun {
    QuantisedTaps taps;
    int shift = 0;                    // S used
    std::vector<std::int32_t> input;  // xq, -n..+n
    std::vector<std::int64_t> output; // yq, -n..+n
    int saturated = 0;                // outputs that saturation changed
    // Signal units per least significant bit of the output: FS * 2^(S - F - Bx + 1).
    double outputUnit = 0.0;
};

// The integer filter over outputs -n..+n. `signal` points at sample 0 and is readable at every
// -(n + m)..+(n + m), as the double application reads it; `taps` are the 2m + 1 taps -m..+m.
FixedPointRun runFixedPoint(const double *signal, int n, std::span<const double> taps, const FixedPointFormat &format,
                            WorkerPool *pool = nullptr);

// How far the integer output lies from the double one over the same samples.
struct FixedPointError {
    double snrDb = 0.0;        // 10 log10(energy of the double output / energy of the difference); inf when equal
    double largestError = 0.0; // signal units
    int saturated = 0;
};
FixedPointError compareOutputs(std::span<const double> exact, std::span<const double> fixed, int saturated);

} // namespace pulsefir::core
