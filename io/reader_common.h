#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace pulsefir::io {

// What the pulse readers share.

// Throws a base::Error naming the file before what went wrong.
[[noreturn]] void fail(const std::string &name, const std::string &what);

inline bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}
std::string_view trim(std::string_view s);

// The whole file through the one reader: regular files only, never blocking, at most
// MaxPulseFileBytes.
std::string readWholeFile(const std::string &fileName);

std::span<const unsigned char> asBytes(const std::string &text);
// The little-endian 32-bit word at byte `at`.
std::uint32_t readLe32(std::span<const unsigned char> b, std::size_t at);

} // namespace pulsefir::io
