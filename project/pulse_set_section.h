#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <functional>

#include "project/SaveLoadPrjUnit.h"
#include "project/ini_file.h"
#include "project/path_set.h"
#include "project/project_interfaces.h"

namespace pulsefir::project {

// One measured pulse of the filter window's set, as the project file keeps it: the file's name
// (UTF-8, as the user chose it) and whether it is held out of the design to check the filter on.
// A member of "Добавить тракт…" has its conditions instead of a file (fileName then holds its name
// with the point) and is computed from the current signal.
struct PulseSetEntry {
    std::string fileName;
    bool check = false;
    std::optional<PathConditions> path;
    bool operator==(const PulseSetEntry &) const = default;
};
using PulseSetList = std::vector<PulseSetEntry>;

// The section of its own that holds the set beside the windows' sections: "Count", then per
// entry k (four digits, from 0000) "File" + k and "Check" + k, and for a path member
// "PathDistance" + k, "PathTemperature" + k and "PathHumidity" + k. The current signal, which is
// always the set's first member, is not stored.
inline constexpr std::string_view PulseSetSectionName = "PulseSet";

// Erases the section and writes the list (an empty list writes Count=0).
void writePulseSet(IniDocument &document, const PulseSetList &list);
// The list, or nothing when the file has no such section. A missing file name key ends the list
// there; a negative or unreadable count reads as 0.
std::optional<PulseSetList> readPulseSet(const IniDocument &document);

// The set as a section of the project file, over the accessors of whoever holds it. Loading a
// file without the section leaves the set as it is, as a missing key leaves its control.
class PulseSetProjectSection : public ProjectSections {
  public:
    PulseSetProjectSection(std::function<PulseSetList()> get, std::function<void(const PulseSetList &)> set)
        : m_get(std::move(get)), m_set(std::move(set)) {}
    void write(IniDocument &document) const override { writePulseSet(document, m_get()); }
    std::function<void()> plan(const IniDocument &document, std::vector<std::string> &) override {
        std::optional<PulseSetList> list = readPulseSet(document);
        if (!list)
            return {};
        return [this, read = std::move(*list)] { m_set(read); };
    }

  private:
    std::function<PulseSetList()> m_get;
    std::function<void(const PulseSetList &)> m_set;
};

} // namespace pulsefir::project
