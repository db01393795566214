#include "SignalUnit.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/MainUnit.h"

namespace pulsefir::ui {

TSignalForm::TSignalForm(CoreState &state, TMainForm &mainForm)
    : TForm("SignalForm", "Синтез сигнала"), m_state(state), m_main(mainForm) {
    setDesignedOuterSize(QSize(512, 379));
    move(758, 249);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = panel(this, "Panel1", 41);

    // The bottom panel comes before the page control in the layout's declarations.
    Panel2 = panel(this, "Panel2", 69);
    auto *bottom = new QHBoxLayout(Panel2);
    AddNoiseBitBtn = button(Panel2, "AddNoiseBitBtn", "Добавить шум", true);
    NoiseNmSuperSpin = floatField(Panel2, "NoiseNmSuperSpin");
    bottom->addWidget(AddNoiseBitBtn);
    bottom->addSpacing(12);
    bottom->addWidget(label(Panel2, "Амплитуда шума"));
    bottom->addWidget(NoiseNmSuperSpin);

    PageControl1 = declare(new QTabWidget(this));
    PageControl1->setObjectName("PageControl1");
    TabSheet1 = declare(new QWidget);
    TabSheet1->setObjectName("TabSheet1");
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName("TabSheet2");
    PageControl1->addTab(TabSheet1, "Экпоненты");
    auto *sheetLayout = new QVBoxLayout(TabSheet1);
    // Narrow margins: eight rows fit beside a title bar within the window's 379 px.
    sheetLayout->setContentsMargins(3, 3, 3, 3);
    auto *bevel = new QFrame(TabSheet1);
    bevel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    sheetLayout->addWidget(bevel);
    auto *grid = new QGridLayout(bevel);
    grid->setContentsMargins(6, 3, 6, 3);
    grid->setVerticalSpacing(2);
    Exp_F_NmSuperSpin = floatField(bevel, "Exp_F_NmSuperSpin");
    Exp_Phaze_NmSuperSpin = floatField(bevel, "Exp_Phaze_NmSuperSpin");
    Exp_Front_NmSuperSpin = floatField(bevel, "Exp_Front_NmSuperSpin");
    Exp_Time_NmSuperSpin = floatField(bevel, "Exp_Time_NmSuperSpin");
    Exp_Shift_NmSuperSpin = floatField(bevel, "Exp_Shift_NmSuperSpin");
    Exp_Am_NmSuperSpin = floatField(bevel, "Exp_Am_NmSuperSpin");
    const std::pair<const char *, TNmSuperSpin *> rows[] = {{"Частота ПЭП [МГц]", Exp_F_NmSuperSpin},
                                                            {"Амплитуда", Exp_Am_NmSuperSpin},
                                                            {"Фаза [град]", Exp_Phaze_NmSuperSpin},
                                                            {"Пост. времени фронта [мкс]", Exp_Front_NmSuperSpin},
                                                            {"Длительность возбуждения [мкс]", Exp_Time_NmSuperSpin},
                                                            {"Сдвиг сигнал [мкс]", Exp_Shift_NmSuperSpin}};
    int row = 0;
    for (const auto &[text, field] : rows) {
        QLabel *caption = label(bevel, QString::fromUtf8(text));
        if (field == Exp_Shift_NmSuperSpin) {
            QFont f = caption->font();
            f.setBold(true);
            caption->setFont(f);
        }
        grid->addWidget(caption, row, 0);
        grid->addWidget(field, row, 1);
        ++row;
    }
    Exp_Load_BitBtn = button(bevel, "Exp_Load_BitBtn", "Загрузить сигнал", true);
    AddSignalBitBtn = button(bevel, "AddSignalBitBtn", "Добавить сигнал со сдвигом", true);
    grid->addWidget(Exp_Load_BitBtn, row++, 0, 1, 2);
    grid->addWidget(AddSignalBitBtn, row, 0, 1, 2);
    PageControl1->addTab(TabSheet2, "TabSheet2");
    declare(TabSheet2);

    layout->addWidget(Panel1);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(Panel2);

    connect(AddSignalBitBtn, &QPushButton::clicked, this, &TSignalForm::AddSignalBitBtnClick);
    connect(Exp_Load_BitBtn, &QPushButton::clicked, this, &TSignalForm::Exp_Load_BitBtnClick);
    connect(AddNoiseBitBtn, &QPushButton::clicked, this, &TSignalForm::AddNoiseBitBtnClick);
}

ToneBurstParameters TSignalForm::burstParameters() const {
    ToneBurstParameters p;
    p.Amplitude = Exp_Am_NmSuperSpin->Value();
    p.Frequency = Exp_F_NmSuperSpin->Value();
    p.PhaseDeg = Exp_Phaze_NmSuperSpin->Value();
    p.FrontTimeConstant = Exp_Front_NmSuperSpin->Value();
    p.ExcitationTime = Exp_Time_NmSuperSpin->Value();
    p.Shift = Exp_Shift_NmSuperSpin->Value();
    return p;
}

void TSignalForm::addSignalAndDraw() {
    DisabledWhile disabled(AddSignalBitBtn);
    const double samplingFrequency = m_main.samplingFrequency();
    const ToneBurstParameters burst = burstParameters();
    AddSignal(m_state, burst, samplingFrequency);
    m_main.DrawBitBtnClick();
}

void TSignalForm::AddSignalBitBtnClick() {
    guard([&] { addSignalAndDraw(); });
}

void TSignalForm::Exp_Load_BitBtnClick() {
    guard([&] {
        DisabledWhile disabled(Exp_Load_BitBtn);
        m_state.SignalBuffer.fill(0.0);
        addSignalAndDraw();
    });
}

void TSignalForm::AddNoiseBitBtnClick() {
    guard([&] {
        AddNoise(m_state, NoiseNmSuperSpin->Value());
        m_main.DrawBitBtnClick();
    });
}

} // namespace pulsefir::ui
