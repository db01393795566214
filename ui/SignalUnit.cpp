#include "SignalUnit.h"

#include <algorithm>
#include <cstdlib>

#include <QCoreApplication>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QVBoxLayout>

#include "base/messages.h"
#include "base/number_text.h"
#include "core/air_path.h"
#include "core/errors.h"
#include "project/path_set.h"
#include "project/settings_conversions.h"
#include "project/window_placement.h"
#include "ui/MainUnit.h"
#include "ui/SpectorUnit.h"
#include "ui/widgets/numeric_text.h"

namespace pulsefir::ui {

namespace {
// A setting of this window, found while the program compiles.
consteval const project::SettingDefinition &setting(std::string_view key) {
    return project::setting("SignalForm", key);
}
} // namespace

TSignalForm::TSignalForm(core::CoreState &state, TMainForm &mainForm)
    : TForm("SignalForm", "Синтез сигнала"), m_state(state), m_main(mainForm) {
    setOuterGeometry(rectOf(project::designedPlacement("SignalForm").frame), true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = panel(this, "Panel1", 41);

    // The bottom panel comes before the page control in the layout's declarations.
    Panel2 = panel(this, "Panel2", 69);
    auto *bottom = new QHBoxLayout(Panel2);
    AddNoiseBitBtn = button(Panel2, "AddNoiseBitBtn", "Добавить шум", true);
    NoiseNmSuperSpin = floatField(Panel2, setting("NoiseNmSuperSpin"));
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
    Exp_F_NmSuperSpin = floatField(bevel, setting("Exp_F_NmSuperSpin"));
    Exp_Phaze_NmSuperSpin = floatField(bevel, setting("Exp_Phaze_NmSuperSpin"));
    Exp_Front_NmSuperSpin = floatField(bevel, setting("Exp_Front_NmSuperSpin"));
    Exp_Time_NmSuperSpin = floatField(bevel, setting("Exp_Time_NmSuperSpin"));
    Exp_Shift_NmSuperSpin = floatField(bevel, setting("Exp_Shift_NmSuperSpin"));
    Exp_Am_NmSuperSpin = floatField(bevel, setting("Exp_Am_NmSuperSpin"));
    const std::pair<const char *, widgets::TNmSuperSpin *> rows[] = {
        {"Частота ПЭП [МГц]", Exp_F_NmSuperSpin},
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

    buildFileTab();
    buildPathTab();

    connect(AddSignalBitBtn, &QPushButton::clicked, this, &TSignalForm::AddSignalBitBtnClick);
    connect(Exp_Load_BitBtn, &QPushButton::clicked, this, &TSignalForm::Exp_Load_BitBtnClick);
    connect(AddNoiseBitBtn, &QPushButton::clicked, this, &TSignalForm::AddNoiseBitBtnClick);
}

void TSignalForm::buildFileTab() {
    // Declared after every earlier control, so the project file keeps its old keys first.
    TabSheet3 = declare(new QWidget);
    TabSheet3->setObjectName("TabSheet3");
    PageControl1->addTab(TabSheet3, "Файл");
    // The tab's controls scroll inside it: whatever a file's description makes the labels wrap
    // to, nothing is cut off at the window's designed size.
    auto *sheetLayout = new QVBoxLayout(TabSheet3);
    sheetLayout->setContentsMargins(0, 0, 0, 0);
    auto *scroll = new QScrollArea(TabSheet3);
    scroll->setObjectName("FileScrollArea");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sheetLayout->addWidget(scroll);
    auto *content = new QWidget;
    content->setObjectName("FileTabContent");
    scroll->setWidget(content);
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(3);

    FileNameEdit = declare(new QLineEdit(content));
    FileNameEdit->setObjectName("FileNameEdit");
    FileNameEdit->setToolTip(
        "Текст (.csv .tsv .txt .dat): один столбец отсчётов, или столбец времени (или index) и столбцы значений;\n"
        "имена и единицы столбцов и блок заголовка прибора читаются. Столбцы разделяются ';', табуляцией,\n"
        "пробелами или запятой. WAV, W64, RF64 (всё, что читает libsndfile) и NumPy .npy.");
    FileBrowseButton = button(content, "FileBrowseButton", "Обзор…");
    FileInfoLabel = label(content, "Файл не прочитан", "FileInfoLabel");
    FileInfoLabel->setWordWrap(true);
    FileOffsetNmSpinEdit = integerField(content, setting("FileOffsetNmSpinEdit"));
    FilePeakButton = button(content, "FilePeakButton", "Пик в отсчёт 0");
    FileStartButton = button(content, "FileStartButton", "Начало в −N");
    FileStartButton->setToolTip("Первый отсчёт файла — в индекс −N, N = полуширина массива сигнала");
    FileScaleNmSuperSpin = floatField(content, setting("FileScaleNmSuperSpin"));
    FileRateRadioGroup = radioGroup(content, setting("FileRateRadioGroup"), "Частота файла отличается",
                                    {"Взять частоту файла", "Пересчитать к частоте дискретизации"});
    FileLoadBitBtn = button(content, "FileLoadBitBtn", "Загрузить из файла", true);
    FileAddBitBtn = button(content, "FileAddBitBtn", "Добавить из файла", true);
    FileNoteLabel = label(content, QString(), "FileNoteLabel");
    FileNoteLabel->setWordWrap(true);
    // How a ',' is read, where the user sees it before choosing a file.
    QLabel *commaHint = label(content, "Запятая только между числами читается по признакам файла (имена столбцов, "
                                       "точка в числах, index 0, 1, 2…); если их нет, выберите десятичный "
                                       "разделитель.");
    commaHint->setWordWrap(true);
    QFont hintFont = commaHint->font();
    hintFont.setPointSizeF(hintFont.pointSizeF() * 0.9);
    commaHint->setFont(hintFont);
    FileTimeUnitRadioGroup =
        radioGroup(content, setting("FileTimeUnitRadioGroup"), "Время в файле", {"авто", "с", "мс", "мкс", "нс"});
    FileTimeUnitRadioGroup->arrangeInRow();
    FileTimeUnitRadioGroup->setToolTip("«авто» берёт единицу, при которой частота попадает в пределы поля "
                                       "частоты дискретизации (мкс, затем с, мс, нс)");
    FileDecimalRadioGroup =
        radioGroup(content, setting("FileDecimalRadioGroup"), "Десятичный разделитель", {"авто", "точка", "запятая"});
    FileDecimalRadioGroup->arrangeInRow();
    FileColumnNmSpinEdit = integerField(content, setting("FileColumnNmSpinEdit"));
    FileColumnNmSpinEdit->setToolTip("1 — первый столбец значений после столбцов index и времени; в WAV — канал");
    FileTimeZeroButton = button(content, "FileTimeZeroButton", "t = 0 в отсчёт 0");
    FileTimeZeroButton->setToolTip("Отсчёт файла со временем 0 — в индекс 0 (по столбцу времени или началу в "
                                   "заголовке)");

    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(FileNameEdit, 1);
    fileRow->addWidget(FileBrowseButton);
    int row = 0;
    grid->addWidget(label(content, "Файл"), row, 0);
    grid->addLayout(fileRow, row++, 1, 1, 3);
    grid->addWidget(FileInfoLabel, row++, 0, 1, 4);
    grid->addWidget(label(content, "Сдвиг [отсч.]"), row, 0);
    grid->addWidget(FileOffsetNmSpinEdit, row, 1);
    grid->addWidget(FilePeakButton, row, 2);
    grid->addWidget(FileStartButton, row++, 3);
    grid->addWidget(label(content, "Множитель"), row, 0);
    grid->addWidget(FileScaleNmSuperSpin, row, 1);
    grid->addWidget(FileRateRadioGroup, row, 2, 2, 2);
    ++row;
    grid->addWidget(label(content, "Столбец/канал"), row, 0);
    grid->addWidget(FileColumnNmSpinEdit, row++, 1);
    grid->addWidget(FileLoadBitBtn, row, 0, 1, 2);
    grid->addWidget(FileAddBitBtn, row, 2);
    grid->addWidget(FileTimeZeroButton, row++, 3);
    grid->addWidget(FileNoteLabel, row++, 0, 1, 4);
    grid->addWidget(FileTimeUnitRadioGroup, row++, 0, 1, 4);
    grid->addWidget(FileDecimalRadioGroup, row++, 0, 1, 4);
    grid->addWidget(commaHint, row++, 0, 1, 4);
    grid->setRowStretch(row, 1);

    FileOpenDialog.kind = widgets::FileDialogRequest::Kind::Open;
    FileOpenDialog.title = "Загрузить сигнал из файла";
    FileOpenDialog.filter = "Измерения (*.csv *.tsv *.txt *.dat *.wav *.w64 *.rf64 *.npy);;Все файлы (*)";
    // Like the program's other dialogs, it starts in the program's own folder.
    FileOpenDialog.initialDirectory = QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + "/");

    connect(FileBrowseButton, &QPushButton::clicked, this, &TSignalForm::FileBrowseButtonClick);
    connect(FilePeakButton, &QPushButton::clicked, this, &TSignalForm::FilePeakButtonClick);
    connect(FileStartButton, &QPushButton::clicked, this, &TSignalForm::FileStartButtonClick);
    connect(FileLoadBitBtn, &QPushButton::clicked, this, &TSignalForm::FileLoadBitBtnClick);
    connect(FileAddBitBtn, &QPushButton::clicked, this, &TSignalForm::FileAddBitBtnClick);
    connect(FileTimeZeroButton, &QPushButton::clicked, this, &TSignalForm::FileTimeZeroButtonClick);
}

void TSignalForm::buildPathTab() {
    // Declared after every earlier control, so the project file keeps its old keys first.
    TabSheet4 = declare(new QWidget);
    TabSheet4->setObjectName("TabSheet4");
    PageControl1->addTab(TabSheet4, "Тракт");
    auto *sheetLayout = new QVBoxLayout(TabSheet4);
    sheetLayout->setContentsMargins(0, 0, 0, 0);
    auto *scroll = new QScrollArea(TabSheet4);
    scroll->setObjectName("PathScrollArea");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sheetLayout->addWidget(scroll);
    auto *content = new QWidget;
    content->setObjectName("PathTabContent");
    scroll->setWidget(content);
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(2);

    PathDistanceNmSuperSpin = floatField(content, setting("PathDistanceNmSuperSpin"));
    PathTemperatureNmSuperSpin = floatField(content, setting("PathTemperatureNmSuperSpin"));
    PathHumidityNmSuperSpin = floatField(content, setting("PathHumidityNmSuperSpin"));
    PathTargetDistanceNmSuperSpin = floatField(content, setting("PathTargetDistanceNmSuperSpin"));
    PathTargetTemperatureNmSuperSpin = floatField(content, setting("PathTargetTemperatureNmSuperSpin"));
    PathTargetHumidityNmSuperSpin = floatField(content, setting("PathTargetHumidityNmSuperSpin"));
    PathPressureNmSuperSpin = floatField(content, setting("PathPressureNmSuperSpin"));
    PathSpreadingRadioGroup =
        radioGroup(content, setting("PathSpreadingRadioGroup"), "Волна", {"плоская", "сферическая"});
    PathSpreadingRadioGroup->arrangeInRow();
    PathDelayCheckBox = checkBox(content, setting("PathDelayCheckBox"), "сохранять задержку");
    PathDelayCheckBox->setToolTip("Импульс приходит позже на d/c(T) − d0/c(T0), c(T) = 343,2·√(T / 293,15 К) м/с");
    PathRecomputeBitBtn = button(content, "PathRecomputeBitBtn", "Пересчитать сигнал", true);
    PathRecomputeBitBtn->setToolTip("Заменить сигнал импульсом, пришедшим на расстояние d при T, RH");

    int row = 0;
    grid->addWidget(label(content, "Записан"), row, 1);
    grid->addWidget(label(content, "Цель"), row++, 2);
    const std::tuple<const char *, widgets::TNmSuperSpin *, widgets::TNmSuperSpin *> rows[] = {
        {"Расстояние [м]", PathDistanceNmSuperSpin, PathTargetDistanceNmSuperSpin},
        {"Температура [°C]", PathTemperatureNmSuperSpin, PathTargetTemperatureNmSuperSpin},
        {"Влажность [%]", PathHumidityNmSuperSpin, PathTargetHumidityNmSuperSpin}};
    for (const auto &[text, recorded, target] : rows) {
        grid->addWidget(label(content, QString::fromUtf8(text)), row, 0);
        grid->addWidget(recorded, row, 1);
        grid->addWidget(target, row++, 2);
    }
    grid->addWidget(label(content, "Давление [кПа]"), row, 0);
    grid->addWidget(PathPressureNmSuperSpin, row++, 1);
    grid->addWidget(PathSpreadingRadioGroup, row++, 0, 1, 3);
    grid->addWidget(PathDelayCheckBox, row, 0, 1, 2);
    grid->addWidget(PathRecomputeBitBtn, row++, 2);

    PathChart = new widgets::TChart(content);
    PathChart->setObjectName("PathChart");
    PathChart->setAxisCaptions("f [МГц]", "α [дБ/м]");
    PathChart->setCsvXHeader("frequency_mhz");
    PathChart->setMinimumHeight(120);
    AbsorptionSeries = PathChart->addSeries("AbsorptionSeries", QColor(0, 0, 160));
    AbsorptionSeries->setCaption("Поглощение при T, RH цели");
    AbsorptionSeries->setPointerVisible(false);
    grid->addWidget(PathChart, row++, 0, 1, 3);
    grid->setRowStretch(row - 1, 1);

    connect(PathRecomputeBitBtn, &QPushButton::clicked, this, &TSignalForm::PathRecomputeBitBtnClick);
    for (widgets::TNmSuperSpin *field :
         {PathTargetTemperatureNmSuperSpin, PathTargetHumidityNmSuperSpin, PathPressureNmSuperSpin})
        connect(field, &widgets::TNmSuperSpin::exited, this, &TSignalForm::drawAbsorption);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (PageControl1->widget(index) == TabSheet4)
            drawAbsorption();
    });
}

project::SignalSettings TSignalForm::pathSettings() const {
    project::SignalSettings s;
    s.pathDistance = PathDistanceNmSuperSpin->value();
    s.pathTemperature = PathTemperatureNmSuperSpin->value();
    s.pathHumidity = PathHumidityNmSuperSpin->value();
    s.pathTargetDistance = PathTargetDistanceNmSuperSpin->value();
    s.pathTargetTemperature = PathTargetTemperatureNmSuperSpin->value();
    s.pathTargetHumidity = PathTargetHumidityNmSuperSpin->value();
    s.pathPressure = PathPressureNmSuperSpin->value();
    s.pathSpreading = PathSpreadingRadioGroup->itemIndex();
    s.pathDelay = PathDelayCheckBox->isChecked();
    return s;
}

void TSignalForm::drawAbsorption() {
    AbsorptionSeries->clearPoints();
    const project::SpectraSettings grid =
        m_main.spectorForm() ? m_main.spectorForm()->spectraSettings() : project::SpectraSettings{};
    const core::AirClimate air = project::signalPath(pathSettings()).Target.Air;
    const std::vector<double> alpha =
        core::absorptionCurve(grid.lowFrequency, grid.highFrequency, grid.pointCount, air);
    const double step = grid.pointCount > 1 ? (grid.highFrequency - grid.lowFrequency) / (grid.pointCount - 1) : 0.0;
    for (std::size_t k = 0; k < alpha.size(); ++k)
        AbsorptionSeries->addPoint(grid.lowFrequency + static_cast<double>(k) * step, alpha[k], QColor(0, 0, 160));
    PathChart->update();
}

void TSignalForm::PathRecomputeBitBtnClick() {
    guard([&] {
        DisabledWhile disabled(PathRecomputeBitBtn);
        core::propagateSignal(m_state, m_main.samplingFrequency(), project::signalPath(pathSettings()));
        drawAbsorption();
        m_main.DrawBitBtnClick();
    });
}

io::PulseImportRequest TSignalForm::fileRequest(io::PlacementMode mode) const {
    const std::string fileName = FileNameEdit->text().trimmed().toStdString();
    if (fileName.empty())
        throw base::Error(base::Message::noSignalFile());
    io::PulseImportRequest request = fileRequestFor(fileName);
    request.placement.mode = mode;
    return request;
}

io::PulseImportRequest TSignalForm::fileRequestFor(const std::string &fileName) const {
    io::PulseImportRequest request;
    request.fileName = fileName;
    request.samplingFrequency = m_main.samplingFrequency();
    request.minimumRate = m_main.FNmSuperSpin->minValue();
    request.maximumRate = m_main.FNmSuperSpin->maxValue();
    const project::SignalSettings s = placementSettings();
    request.rate = s.fileRate == 1 ? io::RateChoice::Resample : io::RateChoice::TakeFileRate;
    request.placement.offset = s.fileOffset;
    request.placement.scale = s.fileScale;
    request.read.timeUnit = static_cast<io::TimeUnit>(std::max(0, s.fileTimeUnit)); // no item: auto
    request.read.decimal = static_cast<io::DecimalChoice>(std::max(0, s.fileDecimal));
    request.read.column = s.fileColumn;
    return request;
}

void TSignalForm::showFileInfo(const io::PulseImportOutcome &outcome) {
    QString text = "Прочитано отсчётов: " + widgets::integerText(static_cast<long long>(outcome.fileSamples)) +
                   "; частота файла: " +
                   (outcome.fileSamplingFrequency ? widgets::significantText(*outcome.fileSamplingFrequency, 9) + " МГц"
                                                  : QString("не указана")) +
                   "; пик: " + widgets::significantText(outcome.peak, 6) + " (" +
                   QString::fromStdString(outcome.description) + ")";
    FileInfoLabel->setText(text);
}

void TSignalForm::FileBrowseButtonClick() {
    const auto chosen = widgets::chooseFile(this, FileOpenDialog);
    if (!chosen)
        return;
    FileOpenDialog.fileName = *chosen;
    FileNameEdit->setText(*chosen);
    // What was said about the previous file no longer holds.
    FileInfoLabel->setText("Файл не прочитан");
    FileNoteLabel->clear();
    guard([&] {
        io::PulseImportOutcome outcome;
        io::describePulse(fileRequest(io::PlacementMode::Replace), outcome);
        showFileInfo(outcome);
    });
}

void TSignalForm::FilePeakButtonClick() {
    guard([&] {
        io::PulseImportOutcome outcome;
        const int offset = io::offsetForPeak(fileRequest(io::PlacementMode::Replace), outcome);
        showFileInfo(outcome);
        FileOffsetNmSpinEdit->setValue(offset);
    });
}

void TSignalForm::FileTimeZeroButtonClick() {
    guard([&] {
        io::PulseImportOutcome outcome;
        const int offset = io::offsetForTimeZero(fileRequest(io::PlacementMode::Replace), outcome);
        showFileInfo(outcome);
        FileOffsetNmSpinEdit->setValue(offset);
    });
}

void TSignalForm::FileStartButtonClick() {
    FileOffsetNmSpinEdit->setValue(io::offsetStartAt(m_main.SWNmSpinEdit->value()));
}

void TSignalForm::importFile(io::PlacementMode mode, QPushButton *button) {
    guard([&] {
        DisabledWhile disabled(button);
        const io::PulseImportOutcome outcome = io::importPulse(m_state, fileRequest(mode));
        showFileInfo(outcome);
        QStringList notes;
        if (outcome.newSamplingFrequency) {
            m_main.FNmSuperSpin->setValue(*outcome.newSamplingFrequency);
            notes << "Частота дискретизации взята из файла: " +
                         widgets::significantText(*outcome.newSamplingFrequency, 9) + " МГц.";
        } else if (outcome.resampled) {
            notes << "Пересчитано к частоте дискретизации " + widgets::significantText(m_main.samplingFrequency(), 9) +
                         " МГц.";
        }
        const auto &placed = outcome.placed;
        if (placed.written > 0)
            notes << "Записаны индексы " + widgets::integerText(placed.firstIndex) + ".." +
                         widgets::integerText(placed.lastIndex) + ".";
        if (placed.droppedBefore + placed.droppedAfter > 0)
            notes << "Отброшено отсчётов вне −10000..10000: " +
                         widgets::integerText(static_cast<long long>(placed.droppedBefore + placed.droppedAfter)) + ".";
        const int halfWidth = m_main.SWNmSpinEdit->value();
        const bool outside = placed.peakIndex && std::llabs(*placed.peakIndex) > halfWidth;
        if (placed.peakIndex)
            notes << "Наибольший отсчёт импульса: индекс " + widgets::integerText(*placed.peakIndex) +
                         (outside ? ", вне полуширины массива сигнала −" + widgets::integerText(halfWidth) + "..+" +
                                        widgets::integerText(halfWidth) + "."
                                  : QString("."));
        FileNoteLabel->setText(notes.join(' '));
        m_main.DrawBitBtnClick();
        if (outside && mode == io::PlacementMode::Replace)
            offerPeakPlacement(*placed.peakIndex, button);
    });
}

void TSignalForm::offerPeakPlacement(long long peakIndex, QPushButton *button) {
    const long long needed = std::llabs(peakIndex);
    // Widened to a round hundred past the peak, so that its ring-down shows too.
    const int widened = static_cast<int>(std::min<long long>(core::MaxSignalHalfWidth, (needed / 100 + 1) * 100));
    QStringList choices{"Поставить наибольший отсчёт на индекс 0"};
    if (needed <= core::MaxSignalHalfWidth)
        choices << "Расширить полуширину до " + widgets::integerText(widened);
    choices << "Оставить как есть";
    const QString text = "Наибольший отсчёт импульса лёг на индекс " + widgets::integerText(peakIndex) +
                         ", вне полуширины массива сигнала " + widgets::integerText(m_main.SWNmSpinEdit->value()) +
                         ": на графике его не видно.";
    const int chosen = widgets::Platform::current().askChoice(this, "Импульс вне полуширины", text, choices);
    if (chosen == 0) {
        FilePeakButtonClick();
        importFile(io::PlacementMode::Replace, button);
    } else if (chosen == 1 && choices.size() == 3) {
        m_main.SWNmSpinEdit->setValue(widened);
        m_main.DrawBitBtnClick();
    }
}

void TSignalForm::FileLoadBitBtnClick() {
    importFile(io::PlacementMode::Replace, FileLoadBitBtn);
}

void TSignalForm::FileAddBitBtnClick() {
    importFile(io::PlacementMode::Add, FileAddBitBtn);
}

project::SignalSettings TSignalForm::burstSettings() const {
    project::SignalSettings s;
    s.amplitude = Exp_Am_NmSuperSpin->value();
    s.frequency = Exp_F_NmSuperSpin->value();
    s.phaseDeg = Exp_Phaze_NmSuperSpin->value();
    s.frontTimeConstant = Exp_Front_NmSuperSpin->value();
    s.excitationTime = Exp_Time_NmSuperSpin->value();
    s.shift = Exp_Shift_NmSuperSpin->value();
    return s;
}

project::SignalSettings TSignalForm::noiseSettings() const {
    project::SignalSettings s;
    s.noiseAmplitude = NoiseNmSuperSpin->value();
    return s;
}

project::SignalSettings TSignalForm::placementSettings() const {
    project::SignalSettings s;
    s.fileRate = FileRateRadioGroup->itemIndex();
    s.fileOffset = FileOffsetNmSpinEdit->value();
    s.fileScale = FileScaleNmSuperSpin->value();
    s.fileTimeUnit = FileTimeUnitRadioGroup->itemIndex();
    s.fileDecimal = FileDecimalRadioGroup->itemIndex();
    s.fileColumn = FileColumnNmSpinEdit->value();
    return s;
}

void TSignalForm::addSignalAndDraw() {
    DisabledWhile disabled(AddSignalBitBtn);
    const double samplingFrequency = m_main.samplingFrequency();
    const core::ToneBurstParameters burst = project::toneBurst(burstSettings());
    core::addSignal(m_state, burst, samplingFrequency);
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
        core::addNoise(m_state, noiseSettings().noiseAmplitude);
        m_main.DrawBitBtnClick();
    });
}

} // namespace pulsefir::ui
