#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "project/ini_file.h"
#include "project/project_interfaces.h"

namespace pulsefir::project {

using Windows = std::vector<ProjectWindow *>;

// A section of the project file that belongs to no window, written after the windows' sections.
class ProjectSection {
  public:
    virtual ~ProjectSection() = default;
    // Writes the section (erasing what the document held under its name).
    virtual void save(IniDocument &document) = 0;
    // Reads and checks the section; the action returned applies it once every window's and
    // section's values have been read. A file without the section returns an action too.
    virtual std::function<void()> plan(const IniDocument &document) = 0;
};
using Sections = std::vector<ProjectSection *>;

// File names are in the system's encoding; texts are UTF-8; `decimal` is the user's decimal
// separator, which float keys are written with.

// Reads the whole file and checks every value before any window changes; throws base::Error
// ("'x' is not a valid floating point value.") and changes nothing when a float cannot be read.
void loadProjectFile(const std::string &fileName, const Windows &windows, const Sections &sections = {});
// Writes every window's section into a new copy of the file that replaces the old one only once
// it is complete; throws base::Error "Unable to write to NAME." with the cause and leaves the old
// file as it was.
void saveProjectFile(const std::string &fileName, const Windows &windows, char decimal, const Sections &sections = {});

// One window's section, on a document in memory.
void saveWindowSettings(IniDocument &document, ProjectWindow &window, char decimal);
void loadWindowSettings(const IniDocument &document, ProjectWindow &window);

// The new content of a project file: `existing` with every window's section erased and written
// again at the end, in window order, then every other section.
std::string composeProject(std::string_view existing, const Windows &windows, char decimal,
                           const Sections &sections = {});

// Cell key of a string grid: the grid's name, then column and row with four digits each.
std::string gridCellKey(const std::string &grid, int column, int row);

} // namespace pulsefir::project
