#pragma once

#include <array>
#include <vector>

#include "core/spectra.h"
#include "core/state.h"
#include "project/settings.h"
#include "ui/form_base.h"
#include "ui/widgets/chart.h"

namespace pulsefir::ui {

class TMainForm;

// The caption of the chart's vertical axis for the display options of the spectra window:
// amplitude (normalised or in dB), then phase, unwrapped phase or group delay.
QString spectraVerticalCaption(bool decibels, bool unwrapped, bool groupDelay, bool cosinePhase = false);

// Whether the phase or delay curves plot against the chart's right axis, with a scale of their
// own: so with the amplitude in dB or the group delay, whose values the normalised amplitudes
// and the phases in radians would flatten; otherwise every curve shares the left axis.
bool spectraTwoAxes(bool decibels, bool groupDelay);

// The spectra window: amplitude and phase spectra of the signal, the filter and the filtered
// signal over a chosen frequency range, up to six curves on one chart.
class TSpectorForm : public TForm {
    Q_OBJECT
  public:
    TSpectorForm(core::CoreState &state, TMainForm &mainForm);

    QWidget *Panel1;
    QPushButton *ZoomUnDoButton;
    widgets::TChart *Chart;
    std::array<widgets::TLineSeries *, 6> Series{};
    QWidget *Panel2;
    widgets::TNmSuperSpin *FL_NmSuperSpin;
    widgets::TNmSuperSpin *FH_NmSuperSpin;
    widgets::TNmSpinEdit *PointsNmSpinEdit;
    QCheckBox *CheckBox1;
    QCheckBox *CheckBox2;
    QCheckBox *CheckBox3;
    QCheckBox *CheckBox4;
    QCheckBox *CheckBox5;
    QCheckBox *CheckBox6;
    widgets::TSpinEdit *LineWidthSpinEdit;
    QCheckBox *PointsCheckBox;
    widgets::TSpinEdit *PointSizeSpinEdit;
    QCheckBox *CheckBox7;
    QCheckBox *CheckBox8;
    QCheckBox *CheckBox9;
    QPushButton *CalcSpectorsBitBtn;
    QCheckBox *DbCheckBox;
    QCheckBox *UnwrapCheckBox;
    QCheckBox *DelayCheckBox;
    QCheckBox *CosinePhaseCheckBox;
    // Says when the last computation's grid reached above half the sampling frequency; not stored.
    QLabel *AliasNoteLabel;

    // The vertical axes' caption for the display options as they stand, "left / right".
    QString verticalCaption() const;

  public slots:
    void CalcSpectorsBitBtnClick();
    // What the computation reads from the fields, as settings that the conversion shared with the
    // command line makes the core's parameters of.
    project::SpectraSettings spectraSettings() const;
    void updateSeriesView();
    void ZoomUnDoButtonClick();
    void DisplayOptionsClick();

  private:
    using SeriesValues = std::array<std::vector<double>, 6>;
    // The six curves of the last results as the display options show them.
    SeriesValues seriesValues() const;
    // Replaces the six curves by `values` and shows them as the display settings say.
    void fillSeries(const SeriesValues &values);
    // Puts the phase curves on the axis and the captions on the chart that the options ask for.
    void nameSeries(bool decibels, bool delay);
    void applyAxes();

    core::CoreState &m_state;
    TMainForm &m_main;
    bool m_hasResults = false; // a computation has filled state.Spectra since start-up
};

} // namespace pulsefir::ui
