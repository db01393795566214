#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pulsefir::io {

// A line of a text file: its number (1 = the first) and its text, trimmed.
struct TextLine {
    std::size_t number = 0;
    std::string_view text;
};

// Where an instrument's layout keeps its samples and times, as one recogniser finds it. Fields
// are counted from 0 on a line split by `separator`.
struct LayoutPlan {
    std::string layout; // how the report names the layout
    char separator = ',';
    bool decimalComma = false;
    std::size_t firstDataLine = 0; // rows from this line on hold the samples
    std::vector<std::size_t> channelFields;
    std::vector<std::string> channelLabels;
    // The time column beside each channel (a "save all" file holds several blocks side by side).
    std::vector<std::optional<std::size_t>> timeFields;
    std::optional<double> interval; // the stated sample interval, in the file's time unit
    std::optional<double> start;    // the stated time of the first sample, in the file's time unit
    std::optional<double> rateHz;   // the stated sampling rate, which wins over the rest
    std::string unitText;           // the unit the file names for its time; empty: none named
    bool secondsByLayout = false;   // the instrument writes seconds without naming them
};

// One instrument layout: its name and the recogniser that reads a file's first lines (comment
// lines included) and says where its samples are, or nothing when the file is not in its layout.
struct InstrumentLayout {
    const char *name;
    std::optional<LayoutPlan> (*recognise)(std::span<const TextLine> lines);
};

// Every layout the text reader knows, in the order they are tried before the generic reading.
std::span<const InstrumentLayout> instrumentLayouts();

// The fields of a line split at every `separator`, each trimmed and unquoted; empty fields at
// the end are kept.
std::vector<std::string_view> splitAt(std::string_view line, char separator);

} // namespace pulsefir::io
