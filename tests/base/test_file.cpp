#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "base/file.h"
#include "base/messages.h"

using namespace pulsefir::base;
namespace fs = std::filesystem;

namespace {

std::string readBack(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return in ? text.str() : "<unreadable>";
}

void plant(const fs::path &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::set<std::string> namesIn(const fs::path &dir) {
    std::set<std::string> names;
    for (const auto &entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

// A fresh folder per test, removed afterwards.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "pulsefir-base-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    const fs::path &path() const { return m_path; }
    fs::path operator/(const std::string &name) const { return m_path / name; }

  private:
    fs::path m_path;
};

enum class Call { OpenUnnamed, OpenNamed, Mode, Write, Sync, Link, Close, Rename, SyncDirectory };

// Makes the `occurrence`-th call of one kind fail with `errorNumber` (and, with `noUnnamed`,
// every unnamed open, as on a file system without O_TMPFILE); passes everything else on.
class FailingCalls : public FileWriteCalls {
  public:
    FailingCalls(Call call, int occurrence, int errorNumber, bool noUnnamed)
        : m_call(call), m_occurrence(occurrence), m_errorNumber(errorNumber), m_noUnnamed(noUnnamed) {
        install(this);
    }
    ~FailingCalls() override { install(nullptr); }
    bool failed = false;

    int openUnnamed(const std::string &d) override {
        if (m_noUnnamed) {
            errno = EOPNOTSUPP;
            return -1;
        }
        return fails(Call::OpenUnnamed) ? -1 : FileWriteCalls::openUnnamed(d);
    }
    int openNamed(std::string &p) override { return fails(Call::OpenNamed) ? -1 : FileWriteCalls::openNamed(p); }
    int changeMode(int fd, mode_t m) override { return fails(Call::Mode) ? -1 : FileWriteCalls::changeMode(fd, m); }
    ssize_t write(int fd, const char *d, std::size_t n) override {
        return fails(Call::Write) ? -1 : FileWriteCalls::write(fd, d, n);
    }
    int sync(int fd) override { return fails(Call::Sync) ? -1 : FileWriteCalls::sync(fd); }
    int linkUnnamed(int fd, const std::string &p) override {
        return fails(Call::Link) ? -1 : FileWriteCalls::linkUnnamed(fd, p);
    }
    int close(int fd) override {
        const bool fail = fails(Call::Close);
        FileWriteCalls::close(fd); // the descriptor is gone either way, as with a real failing close
        if (fail)
            errno = m_errorNumber;
        return fail ? -1 : 0;
    }
    int rename(const std::string &f, const std::string &t) override {
        return fails(Call::Rename) ? -1 : FileWriteCalls::rename(f, t);
    }
    int syncDirectory(const std::string &d) override {
        return fails(Call::SyncDirectory) ? -1 : FileWriteCalls::syncDirectory(d);
    }

  private:
    bool fails(Call call) {
        if (call != m_call || m_seen++ != m_occurrence)
            return false;
        failed = true;
        errno = m_errorNumber;
        return true;
    }
    Call m_call;
    int m_occurrence;
    int m_errorNumber;
    bool m_noUnnamed;
    int m_seen = 0;
};

struct FaultCase {
    const char *name;
    Call call;
    int occurrence;
    int errorNumber;
    bool noUnnamed;
    bool written; // the write still goes through (the fault is one the writer works around)
};

void PrintTo(const FaultCase &c, std::ostream *os) {
    *os << c.name;
}

class WriteFaultTest : public ::testing::TestWithParam<FaultCase> {};

// Three chunks of new content, so that a write in the middle can fail too.
const std::string NewBytes = std::string(150000, 'n');
const std::string OldBytes = "old project\r\n";

TEST_P(WriteFaultTest, OldFileStaysByteForByteAndNothingIsLeft) {
    const FaultCase &c = GetParam();
    TempFolder dir;
    const fs::path target = dir / "taps.h";
    plant(target, OldBytes);
    ::chmod(target.c_str(), 0640);
    bool threw = false;
    {
        FailingCalls calls(c.call, c.occurrence, c.errorNumber, c.noUnnamed);
        try {
            writeFileWhole(target.string(), NewBytes);
        } catch (const Error &error) {
            threw = true;
            EXPECT_EQ(std::string(error.what()),
                      "Unable to write to " + target.string() + ".\n" + Message::systemCause(c.errorNumber));
        }
        EXPECT_TRUE(calls.failed) << "the fault was never reached";
    }
    EXPECT_EQ(threw, !c.written);
    EXPECT_EQ(readBack(target), c.written ? NewBytes : OldBytes);
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"taps.h"}) << "a temporary file was left";
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << "the replaced file's permissions";
}

INSTANTIATE_TEST_SUITE_P(EverySystemCall, WriteFaultTest,
                         ::testing::Values(
                             // Unnamed temporary file (O_TMPFILE), linked in once complete.
                             FaultCase{"no_unnamed_files_here", Call::OpenUnnamed, 0, EOPNOTSUPP, false, true},
                             FaultCase{"mode", Call::Mode, 0, EPERM, false, false},
                             FaultCase{"first_write_disk_full", Call::Write, 0, ENOSPC, false, false},
                             FaultCase{"middle_write_disk_full", Call::Write, 1, ENOSPC, false, false},
                             FaultCase{"last_write_quota", Call::Write, 2, EDQUOT, false, false},
                             FaultCase{"write_io_error", Call::Write, 0, EIO, false, false},
                             FaultCase{"sync", Call::Sync, 0, EIO, false, false},
                             FaultCase{"name_taken_another_is_tried", Call::Link, 0, EEXIST, false, true},
                             FaultCase{"link_refused_named_file_instead", Call::Link, 0, EPERM, false, true},
                             FaultCase{"close", Call::Close, 0, EIO, false, false},
                             FaultCase{"rename", Call::Rename, 0, EACCES, false, false},
                             FaultCase{"folder_sync_is_not_a_failure", Call::SyncDirectory, 0, EIO, false, true},
                             // A named temporary file, where the file system has no unnamed ones.
                             FaultCase{"named_create_read_only", Call::OpenNamed, 0, EROFS, true, false},
                             FaultCase{"named_mode", Call::Mode, 0, EPERM, true, false},
                             FaultCase{"named_middle_write", Call::Write, 1, ENOSPC, true, false},
                             FaultCase{"named_sync", Call::Sync, 0, EIO, true, false},
                             FaultCase{"named_close", Call::Close, 0, EIO, true, false},
                             FaultCase{"named_rename", Call::Rename, 0, EXDEV, true, false}),
                         [](const auto &info) { return std::string(info.param.name); });

// What is at the name decides what happens, before anything is opened for writing.
TEST(WriteTargetTest, SpecialFilesAreRefusedAndLinksKeepPointing) {
    TempFolder dir;
    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(dir / "folder");
    const struct {
        fs::path path;
        std::string cause;
    } refused[] = {
        {fifo, Message::notRegularCause(PathKind::Fifo)},
        {dir / "folder", Message::notRegularCause(PathKind::Directory)},
        {"/dev/full", Message::notRegularCause(PathKind::Device)},
        {dir / "no-such-folder" / "x.csv", Message::systemCause(ENOENT)},
    };
    for (const auto &r : refused) {
        try {
            writeFileWhole(r.path.string(), "x");
            ADD_FAILURE() << "no error for " << r.path;
        } catch (const Error &error) {
            EXPECT_EQ(std::string(error.what()), "Unable to write to " + r.path.string() + ".\n" + r.cause);
        }
    }
    EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);

    // A chain of links, one relative, one absolute: both stay links, the file at the end changes.
    fs::create_directory(dir / "real");
    plant(dir / "real" / "p.flt", "old");
    fs::create_symlink("real/p.flt", dir / "inner");
    fs::create_symlink(dir / "inner", dir / "outer");
    writeFileWhole((dir / "outer").string(), "new");
    EXPECT_TRUE(fs::is_symlink(dir / "outer"));
    EXPECT_TRUE(fs::is_symlink(dir / "inner"));
    EXPECT_EQ(readBack(dir / "real" / "p.flt"), "new");
    EXPECT_EQ(namesIn(dir / "real"), std::set<std::string>{"p.flt"});
    // A link to a file not yet there creates it.
    fs::create_symlink("real/later.csv", dir / "dangling");
    writeFileWhole((dir / "dangling").string(), "made");
    EXPECT_EQ(readBack(dir / "real" / "later.csv"), "made");
    EXPECT_TRUE(fs::is_symlink(dir / "dangling"));
}

// Temporary files of killed runs go at the next write in their folder; those of running
// processes and files of other names stay.
TEST(WriteTargetTest, StaleTemporariesOfDeadProcessesAreRemoved) {
    TempFolder dir;
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0); // now no process has this number (until it is reused)
    const std::string dead = ".pulsefir-" + std::to_string(child) + "-abcdef";
    const std::string running = ".pulsefir-1-abcdef"; // init runs as long as the machine does
    plant(dir / dead, "stale");
    plant(dir / running, "busy");
    plant(dir / ".pulsefir-x-abcdef", "not ours");
    writeFileWhole((dir / "out.csv").string(), "new");
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"out.csv", running, ".pulsefir-x-abcdef"}));
}

// A real small file system, full or mounted read-only, where the machine lets the test mount one.
TEST(WriteTargetTest, RealFullDiskAndReadOnlyFileSystem) {
    TempFolder dir;
    const fs::path mountPoint = dir / "tiny";
    fs::create_directory(mountPoint);
    const std::string mount = "mount -t tmpfs -o size=64k tmpfs '" + mountPoint.string() + "' 2>/dev/null";
    if (std::system(mount.c_str()) != 0)
        GTEST_SKIP() << "this machine does not let the test mount a tmpfs (needs root and CAP_SYS_ADMIN)";
    const fs::path target = mountPoint / "taps.h";
    plant(target, OldBytes);
    plant(mountPoint / "filler", std::string(56 * 1024, 'f'));
    std::string fullMessage;
    try {
        writeFileWhole(target.string(), NewBytes);
    } catch (const Error &error) {
        fullMessage = error.what();
    }
    const std::string afterFull = readBack(target);
    const auto leftAfterFull = namesIn(mountPoint);
    std::system(("mount -o remount,ro '" + mountPoint.string() + "'").c_str());
    std::string readOnlyMessage;
    try {
        writeFileWhole(target.string(), "x");
    } catch (const Error &error) {
        readOnlyMessage = error.what();
    }
    const std::string afterReadOnly = readBack(target);
    std::system(("umount '" + mountPoint.string() + "'").c_str());
    EXPECT_EQ(fullMessage, "Unable to write to " + target.string() + ".\n" + Message::systemCause(ENOSPC));
    EXPECT_EQ(afterFull, OldBytes);
    EXPECT_EQ(leftAfterFull, (std::set<std::string>{"filler", "taps.h"}));
    EXPECT_EQ(readOnlyMessage, "Unable to write to " + target.string() + ".\n" + Message::systemCause(EROFS));
    EXPECT_EQ(afterReadOnly, OldBytes);
}

// The reader takes regular files only, never blocks, and holds every file to its limit.
TEST(ReadFileTest, OnlyRegularFilesWithinTheLimit) {
    TempFolder dir;
    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    plant(dir / "ten", "0123456789");
    const struct {
        fs::path path;
        std::uintmax_t limit;
        ReadFault fault;
        PathKind kind;
    } refused[] = {
        {dir / "missing", 100, ReadFault::Missing, PathKind::Missing},
        {fifo, 100, ReadFault::NotRegular, PathKind::Fifo},
        {dir.path(), 100, ReadFault::NotRegular, PathKind::Directory},
        {"/dev/zero", 100, ReadFault::NotRegular, PathKind::Device},
        {dir / "ten", 9, ReadFault::TooLarge, PathKind::Regular},
    };
    for (const auto &r : refused) {
        try {
            readFileWhole(r.path.string(), r.limit);
            ADD_FAILURE() << "no error for " << r.path;
        } catch (const FileReadError &error) {
            EXPECT_EQ(error.fault(), r.fault) << r.path;
            EXPECT_EQ(error.kind(), r.kind) << r.path;
            EXPECT_EQ(std::string(error.what()), "Unable to read " + r.path.string() + ".\n" + error.cause());
        }
    }
    EXPECT_EQ(readFileWhole((dir / "ten").string(), 10), "0123456789");
}

} // namespace
