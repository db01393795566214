#pragma once

#include <QString>

#include <optional>

#include "project/SaveLoadPrjUnit.h"
#include "ui/widgets/platform.h"

class QWidget;

namespace pulsefir::ui {

// The project flows of the main window's two buttons: the dialog, the question or message, then
// the project file. Dialogs and message boxes come from the platform, over `parent`.

// What the flows handle beside the windows: the added sections of the project (the work), and,
// on return, whether a file was loaded or saved.
struct ProjectExtras {
    project::Sections sections;
    bool completed = false;
};

// The open dialog (or, with `chosen`, that name as if the user had picked it), then the project,
// or the message that the file does not exist; an information box when the file held none of the
// sections, another listing the keys it could not use. Returns the caption the main window gets: the
// loaded file's full name, or `caption` as it was.
QString openProject(widgets::FileDialogRequest &dialog, const QString &caption, const project::Windows &windows,
                    QWidget *parent, const std::optional<QString> &chosen = std::nullopt,
                    ProjectExtras *extras = nullptr);
// The save dialog, the question before replacing a file, then the project.
QString saveProject(widgets::FileDialogRequest &dialog, const QString &caption, const project::Windows &windows,
                    QWidget *parent, QChar decimal, ProjectExtras *extras = nullptr);

// The project written to `fileName` as it is, with no dialog and no question (the project's own
// file). Returns the caption: `fileName`.
QString saveProjectTo(const QString &fileName, const project::Windows &windows, QChar decimal,
                      ProjectExtras *extras = nullptr);

// The directory part of a file name, as a dialog's next initial directory: without a trailing
// separator, except after a drive letter and colon and for the root folder.
QString directoryPart(const QString &fileName);

} // namespace pulsefir::ui
