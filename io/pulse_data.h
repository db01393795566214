#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pulsefir::io {

// A file larger than this, or with more samples than MaxPulseSamples, is refused unread.
constexpr std::uintmax_t MaxPulseFileBytes = 64u * 1024u * 1024u;
constexpr std::size_t MaxPulseSamples = 10'000'000;
// A text line, or a NumPy header, longer than this is refused before it is split: no instrument
// writes one, and a file of one huge line would otherwise cost many times its size.
constexpr std::size_t MaxTextLineBytes = 64u * 1024u;

// The unit of a time column or a stated sample interval where the file does not name it. The
// values are the items of FileTimeUnitRadioGroup.
enum class TimeUnit { Automatic = 0, Seconds = 1, Milliseconds = 2, Microseconds = 3, Nanoseconds = 4 };

// How a ',' in a text file is read where the file leaves both readings open; the items of
// FileDecimalRadioGroup.
enum class DecimalChoice { Automatic = 0, Point = 1, Comma = 2 };

// What the user chose about reading a file; the defaults read it as the file itself says.
struct PulseReadOptions {
    TimeUnit timeUnit = TimeUnit::Automatic;
    DecimalChoice decimal = DecimalChoice::Automatic;
    int column = 1; // the value column or WAV channel taken, 1 = the first (FileColumnNmSpinEdit)
    // The range a rate must lie in for TimeUnit::Automatic to take a unit (the sampling-frequency
    // field's); both 0: microseconds.
    double minimumRate = 0.0; // MHz
    double maximumRate = 0.0; // MHz
};

// A measured pulse as read from a file: the samples in file order and, when the file states it
// (a WAV header, a time column with a regular step, a stated sample interval), the sampling
// frequency in MHz.
struct PulseData {
    std::vector<double> samples;
    std::optional<double> samplingFrequency; // MHz
    std::optional<double> firstTime;         // µs, the time of the first sample where the file states it
    std::optional<long long> firstIndex;     // the sample index of the first sample (an `index` column)
    // How the file was read, for the window ("2 столбца, разделитель ';', десятичная запятая").
    std::string description;
};

// Index of the sample of largest magnitude (the first of equal ones); 0 for an empty pulse.
std::size_t peakIndex(std::span<const double> samples);

} // namespace pulsefir::io
