#pragma once

#include <QElapsedTimer>
#include <QGridLayout>
#include <QTabWidget>
#include <QTableWidget>

#include "core/filter_search.h"
#include "core/state.h"
#include "io/hdl_design.h"
#include "project/pulse_set_section.h"
#include "project/settings.h"
#include "ui/form_base.h"
#include "ui/pulse_set_tab.h"
#include "ui/widgets/chart.h"

namespace pulsefir::ui {

class TMainForm;

// The filter synthesis window: window-method synthesis, the random search toward a desired
// response with its per-epoch display, and the chart of the filter taps.
class TFilterForm : public TForm, public core::SearchHost {
    Q_OBJECT
  public:
    TFilterForm(core::CoreState &state, TMainForm &mainForm);

    bool searching() const { return m_searching; }

    QWidget *Panel1;
    widgets::TNmSpinEdit *WINNmSpinEdit;
    QWidget *Panel2;
    widgets::TChart *Chart;
    widgets::TLineSeries *Series1;
    QWidget *Panel5;
    QPushButton *ViewFilterBitBtn;
    QCheckBox *PointsCheckBox;
    QPushButton *ZoomUnDoButton;
    QTabWidget *PageControl1;
    QWidget *TabSheet1;
    widgets::TNmSuperSpin *Ar1_NmSuperSpin;
    widgets::TNmSuperSpin *Tr1_NmSuperSpin;
    widgets::TNmSuperSpin *RandomNmSuperSpin;
    widgets::TNmSpinEdit *EpochNmSpinEdit;
    widgets::TRadioGroup *RadioGroup1;
    widgets::TRadioGroup *ResponseRadioGroup;
    QPushButton *StartBitBtn;
    QPushButton *Serch1_BitBtn;
    QPushButton *Break1_BitBtn;
    QLabel *EpochLabel;
    QLabel *AimLabel;
    QWidget *TabSheet2;
    widgets::TNmSuperSpin *F0_NmSuperSpin;
    widgets::TNmSuperSpin *DF_NmSuperSpin;
    widgets::TRadioGroup *FilterTypeRadioGroup;
    widgets::TRadioGroup *WinTypeRadioGroup;
    widgets::TNmSuperSpin *K_NmSuperSpin;
    widgets::TNmSpinEdit *PhazeShiftNmSpinEdit;
    QPushButton *SynthesizeBitBtn;
    widgets::TNmSuperSpin *RegularizationNmSuperSpin;
    QPushButton *LeastSquaresBitBtn;
    QWidget *TabSheet3;
    widgets::TChart *ConvergenceChart;
    widgets::TLineSeries *ConvergenceSeries;

    // Export of the taps for a DSP or FPGA project.
    QPushButton *ExportFilterBitBtn;
    QWidget *Panel6;
    widgets::TNmSpinEdit *CoeBitsNmSpinEdit;
    QLabel *QuantisationLabel;
    QAction *ExportFilterN10;
    widgets::FileDialogRequest ExportDialog;
    // Taps read back from a file, after the export.
    QPushButton *LoadFilterBitBtn;
    widgets::FileDialogRequest LoadFilterDialog;

    // Least squares over a set of measured pulses, with mu chosen from them.
    QCheckBox *RegularizationAutoCheckBox;
    // The pulse set's grid of "Добавить тракт…" and its criterion.
    widgets::TNmSuperSpin *PathSetDistanceFromNmSuperSpin;
    widgets::TNmSuperSpin *PathSetDistanceToNmSuperSpin;
    widgets::TNmSpinEdit *PathSetDistanceCountNmSpinEdit;
    widgets::TNmSuperSpin *PathSetTemperatureFromNmSuperSpin;
    widgets::TNmSuperSpin *PathSetTemperatureToNmSuperSpin;
    widgets::TNmSpinEdit *PathSetTemperatureCountNmSpinEdit;
    widgets::TNmSuperSpin *PathSetHumidityFromNmSuperSpin;
    widgets::TNmSuperSpin *PathSetHumidityToNmSuperSpin;
    widgets::TNmSpinEdit *PathSetHumidityCountNmSpinEdit;
    widgets::TRadioGroup *SetCriterionRadioGroup;
    PulseSetTab *TabSheet4;
    // The last least-squares design's objective, apart from the search's "Эпоха" and
    // "Целевая функция".
    QLabel *LeastSquaresLabel;

    // Defines this window's results in the main window's stale marks and marks them there.
    void attachStaleMarks();
    // The set's list as a section of the project file.
    project::ProjectSections &pulseSetSection() { return *m_pulseSetSection; }

    // "Аппаратная реализация": the filter as the hardware computes it, in integers.
    QWidget *TabSheet5;
    widgets::TNmSpinEdit *AdcBitsNmSpinEdit;
    widgets::TNmSuperSpin *AdcFullScaleNmSuperSpin;
    QPushButton *AdcFullScaleBitBtn; // sets the full scale to the signal's largest magnitude
    widgets::TNmSpinEdit *OutBitsNmSpinEdit;
    widgets::TRadioGroup *RoundingRadioGroup;
    QCheckBox *OutShiftAutoCheckBox;
    widgets::TNmSpinEdit *OutShiftNmSpinEdit;
    widgets::TNmSpinEdit *LatencyNmSpinEdit;
    QPushButton *FixedPointBitBtn;
    QPushButton *FitBitsBitBtn;
    QLabel *FixedPointLabel;
    QLabel *LatencyLabel;    // the last least-squares design's latency in samples and µs
    QTableWidget *BitsTable; // SNR, side level and duration against the tap width
    QLabel *BitsLabel;       // over the table: what it is, and whether it is current
    widgets::TChart *BitsChart;
    widgets::TLineSeries *SnrSeries;
    widgets::TLineSeries *SideLevelSeries;
    widgets::TLineSeries *DurationSeries;
    // "Экспорт HDL…": the integer filter as Verilog and VHDL with testbenches, into a folder, and
    // what that hardware costs.
    QPushButton *ExportHdlBitBtn;
    QLabel *HdlLabel;
    widgets::FileDialogRequest HdlDialog;

  public slots:
    void SynthesizeBitBtnClick();
    void Serch1_BitBtnClick();
    void Break1_BitBtnClick();
    void StartBitBtnClick();
    void ViewFilterBitBtnClick();
    void PointsCheckBoxClick();
    void ZoomUnDoButtonClick();
    void LeastSquaresBitBtnClick();
    void ExportFilterBitBtnClick();
    void LoadFilterBitBtnClick();
    void FixedPointBitBtnClick();
    void FitBitsBitBtnClick();
    void AdcFullScaleBitBtnClick();
    void OutShiftAutoCheckBoxClick();
    void ExportHdlBitBtnClick();

    // SearchHost, called once per epoch by the search.
  public:
    void processMessages() override;
    void showEpoch(std::int32_t epoch) override;
    double randomStep() override;
    void showBestObjective(long double best) override;
    std::int32_t epochLimit() override;

    // Writes taps -FilterHalfWidth..+FilterHalfWidth under this name, the format by its extension,
    // and shows the fixed-point error for the .h and .coe formats.
    void exportFilterTo(const QString &fileName);
    void loadFilterFrom(const QString &fileName);
    // Writes the hardware files into the folder (made where missing) and shows the resources.
    void exportHdlTo(const QString &folder);

    // What the operations read from the fields, in the order they read them, as settings that
    // the conversions shared with the command line make the core's parameters of.
    project::FilterSettings synthesisSettings(double &samplingFrequency) const; // window method
    project::FilterSettings searchSettings() const;                             // desired response and half-width
    project::FilterSettings leastSquaresSettings() const;                       // the same and the regularisation
    project::FilterSettings pathSetSettings() const;    // the grid of "Добавить тракт…"
    project::FilterSettings startSettings() const;      // the search's initial filter
    project::FilterSettings exportSettings() const;     // the .coe word width
    project::FilterSettings fixedPointSettings() const; // the integer filter's words

  private:
    void showProgress(bool force);
    // Adds the epochs accepted since the last call to the convergence chart.
    void showConvergence(bool force);
    void buildExport();
    // The note under the chart (quantisation error, taps read): as much as its fixed area holds,
    // all of it in the tooltip.
    void showNote(const QString &note);
    void buildPulseSet();
    void buildHardware();
    void buildHdlExport(QGridLayout *grid);
    void showHdlResources(const io::HdlDesign &design);
    void buildPathSet();
    // FixedPointLabel shows the width search's choice (true) or the integer run's figures (false).
    bool m_fixedPointLabelFromSearch = false;

    core::CoreState &m_state;
    TMainForm &m_main;
    bool m_searching = false;
    std::int32_t m_epoch = 0;
    long double m_best = 0;
    QElapsedTimer m_sinceShown;
    QElapsedTimer m_sinceConvergenceShown;
    std::size_t m_convergenceShown = 0; // entries of the search trace already on the chart
    std::unique_ptr<project::PulseSetProjectSection> m_pulseSetSection;
};

} // namespace pulsefir::ui
