#include "platform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QTranslator>

#include <memory>
#include <vector>

#include "ui/widgets/numeric_text.h"

namespace pulsefir::ui::widgets {

namespace {
Platform *installed = nullptr;
// px, the picture preview pane: wide enough to read the chart's labels at half their size.
constexpr QSize PreviewPane(420, 320);
} // namespace

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
        return QAbstractFileIconProvider::type(info); // a folder is named without reading anything
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

namespace {

QString lastFolder; // the window thread's alone, as the dialogs are

// The request as it is shown: in the last folder where one is known. A proposed name with a
// folder of its own (a project's name after its first use) is proposed there by its name alone,
// since the dialog would otherwise open in the name's folder.
FileDialogRequest startingInLastFolder(const FileDialogRequest &request) {
    FileDialogRequest shown = request;
    if (!lastFolder.isEmpty()) {
        shown.initialDirectory = lastFolder;
        shown.fileName = QFileInfo(shown.fileName).fileName();
    }
    return shown;
}

void remember(const FileDialogRequest &request, const QString &chosen) {
    const QFileInfo info(chosen);
    lastFolder = QDir::toNativeSeparators(request.kind == FileDialogRequest::Kind::Folder ? info.absoluteFilePath()
                                                                                          : info.absolutePath());
}

} // namespace

QString lastDialogFolder() {
    return lastFolder;
}

void setLastDialogFolder(const QString &folder) {
    lastFolder = folder;
}

std::optional<QString> chooseFile(QWidget *parent, const FileDialogRequest &request) {
    std::optional<QString> chosen = Platform::current().runFileDialog(parent, startingInLastFolder(request));
    if (chosen)
        remember(request, *chosen);
    return chosen;
}

std::optional<QStringList> chooseFiles(QWidget *parent, const FileDialogRequest &request) {
    std::optional<QStringList> chosen = Platform::current().runFilesDialog(parent, startingInLastFolder(request));
    if (chosen && chosen->isEmpty())
        chosen.reset();
    if (chosen)
        remember(request, chosen->back());
    return chosen;
}

std::optional<QString> choosePicture(QWidget *parent, const FileDialogRequest &request, const QImage &preview) {
    std::optional<QString> chosen =
        Platform::current().runPictureDialog(parent, startingInLastFolder(request), preview);
    if (chosen)
        remember(request, *chosen);
    return chosen;
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

QFileDialog *makeFileDialog(QWidget *parent, const FileDialogRequest &request) {
    auto *dialog = new QFileDialog(parent, request.title, request.initialDirectory, request.filter);
    const bool save = request.kind == FileDialogRequest::Kind::Save;
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Any name, in the open dialog too: a name that does not exist reaches the project's own
    // message instead of being refused by the dialog.
    dialog->setFileMode(QFileDialog::AnyFile);
    if (request.kind == FileDialogRequest::Kind::OpenSeveral)
        dialog->setFileMode(QFileDialog::ExistingFiles);
    if (request.kind == FileDialogRequest::Kind::Folder) {
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly, true);
    }
    // The dialog runs on the window thread: it must never read a file to draw it.
    static PlainFileIconProvider icons;
    dialog->setIconProvider(&icons);
    // The callers ask about replacing a file themselves, where they ask at all.
    dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog->setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty())
        dialog->selectFile(request.fileName);
    return dialog;
}

QFileDialog *makePictureDialog(QWidget *parent, const FileDialogRequest &request, const QImage &preview) {
    QFileDialog *dialog = makeFileDialog(parent, request);
    // The platform's native dialog takes no extra pane; Qt's own lays itself out in a grid.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    auto *grid = qobject_cast<QGridLayout *>(dialog->layout());
    auto *pane = new QLabel(dialog);
    pane->setObjectName("PicturePreview");
    pane->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    pane->setAlignment(Qt::AlignCenter);
    pane->setFixedSize(PreviewPane);
    if (!preview.isNull())
        pane->setPixmap(QPixmap::fromImage(
            preview.scaled(pane->size() - QSize(4, 4), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    pane->setToolTip(integerText(preview.width()) + QStringLiteral(" × ") + integerText(preview.height()));
    if (grid)
        grid->addWidget(pane, 0, grid->columnCount(), grid->rowCount(), 1, Qt::AlignTop);
    return dialog;
}

std::optional<QString> QtPlatform::runFileDialog(QWidget *parent, const FileDialogRequest &request) {
    std::unique_ptr<QFileDialog> dialog(makeFileDialog(parent, request));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return dialog->selectedFiles().front();
}

std::optional<QStringList> QtPlatform::runFilesDialog(QWidget *parent, const FileDialogRequest &request) {
    std::unique_ptr<QFileDialog> dialog(makeFileDialog(parent, request));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return dialog->selectedFiles();
}

std::optional<QString> QtPlatform::runPictureDialog(QWidget *parent, const FileDialogRequest &request,
                                                    const QImage &preview) {
    std::unique_ptr<QFileDialog> dialog(makePictureDialog(parent, request, preview));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return dialog->selectedFiles().front();
}

QMessageBox *makeErrorBox(QWidget *parent, const QString &text) {
    auto *box =
        new QMessageBox(QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::NoButton, parent);
    box->addButton("OK", QMessageBox::AcceptRole);
    return box;
}

QMessageBox *makeInformationBox(QWidget *parent, const QString &title, const QString &text) {
    auto *box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::NoButton, parent);
    box->addButton("OK", QMessageBox::AcceptRole);
    return box;
}

QMessageBox *makeQuestionBox(QWidget *parent, const QString &title, const QString &text) {
    auto *box = new QMessageBox(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    box->addButton("&Yes", QMessageBox::YesRole);
    box->addButton("&No", QMessageBox::NoRole);
    return box;
}

QMessageBox *makeYesNoCancelBox(QWidget *parent, const QString &title, const QString &text) {
    auto *box = new QMessageBox(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    box->addButton("&Да", QMessageBox::YesRole);
    box->addButton("&Нет", QMessageBox::NoRole);
    QPushButton *cancel = box->addButton("Отмена", QMessageBox::RejectRole);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    return box;
}

void QtPlatform::showError(QWidget *parent, const QString &text) {
    std::unique_ptr<QMessageBox> box(makeErrorBox(parent, text));
    box->exec();
}

void QtPlatform::showInformation(QWidget *parent, const QString &title, const QString &text) {
    std::unique_ptr<QMessageBox> box(makeInformationBox(parent, title, text));
    box->exec();
}

bool QtPlatform::askYesNo(QWidget *parent, const QString &title, const QString &text) {
    std::unique_ptr<QMessageBox> box(makeQuestionBox(parent, title, text));
    box->exec();
    return box->buttonRole(box->clickedButton()) == QMessageBox::YesRole;
}

Platform::Answer QtPlatform::askYesNoCancel(QWidget *parent, const QString &title, const QString &text) {
    std::unique_ptr<QMessageBox> box(makeYesNoCancelBox(parent, title, text));
    box->exec();
    switch (box->buttonRole(box->clickedButton())) {
    case QMessageBox::YesRole:
        return Answer::Yes;
    case QMessageBox::NoRole:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

int QtPlatform::askChoice(QWidget *parent, const QString &title, const QString &text, const QStringList &choices) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    std::vector<QAbstractButton *> buttons;
    for (const QString &choice : choices)
        buttons.push_back(box.addButton(choice, QMessageBox::ActionRole));
    if (!buttons.empty())
        box.setEscapeButton(buttons.back());
    box.exec();
    const auto chosen = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    return chosen == buttons.end() ? static_cast<int>(choices.size()) - 1 : static_cast<int>(chosen - buttons.begin());
}

bool installPlatformTranslation(QCoreApplication &app, const QLocale &locale) {
    if (locale.language() != QLocale::Russian)
        return false;
    auto *translator = new QTranslator(&app);
    if (!translator->load(locale, "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

} // namespace pulsefir::ui::widgets
