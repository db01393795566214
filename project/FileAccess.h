#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <string>

namespace pulsefir::project {

// A project file is a few kilobytes; anything larger is refused before it is read.
constexpr qint64 MaxProjectFileBytes = 1 << 20;

// The system calls of a project save, one virtual call each, so that a test can make any one of
// them fail and check that the old file survived. Each returns false on failure.
class SaveSteps {
  public:
    virtual ~SaveSteps() = default;
    // A new file of its own in `directory` (a name no other file has); its descriptor, or -1.
    virtual int createTemporary(const std::string &directory, std::string &path);
    // Gives the new file the permissions of the file it replaces, or the usual ones of a new file.
    virtual bool setMode(int fd, const std::string &replaced);
    // Writes all of `size` bytes (one call of this per chunk).
    virtual bool write(int fd, const char *data, std::size_t size);
    virtual bool sync(int fd);
    virtual bool close(int fd);
    virtual bool rename(const std::string &from, const std::string &to);
    virtual bool syncDirectory(const std::string &directory);
    virtual void remove(const std::string &path);

    // The steps in use: the system's unless a test installed others.
    static SaveSteps &current();
    static void install(SaveSteps *steps); // not owned; nullptr restores the system's
};

// Replaces `fileName` by `content` so that the old file stays byte for byte as it was unless the
// new one is completely written: a temporary file in the same folder, every write, the sync and
// the close checked, then a rename over the old name and a sync of the folder. Throws base::Error
// "Unable to write to NAME." after removing the temporary file.
void WriteFileSafely(const QString &fileName, const QByteArray &content);

// What is at `fileName`, judged without opening it (opening a FIFO would block).
enum class PathKind { Missing, Regular, Special };
PathKind KindOfPath(const QString &fileName);

// The whole of a project file. Throws base::Error for a path that is not a regular file (a FIFO, a
// device, a folder, a socket) without opening it, for a file above MaxProjectFileBytes
// ("Файл NAME слишком велик для файла проекта") without reading it, and "Unable to read NAME."
// when it cannot be read.
QByteArray ReadProjectBytes(const QString &fileName);

} // namespace pulsefir::project
