#include "MainUnit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <bit>
#include <exception>
#include <optional>
#include <span>

#include "base/number_text.h"
#include "core/filter_search.h"
#include "core/filtering.h"
#include "core/pulse_metrics.h"
#include "project/window_placement.h"
#include "ui/FilterUnit.h"
#include "ui/SignalUnit.h"
#include "ui/SpectorUnit.h"
#include "ui/widgets/numeric_text.h"
#include "ui/widgets/table_text.h"

namespace pulsefir::ui {

namespace {
// A setting of this window, found while the program compiles.
consteval const project::SettingDefinition &setting(std::string_view key) {
    return project::setting("MainForm", key);
}
} // namespace

namespace {
constexpr QRgb SignalColor = qRgb(0, 0, 0);
constexpr QRgb OutputColor = qRgb(255, 0, 0);
constexpr QRgb ResponseColor = qRgb(0, 255, 0);
constexpr QRgb FixedOutputColor = qRgb(0, 0, 220);

constexpr double MetricsFontScale = 0.85; // thirteen columns fit the window's width
// Before a value measured up to an end of the window: the true one is larger.
const QString CutMark = QStringLiteral("> ");

// The metrics table's captions, one per metric in the order of MetricFields.
const char *const MetricsCaptions[] = {
    "Пик",
    "t пика\n[мкс]",
    "Ширина\n-6 дБ\n[мкс]",
    "Спад\n-20 дБ\n[мкс]",
    "Спад\n-40 дБ\n[мкс]",
    "Боковые\n[дБ]",
    "Длит.\n-20 дБ\n[мкс]",
    "f пика\n[МГц]",
    "f центр.\n[МГц]",
    "Полоса\n-6 дБ\n[%]",
    "f ниж.\n-6 дБ\n[МГц]",
    "f верх.\n-6 дБ\n[МГц]",
    "Шум.\nусил.\n[дБ]",
};
static_assert(std::size(MetricsCaptions) == std::size(core::MetricFields), "a caption for every metric");

// The mark of a result whose sources changed since it was computed.
const QString StaleMark = QString::fromUtf8(StaleMarkText);
const char *const MetricsRows[] = {"Сигнал", "После фильтрации", "Желаемый отклик", "Фильтр",
                                   "После фильтрации (фикс.)"};
constexpr int FilterRow = 3;
constexpr int OutputRow = 1;
constexpr int FixedOutputRow = 4;

constexpr std::size_t at(ResultSource s) {
    return static_cast<std::size_t>(s);
}

// A metric with a few significant digits and the user's decimal separator; "—" when missing,
// "> value" when cut by an end of the window.

QToolButton *toolButton(QWidget *parent, const char *name, QStyle::StandardPixmap icon, const QString &hint) {
    auto *b = new QToolButton(parent);
    b->setObjectName(name);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setIconSize(QSize(24, 24));
    b->setToolTip(hint);
    b->setAutoRaise(true);
    return b;
}
} // namespace

TMainForm::TMainForm(core::CoreState &state) : TForm("MainForm", "Тривелан"), m_state(state) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // Tool bar
    Panel1 = panel(this, "Panel1", 41);
    auto *bar = new QHBoxLayout(Panel1);
    bar->setContentsMargins(4, 2, 4, 2);
    OpenFileSpeedButton =
        declare(toolButton(Panel1, "OpenFileSpeedButton", QStyle::SP_DialogOpenButton, "Загрузить проект"));
    SaveFileSpeedButton =
        declare(toolButton(Panel1, "SaveFileSpeedButton", QStyle::SP_DialogSaveButton, "Сохранить проект"));
    ExitSpeedButton = declare(toolButton(Panel1, "ExitSpeedButton", QStyle::SP_DialogCloseButton, "Выход"));
    SignalBitBtn = button(Panel1, "SignalBitBtn", "Сигнал", true);
    FilterBitBtn = button(Panel1, "FilterBitBtn", "Фильтр", true);
    SpectorBitBtn = button(Panel1, "SpectorBitBtn", "Спектры", true);
    StaticText1 = label(Panel1, "Пользуйтесь  Zoom - ом !!!", "StaticText1");
    StaticText1->setStyleSheet("color: red;");
    ZoomUnDoButton = button(Panel1, "ZoomUnDoButton", "Отмена ZOOM-а");
    for (QWidget *w : std::initializer_list<QWidget *>{OpenFileSpeedButton, SaveFileSpeedButton, ExitSpeedButton,
                                                       SignalBitBtn, FilterBitBtn, SpectorBitBtn})
        bar->addWidget(w);
    bar->addSpacing(16);
    bar->addWidget(StaticText1);
    bar->addStretch(1);
    bar->addWidget(ZoomUnDoButton);
    HelpSpeedButton = new QToolButton(Panel1);
    HelpSpeedButton->setObjectName("HelpSpeedButton");
    HelpSpeedButton->setText("?");
    HelpSpeedButton->setToolTip("Руководство пользователя (F1)");
    HelpSpeedButton->setAutoRaise(true);
    bar->addWidget(HelpSpeedButton);
    connect(HelpSpeedButton, &QToolButton::clicked, this, [this] { emit helpRequested(QString()); });
    layout->addWidget(Panel1);

    // Chart
    Chart = declare(new widgets::TChart(this));
    Chart->setAxisCaptions("отсчёт", QString());
    Series1 = Chart->addSeries("Series1", Qt::lightGray);
    Series2 = Chart->addSeries("Series2", Qt::red);
    Series3 = Chart->addSeries("Series3", Qt::green);
    // Column names of the chart's CSV export.
    Chart->setCsvXHeader("Индекс");
    Series1->setCaption("Сигнал");
    Series2->setCaption("После фильтрации");
    Series3->setCaption("Желаемый отклик");
    Series4 = Chart->addSeries("Series4", QColor(FixedOutputColor));
    Series4->setCaption("После фильтрации (фикс.)");
    layout->addWidget(Chart, 1);

    // Settings panel
    Panel2 = panel(this, "Panel2", 166);
    auto *grid = new QGridLayout(Panel2);
    LineWidthSpinEdit = arrowSpin(Panel2, setting("LineWidthSpinEdit"));
    PointsCheckBox = checkBox(Panel2, setting("PointsCheckBox"), "Точки");
    PointSizeSpinEdit = arrowSpin(Panel2, setting("PointSizeSpinEdit"));
    FNmSuperSpin = floatField(Panel2, setting("FNmSuperSpin"));
    SWNmSpinEdit = integerField(Panel2, setting("SWNmSpinEdit"));
    CheckBox1 = checkBox(Panel2, setting("CheckBox1"), "Показать сигнал");
    CheckBox2 = checkBox(Panel2, setting("CheckBox2"), "После фильтрации");
    CheckBox3 = checkBox(Panel2, setting("CheckBox3"), "Желаемый отклик");
    CalcOutBitBtn = button(Panel2, "CalcOutBitBtn", "Расчет фильтрации");
    DrawBitBtn = button(Panel2, "DrawBitBtn", "Рисовать");
    grid->addWidget(label(Panel2, "Частота дискретизации [МГц]"), 0, 0);
    grid->addWidget(FNmSuperSpin, 0, 1);
    grid->addWidget(label(Panel2, "Полуширина массива сигнала"), 1, 0);
    grid->addWidget(SWNmSpinEdit, 1, 1);
    grid->addWidget(CheckBox1, 0, 2);
    grid->addWidget(CheckBox2, 1, 2);
    grid->addWidget(CheckBox3, 2, 2);
    grid->addWidget(CalcOutBitBtn, 0, 3);
    grid->addWidget(DrawBitBtn, 1, 3);
    auto *lineRow = new QHBoxLayout;
    lineRow->addWidget(LineWidthSpinEdit);
    lineRow->addWidget(label(Panel2, "толщина линий"));
    grid->addLayout(lineRow, 0, 4);
    grid->addWidget(PointsCheckBox, 1, 4);
    grid->addWidget(PointSizeSpinEdit, 2, 4);
    grid->setColumnStretch(5, 1);
    grid->setRowStretch(4, 1);
    layout->addWidget(Panel2);

    // Pulse metrics under the settings panel
    MetricsTable = new QTableWidget(static_cast<int>(std::size(MetricsRows)),
                                    static_cast<int>(std::size(core::MetricFields)), this);
    MetricsTable->setObjectName("MetricsTable");
    QStringList captions;
    for (const char *caption : MetricsCaptions)
        captions << QString::fromUtf8(caption);
    MetricsTable->setHorizontalHeaderLabels(captions);
    QStringList rows;
    for (const char *row : MetricsRows)
        rows << QString::fromUtf8(row);
    MetricsTable->setVerticalHeaderLabels(rows);
    MetricsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    MetricsTable->setSelectionMode(QAbstractItemView::NoSelection);
    MetricsTable->setFocusPolicy(Qt::NoFocus);
    widgets::keepCellsOnOneLine(MetricsTable);
    QFont small = MetricsTable->font();
    small.setPointSizeF(small.pointSizeF() * MetricsFontScale);
    MetricsTable->setFont(small);
    MetricsTable->horizontalHeader()->setFont(small);
    MetricsTable->verticalHeader()->setFont(small);
    MetricsTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    MetricsTable->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    MetricsTable->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MetricsTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int row = 0; row < MetricsTable->rowCount(); ++row)
        for (int column = 0; column < MetricsTable->columnCount(); ++column) {
            auto *item = new QTableWidgetItem(widgets::NoQuantity);
            item->setTextAlignment(Qt::AlignCenter);
            MetricsTable->setItem(row, column, item);
        }
    MetricsTable->resizeRowsToContents();
    MetricsTable->setFixedHeight(MetricsTable->horizontalHeader()->sizeHint().height() +
                                 MetricsTable->verticalHeader()->length() + 2 * MetricsTable->frameWidth());
    layout->addWidget(MetricsTable);
    m_marks.define(metricsRowKey(0).toStdString(),
                   {ResultSource::Signal, ResultSource::SamplingFrequency, ResultSource::SignalHalfWidth});
    m_marks.define(metricsRowKey(OutputRow).toStdString(),
                   {ResultSource::Output, ResultSource::Signal, ResultSource::Filter, ResultSource::SamplingFrequency,
                    ResultSource::SignalHalfWidth});
    m_marks.define(metricsRowKey(2).toStdString(),
                   {ResultSource::Response, ResultSource::SamplingFrequency, ResultSource::SignalHalfWidth});
    m_marks.define(metricsRowKey(3).toStdString(), {ResultSource::Filter, ResultSource::SamplingFrequency});
    m_marks.define(metricsRowKey(FixedOutputRow).toStdString(),
                   {ResultSource::FixedOutput, ResultSource::Signal, ResultSource::Filter,
                    ResultSource::SamplingFrequency, ResultSource::SignalHalfWidth, ResultSource::HardwareWords,
                    ResultSource::TapWords});

    OpenDialog.kind = widgets::FileDialogRequest::Kind::Open;
    OpenDialog.title = "Загрузить проект из файла";
    OpenDialog.fileName = "NoName.flt";
    OpenDialog.filter = "*.flt (*.flt);;*.* (*)";
    OpenDialog.defaultSuffix = "flt";
    SaveDialog.kind = widgets::FileDialogRequest::Kind::Save;
    SaveDialog.title = "Сохранить проект в файл";
    SaveDialog.fileName = "NoName.flt";
    SaveDialog.filter = "*.flt (*.flt);;*.* (*)";
    SaveDialog.defaultSuffix = "flt";

    connect(OpenFileSpeedButton, &QToolButton::clicked, this, &TMainForm::OpenFileSpeedButtonClick);
    connect(SaveFileSpeedButton, &QToolButton::clicked, this, &TMainForm::SaveFileSpeedButtonClick);
    connect(ExitSpeedButton, &QToolButton::clicked, this, &TMainForm::ExitSpeedButtonClick);
    connect(SignalBitBtn, &QPushButton::clicked, this, &TMainForm::SignalBitBtnClick);
    connect(FilterBitBtn, &QPushButton::clicked, this, &TMainForm::FilterBitBtnClick);
    connect(SpectorBitBtn, &QPushButton::clicked, this, &TMainForm::SpectorBitBtnClick);
    connect(ZoomUnDoButton, &QPushButton::clicked, this, &TMainForm::ZoomUnDoButtonClick);
    connect(CalcOutBitBtn, &QPushButton::clicked, this, &TMainForm::CalcOutBitBtnClick);
    connect(DrawBitBtn, &QPushButton::clicked, this, &TMainForm::DrawBitBtnClick);
    connect(LineWidthSpinEdit, &QLineEdit::textChanged, this, &TMainForm::LineWidthSpinEditChange);
    connect(PointsCheckBox, &QCheckBox::toggled, this, &TMainForm::PointsCheckBoxClick);
    connect(PointSizeSpinEdit, &QLineEdit::textChanged, this, &TMainForm::PointSizeSpinEditChange);
    // The integer filter's output, after the existing controls.
    CheckBox4 = checkBox(Panel2, setting("CheckBox4"), "После фильтрации (фикс.)");
    grid->addWidget(CheckBox4, 3, 2);
    for (QCheckBox *box : {CheckBox1, CheckBox2, CheckBox3, CheckBox4})
        connect(box, &QCheckBox::toggled, this, &TMainForm::CheckBox1Click);
    // Every µs and MHz of a result depends on the sampling frequency as typed.
    connect(FNmSuperSpin, &QLineEdit::textChanged, this, &TMainForm::refreshStaleMarks);
    connect(this, &TForm::acted, this, &TMainForm::refreshStaleMarks);
    // The keys people expect of a program with files.
    const std::pair<QKeySequence, void (TMainForm::*)()> keys[] = {
        {QKeySequence::Save, &TMainForm::SaveCurrentProjectClick},
        {QKeySequence::Open, &TMainForm::OpenFileSpeedButtonClick},
        {QKeySequence(Qt::CTRL | Qt::Key_Q), &TMainForm::ExitSpeedButtonClick},
    };
    for (const auto &[key, slot] : keys) {
        auto *shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, slot);
    }

    formCreate();
}

void TMainForm::formCreate() {
    setOuterGeometry(rectOf(project::designedPlacement("MainForm").frame), true);
    // Where the dialogs start is the application's business (dialog_folders.h); until it says,
    // the program's own folder.
    const QString folder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + "/");
    OpenDialog.initialDirectory = SaveDialog.initialDirectory = Chart->savePictureDialog().initialDirectory = folder;
    DrawBitBtnClick();
}

void TMainForm::attachWindows(TSignalForm *signalForm, TFilterForm *filterForm, TSpectorForm *spectorForm) {
    m_signalForm = signalForm;
    m_filterForm = filterForm;
    m_spectorForm = spectorForm;
}

std::vector<TForm *> TMainForm::windows() {
    std::vector<TForm *> all{this};
    for (TForm *w : std::initializer_list<TForm *>{m_signalForm, m_filterForm, m_spectorForm})
        if (w)
            all.push_back(w);
    return all;
}

void TMainForm::DrawBitBtnClick() {
    DisabledWhile disabled(DrawBitBtn);
    // The field's range check runs only when it loses the focus; the buffers bound the value.
    m_state.SignalHalfWidth = std::clamp(SWNmSpinEdit->value(), 1, core::MaxSignalHalfWidth);
    refreshChart();
}

void TMainForm::refreshChart() {
    const int n = core::usableSignalHalfWidth(m_state.SignalHalfWidth);
    for (widgets::TLineSeries *s : {Series1, Series2, Series3, Series4})
        s->setActive(false);
    const std::pair<widgets::TLineSeries *, const core::SignalArray *> curves[] = {
        {Series1, &m_state.SignalBuffer},
        {Series2, &m_state.OutputBuffer},
        {Series3, &m_state.ResponseBuffer},
        {Series4, &m_state.FixedOutputBuffer}};
    const QRgb colors[] = {SignalColor, OutputColor, ResponseColor, FixedOutputColor};
    for (std::size_t c = 0; c < std::size(curves); ++c) {
        widgets::TLineSeries *series = curves[c].first;
        series->clearPoints();
        for (int i = -n; i <= n; ++i)
            series->addPoint(i, (*curves[c].second)[i], QColor(colors[c]));
    }
    applyDisplaySettings();
    refreshMetrics(n);
    Chart->repaintNow();
}

QString TMainForm::metricsRowKey(int row) {
    return QStringLiteral("MainForm.MetricsTable.") + QString::fromUtf8(MetricsRows[row]);
}

SourcePrints TMainForm::currentPrints() const {
    SourcePrints p{};
    p[at(ResultSource::Signal)] = fingerprint(m_state.SignalBuffer.range(core::MaxSignalHalfWidth));
    const double filterHalfWidth = m_state.FilterHalfWidth;
    p[at(ResultSource::Filter)] =
        fingerprint(std::span(&filterHalfWidth, 1), fingerprint(m_state.FilterBuffer.range(core::MaxFilterHalfWidth)));
    p[at(ResultSource::Response)] = fingerprint(m_state.ResponseBuffer.range(core::MaxSignalHalfWidth));
    p[at(ResultSource::Output)] = fingerprint(m_state.OutputBuffer.range(core::MaxSignalHalfWidth));
    p[at(ResultSource::FixedOutput)] = fingerprint(m_state.FixedOutputBuffer.range(core::MaxSignalHalfWidth));
    try {
        const double frequency = samplingFrequency();
        p[at(ResultSource::SamplingFrequency)] = fingerprint(std::span(&frequency, 1));
    } catch (const std::exception &) {
        // Text that is no number: a source unlike any number.
        const QByteArray text = FNmSuperSpin->text().toUtf8();
        p[at(ResultSource::SamplingFrequency)] =
            fingerprintBytes(std::span(reinterpret_cast<const unsigned char *>(text.data()), text.size()), 1);
    }
    const double halfWidth = m_state.SignalHalfWidth;
    p[at(ResultSource::SignalHalfWidth)] = fingerprint(std::span(&halfWidth, 1));
    std::uint64_t set = fingerprint({});
    if (m_filterForm) {
        bool paths = false;
        for (const project::PulseSetEntry &entry : m_filterForm->TabSheet4->list()) {
            const std::string item = entry.fileName + (entry.check ? '\1' : '\0');
            set =
                fingerprintBytes(std::span(reinterpret_cast<const unsigned char *>(item.data()), item.size() + 1), set);
            if (entry.path) {
                paths = true;
                const double conditions[] = {entry.path->distance, entry.path->temperature, entry.path->humidity};
                set = fingerprint(conditions, set);
            }
        }
        // A path member is the signal carried from the recorded conditions: those are its inputs too.
        if (paths && m_signalForm) {
            const project::SignalSettings r = m_signalForm->pathSettings();
            const double recorded[] = {r.pathDistance, r.pathTemperature, r.pathHumidity, r.pathPressure,
                                       double(r.pathSpreading)};
            set = fingerprint(recorded, set);
        }
    }
    p[at(ResultSource::PulseSet)] = set;
    if (m_filterForm) {
        // The shift the program chose itself is a result of the integer filter, not an input.
        const project::FilterSettings w = m_filterForm->fixedPointSettings();
        const double words[] = {double(w.adcBits), w.adcFullScale, double(w.outBits), double(w.rounding),
                                w.outShiftAuto ? -1.0 : double(w.outShift)};
        p[at(ResultSource::HardwareWords)] = fingerprint(words);
        const double taps = w.coeBits;
        p[at(ResultSource::TapWords)] = fingerprint(std::span(&taps, 1));
    }
    return p;
}

void TMainForm::noteOutputInputs(const SourcePrints &now) {
    if (!m_printsTaken || now[at(ResultSource::Output)] != m_outputPrint) {
        m_outputPrint = now[at(ResultSource::Output)];
        m_outputSignal = now[at(ResultSource::Signal)];
        m_outputFilter = now[at(ResultSource::Filter)];
    }
    if (!m_printsTaken || now[at(ResultSource::FixedOutput)] != m_fixedPrint) {
        m_fixedPrint = now[at(ResultSource::FixedOutput)];
        m_fixedSignal = now[at(ResultSource::Signal)];
        m_fixedFilter = now[at(ResultSource::Filter)];
        m_fixedWords = now[at(ResultSource::HardwareWords)];
        m_fixedTaps = now[at(ResultSource::TapWords)];
    }
    m_printsTaken = true;
}

void TMainForm::refreshStaleMarks() {
    const SourcePrints now = currentPrints();
    noteOutputInputs(now);
    for (int row = 0; row < MetricsTable->rowCount(); ++row) {
        const std::string key = metricsRowKey(row).toStdString();
        const bool stale = m_marks.stale(key, now);
        auto *header = MetricsTable->verticalHeaderItem(row);
        header->setText(QString::fromUtf8(MetricsRows[row]) + (stale ? StaleMark : QString()));
        header->setToolTip(QString::fromStdString(m_marks.note(key, now)));
        greyCells(MetricsTable, stale, row);
    }
    for (const auto &marker : m_markers)
        marker(now);
}

// Three curves and, in the last row, the filter's taps as they stand at the redraw.
void TMainForm::refreshMetrics(int halfWidth) {
    SourcePrints now = currentPrints();
    noteOutputInputs(now);
    const core::SignalArray *curves[] = {&m_state.SignalBuffer, &m_state.OutputBuffer, &m_state.ResponseBuffer, nullptr,
                                         &m_state.FixedOutputBuffer};
    for (int row = 0; row < MetricsTable->rowCount(); ++row) {
        core::PulseMetrics metrics;
        try {
            metrics = row != FilterRow
                          ? core::measurePulse(*curves[row], halfWidth, samplingFrequency())
                          : core::measureFilter(m_state.FilterBuffer, m_state.FilterHalfWidth, samplingFrequency());
        } catch (const std::exception &) {
            // Without a readable sampling frequency there is no time axis: every cell shows "—".
        }
        for (int column = 0; column < MetricsTable->columnCount(); ++column) {
            const core::MetricField &f = core::MetricFields[column];
            widgets::setQuantityCell(MetricsTable, row, column, metrics.*(f.value), widgets::quantityOfMetric(f.column),
                                     f.cut != nullptr && metrics.*(f.cut) ? CutMark : QString());
        }
        // The filtered signal's row stands for the signal and filter the filtered signal was
        // computed from, not those of now.
        SourcePrints taken = now;
        if (row == OutputRow) {
            taken[at(ResultSource::Signal)] = m_outputSignal;
            taken[at(ResultSource::Filter)] = m_outputFilter;
        } else if (row == FixedOutputRow) {
            taken[at(ResultSource::Signal)] = m_fixedSignal;
            taken[at(ResultSource::Filter)] = m_fixedFilter;
            taken[at(ResultSource::HardwareWords)] = m_fixedWords;
            taken[at(ResultSource::TapWords)] = m_fixedTaps;
        }
        m_marks.computed(metricsRowKey(row).toStdString(), taken);
    }
    refreshStaleMarks();
}

void TMainForm::applyDisplaySettings() {
    LineWidthSpinEditChange();
    PointsCheckBoxClick();
    PointSizeSpinEditChange();
    CheckBox1Click();
}

void TMainForm::CalcOutBitBtnClick() {
    guard([&] {
        core::calcOut(m_state);
        refreshChart();
    });
}

void TMainForm::LineWidthSpinEditChange() {
    for (int s = 0; s < Chart->seriesCount(); ++s)
        Chart->series(s)->setLineWidth(LineWidthSpinEdit->value());
}

void TMainForm::PointsCheckBoxClick() {
    for (int s = 0; s < Chart->seriesCount(); ++s)
        Chart->series(s)->setPointerVisible(PointsCheckBox->isChecked());
}

void TMainForm::PointSizeSpinEditChange() {
    guard([&] {
        for (int s = 0; s < Chart->seriesCount(); ++s)
            Chart->series(s)->setPointerSize(PointSizeSpinEdit->value(), PointSizeSpinEdit->value());
    });
}

void TMainForm::CheckBox1Click() {
    Series1->setActive(CheckBox1->isChecked());
    Series2->setActive(CheckBox2->isChecked());
    Series3->setActive(CheckBox3->isChecked());
    Series4->setActive(CheckBox4->isChecked());
}

void TMainForm::ExitSpeedButtonClick() {
    close();
}

void TMainForm::SignalBitBtnClick() {
    if (m_signalForm)
        m_signalForm->showAndFocus();
}

void TMainForm::FilterBitBtnClick() {
    if (m_filterForm)
        m_filterForm->showAndFocus();
}

void TMainForm::SpectorBitBtnClick() {
    if (m_spectorForm)
        m_spectorForm->showAndFocus();
}

void TMainForm::ZoomUnDoButtonClick() {
    Chart->undoZoom();
}

void TMainForm::SaveToClipBoardN5Click() {
    Chart->SaveToClipBoardN5Click();
}

void TMainForm::SaveToBMPFileN6Click() {
    Chart->SaveToBMPFileN6Click();
}

void TMainForm::OpenFileSpeedButtonClick() {
    if (onOpenProject)
        guard(onOpenProject);
}

void TMainForm::SaveFileSpeedButtonClick() {
    if (onSaveProject)
        guard(onSaveProject);
}

void TMainForm::SaveCurrentProjectClick() {
    if (onSaveCurrentProject)
        guard(onSaveCurrentProject);
}

void TMainForm::closeEvent(QCloseEvent *event) {
    if (onCloseRequest && !onCloseRequest()) {
        event->ignore();
        return;
    }
    // A running search ends after its current epoch; the program ends when its handler returns.
    if (m_state.SearchRunning)
        core::stopSearch(m_state);
    for (TForm *w : windows())
        if (w != this)
            w->hide();
    event->accept();
    QCoreApplication::quit();
}

} // namespace pulsefir::ui
