#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include <sys/types.h>

#include "base/error.h"

namespace pulsefir::base {

// What stands at a path, judged by stat() without opening it (opening a FIFO would block).
enum class PathKind { Missing, Regular, Directory, Fifo, Device, Socket, Other };
PathKind kindOfPath(const std::string &path);

// Why a file could not be read.
enum class ReadFault {
    Missing,    // nothing at the path
    NotRegular, // a folder, a FIFO, a device: never opened
    TooLarge,   // more bytes than the caller's limit
    Unreadable, // a system call failed; errorNumber() says why
};

class FileReadError : public Error {
  public:
    FileReadError(const std::string &message, std::string cause, ReadFault fault, PathKind kind, int errorNumber,
                  std::uintmax_t size)
        : Error(message), m_cause(std::move(cause)), m_fault(fault), m_kind(kind), m_errorNumber(errorNumber),
          m_size(size) {}
    const std::string &cause() const noexcept { return m_cause; } // the cause alone, in words
    ReadFault fault() const noexcept { return m_fault; }
    PathKind kind() const noexcept { return m_kind; }
    int errorNumber() const noexcept { return m_errorNumber; }
    std::uintmax_t size() const noexcept { return m_size; } // bytes, for TooLarge

  private:
    std::string m_cause;
    ReadFault m_fault;
    PathKind m_kind;
    int m_errorNumber;
    std::uintmax_t m_size;
};

// The whole of a regular file of at most `limit` bytes. A path that is not a regular file is
// refused without being opened, and the file is opened without blocking, so a FIFO put there
// meanwhile cannot hang the program. Throws FileReadError, whose text names the file and the
// cause ("Unable to read NAME." and the cause); callers with their own texts map the fault.
std::string readFileWhole(const std::string &path, std::uintmax_t limit);

// Replaces the file at `path` by `bytes` so that it is either the old file, byte for byte, or the
// complete new one, whatever happens meanwhile (a full disk, a kill, a power cut):
// - a symbolic link keeps its place and the file it points to is replaced;
// - a target that is not a regular file (a folder, a FIFO, a device such as /dev/full) is refused
//   before anything is opened for writing;
// - the bytes go to a temporary file in the target's folder, unnamed where the file system allows
//   it (a killed process leaves nothing behind), else named after this process; every write, the
//   sync and the close are checked; then the temporary file replaces the target by a rename and
//   the folder is synced;
// - the permissions (and, where allowed, the owner) of a replaced file are kept; a new file gets
//   what the user's umask allows;
// - every write first removes the temporary files that killed runs of this program left in the
//   folder.
// Throws Error "Unable to write to NAME." with the cause (from errno: no space left, read-only
// file system, permission denied, not a regular file), after removing its temporary file.
void writeFileWhole(const std::string &path, std::string_view bytes);

// The system calls of writeFileWhole, one virtual call each, so that a test can make any one of
// them fail (return -1 and set errno) and check that the old file survived and nothing was left.
class FileWriteCalls {
  public:
    virtual ~FileWriteCalls() = default;
    // An unnamed file in `directory` (O_TMPFILE); -1 where the file system has none.
    virtual int openUnnamed(const std::string &directory);
    // A new file of its own at `pattern`, whose last six characters are "XXXXXX" (mkostemp).
    virtual int openNamed(std::string &pattern);
    virtual int changeMode(int fd, mode_t mode);
    virtual ssize_t write(int fd, const char *data, std::size_t size);
    virtual int sync(int fd);
    // Gives the unnamed file `fd` the name `path`.
    virtual int linkUnnamed(int fd, const std::string &path);
    virtual int close(int fd);
    virtual int rename(const std::string &from, const std::string &to);
    virtual int syncDirectory(const std::string &directory);
    virtual int remove(const std::string &path);

    // The calls in use: the system's unless a test installed others.
    static FileWriteCalls &current();
    static void install(FileWriteCalls *calls); // not owned; nullptr restores the system's
};

// The prefix of this program's temporary files: ".pulsefir-" PID "-" and six characters.
inline constexpr std::string_view TemporaryPrefix = ".pulsefir-";

// Removes the temporary files in `directory` whose process no longer runs; returns how many.
int removeStaleTemporaries(const std::string &directory);

// The folder part of a path: "." for a bare name, "/" for a file in the root folder.
std::string directoryOf(const std::string &path);

} // namespace pulsefir::base
