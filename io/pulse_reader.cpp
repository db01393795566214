#include "pulse_reader.h"

#include "base/messages.h"
#include "io/file_extension.h"
#include "io/reader_common.h"

namespace pulsefir::io {

using base::Message;

PulseFileKind PulseKindForFileName(const std::string &fileName) {
    const std::string ext = LowerExtension(fileName);
    if (ext == ".csv" || ext == ".txt" || ext == ".dat")
        return PulseFileKind::Text;
    if (ext == ".wav")
        return PulseFileKind::Wav;
    if (ext == ".npy")
        return PulseFileKind::Npy;
    fail(fileName, Message::unknownPulseExtension(ext));
}

PulseData ReadPulseFile(const std::string &fileName) {
    const PulseFileKind kind = PulseKindForFileName(fileName);
    if (kind == PulseFileKind::Wav)
        return ReadPulseWav(fileName);
    const std::string bytes = readWholeFile(fileName);
    if (kind == PulseFileKind::Npy)
        return ReadPulseNpy(asBytes(bytes), fileName);
    return ReadPulseText(bytes, fileName);
}

} // namespace pulsefir::io
