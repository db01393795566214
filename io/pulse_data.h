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

// A measured pulse as read from a file: the samples in file order and, when the file states it
// (a WAV header, or a time column with a regular step), the sampling frequency in MHz.
struct PulseData {
    std::vector<double> samples;
    std::optional<double> samplingFrequency; // MHz
    // How the text was read, for the window ("2 столбца, разделитель ';', десятичная запятая").
    std::string description;
};

// Index of the sample of largest magnitude (the first of equal ones); 0 for an empty pulse.
std::size_t peakIndex(std::span<const double> samples);

} // namespace pulsefir::io
