#include "reader_common.h"

#include "base/error.h"
#include "base/file.h"
#include "base/messages.h"
#include "io/pulse_data.h"

namespace pulsefir::io {

using base::Message;

[[noreturn]] void fail(const std::string &name, const std::string &what) {
    throw base::Error(Message::inFile(name, what));
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string readWholeFile(const std::string &fileName) {
    try {
        return base::readFileWhole(fileName, MaxPulseFileBytes);
    } catch (const base::FileReadError &error) {
        switch (error.fault()) {
        case base::ReadFault::Missing:
            fail(fileName, Message::pulseFileMissing());
        case base::ReadFault::NotRegular:
            fail(fileName, Message::pulseFileNotRegular(error.kind()));
        case base::ReadFault::TooLarge:
            fail(fileName, Message::pulseFileTooLarge(error.size()));
        case base::ReadFault::Unreadable:
            break;
        }
        fail(fileName, Message::pulseFileUnreadable(error.errorNumber()));
    }
}

std::span<const unsigned char> asBytes(const std::string &text) {
    return {reinterpret_cast<const unsigned char *>(text.data()), text.size()};
}

std::uint32_t readLe32(std::span<const unsigned char> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

} // namespace pulsefir::io
