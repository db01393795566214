#pragma once

#include <QTabWidget>

#include "core/signal_synthesis.h"
#include "core/state.h"
#include "ui/FormBase.h"

namespace pulsefir::ui {

class TMainForm;

// The signal synthesis window: tone-burst parameters and noise amplitude; each operation
// changes SignalBuffer and has the main window redraw.
class TSignalForm : public TForm {
    Q_OBJECT
  public:
    TSignalForm(CoreState &state, TMainForm &mainForm);

    // The burst as the fields describe it now (read in the order the operation reads them).
    ToneBurstParameters burstParameters() const;

    QWidget *Panel1;
    QWidget *Panel2;
    QPushButton *AddNoiseBitBtn;
    TNmSuperSpin *NoiseNmSuperSpin;
    QTabWidget *PageControl1;
    QWidget *TabSheet1;
    QWidget *TabSheet2;
    TNmSuperSpin *Exp_F_NmSuperSpin;
    TNmSuperSpin *Exp_Phaze_NmSuperSpin;
    TNmSuperSpin *Exp_Front_NmSuperSpin;
    TNmSuperSpin *Exp_Time_NmSuperSpin;
    TNmSuperSpin *Exp_Shift_NmSuperSpin;
    TNmSuperSpin *Exp_Am_NmSuperSpin;
    QPushButton *Exp_Load_BitBtn;
    QPushButton *AddSignalBitBtn;

  public slots:
    void AddSignalBitBtnClick();
    void Exp_Load_BitBtnClick();
    void AddNoiseBitBtnClick();

  private:
    void addSignalAndDraw();

    CoreState &m_state;
    TMainForm &m_main;
};

} // namespace pulsefir::ui
