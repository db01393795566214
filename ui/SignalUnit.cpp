#include "SignalUnit.h"

#include <QCoreApplication>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "base/messages.h"
#include "base/number_text.h"
#include "core/errors.h"
#include "project/settings_conversions.h"
#include "project/window_placement.h"
#include "ui/MainUnit.h"
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

    connect(AddSignalBitBtn, &QPushButton::clicked, this, &TSignalForm::AddSignalBitBtnClick);
    connect(Exp_Load_BitBtn, &QPushButton::clicked, this, &TSignalForm::Exp_Load_BitBtnClick);
    connect(AddNoiseBitBtn, &QPushButton::clicked, this, &TSignalForm::AddNoiseBitBtnClick);
}

namespace {

// A number for a label, with the user's decimal separator.
QString userNumber(double value, int digits) {
    QString text = QString::fromStdString(base::formatSignificant(value, digits));
    return text.replace('.', widgets::NumberSeparators::current().decimal);
}

} // namespace

void TSignalForm::buildFileTab() {
    // Declared after every earlier control, so the project file keeps its old keys first.
    TabSheet3 = declare(new QWidget);
    TabSheet3->setObjectName("TabSheet3");
    PageControl1->addTab(TabSheet3, "Файл");
    auto *grid = new QGridLayout(TabSheet3);
    grid->setVerticalSpacing(3);

    FileNameEdit = declare(new QLineEdit(TabSheet3));
    FileNameEdit->setObjectName("FileNameEdit");
    FileNameEdit->setToolTip("Текст (.csv .txt .dat): один столбец отсчётов или два — время [мкс] и отсчёт.\n"
                             "Столбцы разделяются ';', табуляцией или пробелами, и тогда в числах годится и\n"
                             "точка, и запятая. Если столбцы разделены запятой, числа пишутся с точкой; файл\n"
                             "с запятыми и без единой точки читается как один столбец с десятичной запятой.\n"
                             "WAV (PCM 8/16/24/32 бита, float 32/64, первый канал) и NumPy .npy (float64/32).");
    FileBrowseButton = button(TabSheet3, "FileBrowseButton", "Обзор…");
    FileInfoLabel = label(TabSheet3, "Файл не прочитан", "FileInfoLabel");
    FileInfoLabel->setWordWrap(true);
    FileOffsetNmSpinEdit = integerField(TabSheet3, setting("FileOffsetNmSpinEdit"));
    FilePeakButton = button(TabSheet3, "FilePeakButton", "Пик в отсчёт 0");
    FileStartButton = button(TabSheet3, "FileStartButton", "Начало в −N");
    FileStartButton->setToolTip("Первый отсчёт файла — в индекс −N, N = полуширина массива сигнала");
    FileScaleNmSuperSpin = floatField(TabSheet3, setting("FileScaleNmSuperSpin"));
    FileRateRadioGroup = radioGroup(TabSheet3, setting("FileRateRadioGroup"), "Частота файла отличается",
                                    {"Взять частоту файла", "Пересчитать к частоте дискретизации"});
    FileLoadBitBtn = button(TabSheet3, "FileLoadBitBtn", "Загрузить из файла", true);
    FileAddBitBtn = button(TabSheet3, "FileAddBitBtn", "Добавить из файла", true);
    FileNoteLabel = label(TabSheet3, QString(), "FileNoteLabel");
    FileNoteLabel->setWordWrap(true);
    // How a ',' is read, where the user sees it before choosing a file.
    QLabel *commaHint = label(TabSheet3, "Запятая в тексте — десятичная, если столбцы разделены ';', табуляцией "
                                         "или пробелами или если в файле нет ни одной точки; иначе она разделяет "
                                         "столбцы.");
    commaHint->setWordWrap(true);
    QFont hintFont = commaHint->font();
    hintFont.setPointSizeF(hintFont.pointSizeF() * 0.9);
    commaHint->setFont(hintFont);

    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(FileNameEdit, 1);
    fileRow->addWidget(FileBrowseButton);
    grid->addWidget(label(TabSheet3, "Файл"), 0, 0);
    grid->addLayout(fileRow, 0, 1, 1, 3);
    grid->addWidget(FileInfoLabel, 1, 0, 1, 4);
    grid->addWidget(label(TabSheet3, "Сдвиг [отсч.]"), 2, 0);
    grid->addWidget(FileOffsetNmSpinEdit, 2, 1);
    grid->addWidget(FilePeakButton, 2, 2);
    grid->addWidget(FileStartButton, 2, 3);
    grid->addWidget(label(TabSheet3, "Множитель"), 3, 0);
    grid->addWidget(FileScaleNmSuperSpin, 3, 1);
    grid->addWidget(FileRateRadioGroup, 3, 2, 2, 2);
    grid->addWidget(FileLoadBitBtn, 5, 0, 1, 2);
    grid->addWidget(FileAddBitBtn, 5, 2, 1, 2);
    grid->addWidget(FileNoteLabel, 6, 0, 1, 4);
    grid->addWidget(commaHint, 7, 0, 1, 4);
    grid->setRowStretch(8, 1);

    FileOpenDialog.kind = widgets::FileDialogRequest::Kind::Open;
    FileOpenDialog.title = "Загрузить сигнал из файла";
    FileOpenDialog.filter = "Измерения (*.csv *.txt *.dat *.wav *.npy);;Все файлы (*)";
    // Like the program's other dialogs, it starts in the program's own folder.
    FileOpenDialog.initialDirectory = QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + "/");

    connect(FileBrowseButton, &QPushButton::clicked, this, &TSignalForm::FileBrowseButtonClick);
    connect(FilePeakButton, &QPushButton::clicked, this, &TSignalForm::FilePeakButtonClick);
    connect(FileStartButton, &QPushButton::clicked, this, &TSignalForm::FileStartButtonClick);
    connect(FileLoadBitBtn, &QPushButton::clicked, this, &TSignalForm::FileLoadBitBtnClick);
    connect(FileAddBitBtn, &QPushButton::clicked, this, &TSignalForm::FileAddBitBtnClick);
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
    return request;
}

void TSignalForm::showFileInfo(const io::PulseImportOutcome &outcome) {
    QString text = "Прочитано отсчётов: " + widgets::integerText(static_cast<long long>(outcome.fileSamples)) +
                   "; частота файла: " +
                   (outcome.fileSamplingFrequency ? userNumber(*outcome.fileSamplingFrequency, 9) + " МГц"
                                                  : QString("не указана")) +
                   "; пик: " + userNumber(outcome.peak, 6) + " (" + QString::fromStdString(outcome.description) + ")";
    FileInfoLabel->setText(text);
}

void TSignalForm::FileBrowseButtonClick() {
    const auto chosen = widgets::Platform::current().runFileDialog(this, FileOpenDialog);
    if (!chosen)
        return;
    FileOpenDialog.fileName = *chosen;
    FileNameEdit->setText(*chosen);
    guard([&] {
        io::PulseImportOutcome outcome;
        io::describePulse(fileRequest(io::PlacementMode::Replace), outcome);
        showFileInfo(outcome);
    });
}

void TSignalForm::FilePeakButtonClick() {
    guard([&] {
        io::PulseImportOutcome outcome;
        const std::vector<double> pulse = io::preparePulse(fileRequest(io::PlacementMode::Replace), outcome);
        showFileInfo(outcome);
        FileOffsetNmSpinEdit->setValue(io::offsetPeakAtZero(pulse));
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
            notes << "Частота дискретизации взята из файла: " + userNumber(*outcome.newSamplingFrequency, 9) + " МГц.";
        } else if (outcome.resampled) {
            notes << "Пересчитано к частоте дискретизации " + userNumber(m_main.samplingFrequency(), 9) + " МГц.";
        }
        const auto &placed = outcome.placed;
        if (placed.written > 0)
            notes << "Записаны индексы " + widgets::integerText(placed.firstIndex) + ".." +
                         widgets::integerText(placed.lastIndex) + ".";
        if (placed.droppedBefore + placed.droppedAfter > 0)
            notes << "Отброшено отсчётов вне −10000..10000: " +
                         widgets::integerText(static_cast<long long>(placed.droppedBefore + placed.droppedAfter)) + ".";
        FileNoteLabel->setText(notes.join(' '));
        m_main.DrawBitBtnClick();
    });
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
