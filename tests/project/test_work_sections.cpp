#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "fake_windows.h"
#include "project/SaveLoadPrjUnit.h"
#include "project/file_access.h"
#include "project/ini_file.h"
#include "project/work_sections.h"

using namespace pulsefir;
using namespace pulsefir::project;

namespace {

std::uint64_t bits(double v) {
    return std::bit_cast<std::uint64_t>(v);
}

// Every entry of the four buffers a project keeps, bit for bit, and the two half-widths.
void expectSameWork(const core::CoreState &a, const core::CoreState &b) {
    EXPECT_EQ(a.SignalHalfWidth, b.SignalHalfWidth);
    EXPECT_EQ(a.FilterHalfWidth, b.FilterHalfWidth);
    int differing = 0;
    for (int i = -core::MaxSignalHalfWidth; i <= core::MaxSignalHalfWidth; ++i)
        differing += (bits(a.SignalBuffer[i]) != bits(b.SignalBuffer[i])) +
                     (bits(a.OutputBuffer[i]) != bits(b.OutputBuffer[i])) +
                     (bits(a.ResponseBuffer[i]) != bits(b.ResponseBuffer[i]));
    for (int j = -core::MaxFilterHalfWidth; j <= core::MaxFilterHalfWidth; ++j)
        differing += bits(a.FilterBuffer[j]) != bits(b.FilterBuffer[j]);
    EXPECT_EQ(differing, 0);
}

// Doubles of every kind a buffer can hold: any finite bit pattern, so subnormals, negative
// zeros, the extremes and values whose shortest text needs 17 digits.
double anyFinite(std::mt19937_64 &random) {
    for (;;) {
        const double v = std::bit_cast<double>(random());
        if (std::isfinite(v))
            return v;
    }
}

void fillEverything(core::CoreState &s, std::uint64_t seed) {
    std::mt19937_64 random(seed);
    for (int i = -core::MaxSignalHalfWidth; i <= core::MaxSignalHalfWidth; ++i) {
        s.SignalBuffer[i] = anyFinite(random);
        s.OutputBuffer[i] = anyFinite(random);
        s.ResponseBuffer[i] = anyFinite(random);
    }
    for (int j = -core::MaxFilterHalfWidth; j <= core::MaxFilterHalfWidth; ++j)
        s.FilterBuffer[j] = anyFinite(random);
    s.SignalBuffer[0] = -0.0;
    s.FilterBuffer[1] = std::numeric_limits<double>::denorm_min();
    s.OutputBuffer[-core::MaxSignalHalfWidth] = -std::numeric_limits<double>::max();
    s.SignalHalfWidth = core::MaxSignalHalfWidth;
    s.FilterHalfWidth = core::MaxFilterHalfWidth;
}

std::string compose(core::CoreState &s, const Windows &windows = {}) {
    WorkSections work(s);
    return composeProject({}, windows, ',', {&work});
}

} // namespace

// The largest half-widths, every buffer full: save, load, save again gives the same bytes and the
// same bits.
TEST(WorkSectionsTest, LargestBuffersRoundTripBitForBitAndByteForByte) {
    auto saved = std::make_unique<core::CoreState>(1);
    fillEverything(*saved, 7);
    const std::string first = compose(*saved);
    EXPECT_LT(first.size(), MaxProjectFileBytes); // readable again by the program
    auto loaded = std::make_unique<core::CoreState>(1);
    WorkSections work(*loaded);
    const LoadReport report = loadProjectDocument(IniDocument::parse(first), {}, {&work});
    EXPECT_TRUE(report.anySection);
    EXPECT_TRUE(report.unusable.empty());
    EXPECT_TRUE(work.loaded());
    expectSameWork(*saved, *loaded);
    EXPECT_EQ(compose(*loaded), first);
    EXPECT_TRUE(WorkSnapshot(*saved) == WorkSnapshot(*loaded));
}

// Entries beyond the last non-zero one are not written, and come back as zeros.
TEST(WorkSectionsTest, OnlyTheExtentUpToTheLastNonZeroEntryIsWritten) {
    auto s = std::make_unique<core::CoreState>(1);
    s->SignalBuffer[-5] = 0.25;
    s->FilterBuffer[3] = -1.5;
    const IniDocument doc = IniDocument::parse(compose(*s));
    EXPECT_EQ(doc.readString("SignalBuffer", "Extent", {}), "5");
    EXPECT_EQ(doc.readString("SignalBuffer", "-5", {}), "0.25 0 0 0 0 0 0 0 0 0 0");
    EXPECT_EQ(doc.readString("FilterBuffer", "Extent", {}), "3");
    EXPECT_EQ(doc.readString("FilterBuffer", "-3", {}), "0 0 0 0 0 0 -1.5");
    EXPECT_EQ(doc.readString("OutputBuffer", "Extent", {}), "0");
    EXPECT_EQ(doc.readString("OutputBuffer", "0", {}), "0");
    // The previous content of the buffer beyond the stored extent is zeroed on load.
    auto loaded = std::make_unique<core::CoreState>(1);
    loaded->SignalBuffer[9000] = 3.0;
    WorkSections work(*loaded);
    loadProjectDocument(doc, {}, {&work});
    expectSameWork(*s, *loaded);
}

// A project of settings alone leaves the buffers as they are and reports nothing to draw.
TEST(WorkSectionsTest, AProjectWithoutWorkLeavesTheBuffers) {
    auto s = std::make_unique<core::CoreState>(1);
    s->SignalBuffer[1] = 2.0;
    s->FilterHalfWidth = 44;
    WorkSections work(*s);
    const LoadReport report = loadProjectDocument(IniDocument::parse("[MainForm]\r\nTop=5\r\n"), {}, {&work});
    EXPECT_FALSE(work.loaded());
    EXPECT_FALSE(report.anySection); // no window of this list, no work
    EXPECT_EQ(s->SignalBuffer[1], 2.0);
    EXPECT_EQ(s->FilterHalfWidth, 44);
}

struct BrokenSection {
    const char *name;
    const char *text; // a [FilterBuffer] section
};

class BrokenWorkTest : public ::testing::TestWithParam<BrokenSection> {};

// A buffer section that cannot be read whole is named and leaves its buffer and half-width as
// they were; the good sections of the same file still load.
TEST_P(BrokenWorkTest, IsListedAndChangesNothingOfItsBuffer) {
    auto s = std::make_unique<core::CoreState>(1);
    s->FilterBuffer[0] = 9.0;
    s->FilterHalfWidth = 12;
    WorkSections work(*s);
    const std::string file = std::string("[SignalBuffer]\r\nHalfWidth=3\r\nExtent=1\r\n-1=1 2 3\r\n") + GetParam().text;
    const LoadReport report = loadProjectDocument(IniDocument::parse(file), {}, {&work});
    ASSERT_EQ(report.unusable.size(), 1u);
    EXPECT_EQ(report.unusable[0], "[FilterBuffer]");
    EXPECT_EQ(s->FilterBuffer[0], 9.0);
    EXPECT_EQ(s->FilterHalfWidth, 12);
    EXPECT_EQ(s->SignalBuffer[1], 3.0);
    EXPECT_EQ(s->SignalHalfWidth, 3);
}

INSTANTIATE_TEST_SUITE_P(
    Sections, BrokenWorkTest,
    ::testing::Values(BrokenSection{"no_extent", "[FilterBuffer]\r\nHalfWidth=1\r\n-1=1 2 3\r\n"},
                      BrokenSection{"too_few_values", "[FilterBuffer]\r\nExtent=1\r\n-1=1 2\r\n"},
                      BrokenSection{"too_many_values", "[FilterBuffer]\r\nExtent=1\r\n-1=1 2 3 4\r\n"},
                      BrokenSection{"not_a_number", "[FilterBuffer]\r\nExtent=1\r\n-1=1 x 3\r\n"},
                      BrokenSection{"comma_decimal", "[FilterBuffer]\r\nExtent=0\r\n0=1,5\r\n"},
                      BrokenSection{"not_finite", "[FilterBuffer]\r\nExtent=1\r\n-1=1 nan 3\r\n"},
                      BrokenSection{"line_out_of_place", "[FilterBuffer]\r\nExtent=1\r\n0=1 2 3\r\n"},
                      BrokenSection{"extent_beyond_the_buffer", "[FilterBuffer]\r\nExtent=1001\r\n"},
                      BrokenSection{"half_width_beyond_the_buffer",
                                    "[FilterBuffer]\r\nHalfWidth=1001\r\nExtent=0\r\n0=1\r\n"},
                      BrokenSection{"half_width_no_integer", "[FilterBuffer]\r\nHalfWidth=1.5\r\nExtent=0\r\n0=1\r\n"}),
    [](const auto &info) { return std::string(info.param.name); });

// What a load could not use is listed once, in file order, and the rest of the file still loads.
TEST(LoadReportTest, ListsIntegerKeysThatAreNoIntegersAndRepeatedSections) {
    std::vector<std::unique_ptr<FakeWindow>> windows = makeProgramWindows();
    Windows pointers;
    for (auto &w : windows)
        pointers.push_back(w.get());
    const std::string file = "[MainForm]\r\nSWNmSpinEdit=50.0\r\nLineWidthSpinEdit=3\r\n"
                             "[FilterForm]\r\nEpochNmSpinEdit=5e1\r\nTop=x\r\n"
                             "[FilterForm]\r\nWINNmSpinEdit=7\r\n";
    const LoadReport report = loadProjectDocument(IniDocument::parse(file), pointers);
    EXPECT_TRUE(report.anySection);
    EXPECT_EQ(report.unusable, (std::vector<std::string>{"MainForm.SWNmSpinEdit", "[FilterForm]", "FilterForm.Top",
                                                         "FilterForm.EpochNmSpinEdit"}));
    EXPECT_EQ(windows[0]->control("LineWidthSpinEdit").integerValue(), 3);
    EXPECT_EQ(windows[0]->control("SWNmSpinEdit").integerValue(), 1000);
}

// Line ends of every platform, and the section queries the work needs.
struct LineEnds {
    const char *name;
    const char *text;
};

class LineEndTest : public ::testing::TestWithParam<LineEnds> {};

TEST_P(LineEndTest, ReadsEveryKey) {
    const IniDocument doc = IniDocument::parse(GetParam().text);
    EXPECT_EQ(doc.readInteger("A", "x", 0), 1);
    EXPECT_EQ(doc.readInteger("A", "y", 0), 2);
    EXPECT_EQ(doc.readInteger("B", "z", 0), 3);
    ASSERT_EQ(doc.entries("A").size(), 2u);
    EXPECT_EQ(doc.entries("A")[1].first, "y");
    EXPECT_EQ(doc.sectionNames(), (std::vector<std::string>{"A", "B"}));
}

INSTANTIATE_TEST_SUITE_P(Files, LineEndTest,
                         ::testing::Values(LineEnds{"crlf", "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n"},
                                           LineEnds{"lf", "[A]\nx=1\ny=2\n[B]\nz=3\n"},
                                           LineEnds{"cr_only", "[A]\rx=1\ry=2\r; note\r[B]\rz=3\r"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(IniDocumentTest, ReplaceSectionWritesItLastAndCountsRepeats) {
    IniDocument doc = IniDocument::parse("[W]\r\na=1\r\n[Other]\r\nb=2\r\n[W]\r\nc=3\r\n");
    EXPECT_EQ(doc.sectionCount("W"), 2);
    EXPECT_EQ(doc.sectionCount("w"), 2);
    doc.replaceSection("W", {{"k", "v"}, {"-16", "1 2"}});
    EXPECT_EQ(doc.serialize(), "[Other]\r\nb=2\r\n[W]\r\nc=3\r\n[W]\r\nk=v\r\n-16=1 2\r\n");
}
