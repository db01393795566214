#include "pulse_set.h"

#include <iostream>
#include <optional>

#include "base/error.h"
#include "base/messages.h"
#include "base/number_text.h"
#include "io/set_pulse.h"
#include "project/settings_conversions.h"
#include "project/settings_table.h"
#include "reports.h"

namespace pulsefir::cli {

namespace {

std::string optionalText(const std::optional<double> &value) {
    return value ? formatNumber(*value) : std::string();
}

// A file name as one CSV field: quoted when it holds a comma, a quote or a line break.
std::string csvField(const std::string &text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

} // namespace

void addSetPulse(Session &s, const std::string &file, bool check) {
    io::PulseImportRequest request;
    request.fileName = file;
    request.samplingFrequency = s.samplingFrequency();
    request.placement.offset = s.settings.signal.fileOffset;
    request.placement.scale = s.settings.signal.fileScale;
    io::SetPulseData data = io::readSetPulse(request);
    if (data.outcome.resampled)
        std::cerr << base::Message::cliPrefix()
                  << base::Message::cliResampled(base::formatSignificant(*data.outcome.fileSamplingFrequency, 15),
                                                 base::formatSignificant(request.samplingFrequency, 15))
                  << '\n';
    const std::size_t dropped = data.outcome.placed.droppedBefore + data.outcome.placed.droppedAfter;
    if (dropped > 0)
        std::cerr << base::Message::cliPrefix() << base::Message::cliDropped(dropped) << '\n';
    s.pulseSet.push_back({file, check, std::move(data.samples)});
}

void addPathMember(Session &s, const project::PathConditions &conditions, bool check) {
    Session::SetMember member;
    member.fileName = project::pathMemberName(conditions, '.');
    member.check = check;
    member.samples = std::make_unique<core::SignalArray>();
    member.path = conditions;
    s.pulseSet.push_back(std::move(member));
}

void addPathSet(Session &s) {
    for (const project::PathConditions &conditions : project::pathSetGrid(s.settings.filter))
        addPathMember(s, conditions, false);
}

void replaceSet(Session &s, const project::PulseSetList &list) {
    std::vector<Session::SetMember> previous = std::move(s.pulseSet);
    s.pulseSet.clear();
    try {
        for (const project::PulseSetEntry &entry : list)
            if (entry.path)
                addPathMember(s, *entry.path, entry.check);
            else
                addSetPulse(s, entry.fileName, entry.check);
    } catch (...) {
        s.pulseSet = std::move(previous);
        throw;
    }
}

project::PulseSetList setList(const Session &s) {
    project::PulseSetList list;
    for (const auto &member : s.pulseSet)
        list.push_back({member.fileName, member.check, member.path});
    return list;
}

void designOverSet(Session &s, std::ostream &out) {
    for (auto &member : s.pulseSet)
        if (member.path)
            project::computePathMember(*s.state, s.samplingFrequency(), s.settings.signal, *member.path,
                                       *member.samples);
    std::vector<core::SetPulse> pulses{{&s.state->SignalBuffer, false}};
    for (const auto &member : s.pulseSet)
        pulses.push_back({member.samples.get(), member.check});
    const project::FilterSettings &f = s.settings.filter;
    const auto choice =
        f.regularisationAuto ? core::RegularisationChoice::Automatic : core::RegularisationChoice::Field;
    const core::SetDesignOutcome outcome = core::leastSquaresSetFilter(
        *s.state, pulses, project::desiredResponse(f), s.samplingFrequency(), f.halfWidth, f.regularisation, choice,
        f.latency, f.setCriterion == 1 ? core::SetCriterion::WorstPulse : core::SetCriterion::Sum);
    if (choice == core::RegularisationChoice::Automatic) {
        s.settings.filter.regularisation = outcome.Mu;
        std::cerr << base::Message::cliPrefix()
                  << base::Message::cliMuChosen("FilterForm.RegularizationNmSuperSpin", formatNumber(outcome.Mu))
                  << '\n';
    }
    s.setFits = outcome.Fits;
    s.setWorst = outcome.Worst;
    s.setFitNames.clear();
    s.setFitNames.emplace_back("signal", false);
    for (const auto &member : s.pulseSet)
        s.setFitNames.emplace_back(member.fileName, member.check);
    out << base::Message::cliLeastSquaresResult(formatLong(outcome.Design.SearchObjective),
                                                formatNumber(outcome.Design.Residual))
        << '\n';
    const int latency = std::min(f.latency, s.state->FilterHalfWidth);
    std::cerr << base::Message::cliPrefix()
              << base::Message::cliLatency(latency, base::formatSignificant(latency / s.samplingFrequency(), 6))
              << '\n';
}

void writeSetReport(std::ostream &out, const Session &s) {
    if (s.setFits.empty())
        throw base::Error(base::Message::cliNoSetDesign());
    out << "file,role,residual,width_6db_us,duration_20db_us,side_level_db,peak,worst\n";
    for (std::size_t k = 0; k < s.setFits.size(); ++k) {
        const core::PulseFit &fit = s.setFits[k];
        out << csvField(s.setFitNames[k].first) << ',' << (s.setFitNames[k].second ? "check" : "training") << ','
            << formatNumber(fit.Residual) << ',' << optionalText(fit.Metrics.Width6dB) << ','
            << optionalText(fit.Metrics.Duration20dB) << ',' << optionalText(fit.Metrics.SideLevelDb) << ','
            << optionalText(fit.Metrics.Peak) << ',' << (static_cast<int>(k) == s.setWorst ? 1 : 0) << '\n';
    }
}

} // namespace pulsefir::cli
