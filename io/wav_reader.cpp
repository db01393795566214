#include "wav_reader.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include <sndfile.h>

#include "base/messages.h"
#include "base/number_text.h"
#include "io/reader_common.h"

namespace pulsefir::io {

static_assert(std::endian::native == std::endian::little, "the WAV reader assumes a little-endian host");

namespace {

using base::Message;

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

// libsndfile reads a file whose data chunk is cut short as a shorter pulse, and notes it in its
// log as "data : DECLARED (should be PRESENT)": such a file is refused. Sizes 0 and 0xFFFFFFFF
// are what a streaming writer leaves when it does not know the length.
void refuseCutData(SNDFILE *file, const std::string &fileName) {
    std::string log(4096, '\0');
    sf_command(file, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
    log.resize(log.find('\0'));
    const std::size_t at = log.find("data : ");
    if (at == std::string::npos)
        return;
    const std::size_t should = log.find("(should be ", at);
    const std::size_t lineEnd = log.find('\n', at);
    if (should == std::string::npos || should > lineEnd)
        return;
    const auto declared = base::parseDataCount(trim(std::string_view(log).substr(at + 7, should - at - 7)));
    std::string_view rest = std::string_view(log).substr(should + 11);
    const auto present = base::parseDataCount(rest.substr(0, rest.find(')')));
    if (declared && present && *declared > *present && *declared != 0xFFFFFFFFu)
        fail(fileName, Message::wavCutShort(*declared, *present));
}

// What a RIFF WAV's own chunks say about its frames: the count its "fact" chunk states and the
// frames of one block of a block codec (ADPCM), from the "fmt " chunk's extension.
struct StatedFrames {
    std::optional<std::uint32_t> fact;
    std::uint32_t perBlock = 0;
};

StatedFrames statedFrames(std::span<const unsigned char> b) {
    constexpr std::size_t ChunksStart = 12; // "RIFF", the size, "WAVE"
    constexpr std::size_t PerBlockAt = 18;  // in "fmt ": after the cbSize of the extension
    StatedFrames stated;
    if (b.size() < ChunksStart || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        return stated;
    std::size_t at = ChunksStart;
    while (at + 8 <= b.size()) {
        const std::uint32_t size = readLe32(b, at + 4);
        if (std::memcmp(b.data() + at, "fact", 4) == 0 && size >= 4 && at + 12 <= b.size())
            stated.fact = readLe32(b, at + 8);
        if (std::memcmp(b.data() + at, "fmt ", 4) == 0 && size >= PerBlockAt + 2 && at + 8 + PerBlockAt + 2 <= b.size())
            stated.perBlock = static_cast<std::uint32_t>(b[at + 8 + PerBlockAt]) |
                              (static_cast<std::uint32_t>(b[at + 8 + PerBlockAt + 1]) << 8);
        at += 8 + static_cast<std::size_t>(size) + (size & 1u);
    }
    return stated;
}

// The frames of a block-coded WAV that are signal: a block codec fills its last block with
// padding, and the "fact" chunk states the count before it. A count that does not end inside the
// last block is no such count: libsndfile, for one, writes the padded count over the channels.
std::size_t signalFrames(std::span<const unsigned char> bytes, std::size_t frames, int channels) {
    const StatedFrames stated = statedFrames(bytes);
    if (!stated.fact || stated.perBlock == 0 || *stated.fact >= frames || *stated.fact + stated.perBlock <= frames)
        return frames;
    if (channels > 1 && *stated.fact == frames / static_cast<std::size_t>(channels))
        return frames;
    return *stated.fact;
}

bool isBlockCodec(int subtype) {
    return subtype == SF_FORMAT_IMA_ADPCM || subtype == SF_FORMAT_MS_ADPCM;
}

} // namespace

PulseData readPulseWav(std::span<const unsigned char> bytes, const std::string &fileName,
                       const PulseReadOptions &options) {
    if (bytes.empty())
        fail(fileName, Message::fileEmpty());
    // libsndfile alone decides what it can decode (RIFF, RF64, W64, any encoding it knows): a
    // check of our own in front of it would only refuse files it reads.
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

    refuseCutData(file, fileName);

    SF_FORMAT_INFO subtype{};
    subtype.format = info.format & SF_FORMAT_SUBMASK;
    const std::string sampleKind =
        sf_command(nullptr, SFC_GET_FORMAT_INFO, &subtype, sizeof subtype) == 0 && subtype.name ? subtype.name : "?";
    SF_FORMAT_INFO container{};
    container.format = info.format & SF_FORMAT_TYPEMASK;
    const std::string containerName =
        sf_command(nullptr, SFC_GET_FORMAT_INFO, &container, sizeof container) == 0 && container.name ? container.name
                                                                                                      : "WAV";
    if (info.channels < 1)
        fail(fileName, Message::wavNoChannels());
    if (options.column < 1 || options.column > info.channels)
        fail(fileName, Message::wavChannelMissing(options.column, info.channels));
    if (info.frames < 0 || static_cast<std::uint64_t>(info.frames) > MaxPulseSamples)
        fail(fileName, Message::sampleCountAbove(static_cast<std::uintmax_t>(std::max<sf_count_t>(info.frames, 0)),
                                                 MaxPulseSamples));
    if (info.frames == 0)
        fail(fileName, Message::wavNoSamples());
    if (info.samplerate <= 0)
        fail(fileName, Message::wavUnreadable("sample rate 0"));

    std::size_t frames = static_cast<std::size_t>(info.frames);
    if (isBlockCodec(info.format & SF_FORMAT_SUBMASK))
        frames = signalFrames(bytes, frames, info.channels);
    const auto channels = static_cast<std::size_t>(info.channels);
    const auto channel = static_cast<std::size_t>(options.column - 1);
    // Read in blocks and keep one channel only: a file of many channels never needs memory for
    // all of them at once.
    const std::size_t blockFrames = std::max<std::size_t>(1, 65536 / channels);
    std::vector<double> block(blockFrames * channels);
    PulseData result;
    result.samples.resize(frames);
    std::size_t done = 0;
    while (done < frames) {
        const std::size_t want = std::min(blockFrames, frames - done);
        const sf_count_t got = sf_readf_double(file, block.data(), static_cast<sf_count_t>(want));
        if (got != static_cast<sf_count_t>(want))
            fail(fileName,
                 Message::fileCutShort(frames, done + static_cast<std::size_t>(std::max<sf_count_t>(got, 0))));
        for (std::size_t k = 0; k < want; ++k) {
            const double v = block[k * channels + channel];
            if (!std::isfinite(v))
                fail(fileName, Message::sampleNotFinite(done + k));
            result.samples[done + k] = v;
        }
        done += want;
    }
    result.samplingFrequency = info.samplerate / 1e6; // Hz to MHz
    result.description = Message::wavDescription(containerName + ", " + sampleKind, info.channels);
    if (info.channels > 1)
        result.description += Message::wavChannelTaken(options.column, info.channels);
    return result;
}

} // namespace pulsefir::io
