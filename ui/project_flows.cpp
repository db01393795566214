#include "project_flows.h"

#include <QFile>

#include <algorithm>
#include <string>

#include "base/file.h"
#include "base/messages.h"
#include "project/file_access.h"

namespace pulsefir::ui {

namespace {

std::string nativeName(const QString &fileName) {
    return QFile::encodeName(fileName).toStdString();
}

bool exists(const QString &fileName) {
    return base::kindOfPath(nativeName(fileName)) != base::PathKind::Missing;
}

} // namespace

QString directoryPart(const QString &fileName) {
    const int slash = static_cast<int>(std::max(fileName.lastIndexOf('/'), fileName.lastIndexOf('\\')));
    if (slash < 0)
        return QString();
    QString dir = fileName.left(slash);
    // Keep the separator after a drive letter and colon, and for the root folder itself.
    if (dir.isEmpty() || dir.endsWith(':'))
        dir = fileName.left(slash + 1);
    return dir;
}

QString openProject(widgets::FileDialogRequest &dialog, const QString &caption, const project::Windows &windows,
                    QWidget *parent, const std::optional<QString> &given, ProjectExtras *extras) {
    widgets::Platform &platform = widgets::Platform::current();
    QString result = caption;
    dialog.title = "Загрузить проект из файла";
    if (const auto chosen = given ? given : widgets::chooseFile(parent, dialog)) {
        dialog.fileName = *chosen;
        if (exists(*chosen)) {
            const project::LoadReport report =
                project::loadProjectFile(nativeName(*chosen), windows, extras ? extras->sections : project::Sections{});
            result = *chosen;
            if (extras)
                extras->completed = true;
            const std::string name = chosen->toStdString();
            if (!report.anySection)
                platform.showInformation(
                    parent, "Information",
                    QString::fromStdString(project::nothingLoadedMessage(nativeName(*chosen), name)));
            if (!report.unusable.empty()) {
                std::string keys;
                for (const std::string &key : report.unusable)
                    keys += (keys.empty() ? "" : ", ") + key;
                platform.showInformation(parent, "Information",
                                         QString::fromStdString(base::Message::projectUnusableKeys(name, keys)));
            }
        } else {
            platform.showInformation(parent, "Information",
                                     QString::fromStdString(base::Message::projectFileMissing(chosen->toStdString())));
        }
    }
    dialog.initialDirectory = directoryPart(dialog.fileName);
    return result;
}

QString saveProject(widgets::FileDialogRequest &dialog, const QString &caption, const project::Windows &windows,
                    QWidget *parent, QChar decimal, ProjectExtras *extras) {
    widgets::Platform &platform = widgets::Platform::current();
    QString result = caption;
    dialog.title = "Сохранить проект в файл как...";
    if (const auto chosen = widgets::chooseFile(parent, dialog)) {
        dialog.fileName = *chosen;
        bool write = true;
        if (exists(*chosen))
            write = platform.askYesNo(
                parent, "Confirm",
                QString::fromStdString(base::Message::projectOverwriteQuestion(chosen->toStdString())));
        if (write)
            result = saveProjectTo(*chosen, windows, decimal, extras);
    }
    dialog.initialDirectory = directoryPart(dialog.fileName);
    return result;
}

QString saveProjectTo(const QString &fileName, const project::Windows &windows, QChar decimal, ProjectExtras *extras) {
    project::saveProjectFile(nativeName(fileName), windows, decimal.toLatin1() ? decimal.toLatin1() : '.',
                             extras ? extras->sections : project::Sections{});
    if (extras)
        extras->completed = true;
    return fileName;
}

} // namespace pulsefir::ui
