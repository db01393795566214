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

std::vector<double> resamplePulse(std::span<const double> samples, double fromMHz, double toMHz) {
    if (!(fromMHz > 0.0) || !(toMHz > 0.0))
        throw base::Error(Message::resampleRateNotPositive());
    const double ratio = toMHz / fromMHz;
    if (!src_is_valid_ratio(ratio))
        throw base::Error(
            Message::resampleRatio(base::formatSignificant(fromMHz, 9), base::formatSignificant(toMHz, 9)));
    const auto outputCount = static_cast<std::size_t>(std::llround(static_cast<double>(samples.size()) * ratio));
    if (outputCount > MaxPulseSamples)
        throw base::Error(Message::resampledTooMany(MaxPulseSamples));
    std::vector<float> in(samples.begin(), samples.end());
    std::vector<float> out(outputCount + 16);
    SRC_DATA data{};
    data.data_in = in.data();
    data.input_frames = static_cast<long>(in.size());
    data.data_out = out.data();
    data.output_frames = static_cast<long>(out.size());
    data.src_ratio = ratio;
    if (const int error = src_simple(&data, SRC_SINC_BEST_QUALITY, 1))
        throw base::Error(Message::resampleFailed(src_strerror(error)));
    std::vector<double> result(out.begin(),
                               out.begin() + std::min<long>(data.output_frames_gen, static_cast<long>(outputCount)));
    result.resize(outputCount, 0.0);
    return result;
}

bool ratesDiffer(double aMHz, double bMHz) {
    return std::abs(aMHz - bMHz) > SameRateShare * std::max(std::abs(aMHz), std::abs(bMHz));
}

} // namespace pulsefir::io
