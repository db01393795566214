#include "resampling.h"

#include <algorithm>
#include <cmath>

#include <samplerate.h>

#include "base/error.h"
#include "base/messages.h"
#include "base/number_text.h"
#include "io/pulse_data.h"

namespace pulsefir::io {

namespace {

// Two sampling frequencies closer than this share of the larger are the same rate: a time
// column written with 7 significant digits still gives the field's rate back.
constexpr double SameRateShare = 1e-6;

using base::Message;

} // namespace

namespace {

// Input samples either side of an output that the best sinc converter reaches, at a ratio of
// 1 or more; it reaches 1 / ratio times as far when it reduces the rate.
constexpr double ConverterReach = 300.0;

double checkedRatio(double fromMHz, double toMHz) {
    if (!(fromMHz > 0.0) || !(toMHz > 0.0))
        throw base::Error(Message::resampleRateNotPositive());
    const double ratio = toMHz / fromMHz;
    if (!src_is_valid_ratio(ratio))
        throw base::Error(
            Message::resampleRatio(base::formatSignificant(fromMHz, 9), base::formatSignificant(toMHz, 9)));
    return ratio;
}

std::size_t outputCountOf(std::size_t inputs, double ratio) {
    const auto count = static_cast<std::size_t>(std::llround(static_cast<double>(inputs) * ratio));
    if (count > MaxPulseSamples)
        throw base::Error(Message::resampledTooMany(MaxPulseSamples));
    return count;
}

// Converts `in` and returns its first `count` outputs, zeros where the converter gave fewer.
std::vector<double> convert(std::span<const double> samples, double ratio, std::size_t count) {
    std::vector<float> in(samples.begin(), samples.end());
    std::vector<float> out(count + 16);
    SRC_DATA data{};
    data.data_in = in.data();
    data.input_frames = static_cast<long>(in.size());
    data.data_out = out.data();
    data.output_frames = static_cast<long>(out.size());
    data.src_ratio = ratio;
    if (const int error = src_simple(&data, SRC_SINC_BEST_QUALITY, 1))
        throw base::Error(Message::resampleFailed(src_strerror(error)));
    std::vector<double> result(out.begin(),
                               out.begin() + std::min<long>(data.output_frames_gen, static_cast<long>(count)));
    result.resize(count, 0.0);
    return result;
}

// The ratio as p / q with q at most `limit`, when it is that fraction to the last bits.
bool smallFraction(double ratio, long long limit, long long &p, long long &q) {
    long long p0 = 0, q0 = 1, p1 = 1, q1 = 0;
    double x = ratio;
    for (int k = 0; k < 40; ++k) {
        const double a = std::floor(x);
        const long long ai = static_cast<long long>(a);
        const long long p2 = ai * p1 + p0;
        const long long q2 = ai * q1 + q0;
        if (q2 > limit)
            return false;
        p0 = p1;
        q0 = q1;
        p1 = p2;
        q1 = q2;
        if (std::abs(static_cast<double>(p1) / static_cast<double>(q1) - ratio) <= 1e-15 * ratio) {
            p = p1;
            q = q1;
            return true;
        }
        if (x - a <= 0.0)
            return false;
        x = 1.0 / (x - a);
    }
    return false;
}

} // namespace

std::vector<double> resamplePulse(std::span<const double> samples, double fromMHz, double toMHz) {
    const double ratio = checkedRatio(fromMHz, toMHz);
    return convert(samples, ratio, outputCountOf(samples.size(), ratio));
}

ResampledPart resamplePulsePart(std::span<const double> samples, double fromMHz, double toMHz, long long wantFirst,
                                long long wantLast) {
    const double ratio = checkedRatio(fromMHz, toMHz);
    const auto total = static_cast<long long>(outputCountOf(samples.size(), ratio));
    ResampledPart part;
    wantFirst = std::max(wantFirst, 0LL);
    wantLast = std::min(wantLast, total - 1);
    if (wantFirst > wantLast)
        return part;
    const auto n = static_cast<long long>(samples.size());
    const auto reach = static_cast<long long>(std::ceil(ConverterReach * std::max(1.0, 1.0 / ratio))) + 2;
    const long long inEnd =
        std::min(n, static_cast<long long>(std::ceil(static_cast<double>(wantLast + 1) / ratio)) + reach);
    long long inFirst =
        std::max(0LL, static_cast<long long>(std::floor(static_cast<double>(wantFirst) / ratio)) - reach);
    long long outFirst = 0; // the output that input sample inFirst falls on
    long long p = 0;
    long long q = 1;
    if (inFirst > 0 && smallFraction(ratio, 1'000'000, p, q)) {
        inFirst -= inFirst % q;
        outFirst = inFirst / q * p;
    } else {
        inFirst = 0;
    }
    const std::vector<double> out =
        convert(samples.subspan(static_cast<std::size_t>(inFirst), static_cast<std::size_t>(inEnd - inFirst)), ratio,
                static_cast<std::size_t>(wantLast + 1 - outFirst));
    part.first = wantFirst;
    part.samples.assign(out.begin() + (wantFirst - outFirst), out.end());
    return part;
}

bool ratesDiffer(double aMHz, double bMHz) {
    return std::abs(aMHz - bMHz) > SameRateShare * std::max(std::abs(aMHz), std::abs(bMHz));
}

} // namespace pulsefir::io
