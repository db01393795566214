#pragma once

#include <iosfwd>
#include <string>

#include "project/pulse_set_section.h"
#include "session.h"

namespace pulsefir::cli {

// Reads a measured pulse into the set, with the placement keys import-signal reads it with; a
// check pulse is held out of the design.
void addSetPulse(Session &s, const std::string &file, bool check);
// Replaces the set by the files of a project's list, each read as addSetPulse reads it.
void replaceSet(Session &s, const project::PulseSetList &list);
project::PulseSetList setList(const Session &s);

// The least-squares filter over the signal and the set's training pulses, mu from
// FilterForm.RegularizationNmSuperSpin or, with FilterForm.RegularizationAutoCheckBox, chosen by
// cross-validation and written back into the first key as the window writes it into its field.
// Prints the objective and residual as for one pulse.
void designOverSet(Session &s, std::ostream &out);

// CSV, one row per pulse of the last design: file,role,residual,width_6db_us,
// duration_20db_us,side_level_db,peak.
void writeSetReport(std::ostream &out, const Session &s);

} // namespace pulsefir::cli
