#include "text_reader.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "base/messages.h"
#include "base/number_text.h"
#include "io/reader_common.h"

namespace pulsefir::io {

namespace {

// A time column is regular when no time lies further than this share of a step from the grid.
constexpr double TimeGridShare = 1e-3;

using base::Message;

bool isComment(std::string_view line) {
    return line.empty() || line[0] == '#' || line[0] == '%' || line[0] == ';' || line.substr(0, 2) == "//";
}

bool startsLikeNumber(std::string_view line) {
    const char c = line[0];
    if ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == ',')
        return true;
    // A NaN or an infinity where the numbers begin is a fault in the data, not a header.
    std::string head;
    for (char h : line.substr(0, 3))
        head += static_cast<char>(h >= 'A' && h <= 'Z' ? h + ('a' - 'A') : h);
    return head == "nan" || head == "inf";
}

enum class Separator { Semicolon, Tab, Blanks, Comma };

struct TextLayout {
    Separator separator;
    bool decimalComma; // a ',' inside a field is the decimal separator
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

// Decides the column separator from the first line of numbers and, for a file separated by
// commas only, from whether any number of the data has a decimal point.
TextLayout detectLayout(std::string_view firstLine, std::string_view data) {
    if (firstLine.find(';') != std::string_view::npos)
        return {Separator::Semicolon, true};
    if (firstLine.find('\t') != std::string_view::npos)
        return {Separator::Tab, true};
    if (firstLine.find(' ') != std::string_view::npos) {
        // "1, 2" separates by commas with blanks after them; "1,5 2,5" by blanks.
        bool commaBeforeBlank = false;
        for (std::size_t k = 0; k + 1 < firstLine.size(); ++k)
            if (firstLine[k] == ',' && firstLine[k + 1] == ' ')
                commaBeforeBlank = true;
        if (!commaBeforeBlank)
            return {Separator::Blanks, true};
    }
    const bool anyPoint = data.find('.') != std::string_view::npos;
    return {Separator::Comma, !anyPoint};
}

// Splits a line into fields by the layout's separator; runs of blanks count as one.
void splitFields(std::string_view line, const TextLayout &layout, std::vector<std::string_view> &fields) {
    fields.clear();
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
        return;
    }
    char sep = ';';
    if (layout.separator == Separator::Tab)
        sep = '\t';
    else if (layout.separator == Separator::Comma)
        sep = layout.decimalComma ? '\0' : ',';
    if (sep == '\0') {
        fields.push_back(line);
        return;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t end = line.find(sep, start);
        fields.push_back(trim(line.substr(start, end == std::string_view::npos ? end : end - start)));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
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

} // namespace

PulseData readPulseText(std::string_view text, const std::string &name) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);

    PulseData result;
    std::vector<double> times;
    std::vector<std::string_view> fields;
    std::optional<TextLayout> layout;
    std::size_t columns = 0;
    std::size_t lineNumber = 0;
    std::size_t position = 0;
    while (position < text.size()) {
        const std::size_t end = std::min(text.find('\n', position), text.size());
        const std::string_view line = trim(text.substr(position, end - position));
        const std::size_t lineStart = position;
        position = end + 1;
        ++lineNumber;
        if (isComment(line))
            continue;
        if (!layout) {
            if (!startsLikeNumber(line))
                continue; // a header line
            layout = detectLayout(line, text.substr(lineStart));
        }
        splitFields(line, *layout, fields);
        if (layout->separator == Separator::Comma && layout->decimalComma &&
            std::count(line.begin(), line.end(), ',') > 1)
            fail(name, Message::atLine(lineNumber, Message::commaAmbiguous()));
        if (columns == 0) {
            columns = fields.size();
            if (columns > 2)
                fail(name, Message::atLine(lineNumber, Message::tooManyColumns(columns)));
        } else if (fields.size() != columns) {
            fail(name, Message::atLine(lineNumber, Message::columnCountChanged(fields.size(), columns)));
        }
        if (result.samples.size() >= MaxPulseSamples)
            fail(name, Message::atLine(lineNumber, Message::tooManySamples(MaxPulseSamples)));
        if (columns == 2) {
            times.push_back(parseField(fields[0], layout->decimalComma, name, lineNumber));
            result.samples.push_back(parseField(fields[1], layout->decimalComma, name, lineNumber));
        } else {
            result.samples.push_back(parseField(fields[0], layout->decimalComma, name, lineNumber));
        }
    }
    if (result.samples.empty())
        fail(name, Message::atLine(lineNumber, Message::noNumbers()));

    result.description = Message::textLayout(columns, separatorChar(layout->separator), layout->decimalComma);
    if (columns == 2) {
        const std::size_t n = times.size();
        const double step = n > 1 ? (times.back() - times.front()) / static_cast<double>(n - 1) : 0.0;
        bool regular = n > 1 && step > 0.0;
        for (std::size_t k = 0; regular && k < n; ++k)
            regular = std::abs(times[k] - (times.front() + static_cast<double>(k) * step)) <= TimeGridShare * step;
        if (regular)
            result.samplingFrequency = 1.0 / step; // MHz, the times being in µs
        else
            result.description += Message::irregularTimeStep();
    }
    return result;
}

} // namespace pulsefir::io
