// Every result on screen is current or marked "(устарело)": after each action, exactly the
// results computed from what the action changed are marked.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>

#include "scripted_platform.h"
#include "ui/application.h"

using namespace pulsefir;
using namespace pulsefir::ui;

namespace {

const QString Mark = QStringLiteral(" (устарело)");

// The results checked, in the order of the table's flags.
enum Result {
    SignalRow,
    OutputRow,
    ResponseRow,
    FilterRow,
    FixedRow,
    SetTable,
    LeastSquaresReport,
    SearchReport,
    FixedPointReport,
    HdlReport,
    BitsTable,
    Results
};
// The integer results: everything computed from the filter and the words.
const QList<int> Hardware = {FixedRow, FixedPointReport, HdlReport, BitsTable};

void writeFile(const QString &name, const QByteArray &bytes) {
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Ticks the group's next item: a changed rounding, whatever the default.
void tickNextRounding(widgets::TRadioGroup *group) {
    group->setItemIndex((group->itemIndex() + 1) % 3);
}

using Action = std::function<void(Application &, const QTemporaryDir &, ScriptedPlatform &)>;
using Marked = QList<int>;

} // namespace

Q_DECLARE_METATYPE(Action)

class StaleMarksTest : public QObject {
    Q_OBJECT

    std::unique_ptr<PlatformScope> m_scope;
    std::unique_ptr<Application> m_app;
    QTemporaryDir m_dir;

    // Whether each result shows the mark, read from what the user sees.
    QList<int> marked() {
        TMainForm &main = m_app->mainForm();
        TFilterForm &filter = m_app->filterForm();
        QList<int> result;
        for (int row = 0; row <= FixedRow; ++row)
            if (main.MetricsTable->verticalHeaderItem(row)->text().endsWith(Mark))
                result << row;
        if (filter.TabSheet4->PulseFitLabel->text().endsWith(Mark))
            result << SetTable;
        if (filter.LeastSquaresLabel->text().endsWith(Mark))
            result << LeastSquaresReport;
        if (filter.AimLabel->text().endsWith(Mark))
            result << SearchReport;
        if (filter.FixedPointLabel->text().endsWith(Mark))
            result << FixedPointReport;
        if (filter.HdlLabel->text().endsWith(Mark))
            result << HdlReport;
        if (filter.BitsLabel->text().endsWith(Mark))
            result << BitsTable;
        return result;
    }

  private slots:
    void init() {
        m_scope = std::make_unique<PlatformScope>();
        m_app = std::make_unique<Application>();
        // A signal, the least-squares filter over it (the set's table and report), applied
        // and drawn: every result current.
        m_app->signalForm().Exp_Load_BitBtnClick();
        m_app->filterForm().LeastSquaresBitBtnClick();
        m_app->mainForm().CalcOutBitBtnClick();
        // The integer filter of that filter: its width searched, then run.
        m_app->filterForm().FitBitsBitBtnClick();
        m_app->filterForm().FixedPointBitBtnClick();
    }
    void cleanup() {
        m_app.reset();
        m_scope.reset();
    }

    void actionMarksWhatItChanged_data() {
        QTest::addColumn<Action>("action");
        QTest::addColumn<Marked>("expected");
        const Marked designs = Marked{OutputRow, FilterRow, SetTable, LeastSquaresReport} + Hardware;
        const Marked signal = {OutputRow, FixedRow, SetTable, LeastSquaresReport, FixedPointReport, BitsTable};
        QTest::newRow("nothing done: nothing marked")
            << Action([](Application &, const QTemporaryDir &, ScriptedPlatform &) {}) << Marked{};
        QTest::newRow("synthesis: the filter and what used it")
            << Action([](Application &app, const QTemporaryDir &, ScriptedPlatform &) {
                   app.filterForm().SynthesizeBitBtnClick();
               })
            << designs;
        QTest::newRow("search: its report current, the least-squares ones not")
            << Action([](Application &app, const QTemporaryDir &, ScriptedPlatform &) {
                   app.filterForm().EpochNmSpinEdit->setValue(30);
                   app.filterForm().StartBitBtnClick();
                   app.filterForm().Serch1_BitBtnClick();
               })
            << designs;
        QTest::newRow("least squares again: the set's table and report current")
            << Action([](Application &app, const QTemporaryDir &, ScriptedPlatform &) {
                   app.filterForm().RegularizationNmSuperSpin->setValue(1e-2);
                   app.filterForm().LeastSquaresBitBtnClick();
               })
            << Marked{OutputRow, FilterRow} + Hardware;
        QTest::newRow("filter load") << Action([](Application &app, const QTemporaryDir &dir,
                                                  ScriptedPlatform &platform) {
            writeFile(dir.filePath("taps.txt"), "0.25\n0.5\n0.25\n");
            platform.dialogAnswers = {dir.filePath("taps.txt")};
            app.filterForm().LoadFilterBitBtnClick();
        }) << designs;
        QTest::newRow("signal synthesis, drawn: its own row current")
            << Action([](Application &app, const QTemporaryDir &, ScriptedPlatform &) {
                   app.signalForm().Exp_Am_NmSuperSpin->setValue(2.0);
                   app.signalForm().Exp_Load_BitBtnClick();
               })
            << signal;
        QTest::newRow("import, drawn: its own row current")
            << Action([](Application &app, const QTemporaryDir &dir, ScriptedPlatform &) {
                   writeFile(dir.filePath("pulse.txt"), "0.1\n0.7\n-0.4\n0.2\n");
                   app.signalForm().FileNameEdit->setText(dir.filePath("pulse.txt"));
                   app.signalForm().FileLoadBitBtnClick();
               })
            << signal;
        QTest::newRow("sampling frequency typed: every µs and MHz")
            << Action([](Application &app, const QTemporaryDir &, ScriptedPlatform &) {
                   app.mainForm().FNmSuperSpin->setValue(5.0);
               })
            << Marked{SignalRow, OutputRow,          ResponseRow, FilterRow, FixedRow,
                      SetTable,  LeastSquaresReport, HdlReport,   BitsTable};
        QTest::newRow("sampling frequency typed and set back: nothing")
            << Action([](Application &app, const QTemporaryDir &, ScriptedPlatform &) {
                   const double was = app.mainForm().FNmSuperSpin->value();
                   app.mainForm().FNmSuperSpin->setValue(5.0);
                   app.mainForm().FNmSuperSpin->setValue(was);
               })
            << Marked{};
        QTest::newRow("set change: the set's results only")
            << Action([](Application &app, const QTemporaryDir &dir, ScriptedPlatform &) {
                   app.filterForm().TabSheet4->addFile(dir.filePath("other.txt"), true);
               })
            << Marked{SetTable, LeastSquaresReport};
        QTest::newRow("path member's recorded climate: the set's results only")
            << Action([](Application &app, const QTemporaryDir &, ScriptedPlatform &) {
                   app.filterForm().TabSheet4->addPath({0.5, 20.0, 50.0}, true);
                   app.filterForm().LeastSquaresBitBtnClick();
                   app.mainForm().CalcOutBitBtnClick();
                   app.filterForm().FixedPointBitBtnClick();
                   app.filterForm().FitBitsBitBtnClick();
                   app.signalForm().PathTemperatureNmSuperSpin->setValue(30.0);
               })
            << Marked{SetTable, LeastSquaresReport};
        QTest::newRow("a member's role changed: the set's results only")
            << Action([](Application &app, const QTemporaryDir &dir, ScriptedPlatform &) {
                   writeFile(dir.filePath("member.txt"), "0.1\n0.7\n-0.4\n0.2\n");
                   app.filterForm().TabSheet4->addFile(dir.filePath("member.txt"), false);
                   app.filterForm().LeastSquaresBitBtnClick();
                   app.mainForm().CalcOutBitBtnClick();
                   app.filterForm().FixedPointBitBtnClick();
                   app.filterForm().FitBitsBitBtnClick();
                   app.filterForm().TabSheet4->PulseListTable->item(1, 1)->setCheckState(Qt::Checked);
               })
            << Marked{SetTable, LeastSquaresReport};
        QTest::newRow("recorded climate with no path member: nothing")
            << Action([](Application &app, const QTemporaryDir &, ScriptedPlatform &) {
                   app.signalForm().PathTemperatureNmSuperSpin->setValue(30.0);
               })
            << Marked{};
        QTest::newRow("redraw and apply: the main window's rows current again")
            << Action([](Application &app, const QTemporaryDir &, ScriptedPlatform &) {
                   app.filterForm().SynthesizeBitBtnClick();
                   app.mainForm().CalcOutBitBtnClick();
               })
            << Marked{SetTable, LeastSquaresReport} + Hardware;
        QTest::newRow("converter's width: the integer results")
            << Action([](Application &app, const QTemporaryDir &, ScriptedPlatform &) {
                   app.filterForm().AdcBitsNmSpinEdit->setValue(app.filterForm().AdcBitsNmSpinEdit->value() - 2);
               })
            << Hardware;
        QTest::newRow("tap width: all but the width search")
            << Action([](Application &app, const QTemporaryDir &, ScriptedPlatform &) {
                   app.filterForm().CoeBitsNmSpinEdit->setValue(app.filterForm().CoeBitsNmSpinEdit->value() + 1);
               })
            << Marked{FixedRow, FixedPointReport, HdlReport};
        QTest::newRow("integer run again: its results current, the width search too")
            << Action([](Application &app, const QTemporaryDir &, ScriptedPlatform &) {
                   tickNextRounding(app.filterForm().RoundingRadioGroup);
                   app.filterForm().FixedPointBitBtnClick();
               })
            << Marked{BitsTable};
    }
    void actionMarksWhatItChanged() {
        QFETCH(Action, action);
        QFETCH(Marked, expected);
        QCOMPARE(marked(), Marked{});
        action(*m_app, m_dir, m_scope->platform);
        QStringList messages;
        for (const auto &m : m_scope->platform.messages)
            messages << m.text;
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
        std::sort(expected.begin(), expected.end());
        QCOMPARE(marked(), expected);
        // The note names what the result came from and, when marked, what changed since.
        for (int row = 0; row <= FixedRow; ++row) {
            const QString note = m_app->mainForm().MetricsTable->verticalHeaderItem(row)->toolTip();
            QVERIFY(note.startsWith("Рассчитано из: "));
            QCOMPARE(note.contains("; с тех пор изменились: "), expected.contains(row));
        }
    }

    // "МНК-фильтр" waits for a running search: disabled during it, and a click then does nothing.
    void leastSquaresWaitsForTheSearch() {
        TFilterForm &filter = m_app->filterForm();
        filter.EpochNmSpinEdit->setValue(50000);
        filter.StartBitBtnClick();
        bool enabledDuring = true;
        QString reportDuring;
        QTimer::singleShot(0, &filter, [&] {
            enabledDuring = filter.LeastSquaresBitBtn->isEnabled();
            reportDuring = filter.LeastSquaresLabel->text();
            filter.LeastSquaresBitBtnClick();
            filter.Break1_BitBtnClick();
        });
        filter.Serch1_BitBtnClick();
        QVERIFY(!enabledDuring);
        QVERIFY(filter.LeastSquaresBitBtn->isEnabled());
        // The click during the search changed nothing: the least-squares report is the one
        // of before, now stale, and the search's own is current.
        QVERIFY(filter.LeastSquaresLabel->text().endsWith(Mark));
        QVERIFY(!filter.AimLabel->text().endsWith(Mark));
        QVERIFY(filter.AimLabel->text().startsWith("Целевая функция"));
    }
};

QObject *makeStaleMarksTest() {
    return new StaleMarksTest;
}

#include "test_stale_marks.moc"
