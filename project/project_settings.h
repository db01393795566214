#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/state.h"
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
                         const std::vector<class ProjectSections *> &sections = {});

// The settings and the work (work_sections.h) of a project file into `settings` and `state`;
// `source` receives the file's text, for a later save to keep what else it holds. Returns
// whether the file had any section of the windows or of the work.
// The `extra` sections are read and checked with them and applied last, after the settings.
bool readProject(const std::string &fileName, Settings &settings, core::CoreState &state, std::string &source,
                 const std::vector<class ProjectSections *> &extra = {});
// Saves the settings and the work. With a `source` (the text of the project read before), its
// windows keep their stored places and visibility and its other sections are kept, where the
// file replaced does not hold a section of that name itself.
void saveProject(const std::string &fileName, const Settings &settings, core::CoreState &state, char decimal,
                 std::string_view source, const std::vector<class ProjectSections *> &extra = {});

} // namespace pulsefir::project
