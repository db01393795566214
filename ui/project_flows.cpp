#include "project_flows.h"

#include <QFile>

#include <algorithm>
#include <string>

#include "base/file.h"
#include "base/messages.h"

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
                    QWidget *parent, const std::optional<QString> &given, const project::Sections &sections) {
    widgets::Platform &platform = widgets::Platform::current();
    QString result = caption;
    dialog.title = "Загрузить проект из файла";
    if (const auto chosen = given ? given : platform.runFileDialog(parent, dialog)) {
        dialog.fileName = *chosen;
        if (exists(*chosen)) {
            project::loadProjectFile(nativeName(*chosen), windows, sections);
            result = *chosen;
        } else {
            platform.showInformation(parent, "Information",
                                     QString::fromStdString(base::Message::projectFileMissing(chosen->toStdString())));
        }
    }
    dialog.initialDirectory = directoryPart(dialog.fileName);
    return result;
}

QString saveProject(widgets::FileDialogRequest &dialog, const QString &caption, const project::Windows &windows,
                    QWidget *parent, QChar decimal, const project::Sections &sections) {
    widgets::Platform &platform = widgets::Platform::current();
    QString result = caption;
    dialog.title = "Сохранить проект в файл как...";
    if (const auto chosen = platform.runFileDialog(parent, dialog)) {
        dialog.fileName = *chosen;
        bool write = true;
        if (exists(*chosen))
            write = platform.askYesNo(
                parent, "Confirm",
                QString::fromStdString(base::Message::projectOverwriteQuestion(chosen->toStdString())));
        if (write) {
            project::saveProjectFile(nativeName(*chosen), windows, decimal.toLatin1() ? decimal.toLatin1() : '.',
                                     sections);
            result = *chosen;
        }
    }
    dialog.initialDirectory = directoryPart(dialog.fileName);
    return result;
}

} // namespace pulsefir::ui
