#pragma once

#include <array>
#include <utility>
#include <vector>

#include "core/spectra.h"
#include "core/state.h"
#include "project/settings.h"
#include "ui/form_base.h"
#include "ui/widgets/chart.h"

namespace pulsefir::ui {

class TMainForm;

// Six curves of amplitude and phase (Series1..Series6) and the three sources' group delays
// (Series7..Series9).
inline constexpr int SpectraSeriesCount = 9;

// The captions of the chart's left and right axes for the display options of the spectra window:
// the group delays in µs take the right axis where they are shown and the phases share the left
// one with the amplitudes; without them the phases take the right axis beside amplitudes in dB,
// which would flatten them. The right caption is empty while every curve shares the left axis.
std::pair<QString, QString> spectraAxisCaptions(bool decibels, bool unwrapped, bool groupDelay,
                                                bool cosinePhase = false);
// Both captions in one text, "left / right".
QString spectraVerticalCaption(bool decibels, bool unwrapped, bool groupDelay, bool cosinePhase = false);

// Whether the phase curves are the ones on the right axis.
bool spectraPhaseOnRightAxis(bool decibels, bool groupDelay);

// The spectra window: amplitude and phase spectra and group delays of the signal, the filter and
// the filtered signal over a chosen frequency range, up to nine curves on one chart.
class TSpectorForm : public TForm {
    Q_OBJECT
  public:
    TSpectorForm(core::CoreState &state, TMainForm &mainForm);

    QWidget *Panel1;
    QPushButton *ZoomUnDoButton;
    widgets::TChart *Chart;
    std::array<widgets::TLineSeries *, SpectraSeriesCount> Series{};
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
    void DelayCheckBoxClick();

  private:
    using SeriesValues = std::array<std::vector<double>, SpectraSeriesCount>;
    // The nine curves of the last results as the display options show them.
    SeriesValues seriesValues() const;
    // Replaces the six curves by `values` and shows them as the display settings say.
    void fillSeries(const SeriesValues &values);
    // Puts the phase curves on the axis and the captions on the chart that the options ask for.
    void nameSeries(bool decibels);
    void applyAxes();

    core::CoreState &m_state;
    TMainForm &m_main;
    bool m_hasResults = false; // a computation has filled state.Spectra since start-up
};

} // namespace pulsefir::ui
