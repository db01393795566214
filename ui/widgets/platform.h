#pragma once

#include <QAbstractFileIconProvider>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <optional>

class QCoreApplication;
class QFileDialog;
class QImage;
class QLocale;
class QMessageBox;
class QWidget;

namespace pulsefir::ui::widgets {

// What a file dialog is asked to show; its owner keeps it between uses, as a dialog component
// keeps its file name and folder.
struct FileDialogRequest {
    // Folder: an existing or new folder's full name; OpenSeveral: one or more existing files.
    enum class Kind { Open, Save, Folder, OpenSeveral };
    Kind kind = Kind::Save;
    QString title;
    QString initialDirectory;
    QString fileName;      // proposed name; after a confirmed use the full chosen name
    QString filter;        // Qt syntax: "Bitmaps (*.bmp)" or "*.flt (*.flt);;*.* (*)"
    QString defaultSuffix; // added to a name typed without one; empty adds nothing
};

// The platform services whose effects tests must observe or control. The program runs on the
// Qt implementation; tests install a scripted one, so no test blocks on a modal dialog.
class Platform {
  public:
    virtual ~Platform() = default;
    // The default beep for a refused keystroke or step.
    virtual void beep() = 0;
    // A millisecond tick count, for the spin acceleration.
    virtual qint64 tickCount() = 0;
    // A modal file dialog; the chosen full name, or nothing when the user cancels.
    virtual std::optional<QString> runFileDialog(QWidget *parent, const FileDialogRequest &request) = 0;
    // A modal open dialog of the kind OpenSeveral: the chosen full names (at least one), or nothing
    // when the user cancels. A platform without a selection of several shows the plain file dialog.
    virtual std::optional<QStringList> runFilesDialog(QWidget *parent, const FileDialogRequest &request) {
        if (std::optional<QString> chosen = runFileDialog(parent, request))
            return QStringList{*chosen};
        return std::nullopt;
    }
    // The picture save dialog: a save dialog that previews the picture to be written. Without
    // a preview of its own a platform shows the plain file dialog.
    virtual std::optional<QString> runPictureDialog(QWidget *parent, const FileDialogRequest &request,
                                                    const QImage &preview) {
        (void)preview;
        return runFileDialog(parent, request);
    }
    // Message boxes: an error (error icon, OK), an information (title, OK), a question (Yes/No).
    virtual void showError(QWidget *parent, const QString &text) = 0;
    virtual void showInformation(QWidget *parent, const QString &title, const QString &text) = 0;
    virtual bool askYesNo(QWidget *parent, const QString &title, const QString &text) = 0;
    // A question with "Да", "Нет" and "Отмена"; closing the box is Cancel.
    enum class Answer { Yes, No, Cancel };
    virtual Answer askYesNoCancel(QWidget *parent, const QString &title, const QString &text) = 0;
    // A question answered by one of `choices` (button captions, the last one also what closing
    // the box means); the index of the one chosen.
    virtual int askChoice(QWidget *parent, const QString &title, const QString &text, const QStringList &choices) = 0;

    // The services in use; the Qt implementation unless a test installed another.
    static Platform &current();
    // Installs `platform` (not owned) for the whole process; nullptr restores the Qt one.
    static void install(Platform *platform);
};

// Icons and type names for the file dialogs from the name alone: the standard icon provider
// reads files to guess their types, which blocks on special files.
class PlainFileIconProvider : public QAbstractFileIconProvider {
  public:
    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo &info) const override;
    QString type(const QFileInfo &info) const override;
};

// One folder for all the program's file dialogs: the folder of the last file confirmed in any of
// them (for a folder dialog, the folder chosen). Each dialog below starts there, whatever folder
// its request names; until one is known (empty) a dialog starts in its request's own folder. The
// program keeps it between runs (ui/dialog_folders.h).
QString lastDialogFolder();
void setLastDialogFolder(const QString &folder);
// The current platform's dialogs, started in the last folder; a confirmed choice makes its folder
// the last one. Every file dialog of the program is run through these.
std::optional<QString> chooseFile(QWidget *parent, const FileDialogRequest &request);
std::optional<QStringList> chooseFiles(QWidget *parent, const FileDialogRequest &request);
std::optional<QString> choosePicture(QWidget *parent, const FileDialogRequest &request, const QImage &preview);

class QtPlatform : public Platform {
  public:
    void beep() override;
    qint64 tickCount() override;
    std::optional<QString> runFileDialog(QWidget *parent, const FileDialogRequest &request) override;
    std::optional<QStringList> runFilesDialog(QWidget *parent, const FileDialogRequest &request) override;
    std::optional<QString> runPictureDialog(QWidget *parent, const FileDialogRequest &request,
                                            const QImage &preview) override;
    void showError(QWidget *parent, const QString &text) override;
    void showInformation(QWidget *parent, const QString &title, const QString &text) override;
    bool askYesNo(QWidget *parent, const QString &title, const QString &text) override;
    int askChoice(QWidget *parent, const QString &title, const QString &text, const QStringList &choices) override;
    Answer askYesNoCancel(QWidget *parent, const QString &title, const QString &text) override;
};

// The dialogs as the Qt platform shows them, built but not run. The file dialogs speak the
// language of the translation installed; the message boxes keep their own English button texts.
QFileDialog *makeFileDialog(QWidget *parent, const FileDialogRequest &request);
// Qt's own dialog, with a pane beside the file list that shows `preview` scaled to fit.
QFileDialog *makePictureDialog(QWidget *parent, const FileDialogRequest &request, const QImage &preview);
QMessageBox *makeErrorBox(QWidget *parent, const QString &text);
QMessageBox *makeInformationBox(QWidget *parent, const QString &title, const QString &text);
QMessageBox *makeQuestionBox(QWidget *parent, const QString &title, const QString &text);
QMessageBox *makeYesNoCancelBox(QWidget *parent, const QString &title, const QString &text);

// Installs Qt's own translation of its standard dialogs ("Открыть", "Отмена") into `app` when
// `locale` is Russian; the translator belongs to `app`. Returns whether one was installed.
bool installPlatformTranslation(QCoreApplication &app, const QLocale &locale);

} // namespace pulsefir::ui::widgets
