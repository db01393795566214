#include "instrument_layouts.h"

#include <array>

#include "base/number_text.h"
#include "io/reader_common.h"
#include "io/time_units.h"

namespace pulsefir::io {

namespace {

// An instrument writes its header in the first few dozen lines; a table header further down
// is not looked for.
constexpr std::size_t HeaderSearchLines = 200;

bool sameWord(std::string_view field, std::string_view word) {
    if (field.size() != word.size())
        return false;
    for (std::size_t k = 0; k < field.size(); ++k) {
        char c = field[k];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
        if (c != word[k])
            return false;
    }
    return true;
}

bool isNumber(std::string_view field) {
    return base::parseDataNumber(field, false).has_value();
}

std::optional<double> numberOf(std::string_view field) {
    return base::parseDataNumber(field, false);
}

// A name of a header entry without the ':' that some instruments write after it.
std::string_view entryName(std::string_view field) {
    while (!field.empty() && (field.back() == ':' || isBlank(field.back())))
        field.remove_suffix(1);
    return field;
}

bool contains(std::string_view field, std::string_view word) {
    if (field.size() < word.size())
        return false;
    for (std::size_t k = 0; k + word.size() <= field.size(); ++k)
        if (sameWord(field.substr(k, word.size()), word))
            return true;
    return false;
}

std::size_t lookedAt(std::span<const TextLine> lines) {
    return std::min(lines.size(), HeaderSearchLines);
}

// ---- The layouts --------------------------------------------------------------------------------

// Older bench oscilloscopes: six fields a row, the header entries in fields 0-2 ("Sample
// Interval,2.000000e-06,s") beside the time and the value in fields 3 and 4, then rows whose
// first three fields are empty. A spreadsheet that saved the file again puts ",,,x,y" above.
std::optional<LayoutPlan> headerBesideData(std::span<const TextLine> lines) {
    bool found = false;
    for (std::size_t k = 0; k < lookedAt(lines) && !found; ++k) {
        const auto f = splitAt(lines[k].text, ',');
        found = f.size() >= 5 && sameWord(f[0], "record length");
    }
    if (!found)
        return std::nullopt;
    LayoutPlan plan;
    plan.layout = "Record Length/Sample Interval";
    plan.channelFields = {4};
    plan.timeFields = {3};
    plan.channelLabels = {""};
    std::string horizontalUnit;
    std::string intervalUnit;
    for (const TextLine &line : lines) {
        const auto f = splitAt(line.text, ',');
        if (plan.firstDataLine == 0 && f.size() >= 5 && isNumber(f[3]) && isNumber(f[4]))
            plan.firstDataLine = line.number;
        if (f.size() < 2 || f[0].empty())
            continue;
        if (sameWord(f[0], "sample interval")) {
            if (const auto v = valueWithUnit(f[1], false)) {
                plan.interval = v->value;
                intervalUnit = !v->unit.empty() ? v->unit : f.size() > 2 ? std::string(f[2]) : std::string();
            }
        } else if (sameWord(f[0], "horizontal units")) {
            horizontalUnit = f[1];
        } else if (sameWord(f[0], "source")) {
            plan.channelLabels[0] = f[1];
        }
    }
    if (plan.firstDataLine == 0)
        return std::nullopt;
    plan.unitText = !horizontalUnit.empty() ? horizontalUnit : intervalUnit;
    return plan;
}

// Newer oscilloscopes: a block of "name,value" lines, rows of bare separators, then a table
// under "TIME,CH1,CH2"; a "save all" file sets several such tables side by side, each under its
// own TIME ("TIME,CH1,CH2,,TIME,MATH").
std::optional<LayoutPlan> timeTableUnderBlock(std::span<const TextLine> lines) {
    for (std::size_t k = 0; k < lookedAt(lines); ++k) {
        const auto f = splitAt(lines[k].text, ',');
        if (f.size() < 2 || f[0] != "TIME" || k + 1 >= lines.size())
            continue;
        LayoutPlan plan;
        plan.layout = "TIME,CH…";
        plan.secondsByLayout = true;
        std::optional<std::size_t> time;
        std::size_t blocks = 0;
        for (std::size_t c = 0; c < f.size(); ++c) {
            if (f[c] == "TIME") {
                time = c;
                ++blocks;
            } else if (!f[c].empty()) {
                plan.channelFields.push_back(c);
                plan.channelLabels.emplace_back(f[c]);
                plan.timeFields.push_back(time);
            }
        }
        plan.firstDataLine = lines[k + 1].number;
        for (std::size_t h = 0; h < k; ++h) {
            const auto e = splitAt(lines[h].text, ',');
            if (e.size() < 2)
                continue;
            // Side by side, each table may have its own interval: its time column says it.
            if (sameWord(e[0], "sample interval") && blocks == 1)
                plan.interval = numberOf(e[1]);
            else if (sameWord(e[0], "horizontal units"))
                plan.unitText = e[1];
        }
        return plan;
    }
    return std::nullopt;
}

// Channels without a time column: "[X,]CH1,CH2,Start,Increment," with the start time and the
// increment, in seconds, on the second line only, which is either the first row of samples or
// a row of units ("Sequence,Volt,Volt,-6e-05,2e-07,").
std::optional<LayoutPlan> channelsStartIncrement(std::span<const TextLine> lines) {
    std::size_t first = 0;
    while (first < lines.size() && (lines[first].text.empty() || lines[first].text[0] == '#'))
        ++first;
    if (first + 2 >= lines.size())
        return std::nullopt;
    const auto names = splitAt(lines[first].text, ',');
    std::optional<std::size_t> start;
    std::optional<std::size_t> increment;
    for (std::size_t c = 0; c < names.size(); ++c) {
        if (sameWord(names[c], "start"))
            start = c;
        else if (sameWord(names[c], "increment"))
            increment = c;
    }
    if (!start || !increment || *start == 0 || *increment == 0)
        return std::nullopt;
    const auto second = splitAt(lines[first + 1].text, ',');
    if (second.size() <= std::max(*start, *increment))
        return std::nullopt;
    LayoutPlan plan;
    plan.layout = "CH…,Start,Increment";
    plan.secondsByLayout = true;
    plan.start = numberOf(second[*start]);
    plan.interval = numberOf(second[*increment]);
    if (!plan.start || !plan.interval)
        return std::nullopt;
    const std::size_t firstChannel = sameWord(names[0], "x") ? 1 : 0;
    bool secondHoldsSamples = true;
    for (std::size_t c = firstChannel; c < std::min(*start, *increment); ++c) {
        if (names[c].empty())
            continue;
        plan.channelFields.push_back(c);
        plan.channelLabels.emplace_back(names[c]);
        plan.timeFields.emplace_back();
        secondHoldsSamples = secondHoldsSamples && isNumber(second[c]);
    }
    if (plan.channelFields.empty())
        return std::nullopt;
    plan.firstDataLine = lines[secondHoldsSamples ? first + 1 : first + 2].number;
    return plan;
}

// Handheld oscilloscopes: "Name :,value" lines, the units glued to the numbers ("Time interval
// :,0.08uS"), then a table under "index,CH1_Voltage(mV)".
std::optional<LayoutPlan> colonHeaderIndexTable(std::span<const TextLine> lines) {
    for (std::size_t k = 1; k < lookedAt(lines); ++k) {
        const auto f = splitAt(lines[k].text, ',');
        if (f.size() < 2 || !sameWord(f[0], "index") || k + 1 >= lines.size())
            continue;
        LayoutPlan plan;
        plan.layout = "Name :,value / index,CH…";
        bool colonNames = false;
        for (std::size_t h = 0; h < k; ++h) {
            auto e = splitAt(lines[h].text, ',');
            if (e.size() == 1 && e[0].find(':') != std::string_view::npos) { // "Time interval : 0.08uS"
                const std::size_t colon = e[0].find(':');
                e = {trim(e[0].substr(0, colon + 1)), trim(e[0].substr(colon + 1))};
            }
            if (e.size() < 2 || e[0].empty() || e[0].back() != ':')
                continue;
            colonNames = true;
            const std::string_view entry = entryName(e[0]);
            if (contains(entry, "interval"))
                if (const auto v = valueWithUnit(e[1], false)) {
                    plan.interval = v->value;
                    plan.unitText = v->unit;
                }
        }
        if (!colonNames)
            return std::nullopt;
        for (std::size_t c = 1; c < f.size(); ++c)
            if (!f[c].empty()) {
                plan.channelFields.push_back(c);
                plan.channelLabels.emplace_back(f[c]);
                plan.timeFields.emplace_back();
            }
        plan.firstDataLine = lines[k + 1].number;
        return plan;
    }
    return std::nullopt;
}

// A sample-number column before the time and the channels ("Sample,Time(S),CH1(V),CH2(V)"),
// with the rate, in Hz, stated in a comment (";Sample rate,1e+07").
std::optional<LayoutPlan> sampleTimeChannels(std::span<const TextLine> lines) {
    for (std::size_t k = 0; k < lookedAt(lines); ++k) {
        const auto f = splitAt(lines[k].text, ',');
        if (f.size() < 3 || !(sameWord(f[0], "sample") || sameWord(f[0], "samples")) || k + 1 >= lines.size())
            continue;
        if (!contains(f[1], "time") && !timeUnitOfLabel(f[1]).unit)
            return std::nullopt;
        LayoutPlan plan;
        plan.layout = "Sample,Time,CH…";
        // The unit stands in brackets after the name ("Time(S)").
        const std::size_t open = f[1].find_first_of("([");
        const std::size_t close = f[1].find_first_of(")]", open);
        if (open != std::string_view::npos && close != std::string_view::npos)
            plan.unitText = f[1].substr(open + 1, close - open - 1);
        for (std::size_t c = 2; c < f.size(); ++c)
            if (!f[c].empty()) {
                plan.channelFields.push_back(c);
                plan.channelLabels.emplace_back(f[c]);
                plan.timeFields.emplace_back(1);
            }
        for (std::size_t h = 0; h < k; ++h) {
            std::string_view comment = lines[h].text;
            while (!comment.empty() && (comment[0] == ';' || comment[0] == '#'))
                comment.remove_prefix(1);
            const auto e = splitAt(comment, ',');
            if (e.size() >= 2 && sameWord(e[0], "sample rate"))
                plan.rateHz = numberOf(e[1]);
        }
        plan.firstDataLine = lines[k + 1].number;
        return plan;
    }
    return std::nullopt;
}

constexpr std::array Layouts{
    InstrumentLayout{"header beside data", headerBesideData},
    InstrumentLayout{"TIME table under a block", timeTableUnderBlock},
    InstrumentLayout{"channels, start, increment", channelsStartIncrement},
    InstrumentLayout{"colon header, index table", colonHeaderIndexTable},
    InstrumentLayout{"sample, time, channels", sampleTimeChannels},
};

} // namespace

std::span<const InstrumentLayout> instrumentLayouts() {
    return Layouts;
}

std::vector<std::string_view> splitAt(std::string_view line, char separator) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = line.find(separator, start);
        std::string_view f = trim(line.substr(start, end == std::string_view::npos ? end : end - start));
        if (f.size() >= 2 && f.front() == '"' && f.back() == '"')
            f = trim(f.substr(1, f.size() - 2));
        fields.push_back(f);
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return fields;
}

} // namespace pulsefir::io
