#pragma once

#include <string>

#include "project/Parameters.h"

namespace pulsefir::project {

// Reads the parameter keys of the four sections from a project file into `values`, with the
// windows' rules: floats with either decimal separator and no range check, integers clamped to
// their range, radio indexes to -1..items - 1, booleans from integers; a missing or non-integer
// key keeps the value. Throws base::Error for a float that is not a number, changing nothing.
// Both return whether the file had any of the four window sections (a file without them is no
// error: it simply sets nothing).
bool ReadProjectParameters(const std::string &fileName, ParameterValues &values);
bool ReadProjectParameters(const class IniDocument &document, ParameterValues &values);

// Saves `values` as a project file through the windows' save code, each window at the place and
// size it starts with; an existing file is replaced without asking, its other sections kept.
// Throws base::Error "Unable to write to NAME." when the save fails.
void SaveProjectParameters(const std::string &fileName, const ParameterValues &values, char decimal);

} // namespace pulsefir::project
