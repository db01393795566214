#include "FilterUnit.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "core/filter_synthesis.h"
#include "ui/MainUnit.h"
#include "ui/widgets/numeric_text.h"

namespace pulsefir::ui {

namespace {
// The epoch and objective labels are repainted at most this often; the last values of a run
// are always shown. Painting them after each of 50 001 epochs would cost more than the search.
constexpr int ProgressRepaintMs = 40;
constexpr QRgb TapColor = qRgb(0, 0, 0);
} // namespace

TFilterForm::TFilterForm(CoreState &state, TMainForm &mainForm)
    : TForm("FilterForm", "Синтез фильтра"), m_state(state), m_main(mainForm) {
    setSizeable(false);
    move(200, 20);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // Top strip
    Panel1 = panel(this, "Panel1");
    auto *top = new QHBoxLayout(Panel1);
    label(Panel1, "Полуширина фильтра [точек]", "Label1");
    WINNmSpinEdit = integerField(Panel1, "WINNmSpinEdit");
    top->addWidget(findChild<QLabel *>("Label1"));
    top->addWidget(WINNmSpinEdit);
    top->addStretch(1);

    // Bottom band: the chart above its button row. Declared before the page control.
    Panel2 = declare(new QFrame(this));
    Panel2->setObjectName("Panel2");
    auto *band = new QVBoxLayout(Panel2);
    band->setContentsMargins(0, 0, 0, 0);
    Chart = declare(new TChart(Panel2));
    Chart->setAxisCaptions("отвод", QString());
    Series1 = Chart->addSeries("Series1", Qt::lightGray);
    band->addWidget(Chart, 1);
    Panel5 = declare(new QFrame(Panel2));
    Panel5->setObjectName("Panel5");
    auto *buttons = new QHBoxLayout(Panel5);
    ViewFilterBitBtn = button(Panel5, "ViewFilterBitBtn", "Показать фильтр");
    PointsCheckBox = checkBox(Panel5, "PointsCheckBox", "Показать точки");
    ZoomUnDoButton = button(Panel5, "ZoomUnDoButton", "Отмена ZOOM-а");
    buttons->addWidget(ViewFilterBitBtn);
    buttons->addWidget(PointsCheckBox);
    buttons->addStretch(1);
    buttons->addWidget(ZoomUnDoButton);
    band->addWidget(Panel5);

    PageControl1 = declare(new QTabWidget(this));
    PageControl1->setObjectName("PageControl1");

    // Tab "Поиск"
    TabSheet1 = declare(new QWidget);
    TabSheet1->setObjectName("TabSheet1");
    auto *search = new QGridLayout(TabSheet1);
    const auto fieldRow = [&](int row, int column, const QString &text, const char *name, QWidget *field) {
        search->addWidget(label(TabSheet1, text, name), row, column);
        search->addWidget(field, row, column + 1);
    };
    Ar1_NmSuperSpin = floatField(TabSheet1, "Ar1_NmSuperSpin");
    Tr1_NmSuperSpin = floatField(TabSheet1, "Tr1_NmSuperSpin");
    RandomNmSuperSpin = floatField(TabSheet1, "RandomNmSuperSpin", TNumberFormat::Scientific);
    EpochNmSpinEdit = integerField(TabSheet1, "EpochNmSpinEdit");
    fieldRow(0, 0, "Амплитуда пика", "Label2", Ar1_NmSuperSpin);
    fieldRow(1, 0, "Длительность пика [мкс]", "Label3", Tr1_NmSuperSpin);
    fieldRow(2, 0, "Случайные приращения", "Label4", RandomNmSuperSpin);
    fieldRow(3, 0, "Количество эпох", "Label5", EpochNmSpinEdit);
    RadioGroup1 = radioGroup(TabSheet1, "RadioGroup1", "Вид начального фильтра", {"ноль", "Дельта импульс"});
    ResponseRadioGroup = radioGroup(TabSheet1, "ResponseRadioGroup", "Желаемый отклик",
                                    {"Полуволна COS", "2 полуволны COS 0,3:1", "2 полуволны COC 0,3:1 симм."});
    search->addWidget(ResponseRadioGroup, 0, 2, 3, 1);
    search->addWidget(RadioGroup1, 3, 2, 2, 1);
    StartBitBtn = button(TabSheet1, "StartBitBtn", "Загрузить начальный фильтр");
    Serch1_BitBtn = button(TabSheet1, "Serch1_BitBtn", "Поиск фильтра", true);
    Break1_BitBtn = button(TabSheet1, "Break1_BitBtn", "Прервать");
    EpochLabel = label(TabSheet1, "Эпоха XXXX", "EpochLabel");
    AimLabel = label(TabSheet1, "Целевая функция", "AimLabel");
    search->addWidget(StartBitBtn, 5, 0, 1, 2);
    search->addWidget(Serch1_BitBtn, 6, 0);
    search->addWidget(Break1_BitBtn, 6, 1);
    search->addWidget(EpochLabel, 7, 0, 1, 3);
    search->addWidget(AimLabel, 8, 0, 1, 3);
    search->setRowStretch(9, 1);
    PageControl1->addTab(TabSheet1, "Поиск");

    // Tab "Загрузка"
    TabSheet2 = declare(new QWidget);
    TabSheet2->setObjectName("TabSheet2");
    auto *synthesis = new QGridLayout(TabSheet2);
    F0_NmSuperSpin = floatField(TabSheet2, "F0_NmSuperSpin");
    DF_NmSuperSpin = floatField(TabSheet2, "DF_NmSuperSpin");
    FilterTypeRadioGroup =
        radioGroup(TabSheet2, "FilterTypeRadioGroup", "Тип фильтра", {"Прямоугольный ", "Линейный ", "SIN"});
    WinTypeRadioGroup = radioGroup(TabSheet2, "WinTypeRadioGroup", "Оконная функция",
                                   {"НЕТ!", "Барлетт", "Хеннинг", "Хемминг", "Блакмен", "COS", "COS^2"});
    K_NmSuperSpin = floatField(TabSheet2, "K_NmSuperSpin");
    PhazeShiftNmSpinEdit = integerField(TabSheet2, "PhazeShiftNmSpinEdit");
    synthesis->addWidget(label(TabSheet2, "Центральная частота [МГц]", "Label6"), 0, 0);
    synthesis->addWidget(F0_NmSuperSpin, 0, 1);
    synthesis->addWidget(label(TabSheet2, "Смещение пиков [МГц]", "Label7"), 1, 0);
    synthesis->addWidget(DF_NmSuperSpin, 1, 1);
    synthesis->addWidget(label(TabSheet2, "Коэффициент передачи", "Label8"), 2, 0);
    synthesis->addWidget(K_NmSuperSpin, 2, 1);
    synthesis->addWidget(label(TabSheet2, "Фазовый сдвиг [град]", "Label9"), 3, 0);
    synthesis->addWidget(PhazeShiftNmSpinEdit, 3, 1);
    synthesis->addWidget(FilterTypeRadioGroup, 4, 0, 1, 2);
    synthesis->addWidget(WinTypeRadioGroup, 0, 2, 6, 1);
    SynthesizeBitBtn = button(TabSheet2, "SynthesizeBitBtn", "Синтезировать фильтр", true);
    synthesis->addWidget(SynthesizeBitBtn, 5, 0, 1, 2);
    synthesis->setRowStretch(6, 1);
    PageControl1->addTab(TabSheet2, "Загрузка");
    PageControl1->setCurrentWidget(TabSheet2); // the window opens on "Загрузка"

    layout->addWidget(Panel1);
    layout->addWidget(PageControl1);
    layout->addWidget(Panel2, 1);
    // A fixed dialog border around a 566 x 771 client area.
    setFixedSize(566, 771);

    connect(SynthesizeBitBtn, &QPushButton::clicked, this, &TFilterForm::SynthesizeBitBtnClick);
    connect(Serch1_BitBtn, &QPushButton::clicked, this, &TFilterForm::Serch1_BitBtnClick);
    connect(Break1_BitBtn, &QPushButton::clicked, this, &TFilterForm::Break1_BitBtnClick);
    connect(StartBitBtn, &QPushButton::clicked, this, &TFilterForm::StartBitBtnClick);
    connect(ViewFilterBitBtn, &QPushButton::clicked, this, &TFilterForm::ViewFilterBitBtnClick);
    connect(PointsCheckBox, &QCheckBox::toggled, this, &TFilterForm::PointsCheckBoxClick);
    connect(ZoomUnDoButton, &QPushButton::clicked, this, &TFilterForm::ZoomUnDoButtonClick);
}

void TFilterForm::SynthesizeBitBtnClick() {
    guard([&] {
        DisabledWhile disabled(SynthesizeBitBtn);
        FilterSynthesisParameters p;
        p.FilterHalfWidth = WINNmSpinEdit->Value();
        p.K = K_NmSuperSpin->Value();
        const double samplingFrequency = m_main.samplingFrequency();
        p.F0 = F0_NmSuperSpin->Value();
        p.DF = DF_NmSuperSpin->Value();
        p.PhazeShift = PhazeShiftNmSpinEdit->Value();
        p.FilterType = FilterTypeRadioGroup->ItemIndex();
        p.WinType = WinTypeRadioGroup->ItemIndex();
        SynthesizeFilter(m_state, p, samplingFrequency);
        ViewFilterBitBtnClick();
    });
}

void TFilterForm::Serch1_BitBtnClick() {
    if (m_searching)
        return; // searches never nest
    guard([&] {
        DisabledWhile disabled(Serch1_BitBtn);
        m_searching = true;
        struct Done {
            TFilterForm *form;
            ~Done() {
                form->m_searching = false;
                form->showProgress(true);
            }
        } done{this};
        const double samplingFrequency = m_main.samplingFrequency();
        ResponseParameters r;
        r.Ar1 = Ar1_NmSuperSpin->Value();
        r.Tr1 = Tr1_NmSuperSpin->Value();
        r.ResponseShape = ResponseRadioGroup->ItemIndex();
        const int n = WINNmSpinEdit->Value();
        m_sinceShown.invalidate();
        m_epoch = 0;
        SearchFilter(m_state, r, samplingFrequency, n, *this);
    });
}

void TFilterForm::Break1_BitBtnClick() {
    StopSearch(m_state);
}

void TFilterForm::StartBitBtnClick() {
    LoadStartFilter(m_state, RadioGroup1->ItemIndex());
}

void TFilterForm::ViewFilterBitBtnClick() {
    Series1->ClearPoints();
    const int n = UsableFilterHalfWidth(m_state.FilterHalfWidth);
    for (int j = -n; j <= n; ++j)
        Series1->AddPoint(j, m_state.FilterBuffer[j], QColor(TapColor));
    PointsCheckBoxClick();
}

void TFilterForm::PointsCheckBoxClick() {
    for (int s = 0; s < Chart->SeriesCount(); ++s)
        Chart->Series(s)->setPointerVisible(PointsCheckBox->isChecked());
}

void TFilterForm::ZoomUnDoButtonClick() {
    Chart->UndoZoom();
}

void TFilterForm::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TFilterForm::ShowEpoch(std::int32_t epoch) {
    m_epoch = epoch;
}

double TFilterForm::RandomStep() {
    return RandomNmSuperSpin->Value();
}

void TFilterForm::ShowBestObjective(long double best) {
    m_best = best;
    showProgress(false);
}

std::int32_t TFilterForm::EpochLimit() {
    return EpochNmSpinEdit->Value();
}

void TFilterForm::showProgress(bool force) {
    if (m_epoch == 0)
        return;
    if (!force && m_sinceShown.isValid() && m_sinceShown.elapsed() < ProgressRepaintMs)
        return;
    m_sinceShown.start();
    EpochLabel->setText("Эпоха " + QString::number(m_epoch));
    const char decimal = NumberSeparators::current().decimal.toLatin1();
    AimLabel->setText("Целевая функция " + QString::fromStdString(FormatObjective(m_best, decimal ? decimal : '.')));
}

} // namespace pulsefir::ui
