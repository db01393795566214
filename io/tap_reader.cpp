#include "tap_reader.h"

#include <algorithm>
#include <cmath>

#include "base/messages.h"
#include "base/number_text.h"
#include "io/file_extension.h"
#include "io/npy_format.h"
#include "io/reader_common.h"
#include "io/text_reader.h"

namespace pulsefir::io {

namespace {

using base::Message;

// C and C++ comments out, each replaced by a blank.
std::string withoutCComments(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text.substr(k, 2) == "/*") {
            const std::size_t end = text.find("*/", k + 2);
            k = end == std::string_view::npos ? text.size() : end + 1;
            out += ' ';
        } else if (text.substr(k, 2) == "//") {
            const std::size_t end = text.find('\n', k);
            k = end == std::string_view::npos ? text.size() : end - 1;
            out += ' ';
        } else {
            out += text[k];
        }
    }
    return out;
}

// Lines starting with `mark` (after blanks) out, and what follows `mark` on other lines.
std::string withoutLineComments(std::string_view text, char mark) {
    std::string out;
    std::size_t position = 0;
    while (position < text.size()) {
        const std::size_t found = text.find('\n', position);
        const std::size_t end = found == std::string_view::npos ? text.size() : found;
        std::string_view line = text.substr(position, end - position);
        line = line.substr(0, line.find(mark));
        out.append(line);
        out += '\n';
        position = end + 1;
    }
    return out;
}

// The numbers of a list separated by commas, semicolons and blanks; a float's 'f' suffix is dropped.
std::vector<double> numbersOf(std::string_view list, const std::string &name) {
    std::vector<double> values;
    std::size_t k = 0;
    const auto separator = [](char c) { return c == ',' || c == ';' || c == '\n' || isBlank(c); };
    while (k < list.size()) {
        while (k < list.size() && separator(list[k]))
            ++k;
        const std::size_t start = k;
        while (k < list.size() && !separator(list[k]))
            ++k;
        if (k == start)
            break;
        std::string_view token = list.substr(start, k - start);
        if (token.size() > 1 && (token.back() == 'f' || token.back() == 'F') && token.find_first_of("xX") == token.npos)
            token.remove_suffix(1);
        const auto v = base::parseDataNumber(token, false);
        if (!v)
            fail(name, Message::notANumber(token));
        if (!std::isfinite(*v))
            fail(name, Message::notFinite(token));
        values.push_back(*v);
    }
    return values;
}

// Between the first `open` after `from` and the next `close`.
std::string_view between(std::string_view text, std::size_t from, char open, char close, const std::string &name) {
    const std::size_t a = text.find(open, from);
    const std::size_t b = a == std::string_view::npos ? a : text.find(close, a + 1);
    if (b == std::string_view::npos)
        fail(name, Message::noTaps());
    return text.substr(a + 1, b - a - 1);
}

std::vector<double> readCHeader(std::string_view text, const std::string &name) {
    const std::string code = withoutCComments(text);
    const std::size_t typed = code.find("double");
    return numbersOf(between(code, typed == std::string::npos ? 0 : typed, '{', '}', name), name);
}

std::vector<double> readOctave(std::string_view text, const std::string &name) {
    const std::string code = withoutLineComments(text, '%');
    return numbersOf(between(code, 0, '[', ']', name), name);
}

// radix=10; coefdata= v, v, …; the comment "tap = integer / SCALE" this program writes gives the scale.
std::vector<double> readCoe(std::string_view text, const std::string &name) {
    double scale = 1.0;
    const std::size_t stated = text.find("tap = integer / ");
    if (stated != std::string_view::npos) {
        std::string_view rest = text.substr(stated + 16);
        rest = rest.substr(0, rest.find_first_of(" (\r\n"));
        if (!rest.empty() && rest.back() == '.')
            rest.remove_suffix(1);
        if (const auto v = base::parseDataNumber(rest, false); v && *v > 0.0)
            scale = *v;
    }
    // Comments in .coe files start with ';' at the line's start; statements end with ';'.
    const std::string code(text);
    std::string body;
    {
        std::size_t position = 0;
        while (position < code.size()) {
            const std::size_t found = code.find('\n', position);
            const std::size_t end = found == std::string::npos ? code.size() : found;
            const std::string_view line = trim(std::string_view(code).substr(position, end - position));
            if (line.empty() || line[0] != ';')
                body.append(line).append("\n");
            position = end + 1;
        }
    }
    std::string lowered = body;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    const std::size_t radix = lowered.find("radix");
    if (radix != std::string::npos) {
        const std::string_view value = trim(between(lowered, radix, '=', ';', name));
        if (value != "10")
            fail(name, Message::notANumber(value));
    }
    const std::size_t data = lowered.find("coefdata");
    if (data == std::string::npos)
        fail(name, Message::noTaps());
    const std::size_t equals = body.find('=', data);
    if (equals == std::string::npos)
        fail(name, Message::noTaps());
    std::string_view list = std::string_view(body).substr(equals + 1);
    list = list.substr(0, list.find(';'));
    std::vector<double> values = numbersOf(list, name);
    for (double &v : values)
        v /= scale;
    return values;
}

} // namespace

FilterTaps readFilterTaps(std::span<const unsigned char> bytes, const std::string &name) {
    const std::string ext = lowerExtension(name);
    if (bytes.empty())
        fail(name, Message::fileEmpty());
    const std::string_view text(reinterpret_cast<const char *>(bytes.data()), bytes.size());
    FilterTaps result;
    bool centreStated = false;
    if (ext == ".npy") {
        result.taps = readPulseNpy(bytes, name).samples;
    } else if (ext == ".h") {
        result.taps = readCHeader(text, name);
    } else if (ext == ".m") {
        result.taps = readOctave(text, name);
    } else if (ext == ".coe") {
        result.taps = readCoe(text, name);
    } else if (ext == ".csv" || ext == ".tsv" || ext == ".txt" || ext == ".dat") {
        PulseReadOptions options;
        options.decimal = DecimalChoice::Point; // taps from tools are written with a point
        PulseData data = readPulseText(text, name, options);
        result.taps = std::move(data.samples);
        if (data.firstIndex) {
            result.centre = -*data.firstIndex;
            centreStated = true;
        }
    } else {
        fail(name, Message::unknownTapExtension(ext));
    }
    if (result.taps.empty())
        fail(name, Message::noTaps());
    if (result.taps.size() > static_cast<std::size_t>(MaxTapCount))
        fail(name, Message::tooManyTaps(result.taps.size(), MaxTapCount));
    const auto count = static_cast<long long>(result.taps.size());
    if (!centreStated)
        result.centre = count / 2;
    if (result.centre < 0 || result.centre >= count || result.centre > core::MaxFilterHalfWidth ||
        count - 1 - result.centre > core::MaxFilterHalfWidth)
        fail(name, Message::tapsCentreOutside(result.centre, result.taps.size()));
    return result;
}

FilterTaps readFilterFile(const std::string &fileName) {
    const std::string bytes = readWholeFile(fileName);
    return readFilterTaps(asBytes(bytes), fileName);
}

int loadFilterTaps(core::CoreState &state, const FilterTaps &taps) {
    const auto count = static_cast<long long>(taps.taps.size());
    const int halfWidth = static_cast<int>(std::max(taps.centre, count - 1 - taps.centre));
    state.FilterBuffer.fill(0.0);
    for (long long k = 0; k < count; ++k)
        state.FilterBuffer[static_cast<int>(k - taps.centre)] = taps.taps[static_cast<std::size_t>(k)];
    state.FilterHalfWidth = halfWidth;
    return halfWidth;
}

} // namespace pulsefir::io
