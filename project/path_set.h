#pragma once

#include <string>
#include <vector>

#include "core/air_path.h"
#include "project/settings.h"

namespace pulsefir::project {

// Where a member of "Добавить тракт…" is received: the current signal carried there.
struct PathConditions {
    double distance = 0.1;    // m
    double temperature = 20.; // °C
    double humidity = 50.;    // %
    bool operator==(const PathConditions &) const = default;
};

// count values from `from` to `to`, equally spaced, both ends included; a count of 1 takes `from`,
// a count below 1 none.
std::vector<double> linearGrid(double from, double to, int count);

// The grid of the filter window's fields: every distance, at every temperature, at every
// humidity, distances outermost.
std::vector<PathConditions> pathSetGrid(const FilterSettings &filter);

// The member's name: distance in m to two decimals, temperature in °C and humidity in % to at
// most one, in that order ("0,50 м; 20 °C; 50 %"), with the decimal mark given.
std::string pathMemberName(const PathConditions &conditions, char decimal);

// The signal window's path: the recorded pulse's conditions, the target's, the pressure, the
// spreading and the delay.
core::PathParameters signalPath(const SignalSettings &signal);

// A set member: the signal window's recorded conditions, spreading and pressure, carried to the
// member's conditions without the travel delay (the filter corrects the shape, not the arrival).
core::PathParameters memberPath(const SignalSettings &signal, const PathConditions &member);

// The member's samples: SignalBuffer over -SignalHalfWidth..+SignalHalfWidth carried along
// memberPath into `out`, zero elsewhere.
void computePathMember(const core::CoreState &state, double samplingFrequency, const SignalSettings &signal,
                       const PathConditions &member, core::SignalArray &out);

} // namespace pulsefir::project
