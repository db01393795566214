#include "fixed_point_steps.h"

#include <cmath>
#include <iostream>
#include <optional>

#include "base/error.h"
#include "base/messages.h"
#include "base/number_text.h"
#include "core/fixed_point_filter.h"
#include "core/word_length_search.h"
#include "project/settings_conversions.h"
#include "reports.h"

namespace pulsefir::cli {

namespace {

std::string optionalNumber(const std::optional<double> &value) {
    return value ? formatNumber(*value) : std::string();
}

} // namespace

void applyFixed(Session &s, std::ostream &out) {
    const core::FixedPointFormat format = project::fixedPoint(s.settings.filter);
    const core::FixedPointOutcome outcome = core::calcFixedOut(*s.state, format);
    s.fixedRun = outcome.Run;
    const int fractionBits = outcome.Run.taps.scale + format.inputBits - 1 - outcome.Run.shift;
    out << base::Message::cliFixedPointResult(outcome.Run.shift, format.outputBits, fractionBits,
                                              formatNumber(std::round(outcome.Error.snrDb * 100) / 100),
                                              base::formatSignificant(outcome.Error.largestError, 6),
                                              outcome.Error.saturated)
        << '\n';
}

void writeFixedOutput(std::ostream &out, const Session &s) {
    if (!s.fixedRun)
        throw base::Error(base::Message::cliNoFixedOutput());
    const core::FixedPointRun &run = *s.fixedRun;
    const int n = static_cast<int>(run.output.size() / 2);
    out << "index,input,output,value\n";
    for (int i = -n; i <= n; ++i) {
        const auto k = static_cast<std::size_t>(i + n);
        out << i << ',' << run.input[k] << ',' << run.output[k] << ','
            << formatNumber(static_cast<double>(run.output[k]) * run.outputUnit) << '\n';
    }
}

void fitBits(Session &s, std::ostream &out) {
    const core::WordLengthSearch search =
        core::searchTapBits(*s.state, project::fixedPoint(s.settings.filter), s.samplingFrequency());
    out << "bits,snr_db,side_level_db,duration_20db_us,qualifies\n";
    for (const core::WordLengthPoint &p : search.Points)
        out << p.TapBits << ',' << formatNumber(p.SnrDb) << ',' << optionalNumber(p.SideLevelDb) << ','
            << optionalNumber(p.Duration20dB) << ',' << (p.Qualifies ? 1 : 0) << '\n';
    if (search.Chosen < 0) {
        std::cerr << base::Message::cliPrefix() << base::Message::noTapWidthQualifies() << '\n';
        return;
    }
    s.settings.filter.coeBits = search.Points[static_cast<std::size_t>(search.Chosen)].TapBits;
    std::cerr << base::Message::cliPrefix()
              << base::Message::cliTapBitsChosen("FilterForm.CoeBitsNmSpinEdit", s.settings.filter.coeBits) << '\n';
}

} // namespace pulsefir::cli
