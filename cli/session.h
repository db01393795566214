#pragma once

#include <memory>
#include <string>

#include "core/state.h"
#include "project/settings.h"

namespace pulsefir::cli {

// The tool's state: the core's and the windows' settings, as the windows would hold them.
struct Session {
    std::unique_ptr<core::CoreState> state = std::make_unique<core::CoreState>();
    project::Settings settings;
    // The text of the last project read with --project: a save keeps its places and other sections.
    std::string projectSource;

    double samplingFrequency() const { return settings.main.samplingFrequency; }
    // As the main window's "Рисовать": the half-width field becomes the signal's half-width.
    void draw() { state->SignalHalfWidth = settings.main.signalHalfWidth; }
};

} // namespace pulsefir::cli
