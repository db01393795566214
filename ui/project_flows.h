#pragma once

#include <QString>

#include <optional>

#include "project/SaveLoadPrjUnit.h"
#include "ui/widgets/platform.h"

class QWidget;

namespace pulsefir::ui {

// The project flows of the main window's two buttons: the dialog, the question or message, then
// the project file. Dialogs and message boxes come from the platform, over `parent`.

// The open dialog (or, with `chosen`, that name as if the user had picked it), then the project,
// or the message that the file does not exist. Returns the caption the main window gets: the
// loaded file's full name, or `caption` as it was.
QString openProject(widgets::FileDialogRequest &dialog, const QString &caption, const project::Windows &windows,
                    QWidget *parent, const std::optional<QString> &chosen = std::nullopt,
                    const project::Sections &sections = {});
// The save dialog, the question before replacing a file, then the project.
QString saveProject(widgets::FileDialogRequest &dialog, const QString &caption, const project::Windows &windows,
                    QWidget *parent, QChar decimal, const project::Sections &sections = {});

// The directory part of a file name, as a dialog's next initial directory: without a trailing
// separator, except after a drive letter and colon and for the root folder.
QString directoryPart(const QString &fileName);

} // namespace pulsefir::ui
