#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pulsefir::project {

// An INI text held in memory as its lines, so that what is not touched is written back byte for
// byte. The text is kept once, in one buffer; a line is a few offsets into it, and a run of lines
// that are neither sections nor keys (blank lines, comments) is one entry, so the memory stays a
// small multiple of the file's size whatever the file holds. Sections and keys compare without regard to letter case;
// of duplicate keys the first counts; lines that are neither a section nor a key are kept as they are and otherwise
// ignored. Reads CRLF, LF or CR-only line ends and a UTF-8 byte-order mark; writes CRLF.
class IniDocument {
  public:
    static constexpr int MaxValueLength = 2047;

    IniDocument() = default;
    static IniDocument parse(std::string_view bytes);
    std::string serialize() const;

    bool hasSection(std::string_view section) const;
    bool hasKey(std::string_view section, std::string_view key) const;

    // The value text (at most 2047 characters), or the default when the section or key is missing.
    std::string readString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // The project file's integer grammar (base::parseProjectInteger): decimal digits with an
    // optional sign, or "0x"/"0X" and hexadecimal digits; anything else gives the default.
    int readInteger(std::string_view section, std::string_view key, int defaultValue) const;
    bool readBool(std::string_view section, std::string_view key, bool defaultValue) const;

    // Replaces the value in place, or appends the key at the end of its section, or appends the
    // section at the end of the text.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, int value);
    void writeBool(std::string_view section, std::string_view key, bool value);
    // Removes the section line and everything up to the next section.
    void eraseSection(std::string_view section);

    // The keys of the section's first occurrence with their values (trimmed, not cut), in file
    // order; views into the document, valid until it changes.
    using Entry = std::pair<std::string_view, std::string_view>;
    std::vector<Entry> entries(std::string_view section) const;
    // How often a section of that name occurs; the keys of every occurrence after the first are
    // never read.
    int sectionCount(std::string_view section) const;
    // The names of the sections in file order, each once.
    std::vector<std::string> sectionNames() const;
    // Erases the section and appends it at the end of the text with these keys in this order: one
    // pass, however many keys (a buffer of the work holds thousands of lines).
    void replaceSection(std::string_view section, const std::vector<std::pair<std::string, std::string>> &keys);

  private:
    // Offsets into m_text. A run of other lines is one entry whose text holds them joined by
    // CRLF, as they are written back.
    struct Line {
        std::int32_t start = 0;
        std::int32_t length = 0;
        std::int32_t nameStart = 0; // section or key name, relative to start
        std::int32_t nameLength = 0;
        std::int32_t valueStart = -1; // key lines: where the value begins, relative to start
        bool isSection = false;
        bool isKey() const { return valueStart >= 0; }
        bool isOther() const { return !isSection && !isKey(); }
    };
    Line makeLine(std::int32_t start, std::int32_t length) const; // classifies text already in m_text
    Line appendLine(std::string_view text);                       // adds a written line to m_text
    std::string textOf(const Line &line) const {
        return m_text.substr(static_cast<std::size_t>(line.start), static_cast<std::size_t>(line.length));
    }
    bool nameIs(const Line &line, std::string_view name) const;
    int sectionLine(std::string_view section) const;
    int sectionEnd(int header) const; // one past the section's last line
    int keyLine(std::string_view section, std::string_view key) const;

    std::string m_text; // the file as read, then every line written since
    std::vector<Line> m_lines;
    bool m_byteOrderMark = false; // written back as it was read
};

} // namespace pulsefir::project
