#include "SpectorUnit.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <algorithm>
#include <span>

#include "core/spectrum_views.h"
#include "project/WindowPlacement.h"
#include "ui/MainUnit.h"
#include "ui/widgets/numeric_text.h"

namespace pulsefir::ui {

namespace {
// The colour of every point of Series1..Series6.
constexpr QRgb SeriesColors[6] = {qRgb(0, 0, 0),   qRgb(0, 0, 255), qRgb(128, 0, 0),
                                  qRgb(0, 0, 128), qRgb(255, 0, 0), qRgb(0, 128, 0)};
constexpr int FieldWidth = 80;   // px: ten characters and the spin button
constexpr int ParameterGap = 12; // px between a field and the next label
constexpr int SpareRow = 4;      // of the check-box grid
// The colours stored with the series, never seen.
const Qt::GlobalColor StoredColors[6] = {Qt::lightGray, Qt::red, Qt::green, Qt::yellow, Qt::blue, Qt::white};

QLabel *boldLabel(QWidget *parent, const QString &text) {
    auto *l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}
} // namespace

QString SpectraVerticalCaption(bool decibels, bool unwrapped, bool groupDelay) {
    const QString amplitude = decibels ? "амплитуда [дБ]" : "амплитуда (норм.)";
    const QString phase = groupDelay ? "групповая задержка [мкс]" : unwrapped ? "развернутая фаза [рад]" : "фаза [рад]";
    return amplitude + " / " + phase;
}

TSpectorForm::TSpectorForm(CoreState &state, TMainForm &mainForm)
    : TForm("SpectorForm", "SpectorForm"), m_state(state), m_main(mainForm) {
    setOuterGeometry(RectOf(project::DesignedPlacement("SpectorForm").frame), true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = panel(this, "Panel1", 41);
    auto *top = new QHBoxLayout(Panel1);
    top->setContentsMargins(6, 2, 6, 2); // the button's height fits the 41 px panel
    ZoomUnDoButton = button(Panel1, "ZoomUnDoButton", "Отмена ZOOM-а");
    top->addWidget(ZoomUnDoButton);
    top->addStretch(1);

    Chart = declare(new TChart(this));
    // Normalised amplitudes and phases share the vertical axis.
    Chart->setAxisCaptions("частота [МГц]", SpectraVerticalCaption(false, false, false));
    for (int s = 0; s < 6; ++s)
        Series[static_cast<std::size_t>(s)] = Chart->addSeries("Series" + IntegerText(s + 1), StoredColors[s]);
    // Column names of the chart's CSV export.
    Chart->setCsvXHeader("Частота [МГц]");
    const char *captions[] = {"Амплитуда сигнала",  "Фаза сигнала [рад]",      "Амплитуда фильтра",
                              "Фаза фильтра [рад]", "Амплитуда после фильтра", "Фаза после фильтра [рад]"};
    for (int s = 0; s < 6; ++s)
        Series[static_cast<std::size_t>(s)]->setCaption(QString::fromUtf8(captions[s]));

    Panel2 = panel(this, "Panel2", 147);
    FL_NmSuperSpin = floatField(Panel2, "FL_NmSuperSpin");
    FH_NmSuperSpin = floatField(Panel2, "FH_NmSuperSpin");
    PointsNmSpinEdit = integerField(Panel2, "PointsNmSpinEdit");
    CheckBox1 = checkBox(Panel2, "CheckBox1", "Амплитудный спектр");
    CheckBox2 = checkBox(Panel2, "CheckBox2", "Фазовый спектр");
    CheckBox3 = checkBox(Panel2, "CheckBox3", "Амплитудный спектр");
    CheckBox4 = checkBox(Panel2, "CheckBox4", "Фазовый спектр");
    CheckBox5 = checkBox(Panel2, "CheckBox5", "Нормировать амплитуду");
    CheckBox6 = checkBox(Panel2, "CheckBox6", "Нормировать амплитуду");
    LineWidthSpinEdit = arrowSpin(Panel2, "LineWidthSpinEdit");
    PointsCheckBox = checkBox(Panel2, "PointsCheckBox", "Точки");
    PointSizeSpinEdit = arrowSpin(Panel2, "PointSizeSpinEdit");
    CheckBox7 = checkBox(Panel2, "CheckBox7", "Нормировать амплитуду");
    CheckBox8 = checkBox(Panel2, "CheckBox8", "Амплитудный спектр");
    CheckBox9 = checkBox(Panel2, "CheckBox9", "Фазовый спектр");
    CalcSpectorsBitBtn = button(Panel2, "CalcSpectorsBitBtn", "Расчет спектров", true);
    DbCheckBox = checkBox(Panel2, "DbCheckBox", "Амплитуда в дБ");
    UnwrapCheckBox = checkBox(Panel2, "UnwrapCheckBox", "Развернуть фазу");
    DelayCheckBox = checkBox(Panel2, "DelayCheckBox", "Групповая задержка [мкс]");

    // Two rows inside the 147 px panel, narrow enough for 815 px with a frame: the range and the
    // number of points on top; below them the three source columns, the display settings and
    // the button.
    auto *rows = new QVBoxLayout(Panel2);
    rows->setContentsMargins(6, 3, 6, 3);
    rows->setSpacing(3);
    auto *parameters = new QHBoxLayout;
    parameters->setSpacing(6);
    const std::pair<const char *, QWidget *> fields[] = {{"Нижняя частота [МГц]", FL_NmSuperSpin},
                                                         {"Верхняя частота [МГц]", FH_NmSuperSpin},
                                                         {"Количество точек", PointsNmSpinEdit}};
    for (const auto &[caption, field] : fields) {
        parameters->addWidget(new QLabel(QString::fromUtf8(caption), Panel2));
        field->setFixedWidth(FieldWidth);
        parameters->addWidget(field);
        parameters->addSpacing(ParameterGap);
    }
    parameters->addStretch(1);
    rows->addLayout(parameters);

    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(1);
    grid->setHorizontalSpacing(8);
    // Three columns: normalisation on top, amplitude below it, phase at the bottom.
    const std::tuple<const char *, QCheckBox *, QCheckBox *, QCheckBox *> columns[] = {
        {"УЗ сигнал", CheckBox5, CheckBox1, CheckBox2},
        {"Фильтр", CheckBox6, CheckBox3, CheckBox4},
        {"Сигнал после фильтра", CheckBox7, CheckBox8, CheckBox9}};
    int column = 0;
    for (const auto &[heading, normalize, amplitude, phase] : columns) {
        grid->addWidget(boldLabel(Panel2, QString::fromUtf8(heading)), 0, column);
        grid->addWidget(normalize, 1, column);
        grid->addWidget(amplitude, 2, column);
        grid->addWidget(phase, 3, column);
        ++column;
    }
    grid->addWidget(new QLabel("толщина линий", Panel2), 0, column);
    grid->addWidget(LineWidthSpinEdit, 1, column);
    grid->addWidget(PointsCheckBox, 2, column);
    grid->addWidget(PointSizeSpinEdit, 3, column);
    // Display options of the curves already computed, in the row kept free under the columns.
    auto *options = new QHBoxLayout;
    options->setSpacing(12);
    for (QCheckBox *box : {DbCheckBox, UnwrapCheckBox, DelayCheckBox})
        options->addWidget(box);
    options->addStretch(1);
    grid->addLayout(options, SpareRow, 0, 1, column);
    grid->addWidget(CalcSpectorsBitBtn, SpareRow, column);
    grid->setColumnStretch(column + 1, 1);
    rows->addLayout(grid);
    rows->addStretch(1);

    layout->addWidget(Panel1);
    layout->addWidget(Chart, 1);
    layout->addWidget(Panel2);

    connect(CalcSpectorsBitBtn, &QPushButton::clicked, this, &TSpectorForm::CalcSpectorsBitBtnClick);
    connect(ZoomUnDoButton, &QPushButton::clicked, this, &TSpectorForm::ZoomUnDoButtonClick);
    for (QCheckBox *box : {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox8, CheckBox9, PointsCheckBox})
        connect(box, &QCheckBox::toggled, this, &TSpectorForm::UpdateSeriesView);
    for (TSpinEdit *spin : {LineWidthSpinEdit, PointSizeSpinEdit})
        connect(spin, &QLineEdit::textChanged, this, &TSpectorForm::UpdateSeriesView);
    for (QCheckBox *box : {DbCheckBox, UnwrapCheckBox, DelayCheckBox})
        connect(box, &QCheckBox::toggled, this, &TSpectorForm::DisplayOptionsClick);
}

QString TSpectorForm::verticalCaption() const {
    return SpectraVerticalCaption(DbCheckBox->isChecked(), UnwrapCheckBox->isChecked(), DelayCheckBox->isChecked());
}

TSpectorForm::SeriesValues TSpectorForm::seriesValues() const {
    const SpectorResults &r = m_state.Spectra;
    const auto n = static_cast<std::size_t>(std::max(0, r.SpectorPointCount));
    auto points = [n](const SpectorArray &a) { return std::span<const double>(a.data(), n); };
    const SpectorArray *amplitudes[3] = {&r.SignalAmplitudeBuffer, &r.FilterAmplitudeBuffer, &r.OutputAmplitudeBuffer};
    const SpectorArray *phases[3] = {&r.SignalPhaseBuffer, &r.FilterPhaseBuffer, &r.OutputPhaseBuffer};
    SeriesValues values;
    for (std::size_t c = 0; c < 3; ++c) {
        const auto amplitude = points(*amplitudes[c]);
        const auto phase = points(*phases[c]);
        values[2 * c] = DbCheckBox->isChecked() ? AmplitudeDecibels(amplitude)
                                                : std::vector<double>(amplitude.begin(), amplitude.end());
        if (DelayCheckBox->isChecked())
            values[2 * c + 1] = GroupDelay(points(r.OmegaBuffer), UnwrapPhase(phase));
        else if (UnwrapCheckBox->isChecked())
            values[2 * c + 1] = UnwrapPhase(phase);
        else
            values[2 * c + 1] = std::vector<double>(phase.begin(), phase.end());
    }
    return values;
}

void TSpectorForm::fillSeries(const SeriesValues &values) {
    // The series are inactive while they are refilled, and shown as the check boxes say after.
    for (TLineSeries *s : Series)
        s->setActive(false);
    for (TLineSeries *s : Series)
        s->ClearPoints();
    const SpectorResults &r = m_state.Spectra;
    for (std::size_t s = 0; s < 6; ++s)
        for (std::size_t k = 0; k < values[s].size(); ++k)
            Series[s]->AddPoint(GridFrequency(r.OmegaBuffer[k]), values[s][k], QColor(SeriesColors[s]));
    UpdateSeriesView();
}

void TSpectorForm::CalcSpectorsBitBtnClick() {
    guard([&] {
        DisabledWhile disabled(CalcSpectorsBitBtn);
        const double samplingFrequency = m_main.samplingFrequency();
        SpectorParameters p;
        p.LowFrequency = FL_NmSuperSpin->Value();
        p.HighFrequency = FH_NmSuperSpin->Value();
        p.PointCount = PointsNmSpinEdit->Value();
        p.NormalizeSignal = CheckBox5->isChecked();
        p.NormalizeFilter = CheckBox6->isChecked();
        p.NormalizeOutput = CheckBox7->isChecked();
        CalcSpectors(m_state, samplingFrequency, p);
        m_hasResults = true;
        // Formed before the series change: a view that cannot be formed leaves the chart as it was.
        const SeriesValues values = seriesValues();

        fillSeries(values);
    });
}

void TSpectorForm::UpdateSeriesView() {
    const QCheckBox *shown[6] = {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox8, CheckBox9};
    for (std::size_t s = 0; s < 6; ++s)
        Series[s]->setActive(shown[s]->isChecked());
    guard([&] {
        for (int s = 0; s < Chart->SeriesCount(); ++s) {
            TLineSeries *series = Chart->Series(s);
            series->setLineWidth(LineWidthSpinEdit->Value());
            series->setPointerVisible(PointsCheckBox->isChecked());
            series->setPointerSize(PointSizeSpinEdit->Value(), PointSizeSpinEdit->Value());
        }
    });
}

void TSpectorForm::ZoomUnDoButtonClick() {
    Chart->UndoZoom();
}

// The three display options redraw the last results at once; nothing is computed anew, and
// before the first computation the chart stays empty.
void TSpectorForm::DisplayOptionsClick() {
    // The caption says what the vertical axis shows, with or without curves.
    Chart->setAxisCaptions(Chart->xCaption(), verticalCaption());
    if (!m_hasResults)
        return;
    guard([&] {
        const SeriesValues values = seriesValues();
        fillSeries(values);
    });
}

} // namespace pulsefir::ui
