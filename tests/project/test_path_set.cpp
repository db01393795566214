#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "project/ini_file.h"
#include "project/path_set.h"
#include "project/pulse_set_section.h"

using namespace pulsefir::project;

namespace {

struct GridCase {
    std::string name;
    double from, to;
    int count;
    std::vector<double> expected;
};

class LinearGridTest : public testing::TestWithParam<GridCase> {};

TEST_P(LinearGridTest, EndsIncludedEquallySpaced) {
    const GridCase &c = GetParam();
    const std::vector<double> grid = linearGrid(c.from, c.to, c.count);
    ASSERT_EQ(grid.size(), c.expected.size());
    for (std::size_t k = 0; k < grid.size(); ++k)
        EXPECT_DOUBLE_EQ(grid[k], c.expected[k]) << k;
    if (c.count > 1)
        EXPECT_EQ(grid.back(), c.to); // the end itself, not a sum of steps near it
}

INSTANTIATE_TEST_SUITE_P(Grids, LinearGridTest,
                         testing::Values(GridCase{"FiveDistances", 0.05, 1.0, 5, {0.05, 0.2875, 0.525, 0.7625, 1.0}},
                                         GridCase{"ThreeTemperatures", 10, 30, 3, {10, 20, 30}},
                                         GridCase{"Descending", 30, -10, 3, {30, 10, -10}},
                                         GridCase{"OneTakesFrom", 40, 90, 1, {40}},
                                         GridCase{"TwoAreTheEnds", 0.1, 0.3, 2, {0.1, 0.3}},
                                         GridCase{"NoneBelowOne", 1, 2, 0, {}}),
                         [](const auto &info) { return info.param.name; });

TEST(PathSetTest, GridIsDistancesOutermostThenTemperaturesThenHumidities) {
    FilterSettings f;
    f.pathSetDistanceFrom = 0.1;
    f.pathSetDistanceTo = 0.2;
    f.pathSetDistanceCount = 2;
    f.pathSetTemperatureFrom = 0;
    f.pathSetTemperatureTo = 20;
    f.pathSetTemperatureCount = 3;
    f.pathSetHumidityFrom = 30;
    f.pathSetHumidityTo = 60;
    f.pathSetHumidityCount = 2;
    const auto grid = pathSetGrid(f);
    ASSERT_EQ(grid.size(), 12u);
    EXPECT_EQ(grid[0], (PathConditions{0.1, 0, 30}));
    EXPECT_EQ(grid[1], (PathConditions{0.1, 0, 60}));
    EXPECT_EQ(grid[2], (PathConditions{0.1, 10, 30}));
    EXPECT_EQ(grid[6], (PathConditions{0.2, 0, 30}));
    EXPECT_EQ(grid[11], (PathConditions{0.2, 20, 60}));
    f.pathSetHumidityCount = 0;
    EXPECT_TRUE(pathSetGrid(f).empty());
}

struct NameCase {
    std::string name;
    PathConditions conditions;
    char decimal;
    std::string expected;
};

class PathMemberNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(PathMemberNameTest, DistanceTemperatureHumidityInThatOrder) {
    EXPECT_EQ(pathMemberName(GetParam().conditions, GetParam().decimal), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PathMemberNameTest,
    testing::Values(NameCase{"Comma", {0.5, 20, 50}, ',', "0,50 м; 20 °C; 50 %"},
                    NameCase{"Point", {0.5, 20, 50}, '.', "0.50 м; 20 °C; 50 %"},
                    NameCase{"FractionsToOneDecimal", {0.2875, 12.5, 33.333333}, ',', "0,29 м; 12,5 °C; 33,3 %"},
                    NameCase{"FrostAndAMetre", {1.0, -10, 100}, '.', "1.00 м; -10 °C; 100 %"},
                    NameCase{"NoNegativeZero", {12.345, -0.04, 0.0}, ',', "12,35 м; 0 °C; 0 %"}),
    [](const auto &info) { return info.param.name; });

TEST(PathSetTest, MemberPathTakesTheRecordedConditionsAndNoDelay) {
    SignalSettings s;
    s.pathDistance = 0.12;
    s.pathTemperature = 18;
    s.pathHumidity = 40;
    s.pathPressure = 95;
    s.pathSpreading = 0;
    s.pathDelay = true;
    const pulsefir::core::PathParameters path = memberPath(s, {0.7, 25, 80});
    EXPECT_EQ(path.Recorded.Distance, 0.12);
    EXPECT_EQ(path.Recorded.Air.Temperature, 18);
    EXPECT_EQ(path.Recorded.Air.Humidity, 40);
    EXPECT_EQ(path.Target.Distance, 0.7);
    EXPECT_EQ(path.Target.Air.Temperature, 25);
    EXPECT_EQ(path.Target.Air.Humidity, 80);
    EXPECT_EQ(path.Target.Air.Pressure, 95);
    EXPECT_EQ(path.Wave, pulsefir::core::Spreading::Plane);
    EXPECT_FALSE(path.KeepDelay);
    EXPECT_TRUE(signalPath(s).KeepDelay);
    s.pathSpreading = 1;
    EXPECT_EQ(memberPath(s, {0.7, 25, 80}).Wave, pulsefir::core::Spreading::Spherical);
}

TEST(PathSetTest, SectionKeepsPathMembersBesideFiles) {
    const PulseSetList list{{"a.txt", false, std::nullopt},
                            {"0.29 м; 12.5 °C; 33.3 %", true, PathConditions{0.2875, 12.5, 33.333333333333336}},
                            {"b.wav", true, std::nullopt},
                            {"1.00 м; -10 °C; 100 %", false, PathConditions{1.0, -10, 100}}};
    IniDocument document;
    writePulseSet(document, list);
    const auto read = readPulseSet(IniDocument::parse(document.serialize()));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, list); // the conditions to the last bit
    // A path member whose numbers cannot be read keeps the defaults, as a missing key would.
    IniDocument broken = IniDocument::parse(document.serialize());
    broken.writeString(PulseSetSectionName, "PathTemperature0001", "warm");
    const auto reread = readPulseSet(broken);
    ASSERT_TRUE(reread && (*reread)[1].path);
    EXPECT_EQ((*reread)[1].path->temperature, PathConditions{}.temperature);
    EXPECT_EQ((*reread)[1].path->distance, 0.2875);
}

} // namespace
