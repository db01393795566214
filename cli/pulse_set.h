#pragma once

#include <iosfwd>
#include <string>

#include "project/pulse_set_section.h"
#include "session.h"

namespace pulsefir::cli {

// Reads a measured pulse into the set, with the placement keys import-signal reads it with; a
// check pulse is held out of the design.
void addSetPulse(Session &s, const std::string &file, bool check);
// Adds one member carried from the signal to these conditions (computed at each design).
void addPathMember(Session &s, const project::PathConditions &conditions, bool check);
// Adds the grid of FilterForm.PathSet... as training members, distances outermost.
void addPathSet(Session &s);
// Replaces the set by the files of a project's list, each read as addSetPulse reads it, and its
// path members.
void replaceSet(Session &s, const project::PulseSetList &list);
project::PulseSetList setList(const Session &s);

// The least-squares filter over the signal and the set's training pulses, mu from
// FilterForm.RegularizationNmSuperSpin or, with FilterForm.RegularizationAutoCheckBox, chosen by
// cross-validation and written back into the first key as the window writes it into its field.
// Prints the objective and residual as for one pulse.
void designOverSet(Session &s, std::ostream &out);

// CSV, one row per pulse of the last design: file,role,residual,width_6db_us,
// duration_20db_us,side_level_db,peak,worst (1 on the pulse of the largest residual).
void writeSetReport(std::ostream &out, const Session &s);

} // namespace pulsefir::cli
