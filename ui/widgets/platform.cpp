#include "platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPushButton>
#include <QStyle>

namespace pulsefir::ui {

namespace {
Platform *installed = nullptr;
}

QIcon PlainFileIconProvider::icon(IconType type) const {
    const QStyle *style = QApplication::style();
    switch (type) {
    case Folder:
        return style->standardIcon(QStyle::SP_DirIcon);
    case Drive:
        return style->standardIcon(QStyle::SP_DriveHDIcon);
    case Computer:
        return style->standardIcon(QStyle::SP_ComputerIcon);
    default:
        return style->standardIcon(QStyle::SP_FileIcon);
    }
}

QIcon PlainFileIconProvider::icon(const QFileInfo &info) const {
    // isDir() and isRoot() only stat the name; nothing is opened.
    if (info.isRoot())
        return icon(Drive);
    return icon(info.isDir() ? Folder : File);
}

QString PlainFileIconProvider::type(const QFileInfo &info) const {
    if (info.isDir())
        return QStringLiteral("Folder");
    // The name's extension only: reading the content to guess a type blocks on special files
    // such as /proc/kmsg.
    return QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension).comment();
}

Platform &Platform::current() {
    static QtPlatform qtPlatform;
    return installed ? *installed : qtPlatform;
}

void Platform::install(Platform *platform) {
    installed = platform;
}

void QtPlatform::beep() {
    QApplication::beep();
}

qint64 QtPlatform::tickCount() {
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

std::optional<QString> QtPlatform::runFileDialog(QWidget *parent, const FileDialogRequest &request) {
    QFileDialog dialog(parent, request.title, request.initialDirectory, request.filter);
    const bool save = request.kind == FileDialogRequest::Kind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Any name, in the open dialog too: a name that does not exist reaches the project's own
    // message instead of being refused by the dialog.
    dialog.setFileMode(QFileDialog::AnyFile);
    // The dialog runs on the window thread: it must never read a file to draw it.
    PlainFileIconProvider icons;
    dialog.setIconProvider(&icons);
    // The callers ask about replacing a file themselves, where they ask at all.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

void QtPlatform::showError(QWidget *parent, const QString &text) {
    QMessageBox::critical(parent, QApplication::applicationName(), text);
}

void QtPlatform::showInformation(QWidget *parent, const QString &title, const QString &text) {
    QMessageBox::information(parent, title, text);
}

bool QtPlatform::askYesNo(QWidget *parent, const QString &title, const QString &text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QPushButton *yes = box.addButton("&Yes", QMessageBox::YesRole);
    box.addButton("&No", QMessageBox::NoRole);
    box.exec();
    return box.clickedButton() == static_cast<QAbstractButton *>(yes);
}

} // namespace pulsefir::ui
