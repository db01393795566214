#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pulsefir::base {

// Text as the program's files hold it: UTF-8, compared and trimmed the way the windows' toolkit
// has always done it, so that a project file reads the same with or without the windows.

// `text` without the white space around it: ASCII tab to carriage return and blank, and the
// Unicode spaces (U+0085, U+00A0, U+1680, U+2000..U+200A, U+2028, U+2029, U+202F, U+205F,
// U+3000).
std::string_view trimSpace(std::string_view text);

// The first `units` UTF-16 code units of a UTF-8 text (a character beyond U+FFFF takes two),
// never cutting a character in two.
std::string_view leftUtf16(std::string_view text, std::size_t units);

// Whether two texts are equal, ASCII letters compared without regard to case.
bool equalIgnoringCase(std::string_view a, std::string_view b);

} // namespace pulsefir::base
