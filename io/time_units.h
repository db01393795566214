#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pulsefir::io {

// A unit of time as a file names it, in the languages instruments write: "s", "sec", "second(s)",
// "Sekunden", "secondes", "с", "сек", with the SI prefixes ("ms", "uS", "µs", "мкс", "ns", "ps").
struct TimeUnitName {
    int unit = 0;              // 1 s, 2 ms, 3 µs, 4 ns, 5 ps (as Message::unitName)
    double toMicroseconds = 1; // one of the unit in µs
};

// The unit a single word names (any case); nothing for a word that is no unit of time.
std::optional<TimeUnitName> timeUnitOfWord(std::string_view word);

// Whether a word is a unit of time the reader does not take ("min", "h", "Stunden", "мин"):
// a file that names one is refused rather than read in a unit it did not mean.
bool isForeignTimeUnit(std::string_view word);

// What a label says about the unit of its column: a unit in brackets ("Time(S)", "t [мс]",
// "in s"), or a word of it that names one ("время, мкс", "Sekunden"). `foreign` holds a unit
// named that the reader does not take.
struct LabelUnit {
    std::optional<TimeUnitName> unit;
    std::string foreign;
};
LabelUnit timeUnitOfLabel(std::string_view label);

// A number with its unit glued to it or after a blank ("0.08uS", "2e-07 s", "T=1.000ms"):
// the number, and the unit text after it (empty where none follows).
struct ValueWithUnit {
    double value = 0.0;
    std::string unit;
};
std::optional<ValueWithUnit> valueWithUnit(std::string_view text, bool decimalComma);

} // namespace pulsefir::io
