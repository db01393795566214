#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/text_reader.h"
#include "malformed_file.h"

using namespace pulsefir;
using namespace pulsefir::io;

struct TextCase {
    const char *name;
    const char *content;
    std::vector<double> samples;
    double rate; // MHz, 0: the file states none
};

class TextReading : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextReading, ColumnsSeparatorsAndDecimalMarks) {
    const TextCase c = GetParam();
    const PulseData data = readPulseText(c.content, "pulse.csv");
    EXPECT_EQ(data.samples, c.samples);
    if (c.rate == 0)
        EXPECT_FALSE(data.samplingFrequency);
    else
        EXPECT_NEAR(data.samplingFrequency.value_or(0), c.rate, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, TextReading,
    ::testing::Values(TextCase{"one_column_header_and_comments",
                               "Pulse from scope\n# volts\n0.5\n\n-1.25e-3\n% end\n2\n",
                               {0.5, -1.25e-3, 2},
                               0},
                      TextCase{
                          "semicolons_with_decimal_commas", "t;u\n0,0;1,5\n1,25;-2,5\n2,5;0\n", {1.5, -2.5, 0}, 0.8},
                      TextCase{"tabs", "0\t1.5\n0.5\t2\n1.0\t3\n", {1.5, 2, 3}, 2},
                      TextCase{"blanks_with_decimal_commas", "  0   1,5\n 1  -2,5\n", {1.5, -2.5}, 1},
                      TextCase{"commas_with_points", "time_us,value\n0,0.5\n1.25,0.25\n2.5,-1\n", {0.5, 0.25, -1}, 0.8},
                      TextCase{"comma_and_blank_separated", "0, 0.5\n1, -0.5\n", {0.5, -0.5}, 1},
                      TextCase{"single_column_decimal_commas", "1,5\n-2,25\n+3\n", {1.5, -2.25, 3}, 0},
                      TextCase{"crlf_lines_and_bom", "\xEF\xBB\xBFvalue\r\n1.5\r\n2.5\r\n", {1.5, 2.5}, 0}),
    [](const auto &info) { return std::string(info.param.name); });

// The text rows of the malformed files.
INSTANTIATE_TEST_SUITE_P(
    Faults, MalformedFile,
    ::testing::Values(BadFile{"empty", ".csv", "", ": файл пуст"},
                      BadFile{"comments_only", ".txt", "# nothing\n\n", "нет ни одного числа"},
                      BadFile{"text_in_number_column", ".csv", "u\n0.1\n0.2\nabc\n", "строка 4: 'abc' не число"},
                      BadFile{"wrong_column_count", ".csv", "0;1\n1;2\n3\n", "строка 3: 1 столбец вместо 2"},
                      BadFile{"one_row_of_time", ".dat", "1 2 3\n", "строка 1: время не возрастает"},
                      BadFile{"irregular_time", ".csv", "0;1\n1;2\n2;3\n4;4\n",
                              "строка 4: шаг времени перед отсчётом 3"},
                      BadFile{"nan_in_text", ".txt", "1.5\nNaN\n", "строка 2: 'NaN' не конечное число"},
                      BadFile{"inf_in_text", ".csv", "0;1\n1;-inf\n", "строка 2: '-inf' не конечное число"},
                      BadFile{"ambiguous_commas", ".csv", "1,5\n2,5\n", "FileDecimalRadioGroup"}),
    badFileName);
