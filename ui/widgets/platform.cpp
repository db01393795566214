#include "platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace pulsefir::ui {

namespace {
Platform *installed = nullptr;
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
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
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
