#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pulsefir::io {

// A file larger than this, or with more samples than MaxPulseSamples, is refused unread.
constexpr std::uintmax_t MaxPulseFileBytes = 64u * 1024u * 1024u;
constexpr std::size_t MaxPulseSamples = 10'000'000;

enum class PulseFileKind { Text, Wav, Npy };

// A measured pulse as read from a file: the samples in file order and, when the file states it
// (a WAV header, or a time column with a regular step), the sampling frequency in MHz.
struct PulseData {
    std::vector<double> samples;
    std::optional<double> samplingFrequency; // MHz
    // How the text was read, for the window ("2 столбца, разделитель ';', десятичная запятая").
    std::string description;
};

// The kind by the file name's extension (.csv .txt .dat, .wav, .npy, case-insensitive); throws a
// base::Error naming the file for any other extension.
PulseFileKind PulseKindForFileName(const std::string &fileName);

// Reads a pulse file of any of the three kinds. Every failure is a base::Error whose text names the
// file and the line or byte where reading stopped; nothing outside the returned value changes.
PulseData ReadPulseFile(const std::string &fileName);

// The three readers on their own. `name` is the file name used in messages.
//
// Text: one column of samples, or two (time in µs, value). Lines that are empty or start with
// '#', '%', ';' or "//" are comments; lines before the first line of numbers are a header.
// Columns are separated by ';', a tab, blanks, or ','. A ',' inside a number is a decimal comma
// when the columns are separated otherwise; in a file whose only separator is ',', the comma
// separates columns if any number has a decimal point, and is a decimal comma if none has.
PulseData ReadPulseText(std::string_view text, const std::string &name);
// NumPy format 1.0/2.0/3.0, a 1-D little-endian float64 or float32 array.
PulseData ReadPulseNpy(std::span<const unsigned char> bytes, const std::string &name);
// WAV through libsndfile: PCM 8/16/24/32-bit integer (scaled to -1..1) or 32/64-bit float, first
// channel only.
PulseData ReadPulseWav(const std::string &fileName);

// Converts a pulse sampled at `fromMHz` to `toMHz` with a band-limited sinc converter; the
// result has round(n × to / from) samples.
std::vector<double> ResamplePulse(std::span<const double> samples, double fromMHz, double toMHz);

// Whether two sampling frequencies differ by more than rounding of the file's own numbers.
bool RatesDiffer(double aMHz, double bMHz);

// Index of the sample of largest magnitude (the first of equal ones); 0 for an empty pulse.
std::size_t PeakIndex(std::span<const double> samples);

} // namespace pulsefir::io
