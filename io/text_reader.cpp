#include "io/pulse_reader.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include <samplerate.h>
#include <sndfile.h>

#include "base/error.h"
#include "base/file.h"
#include "base/messages.h"
#include "base/number_text.h"
#include "io/file_extension.h"

namespace pulsefir::io {

static_assert(std::endian::native == std::endian::little, "the .npy and WAV readers assume a little-endian host");

namespace {

// Two sampling frequencies closer than this share of the larger are the same rate: a time
// column written with 7 significant digits still gives the field's rate back.
constexpr double SameRateShare = 1e-6;
// A time column is regular when no time lies further than this share of a step from the grid.
constexpr double TimeGridShare = 1e-3;

using base::Message;

[[noreturn]] void fail(const std::string &name, const std::string &what) {
    throw base::Error(Message::inFile(name, what));
}

// ---- Text ---------------------------------------------------------------------------------------

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool isComment(std::string_view line) {
    return line.empty() || line[0] == '#' || line[0] == '%' || line[0] == ';' || line.substr(0, 2) == "//";
}

bool startsLikeNumber(std::string_view line) {
    const char c = line[0];
    if ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == ',')
        return true;
    // A NaN or an infinity where the numbers begin is a fault in the data, not a header.
    std::string head;
    for (char h : line.substr(0, 3))
        head += static_cast<char>(h >= 'A' && h <= 'Z' ? h + ('a' - 'A') : h);
    return head == "nan" || head == "inf";
}

enum class Separator { Semicolon, Tab, Blanks, Comma };

struct TextLayout {
    Separator separator;
    bool decimalComma; // a ',' inside a field is the decimal separator
};

char separatorChar(Separator s) {
    switch (s) {
    case Separator::Semicolon:
        return ';';
    case Separator::Tab:
        return '\t';
    case Separator::Blanks:
        return ' ';
    case Separator::Comma:
        break;
    }
    return ',';
}

// Decides the column separator from the first line of numbers and, for a file separated by
// commas only, from whether any number of the data has a decimal point.
TextLayout detectLayout(std::string_view firstLine, std::string_view data) {
    if (firstLine.find(';') != std::string_view::npos)
        return {Separator::Semicolon, true};
    if (firstLine.find('\t') != std::string_view::npos)
        return {Separator::Tab, true};
    if (firstLine.find(' ') != std::string_view::npos) {
        // "1, 2" separates by commas with blanks after them; "1,5 2,5" by blanks.
        bool commaBeforeBlank = false;
        for (std::size_t k = 0; k + 1 < firstLine.size(); ++k)
            if (firstLine[k] == ',' && firstLine[k + 1] == ' ')
                commaBeforeBlank = true;
        if (!commaBeforeBlank)
            return {Separator::Blanks, true};
    }
    const bool anyPoint = data.find('.') != std::string_view::npos;
    return {Separator::Comma, !anyPoint};
}

// Splits a line into fields by the layout's separator; runs of blanks count as one.
void splitFields(std::string_view line, const TextLayout &layout, std::vector<std::string_view> &fields) {
    fields.clear();
    if (layout.separator == Separator::Blanks) {
        std::size_t k = 0;
        while (k < line.size()) {
            while (k < line.size() && isBlank(line[k]))
                ++k;
            const std::size_t start = k;
            while (k < line.size() && !isBlank(line[k]))
                ++k;
            if (k > start)
                fields.push_back(line.substr(start, k - start));
        }
        return;
    }
    char sep = ';';
    if (layout.separator == Separator::Tab)
        sep = '\t';
    else if (layout.separator == Separator::Comma)
        sep = layout.decimalComma ? '\0' : ',';
    if (sep == '\0') {
        fields.push_back(line);
        return;
    }
    std::size_t start = 0;
    while (true) {
        const std::size_t end = line.find(sep, start);
        fields.push_back(trim(line.substr(start, end == std::string_view::npos ? end : end - start)));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
}

double parseField(std::string_view field, bool decimalComma, const std::string &name, std::size_t lineNumber) {
    const auto value = base::parseDataNumber(field, decimalComma);
    if (!value) {
        if (field.empty())
            fail(name, Message::atLine(lineNumber, Message::emptyField()));
        fail(name, Message::atLine(lineNumber, Message::notANumber(field)));
    }
    if (!std::isfinite(*value))
        fail(name, Message::atLine(lineNumber, Message::notFinite(field)));
    return *value;
}

// ---- libsndfile over a memory buffer ------------------------------------------------------------

struct MemoryFile {
    std::span<const unsigned char> bytes;
    sf_count_t position = 0;
};

sf_count_t memoryLength(void *user) {
    return static_cast<sf_count_t>(static_cast<MemoryFile *>(user)->bytes.size());
}

sf_count_t memorySeek(sf_count_t offset, int whence, void *user) {
    auto *f = static_cast<MemoryFile *>(user);
    const auto size = static_cast<sf_count_t>(f->bytes.size());
    sf_count_t target = offset;
    if (whence == SEEK_CUR)
        target = f->position + offset;
    else if (whence == SEEK_END)
        target = size + offset;
    f->position = std::clamp<sf_count_t>(target, 0, size);
    return f->position;
}

sf_count_t memoryRead(void *ptr, sf_count_t count, void *user) {
    auto *f = static_cast<MemoryFile *>(user);
    const auto size = static_cast<sf_count_t>(f->bytes.size());
    const sf_count_t n = std::clamp<sf_count_t>(size - f->position, 0, count);
    std::memcpy(ptr, f->bytes.data() + f->position, static_cast<std::size_t>(n));
    f->position += n;
    return n;
}

sf_count_t memoryWrite(const void *, sf_count_t, void *) {
    return 0;
}

sf_count_t memoryTell(void *user) {
    return static_cast<MemoryFile *>(user)->position;
}

std::uint32_t readLe32(std::span<const unsigned char> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// Where the sample data of a RIFF/WAVE file starts; refuses a data chunk that the file cuts
// short, which libsndfile would quietly read as a shorter pulse.
std::size_t wavDataOffset(std::span<const unsigned char> b, const std::string &name) {
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        fail(name, Message::atByte(0, Message::notWav()));
    std::size_t at = 12;
    while (at + 8 <= b.size()) {
        const std::uint32_t size = readLe32(b, at + 4);
        if (std::memcmp(b.data() + at, "data", 4) == 0) {
            const std::size_t start = at + 8;
            const std::size_t available = b.size() - start;
            // 0 and 0xFFFFFFFF mark a size left unknown by a streaming writer.
            if (size != 0 && size != 0xFFFFFFFFu && size > available)
                fail(name, Message::atByte(b.size(), Message::wavCutShort(size, available)));
            return start;
        }
        at += 8 + size + (size & 1u); // chunks are padded to even length
    }
    fail(name, Message::atByte(b.size(), Message::wavNoData()));
}

// The whole file through the one reader: regular files only, never blocking, at most 64 MiB.
std::string readWholeFile(const std::string &fileName) {
    try {
        return base::readFileWhole(fileName, MaxPulseFileBytes);
    } catch (const base::FileReadError &error) {
        switch (error.fault()) {
        case base::ReadFault::Missing:
            fail(fileName, Message::pulseFileMissing());
        case base::ReadFault::NotRegular:
            fail(fileName, Message::pulseFileNotRegular(error.kind()));
        case base::ReadFault::TooLarge:
            fail(fileName, Message::pulseFileTooLarge(error.size()));
        case base::ReadFault::Unreadable:
            break;
        }
        fail(fileName, Message::pulseFileUnreadable(error.errorNumber()));
    }
}

std::span<const unsigned char> asBytes(const std::string &text) {
    return {reinterpret_cast<const unsigned char *>(text.data()), text.size()};
}

} // namespace

PulseFileKind PulseKindForFileName(const std::string &fileName) {
    const std::string ext = LowerExtension(fileName);
    if (ext == ".csv" || ext == ".txt" || ext == ".dat")
        return PulseFileKind::Text;
    if (ext == ".wav")
        return PulseFileKind::Wav;
    if (ext == ".npy")
        return PulseFileKind::Npy;
    fail(fileName, Message::unknownPulseExtension(ext));
}

PulseData ReadPulseFile(const std::string &fileName) {
    const PulseFileKind kind = PulseKindForFileName(fileName);
    if (kind == PulseFileKind::Wav)
        return ReadPulseWav(fileName);
    const std::string bytes = readWholeFile(fileName);
    if (kind == PulseFileKind::Npy)
        return ReadPulseNpy(asBytes(bytes), fileName);
    return ReadPulseText(bytes, fileName);
}

PulseData ReadPulseText(std::string_view text, const std::string &name) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);

    PulseData result;
    std::vector<double> times;
    std::vector<std::string_view> fields;
    std::optional<TextLayout> layout;
    std::size_t columns = 0;
    std::size_t lineNumber = 0;
    std::size_t position = 0;
    while (position < text.size()) {
        const std::size_t end = std::min(text.find('\n', position), text.size());
        const std::string_view line = trim(text.substr(position, end - position));
        const std::size_t lineStart = position;
        position = end + 1;
        ++lineNumber;
        if (isComment(line))
            continue;
        if (!layout) {
            if (!startsLikeNumber(line))
                continue; // a header line
            layout = detectLayout(line, text.substr(lineStart));
        }
        splitFields(line, *layout, fields);
        if (layout->separator == Separator::Comma && layout->decimalComma &&
            std::count(line.begin(), line.end(), ',') > 1)
            fail(name, Message::atLine(lineNumber, Message::commaAmbiguous()));
        if (columns == 0) {
            columns = fields.size();
            if (columns > 2)
                fail(name, Message::atLine(lineNumber, Message::tooManyColumns(columns)));
        } else if (fields.size() != columns) {
            fail(name, Message::atLine(lineNumber, Message::columnCountChanged(fields.size(), columns)));
        }
        if (result.samples.size() >= MaxPulseSamples)
            fail(name, Message::atLine(lineNumber, Message::tooManySamples(MaxPulseSamples)));
        if (columns == 2) {
            times.push_back(parseField(fields[0], layout->decimalComma, name, lineNumber));
            result.samples.push_back(parseField(fields[1], layout->decimalComma, name, lineNumber));
        } else {
            result.samples.push_back(parseField(fields[0], layout->decimalComma, name, lineNumber));
        }
    }
    if (result.samples.empty())
        fail(name, Message::atLine(lineNumber, Message::noNumbers()));

    result.description = Message::textLayout(columns, separatorChar(layout->separator), layout->decimalComma);
    if (columns == 2) {
        const std::size_t n = times.size();
        const double step = n > 1 ? (times.back() - times.front()) / static_cast<double>(n - 1) : 0.0;
        bool regular = n > 1 && step > 0.0;
        for (std::size_t k = 0; regular && k < n; ++k)
            regular = std::abs(times[k] - (times.front() + static_cast<double>(k) * step)) <= TimeGridShare * step;
        if (regular)
            result.samplingFrequency = 1.0 / step; // MHz, the times being in µs
        else
            result.description += Message::irregularTimeStep();
    }
    return result;
}

PulseData ReadPulseNpy(std::span<const unsigned char> bytes, const std::string &name) {
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

PulseData ReadPulseWav(const std::string &fileName) {
    const std::string text = readWholeFile(fileName);
    const std::span<const unsigned char> bytes = asBytes(text);
    const std::size_t dataStart = wavDataOffset(bytes, fileName);

    MemoryFile memory{bytes};
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    SF_INFO info{};
    SNDFILE *file = sf_open_virtual(&io, SFM_READ, &info, &memory);
    if (!file)
        fail(fileName, Message::wavUnreadable(sf_strerror(nullptr)));
    struct Closer {
        SNDFILE *f;
        ~Closer() { sf_close(f); }
    } closer{file};

    const int type = info.format & SF_FORMAT_TYPEMASK;
    if (type != SF_FORMAT_WAV && type != SF_FORMAT_WAVEX && type != SF_FORMAT_RF64)
        fail(fileName, Message::notWav());
    int bytesPerSample = 0;
    std::string sampleKind;
    switch (info.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_U8:
        bytesPerSample = 1;
        sampleKind = Message::wavEncodingName(8, false);
        break;
    case SF_FORMAT_PCM_16:
        bytesPerSample = 2;
        sampleKind = Message::wavEncodingName(16, false);
        break;
    case SF_FORMAT_PCM_24:
        bytesPerSample = 3;
        sampleKind = Message::wavEncodingName(24, false);
        break;
    case SF_FORMAT_PCM_32:
        bytesPerSample = 4;
        sampleKind = Message::wavEncodingName(32, false);
        break;
    case SF_FORMAT_FLOAT:
        bytesPerSample = 4;
        sampleKind = Message::wavEncodingName(32, true);
        break;
    case SF_FORMAT_DOUBLE:
        bytesPerSample = 8;
        sampleKind = Message::wavEncodingName(64, true);
        break;
    default:
        fail(fileName, Message::wavEncoding());
    }
    if (info.channels < 1)
        fail(fileName, Message::wavNoChannels());
    if (static_cast<std::uint64_t>(info.frames) > MaxPulseSamples)
        fail(fileName, Message::sampleCountAbove(static_cast<std::uintmax_t>(info.frames), MaxPulseSamples));
    if (info.frames == 0)
        fail(fileName, Message::atByte(dataStart, Message::wavNoSamples()));

    const auto frames = static_cast<std::size_t>(info.frames);
    const auto channels = static_cast<std::size_t>(info.channels);
    const std::size_t frameBytes = channels * static_cast<std::size_t>(bytesPerSample);
    // Read in blocks and keep the first channel only: a file of many channels never needs
    // memory for all of them at once.
    constexpr std::size_t BlockFrames = 4096;
    std::vector<double> block(BlockFrames * channels);
    PulseData result;
    result.samples.resize(frames);
    std::size_t done = 0;
    while (done < frames) {
        const std::size_t want = std::min(BlockFrames, frames - done);
        const sf_count_t got = sf_readf_double(file, block.data(), static_cast<sf_count_t>(want));
        if (got != static_cast<sf_count_t>(want))
            fail(fileName, Message::atByte(dataStart + (done + static_cast<std::size_t>(std::max<sf_count_t>(got, 0))) *
                                                           frameBytes,
                                           Message::cutShort()));
        for (std::size_t k = 0; k < want; ++k) {
            const double v = block[k * channels];
            if (!std::isfinite(v))
                fail(fileName,
                     Message::atByte(dataStart + (done + k) * frameBytes, Message::sampleNotFinite(done + k)));
            result.samples[done + k] = v;
        }
        done += want;
    }
    result.samplingFrequency = info.samplerate / 1e6; // Hz to MHz
    result.description = Message::wavDescription(sampleKind, info.channels);
    return result;
}

std::vector<double> ResamplePulse(std::span<const double> samples, double fromMHz, double toMHz) {
    if (!(fromMHz > 0.0) || !(toMHz > 0.0))
        throw base::Error(Message::resampleRateNotPositive());
    const double ratio = toMHz / fromMHz;
    if (!src_is_valid_ratio(ratio))
        throw base::Error(Message::resampleRatio(base::formatSignificant(fromMHz, 9), base::formatSignificant(toMHz, 9)));
    const auto outputCount = static_cast<std::size_t>(std::llround(static_cast<double>(samples.size()) * ratio));
    if (outputCount > MaxPulseSamples)
        throw base::Error(Message::resampledTooMany(MaxPulseSamples));
    std::vector<float> in(samples.begin(), samples.end());
    std::vector<float> out(outputCount + 16);
    SRC_DATA data{};
    data.data_in = in.data();
    data.input_frames = static_cast<long>(in.size());
    data.data_out = out.data();
    data.output_frames = static_cast<long>(out.size());
    data.src_ratio = ratio;
    if (const int error = src_simple(&data, SRC_SINC_BEST_QUALITY, 1))
        throw base::Error(Message::resampleFailed(src_strerror(error)));
    std::vector<double> result(out.begin(),
                               out.begin() + std::min<long>(data.output_frames_gen, static_cast<long>(outputCount)));
    result.resize(outputCount, 0.0);
    return result;
}

bool RatesDiffer(double aMHz, double bMHz) {
    return std::abs(aMHz - bMHz) > SameRateShare * std::max(std::abs(aMHz), std::abs(bMHz));
}

std::size_t PeakIndex(std::span<const double> samples) {
    std::size_t best = 0;
    for (std::size_t k = 1; k < samples.size(); ++k)
        if (std::abs(samples[k]) > std::abs(samples[best]))
            best = k;
    return best;
}

} // namespace pulsefir::io
