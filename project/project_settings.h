#pragma once

#include <string>
#include <vector>

#include "project/settings.h"

namespace pulsefir::project {

// Reads the setting keys of the four sections from a project file into `settings`, with the
// windows' rules: floats with either decimal separator and no range check, integers clamped to
// their range, radio indexes to -1..items - 1, booleans from integers; a missing or non-integer
// key keeps the value. Throws base::Error for a float that is not a number, changing nothing.
// Both return whether the file had any of the four window sections (a file without them is no
// error: it simply sets nothing).
bool readProjectSettings(const std::string &fileName, Settings &settings);
bool readProjectSettings(const class IniDocument &document, Settings &settings);

// Saves `settings` as a project file through the windows' save code, each window at the place and
// size it starts with; an existing file is replaced without asking, its other sections kept.
// Throws base::Error "Unable to write to NAME." when the save fails.
void saveProjectSettings(const std::string &fileName, const Settings &settings, char decimal,
                         const std::vector<class ProjectSection *> &sections = {});

} // namespace pulsefir::project
