#include <gtest/gtest.h>

#include <string>

#include "project/ini_file.h"

using pulsefir::project::IniDocument;

namespace {
std::string read(const char *text, const char *section, const char *key) {
    return IniDocument::parse(text).readString(section, key, "<none>");
}
} // namespace

struct ReadCase {
    const char *name;
    const char *text;
    const char *section;
    const char *key;
    const char *expected;
};

void PrintTo(const ReadCase &c, std::ostream *os) {
    *os << c.name;
}

class IniReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, ReadsTheValue) {
    const auto &c = GetParam();
    EXPECT_EQ(read(c.text, c.section, c.key), std::string(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniReadTest,
    ::testing::Values(ReadCase{"crlf", "[A]\r\nk=1\r\n", "A", "k", "1"}, ReadCase{"lf", "[A]\nk=2\n", "A", "k", "2"},
                      ReadCase{"no final line end", "[A]\nk=3", "A", "k", "3"},
                      ReadCase{"byte order mark", "\xEF\xBB\xBF[A]\r\nk=4\r\n", "A", "k", "4"},
                      ReadCase{"section case", "[MainForm]\nk=5\n", "MAINFORM", "k", "5"},
                      ReadCase{"key case", "[A]\nTop=6\n", "A", "TOP", "6"},
                      ReadCase{"first duplicate key", "[A]\nk=7\nk=8\n", "A", "k", "7"},
                      ReadCase{"first duplicate section", "[A]\nk=9\n[A]\nk=10\n", "A", "k", "9"},
                      ReadCase{"key in another section", "[A]\nk=1\n[B]\nj=2\n", "B", "k", "<none>"},
                      ReadCase{"missing section", "[A]\nk=1\n", "C", "k", "<none>"},
                      ReadCase{"garbage lines ignored", "junk\n[A\n=x\n[A]\nnot a key\nk=11\n", "A", "k", "11"},
                      ReadCase{"value with equals sign", "[A]\nk=a=b\n", "A", "k", "a=b"},
                      ReadCase{"blanks around", "[ A ]\n  k =  12  \n", "A", "k", "12"},
                      ReadCase{"unicode blanks around", "[A]\nk=\xC2\xA0 13\xE2\x80\x83\n", "A", "k", "13"}));

TEST(IniDocumentTest, ValuesAreCutAt2047Characters) {
    const std::string text = "[A]\nk=" + std::string(5000, 'x') + "\n";
    EXPECT_EQ(IniDocument::parse(text).readString("A", "k", "").size(), 2047u);
    // Characters, not bytes: 2047 Cyrillic letters of two bytes each.
    std::string cyrillic;
    for (int k = 0; k < 3000; ++k)
        cyrillic += "ж";
    EXPECT_EQ(IniDocument::parse("[A]\nk=" + cyrillic + "\n").readString("A", "k", "").size(), 2u * 2047);
}

TEST(IniDocumentTest, IntegersAndBooleans) {
    const auto doc =
        IniDocument::parse("[A]\ndec=-42\nhex=0x1F\nHEX=0X10\nbad=12a\nfrac=1,5\nempty=\nbool=7\nzero=0\n");
    EXPECT_EQ(doc.readInteger("A", "dec", 0), -42);
    EXPECT_EQ(doc.readInteger("A", "hex", 0), 31);
    EXPECT_EQ(doc.readInteger("A", "missing", 99), 99);
    EXPECT_EQ(doc.readInteger("A", "bad", 5), 5);
    EXPECT_EQ(doc.readInteger("A", "frac", 5), 5);
    EXPECT_EQ(doc.readInteger("A", "empty", 5), 5);
    EXPECT_TRUE(doc.readBool("A", "bool", false));
    EXPECT_FALSE(doc.readBool("A", "zero", true));
    EXPECT_TRUE(doc.readBool("A", "bad", true)) << "not an integer: the default";
    EXPECT_EQ(IniDocument::parse("[A]\nk=99999999999\n").readInteger("A", "k", 3), 3) << "out of int range";
}

TEST(IniDocumentTest, WritesReplaceInPlaceAppendToTheSectionOrAddASection) {
    auto doc = IniDocument::parse("; comment\r\n[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\nz=3\r\n");
    doc.writeString("a", "X", "10");
    doc.writeInteger("A", "w", 4);
    doc.writeBool("C", "flag", true);
    EXPECT_EQ(doc.serialize(),
              std::string("; comment\r\n[A]\r\nX=10\r\ny=2\r\nw=4\r\n\r\n[B]\r\nz=3\r\n[C]\r\nflag=1\r\n"));
}

TEST(IniDocumentTest, EraseSectionRemovesItsLinesOnly) {
    auto doc = IniDocument::parse("[A]\nx=1\n[B]\ny=2\n; note\n[C]\nz=3\n");
    doc.eraseSection("b");
    EXPECT_EQ(doc.serialize(), std::string("[A]\r\nx=1\r\n[C]\r\nz=3\r\n"));
    doc.eraseSection("missing");
    EXPECT_EQ(doc.serialize(), std::string("[A]\r\nx=1\r\n[C]\r\nz=3\r\n"));
}

TEST(IniDocumentTest, BytesOutsideAsciiPassThroughUnchanged) {
    static const char raw[] = "[A]\r\nname=\xC0\xFF\x01\r\n\xFE\xFE\r\n";
    const std::string text(raw, sizeof raw - 1);
    EXPECT_EQ(IniDocument::parse(text).serialize(), text);
}
