#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

#include <memory>

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
    void openDialogAcceptsAnyName() {
        FileDialogRequest request;
        request.kind = FileDialogRequest::Kind::Open;
        const std::unique_ptr<QFileDialog> dialog(makeFileDialog(nullptr, request));
        QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
        QVERIFY(dynamic_cast<PlainFileIconProvider *>(dialog->iconProvider()));
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
