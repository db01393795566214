#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pulsefir::project {

// The settings are a few kilobytes; the work (work_sections.h) at the largest half-widths, three
// signal buffers of 20 001 values and the filter's 2 001 at up to 25 characters each, about 1.6 MB.
// Anything larger than this is refused before it is read.
constexpr std::uintmax_t MaxProjectFileBytes = std::uintmax_t{16} << 20;

// The whole of a project file (its name in the system's encoding). Throws base::Error for a
// path that is not a regular file (a FIFO, a device, a folder, a socket) without opening it
// ("Файл NAME не является файлом проекта"), for a file above MaxProjectFileBytes ("Файл NAME
// слишком велик для файла проекта") without reading it, and "Unable to read NAME." with the cause
// when it cannot be read.
std::string readProjectBytes(const std::string &fileName);

// What a load that set nothing tells the user: that the file is empty where it holds no byte,
// else that it has none of the windows' sections; `shownName` is the name as the message shows it.
std::string nothingLoadedMessage(const std::string &fileName, std::string_view shownName);

} // namespace pulsefir::project
