#include "time_units.h"

#include <array>
#include <vector>

#include "base/number_text.h"
#include "io/reader_common.h"

namespace pulsefir::io {

namespace {

struct Prefix {
    std::string_view text;
    int unit;
    double toMicroseconds;
};

// The prefixes before a word for seconds, longest first where one begins another.
constexpr std::array LatinPrefixes{Prefix{"milli", 2, 1e3},
                                   Prefix{"micro", 3, 1.0},
                                   Prefix{"mikro", 3, 1.0},
                                   Prefix{"nano", 4, 1e-3},
                                   Prefix{"pico", 5, 1e-6},
                                   Prefix{"piko", 5, 1e-6},
                                   Prefix{"m", 2, 1e3},
                                   Prefix{"u", 3, 1.0},
                                   Prefix{"\xC2\xB5", 3, 1.0} /* µ */,
                                   Prefix{"\xCE\xBC", 3, 1.0} /* Greek mu */,
                                   Prefix{"n", 4, 1e-3},
                                   Prefix{"p", 5, 1e-6},
                                   Prefix{"", 1, 1e6}};
constexpr std::string_view LatinSeconds[]{"s",       "sec",      "secs",    "second",  "seconds",
                                          "sekunde", "sekunden", "seconde", "secondes"};
constexpr std::array CyrillicPrefixes{Prefix{"милли", 2, 1e3}, Prefix{"микро", 3, 1.0}, Prefix{"нано", 4, 1e-3},
                                      Prefix{"пико", 5, 1e-6}, Prefix{"мк", 3, 1.0},    Prefix{"м", 2, 1e3},
                                      Prefix{"н", 4, 1e-3},    Prefix{"п", 5, 1e-6},    Prefix{"", 1, 1e6}};
constexpr std::string_view CyrillicSeconds[]{"с", "сек", "секунда", "секунды", "секунд", "секунду"};

// Units of time a file may name that a pulse is never sampled in.
constexpr std::string_view ForeignUnits[]{
    "min", "mins", "minute", "minutes", "minuten", "minuta", "мин",    "минута", "минуты", "минут", "h",     "hr",
    "hrs", "hour", "hours",  "stunde",  "stunden", "heure",  "heures", "ч",      "час",    "часа",  "часов", "d",
    "day", "days", "tag",    "tage",    "jour",    "jours",  "сут",    "ks",     "fs",     "fsec",  "фс"};

// ASCII and the Cyrillic capitals А..Я to lower case.
std::string lowerWord(std::string_view s) {
    std::string out;
    for (std::size_t k = 0; k < s.size(); ++k) {
        const auto c = static_cast<unsigned char>(s[k]);
        if (c >= 'A' && c <= 'Z') {
            out += static_cast<char>(c + ('a' - 'A'));
        } else if (c == 0xD0 && k + 1 < s.size() && static_cast<unsigned char>(s[k + 1]) >= 0x90 &&
                   static_cast<unsigned char>(s[k + 1]) <= 0xAF) {
            const auto second = static_cast<unsigned char>(s[++k]);
            if (second < 0xA0) { // А..П → а..п
                out += '\xD0';
                out += static_cast<char>(second + 0x20);
            } else { // Р..Я → р..я
                out += '\xD1';
                out += static_cast<char>(second - 0x20);
            }
        } else {
            out += s[k];
        }
    }
    return out;
}

bool isWordByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           static_cast<unsigned char>(c) >= 0x80;
}

std::vector<std::string_view> wordsOf(std::string_view label) {
    std::vector<std::string_view> out;
    std::size_t k = 0;
    while (k < label.size()) {
        while (k < label.size() && !isWordByte(label[k]))
            ++k;
        const std::size_t start = k;
        while (k < label.size() && isWordByte(label[k]))
            ++k;
        if (k > start)
            out.push_back(label.substr(start, k - start));
    }
    return out;
}

template <typename Prefixes, typename Bases>
std::optional<TimeUnitName> matchUnit(const std::string &word, const Prefixes &prefixes, const Bases &bases) {
    for (const Prefix &p : prefixes) {
        if (word.compare(0, p.text.size(), p.text) != 0)
            continue;
        const std::string_view rest = std::string_view(word).substr(p.text.size());
        for (std::string_view base : bases)
            if (rest == base)
                return TimeUnitName{p.unit, p.toMicroseconds};
    }
    return std::nullopt;
}

} // namespace

std::optional<TimeUnitName> timeUnitOfWord(std::string_view word) {
    const std::string w = lowerWord(trim(word));
    if (w.empty())
        return std::nullopt;
    if (auto u = matchUnit(w, LatinPrefixes, LatinSeconds))
        return u;
    return matchUnit(w, CyrillicPrefixes, CyrillicSeconds);
}

bool isForeignTimeUnit(std::string_view word) {
    const std::string w = lowerWord(trim(word));
    for (std::string_view f : ForeignUnits)
        if (w == f)
            return true;
    return false;
}

LabelUnit timeUnitOfLabel(std::string_view label) {
    LabelUnit result;
    // A unit in brackets is named on purpose: a word there that is no unit of time is a unit the
    // reader does not know.
    const std::size_t open = label.find_first_of("([");
    if (open != std::string_view::npos) {
        const std::size_t close = label.find_first_of(")]", open);
        const std::string_view inside =
            trim(label.substr(open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1));
        if (!inside.empty()) {
            if (auto u = timeUnitOfWord(inside))
                result.unit = u;
            else
                result.foreign = std::string(inside);
            return result;
        }
    }
    for (std::string_view w : wordsOf(label)) {
        if (auto u = timeUnitOfWord(w)) {
            result.unit = u;
            return result;
        }
        // One letter beside other words ("d" of "CH1 d") is no unit named.
        if (w.size() > 1 && isForeignTimeUnit(w)) {
            result.foreign = std::string(w);
            return result;
        }
    }
    return result;
}

std::optional<ValueWithUnit> valueWithUnit(std::string_view text, bool decimalComma) {
    text = trim(text);
    if (const std::size_t equals = text.rfind('='); equals != std::string_view::npos)
        text = trim(text.substr(equals + 1));
    std::size_t k = 0;
    const auto digit = [&](std::size_t at) { return at < text.size() && text[at] >= '0' && text[at] <= '9'; };
    if (k < text.size() && (text[k] == '+' || text[k] == '-'))
        ++k;
    while (digit(k) || (k < text.size() && (text[k] == '.' || (decimalComma && text[k] == ','))))
        ++k;
    if (k < text.size() && (text[k] == 'e' || text[k] == 'E')) {
        std::size_t e = k + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-'))
            ++e;
        if (digit(e)) {
            while (digit(e))
                ++e;
            k = e;
        }
    }
    const auto value = base::parseDataNumber(text.substr(0, k), decimalComma);
    if (!value)
        return std::nullopt;
    return ValueWithUnit{*value, std::string(trim(text.substr(k)))};
}

} // namespace pulsefir::io
