#pragma once

#include <QString>

#include <utility>
#include <vector>

#include "ui/widgets/platform.h"

namespace pulsefir::ui {

// Where a file dialog starts before the user has used it: the program's folder where the user can
// write there, else the user's home. The folder of an installed program (below /usr or /opt)
// belongs to the package manager and counts as not writable, whoever runs the program.
QString firstDialogFolder(const QString &programFolder, bool programFolderWritable, const QString &home);
// The same for this program and this user.
QString firstDialogFolder();

// The folders the program's file dialogs last started in, kept between runs in a small INI file
// of their own ([Folders], one key per dialog). A dialog missing there, or whose folder no longer
// exists, starts in firstDialogFolder().
class DialogFolders {
  public:
    using Dialogs = std::vector<std::pair<QString, widgets::FileDialogRequest *>>;

    // Gives every dialog its starting folder from `file` (which may not exist yet).
    DialogFolders(QString file, Dialogs dialogs);
    // Writes every dialog's present folder; a failure is kept quiet (the folders are a convenience,
    // the program goes on as on a first run).
    void save() const;
    const QString &file() const { return m_file; }

  private:
    QString m_file;
    Dialogs m_dialogs;
};

// The file the folders are kept in: the user's configuration folder, "pulsefir/folders.ini".
QString dialogFoldersFile();

} // namespace pulsefir::ui
