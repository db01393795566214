#include "file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <random>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/messages.h"
#include "base/number_text.h"

namespace pulsefir::base {

namespace {

FileWriteCalls systemCalls;
FileWriteCalls *installed = nullptr;

constexpr int MaxLinkHops = 40;           // as the kernel's own limit on symbolic links in a path
constexpr std::size_t WriteChunk = 65536; // bytes per write call
constexpr int NameAttempts = 100;         // random temporary names tried before giving up

PathKind kindOf(mode_t mode) {
    if (S_ISREG(mode))
        return PathKind::Regular;
    if (S_ISDIR(mode))
        return PathKind::Directory;
    if (S_ISFIFO(mode))
        return PathKind::Fifo;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return PathKind::Device;
    if (S_ISSOCK(mode))
        return PathKind::Socket;
    return PathKind::Other;
}

std::string decimal(long long value) {
    return formatInteger(value);
}

[[noreturn]] void writeFailed(const std::string &path, const std::string &cause) {
    throw Error(Message::unableToWrite(path, cause));
}

[[noreturn]] void writeFailedErrno(const std::string &path, int errorNumber) {
    writeFailed(path, Message::systemCause(errorNumber));
}

// The file a path finally names: symbolic links followed, each relative one from its own folder.
// A missing final name is where the new file goes.
std::string followLinks(const std::string &path) {
    std::string current = path;
    for (int hop = 0; hop < MaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        std::vector<char> target(static_cast<std::size_t>(std::max<off_t>(st.st_size, PATH_MAX)) + 1);
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size() - 1);
        if (n < 0)
            writeFailedErrno(path, errno);
        const std::string link(target.data(), static_cast<std::size_t>(n));
        current = link.front() == '/' ? link : directoryOf(current) + "/" + link;
    }
    writeFailedErrno(path, ELOOP);
}

// A name no other file has in `directory`, for the unnamed file to take: this process's number
// first, so that a later run can tell whether its owner still runs.
std::string temporaryName(const std::string &directory) {
    static thread_local std::mt19937 random{std::random_device{}()};
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string name = directory + "/" + std::string(TemporaryPrefix) + decimal(::getpid()) + "-";
    for (int k = 0; k < 6; ++k)
        name += Letters[random() % (sizeof Letters - 1)];
    return name;
}

// The process number in a temporary file's name, or 0 when the name is not one of ours.
pid_t ownerOf(std::string_view name) {
    if (name.substr(0, TemporaryPrefix.size()) != TemporaryPrefix)
        return 0;
    name.remove_prefix(TemporaryPrefix.size());
    long long pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    const auto rest = static_cast<std::size_t>(end - name.data());
    if (error != std::errc() || pid <= 0 || rest + 7 != name.size() || name[rest] != '-')
        return 0;
    return static_cast<pid_t>(pid);
}

// Writes all of `bytes`, in chunks, retrying after a signal; the errno of the failure, or 0.
int writeAll(FileWriteCalls &calls, int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t chunk = std::min(bytes.size(), WriteChunk);
        const ssize_t n = calls.write(fd, bytes.data(), chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return ENOSPC; // a write that takes nothing and says nothing: the device is full
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// The permissions a replacement takes: those of the replaced file, or what the umask allows.
mode_t modeFor(const struct stat *replaced) {
    if (replaced)
        return replaced->st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

PathKind kindOfPath(const std::string &path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return PathKind::Missing;
    return kindOf(st.st_mode);
}

std::string directoryOf(const std::string &path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string readFileWhole(const std::string &path, std::uintmax_t limit) {
    const auto fail = [&](ReadFault fault, PathKind kind, int errorNumber, std::uintmax_t size,
                          const std::string &cause) {
        throw FileReadError(Message::unableToRead(path, cause), cause, fault, kind, errorNumber, size);
    };
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        const int e = errno;
        fail(e == ENOENT ? ReadFault::Missing : ReadFault::Unreadable, PathKind::Missing, e, 0,
             Message::systemCause(e));
    }
    if (!S_ISREG(st.st_mode))
        fail(ReadFault::NotRegular, kindOf(st.st_mode), 0, 0, Message::notRegularCause(kindOf(st.st_mode)));
    const auto tooLarge = [&](std::uintmax_t size) {
        fail(ReadFault::TooLarge, PathKind::Regular, EFBIG, size, Message::fileTooLarge(path, size, limit));
    };
    if (static_cast<std::uintmax_t>(st.st_size) > limit)
        tooLarge(static_cast<std::uintmax_t>(st.st_size));
    // Non-blocking, in case the name was replaced by a FIFO since the check above.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int e = errno;
        fail(ReadFault::Unreadable, PathKind::Regular, e, 0, Message::systemCause(e));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        fail(ReadFault::NotRegular, kindOf(st.st_mode), 0, 0, Message::notRegularCause(kindOf(st.st_mode)));
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(std::min<std::uintmax_t>(static_cast<std::uintmax_t>(st.st_size), limit)));
    char buffer[WriteChunk];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int e = errno;
            fail(ReadFault::Unreadable, PathKind::Regular, e, 0, Message::systemCause(e));
        }
        if (n == 0)
            break;
        // A file that grows while it is read is held to the same limit.
        if (bytes.size() + static_cast<std::size_t>(n) > limit)
            tooLarge(bytes.size() + static_cast<std::size_t>(n));
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

int removeStaleTemporaries(const std::string &directory) {
    DIR *dir = ::opendir(directory.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const pid_t owner = ownerOf(entry->d_name);
        if (owner == 0 || owner == ::getpid())
            continue;
        // kill(pid, 0) sends nothing; ESRCH says no such process runs.
        if (::kill(owner, 0) != 0 && errno == ESRCH &&
            FileWriteCalls::current().remove(directory + "/" + entry->d_name) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

namespace {

// One attempt at writing the temporary file and putting it in the target's place: unnamed
// (O_TMPFILE, linked in once complete) or named from the start. The errno of the failure, or 0;
// `linkRefused` is set when an unnamed file could not be given a name, which a named attempt
// still can do.
int replaceThrough(FileWriteCalls &calls, bool unnamed, const std::string &target, const std::string &directory,
                   const struct stat *replaced, std::string_view bytes, bool &linkRefused) {
    linkRefused = false;
    std::string named;
    int fd = -1;
    if (unnamed) {
        fd = calls.openUnnamed(directory);
        if (fd < 0) {
            linkRefused = true; // no unnamed files on this file system
            return errno;
        }
    } else {
        named = directory + "/" + std::string(TemporaryPrefix) + decimal(::getpid()) + "-XXXXXX";
        fd = calls.openNamed(named);
        if (fd < 0)
            return errno;
    }
    bool open = true;
    const auto fail = [&](int errorNumber) {
        if (open)
            calls.close(fd);
        if (!named.empty())
            calls.remove(named);
        return errorNumber;
    };
    if (calls.changeMode(fd, modeFor(replaced)) != 0)
        return fail(errno);
    // The owner of a replaced file stays its owner where this process may say so; nothing is
    // lost where it may not (the data are the user's either way).
    if (replaced) {
        [[maybe_unused]] const int ignored = ::fchown(fd, replaced->st_uid, replaced->st_gid);
    }
    if (const int e = writeAll(calls, fd, bytes))
        return fail(e);
    if (calls.sync(fd) != 0)
        return fail(errno);
    if (unnamed) {
        // The complete file gets a name of its own, then takes the target's.
        for (int attempt = 0;; ++attempt) {
            const std::string candidate = temporaryName(directory);
            if (calls.linkUnnamed(fd, candidate) == 0) {
                named = candidate;
                break;
            }
            if (errno != EEXIST || attempt + 1 == NameAttempts) {
                linkRefused = errno != EEXIST;
                return fail(errno);
            }
        }
    }
    open = false;
    if (calls.close(fd) != 0)
        return fail(errno);
    if (calls.rename(named, target) != 0)
        return fail(errno);
    // The new name must survive a power cut too; the data are already in place, so a folder that
    // cannot be synced is no reason to report the write as failed.
    calls.syncDirectory(directory);
    return 0;
}

} // namespace

void writeFileWhole(const std::string &path, std::string_view bytes) {
    FileWriteCalls &calls = FileWriteCalls::current();
    const std::string target = followLinks(path);
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (!replacing && errno != ENOENT)
        writeFailedErrno(path, errno);
    // A folder, a FIFO or a device is never replaced, nor opened: a FIFO would block the program.
    if (replacing && !S_ISREG(old.st_mode))
        writeFailed(path, Message::notRegularCause(kindOf(old.st_mode)));
    // A file the user made read-only is not replaced behind their back.
    if (replacing && ::access(target.c_str(), W_OK) != 0)
        writeFailedErrno(path, errno);
    const std::string directory = directoryOf(target);
    removeStaleTemporaries(directory);
    bool linkRefused = false;
    int error = replaceThrough(calls, true, target, directory, replacing ? &old : nullptr, bytes, linkRefused);
    // Where the file system has no unnamed files, or cannot name one, a named file does the same.
    if (error != 0 && linkRefused)
        error = replaceThrough(calls, false, target, directory, replacing ? &old : nullptr, bytes, linkRefused);
    if (error != 0)
        writeFailedErrno(path, error);
}

int FileWriteCalls::openUnnamed(const std::string &directory) {
#ifdef O_TMPFILE
    return ::open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
#else
    (void)directory;
    errno = EOPNOTSUPP;
    return -1;
#endif
}

int FileWriteCalls::openNamed(std::string &pattern) {
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0)
        pattern = name.data();
    return fd;
}

int FileWriteCalls::changeMode(int fd, mode_t mode) {
    return ::fchmod(fd, mode);
}

ssize_t FileWriteCalls::write(int fd, const char *data, std::size_t size) {
    return ::write(fd, data, size);
}

int FileWriteCalls::sync(int fd) {
    return ::fsync(fd);
}

int FileWriteCalls::linkUnnamed(int fd, const std::string &path) {
    // Through /proc, which needs no privilege; AT_EMPTY_PATH needs CAP_DAC_READ_SEARCH.
    const std::string self = "/proc/self/fd/" + decimal(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno == EEXIST)
        return -1;
    return ::linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH);
}

int FileWriteCalls::close(int fd) {
    return ::close(fd);
}

int FileWriteCalls::rename(const std::string &from, const std::string &to) {
    return ::rename(from.c_str(), to.c_str());
}

int FileWriteCalls::syncDirectory(const std::string &directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    const int result = ::fsync(fd);
    ::close(fd);
    return result;
}

int FileWriteCalls::remove(const std::string &path) {
    return ::unlink(path.c_str());
}

FileWriteCalls &FileWriteCalls::current() {
    return installed ? *installed : systemCalls;
}

void FileWriteCalls::install(FileWriteCalls *calls) {
    installed = calls;
}

} // namespace pulsefir::base
