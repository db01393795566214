#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace pulsefir::project {

// A project file is a few kilobytes; anything larger is refused before it is read.
constexpr std::uintmax_t MaxProjectFileBytes = 1 << 20;

// The whole of a project file. Throws base::Error for a path that is not a regular file (a FIFO,
// a device, a folder, a socket) without opening it ("Файл NAME не является файлом проекта"), for
// a file above MaxProjectFileBytes ("Файл NAME слишком велик для файла проекта") without reading
// it, and "Unable to read NAME." with the cause when it cannot be read.
QByteArray ReadProjectBytes(const QString &fileName);

// Replaces the file by `content`, whole or not at all; throws base::Error "Unable to write to
// NAME." with the cause, and the old file stays byte for byte.
void WriteProjectBytes(const QString &fileName, const QByteArray &content);

// Whether anything stands at the name (a file, a folder, a FIFO), judged without opening it.
bool PathExists(const QString &fileName);

} // namespace pulsefir::project
