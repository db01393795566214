#include "ini_file.h"

#include <cstring>

#include "base/number_text.h"
#include "base/text.h"

namespace pulsefir::project {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

IniDocument::Line IniDocument::makeLine(std::int32_t start, std::int32_t length) const {
    Line line;
    line.start = start;
    line.length = length;
    const char *text = m_text.data() + start;
    std::int32_t b = 0;
    std::int32_t e = length;
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    if (b < e && text[b] == '[') {
        const char *close = static_cast<const char *>(std::memchr(text + b, ']', static_cast<std::size_t>(e - b)));
        if (close && close > text + b + 1) {
            std::int32_t nb = b + 1;
            std::int32_t ne = static_cast<std::int32_t>(close - text);
            while (nb < ne && isBlank(text[nb]))
                ++nb;
            while (ne > nb && isBlank(text[ne - 1]))
                --ne;
            line.isSection = true;
            line.nameStart = nb;
            line.nameLength = ne - nb;
            return line;
        }
    }
    const char *eq = static_cast<const char *>(std::memchr(text, '=', static_cast<std::size_t>(length)));
    if (eq && eq > text && b < e && text[b] != ';' && text[b] != '#') {
        std::int32_t ke = static_cast<std::int32_t>(eq - text);
        while (ke > b && isBlank(text[ke - 1]))
            --ke;
        if (ke > b && b < static_cast<std::int32_t>(eq - text)) {
            line.nameStart = b;
            line.nameLength = ke - b;
            line.valueStart = static_cast<std::int32_t>(eq - text) + 1;
        }
    }
    return line;
}

IniDocument::Line IniDocument::appendLine(std::string_view text) {
    const auto start = static_cast<std::int32_t>(m_text.size());
    m_text += text;
    return makeLine(start, static_cast<std::int32_t>(text.size()));
}

bool IniDocument::nameIs(const Line &line, std::string_view name) const {
    return base::equalIgnoringCase(
        std::string_view(m_text.data() + line.start + line.nameStart, static_cast<std::size_t>(line.nameLength)), name);
}

IniDocument IniDocument::parse(std::string_view bytes) {
    IniDocument doc;
    doc.m_text = bytes;
    std::int32_t start = 0;
    if (doc.m_text.starts_with("\xEF\xBB\xBF")) {
        start = 3;
        doc.m_byteOrderMark = true;
    }
    const auto size = static_cast<std::int32_t>(doc.m_text.size());
    // CR LF line ends: the CR is not part of the line. A file written with CR alone (as old
    // editors of another platform do) has no LF at all; then each CR ends a line. A run of other
    // lines is kept as one entry; its joining line ends are rewritten as CR LF, as a save writes
    // every line end.
    const char lineEnd = doc.m_text.find('\n') == std::string::npos ? '\r' : '\n';
    while (start < size) {
        const char *nl = static_cast<const char *>(
            std::memchr(doc.m_text.data() + start, lineEnd, static_cast<std::size_t>(size - start)));
        std::int32_t end = nl ? static_cast<std::int32_t>(nl - doc.m_text.data()) : size;
        std::int32_t length = end - start;
        if (lineEnd == '\n' && length > 0 && doc.m_text[start + length - 1] == '\r')
            --length;
        Line line = doc.makeLine(start, length);
        if (line.isOther() && !doc.m_lines.empty() && doc.m_lines.back().isOther()) {
            // Extend the run: its text becomes "previous CR LF this line" at the end of m_text
            // only when the two are not already adjacent with a CR LF between them.
            Line &run = doc.m_lines.back();
            const std::int32_t runEnd = run.start + run.length;
            if (lineEnd == '\n' && runEnd + 2 == start && doc.m_text[runEnd] == '\r') {
                run.length = start + length - run.start; // the file's own CR LF joins them
            } else {
                if (runEnd != static_cast<std::int32_t>(doc.m_text.size())) {
                    // Move the run to the end of the buffer, where it can grow.
                    const std::string moved = doc.textOf(run);
                    run.start = static_cast<std::int32_t>(doc.m_text.size());
                    doc.m_text += moved;
                }
                doc.m_text += "\r\n";
                doc.m_text.append(doc.m_text.data() + start, static_cast<std::size_t>(length));
                run.length = static_cast<std::int32_t>(doc.m_text.size()) - run.start;
            }
        } else {
            doc.m_lines.push_back(line);
        }
        start = end + 1;
    }
    return doc;
}

std::string IniDocument::serialize() const {
    std::string out = m_byteOrderMark ? std::string("\xEF\xBB\xBF") : std::string();
    for (const Line &line : m_lines) {
        out.append(m_text.data() + line.start, static_cast<std::size_t>(line.length));
        out += "\r\n";
    }
    return out;
}

int IniDocument::sectionLine(std::string_view section) const {
    const std::string_view name = section;
    for (int k = 0; k < static_cast<int>(m_lines.size()); ++k)
        if (m_lines[static_cast<std::size_t>(k)].isSection && nameIs(m_lines[static_cast<std::size_t>(k)], name))
            return k;
    return -1;
}

int IniDocument::sectionEnd(int header) const {
    int k = header + 1;
    while (k < static_cast<int>(m_lines.size()) && !m_lines[static_cast<std::size_t>(k)].isSection)
        ++k;
    return k;
}

int IniDocument::keyLine(std::string_view section, std::string_view key) const {
    const int header = sectionLine(section);
    if (header < 0)
        return -1;
    const int end = sectionEnd(header);
    const std::string_view name = key;
    for (int k = header + 1; k < end; ++k)
        if (m_lines[static_cast<std::size_t>(k)].isKey() && nameIs(m_lines[static_cast<std::size_t>(k)], name))
            return k;
    return -1;
}

bool IniDocument::hasSection(std::string_view section) const {
    return sectionLine(section) >= 0;
}

bool IniDocument::hasKey(std::string_view section, std::string_view key) const {
    return keyLine(section, key) >= 0;
}

std::string IniDocument::readString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
    const int k = keyLine(section, key);
    if (k < 0)
        return std::string(defaultValue);
    const Line &line = m_lines[static_cast<std::size_t>(k)];
    const std::string_view value(m_text.data() + line.start + line.valueStart,
                                 static_cast<std::size_t>(line.length - line.valueStart));
    return std::string(base::leftUtf16(base::trimSpace(value), MaxValueLength));
}

int IniDocument::readInteger(std::string_view section, std::string_view key, int defaultValue) const {
    return base::parseProjectInteger(readString(section, key, {})).value_or(defaultValue);
}

bool IniDocument::readBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniDocument::writeString(std::string_view section, std::string_view key, std::string_view value) {
    const std::string text = std::string(key) + "=" + std::string(value);
    const int existing = keyLine(section, key);
    if (existing >= 0) {
        m_lines[static_cast<std::size_t>(existing)] = appendLine(text);
        return;
    }
    int header = sectionLine(section);
    if (header < 0) {
        m_lines.push_back(appendLine("[" + std::string(section) + "]"));
        m_lines.push_back(appendLine(text));
        return;
    }
    // After the section's last key (blank lines and comments after it stay after it).
    int at = header + 1;
    const int end = sectionEnd(header);
    for (int k = header + 1; k < end; ++k)
        if (m_lines[static_cast<std::size_t>(k)].isKey())
            at = k + 1;
    m_lines.insert(m_lines.begin() + at, appendLine(text));
}

void IniDocument::writeInteger(std::string_view section, std::string_view key, int value) {
    writeString(section, key, base::formatInteger(value));
}

void IniDocument::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

void IniDocument::eraseSection(std::string_view section) {
    const int header = sectionLine(section);
    if (header < 0)
        return;
    m_lines.erase(m_lines.begin() + header, m_lines.begin() + sectionEnd(header));
}

std::vector<IniDocument::Entry> IniDocument::entries(std::string_view section) const {
    std::vector<Entry> result;
    const int header = sectionLine(section);
    if (header < 0)
        return result;
    const int end = sectionEnd(header);
    for (int k = header + 1; k < end; ++k) {
        const Line &line = m_lines[static_cast<std::size_t>(k)];
        if (!line.isKey())
            continue;
        const std::string_view name(m_text.data() + line.start + line.nameStart,
                                    static_cast<std::size_t>(line.nameLength));
        const std::string_view value(m_text.data() + line.start + line.valueStart,
                                     static_cast<std::size_t>(line.length - line.valueStart));
        result.emplace_back(name, base::trimSpace(value));
    }
    return result;
}

int IniDocument::sectionCount(std::string_view section) const {
    int count = 0;
    for (const Line &line : m_lines)
        if (line.isSection && nameIs(line, section))
            ++count;
    return count;
}

std::vector<std::string> IniDocument::sectionNames() const {
    std::vector<std::string> names;
    for (const Line &line : m_lines) {
        if (!line.isSection)
            continue;
        std::string name = m_text.substr(static_cast<std::size_t>(line.start + line.nameStart),
                                         static_cast<std::size_t>(line.nameLength));
        bool seen = false;
        for (const std::string &n : names)
            seen = seen || base::equalIgnoringCase(n, name);
        if (!seen)
            names.push_back(std::move(name));
    }
    return names;
}

void IniDocument::replaceSection(std::string_view section,
                                 const std::vector<std::pair<std::string, std::string>> &keys) {
    eraseSection(section);
    m_lines.push_back(appendLine("[" + std::string(section) + "]"));
    std::string text;
    for (const auto &[key, value] : keys) {
        text.assign(key).append("=").append(value);
        m_lines.push_back(appendLine(text));
    }
}

} // namespace pulsefir::project
