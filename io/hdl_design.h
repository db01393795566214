#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/fixed_point.h"

namespace pulsefir::io {

// The integer filter the hardware computes, as the fixed-point model holds it.
struct HdlFilter {
    std::vector<std::int32_t> taps; // cq, taps -N..+N in ascending order
    int inputBits = 12;             // Bx
    int tapBits = 16;               // Bc
    int outputBits = 16;            // By
    int shift = 0;                  // S
    core::Rounding rounding = core::Rounding::HalfUp;
    // The fixed-point exports' description of the arithmetic, one line each, without a comment
    // prefix; copied into the header comment of the module.
    std::vector<std::string> description;
};

// A closed range of integers a signal of the design can carry.
struct ValueRange {
    core::Accumulator low = 0;
    core::Accumulator high = 0;
};

// The fewest bits of a two's complement word that holds every value of the range.
int signedBits(ValueRange range);

// One product of the design: a coefficient times a delay-line word, or times the sum (difference)
// of two delay-line words whose taps are equal (opposite): the folding of a symmetric
// (antisymmetric) pair, which halves its multipliers.
struct HdlTerm {
    int first = 0;         // delay-line index: the sample `first` clocks older than the newest
    int second = -1;       // the folded partner's index, -1 for a single tap
    bool subtract = false; // antisymmetric pair: first - second
    std::int32_t coefficient = 0;
    int firstTap = 0;    // the model's tap index j of `first`
    int secondTap = 0;   // and of `second`
    int powerOfTwo = -1; // |coefficient| = 2^powerOfTwo: a shift and no multiplier; -1 otherwise
    int sourceBits = 0;  // width of the multiplier's input (the pre-adder's output when folded)
    ValueRange product;  // the range of coefficient * input
    int productBits = 0; // width of the product register
};

// One node of the pipelined adder tree: the sum of two nodes of the level below, or one of them
// passed on through a register.
struct HdlNode {
    int left = 0;
    int right = -1; // -1: a pass-through register
    ValueRange range;
    int bits = 0;
};

// The structure written as HDL and the resources it costs. The hardware computes the causal sum
// z[n] = sum over k of h[k] * x[n - k] with h[k] = cq[lead - k], so that yq[i] = z[i + lead]:
// `lead` is how many samples ahead the filter looks. Pipeline: the input register and delay
// line, the pre-adders (only when a pair folds), the product registers, one register level per
// adder-tree level, and the output register that rounds and saturates.
struct HdlDesign {
    int lead = 0;           // clocks: the largest j with a nonzero tap, 0 when there is none
    int lineLength = 0;     // delay-line words d0..d(lineLength-1), d0 the input register
    bool preAdders = false; // some pair folds: a pre-adder register stage
    std::vector<HdlTerm> terms;
    std::vector<std::vector<HdlNode>> tree; // level 1 (sums of the products) up to the root
    ValueRange accumulator;                 // the root's range
    int accumulatorBits = 0;
    ValueRange rounded; // the rounded sum's range before the shift
    int roundedBits = 0;
    ValueRange quotient; // after the shift, before saturation
    int quotientBits = 0;
    bool saturateHigh = false; // the quotient can exceed the largest output
    bool saturateLow = false;  // or fall below the smallest
    int latency = 0;           // clocks: y at clock t is yq[t - latency]
    int multipliers = 0;
    int adders = 0;       // pre-adders, tree adders, the rounding adder, negations
    int registerBits = 0; // flip-flops
};

// The design for the filter. Throws base::Error for widths out of the model's ranges.
HdlDesign planHdl(const HdlFilter &filter);

} // namespace pulsefir::io
