#pragma once

#include <string>
#include <string_view>

#include "io/pulse_data.h"

namespace pulsefir::io {

// Text pulses as programs and instruments write them. A file in one of the instrument layouts of
// io/instrument_layouts.h is read where its recogniser finds the samples; every other file as
// follows. Lines that are empty or start with '#',
// '%', ';' or "//" are comments; lines before the first line that starts like a number are a
// header, read for the names and units of the columns ("index", "Time [s]", "second", "(us)")
// and for entries "name,value[,unit]" (a sample interval or increment gives the rate where there
// is no time column). Instrument header rows with data beside their names count as data.
//
// Columns are separated by ';', a tab, blanks or ','. A ',' in a file separated by commas alone
// is decided from evidence (names separated by commas, a number with a point, two commas on a
// line, a first column counting 0, 1, 2, …, lines of different comma counts); where both
// readings stay possible the file is refused unless `options.decimal` decides.
//
// With two or more columns, the first is an index (named so) or a time: a time column must rise
// at a regular step (within 0.1 % of the median step), and its unit comes from its name, the
// header (io/time_units.h; a unit named that is not known refuses the file), `options.timeUnit`
// or, where the file names no unit at all, the first of µs, s, ms, ns that puts the rate in the
// options' range. Control bytes at the ends of a line are ignored; one inside a line refuses it.
// The value column taken is `options.column` of those that follow. `name` is the file name used
// in messages.
PulseData readPulseText(std::string_view text, const std::string &name, const PulseReadOptions &options = {});

} // namespace pulsefir::io
