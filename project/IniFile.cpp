#include "IniFile.h"

#include <cstring>

#include "base/number_text.h"

namespace pulsefir::project {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

IniDocument::Line IniDocument::makeLine(qint32 start, qint32 length) const {
    Line line;
    line.start = start;
    line.length = length;
    const char *text = m_text.constData() + start;
    qint32 b = 0;
    qint32 e = length;
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    if (b < e && text[b] == '[') {
        const char *close = static_cast<const char *>(std::memchr(text + b, ']', static_cast<std::size_t>(e - b)));
        if (close && close > text + b + 1) {
            qint32 nb = b + 1;
            qint32 ne = static_cast<qint32>(close - text);
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
        qint32 ke = static_cast<qint32>(eq - text);
        while (ke > b && isBlank(text[ke - 1]))
            --ke;
        if (ke > b && b < static_cast<qint32>(eq - text)) {
            line.nameStart = b;
            line.nameLength = ke - b;
            line.valueStart = static_cast<qint32>(eq - text) + 1;
        }
    }
    return line;
}

IniDocument::Line IniDocument::appendLine(const QByteArray &text) {
    const auto start = static_cast<qint32>(m_text.size());
    m_text += text;
    return makeLine(start, static_cast<qint32>(text.size()));
}

bool IniDocument::nameIs(const Line &line, const QByteArray &name) const {
    return line.nameLength == name.size() && qstrnicmp(m_text.constData() + line.start + line.nameStart,
                                                       name.constData(), static_cast<std::size_t>(name.size())) == 0;
}

IniDocument IniDocument::parse(const QByteArray &bytes) {
    IniDocument doc;
    doc.m_text = bytes;
    qint32 start = 0;
    if (doc.m_text.startsWith("\xEF\xBB\xBF")) {
        start = 3;
        doc.m_byteOrderMark = true;
    }
    const auto size = static_cast<qint32>(doc.m_text.size());
    // CR LF line ends: the CR is not part of the line. A run of other lines is kept as one entry;
    // its joining line ends are rewritten as CR LF, as a save writes every line end.
    while (start < size) {
        const char *nl = static_cast<const char *>(
            std::memchr(doc.m_text.constData() + start, '\n', static_cast<std::size_t>(size - start)));
        qint32 end = nl ? static_cast<qint32>(nl - doc.m_text.constData()) : size;
        qint32 length = end - start;
        if (length > 0 && doc.m_text[start + length - 1] == '\r')
            --length;
        Line line = doc.makeLine(start, length);
        if (line.isOther() && !doc.m_lines.empty() && doc.m_lines.back().isOther()) {
            // Extend the run: its text becomes "previous CR LF this line" at the end of m_text
            // only when the two are not already adjacent with a CR LF between them.
            Line &run = doc.m_lines.back();
            const qint32 runEnd = run.start + run.length;
            if (runEnd + 2 == start && doc.m_text[runEnd] == '\r') {
                run.length = start + length - run.start; // the file's own CR LF joins them
            } else {
                if (runEnd != static_cast<qint32>(doc.m_text.size())) {
                    // Move the run to the end of the buffer, where it can grow.
                    const QByteArray moved = doc.textOf(run);
                    run.start = static_cast<qint32>(doc.m_text.size());
                    doc.m_text += moved;
                }
                doc.m_text += "\r\n";
                doc.m_text.append(doc.m_text.constData() + start, length);
                run.length = static_cast<qint32>(doc.m_text.size()) - run.start;
            }
        } else {
            doc.m_lines.push_back(line);
        }
        start = end + 1;
    }
    return doc;
}

QByteArray IniDocument::serialize() const {
    QByteArray out = m_byteOrderMark ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    for (const Line &line : m_lines) {
        out.append(m_text.constData() + line.start, line.length);
        out += "\r\n";
    }
    return out;
}

int IniDocument::sectionLine(const QString &section) const {
    const QByteArray name = section.toUtf8();
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

int IniDocument::keyLine(const QString &section, const QString &key) const {
    const int header = sectionLine(section);
    if (header < 0)
        return -1;
    const int end = sectionEnd(header);
    const QByteArray name = key.toUtf8();
    for (int k = header + 1; k < end; ++k)
        if (m_lines[static_cast<std::size_t>(k)].isKey() && nameIs(m_lines[static_cast<std::size_t>(k)], name))
            return k;
    return -1;
}

bool IniDocument::hasSection(const QString &section) const {
    return sectionLine(section) >= 0;
}

bool IniDocument::hasKey(const QString &section, const QString &key) const {
    return keyLine(section, key) >= 0;
}

QString IniDocument::readString(const QString &section, const QString &key, const QString &defaultValue) const {
    const int k = keyLine(section, key);
    if (k < 0)
        return defaultValue;
    const Line &line = m_lines[static_cast<std::size_t>(k)];
    return QString::fromUtf8(m_text.constData() + line.start + line.valueStart, line.length - line.valueStart)
        .trimmed()
        .left(MaxValueLength);
}

int IniDocument::readInteger(const QString &section, const QString &key, int defaultValue) const {
    return base::parseProjectInteger(readString(section, key, QString()).toStdString()).value_or(defaultValue);
}

bool IniDocument::readBool(const QString &section, const QString &key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniDocument::writeString(const QString &section, const QString &key, const QString &value) {
    const QByteArray text = key.toUtf8() + "=" + value.toUtf8();
    const int existing = keyLine(section, key);
    if (existing >= 0) {
        m_lines[static_cast<std::size_t>(existing)] = appendLine(text);
        return;
    }
    int header = sectionLine(section);
    if (header < 0) {
        m_lines.push_back(appendLine("[" + section.toUtf8() + "]"));
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

void IniDocument::writeInteger(const QString &section, const QString &key, int value) {
    writeString(section, key, QString::fromStdString(base::formatInteger(value)));
}

void IniDocument::writeBool(const QString &section, const QString &key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

void IniDocument::eraseSection(const QString &section) {
    const int header = sectionLine(section);
    if (header < 0)
        return;
    m_lines.erase(m_lines.begin() + header, m_lines.begin() + sectionEnd(header));
}

} // namespace pulsefir::project
