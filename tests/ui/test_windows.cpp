#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <span>
#include <vector>

#include "base/file.h"
#include "base/number_text.h"
#include "c_locale.h"
#include "core/air_path.h"
#include "core/filter_search.h"
#include "core/filter_synthesis.h"
#include "core/filtering.h"
#include "core/fixed_point_filter.h"
#include "core/least_squares.h"
#include "core/signal_synthesis.h"
#include "core/spectrum_views.h"
#include "core/word_length_search.h"
#include "project/path_set.h"
#include "scripted_platform.h"
#include "ui/application.h"
#include "ui/widgets/chart_painter.h"
#include "ui/widgets/numeric_text.h"
#include "ui/widgets/table_text.h"

using namespace pulsefir;
using namespace pulsefir::core;
using namespace pulsefir::ui;
using namespace pulsefir::ui::widgets;

namespace {

// A mono 16-bit PCM WAV, written byte by byte.
QByteArray pcm16Wav(int rate, const std::vector<short> &samples) {
    QByteArray data;
    const auto le = [](QByteArray &b, quint32 v, int bytes) {
        for (int k = 0; k < bytes; ++k)
            b.append(static_cast<char>((v >> (8 * k)) & 0xFF));
    };
    for (short v : samples)
        le(data, static_cast<quint16>(v), 2);
    QByteArray file("RIFF");
    le(file, static_cast<quint32>(36 + data.size()), 4);
    file.append("WAVEfmt ");
    for (const auto &[value, bytes] : {std::pair{16u, 4},
                                       {1u, 2},
                                       {1u, 2},
                                       {static_cast<unsigned>(rate), 4},
                                       {static_cast<unsigned>(rate) * 2, 4},
                                       {2u, 2},
                                       {16u, 2}})
        le(file, value, bytes);
    file.append("data");
    le(file, static_cast<quint32>(data.size()), 4);
    return file + data;
}

// A NumPy 1-D float64 array.
QByteArray npyFloat64(const std::vector<double> &values) {
    QByteArray header =
        "{'descr': '<f8', 'fortran_order': False, 'shape': (" + QByteArray::number(values.size()) + ",), }";
    while ((10 + header.size() + 1) % 64 != 0)
        header.append(' ');
    header.append('\n');
    QByteArray file("\x93NUMPY\x01\x00", 8);
    file.append(static_cast<char>(header.size() & 0xFF));
    file.append(static_cast<char>(header.size() >> 8));
    return file + header +
           QByteArray(reinterpret_cast<const char *>(values.data()), static_cast<int>(values.size() * sizeof(double)));
}

void writeFile(const QString &name, const QByteArray &bytes) {
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

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

    // Every table of every window keeps its cells on one line, and every number in a table was
    // written by the tables' one formatting, with its kind's digits: a cell that holds a number
    // says the value and kind it was made from. Returns the cells so checked, per table name.
    QMap<QString, int> verifyTables() {
        static const QRegularExpression bareNumber(R"(^[-+>\s]*[0-9][0-9.,E+\-]*$)");
        QMap<QString, int> numbers;
        for (QWidget *widget : QApplication::allWidgets()) {
            auto *table = qobject_cast<QTableWidget *>(widget);
            if (!table)
                continue;
            [&] {
                QVERIFY2(!table->wordWrap(), qPrintable(table->objectName()));
                numbers[table->objectName()] += 0;
                for (int row = 0; row < table->rowCount(); ++row)
                    for (int column = 0; column < table->columnCount(); ++column) {
                        const QTableWidgetItem *item = table->item(row, column);
                        if (!item)
                            continue;
                        const QString where = QString("%1 (%2, %3): ").arg(table->objectName()).arg(row).arg(column);
                        QVERIFY2(!item->text().contains('\n'), qPrintable(where + item->text()));
                        if (!item->data(widgets::KindRole).isValid()) {
                            QVERIFY2(!bareNumber.match(item->text()).hasMatch(), qPrintable(where + item->text()));
                            continue;
                        }
                        const QVariant value = item->data(widgets::QuantityRole);
                        const auto kind = static_cast<widgets::Quantity>(item->data(widgets::KindRole).toInt());
                        const QString expected = widgets::quantityText(
                            value.isValid() ? std::optional(value.toDouble()) : std::nullopt, kind);
                        QVERIFY2(item->text().endsWith(expected), qPrintable(where + item->text() + " ≠ " + expected));
                        ++numbers[table->objectName()];
                    }
            }();
        }
        return numbers;
    }

  private slots:
    void initTestCase() {
        const std::string mismatch = cLocaleMismatch();
        QVERIFY2(mismatch.empty(), mismatch.c_str());
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }

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
            QCOMPARE(s->count(), 2001);
            QCOMPARE(s->point(0).x, -1000.0);
            QCOMPARE(s->point(2000).x, 1000.0);
            QCOMPARE(s->point(1000).y, 0.0);
            QVERIFY(s->pointer().visible());
            QCOMPARE(s->pointer().horizSize(), 1);
            QCOMPARE(s->lineWidth(), 1);
        }
        QVERIFY(main().Series1->Active());
        QVERIFY(!main().Series2->Active());
        QVERIFY(main().Series3->Active());
        QCOMPARE(QColor(main().Series1->point(5).color), QColor(0, 0, 0));
        QCOMPARE(QColor(main().Series3->point(5).color), QColor(0, 255, 0));
        QCOMPARE(filter().PageControl1->currentWidget(), filter().TabSheet2);
    }

    // Typed as a user types them into the real windows: entering selects the shown value, the
    // digits replace it, leaving keeps the number.
    void typingIntoTheWindowsFields_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<double>("value");
        QTest::newRow("amplitude") << "Exp_Am_NmSuperSpin"
                                   << "25" << 25.0;
        QTest::newRow("sampling frequency") << "FNmSuperSpin"
                                            << "2,5" << 2.5;
        QTest::newRow("noise amplitude") << "NoiseNmSuperSpin"
                                         << "0,5" << 0.5;
        QTest::newRow("random increments") << "RandomNmSuperSpin"
                                           << "3" << 3.0;
    }

    void typingIntoTheWindowsFields() {
        QFETCH(QString, field);
        QFETCH(QString, keys);
        QFETCH(double, value);
        click(main().SignalBitBtn);
        click(main().FilterBitBtn);
        TNmSuperSpin *edit = nullptr;
        for (QWidget *window : std::initializer_list<QWidget *>{&main(), &signal(), &filter()})
            if (!edit)
                edit = window->findChild<TNmSuperSpin *>(field);
        QVERIFY(edit);
        QApplication::setActiveWindow(edit->window());
        QVERIFY(QTest::qWaitForWindowActive(edit->window()));
        edit->setFocus(Qt::TabFocusReason);
        QVERIFY(edit->hasFocus());
        QTest::keyClicks(edit, keys);
        edit->clearFocus();
        QCOMPARE(edit->value(), value);
        QVERIFY(errors().isEmpty());
    }

    void typicalUseComputesAndPlotsEveryStep() {
        // A reference computed on a separate state with the same operations.
        auto reference = std::make_unique<CoreState>();
        reference->SignalHalfWidth = 1000;
        loadSignal(*reference, ToneBurstParameters{}, 0.8);
        synthesizeFilter(*reference, FilterSynthesisParameters{}, 0.8);
        calcOut(*reference);

        click(main().SignalBitBtn);
        QVERIFY(signal().isVisible());
        click(signal().Exp_Load_BitBtn);
        QVERIFY(std::abs(state().SignalBuffer[579] - 0.427733) < 1e-6);
        QCOMPARE(main().Series1->point(1579).y, state().SignalBuffer[579]);
        QCOMPARE(QColor(main().Series1->point(1579).color), QColor(0, 0, 0));

        click(main().FilterBitBtn);
        click(filter().SynthesizeBitBtn);
        QCOMPARE(state().FilterHalfWidth, 100);
        QCOMPARE(filter().Series1->count(), 201);
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
            QCOMPARE(s->count(), 400);
            active += s->Active() ? 1 : 0;
        }
        QCOMPARE(active, 3);
        QCOMPARE(spector().Series[0]->point(0).x, 0.01 * 6.28318 / 2 / 3.14159);
        QCOMPARE(QColor(spector().Series[2]->point(7).color), QColor(128, 0, 0));
        // A phase box shows its curve at once, without a new computation.
        state().SignalBuffer.fill(0.0);
        click(spector().CheckBox2);
        QVERIFY(spector().Series[1]->Active());
        QCOMPARE(spector().Series[1]->count(), 400);
        QCOMPARE(spector().Series[1]->point(3).y, state().Spectra.SignalPhaseBuffer[3]);
        QVERIFY(errors().isEmpty());
    }

    void showFilterBeforeAnySynthesisDrawsTwentyOneZeros() {
        click(main().FilterBitBtn);
        click(filter().ViewFilterBitBtn);
        QCOMPARE(filter().Series1->count(), 21);
        QCOMPARE(filter().Series1->point(0).x, -10.0);
        QCOMPARE(filter().Series1->point(20).y, 0.0);
        QVERIFY(filter().Series1->pointer().visible());
        click(filter().PointsCheckBox);
        QVERIFY(!filter().Series1->pointer().visible());
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
        QCOMPARE(filter().Series1->count(), 15);
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
        QCOMPARE(main().Series1->count(), 20001);
        click(signal().AddSignalBitBtn);
        QVERIFY(errors().isEmpty());
    }

    void halfWidthTakesEffectAtTheNextDraw() {
        main().SWNmSpinEdit->setValue(2000);
        click(main().CalcOutBitBtn);
        QCOMPARE(state().SignalHalfWidth, 1000);
        QCOMPARE(main().Series1->count(), 2001);
        click(main().DrawBitBtn);
        QCOMPARE(main().Series1->count(), 4001);
    }

    void seriesBoxesActAtOnceAndSurviveADraw() {
        click(main().CheckBox1);
        QVERIFY(!main().Series1->Active());
        click(main().DrawBitBtn);
        QVERIFY(!main().Series1->Active());
        main().LineWidthSpinEdit->setValue(3);
        for (TLineSeries *s : {main().Series1, main().Series2, main().Series3})
            QCOMPARE(s->lineWidth(), 3);
    }

    void windowButtonsShowOneInstanceWithItsValues() {
        click(main().SignalBitBtn);
        signal().Exp_Shift_NmSuperSpin->setValue(40);
        signal().close();
        QVERIFY(!signal().isVisible());
        click(main().SignalBitBtn);
        click(main().SignalBitBtn);
        QVERIFY(signal().isVisible());
        QCOMPARE(signal().Exp_Shift_NmSuperSpin->value(), 40.0);
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
        QCOMPARE(spector().Series[0]->count(), 100);
    }

    // ---- Spectra display options -------------------------------------------------------------

    // The options redraw the last results: the buffers are cleared after the computation, yet
    // the curves still show the designed filter, with its side lobes in dB and a flat zero delay
    // between the zeros of its response (where the ±π/2 phase changes sign), with gaps where its
    // amplitude is below -40 dB. The delay is drawn with the phase boxes off.
    void displayOptionsRedrawTheLastResultsWithoutComputing() {
        click(main().SpectorBitBtn);
        click(spector().DbCheckBox);
        QCOMPARE(spector().Series[0]->count(), 0);
        click(spector().DbCheckBox);
        click(main().SignalBitBtn);
        click(signal().Exp_Load_BitBtn);
        click(main().FilterBitBtn);
        click(filter().SynthesizeBitBtn);
        click(spector().CalcSpectorsBitBtn);
        const SpectorResults results = state().Spectra;
        const int n = results.SpectorPointCount;
        state().FilterBuffer.fill(0.0);
        state().SignalBuffer.fill(0.0);

        click(spector().DbCheckBox);
        click(spector().DelayCheckBox);
        QVERIFY(!spector().CheckBox4->isChecked() && spector().Series[7]->Active());
        const auto db = amplitudeDecibels({results.FilterAmplitudeBuffer.data(), static_cast<std::size_t>(n)});
        double deepest = 0.0;
        int flat = 0, gaps = 0;
        for (int k = 0; k < n; ++k) {
            const auto i = static_cast<std::size_t>(k);
            QCOMPARE(spector().Series[2]->point(k).y, db[i]);
            deepest = std::min(deepest, db[i]);
            const double delay = spector().Series[7]->point(k).y;
            if (db[i] < -40.0) {
                QVERIFY2(std::isnan(delay), qPrintable(QString::number(k)));
                ++gaps;
            } else {
                QVERIFY2(std::abs(delay) < 1e-6, qPrintable(QString::number(k)));
                ++flat;
            }
        }
        QVERIFY(deepest < -40.0);
        QVERIFY(gaps > 0);
        QVERIFY(flat > n / 2);
        // Amplitude on the left axis, the delays on the right one with a scale of their own.
        QVERIFY(spector().Series[7]->onRightAxis() && !spector().Series[2]->onRightAxis());
        QVERIFY(spector().Chart->rightAxisShown());

        // The signal's phase unwrapped: whole turns away from the computed one, no step above π.
        click(spector().DelayCheckBox);
        click(spector().CheckBox2);
        click(spector().UnwrapCheckBox);
        const TLineSeries *phase = spector().Series[1];
        double turns = 0.0;
        for (int k = 1; k < n; ++k) {
            turns =
                (phase->point(k).y - results.SignalPhaseBuffer[static_cast<std::size_t>(k)]) / (2 * std::numbers::pi);
            QVERIFY(std::abs(turns - std::round(turns)) < 1e-9);
            QVERIFY(std::abs(phase->point(k).y - phase->point(k - 1).y) <= std::numbers::pi);
        }
        QVERIFY(std::abs(turns) > 10);
        click(spector().UnwrapCheckBox);
        click(spector().DbCheckBox);
        QCOMPARE(spector().Series[2]->point(17).y, results.FilterAmplitudeBuffer[17]);
        QCOMPARE(spector().Series[1]->point(17).y, results.SignalPhaseBuffer[17]);
        QCOMPARE(spector().Series[3]->point(17).y, results.FilterPhaseBuffer[17]);
        QVERIFY(errors().isEmpty());
    }

    // With dB alone the phase curves move to the right axis, which gets the phase part of the
    // caption; the delays, where shown, take the right axis and leave the phases on the left one;
    // otherwise every curve shares the left axis and its caption says both.
    void verticalCaptionFollowsTheOptions_data() {
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::addColumn<bool>("phasesRight");
        const QString decibels = "амплитуда [дБ]";
        const QString delay = "групповая задержка [мкс]";
        QTest::newRow("none") << QStringList{} << QString("амплитуда (норм.) / фаза [рад]")
                              << QString("амплитуда (норм.) / фаза [рад]") << QString() << false;
        QTest::newRow("dB") << QStringList{"DbCheckBox"} << QString("амплитуда [дБ] / фаза [рад]") << decibels
                            << QString("фаза [рад]") << true;
        QTest::newRow("unwrap") << QStringList{"UnwrapCheckBox"}
                                << QString("амплитуда (норм.) / развернутая фаза [рад]")
                                << QString("амплитуда (норм.) / развернутая фаза [рад]") << QString() << false;
        QTest::newRow("delay alone") << QStringList{"DelayCheckBox"}
                                     << QString("амплитуда (норм.) / фаза [рад] / групповая задержка [мкс]")
                                     << QString("амплитуда (норм.) / фаза [рад]") << delay << false;
        QTest::newRow("delay with unwrap and dB: the phases on the left")
            << QStringList{"UnwrapCheckBox", "DelayCheckBox", "DbCheckBox"}
            << QString("амплитуда [дБ] / развернутая фаза [рад] / групповая задержка [мкс]")
            << QString("амплитуда [дБ] / развернутая фаза [рад]") << delay << false;
        QTest::newRow("unwrapped against a cosine, dB")
            << QStringList{"CosinePhaseCheckBox", "UnwrapCheckBox", "DbCheckBox"}
            << QString("амплитуда [дБ] / развернутая фаза от косинуса [рад]") << decibels
            << QString("развернутая фаза от косинуса [рад]") << true;
    }

    void verticalCaptionFollowsTheOptions() {
        QFETCH(QStringList, boxes);
        QFETCH(QString, caption);
        QFETCH(QString, left);
        QFETCH(QString, right);
        QFETCH(bool, phasesRight);
        for (const QString &box : boxes)
            qobject_cast<QCheckBox *>(spector().component(box))->setChecked(true);
        QCOMPARE(spector().verticalCaption(), caption);
        QCOMPARE(spector().Chart->yCaption(), left);
        QCOMPARE(spector().Chart->rightCaption(), right);
        for (std::size_t s = 0; s < 6; ++s)
            QCOMPARE(spector().Series[s]->onRightAxis(), s % 2 == 1 && phasesRight);
    }

    // "Групповая задержка" draws each source's delay whether or not its phase box is ticked:
    // dashed, in the colour of the source's amplitude, told apart from the other sources'
    // delays by colour; a phase shown beside it stays the phase. The legend then leaves the
    // right axis' labels readable.
    void groupDelayDrawnDashedInItsSourcesColour_data() {
        QTest::addColumn<int>("source"); // 0 signal, 1 filter, 2 filtered signal
        QTest::addColumn<bool>("phaseShown");
        QTest::newRow("signal") << 0 << false;
        QTest::newRow("filter") << 1 << false;
        QTest::newRow("after the filter") << 2 << false;
        QTest::newRow("filter, its phase shown too") << 1 << true;
    }

    void groupDelayDrawnDashedInItsSourcesColour() {
        QFETCH(int, source);
        QFETCH(bool, phaseShown);
        click(main().SignalBitBtn);
        click(signal().Exp_Load_BitBtn);
        click(main().FilterBitBtn);
        click(filter().SynthesizeBitBtn);
        click(main().CalcOutBitBtn);
        click(main().SpectorBitBtn);
        click(spector().CalcSpectorsBitBtn);
        const SpectorResults &r = state().Spectra;
        const SpectorArray *delays[3] = {&r.SignalDelayBuffer, &r.FilterDelayBuffer, &r.OutputDelayBuffer};
        const SpectorArray *phases[3] = {&r.SignalPhaseBuffer, &r.FilterPhaseBuffer, &r.OutputPhaseBuffer};
        QCheckBox *phaseBoxes[3] = {spector().CheckBox2, spector().CheckBox4, spector().CheckBox9};
        const auto c = static_cast<std::size_t>(source);
        const TLineSeries *amplitude = spector().Series[2 * c];
        const TLineSeries *phase = spector().Series[2 * c + 1];
        const TLineSeries *delay = spector().Series[6 + c];
        QVERIFY(!delay->Active());
        phaseBoxes[c]->setChecked(phaseShown);
        click(spector().DelayCheckBox);

        QVERIFY(delay->Active());
        QCOMPARE(phase->Active(), phaseShown);
        QCOMPARE(delay->count(), r.SpectorPointCount);
        int drawn = 0;
        for (int k = 0; k < delay->count(); ++k) {
            const double expected = (*delays[c])[static_cast<std::size_t>(k)];
            const double y = delay->point(k).y;
            QVERIFY2(std::isnan(expected) ? std::isnan(y) : y == expected, qPrintable(QString::number(k)));
            drawn += !std::isnan(y);
            QCOMPARE(phase->point(k).y, (*phases[c])[static_cast<std::size_t>(k)]);
        }
        QVERIFY2(drawn > 20, qPrintable(QString::number(drawn))); // a curve, not a few dots
        // Dashed, and without the markers that would fill its dashes.
        QCOMPARE(delay->lineStyle(), Qt::DashLine);
        QCOMPARE(amplitude->lineStyle(), Qt::SolidLine);
        QVERIFY(spector().PointsCheckBox->isChecked() && amplitude->pointer().visible());
        QVERIFY(!delay->pointer().visible());
        QCOMPARE(delay->point(0).color, amplitude->point(0).color);
        for (std::size_t other = 0; other < 3; ++other)
            if (other != c)
                QVERIFY(spector().Series[6 + other]->point(0).color != delay->point(0).color);
        QVERIFY(delay->onRightAxis() && !phase->onRightAxis());

        spector().Chart->setLegendVisible(true);
        const ChartScene scene = spector().Chart->scene(spector().Chart->size());
        QVERIFY(std::find(scene.series.begin(), scene.series.end(), delay) != scene.series.end());
        const QRect legend = legendRect(scene);
        QVERIFY(!legend.isEmpty());
        QVERIFY(scene.rightAxisShown && !scene.rightTicks.values.empty());
        for (const AxisLabel &label : axisLabels(scene))
            QVERIFY2(!label.box.intersects(legend), qPrintable(label.text));
        QVERIFY(errors().isEmpty());
    }

    // The dB amplitudes set the left axis, the phases the right one; the all-zero output's dB
    // curve lies at the floor and sets no scale.
    void twoAxesEachFitTheirCurves() {
        click(main().SpectorBitBtn);
        click(main().SignalBitBtn);
        click(signal().Exp_Load_BitBtn);
        click(spector().CheckBox2);
        click(spector().DbCheckBox);
        click(spector().CalcSpectorsBitBtn);
        const SpectorResults &r = state().Spectra;
        const std::size_t n = static_cast<std::size_t>(r.SpectorPointCount);
        const auto db = amplitudeDecibels({r.SignalAmplitudeBuffer.data(), n});
        const auto [lowestDb, highestDb] = std::minmax_element(db.begin(), db.end());
        const auto [lowestPhase, highestPhase] =
            std::minmax_element(r.SignalPhaseBuffer.begin(), r.SignalPhaseBuffer.begin() + static_cast<long>(n));
        QCOMPARE(spector().Series[4]->point(0).y, DecibelFloor);
        const auto left = spector().Chart->visibleRange(TChart::LeftAxis);
        const auto right = spector().Chart->visibleRange(TChart::RightAxis);
        // Within the markers' room of the curves' own extremes.
        QVERIFY(left.first <= *lowestDb && left.first > *lowestDb - 0.1 * (*highestDb - *lowestDb));
        QVERIFY(left.second >= *highestDb && left.second < *highestDb + 0.1 * (*highestDb - *lowestDb));
        QVERIFY(right.first <= *lowestPhase && right.first > -3.5);
        QVERIFY(right.second >= *highestPhase && right.second < 3.5);
        // Without dB every curve shares the left axis again.
        click(spector().DbCheckBox);
        QVERIFY(!spector().Chart->rightAxisShown());
        QVERIFY(spector().Chart->visibleRange(TChart::LeftAxis).first <= *lowestPhase);
    }

    // Stored, off by default; on, each phase curve is the computed phase less π/2 in (-π, π],
    // unwrapped after when asked; the phase boxes' hint says which convention is computed.
    void phaseAgainstACosineIsThePhaseLessAQuarterTurn() {
        QVERIFY(!spector().CosinePhaseCheckBox->isChecked());
        for (QCheckBox *box : {spector().CheckBox2, spector().CheckBox4, spector().CheckBox9})
            QVERIFY(box->toolTip().contains("atan2(C, S)") && box->toolTip().contains("π/2"));
        click(main().SpectorBitBtn);
        click(main().SignalBitBtn);
        click(signal().Exp_Load_BitBtn);
        click(spector().CheckBox2);
        click(spector().CalcSpectorsBitBtn);
        const SpectorResults &r = state().Spectra;
        const std::span<const double> phase(r.SignalPhaseBuffer.data(), static_cast<std::size_t>(r.SpectorPointCount));
        click(spector().CosinePhaseCheckBox);
        for (int k = 0; k < spector().Series[1]->count(); ++k) {
            const double y = spector().Series[1]->point(k).y;
            const double turns =
                (phase[static_cast<std::size_t>(k)] - y - std::numbers::pi / 2) / (2 * std::numbers::pi);
            QVERIFY(std::abs(turns - std::round(turns)) < 1e-12 && y > -std::numbers::pi && y <= std::numbers::pi);
        }
        click(spector().UnwrapCheckBox);
        const auto unwrapped = unwrapPhase(cosinePhase(phase));
        QCOMPARE(spector().Series[1]->point(399).y, unwrapped[399]);
        click(spector().CosinePhaseCheckBox);
        QCOMPARE(spector().Series[1]->point(399).y, unwrapPhase(phase)[399]);
    }

    // A grid above half the sampling frequency is computed and noted; the next one within it
    // clears the note.
    void highFrequencyAboveHalfTheSamplingFrequencyIsNoted() {
        click(main().SpectorBitBtn);
        spector().FH_NmSuperSpin->setValue(0.55);
        click(spector().CalcSpectorsBitBtn);
        QVERIFY(
            spector().AliasNoteLabel->text().contains(QString("0") + NumberSeparators::current().decimal + "4 МГц"));
        QCOMPARE(spector().Series[0]->count(), 400);
        spector().FH_NmSuperSpin->setValue(0.4);
        click(spector().CalcSpectorsBitBtn);
        QVERIFY(spector().AliasNoteLabel->text().isEmpty());
        QVERIFY(errors().isEmpty());
    }

    // Stored options come back in a fresh program and draw nothing until a computation.
    void displayOptionsSurviveASaveAndLoad() {
        QTemporaryDir dir;
        const QString name = dir.filePath("views.flt");
        spector().DbCheckBox->setChecked(true);
        spector().DelayCheckBox->setChecked(true);
        platform().dialogAnswers = {name, name};
        click(main().SaveFileSpeedButton);
        m_app = std::make_unique<Application>();
        click(main().OpenFileSpeedButton);
        QVERIFY(spector().DbCheckBox->isChecked() && spector().DelayCheckBox->isChecked());
        QVERIFY(!spector().UnwrapCheckBox->isChecked());
        QCOMPARE(spector().Series[6]->count(), 0);
        state().SignalBuffer[8] = 1.0; // a pure delay of 8 samples, 10 µs
        click(spector().CalcSpectorsBitBtn);
        QCOMPARE(spector().Series[4]->point(0).y, DecibelFloor);
        QVERIFY(spector().Series[6]->Active());
        QVERIFY(std::abs(spector().Series[6]->point(399).y - 10.0) < 1e-8);
    }

    // "Экспорт HDL…" writes the six files into the chosen folder, made where missing, and both
    // it and "Расчет в фикс. точке" show the design's cost; the module's latency is the one shown.
    void hdlExportWritesTheFolderAndShowsTheCost() {
        QTemporaryDir dir;
        const QString folder = dir.filePath("made/here");
        click(signal().Exp_Load_BitBtn);
        click(filter().SynthesizeBitBtn);
        click(filter().FixedPointBitBtn);
        const QString shown = filter().HdlLabel->text();
        QVERIFY2(shown.contains("умножителей 91") && shown.contains("задержка 111 тактов"), qPrintable(shown));
        filter().HdlLabel->clear();
        platform().dialogAnswers = {folder};
        click(filter().ExportHdlBitBtn);
        QVERIFY(errors().isEmpty());
        QCOMPARE(filter().HdlLabel->text(), shown);
        for (const char *name : {"pulsefir_fir.v", "pulsefir_fir.vhd", "pulsefir_fir_tb.v", "pulsefir_fir_tb.vhd",
                                 "stimulus.hex", "expected.hex"})
            QVERIFY2(QFileInfo(folder + "/" + name).size() > 0, name);
        QFile module(folder + "/pulsefir_fir.v");
        QVERIFY(module.open(QIODevice::ReadOnly));
        QVERIFY(module.readAll().contains("parameter LATENCY = 111\n"));
        QCOMPARE(platform().dialogRequests.back().kind, FileDialogRequest::Kind::Folder);
    }

    // ---- Project file ----------------------------------------------------------------------

    // The project the windows save as they start, byte for byte: every section, key, order and
    // value encoding at once. A control added, moved or renamed changes this file.
    void defaultProjectIsTheGoldenFile() {
        QTemporaryDir dir;
        const QString name = dir.filePath("defaults.flt");
        platform().dialogAnswers = {name};
        click(main().SaveFileSpeedButton);
        QCOMPARE(main().windowTitle(), name);
        QFile saved(name);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QFile golden(QFINDTESTDATA("data/default_project.flt"));
        QVERIFY(golden.open(QIODevice::ReadOnly));
        const QByteArray expected = golden.readAll();
        const QByteArray actual = saved.readAll();
        if (actual != expected)
            qWarning().noquote() << "saved:\n" << QString::fromUtf8(actual);
        QVERIFY(actual == expected);
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
        filter().RegularizationNmSuperSpin->setValue(0.0025);
        spector().CheckBox9->setChecked(true);
        spector().PointsNmSpinEdit->setValue(777);
        spector().show();
        spector().move(120, 130); // as the user drags a shown window: its frame goes there
        platform().dialogAnswers = {name};
        click(main().SaveFileSpeedButton);

        // A fresh start of the program loads it.
        m_app = std::make_unique<Application>();
        main().show();
        platform().dialogAnswers = {name};
        click(main().OpenFileSpeedButton);
        QCOMPARE(main().windowTitle(), name);
        QCOMPARE(main().FNmSuperSpin->value(), 1.25);
        QCOMPARE(main().SWNmSpinEdit->value(), 1500);
        QVERIFY(main().CheckBox2->isChecked());
        QCOMPARE(main().LineWidthSpinEdit->value(), 4);
        QCOMPARE(signal().Exp_Shift_NmSuperSpin->value(), -123.456);
        QCOMPARE(signal().Exp_Am_NmSuperSpin->value(), 0.001);
        QCOMPARE(filter().WinTypeRadioGroup->itemIndex(), 4);
        QCOMPARE(filter().RandomNmSuperSpin->text(), QString("2E-5"));
        QCOMPARE(filter().PhazeShiftNmSpinEdit->value(), -90);
        QVERIFY(!filter().PointsCheckBox->isChecked());
        QCOMPARE(filter().RegularizationNmSuperSpin->value(), 0.0025);
        QVERIFY(spector().CheckBox9->isChecked());
        QCOMPARE(spector().PointsNmSpinEdit->value(), 777);
        QVERIFY(spector().isVisible());
        QVERIFY(!signal().isVisible());
        QCOMPARE(spector().outerGeometry().topLeft(), QPoint(120, 130));
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
        QCOMPARE(main().SWNmSpinEdit->value(), exists ? 1750 : 1000);
        QCOMPARE(spector().PointsNmSpinEdit->value(), exists ? 123 : 400);
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
        QCOMPARE(main().Series2->lineWidth(), 3);
        QVERIFY(!main().Series3->pointer().visible());
        QCOMPARE(main().Series1->count(), 2001);
        QCOMPARE(state().SignalHalfWidth, 1000);
        QCOMPARE(state().SignalBuffer[579], sample);
        QCOMPARE(filter().size(), filterSize);
        QCOMPARE(filter().outerGeometry().left(), 33);
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
        QCOMPARE(main().SWNmSpinEdit->value(), 1000);
        QCOMPARE(main().windowTitle(), QString("Тривелан"));
    }

    // ---- Measured pulses and filter export ----------------------------------------------------

    // The "Файл" tab at the window's designed size: before and after files are chosen, every
    // control lies within the scrolled content's width and none overlaps another; a new file
    // clears what was said about the last one, and an instrument file is read by its header.
    void fileTabKeepsEveryControlInViewAndForgetsTheLastFile() {
        QTemporaryDir dir;
        const QString scope = dir.filePath("scope.csv");
        writeFile(scope, "Sample Interval,1e-06\nHorizontal Units,s\nTime [s],CH1 [V],CH2 [V]\n"
                         "-2e-6,0.1,1\n-1e-6,0.2,2\n0,0.3,3\n1e-6,0.4,4\n");
        const QString bad = dir.filePath("bad.csv");
        writeFile(bad, "1,5\n2,5\n");
        click(main().SignalBitBtn);
        signal().PageControl1->setCurrentWidget(signal().TabSheet3);
        auto *scroll = signal().findChild<QScrollArea *>("FileScrollArea");
        QVERIFY(scroll);
        const auto checkLayout = [&](const char *when) {
            QApplication::processEvents();
            QWidget *content = scroll->widget();
            QVERIFY2(content->width() <= scroll->viewport()->width(), when);
            const QList<QWidget *> controls{
                signal().FileNameEdit,         signal().FileBrowseButton,       signal().FileInfoLabel,
                signal().FileOffsetNmSpinEdit, signal().FilePeakButton,         signal().FileStartButton,
                signal().FileScaleNmSuperSpin, signal().FileRateRadioGroup,     signal().FileLoadBitBtn,
                signal().FileAddBitBtn,        signal().FileTimeUnitRadioGroup, signal().FileDecimalRadioGroup,
                signal().FileColumnNmSpinEdit, signal().FileTimeZeroButton};
            for (QWidget *c : controls) {
                const QRect r(c->mapTo(content, QPoint(0, 0)), c->size());
                QVERIFY2(content->rect().contains(r), qPrintable(QString(when) + ": " + c->objectName()));
                QVERIFY2(c->width() >= c->minimumSizeHint().width(),
                         qPrintable(QString(when) + ": " + c->objectName()));
                for (QWidget *other : controls)
                    if (other != c)
                        QVERIFY2(!r.intersects(QRect(other->mapTo(content, QPoint(0, 0)), other->size())),
                                 qPrintable(QString(when) + ": " + c->objectName() + " over " + other->objectName()));
            }
        };
        checkLayout("before a file");
        signal().FileColumnNmSpinEdit->setValue(2);
        platform().dialogAnswers = {scope};
        click(signal().FileBrowseButton);
        QVERIFY2(errors().isEmpty(), qPrintable(errors().join('\n')));
        QVERIFY(signal().FileInfoLabel->text().contains("время в с"));
        QVERIFY(signal().FileInfoLabel->text().contains("первый отсчёт: −2 мкс"));
        checkLayout("after a file");
        click(signal().FileTimeZeroButton);
        QCOMPARE(signal().FileOffsetNmSpinEdit->value(), -2);
        click(signal().FileLoadBitBtn);
        QVERIFY2(errors().isEmpty(), qPrintable(errors().join('\n')));
        QCOMPARE(state().SignalBuffer[0], 3.0); // the second channel, t = 0 at index 0
        QCOMPARE(main().FNmSuperSpin->value(), 1.0);
        QVERIFY(!signal().FileNoteLabel->text().isEmpty());
        checkLayout("after loading");

        platform().dialogAnswers = {bad};
        click(signal().FileBrowseButton);
        QCOMPARE(signal().FileNoteLabel->text(), QString());
        QCOMPARE(signal().FileInfoLabel->text(), QString("Файл не прочитан"));
        QCOMPARE(errors().size(), 1);
        QVERIFY(errors().front().contains("Десятичный разделитель"));
        platform().messages.clear();
        signal().FileDecimalRadioGroup->setItemIndex(2);
        signal().FileColumnNmSpinEdit->setValue(1);
        click(signal().FileLoadBitBtn);
        QVERIFY2(errors().isEmpty(), qPrintable(errors().join('\n')));
        QCOMPARE(state().SignalBuffer[-2], 1.5);
    }

    void measuredPulseIsLoadedFilteredAndExported_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<double>("peak");     // the file's sample of largest magnitude
        QTest::addColumn<double>("fileRate"); // MHz; the field takes it
        // Peak at file sample 2 in every file.
        QTest::newRow("text with time column and decimal commas")
            << "pulse.csv" << QByteArray("время;сигнал\n0;0,1\n0,5;-0,25\n1;1,5\n1,5;0,5\n") << 1.5 << 2.0;
        QTest::newRow("wav 16-bit") << "pulse.wav" << pcm16Wav(1000000, {100, -8192, -16384, 4096}) << -0.5 << 1.0;
        QTest::newRow("numpy float64") << "pulse.npy" << npyFloat64({0.0, 0.25, 3.0, -1.0}) << 3.0 << 0.8;
    }

    void measuredPulseIsLoadedFilteredAndExported() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, bytes);
        QFETCH(double, peak);
        QFETCH(double, fileRate);
        QTemporaryDir dir;
        const QString name = dir.filePath(fileName);
        writeFile(name, bytes);
        state().SignalBuffer[5000] = 9.0; // replaced: every entry is cleared first

        click(main().SignalBitBtn);
        signal().PageControl1->setCurrentWidget(signal().TabSheet3);
        QCOMPARE(signal().PageControl1->tabText(2), QString("Файл"));
        platform().dialogAnswers = {name};
        click(signal().FileBrowseButton);
        QCOMPARE(signal().FileNameEdit->text(), name);
        QVERIFY(signal().FileInfoLabel->text().startsWith("Прочитано отсчётов: 4;"));
        click(signal().FilePeakButton);
        QCOMPARE(signal().FileOffsetNmSpinEdit->value(), -2);
        signal().FileScaleNmSuperSpin->setValue(2);
        click(signal().FileLoadBitBtn);
        QVERIFY2(errors().isEmpty(), qPrintable(errors().join('\n')));
        QCOMPARE(state().SignalBuffer[0], 2 * peak);
        QCOMPARE(state().SignalBuffer[5000], 0.0);
        QCOMPARE(main().FNmSuperSpin->value(), fileRate);
        QCOMPARE(main().Series1->point(1000).y, 2 * peak); // drawn at once
        QVERIFY(signal().FileNoteLabel->text().contains("Записаны индексы -2..1."));

        // An echo on top, then the filter and its export in every format.
        signal().FileOffsetNmSpinEdit->setValue(100);
        click(signal().FileAddBitBtn);
        QCOMPARE(state().SignalBuffer[102], 2 * peak);
        QCOMPARE(state().SignalBuffer[0], 2 * peak);
        click(main().FilterBitBtn);
        click(filter().SynthesizeBitBtn);
        click(main().CalcOutBitBtn);
        for (const char *ext : {".csv", ".txt", ".npy", ".h", ".coe", ".m"}) {
            const QString out = dir.filePath(QString("taps") + ext);
            platform().dialogAnswers = {out};
            click(filter().ExportFilterBitBtn);
            QFile written(out);
            QVERIFY2(written.open(QIODevice::ReadOnly), ext);
            QVERIFY2(written.size() > 201 * 2, ext);
            const bool fixedPoint = QString(ext) == ".h" || QString(ext) == ".coe";
            QCOMPARE(filter().QuantisationLabel->text().contains("ОСШ"), fixedPoint);
            if (QString(ext) == ".coe")
                QVERIFY(filter().QuantisationLabel->text().startsWith("16 бит: макс. ошибка "));
        }
        QVERIFY2(errors().isEmpty(), qPrintable(errors().join('\n')));

        // Each export comes back through "Загрузить фильтр из файла…": the taps (to the 16-bit
        // words of .coe), the half-width and the chart.
        std::vector<double> exported;
        for (int j = -100; j <= 100; ++j)
            exported.push_back(state().FilterBuffer[j]);
        for (const char *ext : {".csv", ".txt", ".npy", ".h", ".coe", ".m"}) {
            state().FilterBuffer.fill(0.0);
            state().FilterHalfWidth = 3;
            platform().dialogAnswers = {dir.filePath(QString("taps") + ext)};
            click(filter().LoadFilterBitBtn);
            QVERIFY2(errors().isEmpty(), qPrintable(errors().join('\n')));
            QCOMPARE(state().FilterHalfWidth, 100);
            const bool coe = QString(ext) == ".coe";
            for (int j = -100; j <= 100; ++j) {
                const double want = exported[static_cast<std::size_t>(j + 100)];
                if (coe)
                    QVERIFY2(std::abs(state().FilterBuffer[j] - want) < 1e-3, ext);
                else
                    QVERIFY2(state().FilterBuffer[j] == want, ext);
            }
            QCOMPARE(filter().Series1->count(), 201);
            QVERIFY(filter().QuantisationLabel->text().contains("FilterHalfWidth = 100"));
        }
    }

    void pulseAtAnotherRateIsResampledWhenAsked() {
        QTemporaryDir dir;
        const QString name = dir.filePath("fast.npy");
        std::vector<double> sine(1000);
        for (std::size_t k = 0; k < sine.size(); ++k)
            sine[k] = std::sin(6.283185307179586 * 0.04 * static_cast<double>(k) / 1.6); // 1.6 MHz sampling
        writeFile(name, npyFloat64(sine));
        // The .npy states no rate: samples go in as they are, whatever the choice.
        signal().FileNameEdit->setText(name);
        signal().FileRateRadioGroup->setItemIndex(1);
        click(signal().FileLoadBitBtn);
        QCOMPARE(state().SignalBuffer[999], sine[999]);
        // A time column at 1.6 MHz is converted to the field's 0.8 MHz: half the samples.
        QByteArray text;
        for (std::size_t k = 0; k < sine.size(); ++k)
            text += QByteArray::number(static_cast<double>(k) / 1.6, 'g', 17) + "\t" +
                    QByteArray::number(sine[k], 'g', 17) + "\n";
        const QString textName = dir.filePath("fast.txt");
        writeFile(textName, text);
        signal().FileNameEdit->setText(textName);
        click(signal().FileLoadBitBtn);
        QVERIFY2(errors().isEmpty(), qPrintable(errors().join('\n')));
        QCOMPARE(main().FNmSuperSpin->value(), 0.8);
        QVERIFY(signal().FileNoteLabel->text().contains("Записаны индексы 0..499."));
        QCOMPARE(state().SignalBuffer[500], 0.0);
        QVERIFY(std::abs(state().SignalBuffer[250] - std::sin(6.283185307179586 * 0.04 * 250 / 0.8)) < 1e-3);
    }

    // A pulse whose largest sample lands outside the drawn half-width: the note gives its index,
    // and the user places it at 0, widens the half-width or leaves it.
    void pulseOutsideTheHalfWidthIsOffered_data() {
        QTest::addColumn<int>("peakAt");    // index of the largest sample in the file, first at 0
        QTest::addColumn<int>("pick");      // the answer to the question; -1 none asked
        QTest::addColumn<int>("landsAt");   // where the largest sample is in the buffer afterwards
        QTest::addColumn<int>("halfWidth"); // SWNmSpinEdit afterwards
        QTest::addColumn<bool>("widenOffered");
        QTest::newRow("inside: no question") << 300 << -1 << 300 << 1000 << false;
        QTest::newRow("at the edge: no question") << 1000 << -1 << 1000 << 1000 << false;
        QTest::newRow("outside, placed at 0") << 4000 << 0 << 0 << 1000 << true;
        QTest::newRow("outside, half-width widened") << 4000 << 1 << 4000 << 4100 << true;
        QTest::newRow("outside, left as it is") << 4000 << 2 << 4000 << 1000 << true;
        QTest::newRow("outside the buffer: only placing offered") << 12000 << 1 << 12000 << 1000 << false;
    }
    void pulseOutsideTheHalfWidthIsOffered() {
        QFETCH(int, peakAt);
        QFETCH(int, pick);
        QFETCH(int, landsAt);
        QFETCH(int, halfWidth);
        QFETCH(bool, widenOffered);
        QTemporaryDir dir;
        const QString name = dir.filePath("late.txt");
        QByteArray text;
        for (int k = 0; k <= peakAt + 50; ++k)
            text += k == peakAt ? "-1\n" : k == peakAt - 1 ? "0.5\n" : "0.001\n";
        writeFile(name, text);
        main().SWNmSpinEdit->setValue(1000);
        signal().FileNameEdit->setText(name);
        if (pick >= 0)
            platform().pickAnswers = {pick};
        click(signal().FileLoadBitBtn);
        QVERIFY2(errors().isEmpty(), qPrintable(errors().join('\n')));
        QStringList picks;
        for (const auto &m : platform().messages)
            if (m.kind == "pick")
                picks << m.text;
        QCOMPARE(picks.size(), peakAt > 1000 ? 1 : 0);
        if (!picks.isEmpty()) {
            QVERIFY(picks[0].contains("лёг на индекс " + widgets::integerText(peakAt)));
            QCOMPARE(picks[0].contains("Расширить полуширину до"), widenOffered);
        }
        if (landsAt <= core::MaxSignalHalfWidth)
            QCOMPARE(state().SignalBuffer[landsAt], -1.0);
        QCOMPARE(main().SWNmSpinEdit->value(), halfWidth);
        QCOMPARE(state().SignalHalfWidth, halfWidth);
        // The note tells where the largest sample is, and whether it is outside.
        const QString note = signal().FileNoteLabel->text();
        QVERIFY2(note.contains("Наибольший отсчёт импульса: индекс " + widgets::integerText(landsAt)),
                 qPrintable(note));
        QCOMPARE(note.contains("вне полуширины массива сигнала −1000..+1000."), std::abs(landsAt) > 1000);
    }

    void unreadablePulseIsReportedAndChangesNothing() {
        QTemporaryDir dir;
        const QString name = dir.filePath("bad.csv");
        writeFile(name, "0.5\n0.25\n0,1.5\n");
        click(signal().Exp_Load_BitBtn);
        const double before = state().SignalBuffer[100];
        signal().FileNameEdit->setText(name);
        click(signal().FileLoadBitBtn);
        QCOMPARE(errors(), QStringList{name + ": строка 3: 2 столбца вместо 1"});
        QCOMPARE(state().SignalBuffer[100], before);
        QVERIFY(signal().FileLoadBitBtn->isEnabled());
        signal().FileNameEdit->clear();
        click(signal().FileAddBitBtn);
        QCOMPARE(errors().last(), QString("Не указан файл сигнала"));
    }

    // The set's tab: the signal first, files added and held out, a design with the automatic
    // choice fills the field, the curve and the table; the list survives a project.
    void pulseSetTabDesignsOverTheSetAndKeepsItsList() {
        QTemporaryDir dir;
        click(main().SignalBitBtn);
        click(signal().Exp_Load_BitBtn);
        // Two pulses of the signal window's own making, one sample a line.
        const auto writePulse = [&](const char *file, double frequency) {
            signal().Exp_F_NmSuperSpin->setValue(frequency);
            click(signal().Exp_Load_BitBtn);
            std::string text;
            for (int i = -1000; i <= 1000; ++i)
                text += base::formatSignificant(state().SignalBuffer[i], 17) + "\n";
            base::writeFileWhole(QFile::encodeName(dir.filePath(file)).toStdString(), text);
            return dir.filePath(file);
        };
        const QString first = writePulse("first.txt", 0.038);
        const QString second = writePulse("second.txt", 0.043);
        signal().Exp_F_NmSuperSpin->setValue(0.04);
        click(signal().Exp_Load_BitBtn);
        signal().FileOffsetNmSpinEdit->setValue(-1000);

        PulseSetTab &tab = *filter().TabSheet4;
        QCOMPARE(tab.PulseListTable->rowCount(), 1);
        QCOMPARE(tab.PulseListTable->item(0, 0)->text(), QString("Текущий сигнал"));
        // Three files chosen at once, the middle one no pulse: the other two are added in order and
        // the bad one is reported by its name.
        const QString bad = dir.filePath("bad.txt");
        {
            QFile file(bad);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("x\x01y\n");
        }
        platform().filesAnswers = {QStringList{first, bad, second}};
        click(tab.AddPulseBitBtn);
        QCOMPARE(platform().dialogRequests.back().kind, widgets::FileDialogRequest::Kind::OpenSeveral);
        QCOMPARE(errors().size(), 1);
        QVERIFY2(errors().last().startsWith(bad + ": "), qPrintable(errors().last()));
        QVERIFY2(errors().last().contains("\\x01"), qPrintable(errors().last()));
        QCOMPARE(tab.PulseListTable->rowCount(), 3);
        tab.PulseListTable->item(2, 1)->setCheckState(Qt::Checked);
        QCOMPARE(tab.list(), (project::PulseSetList{{first.toStdString(), false}, {second.toStdString(), true}}));

        filter().RegularizationAutoCheckBox->setChecked(true);
        click(filter().LeastSquaresBitBtn);
        QCOMPARE(errors().size(), 1);
        QVERIFY(filter().RegularizationNmSuperSpin->value() != 1e-6);
        QCOMPARE(tab.CurveSeries->count(), 241);
        QCOMPARE(tab.ChosenSeries->count(), 1);
        QCOMPARE(tab.PulseFitTable->rowCount(), 3);
        QCOMPARE(tab.PulseFitTable->item(2, 1)->text(), QString("проверка"));
        QCOMPARE(tab.PulseFitTable->item(1, 0)->text(), QString("first.txt"));
        // The worst row is the one of the largest residual, and it is marked.
        const auto residual = [&](int row) {
            return *base::parseCommandLineNumber(tab.PulseFitTable->item(row, 2)->text().toStdString());
        };
        QVERIFY(tab.worstRow() >= 0);
        for (int row = 0; row < 3; ++row)
            QVERIFY(residual(row) <= residual(tab.worstRow()));
        QVERIFY(tab.PulseFitTable->item(tab.worstRow(), 0)->font().bold());
        QCOMPARE(verifyTables().value("PulseFitTable"), 3 * 5);
        for (int row = 0; row < 3; ++row)
            QCOMPARE(tab.PulseFitTable->item(row, 0)->font().bold(), row == tab.worstRow());

        // The chosen mu typed back with "авто" off gives the same filter.
        const std::vector<double> automatic(state().FilterBuffer.range(100).begin(),
                                            state().FilterBuffer.range(100).end());
        filter().RegularizationAutoCheckBox->setChecked(false);
        click(filter().LeastSquaresBitBtn);
        QVERIFY(std::equal(automatic.begin(), automatic.end(), state().FilterBuffer.range(100).begin()));
        QCOMPARE(tab.CurveSeries->count(), 0);

        const QString name = dir.filePath("set.flt");
        platform().dialogAnswers = {name};
        click(main().SaveFileSpeedButton);
        m_app = std::make_unique<Application>();
        main().show();
        QCOMPARE(filter().TabSheet4->PulseListTable->rowCount(), 1);
        platform().dialogAnswers = {name};
        click(main().OpenFileSpeedButton);
        QCOMPARE(filter().TabSheet4->list(),
                 (project::PulseSetList{{first.toStdString(), false}, {second.toStdString(), true}}));
        QVERIFY(!filter().RegularizationAutoCheckBox->isChecked());
        filter().TabSheet4->PulseListTable->setCurrentCell(1, 0);
        click(filter().TabSheet4->RemovePulseBitBtn);
        filter().TabSheet4->PulseListTable->setCurrentCell(0, 0);
        click(filter().TabSheet4->RemovePulseBitBtn); // the signal's row stays
        QCOMPARE(filter().TabSheet4->list(), (project::PulseSetList{{second.toStdString(), true}}));
    }

    // "Тракт" replaces the signal by the core's propagation of it, draws alpha over the spectra
    // grid; "Добавить тракт…" adds the grid's members by name, the worst-pulse criterion designs
    // over them, and a project keeps them as their conditions.
    void pathTabAndPathSetDesignForTheWorstPulse() {
        QTemporaryDir dir;
        QCOMPARE(signal().PageControl1->tabText(signal().PageControl1->count() - 1), QString("Тракт"));
        click(signal().Exp_Load_BitBtn);
        auto expected = std::make_unique<core::CoreState>();
        expected->SignalHalfWidth = state().SignalHalfWidth;
        expected->SignalBuffer = state().SignalBuffer;
        signal().PathTargetDistanceNmSuperSpin->setValue(0.4);
        signal().PathTargetHumidityNmSuperSpin->setValue(80);
        signal().PathDelayCheckBox->setChecked(true);
        click(signal().PathRecomputeBitBtn);
        QCOMPARE(errors().size(), 0);
        core::propagateSignal(*expected, main().samplingFrequency(), project::signalPath(signal().pathSettings()));
        const auto got = state().SignalBuffer.range(core::MaxSignalHalfWidth);
        QVERIFY(std::equal(got.begin(), got.end(), expected->SignalBuffer.range(core::MaxSignalHalfWidth).begin()));
        QCOMPARE(signal().AbsorptionSeries->count(), spector().PointsNmSpinEdit->value());
        // A distance that is not positive is refused, the signal left as it was.
        signal().PathTargetDistanceNmSuperSpin->setValue(0);
        click(signal().PathRecomputeBitBtn);
        QCOMPARE(errors().size(), 1);
        QVERIFY(std::equal(got.begin(), got.end(), expected->SignalBuffer.range(core::MaxSignalHalfWidth).begin()));
        signal().PathTargetDistanceNmSuperSpin->setValue(0.4);

        click(signal().Exp_Load_BitBtn);
        PulseSetTab &tab = *filter().TabSheet4;
        filter().PathSetDistanceCountNmSpinEdit->setValue(2);
        filter().PathSetTemperatureCountNmSpinEdit->setValue(2);
        click(tab.AddPathBitBtn);
        QCOMPARE(tab.PulseListTable->rowCount(), 5);
        QCOMPARE(errors().size(), 1);
        const QChar decimal = NumberSeparators::current().decimal;
        QCOMPARE(tab.PulseListTable->item(1, 0)->text(), QString("0") + decimal + "05 м; 10 °C; 50 %");
        QCOMPARE(tab.PulseListTable->item(4, 0)->text(), QString("1") + decimal + "00 м; 30 °C; 50 %");
        tab.PulseListTable->item(4, 1)->setCheckState(Qt::Checked);
        const project::PulseSetList list = tab.list();
        QCOMPARE(list[0].fileName, std::string("0.05 м; 10 °C; 50 %"));
        QVERIFY(list[3].check && list[3].path && list[3].path->distance == 1.0);

        filter().SetCriterionRadioGroup->setItemIndex(1);
        click(filter().LeastSquaresBitBtn);
        QCOMPARE(errors().size(), 1);
        QCOMPARE(tab.PulseFitTable->rowCount(), 5);
        QCOMPARE(tab.PulseFitTable->item(2, 0)->text(), tab.PulseListTable->item(2, 0)->text());
        QCOMPARE(tab.PulseFitTable->item(4, 1)->text(), QString("проверка"));
        QVERIFY(tab.worstRow() >= 0);
        QVERIFY(tab.PulseFitTable->item(tab.worstRow(), 0)->font().bold());
        const std::vector<double> taps(state().FilterBuffer.range(100).begin(), state().FilterBuffer.range(100).end());

        const QString name = dir.filePath("path.flt");
        platform().dialogAnswers = {name};
        click(main().SaveFileSpeedButton);
        m_app = std::make_unique<Application>();
        main().show();
        platform().dialogAnswers = {name};
        click(main().OpenFileSpeedButton);
        QCOMPARE(filter().TabSheet4->list(), list);
        QCOMPARE(filter().SetCriterionRadioGroup->itemIndex(), 1);
        QCOMPARE(filter().TabSheet4->PulseListTable->item(1, 0)->text(), QString("0") + decimal + "05 м; 10 °C; 50 %");
        click(filter().LeastSquaresBitBtn); // the members computed again from the loaded signal
        QVERIFY(std::equal(taps.begin(), taps.end(), state().FilterBuffer.range(100).begin()));
    }

    void fileTabAndExportFieldsSurviveAProject() {
        QTemporaryDir dir;
        const QString name = dir.filePath("file.flt");
        signal().FileNameEdit->setText("/data/импульс 1.wav");
        signal().FileOffsetNmSpinEdit->setValue(-750);
        signal().FileScaleNmSuperSpin->setValue(-2.5);
        signal().FileRateRadioGroup->setItemIndex(1);
        filter().CoeBitsNmSpinEdit->setValue(24);
        platform().dialogAnswers = {name};
        click(main().SaveFileSpeedButton);
        m_app = std::make_unique<Application>();
        main().show();
        QCOMPARE(signal().FileOffsetNmSpinEdit->value(), 0);
        platform().dialogAnswers = {name};
        click(main().OpenFileSpeedButton);
        QCOMPARE(signal().FileNameEdit->text(), QString("/data/импульс 1.wav"));
        QCOMPARE(signal().FileOffsetNmSpinEdit->value(), -750);
        QCOMPARE(signal().FileScaleNmSuperSpin->value(), -2.5);
        QCOMPARE(signal().FileRateRadioGroup->itemIndex(), 1);
        QCOMPARE(filter().CoeBitsNmSpinEdit->value(), 24);
        QVERIFY(errors().isEmpty());
    }

    void noiseIsAddedAndDrawn() {
        click(main().SignalBitBtn);
        click(signal().AddNoiseBitBtn);
        QCOMPARE(state().SignalBuffer[-1000], -0.04);
        QCOMPARE(main().Series1->point(0).y, -0.04);
    }

    // ---- Least-squares filter, convergence, pulse metrics ---------------------------------

    void leastSquaresButtonReplacesTheFilterAndASearchContinuesFromIt() {
        auto reference = std::make_unique<CoreState>();
        reference->SignalHalfWidth = 1000;
        loadSignal(*reference, ToneBurstParameters{}, 0.8);
        reference->FilterBuffer[500] = 3.0; // cleared by the design
        const LeastSquaresOutcome expected = leastSquaresFilter(*reference, ResponseParameters{}, 0.8, 40, 1e-6);

        QCOMPARE(filter().RegularizationNmSuperSpin->value(), 1e-6);
        click(main().SignalBitBtn);
        click(signal().Exp_Load_BitBtn);
        state().FilterBuffer[500] = 3.0;
        filter().WINNmSpinEdit->setValue(40);
        filter().PageControl1->setCurrentWidget(filter().TabSheet1);
        filter().show();
        click(filter().LeastSquaresBitBtn);
        QVERIFY(errors().isEmpty());
        QCOMPARE(state().FilterHalfWidth, 40);
        for (int j = -1000; j <= 1000; ++j)
            QCOMPARE(state().FilterBuffer[j], reference->FilterBuffer[j]);
        QCOMPARE(filter().Series1->count(), 81);
        QCOMPARE(filter().Series1->point(40).y, reference->FilterBuffer[0]);
        // Reported apart from the search's objective.
        QCOMPARE(filter().LeastSquaresLabel->text(),
                 "МНК: целевая функция " +
                     QString::fromStdString(base::formatObjective(expected.SearchObjective, ',')));
        QCOMPARE(filter().AimLabel->text(), QString("Целевая функция"));
        QVERIFY(filter().LeastSquaresBitBtn->isEnabled());

        // With no increments the search keeps the filter and finds the same objective.
        filter().RandomNmSuperSpin->setValue(0);
        filter().EpochNmSpinEdit->setValue(2);
        click(filter().Serch1_BitBtn);
        QCOMPARE(filter().AimLabel->text(),
                 "Целевая функция " + QString::fromStdString(base::formatObjective(expected.SearchObjective, ',')));
        QCOMPARE(state().FilterBuffer[7], reference->FilterBuffer[7]);
    }

    void leastSquaresOfAZeroSignalIsReportedAndKeepsTheFilter() {
        click(main().FilterBitBtn);
        click(filter().StartBitBtn);
        filter().RadioGroup1->setItemIndex(1);
        click(filter().StartBitBtn);
        click(filter().LeastSquaresBitBtn);
        QCOMPARE(errors(), QStringList{"Сигнал равен нулю: МНК-фильтр не определён."});
        QCOMPARE(state().FilterHalfWidth, 10);
        QCOMPARE(state().FilterBuffer[0], 1.0);
        QVERIFY(filter().LeastSquaresBitBtn->isEnabled());
    }

    void convergenceTabShowsTheLogarithmOfEveryAcceptedObjective() {
        QCOMPARE(filter().PageControl1->count(), 5);
        QCOMPARE(filter().PageControl1->tabText(4), QString("Аппаратная реализация"));
        QCOMPARE(filter().PageControl1->tabText(0), QString("Поиск"));
        QCOMPARE(filter().PageControl1->tabText(1), QString("Загрузка"));
        QCOMPARE(filter().PageControl1->tabText(2), QString("Сходимость"));
        QCOMPARE(filter().PageControl1->tabText(3), QString("Набор импульсов"));
        click(main().SignalBitBtn);
        click(signal().Exp_Load_BitBtn);
        filter().RandomNmSuperSpin->setValue(0.01);
        filter().EpochNmSpinEdit->setValue(40);
        click(filter().Serch1_BitBtn);
        const auto &trace = state().SearchTrace;
        QVERIFY(trace.size() > 2);
        // Every accepted step, then the curve on to the last epoch run (41: one past the limit).
        QVERIFY(trace.back().Epoch < 41);
        QCOMPARE(filter().ConvergenceSeries->count(), static_cast<int>(trace.size()) + 1);
        const ChartPoint &last = filter().ConvergenceSeries->point(static_cast<int>(trace.size()));
        QCOMPARE(last.x, 41.0);
        QCOMPARE(last.y, static_cast<double>(std::log10(trace.back().BestObjective)));
        QCOMPARE(filter().ConvergenceChart->xCaption(), QString("эпоха"));
        QCOMPARE(filter().ConvergenceChart->yCaption(), QString("lg(целевая функция)"));
        for (std::size_t k = 0; k < trace.size(); ++k) {
            QCOMPARE(filter().ConvergenceSeries->point(static_cast<int>(k)).x, double(trace[k].Epoch));
            QCOMPARE(filter().ConvergenceSeries->point(static_cast<int>(k)).y,
                     static_cast<double>(std::log10(trace[k].BestObjective)));
        }
        // A second run replaces the curve.
        filter().EpochNmSpinEdit->setValue(1);
        filter().RandomNmSuperSpin->setValue(0);
        click(filter().Serch1_BitBtn);
        QCOMPARE(filter().ConvergenceSeries->count(), static_cast<int>(trace.size()) + 1);
        QCOMPARE(filter().ConvergenceSeries->point(0).x, double(trace[0].Epoch));
        QCOMPARE(filter().ConvergenceSeries->point(filter().ConvergenceSeries->count() - 1).x, 2.0);
    }

    // "Аппаратная реализация": the integer output as the core computes it, drawn as the fourth
    // curve with its metrics row; the width search sets the field or says that none qualifies;
    // the full scale follows the signal; the latency holds the later taps at zero.
    void hardwareTabRunsTheIntegerFilterAndFindsTheWidth() {
        click(main().SignalBitBtn);
        click(signal().Exp_Load_BitBtn);
        click(main().FilterBitBtn);
        click(filter().SynthesizeBitBtn);
        filter().PageControl1->setCurrentWidget(filter().TabSheet5);
        filter().AdcBitsNmSpinEdit->setValue(14);
        filter().RoundingRadioGroup->setItemIndex(2);
        QVERIFY(!filter().OutShiftNmSpinEdit->isEnabled());
        click(filter().FixedPointBitBtn);

        auto reference = std::make_unique<CoreState>();
        reference->SignalHalfWidth = 1000;
        loadSignal(*reference, ToneBurstParameters{}, 0.8);
        synthesizeFilter(*reference, FilterSynthesisParameters{}, 0.8);
        FixedPointFormat format;
        format.inputBits = 14;
        format.rounding = Rounding::HalfEven;
        const FixedPointOutcome expected = calcFixedOut(*reference, format);
        for (int i : {-1000, -3, 0, 250, 1000})
            QCOMPARE(state().FixedOutputBuffer[i], reference->FixedOutputBuffer[i]);
        QCOMPARE(filter().OutShiftNmSpinEdit->value(), expected.Run.shift);
        QVERIFY2(filter().FixedPointLabel->text().contains(QString("S = %1;").arg(expected.Run.shift)),
                 qPrintable(filter().FixedPointLabel->text()));
        QVERIFY(main().CheckBox4->isChecked() && main().Series4->Active());
        QCOMPARE(main().Series4->point(1250).y, reference->FixedOutputBuffer[250]);
        QVERIFY(main().MetricsTable->item(4, 0)->text() != QString("—"));

        click(filter().FitBitsBitBtn);
        const WordLengthSearch search = searchTapBits(*reference, format, 0.8);
        QVERIFY(search.Chosen >= 0);
        QCOMPARE(filter().CoeBitsNmSpinEdit->value(), search.Points[search.Chosen].TapBits);
        QCOMPARE(filter().BitsTable->rowCount(), 29);
        QCOMPARE(filter().SnrSeries->count(), 29);
        filter().CoeBitsNmSpinEdit->setValue(20);
        filter().AdcBitsNmSpinEdit->setValue(6);
        click(filter().FitBitsBitBtn);
        QCOMPARE(filter().CoeBitsNmSpinEdit->value(), 20);
        QVERIFY(filter().FixedPointLabel->text().startsWith("Ни одна разрядность"));

        state().SignalBuffer[1100] = -3.5; // read by the taps beyond the half-width
        click(filter().AdcFullScaleBitBtn);
        QCOMPARE(filter().AdcFullScaleNmSuperSpin->value(), 3.5);

        filter().LatencyNmSpinEdit->setValue(0);
        filter().PageControl1->setCurrentWidget(filter().TabSheet1);
        click(filter().LeastSquaresBitBtn);
        QVERIFY(state().FilterBuffer[0] != 0.0);
        for (int j = 1; j <= 100; ++j)
            QCOMPARE(state().FilterBuffer[j], 0.0);
        QCOMPARE(filter().LatencyLabel->text(), QString("Задержка МНК-фильтра: 0 отсч. (0 мкс)"));
        QVERIFY(errors().isEmpty());
        click(main().DrawBitBtn);
        const QMap<QString, int> numbers = verifyTables();
        QCOMPARE(numbers.value("MetricsTable"), main().MetricsTable->rowCount() * main().MetricsTable->columnCount());
        QCOMPARE(numbers.value("BitsTable"), 29 * 4);
    }

    void metricsTableShowsDashesThenTheBurst() {
        QTableWidget *table = main().MetricsTable;
        QCOMPARE(table->rowCount(), 5);
        QCOMPARE(table->verticalHeaderItem(1)->text(), QString("После фильтрации"));
        QCOMPARE(table->verticalHeaderItem(3)->text(), QString("Фильтр"));
        QCOMPARE(table->verticalHeaderItem(4)->text(), QString("После фильтрации (фикс.)"));
        for (int row = 0; row < 5; ++row)
            for (int column = 0; column < table->columnCount(); ++column)
                QCOMPARE(table->item(row, column)->text(), QString("—"));
        click(main().SignalBitBtn);
        click(signal().Exp_Load_BitBtn);
        // The default burst's envelope peaks at sample 572: 572 / 0.8 MHz = 715 µs; its carrier
        // is 0.04 MHz.
        QCOMPARE(table->item(0, 1)->text(), QString("715"));
        QCOMPARE(table->item(0, 7)->text(), QString("0,04"));
        QVERIFY(table->item(0, 0)->text().startsWith("1,38"));
        QCOMPARE(table->item(1, 0)->text(), QString("—"));
        // The desired response, built by the design, and the filtered signal show after the redraw.
        click(main().FilterBitBtn);
        click(filter().LeastSquaresBitBtn);
        click(main().CalcOutBitBtn);
        QCOMPARE(table->item(2, 0)->text(), QString("1,4"));
        QCOMPARE(table->item(2, 1)->text(), QString("0"));
        QVERIFY(table->item(1, 0)->text() != QString("—"));
        // The filtered signal's -6 dB width is close to that of the desired response (13.5 µs).
        const double width = table->item(1, 2)->text().replace(',', '.').toDouble();
        QVERIFY2(width > 10 && width < 20, qPrintable(table->item(1, 2)->text()));
    }

    // The window-method design's filtered signal rings past the window's end: its -20 dB
    // ring-down shows "> value", the burst's does not; the filter's row has its noise gain,
    // 10 lg of the sum of its squared taps.
    void metricsTableMarksValuesCutByTheWindow() {
        QTableWidget *table = main().MetricsTable;
        click(main().SignalBitBtn);
        click(signal().Exp_Load_BitBtn);
        click(main().FilterBitBtn);
        click(filter().SynthesizeBitBtn);
        click(main().CalcOutBitBtn);
        const int ringDown20 = 3, noiseGain = 12;
        QVERIFY(!table->item(0, ringDown20)->text().startsWith("> "));
        QVERIFY(table->item(1, ringDown20)->text().startsWith("> "));
        double power = 0.0;
        for (int j = -state().FilterHalfWidth; j <= state().FilterHalfWidth; ++j)
            power += state().FilterBuffer[j] * state().FilterBuffer[j];
        const double shown = table->item(3, noiseGain)->text().replace(',', '.').toDouble();
        QVERIFY2(std::abs(shown - 10 * std::log10(power)) < 0.01, qPrintable(table->item(3, noiseGain)->text()));
        QCOMPARE(table->item(0, noiseGain)->text(), QString("—"));
    }
};

QObject *makeWindowsTest() {
    return new WindowsTest;
}

#include "test_windows.moc"
