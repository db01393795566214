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
#include "ui/widgets/platform.h"

namespace pulsefir::ui {

namespace {

constexpr std::string_view FoldersSection = "Folders";
constexpr const char *LastKey = "Last";
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

DialogFolders::DialogFolders(QString file, const std::vector<QString> &oldKeys) : m_file(std::move(file)) {
    project::IniDocument doc;
    try {
        if (!m_file.isEmpty() && base::kindOfPath(nativeName(m_file)) == base::PathKind::Regular)
            doc = project::IniDocument::parse(base::readFileWhole(nativeName(m_file), MaxFoldersFileBytes));
    } catch (const base::Error &) {
        // Unreadable: every dialog starts as on a first run.
    }
    std::vector<QString> keys{QString(LastKey)};
    keys.insert(keys.end(), oldKeys.begin(), oldKeys.end());
    for (const QString &key : keys) {
        const QString kept = QString::fromStdString(doc.readString(FoldersSection, key.toStdString(), {}));
        if (!kept.isEmpty() && QFileInfo(kept).isDir()) {
            widgets::setLastDialogFolder(kept);
            return;
        }
    }
}

void DialogFolders::save() const {
    if (m_file.isEmpty())
        return;
    const QString last = widgets::lastDialogFolder();
    if (last.isEmpty())
        return;
    project::IniDocument doc;
    doc.writeString(FoldersSection, LastKey, last.toStdString());
    try {
        QDir().mkpath(QFileInfo(m_file).absolutePath());
        base::writeFileWhole(nativeName(m_file), doc.serialize());
    } catch (const base::Error &) {
    }
}

} // namespace pulsefir::ui
