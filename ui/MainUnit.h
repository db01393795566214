#pragma once

#include <QTableWidget>
#include <QToolButton>

#include <cstdint>

#include "core/state.h"
#include "ui/form_base.h"
#include "ui/widgets/chart.h"
#include "ui/widgets/platform.h"

namespace pulsefir::ui {

class TSignalForm;
class TFilterForm;
class TSpectorForm;

// The main window: the sampling frequency and signal half-width shared by every computation,
// the chart of signal, filtered signal and desired response against the sample index, filter
// application, the other windows' buttons and the project buttons. Closing it ends the program.
class TMainForm : public TForm {
    Q_OBJECT
  public:
    explicit TMainForm(core::CoreState &state);

    void attachWindows(TSignalForm *signalForm, TFilterForm *filterForm, TSpectorForm *spectorForm);
    TSignalForm *signalForm() const { return m_signalForm; }
    TFilterForm *filterForm() const { return m_filterForm; }
    TSpectorForm *spectorForm() const { return m_spectorForm; }
    // The four windows in the order they were created.
    std::vector<TForm *> windows();

    // The sampling frequency in MHz, as every computation reads it when it starts.
    double samplingFrequency() const { return FNmSuperSpin->value(); }

    // Handlers that hosts of the project file install for the two project buttons.
    std::function<void()> onOpenProject;
    std::function<void()> onSaveProject;
    // Asked when the main window is about to close ("Выход" or the window's close button);
    // false keeps it open. Unset: it closes.
    std::function<bool()> onCloseRequest;

    QWidget *Panel1;
    QToolButton *OpenFileSpeedButton;
    QToolButton *SaveFileSpeedButton;
    QToolButton *ExitSpeedButton;
    QPushButton *SignalBitBtn;
    QPushButton *FilterBitBtn;
    QPushButton *SpectorBitBtn;
    QLabel *StaticText1;
    QPushButton *ZoomUnDoButton;
    widgets::TChart *Chart;
    widgets::TLineSeries *Series1;
    widgets::TLineSeries *Series2;
    widgets::TLineSeries *Series3;
    widgets::TLineSeries *Series4; // the integer filter's output
    QWidget *Panel2;
    widgets::TSpinEdit *LineWidthSpinEdit;
    QCheckBox *PointsCheckBox;
    widgets::TSpinEdit *PointSizeSpinEdit;
    widgets::TNmSuperSpin *FNmSuperSpin;
    widgets::TNmSpinEdit *SWNmSpinEdit;
    QCheckBox *CheckBox1;
    QCheckBox *CheckBox2;
    QCheckBox *CheckBox3;
    QCheckBox *CheckBox4;
    QPushButton *CalcOutBitBtn;
    QPushButton *DrawBitBtn;
    // Pulse metrics of the three curves and of the filter, one row each; read-only and not
    // stored in projects.
    QTableWidget *MetricsTable;

    widgets::FileDialogRequest OpenDialog;
    widgets::FileDialogRequest SaveDialog;

  public slots:
    void DrawBitBtnClick();
    void refreshChart();
    void CalcOutBitBtnClick();
    void LineWidthSpinEditChange();
    void PointsCheckBoxClick();
    void PointSizeSpinEditChange();
    void CheckBox1Click();
    void ExitSpeedButtonClick();
    void SignalBitBtnClick();
    void FilterBitBtnClick();
    void SpectorBitBtnClick();
    void ZoomUnDoButtonClick();
    void SaveToClipBoardN5Click();
    void SaveToBMPFileN6Click();
    void OpenFileSpeedButtonClick();
    void SaveFileSpeedButtonClick();

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    void formCreate();
    void applyDisplaySettings();
    void refreshMetrics(int halfWidth);
    // Whether the filtered signal is older than the signal or the filter it was computed from:
    // its metrics row is then marked. Told by fingerprints of the buffers at each redraw.
    bool outputIsStale();

    core::CoreState &m_state;
    TSignalForm *m_signalForm = nullptr;
    TFilterForm *m_filterForm = nullptr;
    TSpectorForm *m_spectorForm = nullptr;
    std::uint64_t m_outputPrint = 0; // of OutputBuffer at the last redraw
    std::uint64_t m_inputsPrint = 0; // of SignalBuffer and FilterBuffer when OutputBuffer last changed
    bool m_printsTaken = false;
};

} // namespace pulsefir::ui
