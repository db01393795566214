#include "FileAccess.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/error.h"

namespace pulsefir::project {

namespace {

SaveSteps systemSteps;
SaveSteps *installed = nullptr;

std::string nativeName(const QString &fileName) {
    return QFile::encodeName(fileName).toStdString();
}

std::string directoryOf(const std::string &path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

[[noreturn]] void unableToWrite(const QString &fileName) {
    throw base::Error(("Unable to write to " + fileName + ".").toStdString());
}

} // namespace

int SaveSteps::createTemporary(const std::string &directory, std::string &path) {
    std::string pattern = directory + "/.pulsefir-save-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0)
        path = name.data();
    return fd;
}

bool SaveSteps::setMode(int fd, const std::string &replaced) {
    struct stat old {};
    mode_t mode = 0;
    if (::stat(replaced.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        // mkstemp makes the file private; a new project gets what the user's umask allows.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    return ::fchmod(fd, mode) == 0;
}

bool SaveSteps::write(int fd, const char *data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool SaveSteps::sync(int fd) {
    return ::fsync(fd) == 0;
}

bool SaveSteps::close(int fd) {
    return ::close(fd) == 0;
}

bool SaveSteps::rename(const std::string &from, const std::string &to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool SaveSteps::syncDirectory(const std::string &directory) {
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void SaveSteps::remove(const std::string &path) {
    ::unlink(path.c_str());
}

SaveSteps &SaveSteps::current() {
    return installed ? *installed : systemSteps;
}

void SaveSteps::install(SaveSteps *steps) {
    installed = steps;
}

void WriteFileSafely(const QString &fileName, const QByteArray &content) {
    SaveSteps &steps = SaveSteps::current();
    const std::string target = nativeName(fileName);
    // A special file (a FIFO, a device, a folder) is never replaced by a project.
    if (KindOfPath(fileName) == PathKind::Special)
        unableToWrite(fileName);
    const std::string directory = directoryOf(target);
    std::string temporary;
    const int fd = steps.createTemporary(directory, temporary);
    if (fd < 0)
        unableToWrite(fileName);
    bool open = true;
    const auto fail = [&] {
        if (open)
            steps.close(fd);
        steps.remove(temporary);
        unableToWrite(fileName);
    };
    if (!steps.setMode(fd, target))
        fail();
    constexpr qsizetype Chunk = 4096;
    for (qsizetype at = 0; at < content.size(); at += Chunk)
        if (!steps.write(fd, content.constData() + at, static_cast<std::size_t>(std::min(Chunk, content.size() - at))))
            fail();
    if (!steps.sync(fd))
        fail();
    open = false;
    if (!steps.close(fd))
        fail();
    if (!steps.rename(temporary, target))
        fail();
    // The new name must survive a power cut too; the data are already in place, so a folder that
    // cannot be synced is no reason to report the save as failed.
    steps.syncDirectory(directory);
}

PathKind KindOfPath(const QString &fileName) {
    struct stat st {};
    if (::stat(nativeName(fileName).c_str(), &st) != 0)
        return PathKind::Missing;
    return S_ISREG(st.st_mode) ? PathKind::Regular : PathKind::Special;
}

QByteArray ReadProjectBytes(const QString &fileName) {
    const auto unableToRead = [&] { throw base::Error(("Unable to read " + fileName + ".").toStdString()); };
    const auto tooLarge = [&] {
        throw base::Error(("Файл " + fileName + " слишком велик для файла проекта").toStdString());
    };
    const std::string name = nativeName(fileName);
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0)
        unableToRead();
    if (!S_ISREG(st.st_mode))
        throw base::Error(("Файл " + fileName + " не является файлом проекта").toStdString());
    if (st.st_size > MaxProjectFileBytes)
        tooLarge();
    // Non-blocking, in case the name was replaced by a FIFO since the check above.
    const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        unableToRead();
    QByteArray bytes;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    char buffer[65536];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
        if (bytes.size() > MaxProjectFileBytes) {
            ::close(fd);
            tooLarge();
        }
    }
    ::close(fd);
    if (!ok)
        unableToRead();
    return bytes;
}

} // namespace pulsefir::project
