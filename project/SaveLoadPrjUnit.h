#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

#include <vector>

#include "project/IniFile.h"
#include "project/ProjectInterfaces.h"

namespace pulsefir::project {

using Windows = std::vector<ProjectWindow *>;

// The load flow: the open dialog, then the project, or the message that the file does not exist.
// Returns the caption the main window gets: the loaded file's full name, or `caption` as it was.
QString OpenProject(FileDialogRequest &dialog, const QString &caption, const Windows &windows, ProjectHost &host);
// The save flow: the save dialog, the question before replacing a file, then the project.
QString SaveProject(FileDialogRequest &dialog, const QString &caption, const Windows &windows, ProjectHost &host,
                    QChar decimal);

// Reads the whole file and checks every value before any window changes; throws base::Error
// ("'x' is not a valid floating point value.") and changes nothing when a float cannot be read.
void LoadProjectFile(const QString &fileName, const Windows &windows);
// Writes every window's section into a new copy of the file that replaces the old one only once
// it is complete; throws base::Error "Unable to write to NAME." and leaves the old file as it was.
void SaveProjectFile(const QString &fileName, const Windows &windows, QChar decimal);

// One window's section, on a document in memory.
void SaveWindowSettings(IniDocument &document, ProjectWindow &window, QChar decimal);
void LoadWindowSettings(const IniDocument &document, ProjectWindow &window);

// The new content of a project file: `existing` with every window's section erased and written
// again at the end, in window order.
QByteArray ComposeProject(const QByteArray &existing, const Windows &windows, QChar decimal);

// The directory part of a file name, as a dialog's next initial directory.
QString DirectoryPart(const QString &fileName);

// Cell key of a string grid: the grid's name, then column and row with four digits each.
QString GridCellKey(const QString &grid, int column, int row);

} // namespace pulsefir::project
