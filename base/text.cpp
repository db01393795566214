#include "text.h"

#include <algorithm>
#include <array>

namespace pulsefir::base {

namespace {

bool cSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The white space the project file's integers are trimmed of (the toolkit's QChar::isSpace):
// ASCII tab to carriage return and blank, and these in UTF-8.
constexpr std::array<std::string_view, 19> WideSpaces{
    "\xC2\x85",     "\xC2\xA0",     "\xE1\x9A\x80", "\xE2\x80\x80", "\xE2\x80\x81", "\xE2\x80\x82", "\xE2\x80\x83",
    "\xE2\x80\x84", "\xE2\x80\x85", "\xE2\x80\x86", "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89", "\xE2\x80\x8A",
    "\xE2\x80\xA8", "\xE2\x80\xA9", "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80"};

} // namespace

std::string_view trimSpace(std::string_view text) {
    for (bool trimmed = true; trimmed && !text.empty();) {
        trimmed = false;
        if (cSpace(text.front())) {
            text.remove_prefix(1);
            trimmed = true;
            continue;
        }
        for (std::string_view space : WideSpaces)
            if (text.starts_with(space)) {
                text.remove_prefix(space.size());
                trimmed = true;
                break;
            }
    }
    for (bool trimmed = true; trimmed && !text.empty();) {
        trimmed = false;
        if (cSpace(text.back())) {
            text.remove_suffix(1);
            trimmed = true;
            continue;
        }
        for (std::string_view space : WideSpaces)
            if (text.ends_with(space)) {
                text.remove_suffix(space.size());
                trimmed = true;
                break;
            }
    }
    return text;
}

std::string_view leftUtf16(std::string_view text, std::size_t units) {
    std::size_t at = 0;
    while (at < text.size() && units > 0) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        const std::size_t taken = length == 4 ? 2 : 1; // a surrogate pair beyond U+FFFF
        if (taken > units)
            break;
        units -= taken;
        at = std::min(text.size(), at + length);
    }
    return text.substr(0, at);
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; };
    for (std::size_t k = 0; k < a.size(); ++k)
        if (lower(a[k]) != lower(b[k]))
            return false;
    return true;
}

} // namespace pulsefir::base
