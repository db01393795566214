#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cmath>
#include <cstdlib>

#include <deque>
#include <optional>
#include <sys/stat.h>
#include <utility>

#include "core/errors.h"
#include "project/Parameters.h"
#include "fake_windows.h"
#include "project/FileAccess.h"
#include "project/ProjectParameters.h"
#include "project/SaveLoadPrjUnit.h"

using namespace pulsefir;
using namespace pulsefir::project;

namespace {

QByteArray readAll(const QString &name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString &name, const QByteArray &bytes) {
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

class ScriptedHost : public ProjectHost {
  public:
    std::deque<std::optional<QString>> answers;
    std::deque<bool> yesNo;
    std::vector<std::pair<QString, QString>> informations;
    std::vector<std::pair<QString, QString>> questions;
    std::vector<QString> titles;

    std::optional<QString> runFileDialog(const FileDialogRequest &request) override {
        titles.push_back(request.title);
        if (answers.empty())
            return std::nullopt;
        std::optional<QString> a;
        a.swap(answers.front());
        answers.pop_front();
        return a;
    }
    void showInformation(const QString &title, const QString &text) override { informations.push_back({title, text}); }
    bool askYesNo(const QString &title, const QString &text) override {
        questions.push_back({title, text});
        const bool a = !yesNo.empty() && yesNo.front();
        if (!yesNo.empty())
            yesNo.pop_front();
        return a;
    }
};

class ProjectTest : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    std::vector<std::unique_ptr<FakeWindow>> windows = MakeProgramWindows();
    ScriptedHost host;
    FileDialogRequest dialog;

    FakeWindow &win(int k) { return *windows[static_cast<std::size_t>(k)]; }
    QString path(const char *name) const { return dir.filePath(name); }
};

} // namespace

TEST_F(ProjectTest, SignalSectionOfTheDefaultsLineForLine) {
    const QByteArray content = ComposeProject({}, {&win(1)}, ',');
    EXPECT_EQ(content, QByteArray("[SignalForm]\r\nTop=249\r\nLeft=758\r\nWidth=512\r\nHeight=379\r\n"
                                  "NoiseNmSuperSpin=0,04\r\nExp_F_NmSuperSpin=0,04\r\nExp_Phaze_NmSuperSpin=90\r\n"
                                  "Exp_Front_NmSuperSpin=180\r\nExp_Time_NmSuperSpin=800\r\n"
                                  "Exp_Shift_NmSuperSpin=75\r\nExp_Am_NmSuperSpin=1,4\r\n"
                                  // The measured-pulse fields come after every earlier key.
                                  "FileOffsetNmSpinEdit=0\r\nFileScaleNmSuperSpin=1\r\nFileRateRadioGroup=0\r\n"
                                  "Wisible=0\r\nEnabled=1\r\n"));
}

TEST_F(ProjectTest, SavingDisablesEachWindowAndGivesItsStateBack) {
    win(2).enabled = false;
    SaveProjectFile(path("p.flt"), Pointers(windows), ',');
    EXPECT_EQ(win(0).enabledHistory, (std::vector<bool>{false, true}));
    EXPECT_EQ(win(2).enabledHistory, (std::vector<bool>{false, false}));
    EXPECT_TRUE(readAll(path("p.flt")).contains("[FilterForm]\r\nTop=20\r\n"));
    const QByteArray filter = readAll(path("p.flt"));
    EXPECT_TRUE(filter.contains("PhazeShiftNmSpinEdit=0\r\nRegularizationNmSuperSpin=1E-6\r\nCoeBitsNmSpinEdit=16\r\n"
                                "Wisible=0\r\nEnabled=0\r\n[SpectorForm]"));
}

TEST_F(ProjectTest, RoundTripRestoresEveryValuePositionAndVisibility) {
    win(0).control("FNmSuperSpin").number = 12.345678901234;
    win(0).control("SWNmSpinEdit").integer = 2345;
    win(0).control("CheckBox2").check = true;
    win(1).control("Exp_Shift_NmSuperSpin").number = -0.00002;
    win(2).control("WinTypeRadioGroup").integer = 6;
    win(2).control("RandomNmSuperSpin").number = 1.5e20;
    win(3).frameRect = QRect(40, 50, 700, 500);
    win(3).visible = true;
    SaveProjectFile(path("p.flt"), Pointers(windows), ',');

    auto fresh = MakeProgramWindows();
    LoadProjectFile(path("p.flt"), Pointers(fresh));
    for (std::size_t w = 0; w < 4; ++w) {
        EXPECT_EQ(fresh[w]->frameRect.topLeft(), windows[w]->frameRect.topLeft()) << w;
        EXPECT_EQ(fresh[w]->visible, windows[w]->visible) << w;
        for (std::size_t c = 0; c < windows[w]->owned.size(); ++c) {
            const FakeControl &a = *windows[w]->owned[c];
            const FakeControl &b = *fresh[w]->owned[c];
            EXPECT_EQ(b.number, a.number) << a.name().toStdString();
            EXPECT_EQ(b.integer, a.integer) << a.name().toStdString();
            EXPECT_EQ(b.check, a.check) << a.name().toStdString();
        }
    }
    EXPECT_EQ(fresh[3]->frameRect, QRect(40, 50, 700, 500));
}

TEST_F(ProjectTest, SavingIntoAFileWithOtherSectionsKeepsThemInPlace) {
    writeAll(path("p.flt"), "[Other]\r\nA=1\r\n[SignalForm]\r\nTop=5\r\n[Zed]\r\nB=2\r\n");
    SaveProjectFile(path("p.flt"), Pointers(windows), ',');
    const QByteArray content = readAll(path("p.flt"));
    EXPECT_TRUE(content.startsWith("[Other]\r\nA=1\r\n[Zed]\r\nB=2\r\n[MainForm]\r\n")) << content.toStdString();
    EXPECT_LT(content.indexOf("[MainForm]"), content.indexOf("[SignalForm]"));
    EXPECT_LT(content.indexOf("[FilterForm]"), content.indexOf("[SpectorForm]"));
    EXPECT_EQ(content.count("[SignalForm]"), 1);
    EXPECT_FALSE(content.contains("Top=5"));
}

TEST_F(ProjectTest, OverwriteIsAskedEveryTimeAndNoWritesNothing) {
    const QString name = path("p.flt");
    writeAll(name, "old");
    host.answers = {name, name, name};
    host.yesNo = {false, true, true};
    EXPECT_EQ(SaveProject(dialog, "caption", Pointers(windows), host, ','), QString("caption"));
    EXPECT_EQ(readAll(name), QByteArray("old"));
    EXPECT_EQ(SaveProject(dialog, "caption", Pointers(windows), host, ','), name);
    EXPECT_TRUE(readAll(name).startsWith("old\r\n[MainForm]"));
    EXPECT_EQ(SaveProject(dialog, name, Pointers(windows), host, ','), name);
    ASSERT_EQ(host.questions.size(), 3u);
    EXPECT_EQ(host.questions[0].first, QString("Confirm"));
    EXPECT_EQ(host.questions[0].second, "Файл с именем \r" + name + "\rуже существует\rЗаписать в него?");
    EXPECT_EQ(host.titles[0], QString("Сохранить проект в файл как..."));
    EXPECT_EQ(dialog.initialDirectory, dir.path());
}

TEST_F(ProjectTest, SaveToANewFileAsksNothing) {
    host.answers = {path("new.flt")};
    EXPECT_EQ(SaveProject(dialog, "c", Pointers(windows), host, ','), path("new.flt"));
    EXPECT_TRUE(host.questions.empty());
    EXPECT_TRUE(QFile::exists(path("new.flt")));
}

TEST_F(ProjectTest, OpeningAMissingFileSaysSoAndChangesNothing) {
    host.answers = {path("missing.flt")};
    EXPECT_EQ(OpenProject(dialog, "caption", Pointers(windows), host), QString("caption"));
    ASSERT_EQ(host.informations.size(), 1u);
    EXPECT_EQ(host.informations[0].first, QString("Information"));
    EXPECT_EQ(host.informations[0].second, "Не существует Файл \r" + path("missing.flt"));
    EXPECT_EQ(host.titles[0], QString("Загрузить проект из файла"));
    EXPECT_EQ(win(0).control("FNmSuperSpin").changes, 0);
}

TEST_F(ProjectTest, CancelledDialogKeepsTheCaptionAndTheLastDirectory) {
    dialog.fileName = "NoName.flt";
    EXPECT_EQ(OpenProject(dialog, "caption", Pointers(windows), host), QString("caption"));
    EXPECT_EQ(dialog.initialDirectory, QString());
    EXPECT_EQ(DirectoryPart("C:\\p.flt"), QString("C:\\"));
    EXPECT_EQ(DirectoryPart("/home/user/p.flt"), QString("/home/user"));
    EXPECT_EQ(DirectoryPart("/p.flt"), QString("/"));
}

TEST_F(ProjectTest, AFileWithSomeKeysChangesOnlyThoseControls) {
    writeAll(path("p.flt"), "[SignalForm]\nExp_Am_NmSuperSpin=2,5\n[SpectorForm]\nCheckBox9=1\nLeft=7\n");
    host.answers = {path("p.flt")};
    EXPECT_EQ(OpenProject(dialog, "c", Pointers(windows), host), path("p.flt"));
    EXPECT_EQ(win(1).control("Exp_Am_NmSuperSpin").number, 2.5);
    EXPECT_TRUE(win(3).control("CheckBox9").check);
    EXPECT_EQ(win(3).frameRect, QRect(7, 289, 815, 609));
    EXPECT_EQ(win(1).control("Exp_F_NmSuperSpin").changes, 0);
    EXPECT_EQ(win(1).control("Exp_F_NmSuperSpin").number, 0.04);
    EXPECT_EQ(win(0).frameRect, QRect(1, 1, 870, 640));
}

TEST_F(ProjectTest, ValuesOutsideTheRangesLoadAsTheControlsAllow) {
    writeAll(path("p.flt"), "[MainForm]\nSWNmSpinEdit=20000\nFNmSuperSpin=-5\n"
                            "[FilterForm]\nResponseRadioGroup=5\nRadioGroup1=-3\nEpochNmSpinEdit=abc\n");
    LoadProjectFile(path("p.flt"), Pointers(windows));
    EXPECT_EQ(win(0).control("SWNmSpinEdit").integer, 10000);
    EXPECT_EQ(win(0).control("FNmSuperSpin").number, -5.0) << "floats load as they are";
    EXPECT_EQ(win(2).control("ResponseRadioGroup").integer, 2);
    EXPECT_EQ(win(2).control("RadioGroup1").integer, -1);
    EXPECT_EQ(win(2).control("EpochNmSpinEdit").integer, 50000) << "not an integer: kept";
}

TEST_F(ProjectTest, FilterWindowSizeIsWrittenButNotApplied) {
    writeAll(path("p.flt"), "[FilterForm]\nTop=11\nLeft=12\nWidth=100\nHeight=100\n[SignalForm]\nWidth=300\n");
    LoadProjectFile(path("p.flt"), Pointers(windows));
    EXPECT_EQ(win(2).frameRect, QRect(12, 11, 566, 771));
    EXPECT_EQ(win(1).frameRect.width(), 300);
}

TEST_F(ProjectTest, HiddenMainWindowInTheFileStaysShown) {
    writeAll(path("p.flt"), "[MainForm]\nWisible=0\n[SignalForm]\nWisible=1\n");
    LoadProjectFile(path("p.flt"), Pointers(windows));
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
    QTemporaryDir dir;
    auto windows = MakeProgramWindows();
    windows[1]->control("Exp_F_NmSuperSpin").number = 0.0375;
    windows[2]->control("K_NmSuperSpin").number = -1234.5;
    SaveProjectFile(dir.filePath("p.flt"), Pointers(windows), GetParam().written);
    const QByteArray content = readAll(dir.filePath("p.flt"));
    EXPECT_TRUE(content.contains(QByteArray("Exp_F_NmSuperSpin=0") + GetParam().written + "0375"));
    auto fresh = MakeProgramWindows();
    LoadProjectFile(dir.filePath("p.flt"), Pointers(fresh));
    EXPECT_EQ(fresh[1]->control("Exp_F_NmSuperSpin").number, 0.0375);
    EXPECT_EQ(fresh[2]->control("K_NmSuperSpin").number, -1234.5);
}

INSTANTIATE_TEST_SUITE_P(Separators, ProjectLocaleTest,
                         ::testing::Values(LocaleCase{"comma", ','}, LocaleCase{"point", '.'}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ProjectTest, MalformedFloatChangesNothingAnywhere) {
    writeAll(path("p.flt"), "[MainForm]\nTop=300\nSWNmSpinEdit=50\n[SignalForm]\nExp_Am_NmSuperSpin=1;5\n");
    host.answers = {path("p.flt")};
    dialog.initialDirectory = "before";
    try {
        OpenProject(dialog, "caption", Pointers(windows), host);
        FAIL() << "no error";
    } catch (const base::Error &error) {
        EXPECT_STREQ(error.what(), "'1;5' is not a valid floating point value.");
    }
    EXPECT_EQ(win(0).frameRect.top(), 1);
    EXPECT_EQ(win(0).control("SWNmSpinEdit").integer, 1000);
    EXPECT_EQ(win(0).control("SWNmSpinEdit").changes, 0);
    EXPECT_EQ(dialog.initialDirectory, QString("before"));
}

TEST_F(ProjectTest, UnreadableFieldStopsTheSaveAndLeavesTheOldFile) {
    writeAll(path("p.flt"), "old content");
    win(1).control("Exp_Am_NmSuperSpin").unreadable = true;
    EXPECT_THROW(SaveProjectFile(path("p.flt"), Pointers(windows), ','), base::Error);
    EXPECT_EQ(readAll(path("p.flt")), QByteArray("old content"));
    EXPECT_TRUE(win(1).enabled) << "the window gets its enabled state back";
}

// Only a regular file of project size is read: a FIFO (opening it would block), a folder, a
// device and a huge file are refused before anything is read, and nothing changes.
TEST_F(ProjectTest, WhatCannotBeAProjectIsRefusedAtOnce) {
    const QString fifo = path("fifo.flt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString huge = path("huge.flt");
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(50 * 1000 * 1000)); // sparse: 50 MB that cost nothing to make
    }
    const std::pair<QString, QString> cases[] = {
        {fifo, "Файл " + fifo + " не является файлом проекта"},
        {dir.path(), "Файл " + dir.path() + " не является файлом проекта"},
        {"/dev/zero", "Файл /dev/zero не является файлом проекта"},
        {huge, "Файл " + huge + " слишком велик для файла проекта"},
    };
    for (const auto &[name, message] : cases) {
        try {
            LoadProjectFile(name, Pointers(windows));
            ADD_FAILURE() << "no error for " << name.toStdString();
        } catch (const base::Error &error) {
            EXPECT_EQ(QString::fromUtf8(error.what()), message);
        }
        EXPECT_EQ(win(0).control("SWNmSpinEdit").changes, 0);
        // Saving over it is refused too, and leaves it what it was.
        EXPECT_THROW(SaveProjectFile(name, Pointers(windows), ','), base::Error) << name.toStdString();
    }
    EXPECT_EQ(QFileInfo(huge).size(), 50 * 1000 * 1000);
}

TEST_F(ProjectTest, UnwritablePlaceIsReported) {
    const QString name = "/proc/pulsefir-project-test.flt";
    try {
        SaveProjectFile(name, Pointers(windows), ',');
        FAIL() << "no error";
    } catch (const base::Error &error) {
        EXPECT_EQ(QString(error.what()), "Unable to write to " + name + ".\nнет такого файла или папки");
    }
    for (auto &w : windows)
        EXPECT_TRUE(w->enabled);
}

TEST_F(ProjectTest, KindsNoWindowHasAreStoredAsTheFormatSays) {
    FakeWindow window("Extra", QRect(0, 0, 10, 10), true);
    window.add("Edit1", ControlKind::Edit).textValue = "hello";
    window.add("TrackBar1", ControlKind::TrackBar).integer = 7;
    window.add("SpeedButton1", ControlKind::SpeedButton).check = true;
    FakeControl &grid = window.add("G", ControlKind::StringGrid);
    grid.columns = 3;
    grid.rows = 14;
    grid.cells[{2, 13}] = "x";
    const QByteArray content = ComposeProject({}, {&window}, ',');
    EXPECT_TRUE(content.contains(
        "Edit1=hello\r\nTrackBar1=7\r\nSpeedButton1=1\r\nGColCount=3\r\nGRowCount=14\r\nG00000000=\r\n"));
    EXPECT_TRUE(content.contains("G00020013=x\r\nWisible=0"));
    EXPECT_EQ(GridCellKey("G", 2, 13), QString("G00020013"));

    FakeWindow loaded("Extra", QRect(0, 0, 10, 10), true);
    loaded.add("Edit1", ControlKind::Edit);
    loaded.add("TrackBar1", ControlKind::TrackBar);
    loaded.add("SpeedButton1", ControlKind::SpeedButton);
    FakeControl &loadedGrid = loaded.add("G", ControlKind::StringGrid);
    LoadWindowSettings(IniDocument::parse(content), loaded);
    EXPECT_EQ(loaded.control("Edit1").textValue, QString("hello"));
    EXPECT_EQ(loaded.control("TrackBar1").integer, 7);
    EXPECT_TRUE(loaded.control("SpeedButton1").check);
    EXPECT_EQ(loadedGrid.columns, 3);
    EXPECT_EQ(loadedGrid.cell(2, 13), QString("x"));
    // Without counts the grid takes 1 x 1, not its present size.
    LoadWindowSettings(IniDocument::parse("[Extra]\nG00000000=only\n"), loaded);
    EXPECT_EQ(loadedGrid.columns, 1);
    EXPECT_EQ(loadedGrid.rows, 1);
    EXPECT_EQ(loadedGrid.cell(0, 0), QString("only"));
}

TEST_F(ProjectTest, CommandLineReadsTheParameterKeysWithTheWindowsRules) {
    writeAll(path("p.flt"), "[MainForm]\nFNmSuperSpin=1.6\nSWNmSpinEdit=0x20\n[FilterForm]\nWinTypeRadioGroup=9\n"
                            "EpochNmSpinEdit=0\n[SpectorForm]\nCheckBox9=5\n");
    ParameterValues values;
    ReadProjectParameters(path("p.flt"), values);
    EXPECT_EQ(values.get("MainForm", "FNmSuperSpin"), 1.6);
    EXPECT_EQ(values.get("MainForm", "SWNmSpinEdit"), 32);
    EXPECT_EQ(values.get("FilterForm", "WinTypeRadioGroup"), 6);
    EXPECT_EQ(values.get("FilterForm", "EpochNmSpinEdit"), 1);
    EXPECT_EQ(values.get("SpectorForm", "CheckBox9"), 1);
    writeAll(path("bad.flt"), "[MainForm]\nSWNmSpinEdit=5\nFNmSuperSpin=x\n");
    EXPECT_THROW(ReadProjectParameters(path("bad.flt"), values), base::Error);
    EXPECT_EQ(values.get("MainForm", "SWNmSpinEdit"), 32) << "nothing half-read";
}
