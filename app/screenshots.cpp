// Runs the typical use of the program on its real windows and writes a PNG of each of the four
// windows, of two file dialogs, of the filter window's search tab and of the spectra in dB with
// their group delays into the folder given as argument, so the program can be looked at without
// a display. It also shows the legends, the convergence of a search, the hardware tab, the air
// path and the user guide.
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLocale>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

#include "base/file.h"
#include "base/messages.h"
#include "base/number_text.h"
#include "ui/application.h"
#include "ui/widgets/platform.h"

using namespace pulsefir::ui;
using namespace pulsefir::ui::widgets;

namespace {

// The Qt platform, but an open dialog that chooses the one file given instead of asking.
class ChosenFile : public QtPlatform {
  public:
    explicit ChosenFile(QString file) : m_file(std::move(file)) {}
    std::optional<QString> runFileDialog(QWidget *, const FileDialogRequest &) override { return m_file; }

  private:
    QString m_file;
};

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: pulsefir-screenshots FOLDER\n");
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Тривелан");
    installPlatformTranslation(app, QLocale::system());
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    Application program;
    TMainForm &main = program.mainForm();
    main.show();

    // 2. A tone burst from the signal window.
    main.SignalBitBtn->click();
    program.signalForm().Exp_Load_BitBtn->click();
    // 3. A window-method filter.
    main.FilterBitBtn->click();
    program.filterForm().SynthesizeBitBtn->click();
    // 4. The filtered signal, shown.
    main.CalcOutBitBtn->click();
    main.CheckBox2->setChecked(true);
    // 5. The spectra, phases of the signal included.
    main.SpectorBitBtn->click();
    program.spectorForm().CheckBox2->setChecked(true);
    program.spectorForm().CalcSpectorsBitBtn->click();
    QApplication::processEvents();

    // The project open dialog and the picture save dialog of the main chart, not run.
    std::unique_ptr<QFileDialog> openDialog(makeFileDialog(&main, main.OpenDialog));
    std::unique_ptr<QFileDialog> pictureDialog(
        makePictureDialog(&main, main.Chart->savePictureDialog(), main.Chart->renderImage()));
    for (QFileDialog *dialog : {openDialog.get(), pictureDialog.get()})
        dialog->show();
    QApplication::processEvents();

    int failures = 0;
    const std::pair<QWidget *, const char *> shots[] = {{&main, "main.png"},
                                                        {&program.signalForm(), "signal.png"},
                                                        {&program.filterForm(), "filter.png"},
                                                        {&program.spectorForm(), "spectra.png"},
                                                        {openDialog.get(), "open-dialog.png"},
                                                        {pictureDialog.get(), "picture-dialog.png"}};
    const auto save = [&](QWidget *window, const char *name) {
        const QString path = folder.filePath(name);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        try {
            if (!window->grab().save(&buffer, "PNG"))
                throw pulsefir::base::Error(pulsefir::base::Message::unableToWrite(
                    path.toStdString(), pulsefir::base::Message::encodingFailed("PNG")));
            pulsefir::base::writeFileWhole(QFile::encodeName(path).toStdString(),
                                           std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
            std::printf("%s\n", qPrintable(path));
        } catch (const pulsefir::base::Error &error) {
            std::fprintf(stderr, "%s\n", error.what());
            ++failures;
        }
    };
    for (const auto &[window, name] : shots)
        save(window, name);
    // The search tab of the filter window, with the one field in scientific format.
    TFilterForm &filter = program.filterForm();
    filter.PageControl1->setCurrentWidget(filter.TabSheet1);
    QApplication::processEvents();
    save(&filter, "filter-search.png");
    // The pulse set: two measured pulses of other carriers beside the signal, one held out, a
    // design with the regularisation chosen from them.
    {
        TSignalForm &signal = program.signalForm();
        const QString pulses = QDir::temp().filePath("pulsefir-screenshots-set");
        QDir().mkpath(pulses);
        const auto writePulse = [&](const char *name, double frequency) {
            signal.Exp_F_NmSuperSpin->setValue(frequency);
            signal.Exp_Load_BitBtn->click();
            std::string text;
            for (int i = -1000; i <= 1000; ++i)
                text += pulsefir::base::formatSignificant(program.state().SignalBuffer[i], 17) + "\n";
            const QString path = QDir(pulses).filePath(name);
            pulsefir::base::writeFileWhole(QFile::encodeName(path).toStdString(), text);
            return path;
        };
        const QString first = writePulse("pulse-38khz.txt", 0.038);
        const QString second = writePulse("pulse-43khz.txt", 0.043);
        signal.Exp_F_NmSuperSpin->setValue(0.04);
        signal.Exp_Load_BitBtn->click();
        signal.FileOffsetNmSpinEdit->setValue(-1000);
        filter.TabSheet4->addFile(first, false);
        filter.TabSheet4->addFile(second, true);
        filter.RegularizationAutoCheckBox->setChecked(true);
        filter.LeastSquaresBitBtn->click();
        filter.PageControl1->setCurrentWidget(filter.TabSheet4);
        QApplication::processEvents();
        save(&filter, "filter-pulse-set.png");
        // The list and the table in their own window, eight rows and every column.
        filter.TabSheet4->DetachBitBtn->click();
        QApplication::processEvents();
        save(filter.TabSheet4->detachedWindow(), "pulse-set-window.png");
        filter.TabSheet4->detachedWindow()->close();
        QApplication::processEvents();
        QDir(pulses).removeRecursively();
    }
    // The spectra with the amplitudes in dB on the left axis and the group delays of all three
    // sources on the right one.
    TSpectorForm &spectra = program.spectorForm();
    for (QCheckBox *box : {spectra.CheckBox4, spectra.CheckBox9, spectra.DbCheckBox, spectra.DelayCheckBox})
        box->setChecked(true);
    QApplication::processEvents();
    save(&spectra, "spectra-db-delay.png");
    // The signal window's "Файл" tab after a measured pulse is chosen: an oscilloscope's export
    // with its header block and time in seconds, in a scratch folder.
    TSignalForm &signal = program.signalForm();
    const QTemporaryDir scratch;
    const QString pulse = scratch.filePath("scope-pulse.csv");
    std::string text = "Model,DEMO-1000\nSample Interval,1e-06\nHorizontal Units,s\nTime [s],CH1 [V],CH2 [V]\n";
    for (int k = 0; k < 400; ++k)
        text += pulsefir::base::formatSignificant((k - 120) * 1e-6, 9) + "," +
                pulsefir::base::formatSignificant(k >= 120 && k < 160 ? 0.5 : 0.01, 9) + ",0\n";
    pulsefir::base::writeFileWhole(QFile::encodeName(pulse).toStdString(), text);
    signal.PageControl1->setCurrentWidget(signal.TabSheet3);
    ChosenFile chosen(pulse);
    Platform::install(&chosen);
    signal.FileBrowseButton->click();
    Platform::install(nullptr);
    QApplication::processEvents();
    save(&signal, "signal-file.png");
    // The main chart and the spectra with their legends ("Легенда" in the charts' menu).
    main.Chart->setLegendVisible(true);
    spectra.Chart->setLegendVisible(true);
    QApplication::processEvents();
    save(&main, "main-legend.png");
    save(&spectra, "spectra-legend.png");
    // The air path: a 200 kHz burst recorded at 0.1 m carried to 0.5 m ("Тракт"), then the set of
    // that pulse over 0.05..1 m and 10..30 °C designed for the worst pulse.
    {
        main.FNmSuperSpin->setValue(2.0);
        main.SWNmSpinEdit->setValue(400);
        signal.Exp_F_NmSuperSpin->setValue(0.2);
        signal.Exp_Front_NmSuperSpin->setValue(5);
        signal.Exp_Time_NmSuperSpin->setValue(20);
        signal.Exp_Shift_NmSuperSpin->setValue(20);
        signal.Exp_Load_BitBtn->click();
        spectra.FL_NmSuperSpin->setValue(0.02);
        spectra.FH_NmSuperSpin->setValue(1.0);
        signal.PageControl1->setCurrentWidget(signal.TabSheet4);
        signal.PathSpreadingRadioGroup->setItemIndex(0);
        signal.PathRecomputeBitBtn->click();
        QApplication::processEvents();
        // The tab scrolled to its chart of alpha(f), below the fields.
        if (auto *scroll = signal.findChild<QScrollArea *>("PathScrollArea"))
            scroll->ensureWidgetVisible(signal.PathChart);
        QApplication::processEvents();
        save(&signal, "signal-path.png");
        // The whole tab at once, fields above the chart, as the guide shows it.
        if (auto *content = signal.findChild<QWidget *>("PathTabContent"))
            save(content, "signal-path-tab.png");
        signal.Exp_Load_BitBtn->click();
        filter.TabSheet4->setList({});
        filter.RegularizationAutoCheckBox->setChecked(false);
        filter.WINNmSpinEdit->setValue(20);
        filter.PathSetDistanceCountNmSpinEdit->setValue(3);
        filter.TabSheet4->AddPathBitBtn->click();
        filter.SetCriterionRadioGroup->setItemIndex(1);
        filter.LeastSquaresBitBtn->click();
        filter.PageControl1->setCurrentWidget(filter.TabSheet4);
        QApplication::processEvents();
        save(&filter, "filter-path-set.png");
    }
    // A search of 3000 epochs from the zero filter, and its convergence against the epochs.
    filter.EpochNmSpinEdit->setValue(3000);
    filter.StartBitBtn->click();
    filter.Serch1_BitBtn->click();
    filter.PageControl1->setCurrentWidget(filter.TabSheet3);
    QApplication::processEvents();
    save(&filter, "filter-convergence.png");
    // The filter as the hardware computes it: the window-method filter, the tap width found for a
    // 14-bit ADC, then 6-bit taps, whose integer output departs visibly from the double one.
    main.Chart->setLegendVisible(false);
    filter.SynthesizeBitBtn->click();
    main.CalcOutBitBtn->click();
    filter.AdcBitsNmSpinEdit->setValue(14);
    filter.FitBitsBitBtn->click();
    filter.CoeBitsNmSpinEdit->setValue(6);
    filter.FixedPointBitBtn->click();
    filter.PageControl1->setCurrentWidget(filter.TabSheet5);
    main.CheckBox2->setChecked(true);
    QApplication::processEvents();
    save(&filter, "filter-hardware.png");
    save(&main, "main-fixed-point.png");
    // Old results marked: a new filter after the last "Расчет фильтрации", and another sampling
    // frequency typed, nothing recomputed.
    main.Chart->setLegendVisible(false);
    filter.SynthesizeBitBtn->click();
    main.FNmSuperSpin->setValue(main.FNmSuperSpin->value() * 2);
    QApplication::processEvents();
    save(&main, "main-stale.png");
    // The user guide, as F1 opens it.
    program.helpWindow().showChapter(QString());
    QApplication::processEvents();
    save(&program.helpWindow(), "help.png");
    // Its chapters on the integer filter and the hardware, and on the air path.
    for (const auto &[chapter, name] : {std::pair<const char *, const char *>{"fixedpoint", "help-fixedpoint.png"},
                                        {"airpath", "help-airpath.png"}}) {
        program.helpWindow().showChapter(chapter);
        QApplication::processEvents();
        save(&program.helpWindow(), name);
    }
    return failures == 0 ? 0 : 1;
}
