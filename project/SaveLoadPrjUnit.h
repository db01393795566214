#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "project/ini_file.h"
#include "project/project_interfaces.h"

namespace pulsefir::project {

using Windows = std::vector<ProjectWindow *>;
using Sections = std::vector<ProjectSections *>;

// What a load found: whether the file held any section of the windows or of the added sections,
// and the keys it could not use ("Section.Key" for an integer or boolean key that is no integer,
// "[Section]" for a repeated section, whose keys are never read), in file order.
struct LoadReport {
    bool anySection = false;
    std::vector<std::string> unusable;
};

// File names are in the system's encoding; texts are UTF-8; `decimal` is the user's decimal
// separator, which float keys are written with.

// Reads the whole file and checks every value before any window changes; throws base::Error
// ("'x' is not a valid floating point value.") and changes nothing when a float cannot be read.
// The added `sections` are read and checked with the windows' and applied after them.
LoadReport loadProjectFile(const std::string &fileName, const Windows &windows, const Sections &sections = {});
LoadReport loadProjectDocument(const IniDocument &document, const Windows &windows, const Sections &sections = {});
// Writes every window's section into a new copy of the file that replaces the old one only once
// it is complete; throws base::Error "Unable to write to NAME." with the cause and leaves the old
// file as it was.
// The added `sections` follow the windows'.
void saveProjectFile(const std::string &fileName, const Windows &windows, char decimal, const Sections &sections = {});

// One window's section, on a document in memory.
void saveWindowSettings(IniDocument &document, ProjectWindow &window, char decimal);
void loadWindowSettings(const IniDocument &document, ProjectWindow &window);

// Every stored control's value as the file would hold it, geometry and visibility left out: two
// equal texts mean equal settings.
std::string controlValues(const Windows &windows, char decimal);

// The new content of a project file: `existing` with every window's section erased and written
// again at the end, in window order.
std::string composeProject(std::string_view existing, const Windows &windows, char decimal,
                           const Sections &sections = {});

// Cell key of a string grid: the grid's name, then column and row with four digits each.
std::string gridCellKey(const std::string &grid, int column, int row);

} // namespace pulsefir::project
