#pragma once

#include <QString>

#include <vector>

namespace pulsefir::ui {

// Where a file dialog starts before the user has used it: the program's folder where the user can
// write there, else the user's home. The folder of an installed program (below /usr or /opt)
// belongs to the package manager and counts as not writable, whoever runs the program.
QString firstDialogFolder(const QString &programFolder, bool programFolderWritable, const QString &home);
// The same for this program and this user.
QString firstDialogFolder();

// The one folder all the program's file dialogs start in (widgets::lastDialogFolder()), kept
// between runs in a small INI file of its own: [Folders] Last=FOLDER. Files of earlier versions
// kept a folder per dialog ([Folders], one key per dialog, `oldKeys`); where Last is missing the
// first of those, in the order given, whose folder still exists is taken. A folder that no longer
// exists is not taken: the dialogs then start where they would on a first run.
class DialogFolders {
  public:
    // Makes the folder kept in `file` (which may not exist yet) the last dialog folder.
    DialogFolders(QString file, const std::vector<QString> &oldKeys);
    // Writes the last dialog folder; a failure is kept quiet (the folder is a convenience, the
    // program goes on as on a first run).
    void save() const;
    const QString &file() const { return m_file; }

  private:
    QString m_file;
};

// The file the folders are kept in: the user's configuration folder, "pulsefir/folders.ini".
QString dialogFoldersFile();

} // namespace pulsefir::ui
