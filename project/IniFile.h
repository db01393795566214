#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace pulsefir::project {

// An INI text held in memory as its lines, so that what is not touched is written back byte for
// byte. The text is kept once, in one buffer; a line is a few offsets into it, and a run of lines
// that are neither sections nor keys (blank lines, comments) is one entry, so the memory stays a
// small multiple of the file's size whatever the file holds. Sections and keys compare without regard to letter case;
// of duplicate keys the first counts; lines that are neither a section nor a key are kept as they are and otherwise
// ignored. Reads CRLF or LF line ends and a UTF-8 byte-order mark; writes CRLF.
class IniDocument {
  public:
    static constexpr int MaxValueLength = 2047;

    IniDocument() = default;
    static IniDocument parse(const QByteArray &bytes);
    QByteArray serialize() const;

    bool hasSection(const QString &section) const;
    bool hasKey(const QString &section, const QString &key) const;

    // The value text (at most 2047 characters), or the default when the section or key is missing.
    QString readString(const QString &section, const QString &key, const QString &defaultValue) const;
    // The project file's integer grammar (base::parseProjectInteger): decimal digits with an
    // optional sign, or "0x"/"0X" and hexadecimal digits; anything else gives the default.
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;

    // Replaces the value in place, or appends the key at the end of its section, or appends the
    // section at the end of the text.
    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);
    // Removes the section line and everything up to the next section.
    void eraseSection(const QString &section);

  private:
    // Offsets into m_text. A run of other lines is one entry whose text holds them joined by
    // CRLF, as they are written back.
    struct Line {
        qint32 start = 0;
        qint32 length = 0;
        qint32 nameStart = 0; // section or key name, relative to start
        qint32 nameLength = 0;
        qint32 valueStart = -1; // key lines: where the value begins, relative to start
        bool isSection = false;
        bool isKey() const { return valueStart >= 0; }
        bool isOther() const { return !isSection && !isKey(); }
    };
    Line makeLine(qint32 start, qint32 length) const; // classifies text already in m_text
    Line appendLine(const QByteArray &text);          // adds a written line to m_text
    QByteArray textOf(const Line &line) const { return m_text.mid(line.start, line.length); }
    bool nameIs(const Line &line, const QByteArray &name) const;
    int sectionLine(const QString &section) const;
    int sectionEnd(int header) const; // one past the section's last line
    int keyLine(const QString &section, const QString &key) const;

    QByteArray m_text; // the file as read, then every line written since
    std::vector<Line> m_lines;
    bool m_byteOrderMark = false; // written back as it was read
};

} // namespace pulsefir::project
