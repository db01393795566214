#pragma once

#include <string>

#include "io/npy_format.h"
#include "io/pulse_data.h"
#include "io/resampling.h"
#include "io/text_reader.h"
#include "io/wav_reader.h"

namespace pulsefir::io {

// Each format's reader and the resampling have headers of their own, included here: what reads
// a pulse file needs only this one.

enum class PulseFileKind { Text, Wav, Npy };

// The kind by the file name's extension (.csv .tsv .txt .dat, .wav .w64 .rf64, .npy,
// case-insensitive); throws a base::Error naming the file for any other extension.
PulseFileKind pulseKindForFileName(const std::string &fileName);

// Reads a pulse file of any of the three kinds. Every failure is a base::Error whose text names the
// file and the line or byte where reading stopped; nothing outside the returned value changes.
// `options` are the user's choices about units, decimal mark and column (channel).
PulseData readPulseFile(const std::string &fileName, const PulseReadOptions &options = {});

} // namespace pulsefir::io
