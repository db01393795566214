#include "npy_format.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

#include "base/messages.h"
#include "base/number_text.h"
#include "io/reader_common.h"

namespace pulsefir::io {

static_assert(std::endian::native == std::endian::little, "the .npy reader assumes a little-endian host");

namespace {

// NumPy aligns the end of the header (magic, version and length included) to this many bytes.
constexpr std::size_t NpyAlignment = 64;

using base::Message;

} // namespace

namespace {

// A half-precision float's bits as a double (IEEE 754 binary16).
double halfToDouble(std::uint16_t h) {
    const int exponent = (h >> 10) & 0x1F;
    const int mantissa = h & 0x3FF;
    const double sign = (h & 0x8000) != 0 ? -1.0 : 1.0;
    if (exponent == 0)
        return sign * std::ldexp(static_cast<double>(mantissa), -24);
    if (exponent == 31)
        return mantissa == 0 ? sign * std::numeric_limits<double>::infinity()
                             : std::numeric_limits<double>::quiet_NaN();
    return sign * std::ldexp(static_cast<double>(mantissa + 1024), exponent - 25);
}

struct NpyType {
    char kind = 'f'; // 'f' float, 'i' signed, 'u' unsigned integer
    std::size_t size = 8;
    bool bigEndian = false;
};

// "<f8", ">i4", "=u2", "|u1", "f8": a byte order mark or none, a kind, a size in bytes.
std::optional<NpyType> parseDescr(std::string_view d) {
    NpyType t;
    if (!d.empty() && (d[0] == '<' || d[0] == '>' || d[0] == '=' || d[0] == '|')) {
        t.bigEndian = d[0] == '>';
        d.remove_prefix(1);
    }
    if (d.size() != 2)
        return std::nullopt;
    t.kind = d[0];
    t.size = static_cast<std::size_t>(d[1] - '0');
    const bool floating = t.kind == 'f' && (t.size == 2 || t.size == 4 || t.size == 8);
    const bool integral =
        (t.kind == 'i' || t.kind == 'u') && (t.size == 1 || t.size == 2 || t.size == 4 || t.size == 8);
    if (!floating && !integral)
        return std::nullopt;
    return t;
}

double readValue(const unsigned char *p, const NpyType &t) {
    std::uint64_t bits = 0;
    for (std::size_t k = 0; k < t.size; ++k) {
        const std::size_t from = t.bigEndian ? k : t.size - 1 - k;
        bits = (bits << 8) | p[from];
    }
    if (t.kind == 'f') {
        if (t.size == 2)
            return halfToDouble(static_cast<std::uint16_t>(bits));
        if (t.size == 4)
            return std::bit_cast<float>(static_cast<std::uint32_t>(bits));
        return std::bit_cast<double>(bits);
    }
    if (t.kind == 'u')
        return static_cast<double>(bits);
    const unsigned shift = static_cast<unsigned>(64 - 8 * t.size); // sign-extend from the stored width
    return static_cast<double>(static_cast<std::int64_t>(bits << shift) >> shift);
}

} // namespace

PulseData readPulseNpy(std::span<const unsigned char> bytes, const std::string &name) {
    static constexpr unsigned char Magic[] = {0x93, 'N', 'U', 'M', 'P', 'Y'};
    if (bytes.empty())
        fail(name, Message::fileEmpty());
    if (bytes.size() < 10 || std::memcmp(bytes.data(), Magic, sizeof Magic) != 0)
        fail(name, bytes.size() < 10 ? Message::atByte(bytes.size(), Message::cutInHeader())
                                     : Message::atByte(0, Message::notNpy()));
    const unsigned major = bytes[6];
    std::size_t headerLength = 0;
    std::size_t headerStart = 10;
    if (major == 1) {
        headerLength = static_cast<std::size_t>(bytes[8]) | (static_cast<std::size_t>(bytes[9]) << 8);
    } else if (major == 2 || major == 3) {
        if (bytes.size() < 12)
            fail(name, Message::atByte(bytes.size(), Message::cutInHeader()));
        headerLength = readLe32(bytes, 8);
        headerStart = 12;
    } else {
        fail(name, Message::atByte(6, Message::npyVersion(major)));
    }
    if (headerLength > MaxTextLineBytes)
        fail(name, Message::atByte(8, Message::headerTooLong(MaxTextLineBytes)));
    if (headerStart + headerLength > bytes.size())
        fail(name, Message::atByte(bytes.size(), Message::cutInHeader()));
    const std::string header(reinterpret_cast<const char *>(bytes.data() + headerStart), headerLength);

    // The header is a Python dictionary literal: {'descr': '<f8', 'fortran_order': False, 'shape': (N,), }
    const auto valueAfter = [&](const char *key) -> std::string {
        const std::size_t k = header.find(key);
        if (k == std::string::npos)
            fail(name, Message::atByte(headerStart, Message::npyMissingKey(key)));
        const std::size_t colon = header.find(':', k);
        if (colon == std::string::npos)
            fail(name, Message::atByte(headerStart + k, Message::npyBrokenHeader("")));
        return std::string(trim(std::string_view(header).substr(colon + 1)));
    };
    std::string descr = valueAfter("'descr'");
    const bool structured = !descr.empty() && descr[0] == '[';
    if (structured) {
        descr = descr.substr(0, std::min(descr.find(']'), descr.size() - 1) + 1);
    } else {
        const std::size_t q1 = descr.find_first_of("'\"");
        const std::size_t q2 = q1 == std::string::npos ? q1 : descr.find(descr[q1], q1 + 1);
        if (q2 == std::string::npos)
            fail(name, Message::atByte(headerStart, Message::npyBrokenHeader("descr")));
        descr = descr.substr(q1 + 1, q2 - q1 - 1);
    }

    std::string shape = valueAfter("'shape'");
    {
        const std::size_t open = shape.find('(');
        const std::size_t close = shape.find(')');
        if (open == std::string::npos || close == std::string::npos || close < open)
            fail(name, Message::atByte(headerStart, Message::npyBrokenHeader("shape")));
        shape = shape.substr(open + 1, close - open - 1);
    }
    std::vector<std::size_t> dims;
    {
        std::string_view rest(shape);
        while (!rest.empty()) {
            const std::size_t comma = rest.find(',');
            std::string_view d = trim(rest.substr(0, comma));
            if (!d.empty() && (d.back() == 'L' || d.back() == 'l')) // Python 2 writes long integers so
                d.remove_suffix(1);
            if (!d.empty()) {
                const auto dimension = base::parseDataCount(d);
                if (!dimension)
                    fail(name, Message::npyShape(shape));
                dims.push_back(*dimension);
            }
            if (comma == std::string_view::npos)
                break;
            rest.remove_prefix(comma + 1);
        }
    }
    const std::optional<NpyType> type = structured ? std::nullopt : parseDescr(descr);
    // (N), (N,1) and (1,N) hold one row of samples in the same order, Fortran order or not.
    const bool oneDimensional = dims.size() == 1 || (dims.size() == 2 && (dims[0] == 1 || dims[1] == 1));
    if (!type && (structured || !oneDimensional))
        fail(name, Message::npyArrayRefused(descr, shape));
    if (!type)
        fail(name, Message::npyType(descr));
    if (!oneDimensional)
        fail(name, Message::npyArrayRefused(descr, shape));
    const std::size_t count = dims.size() == 1 ? dims[0] : dims[0] * dims[1];
    if (count > MaxPulseSamples)
        fail(name, Message::sampleCountAbove(count, MaxPulseSamples));
    if (count == 0)
        fail(name, Message::npyEmpty());

    const std::size_t itemSize = type->size;
    const std::size_t dataStart = headerStart + headerLength;
    if (bytes.size() - dataStart < count * itemSize)
        fail(name, Message::atByte(bytes.size(), Message::fileCutShort(count, (bytes.size() - dataStart) / itemSize)));

    PulseData result;
    result.samples.resize(count);
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t at = dataStart + k * itemSize;
        const double v = readValue(bytes.data() + at, *type);
        if (!std::isfinite(v))
            fail(name, Message::atByte(at, Message::sampleNotFinite(k)));
        result.samples[k] = v;
    }
    result.description = type->kind == 'f' && !type->bigEndian && (itemSize == 8 || itemSize == 4)
                             ? Message::npyDescription(itemSize == 8)
                             : Message::npyTypeName(descr);
    return result;
}

void writeNpy(std::ostream &out, std::span<const double> values) {
    std::string header = "{'descr': '<f8', 'fortran_order': False, 'shape': (" +
                         base::formatInteger(static_cast<long long>(values.size())) + ",), }";
    const std::size_t unpadded = 10 + header.size() + 1; // magic 6, version 2, length 2, newline 1
    header.append((NpyAlignment - unpadded % NpyAlignment) % NpyAlignment, ' ');
    header += '\n';
    const auto length = static_cast<std::uint16_t>(header.size());
    const char preamble[] = {
        '\x93', 'N', 'U', 'M', 'P', 'Y', 1, 0, static_cast<char>(length & 0xFF), static_cast<char>(length >> 8)};
    out.write(preamble, sizeof preamble);
    out << header;
    static_assert(std::endian::native == std::endian::little, "'<f8' is written as the host stores doubles");
    out.write(reinterpret_cast<const char *>(values.data()), static_cast<std::streamsize>(values.size() * 8));
}

} // namespace pulsefir::io
