#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/fixed_point.h"
#include "core/least_squares_set.h"
#include "core/state.h"
#include "project/path_set.h"
#include "project/settings.h"

namespace pulsefir::cli {

// The tool's state: the core's and the windows' settings, as the windows would hold them.
struct Session {
    std::unique_ptr<core::CoreState> state = std::make_unique<core::CoreState>();
    project::Settings settings;
    // The text of the last project read with --project: a save keeps its places and other sections.
    std::string projectSource;

    // The filter window's pulse set beyond the current signal, as read when each was added.
    // A member of add-path-set has its conditions and no file (fileName holds its name); its
    // samples are computed from the signal at each design.
    struct SetMember {
        std::string fileName;
        bool check = false;
        std::unique_ptr<core::SignalArray> samples;
        std::optional<project::PathConditions> path;
    };
    std::vector<SetMember> pulseSet;
    // How the last least-squares design did on each pulse: the signal's first, then the set's.
    std::vector<core::PulseFit> setFits;
    int setWorst = -1;                                     // the pulse of the largest residual, an index into setFits
    std::vector<std::pair<std::string, bool>> setFitNames; // file ("signal" for the signal), check

    // The last run of the integer filter ("apply-fixed"), for write-fixed-output.
    std::optional<core::FixedPointRun> fixedRun;

    double samplingFrequency() const { return settings.main.samplingFrequency; }
    // As the main window's "Рисовать": the half-width field becomes the signal's half-width.
    void draw() { state->SignalHalfWidth = settings.main.signalHalfWidth; }
};

} // namespace pulsefir::cli
