#include "IniFile.h"

#include <limits>

namespace pulsefir::project {

namespace {

QByteArray trimmed(const QByteArray &bytes) {
    return bytes.trimmed();
}

bool sameName(const QByteArray &a, const QString &b) {
    return QString::fromUtf8(a).compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniDocument::Line IniDocument::makeLine(const QByteArray &text) {
    Line line;
    line.text = text;
    const QByteArray t = trimmed(text);
    if (t.startsWith('[')) {
        const int close = t.indexOf(']');
        if (close > 0) {
            line.section = trimmed(t.mid(1, close - 1));
            return line;
        }
    }
    const int eq = text.indexOf('=');
    if (eq > 0 && !t.startsWith(';') && !t.startsWith('#')) {
        const QByteArray key = trimmed(text.left(eq));
        if (!key.isEmpty()) {
            line.key = key;
            line.valueStart = eq + 1;
        }
    }
    return line;
}

IniDocument IniDocument::parse(const QByteArray &bytes) {
    IniDocument doc;
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF")) {
        data.remove(0, 3);
        doc.m_byteOrderMark = true;
    }
    int start = 0;
    while (start < data.size()) {
        int end = data.indexOf('\n', start);
        if (end < 0)
            end = static_cast<int>(data.size());
        QByteArray text = data.mid(start, end - start);
        if (text.endsWith('\r'))
            text.chop(1);
        doc.m_lines.push_back(makeLine(text));
        start = end + 1;
    }
    return doc;
}

QByteArray IniDocument::serialize() const {
    QByteArray out = m_byteOrderMark ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    for (const Line &line : m_lines) {
        out += line.text;
        out += "\r\n";
    }
    return out;
}

int IniDocument::sectionLine(const QString &section) const {
    for (int k = 0; k < static_cast<int>(m_lines.size()); ++k)
        if (!m_lines[static_cast<std::size_t>(k)].section.isNull() &&
            sameName(m_lines[static_cast<std::size_t>(k)].section, section))
            return k;
    return -1;
}

int IniDocument::sectionEnd(int header) const {
    int k = header + 1;
    while (k < static_cast<int>(m_lines.size()) && m_lines[static_cast<std::size_t>(k)].section.isNull())
        ++k;
    return k;
}

int IniDocument::keyLine(const QString &section, const QString &key) const {
    const int header = sectionLine(section);
    if (header < 0)
        return -1;
    const int end = sectionEnd(header);
    for (int k = header + 1; k < end; ++k)
        if (!m_lines[static_cast<std::size_t>(k)].key.isEmpty() &&
            sameName(m_lines[static_cast<std::size_t>(k)].key, key))
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
    return QString::fromUtf8(line.text.mid(line.valueStart)).trimmed().left(MaxValueLength);
}

bool ParseIniInteger(const QString &text, int &value) {
    const QString t = text.trimmed();
    bool ok = false;
    qlonglong v = 0;
    if (t.startsWith("0x", Qt::CaseInsensitive) || t.startsWith("-0x", Qt::CaseInsensitive)) {
        const bool negative = t.startsWith('-');
        const QString digits = t.mid(negative ? 3 : 2);
        if (digits.isEmpty() || digits.startsWith('+') || digits.startsWith('-'))
            return false;
        v = digits.toLongLong(&ok, 16);
        if (negative)
            v = -v;
    } else {
        for (int k = 0; k < t.size(); ++k)
            if (!(t[k].isDigit() && t[k].unicode() < 128) && !(k == 0 && (t[k] == '+' || t[k] == '-')))
                return false;
        v = t.toLongLong(&ok, 10);
    }
    if (!ok || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return false;
    value = static_cast<int>(v);
    return true;
}

int IniDocument::readInteger(const QString &section, const QString &key, int defaultValue) const {
    int value = 0;
    return ParseIniInteger(readString(section, key, QString()), value) ? value : defaultValue;
}

bool IniDocument::readBool(const QString &section, const QString &key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniDocument::writeString(const QString &section, const QString &key, const QString &value) {
    const QByteArray text = key.toUtf8() + "=" + value.toUtf8();
    const int existing = keyLine(section, key);
    if (existing >= 0) {
        m_lines[static_cast<std::size_t>(existing)] = makeLine(text);
        return;
    }
    int header = sectionLine(section);
    if (header < 0) {
        m_lines.push_back(makeLine("[" + section.toUtf8() + "]"));
        m_lines.push_back(makeLine(text));
        return;
    }
    // After the section's last key (blank lines and comments after it stay after it).
    int at = header + 1;
    const int end = sectionEnd(header);
    for (int k = header + 1; k < end; ++k)
        if (!m_lines[static_cast<std::size_t>(k)].key.isEmpty())
            at = k + 1;
    m_lines.insert(m_lines.begin() + at, makeLine(text));
}

void IniDocument::writeInteger(const QString &section, const QString &key, int value) {
    writeString(section, key, QString::number(value));
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
