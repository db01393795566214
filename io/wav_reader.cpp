#include "wav_reader.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include <sndfile.h>

#include "base/messages.h"
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

} // namespace

PulseData readPulseWav(const std::string &fileName) {
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

} // namespace pulsefir::io
