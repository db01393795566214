#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <memory>

#include "core/filter_synthesis.h"
#include "core/filtering.h"
#include "core/signal_synthesis.h"
#include "scripted_platform.h"
#include "ui/Application.h"

using namespace pulsefir;
using namespace pulsefir::ui;

namespace {

void click(QWidget *button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

// Runs `action` from the event processing that the next search epoch does.
void duringNextEpoch(std::function<void()> action) {
    QTimer::singleShot(0, qApp, std::move(action));
}

} // namespace

class WindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<PlatformScope> m_scope;
    std::unique_ptr<Application> m_app;

    ScriptedPlatform &platform() { return m_scope->platform; }
    CoreState &state() { return m_app->state(); }
    TMainForm &main() { return m_app->mainForm(); }
    TSignalForm &signal() { return m_app->signalForm(); }
    TFilterForm &filter() { return m_app->filterForm(); }
    TSpectorForm &spector() { return m_app->spectorForm(); }

    QStringList errors() {
        QStringList texts;
        for (const auto &m : platform().messages)
            if (m.kind == "error")
                texts << m.text;
        return texts;
    }

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void init() {
        m_scope = std::make_unique<PlatformScope>();
        m_app = std::make_unique<Application>();
        main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&main()));
    }

    void cleanup() {
        m_app.reset();
        m_scope.reset();
    }

    // The outer size, frame included, is the designed one; and nothing is clipped, neither at
    // that size nor with the client area left beside a title bar of 25 px and 1 px borders.
    void windowsHaveTheirDesignedSizeAndClipNothing_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QSize>("outer");
        QTest::newRow("signal") << "SignalForm" << QSize(512, 379);
        QTest::newRow("spectra") << "SpectorForm" << QSize(815, 609);
    }

    void windowsHaveTheirDesignedSizeAndClipNothing() {
        QFETCH(QString, window);
        QFETCH(QSize, outer);
        TForm *form = window == "SignalForm" ? static_cast<TForm *>(&signal()) : &spector();
        form->showAndFocus();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        QTRY_COMPARE(form->frameGeometry().size(), outer);
        QVERIFY(form->minimumSizeHint().width() <= outer.width() - 2);
        QVERIFY(form->minimumSizeHint().height() <= outer.height() - 26);
        for (const QSize client : {form->size(), outer - QSize(2, 26)}) {
            form->resize(client);
            QCoreApplication::processEvents();
            QCOMPARE(form->size(), client);
            for (QWidget *w : form->findChildren<QWidget *>()) {
                if (!w->isVisibleTo(form) || w->isWindow())
                    continue;
                const QString where = w->metaObject()->className() + QString(" ") + w->objectName();
                QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(where + " lies outside"));
                const QSize least = w->minimumSizeHint();
                if (least.isValid() && w->parentWidget()->layout())
                    QVERIFY2(w->width() >= least.width() && w->height() >= least.height(),
                             qPrintable(where + " is squeezed"));
            }
        }
    }

    void startUpShowsTwoFlatCurves() {
        QCOMPARE(main().windowTitle(), QString("Тривелан"));
        QCOMPARE(main().pos(), QPoint(1, 1));
        QCOMPARE(state().SignalHalfWidth, 1000);
        QCOMPARE(state().FilterHalfWidth, 10);
        QVERIFY(!signal().isVisible() && !filter().isVisible() && !spector().isVisible());
        for (TLineSeries *s : {main().Series1, main().Series2, main().Series3}) {
            QCOMPARE(s->Count(), 2001);
            QCOMPARE(s->point(0).x, -1000.0);
            QCOMPARE(s->point(2000).x, 1000.0);
            QCOMPARE(s->point(1000).y, 0.0);
            QVERIFY(s->Pointer().Visible());
            QCOMPARE(s->Pointer().HorizSize(), 1);
            QCOMPARE(s->LineWidth(), 1);
        }
        QVERIFY(main().Series1->Active());
        QVERIFY(!main().Series2->Active());
        QVERIFY(main().Series3->Active());
        QCOMPARE(QColor(main().Series1->point(5).color), QColor(0, 0, 0));
        QCOMPARE(QColor(main().Series3->point(5).color), QColor(0, 255, 0));
        QCOMPARE(filter().PageControl1->currentWidget(), filter().TabSheet2);
    }

    void typicalUseComputesAndPlotsEveryStep() {
        // A reference computed on a separate state with the same operations.
        auto reference = std::make_unique<CoreState>();
        reference->SignalHalfWidth = 1000;
        LoadSignal(*reference, ToneBurstParameters{}, 0.8);
        SynthesizeFilter(*reference, FilterSynthesisParameters{}, 0.8);
        CalcOut(*reference);

        click(main().SignalBitBtn);
        QVERIFY(signal().isVisible());
        click(signal().Exp_Load_BitBtn);
        QVERIFY(std::abs(state().SignalBuffer[579] - 0.427733) < 1e-6);
        QCOMPARE(main().Series1->point(1579).y, state().SignalBuffer[579]);
        QCOMPARE(QColor(main().Series1->point(1579).color), QColor(0, 0, 0));

        click(main().FilterBitBtn);
        click(filter().SynthesizeBitBtn);
        QCOMPARE(state().FilterHalfWidth, 100);
        QCOMPARE(filter().Series1->Count(), 201);
        QCOMPARE(filter().Series1->point(100).y, reference->FilterBuffer[0]);

        click(main().CalcOutBitBtn);
        for (int i : {-1000, -3, 0, 250, 999})
            QCOMPARE(state().OutputBuffer[i], reference->OutputBuffer[i]);
        QVERIFY(!main().Series2->Active());
        click(main().CheckBox2);
        QVERIFY(main().Series2->Active());
        QCOMPARE(main().Series2->point(1250).y, reference->OutputBuffer[250]);
        QCOMPARE(QColor(main().Series2->point(1250).color), QColor(255, 0, 0));

        click(main().SpectorBitBtn);
        QVERIFY(spector().isVisible());
        click(spector().CalcSpectorsBitBtn);
        int active = 0;
        for (TLineSeries *s : spector().Series) {
            QCOMPARE(s->Count(), 400);
            active += s->Active() ? 1 : 0;
        }
        QCOMPARE(active, 3);
        QCOMPARE(spector().Series[0]->point(0).x, 0.01 * 6.28318 / 2 / 3.14159);
        QCOMPARE(QColor(spector().Series[2]->point(7).color), QColor(128, 0, 0));
        // A phase box shows its curve at once, without a new computation.
        state().SignalBuffer.fill(0.0);
        click(spector().CheckBox2);
        QVERIFY(spector().Series[1]->Active());
        QCOMPARE(spector().Series[1]->Count(), 400);
        QCOMPARE(spector().Series[1]->point(3).y, state().Spectra.SignalPhaseBuffer[3]);
        QVERIFY(errors().isEmpty());
    }

    void showFilterBeforeAnySynthesisDrawsTwentyOneZeros() {
        click(main().FilterBitBtn);
        click(filter().ViewFilterBitBtn);
        QCOMPARE(filter().Series1->Count(), 21);
        QCOMPARE(filter().Series1->point(0).x, -10.0);
        QCOMPARE(filter().Series1->point(20).y, 0.0);
        QVERIFY(filter().Series1->Pointer().Visible());
        click(filter().PointsCheckBox);
        QVERIFY(!filter().Series1->Pointer().Visible());
    }

    void searchWithASmallLimitEndsAtLimitPlusOne() {
        click(main().SignalBitBtn);
        click(signal().Exp_Load_BitBtn);
        filter().EpochNmSpinEdit->setValue(5);
        filter().PageControl1->setCurrentWidget(filter().TabSheet1);
        filter().show();
        click(filter().Serch1_BitBtn);
        QCOMPARE(filter().EpochLabel->text(), QString("Эпоха 6"));
        QVERIFY(filter().AimLabel->text().startsWith("Целевая функция "));
        QVERIFY(filter().AimLabel->text().contains(QChar(',')));
        QVERIFY(filter().Serch1_BitBtn->isEnabled());
        QVERIFY(!state().SearchRunning);
        QCOMPARE(state().FilterHalfWidth, 100);
    }

    void searchButtonIsDisabledWhileTheSearchRuns() {
        filter().EpochNmSpinEdit->setValue(3);
        bool disabledDuringRun = false;
        duringNextEpoch([&] { disabledDuringRun = !filter().Serch1_BitBtn->isEnabled(); });
        filter().Serch1_BitBtnClick();
        QVERIFY(disabledDuringRun);
        QVERIFY(filter().Serch1_BitBtn->isEnabled());
    }

    void stopDuringARunEndsItAfterOneEpoch() {
        filter().EpochNmSpinEdit->setValue(1000000);
        duringNextEpoch([&] { filter().Break1_BitBtn->click(); });
        filter().Serch1_BitBtnClick();
        QCOMPARE(filter().EpochLabel->text(), QString("Эпоха 1"));
        QVERIFY(!state().SearchRunning);
    }

    void synthesisDuringARunReplacesTheFilter() {
        filter().EpochNmSpinEdit->setValue(1000000);
        duringNextEpoch([&] {
            filter().WINNmSpinEdit->setValue(7);
            filter().SynthesizeBitBtn->click();
            filter().Break1_BitBtn->click();
        });
        filter().Serch1_BitBtnClick();
        QCOMPARE(state().FilterHalfWidth, 7);
        QCOMPARE(filter().Series1->Count(), 15);
        for (int j = 8; j <= 100; ++j)
            QCOMPARE(state().FilterBuffer[j], 0.0);
    }

    void errorInAHandlerDuringARunEndsOnlyThatHandler() {
        filter().EpochNmSpinEdit->setValue(1000000);
        bool searchWentOn = false;
        duringNextEpoch([&] {
            main().FNmSuperSpin->setText("");
            signal().Exp_Load_BitBtn->click();
            QTimer::singleShot(0, qApp, [&] {
                searchWentOn = state().SearchRunning;
                filter().Break1_BitBtn->click();
            });
        });
        filter().Serch1_BitBtnClick();
        QCOMPARE(errors(), QStringList{"Floating point division by zero"});
        QVERIFY(searchWentOn);
        QVERIFY(!state().SearchRunning);
        QVERIFY(signal().Exp_Load_BitBtn->isEnabled());
    }

    void closingTheMainWindowDuringARunStopsTheSearch() {
        filter().EpochNmSpinEdit->setValue(1000000);
        filter().show();
        duringNextEpoch([&] { main().close(); });
        filter().Serch1_BitBtnClick();
        QVERIFY(!state().SearchRunning);
        QVERIFY(!main().isVisible());
        QVERIFY(!filter().isVisible());
        QCOMPARE(filter().EpochLabel->text(), QString("Эпоха 1"));
    }

    void emptiedSamplingFrequencyIsADivisionByZero() {
        main().FNmSuperSpin->setText("");
        click(main().SignalBitBtn);
        click(signal().Exp_Load_BitBtn);
        QCOMPARE(errors(), QStringList{"Floating point division by zero"});
        QVERIFY(signal().Exp_Load_BitBtn->isEnabled());
        QVERIFY(signal().AddSignalBitBtn->isEnabled());
        QVERIFY(main().DrawBitBtn->isEnabled());
        click(main().FilterBitBtn);
        click(filter().SynthesizeBitBtn);
        QCOMPARE(errors().size(), 2);
        QVERIFY(filter().SynthesizeBitBtn->isEnabled());
    }

    void unreadableFieldIsReportedWithItsText() {
        signal().Exp_Am_NmSuperSpin->setText("-E5");
        click(main().SignalBitBtn);
        click(signal().AddSignalBitBtn);
        QCOMPARE(errors(), QStringList{"'-E5' is not a valid floating point value."});
        QVERIFY(signal().AddSignalBitBtn->isEnabled());
    }

    void typedHalfWidthAboveTheBoundNeverReachesTheCore() {
        main().SWNmSpinEdit->setText("20000"); // typed, the field not yet left
        click(main().SignalBitBtn);
        click(signal().AddSignalBitBtn);
        QCOMPARE(state().SignalHalfWidth, 10000);
        QCOMPARE(main().Series1->Count(), 20001);
        click(signal().AddSignalBitBtn);
        QVERIFY(errors().isEmpty());
    }

    void halfWidthTakesEffectAtTheNextDraw() {
        main().SWNmSpinEdit->setValue(2000);
        click(main().CalcOutBitBtn);
        QCOMPARE(state().SignalHalfWidth, 1000);
        QCOMPARE(main().Series1->Count(), 2001);
        click(main().DrawBitBtn);
        QCOMPARE(main().Series1->Count(), 4001);
    }

    void seriesBoxesActAtOnceAndSurviveADraw() {
        click(main().CheckBox1);
        QVERIFY(!main().Series1->Active());
        click(main().DrawBitBtn);
        QVERIFY(!main().Series1->Active());
        main().LineWidthSpinEdit->setValue(3);
        for (TLineSeries *s : {main().Series1, main().Series2, main().Series3})
            QCOMPARE(s->LineWidth(), 3);
    }

    void windowButtonsShowOneInstanceWithItsValues() {
        click(main().SignalBitBtn);
        signal().Exp_Shift_NmSuperSpin->setValue(40);
        signal().close();
        QVERIFY(!signal().isVisible());
        click(main().SignalBitBtn);
        click(main().SignalBitBtn);
        QVERIFY(signal().isVisible());
        QCOMPARE(signal().Exp_Shift_NmSuperSpin->Value(), 40.0);
        QCOMPARE(QApplication::topLevelWidgets().count(&signal()), 1);
    }

    void tooManySpectrumPointsIsReported() {
        spector().PointsNmSpinEdit->setValue(20000);
        click(main().SpectorBitBtn);
        click(spector().CalcSpectorsBitBtn);
        QCOMPARE(errors(), QStringList{"Количество точек не должно превышать 10001"});
        QVERIFY(spector().CalcSpectorsBitBtn->isEnabled());
        spector().PointsNmSpinEdit->setValue(100);
        click(spector().CalcSpectorsBitBtn);
        QCOMPARE(spector().Series[0]->Count(), 100);
    }

    // ---- Project file ----------------------------------------------------------------------

    void projectKeysStandInTheOrderOfTheWindowsLayouts() {
        QTemporaryDir dir;
        const QString name = dir.filePath("keys.flt");
        platform().dialogAnswers = {name};
        click(main().SaveFileSpeedButton);
        QCOMPARE(main().windowTitle(), name);
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QMap<QString, QStringList> keys;
        QStringList sections;
        QString section;
        for (const QByteArray &line : file.readAll().split('\n')) {
            const QString text = QString::fromUtf8(line).trimmed();
            if (text.startsWith('[')) {
                section = text.mid(1, text.size() - 2);
                sections << section;
            } else if (text.contains('=')) {
                keys[section] << text.left(text.indexOf('='));
            }
        }
        QCOMPARE(sections, (QStringList{"MainForm", "SignalForm", "FilterForm", "SpectorForm"}));
        const QStringList head{"Top", "Left", "Width", "Height"};
        const QStringList tail{"Wisible", "Enabled"};
        QCOMPARE(keys["MainForm"], (head +
                                    QStringList{"LineWidthSpinEdit", "PointsCheckBox", "PointSizeSpinEdit",
                                                "FNmSuperSpin", "SWNmSpinEdit", "CheckBox1", "CheckBox2", "CheckBox3"} +
                                    tail));
        QCOMPARE(keys["SignalForm"],
                 (head +
                  QStringList{"NoiseNmSuperSpin", "Exp_F_NmSuperSpin", "Exp_Phaze_NmSuperSpin", "Exp_Front_NmSuperSpin",
                              "Exp_Time_NmSuperSpin", "Exp_Shift_NmSuperSpin", "Exp_Am_NmSuperSpin"} +
                  tail));
        QCOMPARE(
            keys["FilterForm"],
            (head +
             QStringList{"WINNmSpinEdit", "PointsCheckBox", "Ar1_NmSuperSpin", "Tr1_NmSuperSpin", "RandomNmSuperSpin",
                         "EpochNmSpinEdit", "RadioGroup1", "ResponseRadioGroup", "F0_NmSuperSpin", "DF_NmSuperSpin",
                         "FilterTypeRadioGroup", "WinTypeRadioGroup", "K_NmSuperSpin", "PhazeShiftNmSpinEdit"} +
             tail));
        QCOMPARE(keys["SpectorForm"],
                 (head +
                  QStringList{"FL_NmSuperSpin", "FH_NmSuperSpin", "PointsNmSpinEdit", "CheckBox1", "CheckBox2",
                              "CheckBox3", "CheckBox4", "CheckBox5", "CheckBox6", "LineWidthSpinEdit", "PointsCheckBox",
                              "PointSizeSpinEdit", "CheckBox7", "CheckBox8", "CheckBox9"} +
                  tail));
    }

    void projectRoundTripThroughTheWindows() {
        QTemporaryDir dir;
        const QString name = dir.filePath("round.flt");
        main().FNmSuperSpin->setValue(1.25);
        main().SWNmSpinEdit->setValue(1500);
        main().CheckBox2->setChecked(true);
        main().LineWidthSpinEdit->setValue(4);
        signal().Exp_Shift_NmSuperSpin->setValue(-123.456);
        signal().Exp_Am_NmSuperSpin->setValue(0.001);
        filter().WinTypeRadioGroup->setItemIndex(4);
        filter().RandomNmSuperSpin->setValue(0.00002);
        filter().PhazeShiftNmSpinEdit->setValue(-90);
        filter().PointsCheckBox->setChecked(false);
        spector().CheckBox9->setChecked(true);
        spector().PointsNmSpinEdit->setValue(777);
        spector().move(120, 130);
        spector().show();
        platform().dialogAnswers = {name};
        click(main().SaveFileSpeedButton);

        // A fresh start of the program loads it.
        m_app = std::make_unique<Application>();
        main().show();
        platform().dialogAnswers = {name};
        click(main().OpenFileSpeedButton);
        QCOMPARE(main().windowTitle(), name);
        QCOMPARE(main().FNmSuperSpin->Value(), 1.25);
        QCOMPARE(main().SWNmSpinEdit->Value(), 1500);
        QVERIFY(main().CheckBox2->isChecked());
        QCOMPARE(main().LineWidthSpinEdit->Value(), 4);
        QCOMPARE(signal().Exp_Shift_NmSuperSpin->Value(), -123.456);
        QCOMPARE(signal().Exp_Am_NmSuperSpin->Value(), 0.001);
        QCOMPARE(filter().WinTypeRadioGroup->ItemIndex(), 4);
        QCOMPARE(filter().RandomNmSuperSpin->text(), QString("2E-5"));
        QCOMPARE(filter().PhazeShiftNmSpinEdit->Value(), -90);
        QVERIFY(!filter().PointsCheckBox->isChecked());
        QVERIFY(spector().CheckBox9->isChecked());
        QCOMPARE(spector().PointsNmSpinEdit->Value(), 777);
        QVERIFY(spector().isVisible());
        QVERIFY(!signal().isVisible());
        QCOMPARE(spector().pos(), QPoint(120, 130));
        QVERIFY(errors().isEmpty());
    }

    // A file named on the command line loads as through the open dialog, without showing it;
    // a relative name becomes the full one in the caption.
    void projectNamedOnTheCommandLine_data() {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("relative");
        QTest::newRow("full name") << true << false;
        QTest::newRow("relative name") << true << true;
        QTest::newRow("missing file") << false << false;
    }

    void projectNamedOnTheCommandLine() {
        QFETCH(bool, exists);
        QFETCH(bool, relative);
        QTemporaryDir dir;
        const QString name = QFileInfo(dir.filePath("named.flt")).absoluteFilePath();
        if (exists) {
            main().SWNmSpinEdit->setValue(1750);
            spector().PointsNmSpinEdit->setValue(123);
            platform().dialogAnswers = {name};
            click(main().SaveFileSpeedButton);
            m_app = std::make_unique<Application>();
            main().show();
        }
        platform().dialogRequests.clear();
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        m_app->openProjectFile(relative ? QString("named.flt") : name);
        QDir::setCurrent(previous);
        QVERIFY(platform().dialogRequests.empty());
        QCOMPARE(main().windowTitle(), exists ? name : QString("Тривелан"));
        QCOMPARE(main().SWNmSpinEdit->Value(), exists ? 1750 : 1000);
        QCOMPARE(spector().PointsNmSpinEdit->Value(), exists ? 123 : 400);
        QCOMPARE(main().OpenDialog.fileName, name);
        if (!exists) {
            QCOMPARE(platform().messages.size(), std::size_t(1));
            QCOMPARE(platform().messages[0].title, QString("Information"));
            QCOMPARE(platform().messages[0].text, "Не существует Файл \r" + name);
        }
        // The next use of the button shows the dialog again.
        click(main().OpenFileSpeedButton);
        QCOMPARE(platform().dialogRequests.size(), std::size_t(1));
        QVERIFY(errors().isEmpty());
    }

    void loadingAppliesDisplaySettingsAndComputesNothing() {
        QTemporaryDir dir;
        const QString name = dir.filePath("display.flt");
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[MainForm]\r\nLineWidthSpinEdit=3\r\nCheckBox1=0\r\nPointsCheckBox=0\r\nSWNmSpinEdit=50\r\n"
                   "[FilterForm]\r\nWidth=100\r\nHeight=100\r\nLeft=33\r\n");
        file.close();
        click(main().SignalBitBtn);
        click(signal().Exp_Load_BitBtn);
        const double sample = state().SignalBuffer[579];
        const QSize filterSize = filter().size();
        platform().dialogAnswers = {name};
        click(main().OpenFileSpeedButton);
        QVERIFY(!main().Series1->Active());
        QCOMPARE(main().Series2->LineWidth(), 3);
        QVERIFY(!main().Series3->Pointer().Visible());
        QCOMPARE(main().Series1->Count(), 2001);
        QCOMPARE(state().SignalHalfWidth, 1000);
        QCOMPARE(state().SignalBuffer[579], sample);
        QCOMPARE(filter().size(), filterSize);
        QCOMPARE(filter().pos().x(), 33);
    }

    void malformedProjectIsReportedAndChangesNothing() {
        QTemporaryDir dir;
        const QString name = dir.filePath("bad.flt");
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[MainForm]\nSWNmSpinEdit=50\n[SpectorForm]\nFL_NmSuperSpin=0;5\n");
        file.close();
        platform().dialogAnswers = {name};
        click(main().OpenFileSpeedButton);
        QCOMPARE(errors(), QStringList{"'0;5' is not a valid floating point value."});
        QCOMPARE(main().SWNmSpinEdit->Value(), 1000);
        QCOMPARE(main().windowTitle(), QString("Тривелан"));
    }

    void noiseIsAddedAndDrawn() {
        click(main().SignalBitBtn);
        click(signal().AddNoiseBitBtn);
        QCOMPARE(state().SignalBuffer[-1000], -0.04);
        QCOMPARE(main().Series1->point(0).y, -0.04);
    }
};

QTEST_MAIN(WindowsTest)
#include "test_windows.moc"
