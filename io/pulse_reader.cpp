#include "pulse_reader.h"

#include "base/messages.h"
#include "io/file_extension.h"
#include "io/reader_common.h"

namespace pulsefir::io {

using base::Message;

PulseFileKind pulseKindForFileName(const std::string &fileName) {
    const std::string ext = lowerExtension(fileName);
    if (ext == ".csv" || ext == ".tsv" || ext == ".txt" || ext == ".dat")
        return PulseFileKind::Text;
    if (ext == ".wav" || ext == ".w64" || ext == ".rf64")
        return PulseFileKind::Wav;
    if (ext == ".npy")
        return PulseFileKind::Npy;
    fail(fileName, Message::unknownPulseExtension(ext));
}

PulseData readPulseFile(const std::string &fileName, const PulseReadOptions &options) {
    const PulseFileKind kind = pulseKindForFileName(fileName);
    const std::string bytes = readWholeFile(fileName);
    if (kind == PulseFileKind::Wav)
        return readPulseWav(asBytes(bytes), fileName, options);
    if (kind == PulseFileKind::Npy)
        return readPulseNpy(asBytes(bytes), fileName);
    return readPulseText(bytes, fileName, options);
}

} // namespace pulsefir::io
