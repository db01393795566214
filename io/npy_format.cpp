#include "npy_format.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
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

PulseData readPulseNpy(std::span<const unsigned char> bytes, const std::string &name) {
    static constexpr unsigned char Magic[] = {0x93, 'N', 'U', 'M', 'P', 'Y'};
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
        return header.substr(colon + 1);
    };
    std::string descr = valueAfter("'descr'");
    {
        const std::size_t q1 = descr.find('\'');
        const std::size_t q2 = q1 == std::string::npos ? q1 : descr.find('\'', q1 + 1);
        if (q2 == std::string::npos)
            fail(name, Message::atByte(headerStart, Message::npyBrokenHeader("descr")));
        descr = descr.substr(q1 + 1, q2 - q1 - 1);
    }
    std::size_t itemSize = 0;
    if (descr == "<f8")
        itemSize = 8;
    else if (descr == "<f4")
        itemSize = 4;
    else
        fail(name, Message::npyType(descr));

    std::string shape = valueAfter("'shape'");
    {
        const std::size_t open = shape.find('(');
        const std::size_t close = shape.find(')');
        if (open == std::string::npos || close == std::string::npos || close < open)
            fail(name, Message::atByte(headerStart, Message::npyBrokenHeader("shape")));
        shape = shape.substr(open + 1, close - open - 1);
    }
    std::vector<std::string_view> dims;
    {
        std::string_view rest(shape);
        while (!rest.empty()) {
            const std::size_t comma = rest.find(',');
            const std::string_view d = trim(rest.substr(0, comma));
            if (!d.empty())
                dims.push_back(d);
            if (comma == std::string_view::npos)
                break;
            rest.remove_prefix(comma + 1);
        }
    }
    if (dims.size() != 1)
        fail(name, Message::npyShape(shape));
    const auto dimension = base::parseDataCount(dims[0]);
    if (!dimension)
        fail(name, Message::npyShape(shape));
    const std::size_t count = *dimension;
    if (count > MaxPulseSamples)
        fail(name, Message::sampleCountAbove(count, MaxPulseSamples));
    if (count == 0)
        fail(name, Message::npyEmpty());

    const std::size_t dataStart = headerStart + headerLength;
    if (bytes.size() - dataStart < count * itemSize)
        fail(name, Message::atByte(bytes.size(), Message::fileCutShort(count, (bytes.size() - dataStart) / itemSize)));

    PulseData result;
    result.samples.resize(count);
    for (std::size_t k = 0; k < count; ++k) {
        const unsigned char *p = bytes.data() + dataStart + k * itemSize;
        double v = 0.0;
        if (itemSize == 8) {
            std::memcpy(&v, p, 8);
        } else {
            float f = 0.0f;
            std::memcpy(&f, p, 4);
            v = f;
        }
        if (!std::isfinite(v))
            fail(name, Message::atByte(dataStart + k * itemSize, Message::sampleNotFinite(k)));
        result.samples[k] = v;
    }
    result.description = Message::npyDescription(itemSize == 8);
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
