#include <gtest/gtest.h>

#include <string>

#include "fake_windows.h"
#include "project/SaveLoadPrjUnit.h"
#include "project/pulse_set_section.h"

using namespace pulsefir;
using namespace pulsefir::project;

namespace {

struct ListCase {
    std::string name;
    PulseSetList list;
};

class PulseSetSectionTest : public testing::TestWithParam<ListCase> {};

// Written with the windows' sections and read back from the text, the list is what it was, and
// the windows' sections come first, untouched by it.
TEST_P(PulseSetSectionTest, RoundTripThroughTheProjectText) {
    const PulseSetList &list = GetParam().list;
    auto windows = makeProgramWindows();
    Windows pointers;
    for (auto &w : windows)
        pointers.push_back(w.get());
    PulseSetList loaded{{"stale.csv", true}};
    PulseSetProjectSection section([&] { return list; }, [&](const PulseSetList &read) { loaded = read; });
    const std::string text = composeProject({}, pointers, ',', {&section});
    EXPECT_EQ(text, composeProject(text, pointers, ',', {&section})) << "saving again changes nothing";
    EXPECT_LT(text.find("[SpectorForm]"), text.find("[PulseSet]"));
    EXPECT_EQ(text.find("[PulseSet]"), text.rfind("[PulseSet]"));

    const IniDocument document = IniDocument::parse(text);
    ASSERT_TRUE(readPulseSet(document).has_value());
    EXPECT_EQ(*readPulseSet(document), list);
    std::vector<std::string> unusable;
    const auto apply = section.plan(document, unusable);
    ASSERT_TRUE(apply);
    apply();
    EXPECT_EQ(loaded, list);
    EXPECT_TRUE(unusable.empty());
}

INSTANTIATE_TEST_SUITE_P(Lists, PulseSetSectionTest,
                         testing::Values(ListCase{"Empty", {}}, ListCase{"OneTraining", {{"/data/pulse 1.csv", false}}},
                                         ListCase{"MixedRoles",
                                                  {{"a.wav", false}, {"b.npy", true}, {"Импульс.txt", false}}}),
                         [](const auto &info) { return info.param.name; });

TEST(PulseSetSectionReadTest, MissingSectionLeavesTheListAlone) {
    PulseSetList held{{"kept.csv", true}};
    PulseSetProjectSection section([&] { return held; }, [&](const PulseSetList &read) { held = read; });
    const IniDocument document = IniDocument::parse("[FilterForm]\r\nWINNmSpinEdit=50\r\n");
    EXPECT_FALSE(readPulseSet(document).has_value());
    std::vector<std::string> unusable;
    EXPECT_FALSE(section.plan(document, unusable)) << "nothing to apply without the section";
    EXPECT_EQ(held, (PulseSetList{{"kept.csv", true}}));
}

struct DamagedCase {
    std::string name;
    std::string text;
    PulseSetList expected;
};

class PulseSetDamagedTest : public testing::TestWithParam<DamagedCase> {};

TEST_P(PulseSetDamagedTest, ReadsWhatIsThere) {
    const auto list = readPulseSet(IniDocument::parse(GetParam().text));
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(*list, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Damaged, PulseSetDamagedTest,
    testing::Values(
        DamagedCase{"CountNotANumber", "[PulseSet]\r\nCount=x\r\nFile0000=a\r\n", {}},
        DamagedCase{"NegativeCount", "[PulseSet]\r\nCount=-3\r\nFile0000=a\r\n", {}},
        DamagedCase{"CountBeyondTheEntries", "[PulseSet]\r\nCount=5\r\nFile0000=a\r\nCheck0000=1\r\n", {{"a", true}}},
        DamagedCase{"MissingFlagIsTraining",
                    "[PulseSet]\r\nCount=2\r\nFile0000=a\r\nFile0001=b\r\n"
                    "Check0001=1\r\n",
                    {{"a", false}, {"b", true}}},
        DamagedCase{"GapEndsTheList", "[PulseSet]\r\nCount=3\r\nFile0000=a\r\nFile0002=c\r\n", {{"a", false}}}),
    [](const auto &info) { return info.param.name; });

} // namespace
