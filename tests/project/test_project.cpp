#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

#include "base/error.h"
#include "fake_windows.h"
#include "project/SaveLoadPrjUnit.h"
#include "project/file_access.h"
#include "project/project_settings.h"

using namespace pulsefir;
using namespace pulsefir::project;

namespace {

std::string readAll(const std::string &name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return in ? text.str() : "<unreadable>";
}

void writeAll(const std::string &name, const std::string &bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << bytes;
    ASSERT_TRUE(out.good());
}

bool contains(const std::string &text, const std::string &part) {
    return text.find(part) != std::string::npos;
}

// A fresh folder per test, removed afterwards.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pulsefir-project-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::string &path() const { return m_path; }
    std::string filePath(const char *name) const { return m_path + "/" + name; }

  private:
    std::string m_path;
};

class ProjectTest : public ::testing::Test {
  protected:
    TempFolder dir;
    std::vector<std::unique_ptr<FakeWindow>> windows = makeProgramWindows();

    FakeWindow &win(int k) { return *windows[static_cast<std::size_t>(k)]; }
    std::string path(const char *name) const { return dir.filePath(name); }
};

} // namespace

TEST_F(ProjectTest, SignalSectionOfTheDefaultsLineForLine) {
    const std::string content = composeProject({}, {&win(1)}, ',');
    EXPECT_EQ(content, std::string("[SignalForm]\r\nTop=249\r\nLeft=758\r\nWidth=512\r\nHeight=379\r\n"
                                   "NoiseNmSuperSpin=0,04\r\nExp_F_NmSuperSpin=0,04\r\nExp_Phaze_NmSuperSpin=90\r\n"
                                   "Exp_Front_NmSuperSpin=180\r\nExp_Time_NmSuperSpin=800\r\n"
                                   "Exp_Shift_NmSuperSpin=75\r\nExp_Am_NmSuperSpin=1,4\r\n"
                                   // The measured-pulse fields come after every earlier key.
                                   "FileOffsetNmSpinEdit=0\r\nFileScaleNmSuperSpin=1\r\nFileRateRadioGroup=0\r\n"
                                   "FileTimeUnitRadioGroup=0\r\nFileDecimalRadioGroup=0\r\nFileColumnNmSpinEdit=1\r\n"
                                   // The air path's after those.
                                   "PathDistanceNmSuperSpin=0,1\r\nPathTemperatureNmSuperSpin=20\r\n"
                                   "PathHumidityNmSuperSpin=50\r\nPathTargetDistanceNmSuperSpin=0,5\r\n"
                                   "PathTargetTemperatureNmSuperSpin=20\r\nPathTargetHumidityNmSuperSpin=50\r\n"
                                   "PathPressureNmSuperSpin=101,325\r\nPathSpreadingRadioGroup=1\r\n"
                                   "PathDelayCheckBox=0\r\n"
                                   "Wisible=0\r\nEnabled=1\r\n"));
}

TEST_F(ProjectTest, SavingDisablesEachWindowAndGivesItsStateBack) {
    win(2).enabled = false;
    saveProjectFile(path("p.flt"), pointers(windows), ',');
    EXPECT_EQ(win(0).enabledHistory, (std::vector<bool>{false, true}));
    EXPECT_EQ(win(2).enabledHistory, (std::vector<bool>{false, false}));
    EXPECT_TRUE(contains(readAll(path("p.flt")), "[FilterForm]\r\nTop=20\r\n"));
    const std::string filter = readAll(path("p.flt"));
    EXPECT_TRUE(contains(filter, "PhazeShiftNmSpinEdit=0\r\nRegularizationNmSuperSpin=1E-6\r\nCoeBitsNmSpinEdit=16\r\n"
                                 "RegularizationAutoCheckBox=0\r\nAdcBitsNmSpinEdit=12\r\n"
                                 "AdcFullScaleNmSuperSpin=2\r\nOutBitsNmSpinEdit=16\r\nRoundingRadioGroup=1\r\n"
                                 "OutShiftAutoCheckBox=1\r\nOutShiftNmSpinEdit=0\r\nLatencyNmSpinEdit=1000\r\n"
                                 "PathSetDistanceFromNmSuperSpin=0,05\r\nPathSetDistanceToNmSuperSpin=1\r\n"
                                 "PathSetDistanceCountNmSpinEdit=5\r\nPathSetTemperatureFromNmSuperSpin=10\r\n"
                                 "PathSetTemperatureToNmSuperSpin=30\r\nPathSetTemperatureCountNmSpinEdit=3\r\n"
                                 "PathSetHumidityFromNmSuperSpin=50\r\nPathSetHumidityToNmSuperSpin=50\r\n"
                                 "PathSetHumidityCountNmSpinEdit=1\r\nSetCriterionRadioGroup=0\r\n"
                                 "Wisible=0\r\nEnabled=0\r\n[SpectorForm]"));
}

TEST_F(ProjectTest, RoundTripRestoresEveryValuePositionAndVisibility) {
    win(0).control("FNmSuperSpin").number = 12.345678901234;
    win(0).control("SWNmSpinEdit").integer = 2345;
    win(0).control("CheckBox2").check = true;
    win(1).control("Exp_Shift_NmSuperSpin").number = -0.00002;
    win(2).control("WinTypeRadioGroup").integer = 6;
    win(2).control("RandomNmSuperSpin").number = 1.5e20;
    win(3).frameRect = Frame{40, 50, 700, 500};
    win(3).visible = true;
    saveProjectFile(path("p.flt"), pointers(windows), ',');

    auto fresh = makeProgramWindows();
    loadProjectFile(path("p.flt"), pointers(fresh));
    for (std::size_t w = 0; w < 4; ++w) {
        EXPECT_EQ(fresh[w]->frameRect.left, windows[w]->frameRect.left) << w;
        EXPECT_EQ(fresh[w]->frameRect.top, windows[w]->frameRect.top) << w;
        EXPECT_EQ(fresh[w]->visible, windows[w]->visible) << w;
        for (std::size_t c = 0; c < windows[w]->owned.size(); ++c) {
            const FakeControl &a = *windows[w]->owned[c];
            const FakeControl &b = *fresh[w]->owned[c];
            EXPECT_EQ(b.number, a.number) << a.name();
            EXPECT_EQ(b.integer, a.integer) << a.name();
            EXPECT_EQ(b.check, a.check) << a.name();
        }
    }
    EXPECT_EQ(fresh[3]->frameRect, (Frame{40, 50, 700, 500}));
}

TEST_F(ProjectTest, SavingIntoAFileWithOtherSectionsKeepsThemInPlace) {
    writeAll(path("p.flt"), "[Other]\r\nA=1\r\n[SignalForm]\r\nTop=5\r\n[Zed]\r\nB=2\r\n");
    saveProjectFile(path("p.flt"), pointers(windows), ',');
    const std::string content = readAll(path("p.flt"));
    EXPECT_TRUE(content.starts_with("[Other]\r\nA=1\r\n[Zed]\r\nB=2\r\n[MainForm]\r\n")) << content;
    EXPECT_LT(content.find("[MainForm]"), content.find("[SignalForm]"));
    EXPECT_LT(content.find("[FilterForm]"), content.find("[SpectorForm]"));
    EXPECT_EQ(content.find("[SignalForm]"), content.rfind("[SignalForm]")) << "once";
    EXPECT_FALSE(contains(content, "Top=5"));
}

TEST_F(ProjectTest, AFileWithSomeKeysChangesOnlyThoseControls) {
    writeAll(path("p.flt"), "[SignalForm]\nExp_Am_NmSuperSpin=2,5\n[SpectorForm]\nCheckBox9=1\nLeft=7\n");
    loadProjectFile(path("p.flt"), pointers(windows));
    EXPECT_EQ(win(1).control("Exp_Am_NmSuperSpin").number, 2.5);
    EXPECT_TRUE(win(3).control("CheckBox9").check);
    EXPECT_EQ(win(3).frameRect, (Frame{7, 289, 815, 609}));
    EXPECT_EQ(win(1).control("Exp_F_NmSuperSpin").changes, 0);
    EXPECT_EQ(win(1).control("Exp_F_NmSuperSpin").number, 0.04);
    EXPECT_EQ(win(0).frameRect, (Frame{1, 1, 870, 640}));
}

TEST_F(ProjectTest, ValuesOutsideTheRangesLoadAsTheControlsAllow) {
    writeAll(path("p.flt"), "[MainForm]\nSWNmSpinEdit=20000\nFNmSuperSpin=-5\n"
                            "[FilterForm]\nResponseRadioGroup=5\nRadioGroup1=-3\nEpochNmSpinEdit=abc\n");
    loadProjectFile(path("p.flt"), pointers(windows));
    EXPECT_EQ(win(0).control("SWNmSpinEdit").integer, 10000);
    EXPECT_EQ(win(0).control("FNmSuperSpin").number, -5.0) << "floats load as they are";
    EXPECT_EQ(win(2).control("ResponseRadioGroup").integer, 2);
    EXPECT_EQ(win(2).control("RadioGroup1").integer, -1);
    EXPECT_EQ(win(2).control("EpochNmSpinEdit").integer, 50000) << "not an integer: kept";
}

TEST_F(ProjectTest, FilterWindowSizeIsWrittenButNotApplied) {
    writeAll(path("p.flt"), "[FilterForm]\nTop=11\nLeft=12\nWidth=100\nHeight=100\n[SignalForm]\nWidth=300\n");
    loadProjectFile(path("p.flt"), pointers(windows));
    EXPECT_EQ(win(2).frameRect, (Frame{12, 11, 566, 771}));
    EXPECT_EQ(win(1).frameRect.width, 300);
}

TEST_F(ProjectTest, HiddenMainWindowInTheFileStaysShown) {
    writeAll(path("p.flt"), "[MainForm]\nWisible=0\n[SignalForm]\nWisible=1\n");
    loadProjectFile(path("p.flt"), pointers(windows));
    EXPECT_TRUE(win(0).visible);
    EXPECT_TRUE(win(1).visible);
}

struct LocaleCase {
    const char *name;
    char written;
};

void PrintTo(const LocaleCase &c, std::ostream *os) {
    *os << c.name;
}

class ProjectLocaleTest : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(ProjectLocaleTest, WrittenUnderOneSeparatorReadUnderEither) {
    TempFolder dir;
    auto windows = makeProgramWindows();
    windows[1]->control("Exp_F_NmSuperSpin").number = 0.0375;
    windows[2]->control("K_NmSuperSpin").number = -1234.5;
    saveProjectFile(dir.filePath("p.flt"), pointers(windows), GetParam().written);
    const std::string content = readAll(dir.filePath("p.flt"));
    EXPECT_TRUE(contains(content, std::string("Exp_F_NmSuperSpin=0") + GetParam().written + "0375"));
    auto fresh = makeProgramWindows();
    loadProjectFile(dir.filePath("p.flt"), pointers(fresh));
    EXPECT_EQ(fresh[1]->control("Exp_F_NmSuperSpin").number, 0.0375);
    EXPECT_EQ(fresh[2]->control("K_NmSuperSpin").number, -1234.5);
}

INSTANTIATE_TEST_SUITE_P(Separators, ProjectLocaleTest,
                         ::testing::Values(LocaleCase{"comma", ','}, LocaleCase{"point", '.'}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ProjectTest, UnreadableFieldStopsTheSaveAndLeavesTheOldFile) {
    writeAll(path("p.flt"), "old content");
    win(1).control("Exp_Am_NmSuperSpin").unreadable = true;
    EXPECT_THROW(saveProjectFile(path("p.flt"), pointers(windows), ','), base::Error);
    EXPECT_EQ(readAll(path("p.flt")), std::string("old content"));
    EXPECT_TRUE(win(1).enabled) << "the window gets its enabled state back";
}

// Only a regular file of project size is read: a FIFO (opening it would block), a folder, a
// device and a huge file are refused before anything is read, and nothing changes.
TEST_F(ProjectTest, WhatCannotBeAProjectIsRefusedAtOnce) {
    const std::string fifo = path("fifo.flt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = path("huge.flt");
    writeAll(huge, "");
    std::filesystem::resize_file(huge, 50 * 1000 * 1000); // sparse: 50 MB that cost nothing to make
    const std::pair<std::string, std::string> cases[] = {
        {fifo, "Файл " + fifo + " не является файлом проекта"},
        {dir.path(), "Файл " + dir.path() + " не является файлом проекта"},
        {"/dev/zero", "Файл /dev/zero не является файлом проекта"},
        {huge, "Файл " + huge + " слишком велик для файла проекта"},
    };
    for (const auto &[name, message] : cases) {
        try {
            loadProjectFile(name, pointers(windows));
            ADD_FAILURE() << "no error for " << name;
        } catch (const base::Error &error) {
            EXPECT_EQ(std::string(error.what()), message);
        }
        EXPECT_EQ(win(0).control("SWNmSpinEdit").changes, 0);
        // Saving over it is refused too, and leaves it what it was.
        EXPECT_THROW(saveProjectFile(name, pointers(windows), ','), base::Error) << name;
    }
    EXPECT_EQ(std::filesystem::file_size(huge), 50u * 1000 * 1000);
}

// A load that set nothing says why: an empty file is called empty, a file of other sections has
// none of the windows' (blank lines are no longer an empty file).
TEST_F(ProjectTest, ALoadThatSetNothingSaysWhy) {
    const std::pair<std::string, std::string> cases[] = {
        {"", " пуст, ничего не изменено"},
        {"\n", ": нет ни одного из разделов"},
        {"[Other]\nA=1\n", ": нет ни одного из разделов"},
    };
    for (const auto &[bytes, message] : cases) {
        const std::string name = path("nothing.flt");
        writeAll(name, bytes);
        EXPECT_FALSE(loadProjectFile(name, pointers(windows)).anySection);
        const std::string said = nothingLoadedMessage(name, "shown.flt");
        EXPECT_NE(said.find("shown.flt" + message), std::string::npos) << said;
    }
}

TEST_F(ProjectTest, UnwritablePlaceIsReported) {
    const std::string name = "/proc/pulsefir-project-test.flt";
    try {
        saveProjectFile(name, pointers(windows), ',');
        FAIL() << "no error";
    } catch (const base::Error &error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + name + ".\nнет такого файла или папки");
    }
    for (auto &w : windows)
        EXPECT_TRUE(w->enabled);
}

TEST_F(ProjectTest, KindsNoWindowHasAreStoredAsTheFormatSays) {
    FakeWindow window("Extra", (Frame{0, 0, 10, 10}), true);
    window.add("Edit1", ControlKind::Edit).textValue = "hello";
    window.add("TrackBar1", ControlKind::TrackBar).integer = 7;
    window.add("SpeedButton1", ControlKind::SpeedButton).check = true;
    FakeControl &grid = window.add("G", ControlKind::StringGrid);
    grid.columns = 3;
    grid.rows = 14;
    grid.cells[{2, 13}] = "x";
    const std::string content = composeProject({}, {&window}, ',');
    EXPECT_TRUE(contains(
        content, "Edit1=hello\r\nTrackBar1=7\r\nSpeedButton1=1\r\nGColCount=3\r\nGRowCount=14\r\nG00000000=\r\n"));
    EXPECT_TRUE(contains(content, "G00020013=x\r\nWisible=0"));
    EXPECT_EQ(gridCellKey("G", 2, 13), std::string("G00020013"));

    FakeWindow loaded("Extra", (Frame{0, 0, 10, 10}), true);
    loaded.add("Edit1", ControlKind::Edit);
    loaded.add("TrackBar1", ControlKind::TrackBar);
    loaded.add("SpeedButton1", ControlKind::SpeedButton);
    FakeControl &loadedGrid = loaded.add("G", ControlKind::StringGrid);
    loadWindowSettings(IniDocument::parse(content), loaded);
    EXPECT_EQ(loaded.control("Edit1").textValue, std::string("hello"));
    EXPECT_EQ(loaded.control("TrackBar1").integer, 7);
    EXPECT_TRUE(loaded.control("SpeedButton1").check);
    EXPECT_EQ(loadedGrid.columns, 3);
    EXPECT_EQ(loadedGrid.cell(2, 13), std::string("x"));
    // Without counts the grid takes 1 x 1, not its present size.
    loadWindowSettings(IniDocument::parse("[Extra]\nG00000000=only\n"), loaded);
    EXPECT_EQ(loadedGrid.columns, 1);
    EXPECT_EQ(loadedGrid.rows, 1);
    EXPECT_EQ(loadedGrid.cell(0, 0), std::string("only"));
}

TEST_F(ProjectTest, CommandLineReadsTheParameterKeysWithTheWindowsRules) {
    writeAll(path("p.flt"), "[MainForm]\nFNmSuperSpin=1.6\nSWNmSpinEdit=0x20\n[FilterForm]\nWinTypeRadioGroup=9\n"
                            "EpochNmSpinEdit=0\n[SpectorForm]\nCheckBox9=5\n");
    Settings settings;
    readProjectSettings(path("p.flt"), settings);
    EXPECT_EQ(settings.main.samplingFrequency, 1.6);
    EXPECT_EQ(settings.main.signalHalfWidth, 32);
    EXPECT_EQ(settings.filter.windowType, 6);
    EXPECT_EQ(settings.filter.epochLimit, 1);
    EXPECT_TRUE(settings.spectra.outputPhase);
    writeAll(path("bad.flt"), "[MainForm]\nSWNmSpinEdit=5\nFNmSuperSpin=x\n");
    EXPECT_THROW(readProjectSettings(path("bad.flt"), settings), base::Error);
    EXPECT_EQ(settings.main.signalHalfWidth, 32) << "nothing half-read";
}
