#pragma once

#include "core/spectra.h"
#include "core/state.h"
#include "ui/FormBase.h"
#include "ui/widgets/chart.h"

namespace pulsefir::ui {

class TMainForm;

// The spectra window: amplitude and phase spectra of the signal, the filter and the filtered
// signal over a chosen frequency range, up to six curves on one chart.
class TSpectorForm : public TForm {
    Q_OBJECT
  public:
    TSpectorForm(CoreState &state, TMainForm &mainForm);

    QWidget *Panel1;
    QPushButton *ZoomUnDoButton;
    TChart *Chart;
    std::array<TLineSeries *, 6> Series{};
    QWidget *Panel2;
    TNmSuperSpin *FL_NmSuperSpin;
    TNmSuperSpin *FH_NmSuperSpin;
    TNmSpinEdit *PointsNmSpinEdit;
    QCheckBox *CheckBox1;
    QCheckBox *CheckBox2;
    QCheckBox *CheckBox3;
    QCheckBox *CheckBox4;
    QCheckBox *CheckBox5;
    QCheckBox *CheckBox6;
    TSpinEdit *LineWidthSpinEdit;
    QCheckBox *PointsCheckBox;
    TSpinEdit *PointSizeSpinEdit;
    QCheckBox *CheckBox7;
    QCheckBox *CheckBox8;
    QCheckBox *CheckBox9;
    QPushButton *CalcSpectorsBitBtn;

  public slots:
    void CalcSpectorsBitBtnClick();
    void UpdateSeriesView();
    void ZoomUnDoButtonClick();

  private:
    CoreState &m_state;
    TMainForm &m_main;
};

} // namespace pulsefir::ui
