#include "number_text.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

namespace pulsefir::io {

std::optional<double> ParseNumber(std::string_view field, bool decimalComma) {
    // Fields longer than any number a file carries are not numbers.
    constexpr std::size_t LongestNumber = 64;
    if (field.empty() || field.size() > LongestNumber)
        return std::nullopt;
    char buffer[LongestNumber] = {};
    std::size_t n = 0;
    std::size_t k = 0;
    if (field[0] == '+')
        k = 1; // from_chars takes no leading '+'
    for (; k < field.size(); ++k) {
        char c = field[k];
        if (c == ',') {
            if (!decimalComma)
                return std::nullopt;
            c = '.';
        }
        buffer[n++] = c;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(buffer, buffer + n, value);
    if (end != buffer + n || n == 0)
        return std::nullopt;
    if (error == std::errc::result_out_of_range)
        return std::nullopt;
    if (error != std::errc())
        return std::nullopt;
    return value;
}

std::string FormatNumber(double value, int digits) {
    char buffer[40];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    return error == std::errc() ? std::string(buffer, end) : std::string("0");
}

std::string LowerExtension(const std::string &fileName) {
    std::string ext = std::filesystem::path(fileName).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c); });
    return ext;
}

} // namespace pulsefir::io
