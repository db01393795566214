#include "dialog_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

#include "base/error.h"
#include "base/file.h"
#include "project/ini_file.h"

namespace pulsefir::ui {

namespace {

constexpr std::string_view FoldersSection = "Folders";
constexpr std::uintmax_t MaxFoldersFileBytes = 64 * 1024;

bool belongsToPackageManager(const QString &folder) {
    const QString clean = QDir::cleanPath(folder);
    for (const char *root : {"/usr", "/opt"})
        if (clean == root || clean.startsWith(QString(root) + "/"))
            return true;
    return false;
}

std::string nativeName(const QString &fileName) {
    return QFile::encodeName(fileName).toStdString();
}

} // namespace

QString firstDialogFolder(const QString &programFolder, bool programFolderWritable, const QString &home) {
    return QDir::toNativeSeparators(programFolderWritable && !belongsToPackageManager(programFolder) ? programFolder
                                                                                                     : home);
}

QString firstDialogFolder() {
    const QString program = QCoreApplication::applicationDirPath();
    const bool writable = ::access(QFile::encodeName(program).constData(), W_OK) == 0;
    return firstDialogFolder(program, writable, QDir::homePath());
}

QString dialogFoldersFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/pulsefir/folders.ini";
}

DialogFolders::DialogFolders(QString file, Dialogs dialogs) : m_file(std::move(file)), m_dialogs(std::move(dialogs)) {
    project::IniDocument doc;
    try {
        if (!m_file.isEmpty() && base::kindOfPath(nativeName(m_file)) == base::PathKind::Regular)
            doc = project::IniDocument::parse(base::readFileWhole(nativeName(m_file), MaxFoldersFileBytes));
    } catch (const base::Error &) {
        // Unreadable: every dialog starts as on a first run.
    }
    const QString first = firstDialogFolder();
    for (auto &[key, dialog] : m_dialogs) {
        const QString kept = QString::fromStdString(doc.readString(FoldersSection, key.toStdString(), {}));
        dialog->initialDirectory = !kept.isEmpty() && QFileInfo(kept).isDir() ? kept : first;
    }
}

void DialogFolders::save() const {
    if (m_file.isEmpty())
        return;
    project::IniDocument doc;
    for (const auto &[key, dialog] : m_dialogs)
        if (!dialog->initialDirectory.isEmpty())
            doc.writeString(FoldersSection, key.toStdString(), dialog->initialDirectory.toStdString());
    try {
        QDir().mkpath(QFileInfo(m_file).absolutePath());
        base::writeFileWhole(nativeName(m_file), doc.serialize());
    } catch (const base::Error &) {
    }
}

} // namespace pulsefir::ui
