#pragma once

#include <QLineEdit>
#include <QTabWidget>

#include "core/signal_synthesis.h"
#include "core/state.h"
#include "io/pulse_import.h"
#include "project/settings.h"
#include "ui/form_base.h"
#include "ui/widgets/chart.h"
#include "ui/widgets/platform.h"

namespace pulsefir::ui {

class TMainForm;

// The signal synthesis window: tone-burst parameters and noise amplitude; each operation
// changes SignalBuffer and has the main window redraw.
class TSignalForm : public TForm {
    Q_OBJECT
  public:
    TSignalForm(core::CoreState &state, TMainForm &mainForm);

    // What the operations read from the fields, in the order they read them, as settings that
    // the conversions shared with the command line make the core's parameters of.
    project::SignalSettings burstSettings() const;     // the tone burst
    project::SignalSettings noiseSettings() const;     // the noise amplitude
    project::SignalSettings placementSettings() const; // a measured pulse's rate, offset, scale
    // How the "Файл" tab reads the named file: the program's rate, the rate choice, the offset
    // and the scale as its fields hold them now (the filter window's pulse set reads its files so).
    io::PulseImportRequest fileRequestFor(const std::string &fileName) const;

    QWidget *Panel1;
    QWidget *Panel2;
    QPushButton *AddNoiseBitBtn;
    widgets::TNmSuperSpin *NoiseNmSuperSpin;
    QTabWidget *PageControl1;
    QWidget *TabSheet1;
    QWidget *TabSheet2;
    widgets::TNmSuperSpin *Exp_F_NmSuperSpin;
    widgets::TNmSuperSpin *Exp_Phaze_NmSuperSpin;
    widgets::TNmSuperSpin *Exp_Front_NmSuperSpin;
    widgets::TNmSuperSpin *Exp_Time_NmSuperSpin;
    widgets::TNmSuperSpin *Exp_Shift_NmSuperSpin;
    widgets::TNmSuperSpin *Exp_Am_NmSuperSpin;
    QPushButton *Exp_Load_BitBtn;
    QPushButton *AddSignalBitBtn;

    // Tab "Файл": a measured pulse from a text, WAV or NumPy file.
    QWidget *TabSheet3;
    QLineEdit *FileNameEdit;
    QPushButton *FileBrowseButton;
    QLabel *FileInfoLabel;
    widgets::TNmSpinEdit *FileOffsetNmSpinEdit;
    QPushButton *FilePeakButton;
    QPushButton *FileStartButton;
    widgets::TNmSuperSpin *FileScaleNmSuperSpin;
    widgets::TRadioGroup *FileRateRadioGroup;
    QPushButton *FileLoadBitBtn;
    QPushButton *FileAddBitBtn;
    QLabel *FileNoteLabel;
    // How the file is read where it does not say so itself: the unit of its time column or
    // sample interval, its decimal mark, the value column or channel taken.
    widgets::TRadioGroup *FileTimeUnitRadioGroup;
    widgets::TRadioGroup *FileDecimalRadioGroup;
    widgets::TNmSpinEdit *FileColumnNmSpinEdit;
    QPushButton *FileTimeZeroButton;
    widgets::FileDialogRequest FileOpenDialog;

    // Tab "Тракт": the signal carried through the air to another distance and climate.
    QWidget *TabSheet4;
    widgets::TNmSuperSpin *PathDistanceNmSuperSpin;
    widgets::TNmSuperSpin *PathTemperatureNmSuperSpin;
    widgets::TNmSuperSpin *PathHumidityNmSuperSpin;
    widgets::TNmSuperSpin *PathTargetDistanceNmSuperSpin;
    widgets::TNmSuperSpin *PathTargetTemperatureNmSuperSpin;
    widgets::TNmSuperSpin *PathTargetHumidityNmSuperSpin;
    widgets::TNmSuperSpin *PathPressureNmSuperSpin;
    widgets::TRadioGroup *PathSpreadingRadioGroup;
    QCheckBox *PathDelayCheckBox;
    QPushButton *PathRecomputeBitBtn;
    widgets::TChart *PathChart;
    widgets::TLineSeries *AbsorptionSeries;
    // The path's fields as they stand: the recorded pulse's conditions, the target's, the
    // pressure, the spreading and the delay (the filter window's path members use the first).
    project::SignalSettings pathSettings() const;

  public slots:
    void AddSignalBitBtnClick();
    void Exp_Load_BitBtnClick();
    void AddNoiseBitBtnClick();
    void FileBrowseButtonClick();
    void FilePeakButtonClick();
    void FileStartButtonClick();
    void FileTimeZeroButtonClick();
    void FileLoadBitBtnClick();
    void FileAddBitBtnClick();
    void PathRecomputeBitBtnClick();
    // Redraws alpha(f) at the target's climate over the spectra window's range.
    void drawAbsorption();

  private:
    void addSignalAndDraw();
    void buildFileTab();
    void buildPathTab();
    io::PulseImportRequest fileRequest(io::PlacementMode mode) const;
    void showFileInfo(const io::PulseImportOutcome &outcome);
    void importFile(io::PlacementMode mode, QPushButton *button);
    // Asks what to do with a pulse whose largest sample landed outside the drawn half-width.
    void offerPeakPlacement(long long peakIndex, QPushButton *button);

    core::CoreState &m_state;
    TMainForm &m_main;
};

} // namespace pulsefir::ui
