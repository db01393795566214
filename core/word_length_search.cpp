#include "word_length_search.h"

#include <cmath>
#include <memory>

#include "fixed_point_filter.h"
#include "pulse_metrics.h"

namespace pulsefir::core {

namespace {

bool sideLevelKept(const std::optional<double> &exact, const std::optional<double> &fixed) {
    if (!exact || !fixed)
        return !exact && !fixed;
    return std::abs(*fixed - *exact) <= SideLevelToleranceDb;
}

bool durationKept(const std::optional<double> &exact, const std::optional<double> &fixed) {
    if (!exact || !fixed)
        return !exact && !fixed;
    return std::abs(*fixed - *exact) <= DurationTolerance * *exact;
}

} // namespace

WordLengthSearch searchTapBits(CoreState &state, const FixedPointFormat &format, double samplingFrequency) {
    const int n = usableSignalHalfWidth(state.SignalHalfWidth);
    WordLengthSearch search;
    const auto curve = std::make_unique<SignalArray>();
    std::vector<double> exact, fixed;
    FixedPointFormat trial = format;
    for (int bits = MinTapBits; bits <= MaxWordBits; ++bits) {
        trial.tapBits = bits;
        const FixedPointOutcome outcome = fixedPointOutcome(state, trial, exact, fixed);
        if (bits == MinTapBits && n >= 0) {
            curve->assign(n, exact);
            const PulseMetrics metrics = measurePulse(*curve, n, samplingFrequency);
            search.SideLevelDb = metrics.SideLevelDb;
            search.Duration20dB = metrics.Duration20dB;
        }
        WordLengthPoint point;
        point.TapBits = bits;
        point.SnrDb = outcome.Error.snrDb;
        if (n >= 0) {
            curve->assign(n, fixed);
            const PulseMetrics metrics = measurePulse(*curve, n, samplingFrequency);
            point.SideLevelDb = metrics.SideLevelDb;
            point.Duration20dB = metrics.Duration20dB;
        }
        point.Qualifies = point.SnrDb >= MinimumSnrDb && sideLevelKept(search.SideLevelDb, point.SideLevelDb) &&
                          durationKept(search.Duration20dB, point.Duration20dB);
        if (point.Qualifies && search.Chosen < 0)
            search.Chosen = static_cast<int>(search.Points.size());
        search.Points.push_back(point);
    }
    return search;
}

} // namespace pulsefir::core
