#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

#include <memory>

#include "scripted_platform.h"
#include "ui/widgets/platform.h"

using namespace pulsefir::ui;
using namespace pulsefir::ui::widgets;

namespace {

QStringList buttonTexts(const QMessageBox &box) {
    QStringList texts;
    for (QAbstractButton *b : box.buttons())
        texts << b->text();
    return texts;
}

// The text Qt gives a standard button, in the translation installed.
QString standardText(QDialogButtonBox::StandardButton which) {
    QDialogButtonBox box(which);
    return box.button(which)->text();
}

void removeTranslators() {
    for (QTranslator *t : qApp->findChildren<QTranslator *>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

} // namespace

class PlatformTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { removeTranslators(); }

    // Qt's own dialogs speak Russian under a Russian locale and stay English otherwise.
    void standardDialogsFollowTheLocale_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("cancel");
        QTest::addColumn<QString>("save");
        QTest::newRow("Russian") << QLocale(QLocale::Russian, QLocale::Russia) << true << "Отмена"
                                 << "Сохранить";
        QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedStates) << false << "Cancel"
                                 << "Save";
    }

    void standardDialogsFollowTheLocale() {
        QFETCH(QLocale, locale);
        QFETCH(bool, installed);
        QFETCH(QString, cancel);
        QFETCH(QString, save);
        QCOMPARE(installPlatformTranslation(*qApp, locale), installed);
        QCOMPARE(standardText(QDialogButtonBox::Cancel), cancel);
        QCOMPARE(standardText(QDialogButtonBox::Save).remove('&'), save);

        // The message boxes keep the texts the program gives them.
        const std::unique_ptr<QMessageBox> error(makeErrorBox(nullptr, "Floating point division by zero"));
        QCOMPARE(buttonTexts(*error), QStringList{"OK"});
        QCOMPARE(error->icon(), QMessageBox::Critical);
        const std::unique_ptr<QMessageBox> information(makeInformationBox(nullptr, "Information", "x"));
        QCOMPARE(buttonTexts(*information), QStringList{"OK"});
        QCOMPARE(information->windowTitle(), QString("Information"));
        const std::unique_ptr<QMessageBox> question(makeQuestionBox(nullptr, "Confirm", "x"));
        QCOMPARE(buttonTexts(*question), (QStringList{"&Yes", "&No"}));
        QCOMPARE(question->icon(), QMessageBox::Question);
    }

    // The open dialog takes a name that does not exist, so that the project's own message about
    // it can be shown, and no dialog guesses file types by reading files.
    // A dialog for several files takes existing files only, as many as are selected.
    void openDialogAcceptsAnyName_data() {
        QTest::addColumn<FileDialogRequest::Kind>("kind");
        QTest::addColumn<QFileDialog::FileMode>("mode");
        QTest::newRow("one file") << FileDialogRequest::Kind::Open << QFileDialog::AnyFile;
        QTest::newRow("several files") << FileDialogRequest::Kind::OpenSeveral << QFileDialog::ExistingFiles;
    }
    void openDialogAcceptsAnyName() {
        QFETCH(FileDialogRequest::Kind, kind);
        QFETCH(QFileDialog::FileMode, mode);
        FileDialogRequest request;
        request.kind = kind;
        const std::unique_ptr<QFileDialog> dialog(makeFileDialog(nullptr, request));
        QCOMPARE(dialog->fileMode(), mode);
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
        QVERIFY(dynamic_cast<PlainFileIconProvider *>(dialog->iconProvider()));
    }

    // Every dialog starts in the folder of the last file confirmed in any of them (a folder
    // dialog's choice is that folder itself); a cancel changes nothing; until a folder is known a
    // dialog starts in its own.
    void dialogsShareTheLastFolder_data() {
        QTest::addColumn<QList<FileDialogRequest::Kind>>("kinds");
        QTest::addColumn<QStringList>("answers"); // "" cancels
        QTest::addColumn<QStringList>("started");
        QTest::addColumn<QString>("last");
        using K = FileDialogRequest::Kind;
        QTest::newRow("none known: own folder") << QList<K>{K::Open} << QStringList{""} << QStringList{"/own"} << "";
        QTest::newRow("save then open") << QList<K>{K::Save, K::Open} << QStringList{"/a/p.flt", ""}
                                        << QStringList{"/own", "/a"} << "/a";
        QTest::newRow("cancel keeps the folder")
            << QList<K>{K::Open, K::Open, K::Save} << QStringList{"/a/x.csv", "", ""} << QStringList{"/own", "/a", "/a"}
            << "/a";
        QTest::newRow("folder chosen is the folder")
            << QList<K>{K::Folder, K::Save} << QStringList{"/h/hdl", ""} << QStringList{"/own", "/h/hdl"} << "/h/hdl";
        QTest::newRow("several: the last one's folder")
            << QList<K>{K::OpenSeveral, K::Open} << QStringList{"/a/1.txt|/b/2.txt", ""} << QStringList{"/own", "/b"}
            << "/b";
    }
    void dialogsShareTheLastFolder() {
        QFETCH(QList<FileDialogRequest::Kind>, kinds);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, started);
        QFETCH(QString, last);
        PlatformScope scope;
        setLastDialogFolder({});
        for (qsizetype k = 0; k < kinds.size(); ++k) {
            FileDialogRequest request;
            request.kind = kinds[k];
            request.initialDirectory = "/own";
            request.fileName = "/own/p.flt";
            if (kinds[k] == FileDialogRequest::Kind::OpenSeveral) {
                scope.platform.filesAnswers = {answers[k].split('|')};
                QCOMPARE(chooseFiles(nullptr, request), std::optional<QStringList>(answers[k].split('|')));
            } else {
                scope.platform.dialogAnswers = {answers[k].isEmpty() ? std::nullopt : std::optional(answers[k])};
                const bool picture = kinds[k] == FileDialogRequest::Kind::Save;
                const auto chosen = picture ? choosePicture(nullptr, request, QImage()) : chooseFile(nullptr, request);
                QCOMPARE(chosen.has_value(), !answers[k].isEmpty());
            }
            QCOMPARE(scope.platform.dialogRequests.back().initialDirectory, started[k]);
            // A proposed name with a folder would take the dialog there: only its name is proposed.
            QCOMPARE(scope.platform.dialogRequests.back().fileName, k == 0 ? "/own/p.flt" : "p.flt");
            QCOMPARE(request.initialDirectory, QString("/own")); // the request itself is not changed
        }
        QCOMPARE(lastDialogFolder(), last);
        setLastDialogFolder({});
    }

    // The preview pane shows the whole picture, scaled into 416 x 316 px with its shape kept: wide
    // enough to read a chart's labels.
    void pictureDialogPreviewsThePicture_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("wide chart") << QSize(815, 400) << QSize(416, 204);
        QTest::newRow("tall chart") << QSize(300, 600) << QSize(158, 316);
    }

    void pictureDialogPreviewsThePicture() {
        QFETCH(QSize, picture);
        QFETCH(QSize, shown);
        QImage image(picture, QImage::Format_RGB32);
        image.fill(Qt::black);
        FileDialogRequest request;
        request.title = "Записаь картинку в файл";
        request.fileName = "NoName.bmp";
        request.filter = "Bitmaps (*.bmp)";
        const std::unique_ptr<QFileDialog> dialog(makePictureDialog(nullptr, request, image));
        QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
        QCOMPARE(dialog->windowTitle(), request.title);
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        auto *pane = dialog->findChild<QLabel *>("PicturePreview");
        QVERIFY(pane);
        const QPixmap pixmap = pane->pixmap();
        QVERIFY(std::abs(pixmap.width() - shown.width()) <= 1 && std::abs(pixmap.height() - shown.height()) <= 1);
        QCOMPARE(pixmap.toImage().pixelColor(pixmap.width() / 2, pixmap.height() / 2), QColor(Qt::black));
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QVERIFY(pane->isVisible());
        QVERIFY(dialog->rect().contains(QRect(pane->mapTo(dialog.get(), QPoint(0, 0)), pane->size())));
    }
};

QObject *makePlatformTest() {
    return new PlatformTest;
}

#include "test_platform.moc"
