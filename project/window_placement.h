#pragma once

#include <string_view>

#include "project/project_interfaces.h"

namespace pulsefir::project {

// Where each window of the program starts, as the project file stores it: the outer frame's
// position and size in screen pixels, except for the filter window, whose designed size is that
// of its client area (its size is never applied on load). Only the main window starts shown.
struct WindowPlacement {
    std::string_view section;
    Frame frame;
    bool clientSize; // `frame`'s size is the client area's, not the outer size
    bool visible;
};

inline constexpr WindowPlacement DesignedPlacements[] = {
    {"MainForm", {1, 1, 870, 640}, false, true},
    {"SignalForm", {758, 249, 512, 379}, false, false},
    {"FilterForm", {200, 20, 566, 771}, true, false},
    {"SpectorForm", {314, 289, 815, 609}, false, false},
};

inline const WindowPlacement &designedPlacement(std::string_view section) {
    for (const auto &p : DesignedPlacements)
        if (p.section == section)
            return p;
    return DesignedPlacements[0];
}

} // namespace pulsefir::project
