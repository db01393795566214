#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "base/messages.h"

using namespace pulsefir::base;

namespace {

// Sets an audience for one test and gives the previous one back.
class AudienceScope {
  public:
    explicit AudienceScope(Audience a) : m_previous(audience()) { setAudience(a); }
    ~AudienceScope() { setAudience(m_previous); }

  private:
    Audience m_previous;
};

struct AudienceCase {
    const char *name;
    Audience audience;
    std::string unableToWrite; // of "/x/p.flt" with the cause "no space"
    std::string invalidFloat;  // of "1;5"
    std::string overflow;
    std::string enospc;
};

class AudienceTest : public ::testing::TestWithParam<AudienceCase> {};

// The windows keep their designed English texts with the cause on a line of its own; a console
// says everything in one language.
TEST_P(AudienceTest, EachAudienceHearsOneLanguage) {
    const AudienceCase &c = GetParam();
    AudienceScope scope(c.audience);
    EXPECT_EQ(Message::unableToWrite("/x/p.flt", "no space"), c.unableToWrite);
    EXPECT_EQ(Message::invalidFloat("1;5"), c.invalidFloat);
    EXPECT_EQ(Message::overflow(), c.overflow);
    EXPECT_EQ(Message::systemCause(ENOSPC), c.enospc);
}

INSTANTIATE_TEST_SUITE_P(
    Audiences, AudienceTest,
    ::testing::Values(AudienceCase{"windows", Audience::Windows, "Unable to write to /x/p.flt.\nno space",
                                   "'1;5' is not a valid floating point value.", "Floating point overflow",
                                   "нет места на устройстве"},
                      AudienceCase{"russian_console", Audience::ConsoleRussian,
                                   "не удаётся записать /x/p.flt: no space", "'1;5' — не число с плавающей точкой",
                                   "переполнение с плавающей точкой", "нет места на устройстве"},
                      AudienceCase{"english_console", Audience::ConsoleEnglish, "Unable to write to /x/p.flt: no space",
                                   "'1;5' is not a valid floating point value.", "Floating point overflow",
                                   "No space left on device"}),
    [](const auto &info) { return std::string(info.param.name); });

struct LocaleCase {
    const char *name;
    const char *lcAll;
    const char *lcMessages;
    const char *lang;
    Audience expected;
};

class ConsoleLocaleTest : public ::testing::TestWithParam<LocaleCase> {};

// The first variable set decides, as the C library decides the messages' locale.
TEST_P(ConsoleLocaleTest, TheLocaleNamesTheLanguage) {
    const LocaleCase &c = GetParam();
    const auto set = [](const char *name, const char *value) {
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    };
    const char *saved[3] = {std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")};
    const std::string keep[3] = {saved[0] ? saved[0] : "", saved[1] ? saved[1] : "", saved[2] ? saved[2] : ""};
    set("LC_ALL", c.lcAll);
    set("LC_MESSAGES", c.lcMessages);
    set("LANG", c.lang);
    const Audience found = consoleAudienceFromEnvironment();
    set("LC_ALL", saved[0] ? keep[0].c_str() : nullptr);
    set("LC_MESSAGES", saved[1] ? keep[1].c_str() : nullptr);
    set("LANG", saved[2] ? keep[2].c_str() : nullptr);
    EXPECT_EQ(found, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Variables, ConsoleLocaleTest,
    ::testing::Values(
        LocaleCase{"lang_russian", nullptr, nullptr, "ru_RU.UTF-8", Audience::ConsoleRussian},
        LocaleCase{"lc_all_overrides_lang", "en_US.UTF-8", nullptr, "ru_RU.UTF-8", Audience::ConsoleEnglish},
        LocaleCase{"lc_messages_before_lang", nullptr, "ru_RU.UTF-8", "en_US.UTF-8", Audience::ConsoleRussian},
        LocaleCase{"empty_lc_all_is_unset", "", nullptr, "ru_RU.UTF-8", Audience::ConsoleRussian},
        LocaleCase{"nothing_set", nullptr, nullptr, nullptr, Audience::ConsoleEnglish},
        LocaleCase{"c_locale", "C", nullptr, nullptr, Audience::ConsoleEnglish}),
    [](const auto &info) { return std::string(info.param.name); });

// A quoted value never fills a message: control bytes escaped, at most 80 characters kept
// (counted as characters, so a Cyrillic value is not cut inside a letter).
TEST(ShownValueTest, ControlBytesEscapedAndLongValuesCut) {
    EXPECT_EQ(shownValue(std::string("a\0b\x7f", 4)), "a\\x00b\\x7f");
    EXPECT_EQ(Message::invalidFloat(std::string("1\0"
                                                "5\t",
                                                4)),
              "'1\\x005\\x09' is not a valid floating point value.");
    EXPECT_EQ(shownValue(std::string(80, 'x')), std::string(80, 'x'));
    EXPECT_EQ(shownValue(std::string(30'000'000, 'x')), std::string(80, 'x') + "\u2026");
    std::string cyrillic;
    for (int k = 0; k < 100; ++k)
        cyrillic += "ж";
    std::string first80;
    for (int k = 0; k < 80; ++k)
        first80 += "ж";
    EXPECT_EQ(shownValue(cyrillic), first80 + "\u2026");
}

struct ShownCase {
    const char *name;
    std::string bytes;
    std::string shown;
};

class ShownBytesTest : public ::testing::TestWithParam<ShownCase> {};

// Bytes quoted from a file reach the message as text: well-formed UTF-8 as it is, every control
// character and every byte that starts no character as \xHH.
TEST_P(ShownBytesTest, EscapesWhatIsNoPrintableText) {
    EXPECT_EQ(shownValue(GetParam().bytes), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Bytes, ShownBytesTest,
                         ::testing::Values(ShownCase{"plain", "1.5e-3 В", "1.5e-3 В"},
                                           ShownCase{"nul_and_newline", std::string("a\0\n", 3), "a\\x00\\x0a"},
                                           ShownCase{"latin1_byte", "caf\xe9", "caf\\xe9"},
                                           ShownCase{"stray_continuation", "\x80x", "\\x80x"},
                                           ShownCase{"overlong_slash", "\xc0\xaf", "\\xc0\\xaf"},
                                           ShownCase{"surrogate", "\xed\xa0\x80", "\\xed\\xa0\\x80"},
                                           ShownCase{"above_unicode", "\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},
                                           ShownCase{"cut_short_at_end", "ж\xd0", "ж\\xd0"},
                                           ShownCase{"cut_by_ascii", "\xe2\x82x", "\\xe2\\x82x"},
                                           ShownCase{"c1_control", "\xc2\x85", "\\xc2\\x85"},
                                           ShownCase{"no_break_space_kept", "\xc2\xa0", "\xc2\xa0"},
                                           ShownCase{"four_byte_kept", "\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80"},
                                           ShownCase{"last_two_byte_kept", "\xdf\xbf", "\xdf\xbf"},
                                           ShownCase{"first_three_byte_kept", "\xe0\xa0\x80", "\xe0\xa0\x80"},
                                           ShownCase{"overlong_three_byte", "\xe0\x80\x80", "\\xe0\\x80\\x80"},
                                           ShownCase{"bad_second_byte", "\xe2\x28\xa1", "\\xe2(\\xa1"},
                                           ShownCase{"last_code_kept", "\xf4\x8f\xbf\xbf", "\xf4\x8f\xbf\xbf"},
                                           ShownCase{"lead_byte_f5", "\xf5\x80\x80\x80", "\\xf5\\x80\\x80\\x80"},
                                           ShownCase{"npy_magic", "\x93NUMPY\x01", "\\x93NUMPY\\x01"}),
                         [](const auto &info) { return std::string(info.param.name); });

// Where reading stopped before the first line, no "line 0" is named.
TEST(AtLineTest, LineZeroIsNotNamed) {
    AudienceScope scope(Audience::Windows);
    EXPECT_EQ(Message::atLine(0, "x"), "x");
    EXPECT_EQ(Message::atLine(1, "x"), "строка 1: x");
}

} // namespace
