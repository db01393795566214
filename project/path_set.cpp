#include "path_set.h"

#include <cmath>

#include "base/number_text.h"

namespace pulsefir::project {

namespace {

// To at most one decimal: "20", "12,5".
std::string oneDecimal(double value, char decimal) {
    const double tenths = std::round(value * 10.0);
    std::string text =
        base::formatFixed(static_cast<long double>(tenths / 10.0), std::fmod(tenths, 10.0) == 0.0 ? 0 : 1);
    if (text == "-0")
        text = "0";
    for (char &c : text)
        if (c == '.')
            c = decimal;
    return text;
}

} // namespace

std::vector<double> linearGrid(double from, double to, int count) {
    std::vector<double> grid;
    if (count < 1)
        return grid;
    grid.reserve(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k)
        grid.push_back(k == count - 1 && count > 1 ? to : from + (to - from) * k / (count > 1 ? count - 1 : 1));
    return grid;
}

std::vector<PathConditions> pathSetGrid(const FilterSettings &f) {
    std::vector<PathConditions> grid;
    for (const double d : linearGrid(f.pathSetDistanceFrom, f.pathSetDistanceTo, f.pathSetDistanceCount))
        for (const double t : linearGrid(f.pathSetTemperatureFrom, f.pathSetTemperatureTo, f.pathSetTemperatureCount))
            for (const double h : linearGrid(f.pathSetHumidityFrom, f.pathSetHumidityTo, f.pathSetHumidityCount))
                grid.push_back({d, t, h});
    return grid;
}

std::string pathMemberName(const PathConditions &c, char decimal) {
    std::string distance = base::formatFixed(static_cast<long double>(c.distance), 2);
    for (char &ch : distance)
        if (ch == '.')
            ch = decimal;
    return distance + " м; " + oneDecimal(c.temperature, decimal) + " °C; " + oneDecimal(c.humidity, decimal) + " %";
}

core::PathParameters signalPath(const SignalSettings &s) {
    core::PathParameters path;
    path.Recorded = {s.pathDistance, {s.pathTemperature, s.pathHumidity, s.pathPressure}};
    path.Target = {s.pathTargetDistance, {s.pathTargetTemperature, s.pathTargetHumidity, s.pathPressure}};
    path.Wave = s.pathSpreading == 0 ? core::Spreading::Plane : core::Spreading::Spherical;
    path.KeepDelay = s.pathDelay;
    return path;
}

core::PathParameters memberPath(const SignalSettings &s, const PathConditions &member) {
    core::PathParameters path = signalPath(s);
    path.Target = {member.distance, {member.temperature, member.humidity, s.pathPressure}};
    path.KeepDelay = false;
    return path;
}

void computePathMember(const core::CoreState &state, double samplingFrequency, const SignalSettings &signal,
                       const PathConditions &member, core::SignalArray &out) {
    out.fill(0.0);
    const int n = core::usableSignalHalfWidth(state.SignalHalfWidth);
    if (n >= 0)
        core::carryPulse(state.SignalBuffer.centre(), out.centre(), n, samplingFrequency, memberPath(signal, member));
}

} // namespace pulsefir::project
