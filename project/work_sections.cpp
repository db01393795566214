#include "work_sections.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>

#include "base/number_text.h"
#include "base/text.h"
#include "project/ini_file.h"

namespace pulsefir::project {

namespace {

// The buffers in section order, with the half-width each section carries (none for the last two).
struct BufferView {
    std::span<double> values; // -Half..+Half
    int half = 0;
    std::int32_t *halfWidth = nullptr;
    int maxHalfWidth = 0;
};

std::vector<BufferView> buffersOf(core::CoreState &s) {
    const auto whole = [](auto &buffer) {
        using Array = std::remove_reference_t<decltype(buffer)>;
        return std::span<double>(buffer.range(Array::HalfWidth));
    };
    return {
        {whole(s.SignalBuffer), core::MaxSignalHalfWidth, &s.SignalHalfWidth, core::MaxSignalHalfWidth},
        {whole(s.FilterBuffer), core::MaxFilterHalfWidth, &s.FilterHalfWidth, core::MaxFilterHalfWidth},
        {whole(s.ResponseBuffer), core::MaxSignalHalfWidth, nullptr, 0},
        {whole(s.OutputBuffer), core::MaxSignalHalfWidth, nullptr, 0},
    };
}

// The smallest n with every entry beyond -n..+n a positive zero (bit for bit).
int extentOf(std::span<const double> values, int half) {
    for (int n = half; n > 0; --n)
        if (std::bit_cast<std::uint64_t>(values[static_cast<std::size_t>(half - n)]) != 0 ||
            std::bit_cast<std::uint64_t>(values[static_cast<std::size_t>(half + n)]) != 0)
            return n;
    return 0;
}

// A section read whole: the half-width it carries and the entries -extent..+extent.
struct ReadBuffer {
    std::optional<int> halfWidth;
    int extent = 0;
    std::vector<double> values;
};

std::optional<ReadBuffer> readBuffer(const IniDocument &doc, std::string_view section, const BufferView &view) {
    ReadBuffer read;
    const auto entries = doc.entries(section);
    std::optional<int> extent;
    std::size_t filled = 0;
    for (const auto &[key, value] : entries) {
        if (base::equalIgnoringCase(key, "Extent")) {
            extent = base::parseProjectInteger(value);
            if (!extent || *extent < 0 || *extent > view.half)
                return std::nullopt;
            read.extent = *extent;
            read.values.assign(static_cast<std::size_t>(2 * *extent + 1), 0.0);
            continue;
        }
        if (base::equalIgnoringCase(key, "HalfWidth")) {
            read.halfWidth = base::parseProjectInteger(value);
            if (!view.halfWidth || !read.halfWidth || *read.halfWidth < 0 || *read.halfWidth > view.maxHalfWidth)
                return std::nullopt;
            continue;
        }
        // A line of values: its key is the index of its first value, the lines in order.
        const auto first = base::parseProjectInteger(key);
        if (!extent || !first || *first != -read.extent + static_cast<int>(filled))
            return std::nullopt;
        std::size_t at = 0;
        while (at < value.size()) {
            std::size_t end = value.find(' ', at);
            if (end == std::string_view::npos)
                end = value.size();
            const auto number = base::parseDataNumber(value.substr(at, end - at), false);
            if (!number || !std::isfinite(*number) || filled >= read.values.size())
                return std::nullopt;
            read.values[filled++] = *number;
            at = end + 1;
        }
    }
    if (!extent || filled != read.values.size())
        return std::nullopt;
    return read;
}

} // namespace

void WorkSections::write(IniDocument &doc) const {
    const std::vector<BufferView> buffers = buffersOf(m_state);
    std::string line;
    for (std::size_t b = 0; b < buffers.size(); ++b) {
        const BufferView &view = buffers[b];
        const int extent = extentOf(view.values, view.half);
        std::vector<std::pair<std::string, std::string>> keys;
        if (view.halfWidth)
            keys.emplace_back("HalfWidth", base::formatInteger(*view.halfWidth));
        keys.emplace_back("Extent", base::formatInteger(extent));
        for (int first = -extent; first <= extent; first += WorkValuesPerLine) {
            line.clear();
            for (int i = first; i <= extent && i < first + WorkValuesPerLine; ++i) {
                if (i != first)
                    line += ' ';
                line += base::formatShortest(view.values[static_cast<std::size_t>(i + view.half)]);
            }
            keys.emplace_back(base::formatInteger(first), line);
        }
        doc.replaceSection(WorkSectionNames[b], keys);
    }
}

std::function<void()> WorkSections::plan(const IniDocument &doc, std::vector<std::string> &unusable) {
    m_loaded = false;
    std::vector<BufferView> buffers = buffersOf(m_state);
    std::vector<std::pair<std::size_t, ReadBuffer>> read;
    for (std::size_t b = 0; b < buffers.size(); ++b) {
        const std::string_view section = WorkSectionNames[b];
        if (!doc.hasSection(section))
            continue;
        if (doc.sectionCount(section) > 1)
            unusable.push_back("[" + std::string(section) + "]");
        if (auto buffer = readBuffer(doc, section, buffers[b]))
            read.emplace_back(b, std::move(*buffer));
        else
            unusable.push_back("[" + std::string(section) + "]");
    }
    if (read.empty())
        return {};
    return [this, buffers, read = std::move(read)] {
        for (const auto &[b, buffer] : read) {
            const BufferView &view = buffers[b];
            std::fill(view.values.begin(), view.values.end(), 0.0);
            std::copy(buffer.values.begin(), buffer.values.end(), view.values.begin() + (view.half - buffer.extent));
            if (view.halfWidth && buffer.halfWidth)
                *view.halfWidth = *buffer.halfWidth;
        }
        m_loaded = true;
    };
}

WorkSnapshot::WorkSnapshot(const core::CoreState &state) {
    for (const BufferView &view : buffersOf(const_cast<core::CoreState &>(state))) {
        for (const double v : view.values)
            m_values.push_back(std::bit_cast<std::uint64_t>(v));
        m_halfWidths.push_back(view.halfWidth ? *view.halfWidth : 0);
    }
}

} // namespace pulsefir::project
