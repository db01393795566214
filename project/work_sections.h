#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/state.h"
#include "project/project_interfaces.h"

namespace pulsefir::project {

// The work a project keeps beside the settings: the signal, the filter with its half-width, the
// desired response and the filtered signal, each in a section of its own named after its buffer.
// A section holds "Extent" = n, the entries -n..+n stored (every entry beyond is zero), 16 values
// a line under the key of the line's first index, each the shortest decimal text with a point
// that reads back as the same double: loading gives the buffers back bit for bit, whatever the
// user's decimal separator. The signal's section also holds "HalfWidth" (the half-width the main
// window last drew), the filter's "HalfWidth" (FilterHalfWidth).
inline constexpr std::string_view WorkSectionNames[] = {"SignalBuffer", "FilterBuffer", "ResponseBuffer",
                                                        "OutputBuffer"};
inline constexpr int WorkValuesPerLine = 16;

class WorkSections : public ProjectSections {
  public:
    explicit WorkSections(core::CoreState &state) : m_state(state) {}
    void write(IniDocument &document) const override;
    // A buffer section that cannot be read whole is listed as "[Section]" and leaves its buffer
    // as it is; the others still load.
    std::function<void()> plan(const IniDocument &document, std::vector<std::string> &unusable) override;
    // Whether the last applied plan loaded any buffer.
    bool loaded() const { return m_loaded; }

  private:
    core::CoreState &m_state;
    bool m_loaded = false;
};

// A copy of the work, to tell whether it changed since the copy was taken.
class WorkSnapshot {
  public:
    WorkSnapshot() = default;
    explicit WorkSnapshot(const core::CoreState &state);
    bool operator==(const WorkSnapshot &) const = default;

  private:
    std::vector<std::uint64_t> m_values; // bit patterns: -0 and 0 differ
    std::vector<int> m_halfWidths;
};

} // namespace pulsefir::project
