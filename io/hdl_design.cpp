#include "hdl_design.h"

#include <algorithm>
#include <cstdlib>

#include "base/error.h"
#include "base/messages.h"

namespace pulsefir::io {

namespace {

using core::Accumulator;

Accumulator power(int bits) {
    return static_cast<Accumulator>(1) << bits;
}

ValueRange wordRange(int bits) {
    return {-power(bits - 1), power(bits - 1) - 1};
}

ValueRange scaled(ValueRange r, std::int64_t factor) {
    const Accumulator a = r.low * factor;
    const Accumulator b = r.high * factor;
    return {std::min(a, b), std::max(a, b)};
}

ValueRange sum(ValueRange a, ValueRange b) {
    return {a.low + b.low, a.high + b.high};
}

// 2^k when |value| is a power of two, else -1.
int powerOfTwo(std::int64_t value) {
    const std::uint64_t magnitude = value < 0 ? static_cast<std::uint64_t>(-value) : static_cast<std::uint64_t>(value);
    if (magnitude == 0 || (magnitude & (magnitude - 1)) != 0)
        return -1;
    int k = 0;
    while ((std::uint64_t{1} << k) != magnitude)
        ++k;
    return k;
}

void check(const HdlFilter &f) {
    const bool ok = f.taps.size() % 2 == 1 && f.inputBits >= core::MinWordBits && f.inputBits <= core::MaxWordBits &&
                    f.tapBits >= core::MinWordBits && f.tapBits <= core::MaxWordBits &&
                    f.outputBits >= core::MinWordBits && f.outputBits <= core::MaxOutputBits && f.shift >= 0 &&
                    f.shift <= core::MaxOutputShift && std::all_of(f.taps.begin(), f.taps.end(), [&](std::int32_t c) {
                        const ValueRange word = wordRange(f.tapBits);
                        return c >= word.low && c <= word.high;
                    });
    if (!ok)
        throw base::Error(base::Message::hdlFilterInvalid());
}

HdlTerm makeTerm(const HdlFilter &f, const HdlDesign &d, int first, int second, bool subtract) {
    HdlTerm t;
    t.first = first;
    t.second = second;
    t.subtract = subtract;
    t.firstTap = d.lead - first;
    t.secondTap = second < 0 ? 0 : d.lead - second;
    const int n = static_cast<int>(f.taps.size() / 2);
    t.coefficient = f.taps[static_cast<std::size_t>(t.firstTap + n)];
    t.powerOfTwo = powerOfTwo(t.coefficient);
    const ValueRange x = wordRange(f.inputBits);
    ValueRange source = x;
    if (second >= 0)
        source = subtract ? ValueRange{x.low - x.high, x.high - x.low} : sum(x, x);
    t.sourceBits = signedBits(source);
    t.product = scaled(source, t.coefficient);
    if (t.powerOfTwo >= 0)
        t.productBits = std::max(signedBits(t.product), t.sourceBits + t.powerOfTwo);
    else
        t.productBits = t.sourceBits + f.tapBits;
    return t;
}

} // namespace

int signedBits(ValueRange range) {
    int bits = 1;
    while (bits < 128 && (range.low < -power(bits - 1) || range.high > power(bits - 1) - 1))
        ++bits;
    return bits;
}

HdlDesign planHdl(const HdlFilter &f) {
    check(f);
    HdlDesign d;
    const int n = static_cast<int>(f.taps.size() / 2);
    int lowest = n + 1;
    int highest = -n - 1;
    for (int j = -n; j <= n; ++j)
        if (f.taps[static_cast<std::size_t>(j + n)] != 0) {
            lowest = std::min(lowest, j);
            highest = std::max(highest, j);
        }

    if (highest < lowest) {
        // No tap at all: one product of the zero tap 0 keeps the ports in use and costs nothing
        // once synthesized.
        d.terms.push_back(makeTerm(f, d, 0, -1, false));
    } else {
        // Delay-line index k holds the sample k clocks older than the newest, weighed by tap
        // j = lead - k; the nonzero taps span k = lead - highest .. lead - lowest.
        d.lead = std::max(highest, 0);
        const int kFirst = d.lead - highest;
        const int kLast = d.lead - lowest;
        const auto tap = [&](int k) {
            return static_cast<std::int64_t>(f.taps[static_cast<std::size_t>(d.lead - k + n)]);
        };
        for (int a = kFirst, b = kLast; a <= b; ++a, --b) {
            if (a == b) {
                if (tap(a) != 0)
                    d.terms.push_back(makeTerm(f, d, a, -1, false));
            } else if (tap(a) != 0 && tap(a) == tap(b)) {
                d.terms.push_back(makeTerm(f, d, a, b, false));
            } else if (tap(a) != 0 && tap(a) == -tap(b)) {
                d.terms.push_back(makeTerm(f, d, a, b, true));
            } else {
                if (tap(a) != 0)
                    d.terms.push_back(makeTerm(f, d, a, -1, false));
                if (tap(b) != 0)
                    d.terms.push_back(makeTerm(f, d, b, -1, false));
            }
        }
    }

    d.preAdders = std::any_of(d.terms.begin(), d.terms.end(), [](const HdlTerm &t) { return t.second >= 0; });
    // With a pre-adder stage a single tap reads the delay line one word further on, where its
    // sample stands one clock later, instead of a register of its own.
    for (const HdlTerm &t : d.terms)
        d.lineLength = std::max({d.lineLength, t.first + (d.preAdders && t.second < 0 ? 1 : 0) + 1, t.second + 1});

    // The adder tree, one register level per level.
    std::vector<HdlNode> level;
    for (std::size_t i = 0; i < d.terms.size(); ++i)
        level.push_back({static_cast<int>(i), -1, d.terms[i].product, d.terms[i].productBits});
    d.accumulator = level.front().range;
    d.accumulatorBits = level.front().bits;
    while (level.size() > 1) {
        std::vector<HdlNode> next;
        for (std::size_t i = 0; i < level.size(); i += 2) {
            HdlNode node;
            node.left = static_cast<int>(i);
            node.range = level[i].range;
            node.bits = level[i].bits;
            if (i + 1 < level.size()) {
                node.right = static_cast<int>(i + 1);
                node.range = sum(level[i].range, level[i + 1].range);
                node.bits = std::max({signedBits(node.range), level[i].bits, level[i + 1].bits});
            }
            next.push_back(node);
        }
        d.tree.push_back(next);
        level = next;
        d.accumulator = level.front().range;
        d.accumulatorBits = level.front().bits;
    }

    // Rounding adds a bias before the arithmetic shift: 2^(S-1) for half up, 2^(S-1) - 1 plus
    // the bit that becomes the quotient's last for half to even.
    ValueRange bias;
    if (f.shift > 0 && f.rounding == core::Rounding::HalfUp)
        bias = {power(f.shift - 1), power(f.shift - 1)};
    else if (f.shift > 0 && f.rounding == core::Rounding::HalfEven)
        bias = {power(f.shift - 1) - 1, power(f.shift - 1)};
    d.rounded = sum(d.accumulator, bias);
    d.roundedBits = std::max(signedBits(d.rounded), d.accumulatorBits);
    d.quotient = {d.rounded.low >> f.shift, d.rounded.high >> f.shift};
    d.quotientBits = f.shift < d.roundedBits ? d.roundedBits - f.shift : 1;
    const ValueRange out = wordRange(f.outputBits);
    d.saturateHigh = d.quotient.high > out.high;
    d.saturateLow = d.quotient.low < out.low;

    d.latency = d.lead + 1 + (d.preAdders ? 1 : 0) + 1 + static_cast<int>(d.tree.size()) + 1;

    d.registerBits = d.lineLength * f.inputBits + f.outputBits;
    for (const HdlTerm &t : d.terms) {
        if (t.second >= 0) {
            d.registerBits += t.sourceBits;
            ++d.adders;
        }
        d.registerBits += t.productBits;
        if (t.coefficient != 0 && t.powerOfTwo < 0)
            ++d.multipliers;
        if (t.powerOfTwo >= 0 && t.coefficient < 0)
            ++d.adders; // the negation
    }
    for (const auto &nodes : d.tree)
        for (const HdlNode &node : nodes) {
            d.registerBits += node.bits;
            if (node.right >= 0)
                ++d.adders;
        }
    if (f.shift > 0 && f.rounding != core::Rounding::Truncate)
        ++d.adders;
    return d;
}

} // namespace pulsefir::io
