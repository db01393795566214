#include "FilterUnit.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cmath>
#include <sstream>

#include "base/file.h"
#include "base/messages.h"
#include "base/number_text.h"
#include "core/errors.h"
#include "core/filter_synthesis.h"
#include "core/fixed_point_filter.h"
#include "core/least_squares.h"
#include "core/least_squares_set.h"
#include "core/word_length_search.h"
#include "io/coefficient_writer.h"
#include "io/hdl_writer.h"
#include "io/tap_reader.h"
#include "project/path_set.h"
#include "project/settings_conversions.h"
#include "project/window_placement.h"
#include "ui/MainUnit.h"
#include "ui/SignalUnit.h"
#include "ui/widgets/numeric_text.h"
#include "ui/widgets/table_text.h"

namespace pulsefir::ui {

namespace {
// A setting of this window, found while the program compiles.
consteval const project::SettingDefinition &setting(std::string_view key) {
    return project::setting("FilterForm", key);
}
} // namespace

namespace {
// The epoch and objective labels are repainted at most this often; the last values of a run
// are always shown. Painting them after each of 50 001 epochs would cost more than the search.
constexpr int ProgressRepaintMs = 40;
constexpr QRgb TapColor = qRgb(0, 0, 0);
// The convergence chart is redrawn at most this often during a search, and at its end.
constexpr int ConvergenceRepaintMs = 100;
constexpr QRgb ConvergenceColor = qRgb(0, 0, 160);
constexpr QRgb SnrColor = qRgb(0, 0, 160);
constexpr QRgb SideLevelColor = qRgb(200, 0, 0);
constexpr QRgb DurationColor = qRgb(0, 140, 0);
constexpr int BitsPanelHeight = 130; // px, the width table and its chart
constexpr int FixedPointDigits = 4;  // significant digits of the error figures

// This window's results in the stale marks.
constexpr int NoteLines = 2; // of the note under the filter chart

const std::string SearchReport = "FilterForm.Search";
const std::string LeastSquaresReport = "FilterForm.LeastSquares";
const std::string PulseFitReport = "FilterForm.PulseFitTable";
const std::string FixedPointReport = "FilterForm.FixedPoint";
const std::string BitsReport = "FilterForm.BitsTable";
const std::string HdlReport = "FilterForm.Hdl";
const QString StaleMark = QString::fromUtf8(StaleMarkText);

// A report label with or without the mark, its note as the tooltip.
void markLabel(QLabel *label, bool stale, const QString &note) {
    QString text = label->text();
    if (text.endsWith(StaleMark))
        text.chop(StaleMark.size());
    label->setText(stale ? text + StaleMark : text);
    label->setToolTip(note);
}
} // namespace

TFilterForm::TFilterForm(core::CoreState &state, TMainForm &mainForm)
    : TForm("FilterForm", "Синтез фильтра"), m_state(state), m_main(mainForm) {
    setSizeable(false);
    setOuterGeometry(rectOf(project::designedPlacement("FilterForm").frame), false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // Top strip
    Panel1 = panel(this, "Panel1");
    auto *top = new QHBoxLayout(Panel1);
    label(Panel1, "Полуширина фильтра [точек]", "Label1");
    WINNmSpinEdit = integerField(Panel1, setting("WINNmSpinEdit"));
    top->addWidget(findChild<QLabel *>("Label1"));
    top->addWidget(WINNmSpinEdit);
    top->addStretch(1);

    // Bottom band: the chart above its button row. Declared before the page control.
    Panel2 = declare(new QFrame(this));
    Panel2->setObjectName("Panel2");
    auto *band = new QVBoxLayout(Panel2);
    band->setContentsMargins(0, 0, 0, 0);
    Chart = declare(new widgets::TChart(Panel2));
    Chart->setAxisCaptions("отвод", QString());
    Series1 = Chart->addSeries("Series1", Qt::lightGray);
    Chart->setCsvXHeader("Отвод");
    Series1->setCaption("Фильтр");
    band->addWidget(Chart, 1);
    Panel5 = declare(new QFrame(Panel2));
    Panel5->setObjectName("Panel5");
    auto *buttons = new QHBoxLayout(Panel5);
    ViewFilterBitBtn = button(Panel5, "ViewFilterBitBtn", "Показать фильтр");
    PointsCheckBox = checkBox(Panel5, setting("PointsCheckBox"), "Показать точки");
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
    Ar1_NmSuperSpin = floatField(TabSheet1, setting("Ar1_NmSuperSpin"));
    Tr1_NmSuperSpin = floatField(TabSheet1, setting("Tr1_NmSuperSpin"));
    RandomNmSuperSpin = floatField(TabSheet1, setting("RandomNmSuperSpin"), widgets::TNumberFormat::Scientific);
    EpochNmSpinEdit = integerField(TabSheet1, setting("EpochNmSpinEdit"));
    fieldRow(0, 0, "Амплитуда пика", "Label2", Ar1_NmSuperSpin);
    fieldRow(1, 0, "Длительность пика [мкс]", "Label3", Tr1_NmSuperSpin);
    fieldRow(2, 0, "Случайные приращения", "Label4", RandomNmSuperSpin);
    fieldRow(3, 0, "Количество эпох", "Label5", EpochNmSpinEdit);
    RadioGroup1 = radioGroup(TabSheet1, setting("RadioGroup1"), "Вид начального фильтра", {"ноль", "Дельта импульс"});
    ResponseRadioGroup = radioGroup(TabSheet1, setting("ResponseRadioGroup"), "Желаемый отклик",
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
    F0_NmSuperSpin = floatField(TabSheet2, setting("F0_NmSuperSpin"));
    DF_NmSuperSpin = floatField(TabSheet2, setting("DF_NmSuperSpin"));
    FilterTypeRadioGroup =
        radioGroup(TabSheet2, setting("FilterTypeRadioGroup"), "Тип фильтра", {"Прямоугольный ", "Линейный ", "SIN"});
    WinTypeRadioGroup = radioGroup(TabSheet2, setting("WinTypeRadioGroup"), "Оконная функция",
                                   {"НЕТ!", "Барлетт", "Хеннинг", "Хемминг", "Блакмен", "COS", "COS^2"});
    K_NmSuperSpin = floatField(TabSheet2, setting("K_NmSuperSpin"));
    PhazeShiftNmSpinEdit = integerField(TabSheet2, setting("PhazeShiftNmSpinEdit"));
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
    // Least-squares design, on "Поиск" below the search's own controls. Declared after every
    // earlier component, so its field's key follows theirs in the project file.
    RegularizationNmSuperSpin =
        floatField(TabSheet1, setting("RegularizationNmSuperSpin"), widgets::TNumberFormat::Scientific);
    LeastSquaresBitBtn = button(TabSheet1, "LeastSquaresBitBtn", "МНК-фильтр", true);
    search->addWidget(label(TabSheet1, "Регуляризация МНК", "Label10"), 9, 0);
    search->addWidget(RegularizationNmSuperSpin, 9, 1);
    search->addWidget(LeastSquaresBitBtn, 10, 0, 1, 2);
    search->setRowStretch(9, 0);
    search->setRowStretch(11, 1);

    // Tab "Сходимость": log10 of the best objective against the epoch of the last search.
    TabSheet3 = declare(new QWidget);
    TabSheet3->setObjectName("TabSheet3");
    auto *convergence = new QVBoxLayout(TabSheet3);
    convergence->addWidget(label(TabSheet3, "lg(целевая функция) по эпохам последнего поиска", "Label11"));
    ConvergenceChart = declare(new widgets::TChart(TabSheet3));
    ConvergenceChart->setObjectName("ConvergenceChart");
    ConvergenceSeries = ConvergenceChart->addSeries("ConvergenceSeries", Qt::darkBlue);
    ConvergenceSeries->setPointerVisible(false);
    ConvergenceSeries->setCaption("lg(целевая функция)");
    ConvergenceChart->setAxisCaptions("эпоха", "lg(целевая функция)");
    ConvergenceChart->setCsvXHeader("Эпоха");
    convergence->addWidget(ConvergenceChart, 1); // the chart takes the tab, the caption its line
    PageControl1->addTab(TabSheet3, "Сходимость");

    // A fixed dialog border around a 566 x 771 client area.
    setFixedSize(566, 771);

    connect(SynthesizeBitBtn, &QPushButton::clicked, this, &TFilterForm::SynthesizeBitBtnClick);
    connect(Serch1_BitBtn, &QPushButton::clicked, this, &TFilterForm::Serch1_BitBtnClick);
    connect(Break1_BitBtn, &QPushButton::clicked, this, &TFilterForm::Break1_BitBtnClick);
    connect(StartBitBtn, &QPushButton::clicked, this, &TFilterForm::StartBitBtnClick);
    connect(ViewFilterBitBtn, &QPushButton::clicked, this, &TFilterForm::ViewFilterBitBtnClick);
    connect(PointsCheckBox, &QCheckBox::toggled, this, &TFilterForm::PointsCheckBoxClick);
    connect(ZoomUnDoButton, &QPushButton::clicked, this, &TFilterForm::ZoomUnDoButtonClick);
    connect(LeastSquaresBitBtn, &QPushButton::clicked, this, &TFilterForm::LeastSquaresBitBtnClick);

    buildExport();
    buildPulseSet();
    buildHardware();
    buildPathSet();

    LeastSquaresLabel = label(TabSheet1, QString(), "LeastSquaresLabel");
    search->addWidget(LeastSquaresLabel, 10, 2);
}

void TFilterForm::buildHardware() {
    // Declared after every earlier control, so the project file keeps its old keys first.
    TabSheet5 = declare(new QWidget);
    TabSheet5->setObjectName("TabSheet5");
    auto *grid = new QGridLayout(TabSheet5);
    AdcBitsNmSpinEdit = integerField(TabSheet5, setting("AdcBitsNmSpinEdit"));
    AdcFullScaleNmSuperSpin = floatField(TabSheet5, setting("AdcFullScaleNmSuperSpin"));
    OutBitsNmSpinEdit = integerField(TabSheet5, setting("OutBitsNmSpinEdit"));
    RoundingRadioGroup = radioGroup(TabSheet5, setting("RoundingRadioGroup"), "Округление",
                                    {"отбрасывание", "к ближайшему", "к ближайшему чётному"});
    OutShiftAutoCheckBox = checkBox(TabSheet5, setting("OutShiftAutoCheckBox"), "авто");
    OutShiftNmSpinEdit = integerField(TabSheet5, setting("OutShiftNmSpinEdit"));
    LatencyNmSpinEdit = integerField(TabSheet5, setting("LatencyNmSpinEdit"));
    AdcFullScaleBitBtn = button(TabSheet5, "AdcFullScaleBitBtn", "По сигналу");
    AdcFullScaleBitBtn->setToolTip("Полная шкала АЦП := наибольший модуль сигнала");
    LatencyNmSpinEdit->setToolTip("МНК-фильтр смотрит вперёд не более чем на столько отсчётов; 0 — причинный");
    FixedPointBitBtn = button(TabSheet5, "FixedPointBitBtn", "Расчет в фикс. точке", true);
    FitBitsBitBtn = button(TabSheet5, "FitBitsBitBtn", "Подобрать разрядность");
    FixedPointLabel = label(TabSheet5, QString(), "FixedPointLabel");
    LatencyLabel = label(TabSheet5, QString(), "LatencyLabel");
    FixedPointLabel->setWordWrap(true);
    FixedPointLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    int row = 0;
    for (const auto &[text, name, field] :
         {std::tuple<const char *, const char *, QWidget *>{"Разрядность АЦП [бит]", "Label20", AdcBitsNmSpinEdit},
          {"Полная шкала АЦП", "Label21", AdcFullScaleNmSuperSpin},
          {"Разрядность выхода [бит]", "Label22", OutBitsNmSpinEdit},
          {"Сдвиг выхода [бит]", "Label23", OutShiftNmSpinEdit},
          {"Задержка фильтра [отсчётов]", "Label24", LatencyNmSpinEdit}}) {
        grid->addWidget(label(TabSheet5, text, name), row, 0);
        grid->addWidget(field, row, 1);
        ++row;
    }
    grid->addWidget(AdcFullScaleBitBtn, 1, 2);
    grid->addWidget(OutShiftAutoCheckBox, 3, 2);
    grid->addWidget(RoundingRadioGroup, 0, 3, 3, 1);
    grid->addWidget(FixedPointBitBtn, 3, 3);
    grid->addWidget(FitBitsBitBtn, 4, 3);
    grid->addWidget(
        label(TabSheet5, "Разрядность коэффициентов — поле «Разрядность .coe [бит]» под графиком", "Label25"), 5, 0, 1,
        4);
    grid->addWidget(LatencyLabel, 6, 0, 1, 4);
    grid->addWidget(FixedPointLabel, 7, 0, 1, 4);

    // The width search's table and curves, side by side.
    auto *bits = new QHBoxLayout;
    BitsTable = new QTableWidget(0, 5, TabSheet5); // a result, not stored in projects
    BitsTable->setObjectName("BitsTable");
    BitsTable->setHorizontalHeaderLabels({"Бит", "ОСШ [дБ]", "Бок. [дБ]", "Длит. [мкс]", "Годится"});
    BitsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    widgets::keepCellsOnOneLine(BitsTable);
    BitsTable->verticalHeader()->setVisible(false);
    BitsTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    BitsTable->setMinimumHeight(BitsPanelHeight);
    BitsChart = declare(new widgets::TChart(TabSheet5));
    BitsChart->setObjectName("BitsChart");
    BitsChart->setAxisCaptions("бит", QString());
    BitsChart->setCsvXHeader("Бит");
    SnrSeries = BitsChart->addSeries("SnrSeries", QColor(SnrColor));
    SnrSeries->setCaption("ОСШ [дБ]");
    SideLevelSeries = BitsChart->addSeries("SideLevelSeries", QColor(SideLevelColor));
    SideLevelSeries->setCaption("Боковые лепестки [дБ]");
    DurationSeries = BitsChart->addSeries("DurationSeries", QColor(DurationColor));
    DurationSeries->setCaption("Отклонение длительности [%]");
    BitsChart->setMinimumHeight(BitsPanelHeight);
    // The table as wide as its columns (a scroll bar beside them), the curves take the rest.
    int tableWidth = 2 * BitsTable->frameWidth() + BitsTable->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < BitsTable->columnCount(); ++c)
        tableWidth += BitsTable->horizontalHeader()->sectionSizeHint(c);
    BitsTable->setMinimumWidth(tableWidth);
    BitsLabel = label(TabSheet5, "Подбор разрядности", "BitsLabel");
    auto *table = new QVBoxLayout;
    table->addWidget(BitsLabel);
    table->addWidget(BitsTable, 1);
    bits->addLayout(table);
    bits->addWidget(BitsChart, 1);
    grid->addLayout(bits, 8, 0, 1, 4);
    grid->setRowStretch(8, 1);
    PageControl1->addTab(TabSheet5, "Аппаратная реализация");

    connect(FixedPointBitBtn, &QPushButton::clicked, this, &TFilterForm::FixedPointBitBtnClick);
    connect(FitBitsBitBtn, &QPushButton::clicked, this, &TFilterForm::FitBitsBitBtnClick);
    connect(AdcFullScaleBitBtn, &QPushButton::clicked, this, &TFilterForm::AdcFullScaleBitBtnClick);
    connect(OutShiftAutoCheckBox, &QCheckBox::toggled, this, &TFilterForm::OutShiftAutoCheckBoxClick);
    OutShiftAutoCheckBoxClick();
    buildHdlExport(grid);
}

void TFilterForm::buildHdlExport(QGridLayout *grid) {
    ExportHdlBitBtn = button(TabSheet5, "ExportHdlBitBtn", "Экспорт HDL…");
    ExportHdlBitBtn->setToolTip("Verilog и VHDL целочисленного фильтра с самопроверяющими тестами в папку");
    HdlLabel = label(TabSheet5, QString(), "HdlLabel");
    HdlLabel->setWordWrap(true);
    HdlLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Under the width search's table and curves (row 8), which keep the room that is left.
    grid->addWidget(ExportHdlBitBtn, 9, 0);
    grid->addWidget(HdlLabel, 9, 1, 1, 3);
    HdlDialog.kind = widgets::FileDialogRequest::Kind::Folder;
    HdlDialog.title = "Экспорт HDL: папка";
    HdlDialog.initialDirectory = QDir::toNativeSeparators(QDir::homePath() + "/");
    connect(ExportHdlBitBtn, &QPushButton::clicked, this, &TFilterForm::ExportHdlBitBtnClick);
}

void TFilterForm::showHdlResources(const io::HdlDesign &d) {
    const auto count = [](int n) { return QString::fromStdString(base::formatInteger(n)); };
    HdlLabel->setText(QString("Аппаратная реализация: умножителей %1, сумматоров %2, регистров %3 бит; "
                              "задержка %4 тактов = %5 мкс")
                          .arg(count(d.multipliers), count(d.adders), count(d.registerBits), count(d.latency),
                               widgets::significantText(d.latency / m_main.samplingFrequency(), FixedPointDigits)));
}

void TFilterForm::ExportHdlBitBtnClick() {
    const auto chosen = widgets::chooseFile(this, HdlDialog);
    if (!chosen)
        return;
    HdlDialog.initialDirectory = *chosen;
    guard([&] { exportHdlTo(*chosen); });
}

void TFilterForm::exportHdlTo(const QString &folder) {
    const io::HdlExport e =
        io::hdlExportOf(m_state, m_main.samplingFrequency(), project::fixedPoint(fixedPointSettings()));
    showHdlResources(io::writeHdl(QFile::encodeName(folder).toStdString(), e.filter, e.signal));
    m_main.staleMarks().computed(HdlReport, m_main.currentPrints());
    m_main.refreshStaleMarks();
}

void TFilterForm::OutShiftAutoCheckBoxClick() {
    OutShiftNmSpinEdit->setEnabled(!OutShiftAutoCheckBox->isChecked());
}

void TFilterForm::AdcFullScaleBitBtnClick() {
    // Every sample the integer filter reads: -(N + M)..+(N + M).
    const int n = std::min(core::usableSignalHalfWidth(m_state.SignalHalfWidth) +
                               std::max(core::usableFilterHalfWidth(m_state.FilterHalfWidth), 0),
                           core::MaxSignalHalfWidth);
    double largest = 0.0;
    for (double x : m_state.SignalBuffer.range(n))
        largest = std::max(largest, std::abs(x));
    if (largest > 0.0)
        AdcFullScaleNmSuperSpin->setValue(largest);
}

void TFilterForm::FixedPointBitBtnClick() {
    guard([&] {
        DisabledWhile disabled(FixedPointBitBtn);
        const project::FilterSettings s = fixedPointSettings();
        const core::FixedPointOutcome outcome = core::calcFixedOut(m_state, project::fixedPoint(s));
        if (s.outShiftAuto)
            OutShiftNmSpinEdit->setValue(outcome.Run.shift);
        const int fraction = outcome.Run.taps.scale + s.adcBits - 1 - outcome.Run.shift;
        const core::FixedPointError &e = outcome.Error;
        FixedPointLabel->setText(
            QString("F = %1, S = %2; выход %3 бит, МЗР = FS·2^%4. ОСШ %5 дБ, наибольшая ошибка %6, "
                    "насыщено отсчётов: %7")
                .arg(widgets::integerText(outcome.Run.taps.scale))
                .arg(widgets::integerText(outcome.Run.shift))
                .arg(widgets::integerText(s.outBits))
                .arg(widgets::integerText(-fraction))
                .arg(std::isinf(e.snrDb) ? QString("∞") : widgets::significantText(e.snrDb, FixedPointDigits))
                .arg(widgets::significantText(e.largestError, FixedPointDigits))
                .arg(widgets::integerText(e.saturated)));
        showHdlResources(io::planHdl(io::hdlFilterOf(outcome.Run, project::fixedPoint(s))));
        m_fixedPointLabelFromSearch = false;
        m_main.CheckBox4->setChecked(true);
        m_main.refreshChart();
        // After the chosen shift went into its field: the prints this run stands for.
        const SourcePrints now = m_main.currentPrints();
        m_main.staleMarks().computed(FixedPointReport, now);
        m_main.staleMarks().computed(HdlReport, now);
        m_main.refreshStaleMarks();
    });
}

void TFilterForm::FitBitsBitBtnClick() {
    guard([&] {
        DisabledWhile disabled(FitBitsBitBtn);
        const core::WordLengthSearch search =
            core::searchTapBits(m_state, project::fixedPoint(fixedPointSettings()), m_main.samplingFrequency());
        BitsTable->setRowCount(static_cast<int>(search.Points.size()));
        for (widgets::TLineSeries *series : {SnrSeries, SideLevelSeries, DurationSeries})
            series->clearPoints();
        for (int r = 0; r < static_cast<int>(search.Points.size()); ++r) {
            const core::WordLengthPoint &p = search.Points[static_cast<std::size_t>(r)];
            using widgets::Quantity;
            widgets::setQuantityCell(BitsTable, r, 0, p.TapBits, Quantity::Count);
            widgets::setQuantityCell(BitsTable, r, 1, p.SnrDb, Quantity::Decibels);
            widgets::setQuantityCell(BitsTable, r, 2, p.SideLevelDb, Quantity::Decibels);
            widgets::setQuantityCell(BitsTable, r, 3, p.Duration20dB, Quantity::Microseconds);
            widgets::setTableText(BitsTable, r, 4, p.Qualifies ? "да" : "нет");
            if (std::isfinite(p.SnrDb))
                SnrSeries->addPoint(p.TapBits, p.SnrDb, QColor(SnrColor));
            if (p.SideLevelDb)
                SideLevelSeries->addPoint(p.TapBits, *p.SideLevelDb, QColor(SideLevelColor));
            if (p.Duration20dB && search.Duration20dB && *search.Duration20dB > 0)
                DurationSeries->addPoint(p.TapBits, 100.0 * (*p.Duration20dB / *search.Duration20dB - 1.0),
                                         QColor(DurationColor));
        }
        BitsChart->repaintNow();
        m_fixedPointLabelFromSearch = true;
        if (search.Chosen < 0) {
            FixedPointLabel->setText(QString::fromStdString(base::Message::noTapWidthQualifies()));
        } else {
            const int bits = search.Points[static_cast<std::size_t>(search.Chosen)].TapBits;
            CoeBitsNmSpinEdit->setValue(bits);
            BitsTable->selectRow(search.Chosen);
            FixedPointLabel->setText(QString("Разрядность коэффициентов: %1 бит").arg(widgets::integerText(bits)));
        }
        m_main.staleMarks().computed(BitsReport, m_main.currentPrints());
        m_main.refreshStaleMarks();
    });
}

void TFilterForm::buildPathSet() {
    // Declared after every earlier control, so the project file keeps its old keys first.
    QWidget *panel = TabSheet4->PathSetPanel;
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(1);
    PathSetDistanceFromNmSuperSpin = floatField(panel, setting("PathSetDistanceFromNmSuperSpin"));
    PathSetDistanceToNmSuperSpin = floatField(panel, setting("PathSetDistanceToNmSuperSpin"));
    PathSetDistanceCountNmSpinEdit = integerField(panel, setting("PathSetDistanceCountNmSpinEdit"));
    PathSetTemperatureFromNmSuperSpin = floatField(panel, setting("PathSetTemperatureFromNmSuperSpin"));
    PathSetTemperatureToNmSuperSpin = floatField(panel, setting("PathSetTemperatureToNmSuperSpin"));
    PathSetTemperatureCountNmSpinEdit = integerField(panel, setting("PathSetTemperatureCountNmSpinEdit"));
    PathSetHumidityFromNmSuperSpin = floatField(panel, setting("PathSetHumidityFromNmSuperSpin"));
    PathSetHumidityToNmSuperSpin = floatField(panel, setting("PathSetHumidityToNmSuperSpin"));
    PathSetHumidityCountNmSpinEdit = integerField(panel, setting("PathSetHumidityCountNmSpinEdit"));
    SetCriterionRadioGroup =
        radioGroup(panel, setting("SetCriterionRadioGroup"), "Критерий набора", {"сумма", "наихудший импульс"});
    SetCriterionRadioGroup->arrangeInRow();
    SetCriterionRadioGroup->setToolTip("«наихудший импульс»: наименьшая наибольшая из невязок импульсов для расчёта "
                                       "(с регуляризацией)");
    grid->addWidget(label(panel, "Тракт"), 0, 0);
    grid->addWidget(label(panel, "от"), 0, 1);
    grid->addWidget(label(panel, "до"), 0, 2);
    grid->addWidget(label(panel, "число"), 0, 3);
    const std::tuple<const char *, widgets::TNmSuperSpin *, widgets::TNmSuperSpin *, widgets::TNmSpinEdit *> rows[] = {
        {"Расстояние [м]", PathSetDistanceFromNmSuperSpin, PathSetDistanceToNmSuperSpin,
         PathSetDistanceCountNmSpinEdit},
        {"Температура [°C]", PathSetTemperatureFromNmSuperSpin, PathSetTemperatureToNmSuperSpin,
         PathSetTemperatureCountNmSpinEdit},
        {"Влажность [%]", PathSetHumidityFromNmSuperSpin, PathSetHumidityToNmSuperSpin,
         PathSetHumidityCountNmSpinEdit}};
    int row = 1;
    for (const auto &[text, from, to, count] : rows) {
        grid->addWidget(label(panel, QString::fromUtf8(text)), row, 0);
        grid->addWidget(from, row, 1);
        grid->addWidget(to, row, 2);
        grid->addWidget(count, row++, 3);
    }
    grid->addWidget(SetCriterionRadioGroup, row, 0, 1, 4);

    TabSheet4->pathGrid = [this] { return project::pathSetGrid(pathSetSettings()); };
    TabSheet4->pathMember = [this](const project::PathConditions &conditions) {
        io::SetPulseData data;
        project::computePathMember(m_state, m_main.samplingFrequency(), m_main.signalForm()->pathSettings(), conditions,
                                   *data.samples);
        return data;
    };
}

project::FilterSettings TFilterForm::pathSetSettings() const {
    project::FilterSettings s;
    s.pathSetDistanceFrom = PathSetDistanceFromNmSuperSpin->value();
    s.pathSetDistanceTo = PathSetDistanceToNmSuperSpin->value();
    s.pathSetDistanceCount = PathSetDistanceCountNmSpinEdit->value();
    s.pathSetTemperatureFrom = PathSetTemperatureFromNmSuperSpin->value();
    s.pathSetTemperatureTo = PathSetTemperatureToNmSuperSpin->value();
    s.pathSetTemperatureCount = PathSetTemperatureCountNmSpinEdit->value();
    s.pathSetHumidityFrom = PathSetHumidityFromNmSuperSpin->value();
    s.pathSetHumidityTo = PathSetHumidityToNmSuperSpin->value();
    s.pathSetHumidityCount = PathSetHumidityCountNmSpinEdit->value();
    return s;
}

void TFilterForm::attachStaleMarks() {
    StaleMarks &marks = m_main.staleMarks();
    // The search's objective is that of the filter it left, against the desired response over
    // the signal; the least-squares design also read the set.
    marks.define(SearchReport,
                 {ResultSource::Signal, ResultSource::Filter, ResultSource::Response, ResultSource::SamplingFrequency});
    const std::vector<ResultSource> design = {ResultSource::Signal, ResultSource::Filter, ResultSource::Response,
                                              ResultSource::SamplingFrequency, ResultSource::PulseSet};
    marks.define(LeastSquaresReport, design);
    marks.define(PulseFitReport, design);
    m_main.addStaleMarker([this](const SourcePrints &now) {
        const StaleMarks &m = m_main.staleMarks();
        markLabel(AimLabel, m.stale(SearchReport, now), QString::fromStdString(m.note(SearchReport, now)));
        markLabel(LeastSquaresLabel, m.stale(LeastSquaresReport, now),
                  QString::fromStdString(m.note(LeastSquaresReport, now)));
        TabSheet4->markResult(m.stale(PulseFitReport, now), QString::fromStdString(m.note(PulseFitReport, now)));
        markLabel(LatencyLabel, m.stale(LeastSquaresReport, now),
                  QString::fromStdString(m.note(LeastSquaresReport, now)));
        // The label under the hardware fields tells the last of the integer run and the width search.
        const std::string &label = m_fixedPointLabelFromSearch ? BitsReport : FixedPointReport;
        markLabel(FixedPointLabel, m.stale(label, now), QString::fromStdString(m.note(label, now)));
        markLabel(HdlLabel, m.stale(HdlReport, now), QString::fromStdString(m.note(HdlReport, now)));
        const bool bitsStale = m.stale(BitsReport, now);
        markLabel(BitsLabel, bitsStale, QString::fromStdString(m.note(BitsReport, now)));
        BitsTable->setToolTip(BitsLabel->toolTip());
        greyCells(BitsTable, bitsStale);
    });
    connect(TabSheet4, &PulseSetTab::listChanged, &m_main, &TMainForm::refreshStaleMarks);
    // The integer filter's words are inputs of the hardware tab's results.
    for (QLineEdit *field : std::initializer_list<QLineEdit *>{
             AdcBitsNmSpinEdit, AdcFullScaleNmSuperSpin, OutBitsNmSpinEdit, OutShiftNmSpinEdit, CoeBitsNmSpinEdit})
        connect(field, &QLineEdit::textChanged, &m_main, &TMainForm::refreshStaleMarks);
    connect(RoundingRadioGroup, &widgets::TRadioGroup::itemIndexChanged, &m_main, &TMainForm::refreshStaleMarks);
    connect(OutShiftAutoCheckBox, &QCheckBox::toggled, &m_main, &TMainForm::refreshStaleMarks);
    // The recorded pulse's conditions are inputs of the set's path members.
    if (TSignalForm *signal = m_main.signalForm()) {
        for (QLineEdit *field :
             std::initializer_list<QLineEdit *>{signal->PathDistanceNmSuperSpin, signal->PathTemperatureNmSuperSpin,
                                                signal->PathHumidityNmSuperSpin, signal->PathPressureNmSuperSpin})
            connect(field, &QLineEdit::textChanged, &m_main, &TMainForm::refreshStaleMarks);
        connect(signal->PathSpreadingRadioGroup, &widgets::TRadioGroup::itemIndexChanged, &m_main,
                &TMainForm::refreshStaleMarks);
    }
    marks.define(FixedPointReport,
                 {ResultSource::Signal, ResultSource::Filter, ResultSource::HardwareWords, ResultSource::TapWords});
    marks.define(BitsReport, {ResultSource::Signal, ResultSource::Filter, ResultSource::SamplingFrequency,
                              ResultSource::HardwareWords});
    marks.define(HdlReport, {ResultSource::Filter, ResultSource::SamplingFrequency, ResultSource::HardwareWords,
                             ResultSource::TapWords});
}

void TFilterForm::buildPulseSet() {
    // Declared after every earlier control, so the project file keeps its old keys first.
    RegularizationAutoCheckBox = checkBox(TabSheet1, setting("RegularizationAutoCheckBox"), "авто");
    RegularizationAutoCheckBox->setToolTip("Выбрать регуляризацию по набору импульсов (обобщённая перекрёстная "
                                           "проверка) и записать её в поле");
    static_cast<QGridLayout *>(TabSheet1->layout())->addWidget(RegularizationAutoCheckBox, 9, 2);

    TabSheet4 = declare(new PulseSetTab);
    TabSheet4->setObjectName("TabSheet4");
    TabSheet4->requestFor = [this](const std::string &fileName) {
        return m_main.signalForm()->fileRequestFor(fileName);
    };
    TabSheet4->guard = [this](const std::function<void()> &handler) { guard(handler); };
    PageControl1->addTab(TabSheet4, "Набор импульсов");
    m_pulseSetSection = std::make_unique<project::PulseSetProjectSection>(
        [this] { return TabSheet4->list(); }, [this](const project::PulseSetList &list) { TabSheet4->setList(list); });
}

void TFilterForm::buildExport() {
    // Declared after every earlier control, so the project file keeps its old keys first.
    ExportFilterBitBtn = button(Panel5, "ExportFilterBitBtn", "Экспорт фильтра…");
    static_cast<QHBoxLayout *>(Panel5->layout())->insertWidget(1, ExportFilterBitBtn);

    Panel6 = declare(new QFrame(Panel2));
    Panel6->setObjectName("Panel6");
    auto *row = new QHBoxLayout(Panel6);
    row->setContentsMargins(6, 0, 6, 4);
    CoeBitsNmSpinEdit = integerField(Panel6, setting("CoeBitsNmSpinEdit"));
    CoeBitsNmSpinEdit->setMaximumWidth(60);
    QuantisationLabel = label(Panel6, QString(), "QuantisationLabel");
    QuantisationLabel->setWordWrap(true);
    // A note of any length keeps to two lines, so that the chart above keeps its room; the whole
    // note is its tooltip.
    QuantisationLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QuantisationLabel->setFixedHeight(NoteLines * QuantisationLabel->fontMetrics().lineSpacing());
    QuantisationLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    row->addWidget(label(Panel6, "Разрядность .coe [бит]"));
    row->addWidget(CoeBitsNmSpinEdit);
    row->addWidget(QuantisationLabel, 1);
    static_cast<QVBoxLayout *>(Panel2->layout())->addWidget(Panel6);

    Chart->popupMenu()->addSeparator();
    ExportFilterN10 = Chart->popupMenu()->addAction("Экспорт фильтра…");
    ExportFilterN10->setObjectName("ExportFilterN10");

    ExportDialog.kind = widgets::FileDialogRequest::Kind::Save;
    ExportDialog.title = "Экспорт фильтра";
    ExportDialog.fileName = "filter.h";
    ExportDialog.filter = "Заголовок C (*.h);;FPGA COE (*.coe);;CSV (*.csv);;Текст (*.txt);;NumPy (*.npy);;"
                          "Octave/MATLAB (*.m)";
    ExportDialog.defaultSuffix = "h";
    // Like the program's other dialogs, it starts in the program's own folder.
    ExportDialog.initialDirectory = QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + "/");

    connect(ExportFilterBitBtn, &QPushButton::clicked, this, &TFilterForm::ExportFilterBitBtnClick);
    connect(ExportFilterN10, &QAction::triggered, this, &TFilterForm::ExportFilterBitBtnClick);

    // After the existing controls: the taps of a file brought back as the filter.
    LoadFilterBitBtn = button(Panel6, "LoadFilterBitBtn", "Загрузить фильтр из файла…");
    static_cast<QHBoxLayout *>(Panel6->layout())->addWidget(LoadFilterBitBtn);
    LoadFilterDialog.kind = widgets::FileDialogRequest::Kind::Open;
    LoadFilterDialog.title = "Загрузить фильтр из файла";
    LoadFilterDialog.filter = "Фильтры (*.csv *.txt *.dat *.npy *.h *.coe *.m);;Все файлы (*)";
    LoadFilterDialog.initialDirectory = ExportDialog.initialDirectory;
    connect(LoadFilterBitBtn, &QPushButton::clicked, this, &TFilterForm::LoadFilterBitBtnClick);
}

void TFilterForm::LoadFilterBitBtnClick() {
    const auto chosen = widgets::chooseFile(this, LoadFilterDialog);
    if (!chosen)
        return;
    LoadFilterDialog.fileName = *chosen;
    guard([&] { loadFilterFrom(*chosen); });
}

void TFilterForm::loadFilterFrom(const QString &fileName) {
    const io::FilterTaps taps = io::readFilterFile(QFile::encodeName(fileName).toStdString());
    const int halfWidth = io::loadFilterTaps(m_state, taps);
    showNote(QString::fromStdString(base::Message::tapsRead(taps.taps.size(), taps.centre, halfWidth)));
    ViewFilterBitBtnClick();
}

void TFilterForm::showNote(const QString &note) {
    QuantisationLabel->setText(note);
    QuantisationLabel->setToolTip(note);
}

void TFilterForm::ExportFilterBitBtnClick() {
    const auto chosen = widgets::chooseFile(this, ExportDialog);
    if (!chosen)
        return;
    ExportDialog.fileName = *chosen;
    guard([&] { exportFilterTo(*chosen); });
}

void TFilterForm::exportFilterTo(const QString &fileName) {
    const double samplingFrequency = m_main.samplingFrequency();
    const auto data =
        io::CoefficientExport::ofFilter(m_state, samplingFrequency, project::fixedPoint(fixedPointSettings()));
    const io::CoefficientFormat format = io::coefficientFormatForFileName(fileName.toStdString());
    std::ostringstream text;
    io::writeCoefficients(text, data, format);
    base::writeFileWhole(QFile::encodeName(fileName).toStdString(), text.view());
    const char decimal = widgets::NumberSeparators::current().decimal.toLatin1();
    const char point = decimal ? decimal : '.';
    QStringList lines;
    if (format == io::CoefficientFormat::CHeader) {
        lines << QString::fromStdString(io::quantisationSummary(io::quantiseQ(data.taps, 15), "Q15", point));
        lines << QString::fromStdString(io::quantisationSummary(io::quantiseQ(data.taps, 31), "Q31", point));
    } else if (format == io::CoefficientFormat::Coe) {
        lines << QString::fromStdString(io::quantisationSummary(io::quantiseModel(data.taps, data.coeBits),
                                                                base::formatInteger(data.coeBits) + " бит", point));
    }
    showNote(lines.join('\n'));
}

void TFilterForm::SynthesizeBitBtnClick() {
    guard([&] {
        DisabledWhile disabled(SynthesizeBitBtn);
        double samplingFrequency = 0.0;
        const project::FilterSettings s = synthesisSettings(samplingFrequency);
        core::synthesizeFilter(m_state, project::filterSynthesis(s), samplingFrequency);
        ViewFilterBitBtnClick();
    });
}

void TFilterForm::Serch1_BitBtnClick() {
    if (m_searching)
        return; // searches never nest
    guard([&] {
        DisabledWhile disabled(Serch1_BitBtn);
        // Least squares would replace the filter under the running search.
        DisabledWhile noLeastSquares(LeastSquaresBitBtn);
        m_searching = true;
        struct Done {
            TFilterForm *form;
            ~Done() {
                form->m_searching = false;
                form->showProgress(true);
                form->showConvergence(true);
                form->m_main.staleMarks().computed(SearchReport, form->m_main.currentPrints());
            }
        } done{this};
        const double samplingFrequency = m_main.samplingFrequency();
        const project::FilterSettings s = searchSettings();
        m_sinceShown.invalidate();
        m_sinceConvergenceShown.invalidate();
        m_epoch = 0;
        m_convergenceShown = 0;
        ConvergenceSeries->clearPoints();
        core::searchFilter(m_state, project::desiredResponse(s), samplingFrequency, s.halfWidth, *this);
    });
}

project::FilterSettings TFilterForm::synthesisSettings(double &samplingFrequency) const {
    project::FilterSettings s;
    s.halfWidth = WINNmSpinEdit->value();
    s.gain = K_NmSuperSpin->value();
    samplingFrequency = m_main.samplingFrequency();
    s.centreFrequency = F0_NmSuperSpin->value();
    s.peakOffset = DF_NmSuperSpin->value();
    s.phaseShift = PhazeShiftNmSpinEdit->value();
    s.filterType = FilterTypeRadioGroup->itemIndex();
    s.windowType = WinTypeRadioGroup->itemIndex();
    return s;
}

project::FilterSettings TFilterForm::searchSettings() const {
    project::FilterSettings s;
    s.peakAmplitude = Ar1_NmSuperSpin->value();
    s.peakDuration = Tr1_NmSuperSpin->value();
    s.responseShape = ResponseRadioGroup->itemIndex();
    s.halfWidth = WINNmSpinEdit->value();
    return s;
}

project::FilterSettings TFilterForm::leastSquaresSettings() const {
    project::FilterSettings s = searchSettings();
    s.regularisation = RegularizationNmSuperSpin->value();
    s.regularisationAuto = RegularizationAutoCheckBox->isChecked();
    s.latency = LatencyNmSpinEdit->value();
    s.setCriterion = SetCriterionRadioGroup->itemIndex();
    return s;
}

project::FilterSettings TFilterForm::startSettings() const {
    project::FilterSettings s;
    s.startFilter = RadioGroup1->itemIndex();
    return s;
}

project::FilterSettings TFilterForm::exportSettings() const {
    project::FilterSettings s;
    s.coeBits = CoeBitsNmSpinEdit->value();
    return s;
}

project::FilterSettings TFilterForm::fixedPointSettings() const {
    project::FilterSettings s;
    s.adcBits = AdcBitsNmSpinEdit->value();
    s.adcFullScale = AdcFullScaleNmSuperSpin->value();
    s.coeBits = CoeBitsNmSpinEdit->value();
    s.outBits = OutBitsNmSpinEdit->value();
    s.rounding = RoundingRadioGroup->itemIndex();
    s.outShiftAuto = OutShiftAutoCheckBox->isChecked();
    s.outShift = OutShiftNmSpinEdit->value();
    return s;
}

void TFilterForm::Break1_BitBtnClick() {
    core::stopSearch(m_state);
}

void TFilterForm::StartBitBtnClick() {
    guard([&] { core::loadStartFilter(m_state, startSettings().startFilter); });
}

void TFilterForm::LeastSquaresBitBtnClick() {
    if (m_searching)
        return; // the search owns the filter until it ends
    guard([&] {
        DisabledWhile disabled(LeastSquaresBitBtn);
        const double samplingFrequency = m_main.samplingFrequency();
        const project::FilterSettings s = leastSquaresSettings();
        // The set's files are read now, with the signal window's "Файл" rules as they stand.
        const project::PulseSetList list = TabSheet4->list();
        const std::vector<io::SetPulseData> read = TabSheet4->readPulses();
        std::vector<core::SetPulse> pulses{{&m_state.SignalBuffer, false}};
        for (std::size_t k = 0; k < read.size(); ++k)
            pulses.push_back({read[k].samples.get(), list[k].check});
        const auto choice =
            s.regularisationAuto ? core::RegularisationChoice::Automatic : core::RegularisationChoice::Field;
        const core::SetDesignOutcome outcome = core::leastSquaresSetFilter(
            m_state, pulses, project::desiredResponse(s), samplingFrequency, s.halfWidth, s.regularisation, choice,
            s.latency, s.setCriterion == 1 ? core::SetCriterion::WorstPulse : core::SetCriterion::Sum);
        if (choice == core::RegularisationChoice::Automatic)
            RegularizationNmSuperSpin->setValue(outcome.Mu);
        ViewFilterBitBtnClick();
        TabSheet4->showDesign(outcome, list);
        const char decimal = widgets::NumberSeparators::current().decimal.toLatin1();
        LeastSquaresLabel->setText(
            "МНК: целевая функция " +
            QString::fromStdString(base::formatObjective(outcome.Design.SearchObjective, decimal ? decimal : '.')));
        const SourcePrints now = m_main.currentPrints();
        m_main.staleMarks().computed(LeastSquaresReport, now);
        m_main.staleMarks().computed(PulseFitReport, now);
        const int latency = std::min(s.latency, m_state.FilterHalfWidth);
        LatencyLabel->setText(QString("Задержка МНК-фильтра: %1 отсч. (%2 мкс)")
                                  .arg(widgets::integerText(latency))
                                  .arg(widgets::significantText(latency / samplingFrequency, 6)));
    });
}

void TFilterForm::ViewFilterBitBtnClick() {
    Series1->clearPoints();
    const int n = core::usableFilterHalfWidth(m_state.FilterHalfWidth);
    for (int j = -n; j <= n; ++j)
        Series1->addPoint(j, m_state.FilterBuffer[j], QColor(TapColor));
    PointsCheckBoxClick();
}

void TFilterForm::PointsCheckBoxClick() {
    for (int s = 0; s < Chart->seriesCount(); ++s)
        Chart->series(s)->setPointerVisible(PointsCheckBox->isChecked());
}

void TFilterForm::ZoomUnDoButtonClick() {
    Chart->undoZoom();
}

void TFilterForm::processMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TFilterForm::showEpoch(std::int32_t epoch) {
    m_epoch = epoch;
}

double TFilterForm::randomStep() {
    return RandomNmSuperSpin->value();
}

void TFilterForm::showBestObjective(long double best) {
    m_best = best;
    showProgress(false);
    showConvergence(false);
}

std::int32_t TFilterForm::epochLimit() {
    return EpochNmSpinEdit->value();
}

void TFilterForm::showProgress(bool force) {
    if (m_epoch == 0)
        return;
    if (!force && m_sinceShown.isValid() && m_sinceShown.elapsed() < ProgressRepaintMs)
        return;
    m_sinceShown.start();
    EpochLabel->setText("Эпоха " + widgets::integerText(m_epoch));
    const char decimal = widgets::NumberSeparators::current().decimal.toLatin1();
    AimLabel->setText("Целевая функция " +
                      QString::fromStdString(base::formatObjective(m_best, decimal ? decimal : '.')));
}

// The best objective after each accepted step, and from the last of them on to the epoch the
// search has reached: the curve runs flat where no step was accepted, and the axis ends at the
// epochs run, not at the last accepted one.
void TFilterForm::showConvergence(bool force) {
    if (!force && m_sinceConvergenceShown.isValid() && m_sinceConvergenceShown.elapsed() < ConvergenceRepaintMs)
        return;
    m_sinceConvergenceShown.start();
    const auto &trace = m_state.SearchTrace;
    ConvergenceSeries->clearPoints();
    for (const core::SearchTracePoint &p : trace)
        if (p.BestObjective > 0) // an exact fit has no logarithm
            ConvergenceSeries->addPoint(p.Epoch, static_cast<double>(std::log10(p.BestObjective)),
                                        QColor(ConvergenceColor));
    if (!trace.empty() && m_epoch > trace.back().Epoch && trace.back().BestObjective > 0)
        ConvergenceSeries->addPoint(m_epoch, static_cast<double>(std::log10(trace.back().BestObjective)),
                                    QColor(ConvergenceColor));
    m_convergenceShown = trace.size();
    ConvergenceChart->update();
}

} // namespace pulsefir::ui
