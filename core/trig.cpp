#include "trig.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace pulsefir::core {

namespace {

__extension__ typedef unsigned __int128 u128;
__extension__ typedef __int128 i128;

// The fractional bits of 2/pi = 0.a2f9836e..., 64 to a word, after one word of zeros for the
// bit positions at and before the binary point.
constexpr std::uint64_t TwoOverPiBits[] = {
    0,
    0xa2f9836e4e441529ULL,
    0xfc2757d1f534ddc0ULL,
    0xdb6295993c439041ULL,
    0xfe5163abdebbc561ULL,
    0xb7246e3a424dd2e0ULL,
    0x06492eea09d1921cULL,
    0xfe1deb1cb129a73eULL,
    0xe88235f52ebb4484ULL,
    0xe99c7026b45f7e41ULL,
    0x3991d639835339f4ULL,
    0x9c845f8bbdf9283bULL,
    0x1ff897ffde05980fULL,
    0xef2f118b5a0a6d1fULL,
    0x6d367ecf27cb09b7ULL,
    0x4f463f669e5fea2dULL,
    0x7527bac7ebe5f17bULL,
    0x3d0739f78a5292eaULL,
    0x6bfb5fb11f8d5d08ULL,
    0x56033046fc7b6babULL,
    0xf0cfbc209af4361dULL,
};
constexpr int LeadingZeroBits = 64;

// 64 bits of 2/pi starting at fractional bit `position` (1 = the first bit after the point;
// positions <= 0 are zeros).
std::uint64_t twoOverPiWord(int position) {
    const int bit = position - 1 + LeadingZeroBits;
    const int word = bit / 64;
    const int shift = bit % 64;
    const std::uint64_t high = TwoOverPiBits[word] << shift;
    return shift == 0 ? high : high | (TwoOverPiBits[word + 1] >> (64 - shift));
}

} // namespace

// Reference: Payne and Hanek, "Radian reduction for trigonometric functions" (1983).
void reduceLargeAngle(double x, std::int64_t &quadrant, double &r) {
    const double magnitude = std::fabs(x);
    // magnitude = m * 2^e with a 53-bit integer m.
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const int e = static_cast<int>(bits >> 52) - 1075;
    const std::uint64_t m = (bits & ((1ULL << 52) - 1)) | (1ULL << 52);
    // Bits of 2/pi before position e - 1 add multiples of 4 to x * 2/pi, which change neither
    // the quadrant nor the remainder. The 192 bits from there on, times m, hold the quadrant in
    // bits 190..191 and the fraction below.
    const int first = e - 1;
    const std::uint64_t w2 = twoOverPiWord(first);
    const std::uint64_t w1 = twoOverPiWord(first + 64);
    const std::uint64_t w0 = twoOverPiWord(first + 128);
    const u128 p0 = static_cast<u128>(m) * w0;
    const u128 p1 = static_cast<u128>(m) * w1;
    const u128 p2 = static_cast<u128>(m) * w2;
    const u128 middle = (p0 >> 64) + static_cast<std::uint64_t>(p1);
    const auto r1 = static_cast<std::uint64_t>(middle);
    const auto r2 = static_cast<std::uint64_t>((middle >> 64) + (p1 >> 64) + static_cast<std::uint64_t>(p2));
    const auto r0 = static_cast<std::uint64_t>(p0);
    std::int64_t q = static_cast<std::int64_t>(r2 >> 62);
    // The fraction's top 128 bits, as a signed number: at or past one half it counts from the
    // next quadrant, so that |r| <= pi/4.
    const u128 fraction = (static_cast<u128>((r2 << 2) | (r1 >> 62)) << 64) | ((r1 << 2) | (r0 >> 62));
    const auto signedFraction = static_cast<i128>(fraction);
    if (signedFraction < 0)
        ++q;
    // 64-bit mantissas hold each half exactly; the product with pi/2 is good to about 2^-64.
    const long double high = static_cast<long double>(static_cast<std::int64_t>(signedFraction >> 64));
    const long double low = static_cast<long double>(static_cast<std::uint64_t>(signedFraction));
    constexpr long double PiOverTwo = 1.57079632679489661923132169163975144L;
    const long double f = high * 0x1p-64L + low * 0x1p-128L;
    const double reduced = static_cast<double>(f * PiOverTwo);
    if (x < 0) {
        quadrant = -q;
        r = -reduced;
    } else {
        quadrant = q;
        r = reduced;
    }
}

namespace scalar_trig {
using namespace pulsefir;
#define PULSEFIR_LANES 1
#include "lanes.inc"
#undef PULSEFIR_LANES
} // namespace scalar_trig

double sine(double x) {
    double s = 0.0;
    double c = 0.0;
    scalar_trig::sinCos(x, s, c);
    return s;
}

double cosine(double x) {
    double s = 0.0;
    double c = 0.0;
    scalar_trig::sinCos(x, s, c);
    return c;
}

} // namespace pulsefir::core
