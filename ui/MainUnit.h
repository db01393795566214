#pragma once

#include <QTableWidget>
#include <QToolButton>

#include <cstdint>

#include "core/state.h"
#include "ui/form_base.h"
#include "ui/stale_marks.h"
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
    // Ctrl+S: the project's own file without a dialog where it has one.
    std::function<void()> onSaveCurrentProject;
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
    // "?": the user guide, as F1.
    QToolButton *HelpSpeedButton;
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

    // What every result on screen was computed from; each window's results are defined here and
    // marked by refreshStaleMarks().
    StaleMarks &staleMarks() { return m_marks; }
    // The prints of every source as it stands now.
    SourcePrints currentPrints() const;
    // Called by refreshStaleMarks() for results outside this window (the filter window's set
    // table and the like), with the prints of now.
    void addStaleMarker(std::function<void(const SourcePrints &)> marker) { m_markers.push_back(std::move(marker)); }
    // The metrics rows' keys in StaleMarks, top to bottom.
    static QString metricsRowKey(int row);

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
    void SaveCurrentProjectClick();
    // Marks every result whose sources changed since it was computed "(устарело)"; recomputes
    // nothing.
    void refreshStaleMarks();

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    void formCreate();
    void applyDisplaySettings();
    void refreshMetrics(int halfWidth);
    // Takes the prints of the signal and filter the filtered signal was computed from, when the
    // filtered signal changed since the last look (told by its print).
    void noteOutputInputs(const SourcePrints &now);

    core::CoreState &m_state;
    TSignalForm *m_signalForm = nullptr;
    TFilterForm *m_filterForm = nullptr;
    TSpectorForm *m_spectorForm = nullptr;
    StaleMarks m_marks;
    std::vector<std::function<void(const SourcePrints &)>> m_markers;
    std::uint64_t m_outputPrint = 0;  // of OutputBuffer at the last look
    std::uint64_t m_outputSignal = 0; // of SignalBuffer when OutputBuffer last changed
    std::uint64_t m_outputFilter = 0; // of FilterBuffer when OutputBuffer last changed
    std::uint64_t m_fixedPrint = 0;   // of FixedOutputBuffer at the last look
    std::uint64_t m_fixedSignal = 0;  // of SignalBuffer when FixedOutputBuffer last changed
    std::uint64_t m_fixedFilter = 0;  // of FilterBuffer when FixedOutputBuffer last changed
    std::uint64_t m_fixedWords = 0;   // of the integer filter's words when FixedOutputBuffer last changed
    std::uint64_t m_fixedTaps = 0;    // of its tap width then
    bool m_printsTaken = false;
};

} // namespace pulsefir::ui
