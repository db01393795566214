#include "text_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "base/messages.h"
#include "base/number_text.h"
#include "io/instrument_layouts.h"
#include "io/reader_common.h"
#include "io/time_units.h"

namespace pulsefir::io {

namespace {

// A time column is regular when every step lies within this share of the median step.
constexpr double StepShare = 1e-3;
// The lines of header before the data that are looked at; an instrument writes a few dozen.
constexpr std::size_t MaxHeaderLines = 1000;
// Lines looked at to decide the separator and the decimal mark.
constexpr std::size_t EvidenceLines = 256;

using base::Message;

bool isComment(std::string_view line) {
    return line.empty() || line[0] == '#' || line[0] == '%' || line[0] == ';' || line.substr(0, 2) == "//";
}

bool isControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u < 0x20 && !isBlank(c)) || u == 0x7F;
}

// A line without the blanks and control bytes at its ends: loggers pad lines with NUL bytes, which
// are ignored there. A control byte inside the line could split or join numbers: the line is
// refused, never dropped.
std::string_view trimLine(std::string_view line, const std::string &name, std::size_t lineNumber) {
    while (!line.empty() && (isBlank(line.front()) || isControl(line.front())))
        line.remove_prefix(1);
    while (!line.empty() && (isBlank(line.back()) || isControl(line.back())))
        line.remove_suffix(1);
    for (char c : line)
        if (isControl(c))
            fail(name, Message::atLine(lineNumber, Message::controlByte(static_cast<unsigned char>(c))));
    return line;
}

// A line of data starts with a number, maybe after empty fields (",,,0.1,0.5" beside a header
// block) or a quote ("0","0.5"); a line of bare separators or one whose first field is a word is a
// header line.
bool startsLikeNumber(std::string_view line) {
    const std::size_t lead = line.find_first_not_of(",;\t \"");
    if (lead == std::string_view::npos)
        return false;
    line.remove_prefix(lead);
    const char c = line[0];
    if ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.')
        return true;
    // A NaN or an infinity where the numbers begin is a fault in the data, not a header.
    std::string head;
    for (char h : line.substr(0, 3))
        head += static_cast<char>(h >= 'A' && h <= 'Z' ? h + ('a' - 'A') : h);
    return head == "nan" || head == "inf";
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    return out;
}

enum class Separator { Semicolon, Tab, Blanks, Comma };

struct TextLayout {
    Separator separator = Separator::Blanks;
    bool decimalComma = false; // a ',' inside a field is the decimal separator
    int decimalNamed = 0;      // where a ',' could be either: 1 read as a point's file, 2 as a decimal comma
};

char separatorChar(Separator s) {
    switch (s) {
    case Separator::Semicolon:
        return ';';
    case Separator::Tab:
        return '\t';
    case Separator::Blanks:
        return ' ';
    case Separator::Comma:
        break;
    }
    return ',';
}

// Every line of the text with its number, comment lines left out; a line longer than
// MaxTextLineBytes stops the reading before anything is split.
template <typename Visit> void forEachLine(std::string_view text, const std::string &name, Visit &&visit) {
    std::size_t lineNumber = 0;
    std::size_t position = 0;
    while (position < text.size()) {
        const std::size_t found = text.find('\n', position);
        const std::size_t end = found == std::string_view::npos ? text.size() : found;
        ++lineNumber;
        if (end - position > MaxTextLineBytes)
            fail(name, Message::atLine(lineNumber, Message::lineTooLong(MaxTextLineBytes)));
        const std::string_view line = trimLine(text.substr(position, end - position), name, lineNumber);
        position = end + 1;
        if (isComment(line))
            continue;
        if (!visit(line, lineNumber))
            return;
    }
}

// Splits a line into fields by the layout's separator; runs of blanks count as one. Quotes
// around a field are dropped, and so are empty fields at the end of a line ("0,1.5,").
void splitFields(std::string_view line, const TextLayout &layout, std::vector<std::string_view> &fields) {
    fields.clear();
    // A line of one field (trimmed, no separator in it): the most common pulse file.
    const bool separated = layout.separator == Separator::Blanks
                               ? std::any_of(line.begin(), line.end(), isBlank)
                               : line.find(separatorChar(layout.separator)) != std::string_view::npos;
    if (!separated && (line.empty() || line.front() != '"')) {
        fields.push_back(line);
        return;
    }
    if (layout.separator == Separator::Blanks) {
        std::size_t k = 0;
        while (k < line.size()) {
            while (k < line.size() && isBlank(line[k]))
                ++k;
            const std::size_t start = k;
            while (k < line.size() && !isBlank(line[k]))
                ++k;
            if (k > start)
                fields.push_back(line.substr(start, k - start));
        }
    } else {
        const char sep = separatorChar(layout.separator);
        if (layout.separator == Separator::Comma && layout.decimalComma) {
            fields.push_back(line);
        } else {
            std::size_t start = 0;
            while (true) {
                const std::size_t end = line.find(sep, start);
                fields.push_back(trim(line.substr(start, end == std::string_view::npos ? end : end - start)));
                if (end == std::string_view::npos)
                    break;
                start = end + 1;
            }
        }
    }
    for (std::string_view &f : fields)
        if (f.size() >= 2 && f.front() == '"' && f.back() == '"')
            f = trim(f.substr(1, f.size() - 2));
    while (fields.size() > 1 && fields.back().empty())
        fields.pop_back();
}

bool isNumber(std::string_view field, bool decimalComma) {
    return base::parseDataNumber(field, decimalComma).has_value();
}

double parseField(std::string_view field, bool decimalComma, const std::string &name, std::size_t lineNumber) {
    const auto value = base::parseDataNumber(field, decimalComma);
    if (!value) {
        if (field.empty())
            fail(name, Message::atLine(lineNumber, Message::emptyField()));
        fail(name, Message::atLine(lineNumber, Message::notANumber(field)));
    }
    if (!std::isfinite(*value))
        fail(name, Message::atLine(lineNumber, Message::notFinite(field)));
    return *value;
}

// The separator and the decimal mark, from the evidence of the first lines: where a ',' could be
// a decimal comma or a column separator and nothing tells which, the user's choice decides, and
// without one the file is refused.
TextLayout decideLayout(const std::vector<std::string_view> &header, const std::vector<std::string_view> &data,
                        DecimalChoice choice, const std::string &name, std::size_t firstDataLine) {
    const auto anyHas = [&](char c) {
        return std::any_of(data.begin(), data.end(), [c](std::string_view l) { return l.find(c) != l.npos; });
    };
    const bool comma = choice != DecimalChoice::Point;
    if (anyHas(';'))
        return {Separator::Semicolon, comma};
    if (anyHas('\t'))
        return {Separator::Tab, comma};
    const bool commaBlank = std::any_of(data.begin(), data.end(), [](std::string_view l) {
        for (std::size_t k = 0; k + 1 < l.size(); ++k)
            if (l[k] == ',' && isBlank(l[k + 1]))
                return true;
        return false;
    });
    if (commaBlank) {
        if (choice == DecimalChoice::Comma)
            fail(name, Message::atLine(firstDataLine, Message::commaWithDecimalComma()));
        return {Separator::Comma, false}; // "1, 2": commas with blanks after them
    }
    if (anyHas(' '))
        return {Separator::Blanks, comma}; // "1,5 2,5": blanks between the columns
    if (!anyHas(','))
        return {Separator::Blanks, comma}; // one column
    if (choice == DecimalChoice::Point)
        return {Separator::Comma, false, 1};
    if (choice == DecimalChoice::Comma)
        return {Separator::Comma, true, 2};

    // Only commas. They separate columns when a header names columns with commas, a number has a
    // point, a line has two commas or the first column counts 0, 1, 2, …; they are decimal commas
    // when the lines have different numbers of commas.
    const bool namesWithCommas =
        std::any_of(header.begin(), header.end(), [](std::string_view l) { return l.find(',') != l.npos; });
    const bool twoCommas = std::any_of(data.begin(), data.end(),
                                       [](std::string_view l) { return std::count(l.begin(), l.end(), ',') > 1; });
    bool counting = data.size() > 1;
    for (std::size_t k = 0; counting && k < data.size(); ++k) {
        const std::string_view lead = data[k].substr(0, data[k].find(','));
        const auto v = base::parseDataNumber(lead, false);
        const auto first = base::parseDataNumber(data[0].substr(0, data[0].find(',')), false);
        counting =
            v && first && *first == 0.0 && lead.find_first_of(".eE") == lead.npos && *v == static_cast<double>(k);
    }
    const bool columnComma = namesWithCommas || anyHas('.') || twoCommas || counting;
    const auto commas = [](std::string_view l) { return std::count(l.begin(), l.end(), ','); };
    const bool unevenCommas =
        std::any_of(data.begin(), data.end(), [&](std::string_view l) { return commas(l) != commas(data.front()); });
    if (columnComma)
        return {Separator::Comma, false, 1};
    if (unevenCommas)
        return {Separator::Comma, true, 2};
    fail(name, Message::atLine(firstDataLine, Message::decimalUndecided()));
}

// A header line split as "name,value[,unit]": by ';', a tab or ',' where it has one, else at
// a ':' or '=' and then by blanks ("Sample Interval: 2e-07 s").
std::vector<std::string_view> entryFields(std::string_view line) {
    std::vector<std::string_view> fields;
    for (Separator s : {Separator::Semicolon, Separator::Tab, Separator::Comma})
        if (line.find(separatorChar(s)) != std::string_view::npos) {
            splitFields(line, {s, false}, fields);
            return fields;
        }
    const std::size_t mark = line.find_first_of(":=");
    if (mark == std::string_view::npos)
        return fields;
    fields.push_back(trim(line.substr(0, mark)));
    std::vector<std::string_view> rest;
    splitFields(line.substr(mark + 1), {Separator::Blanks, false}, rest);
    fields.insert(fields.end(), rest.begin(), rest.end());
    return fields;
}

// ---- What names and header entries say -------------------------------------------------------------

// The words of a label: runs of letters, digits and any non-ASCII character (µ, мкс), lower case.
std::vector<std::string> words(std::string_view label) {
    std::vector<std::string> out;
    std::string current;
    for (char c : label) {
        const auto u = static_cast<unsigned char>(c);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || u >= 0x80) {
            current += c;
        } else if (!current.empty()) {
            out.push_back(lower(current));
            current.clear();
        }
    }
    if (!current.empty())
        out.push_back(lower(current));
    return out;
}

// The unit a label names; a unit the reader does not know stops the reading.
std::optional<TimeUnitName> namedUnit(std::string_view label, const std::string &name) {
    const LabelUnit u = timeUnitOfLabel(label);
    if (!u.foreign.empty())
        fail(name, Message::unknownTimeUnit(u.foreign));
    return u.unit;
}

// The unit a header entry names by itself ("Horizontal Units,s", "0.08uS"): whatever stands there
// is meant as the unit, so a word that is no unit of time the reader knows stops the reading.
std::optional<TimeUnitName> namedUnitWord(std::string_view word, const std::string &name) {
    word = trim(word);
    if (word.empty() || base::parseDataNumber(word, false))
        return std::nullopt;
    if (auto u = timeUnitOfWord(word))
        return u;
    fail(name, Message::unknownTimeUnit(word));
}

bool hasWord(std::string_view label, std::initializer_list<std::string_view> wanted) {
    for (const std::string &w : words(label))
        for (std::string_view x : wanted)
            if (w == x)
                return true;
    return false;
}

bool isIndexLabel(std::string_view label) {
    return hasWord(
        label, {"index", "idx", "nr", "no", "n", "num", "number", "sequence", "point", "points", "номер", "индекс"});
}

bool isTimeLabel(std::string_view label) {
    return hasWord(label, {"time", "t", "zeit", "temps", "время", "axis"}) || timeUnitOfLabel(label).unit;
}

// A header entry: a name and what follows it on its line or below it in the next line.
struct HeaderEntry {
    std::string name; // lower case
    double value = 0.0;
    std::string text; // the field after the value, or the value itself when it is not a number
};

struct TimeScale {
    double factor = 1.0; // file unit to µs
    int unit = 3;
    int how = 2;      // as Message::timeUnitTaken
    std::string word; // the file's word for the unit
};

double unitFactor(int unit) { // to µs
    switch (unit) {
    case 1:
        return 1e6;
    case 2:
        return 1e3;
    case 4:
        return 1e-3;
    default:
        break;
    }
    return 1.0;
}

// The unit of a step in the file's unit: named by the file (`named`, its word `word`), implied by
// the instrument's layout, chosen by the user, or the first of µs, s, ms, ns that gives a rate
// within the field's range. Only a file that names no unit at all is guessed at.
TimeScale chooseUnit(double step, const std::optional<TimeUnitName> &named, std::string_view word, bool seconds,
                     const PulseReadOptions &options, const std::string &name) {
    if (named)
        return {named->toMicroseconds, named->unit, 0, std::string(word)};
    if (seconds)
        return {1e6, 1, 3, {}};
    if (options.timeUnit != TimeUnit::Automatic) {
        const int u = static_cast<int>(options.timeUnit);
        return {unitFactor(u), u, 1, {}};
    }
    if (options.minimumRate == 0.0 && options.maximumRate == 0.0)
        return {1.0, 3, 2, {}};
    for (int u : {3, 1, 2, 4}) {
        const double rate = 1.0 / (step * unitFactor(u));
        if (rate >= options.minimumRate && rate <= options.maximumRate)
            return {unitFactor(u), u, 2, {}};
    }
    fail(name, Message::noUnitFits(base::formatSignificant(step, 9)));
}

std::string unitTaken(const TimeScale &scale) {
    return Message::timeUnitTaken(Message::unitName(scale.unit), scale.how, scale.word);
}

// The step of a time column that rises at a regular step (each within StepShare of the median),
// in the file's unit: the span over the steps.
double regularStep(const std::vector<double> &lead, const std::vector<std::uint32_t> &leadLines,
                   const std::string &name) {
    const std::size_t n = lead.size();
    if (n < 2)
        fail(name, Message::atLine(leadLines.empty() ? 0 : leadLines[0], Message::timeNotRising()));
    std::vector<double> steps(n - 1);
    for (std::size_t k = 1; k < n; ++k)
        steps[k - 1] = lead[k] - lead[k - 1];
    std::vector<double> sorted = steps;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2), sorted.end());
    const double median = sorted[sorted.size() / 2];
    if (!(median > 0.0))
        fail(name, Message::atLine(leadLines[1], Message::timeNotRising()));
    for (std::size_t k = 0; k < steps.size(); ++k)
        if (!(std::abs(steps[k] - median) <= StepShare * median))
            fail(name, Message::atLine(leadLines[k + 1],
                                       steps[k] <= 0.0 ? Message::timeNotRising() : Message::timeStepIrregular(k + 1)));
    return (lead.back() - lead.front()) / static_cast<double>(n - 1);
}

// The file's lines a recogniser looks at: the first ones, comment lines included.
std::vector<TextLine> firstLines(std::string_view text, const std::string &name) {
    std::vector<TextLine> lines;
    std::size_t position = 0;
    while (position < text.size() && lines.size() < MaxHeaderLines + EvidenceLines) {
        const std::size_t found = text.find('\n', position);
        const std::size_t end = found == std::string_view::npos ? text.size() : found;
        const std::size_t number = lines.size() + 1;
        if (end - position > MaxTextLineBytes)
            fail(name, Message::atLine(number, Message::lineTooLong(MaxTextLineBytes)));
        lines.push_back({number, trimLine(text.substr(position, end - position), name, number)});
        position = end + 1;
    }
    return lines;
}

// A file in an instrument's layout, read where its recogniser found the samples and times.
PulseData readPlanned(std::string_view text, const LayoutPlan &plan, const std::string &name,
                      const PulseReadOptions &options) {
    const std::size_t channels = plan.channelFields.size();
    if (options.column < 1 || static_cast<std::size_t>(options.column) > channels)
        fail(name, Message::columnMissing(options.column, channels));
    const auto chosen = static_cast<std::size_t>(options.column - 1);
    const std::size_t valueField = plan.channelFields[chosen];
    const std::optional<std::size_t> timeField = plan.timeFields[chosen];

    PulseData result;
    std::vector<double> lead;
    std::vector<std::uint32_t> leadLines;
    std::size_t endedAt = 0; // a shorter table beside a longer one ends with empty fields
    forEachLine(text, name, [&](std::string_view line, std::size_t number) {
        if (number < plan.firstDataLine)
            return true;
        const auto f = splitAt(line, plan.separator);
        const std::string_view value = valueField < f.size() ? f[valueField] : std::string_view();
        const std::string_view time = timeField && *timeField < f.size() ? f[*timeField] : std::string_view();
        if (value.empty() && time.empty()) {
            if (endedAt == 0)
                endedAt = number;
            return true;
        }
        if (endedAt != 0)
            fail(name, Message::atLine(number, Message::columnEndsEarly(endedAt)));
        if (result.samples.size() >= MaxPulseSamples)
            fail(name, Message::atLine(number, Message::tooManySamples(MaxPulseSamples)));
        result.samples.push_back(parseField(value, plan.decimalComma, name, number));
        if (timeField) {
            lead.push_back(parseField(time, plan.decimalComma, name, number));
            leadLines.push_back(static_cast<std::uint32_t>(number));
        }
        return true;
    });
    if (result.samples.empty())
        fail(name, Message::atLine(plan.firstDataLine, Message::noNumbers()));

    result.description =
        Message::textLayout(channels + (timeField ? 1 : 0), plan.separator, 0) + Message::layoutRecognised(plan.layout);
    if (channels > 1)
        result.description += Message::columnTaken(options.column, channels, plan.channelLabels[chosen]);
    const std::optional<TimeUnitName> named = namedUnitWord(plan.unitText, name);
    const auto scaleFor = [&](double step) {
        return chooseUnit(step, named, plan.unitText, plan.secondsByLayout, options, name);
    };
    std::optional<TimeScale> scale;
    if (plan.rateHz && *plan.rateHz > 0.0) {
        result.samplingFrequency = *plan.rateHz / 1e6;
        if (lead.size() >= 2) // the column's unit, from its own step where the file names none
            scale = scaleFor((lead.back() - lead.front()) / static_cast<double>(lead.size() - 1));
    } else if (plan.interval && *plan.interval > 0.0) {
        scale = scaleFor(*plan.interval);
        result.samplingFrequency = 1.0 / (*plan.interval * scale->factor);
        result.description += Message::intervalFromHeader(base::formatSignificant(*plan.interval, 9));
    } else if (timeField) {
        const double step = regularStep(lead, leadLines, name);
        scale = scaleFor(step);
        result.samplingFrequency = 1.0 / (step * scale->factor);
    }
    if (scale) {
        result.description += unitTaken(*scale);
        if (plan.start)
            result.firstTime = *plan.start * scale->factor;
        else if (!lead.empty())
            result.firstTime = lead.front() * scale->factor;
        if (result.firstTime)
            result.description += Message::firstSampleTime(base::formatSignificant(*result.firstTime, 9));
    }
    return result;
}

} // namespace

namespace {
PulseData readPulseTextAnyRate(std::string_view text, const std::string &name, const PulseReadOptions &options);
} // namespace

PulseData readPulseText(std::string_view text, const std::string &name, const PulseReadOptions &options) {
    PulseData pulse = readPulseTextAnyRate(text, name, options);
    // A stated interval so long or so short that its rate is no number a double holds (2e307 s
    // gives 0 MHz): refused, whatever range the caller allows.
    if (pulse.samplingFrequency && !(std::isfinite(*pulse.samplingFrequency) && *pulse.samplingFrequency > 0.0))
        throw base::Error(
            base::Message::fileRateOutOfRange(name, base::formatSignificant(*pulse.samplingFrequency, 9),
                                              base::formatSignificant(std::numeric_limits<double>::min(), 9),
                                              base::formatSignificant(std::numeric_limits<double>::max(), 9)));
    return pulse;
}

namespace {
PulseData readPulseTextAnyRate(std::string_view text, const std::string &name, const PulseReadOptions &options) {
    if (text.empty())
        fail(name, Message::fileEmpty());
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);

    // An instrument's own layout first; the generic reading for every other file.
    const std::vector<TextLine> lines = firstLines(text, name);
    for (const InstrumentLayout &layout : instrumentLayouts())
        if (const std::optional<LayoutPlan> plan = layout.recognise(lines))
            return readPlanned(text, *plan, name, options);

    // The header block (lines before the first that starts like a number) and the first data lines.
    std::vector<std::string_view> headerLines;
    std::vector<std::size_t> headerNumbers;
    std::vector<std::string_view> evidence;
    std::size_t firstDataLine = 0;
    forEachLine(text, name, [&](std::string_view line, std::size_t number) {
        if (evidence.empty() && !startsLikeNumber(line)) {
            if (headerLines.size() < MaxHeaderLines) {
                headerLines.push_back(line);
                headerNumbers.push_back(number);
            }
            return true;
        }
        if (evidence.empty())
            firstDataLine = number;
        evidence.push_back(line);
        return evidence.size() < EvidenceLines;
    });
    if (evidence.empty())
        fail(name, Message::atLine(headerNumbers.empty() ? 0 : headerNumbers.back(), Message::noNumbers()));
    // Header rows of an instrument carry data beside their names ("Record Length,2500,,0.1,0.5"):
    // they count as evidence for the separator too.
    std::vector<std::string_view> namesOnly;
    for (std::string_view h : headerLines)
        if (!std::any_of(h.begin(), h.end(), [](char c) { return c >= '0' && c <= '9'; }))
            namesOnly.push_back(h);
    const TextLayout layout = decideLayout(namesOnly, evidence, options.decimal, name, firstDataLine);

    // The data columns are the non-empty fields of the first data line.
    std::vector<std::string_view> fields;
    splitFields(evidence.front(), layout, fields);
    const std::size_t fieldCount = fields.size();
    std::vector<std::size_t> columns;
    for (std::size_t k = 0; k < fields.size(); ++k)
        if (!fields[k].empty()) {
            parseField(fields[k], layout.decimalComma, name, firstDataLine);
            columns.push_back(k);
        }

    // Header lines: names of the data columns, entries "name,value[,unit]", rows with data beside.
    std::vector<std::string> labels(columns.size());
    std::vector<HeaderEntry> entries;
    std::size_t dataHeaderFrom = headerLines.size(); // header lines from here on hold data
    std::vector<std::vector<std::string_view>> headerFields(headerLines.size());
    for (std::size_t h = 0; h < headerLines.size(); ++h)
        splitFields(headerLines[h], layout, headerFields[h]);
    for (std::size_t h = headerLines.size(); h-- > 0;) {
        const auto &f = headerFields[h];
        const bool data = std::all_of(columns.begin(), columns.end(), [&](std::size_t c) {
            return c < f.size() && isNumber(f[c], layout.decimalComma);
        });
        if (!data)
            break;
        dataHeaderFrom = h;
    }
    // The names and units of the columns stand in the last two header lines before the data.
    const std::size_t labelsFrom = dataHeaderFrom >= 2 ? dataHeaderFrom - 2 : 0;
    for (std::size_t h = 0; h < headerLines.size(); ++h) {
        const auto &f = headerFields[h];
        const bool dataRow = h >= dataHeaderFrom;
        // A line of fewer fields than there are columns ("Horizontal Units,s") names no column.
        const bool namesColumns = f.size() >= columns.size();
        if (!dataRow && h >= labelsFrom && namesColumns)
            for (std::size_t c = 0; c < columns.size(); ++c)
                if (columns[c] < f.size() && !f[columns[c]].empty() && !isNumber(f[columns[c]], layout.decimalComma))
                    labels[c] += " " + std::string(f[columns[c]]);
        // Entries of a line that does not hold data are split by that line's own separator: a
        // block of "name,value" lines may stand above a single column of samples.
        std::vector<std::string_view> own;
        const std::vector<std::string_view> &e = dataRow ? f : (own = entryFields(headerLines[h]), own);
        for (std::size_t k = 0; k + 1 < e.size(); ++k) {
            const auto inColumns = [&](std::size_t c) {
                return std::find(columns.begin(), columns.end(), c) != columns.end();
            };
            if (e[k].empty() || isNumber(e[k], layout.decimalComma) || (dataRow && (inColumns(k) || inColumns(k + 1))))
                continue;
            if (const auto v = base::parseDataNumber(e[k + 1], layout.decimalComma))
                entries.push_back({lower(e[k]), *v, k + 2 < e.size() ? std::string(e[k + 2]) : std::string()});
            else if (const auto glued = valueWithUnit(e[k + 1], layout.decimalComma); glued && !glued->unit.empty())
                entries.push_back({lower(e[k]), glued->value, glued->unit}); // "0.08uS"
            else
                entries.push_back({lower(e[k]), 0.0, std::string(e[k + 1])});
        }
        // A row of names over a row of values ("X,CH1,Start,Increment" / "Sequence,Volt,-6e-3,2e-6").
        if (!dataRow && h + 1 < headerLines.size() && h + 1 < dataHeaderFrom) {
            const auto &below = headerFields[h + 1];
            for (std::size_t k = 0; k < f.size() && k < below.size(); ++k)
                if (!f[k].empty() && !isNumber(f[k], layout.decimalComma))
                    if (const auto v = base::parseDataNumber(below[k], layout.decimalComma))
                        entries.push_back({lower(f[k]), *v, std::string()});
        }
    }

    // A unit the header states for the horizontal axis ("Horizontal Units,S").
    std::string headerUnitWord;
    for (const HeaderEntry &e : entries)
        if (hasWord(e.name, {"unit", "units"}) && hasWord(e.name, {"horizontal", "x", "time", "horiz"}))
            headerUnitWord = e.text;
    // The unit a label names, else the header's: the word the file wrote and what it means.
    const auto unitFor = [&](std::string_view label) {
        if (auto u = namedUnit(label, name))
            return std::pair{u, std::string(trim(label))};
        return std::pair{namedUnitWord(headerUnitWord, name), headerUnitWord};
    };

    // Roles: an index column, a time column, the value columns.
    std::optional<std::size_t> indexColumn;
    std::optional<std::size_t> timeColumn;
    std::size_t firstValue = 0;
    if (columns.size() >= 2) {
        if (!isTimeLabel(labels[0]) && isIndexLabel(labels[0])) {
            indexColumn = 0;
            firstValue = 1;
            if (columns.size() >= 3 && isTimeLabel(labels[1])) {
                timeColumn = 1;
                firstValue = 2;
            }
        } else {
            timeColumn = 0; // named as time, or not named: the first column is the time
            firstValue = 1;
        }
    }
    const std::size_t valueColumns = columns.size() - firstValue;
    if (options.column < 1 || static_cast<std::size_t>(options.column) > valueColumns)
        fail(name, Message::columnMissing(options.column, valueColumns));
    const std::size_t valuePosition = columns[firstValue + static_cast<std::size_t>(options.column) - 1];

    // The data rows: the header rows with data, then every line from the first data line on.
    PulseData result;
    std::vector<double> lead; // the index or time column
    std::vector<std::uint32_t> leadLines;
    const std::optional<std::size_t> leadColumn = timeColumn ? timeColumn : indexColumn;
    const auto takeRow = [&](const std::vector<std::string_view> &f, std::size_t lineNumber) {
        if (result.samples.size() >= MaxPulseSamples)
            fail(name, Message::atLine(lineNumber, Message::tooManySamples(MaxPulseSamples)));
        result.samples.push_back(parseField(f[valuePosition], layout.decimalComma, name, lineNumber));
        if (leadColumn) {
            lead.push_back(parseField(f[columns[*leadColumn]], layout.decimalComma, name, lineNumber));
            leadLines.push_back(static_cast<std::uint32_t>(lineNumber));
        }
    };
    for (std::size_t h = dataHeaderFrom; h < headerLines.size(); ++h)
        takeRow(headerFields[h], headerNumbers[h]);
    forEachLine(text, name, [&](std::string_view line, std::size_t number) {
        if (number < firstDataLine)
            return true;
        splitFields(line, layout, fields);
        if (fields.size() != fieldCount)
            fail(name, Message::atLine(number, Message::columnCountChanged(fields.size(), fieldCount)));
        for (std::size_t k = 0; k < fields.size(); ++k)
            if (std::find(columns.begin(), columns.end(), k) == columns.end() && !fields[k].empty())
                fail(name, Message::atLine(number, Message::notANumber(fields[k])));
            else if (k != valuePosition && (!leadColumn || k != columns[*leadColumn]) && !fields[k].empty())
                parseField(fields[k], layout.decimalComma, name, number);
        takeRow(fields, number);
        return true;
    });

    result.description = Message::textLayout(columns.size(), separatorChar(layout.separator), layout.decimalNamed);
    if (valueColumns > 1) {
        std::string label(trim(labels[firstValue + static_cast<std::size_t>(options.column) - 1]));
        result.description += Message::columnTaken(options.column, valueColumns, label);
    }
    const std::size_t n = result.samples.size();

    if (indexColumn && !timeColumn) {
        for (std::size_t k = 1; k < n; ++k)
            if (lead[k] != lead[0] + static_cast<double>(k))
                fail(name, Message::atLine(leadLines[k], Message::indexNotConsecutive()));
        if (lead[0] != std::floor(lead[0]) || std::abs(lead[0]) > 1e9)
            fail(name, Message::atLine(leadLines[0], Message::indexNotConsecutive()));
        result.firstIndex = static_cast<long long>(lead[0]);
        result.description += Message::indexColumn(*result.firstIndex);
    }

    // A time column: a regular rising step gives the rate, its first entry the first sample's time.
    if (timeColumn) {
        const auto [named, word] = unitFor(labels[*timeColumn]);
        const double step = regularStep(lead, leadLines, name);
        const TimeScale scale = chooseUnit(step, named, word, false, options, name);
        result.samplingFrequency = 1.0 / (step * scale.factor);
        result.firstTime = lead.front() * scale.factor;
        result.description += unitTaken(scale);
        result.description += Message::firstSampleTime(base::formatSignificant(*result.firstTime, 9));
        return result;
    }

    // No time column: a sample interval or increment stated in the header.
    for (const HeaderEntry &e : entries) {
        const bool interval = hasWord(e.name, {"interval", "increment", "xinc", "xincrement", "dt"}) ||
                              e.name.find("sample interval") != std::string::npos;
        if (interval && e.value > 0.0) {
            auto [named, word] = unitFor(e.text); // "Sample Interval,2e-07,s"
            if (const auto own = namedUnitWord(e.text, name)) {
                named = own;
                word = e.text;
            }
            const TimeScale scale = chooseUnit(e.value, named, word, false, options, name);
            result.samplingFrequency = 1.0 / (e.value * scale.factor);
            result.description += Message::intervalFromHeader(base::formatSignificant(e.value, 9));
            result.description += unitTaken(scale);
            for (const HeaderEntry &s : entries)
                if (hasWord(s.name, {"start", "xorigin", "xzero"}) && s.text.empty()) {
                    result.firstTime = s.value * scale.factor;
                    result.description += Message::firstSampleTime(base::formatSignificant(*result.firstTime, 9));
                    break;
                }
            break;
        }
    }
    return result;
}
} // namespace

} // namespace pulsefir::io
