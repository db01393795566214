#include "SpectorUnit.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>
#include <span>

#include "base/number_text.h"
#include "core/spectrum_views.h"
#include "project/settings_conversions.h"
#include "project/window_placement.h"
#include "ui/MainUnit.h"
#include "ui/widgets/numeric_text.h"

namespace pulsefir::ui {

namespace {
// A setting of this window, found while the program compiles.
consteval const project::SettingDefinition &setting(std::string_view key) {
    return project::setting("SpectorForm", key);
}
} // namespace

namespace {
// The colour of every point of Series1..Series6, then of the group delays Series7..Series9,
// each in its source's amplitude colour and dashed, so that a delay is told from the amplitude
// by its stroke and from the other sources' delays by its colour.
constexpr QRgb SeriesColors[SpectraSeriesCount] = {qRgb(0, 0, 0),   qRgb(0, 0, 255), qRgb(128, 0, 0),
                                                   qRgb(0, 0, 128), qRgb(255, 0, 0), qRgb(0, 128, 0),
                                                   qRgb(0, 0, 0),   qRgb(128, 0, 0), qRgb(255, 0, 0)};
constexpr std::size_t FirstDelaySeries = 6;
constexpr int FieldWidth = 80;   // px: ten characters and the spin button
constexpr int ParameterGap = 12; // px between a field and the next label
constexpr int SpareRow = 4;      // of the check-box grid
// The colours stored with the series, never seen.
const Qt::GlobalColor StoredColors[SpectraSeriesCount] = {
    Qt::lightGray, Qt::red, Qt::green, Qt::yellow, Qt::blue, Qt::white, Qt::darkGray, Qt::darkRed, Qt::magenta};

QLabel *boldLabel(QWidget *parent, const QString &text) {
    auto *l = new QLabel(text, parent);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}
} // namespace

namespace {
QString amplitudeCaption(bool decibels) {
    return decibels ? "амплитуда [дБ]" : "амплитуда (норм.)";
}

const char *const DelayCaption = "групповая задержка [мкс]";

QString phaseCaption(bool unwrapped, bool cosinePhase) {
    const QString phase = unwrapped ? "развернутая фаза" : "фаза";
    return phase + (cosinePhase ? " от косинуса [рад]" : " [рад]");
}

// The convention of the phase boxes' hint.
const char *const PhaseHint =
    "Фаза φ = atan2(C, S) [рад], где C = Σ x·cos ωt, S = Σ x·sin ωt: она отсчитывается от синуса,\n"
    "φ = arg Σ x·e^(−iωt) + π/2. Синус с центром в отсчёте 0 имеет фазу 0, косинус и симметричный\n"
    "фильтр — ±π/2. «Фаза относительно косинуса» вычитает π/2, как считают большинство других программ.";
} // namespace

std::pair<QString, QString> spectraAxisCaptions(bool decibels, bool unwrapped, bool groupDelay, bool cosinePhase) {
    const QString amplitude = amplitudeCaption(decibels);
    const QString phase = phaseCaption(unwrapped, cosinePhase);
    if (groupDelay)
        return {amplitude + " / " + phase, QString::fromUtf8(DelayCaption)};
    if (decibels)
        return {amplitude, phase};
    return {amplitude + " / " + phase, QString()};
}

QString spectraVerticalCaption(bool decibels, bool unwrapped, bool groupDelay, bool cosinePhase) {
    const auto [left, right] = spectraAxisCaptions(decibels, unwrapped, groupDelay, cosinePhase);
    return right.isEmpty() ? left : left + " / " + right;
}

bool spectraPhaseOnRightAxis(bool decibels, bool groupDelay) {
    return decibels && !groupDelay;
}

TSpectorForm::TSpectorForm(core::CoreState &state, TMainForm &mainForm)
    : TForm("SpectorForm", "SpectorForm"), m_state(state), m_main(mainForm) {
    setOuterGeometry(rectOf(project::designedPlacement("SpectorForm").frame), true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1 = panel(this, "Panel1", 41);
    auto *top = new QHBoxLayout(Panel1);
    top->setContentsMargins(6, 2, 6, 2); // the button's height fits the 41 px panel
    ZoomUnDoButton = button(Panel1, "ZoomUnDoButton", "Отмена ZOOM-а");
    top->addWidget(ZoomUnDoButton);
    top->addSpacing(ParameterGap);

    Chart = declare(new widgets::TChart(this));
    // Normalised amplitudes and phases share the vertical axis.
    Chart->setAxisCaptions("частота [МГц]", spectraVerticalCaption(false, false, false));
    for (int s = 0; s < SpectraSeriesCount; ++s)
        Series[static_cast<std::size_t>(s)] = Chart->addSeries("Series" + widgets::integerText(s + 1), StoredColors[s]);
    for (std::size_t s = FirstDelaySeries; s < Series.size(); ++s) {
        Series[s]->setLineStyle(Qt::DashLine);
        Series[s]->setOnRightAxis(true); // in µs, never on the scale of the amplitudes
    }
    // Column names of the chart's CSV export.
    Chart->setCsvXHeader("Частота [МГц]");
    nameSeries(false);

    Panel2 = panel(this, "Panel2", 147);
    FL_NmSuperSpin = floatField(Panel2, setting("FL_NmSuperSpin"));
    FH_NmSuperSpin = floatField(Panel2, setting("FH_NmSuperSpin"));
    PointsNmSpinEdit = integerField(Panel2, setting("PointsNmSpinEdit"));
    CheckBox1 = checkBox(Panel2, setting("CheckBox1"), "Амплитудный спектр");
    CheckBox2 = checkBox(Panel2, setting("CheckBox2"), "Фазовый спектр");
    CheckBox3 = checkBox(Panel2, setting("CheckBox3"), "Амплитудный спектр");
    CheckBox4 = checkBox(Panel2, setting("CheckBox4"), "Фазовый спектр");
    CheckBox5 = checkBox(Panel2, setting("CheckBox5"), "Нормировать амплитуду");
    CheckBox6 = checkBox(Panel2, setting("CheckBox6"), "Нормировать амплитуду");
    LineWidthSpinEdit = arrowSpin(Panel2, setting("LineWidthSpinEdit"));
    PointsCheckBox = checkBox(Panel2, setting("PointsCheckBox"), "Точки");
    PointSizeSpinEdit = arrowSpin(Panel2, setting("PointSizeSpinEdit"));
    CheckBox7 = checkBox(Panel2, setting("CheckBox7"), "Нормировать амплитуду");
    CheckBox8 = checkBox(Panel2, setting("CheckBox8"), "Амплитудный спектр");
    CheckBox9 = checkBox(Panel2, setting("CheckBox9"), "Фазовый спектр");
    CalcSpectorsBitBtn = button(Panel2, "CalcSpectorsBitBtn", "Расчет спектров", true);
    DbCheckBox = checkBox(Panel2, setting("DbCheckBox"), "Амплитуда в дБ");
    UnwrapCheckBox = checkBox(Panel2, setting("UnwrapCheckBox"), "Развернуть фазу");
    DelayCheckBox = checkBox(Panel2, setting("DelayCheckBox"), "Групповая задержка [мкс]");
    // The bottom panel has no room left in its rows: the fourth display option and the note on
    // aliases stand in the top panel, beside the undo button.
    CosinePhaseCheckBox = checkBox(Panel1, setting("CosinePhaseCheckBox"), "Фаза относительно косинуса");
    for (QCheckBox *box : {CheckBox2, CheckBox4, CheckBox9, CosinePhaseCheckBox})
        box->setToolTip(QString::fromUtf8(PhaseHint));
    AliasNoteLabel = new QLabel(Panel1);
    AliasNoteLabel->setObjectName("AliasNoteLabel");
    AliasNoteLabel->setStyleSheet("color: red;");
    AliasNoteLabel->setToolTip("Спектр дискретного сигнала периодичен с периодом частоты дискретизации: выше её "
                               "половины он повторяет нижние частоты зеркально,\nи нормировка амплитуды может взять "
                               "максимум у такого отражения.");
    top->addWidget(CosinePhaseCheckBox);
    top->addSpacing(ParameterGap);
    top->addWidget(AliasNoteLabel, 1);

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
        connect(box, &QCheckBox::toggled, this, &TSpectorForm::updateSeriesView);
    for (widgets::TSpinEdit *spin : {LineWidthSpinEdit, PointSizeSpinEdit})
        connect(spin, &QLineEdit::textChanged, this, &TSpectorForm::updateSeriesView);
    for (QCheckBox *box : {DbCheckBox, UnwrapCheckBox, CosinePhaseCheckBox})
        connect(box, &QCheckBox::toggled, this, &TSpectorForm::DisplayOptionsClick);
    connect(DelayCheckBox, &QCheckBox::toggled, this, &TSpectorForm::DelayCheckBoxClick);
}

QString TSpectorForm::verticalCaption() const {
    return spectraVerticalCaption(DbCheckBox->isChecked(), UnwrapCheckBox->isChecked(), DelayCheckBox->isChecked(),
                                  CosinePhaseCheckBox->isChecked());
}

// The legend and the chart's CSV columns name what each curve shows in the chosen view.
void TSpectorForm::nameSeries(bool decibels) {
    static const char *const sources[3] = {"сигнала", "фильтра", "после фильтра"};
    for (std::size_t c = 0; c < 3; ++c) {
        const QString source = QString::fromUtf8(sources[c]);
        Series[2 * c]->setCaption(QString::fromUtf8("Амплитуда ") + source + (decibels ? " [дБ]" : ""));
        Series[2 * c + 1]->setCaption(QString::fromUtf8("Фаза ") + source + " [рад]");
        Series[FirstDelaySeries + c]->setCaption(QString::fromUtf8("Групповая задержка ") + source + " [мкс]");
    }
}

void TSpectorForm::applyAxes() {
    const bool decibels = DbCheckBox->isChecked();
    const bool delay = DelayCheckBox->isChecked();
    nameSeries(decibels);
    for (std::size_t s = 0; s < FirstDelaySeries; ++s) {
        // Amplitudes at the dB floor only say "this low or lower": they set no scale.
        if (s % 2 == 0)
            Series[s]->setScaleFloor(decibels ? core::DecibelFloor : -std::numeric_limits<double>::infinity());
        else
            Series[s]->setOnRightAxis(spectraPhaseOnRightAxis(decibels, delay));
    }
    const auto [left, right] =
        spectraAxisCaptions(decibels, UnwrapCheckBox->isChecked(), delay, CosinePhaseCheckBox->isChecked());
    Chart->setAxisCaptions(Chart->xCaption(), left);
    Chart->setRightAxisCaption(right);
}

TSpectorForm::SeriesValues TSpectorForm::seriesValues() const {
    const core::SpectorResults &r = m_state.Spectra;
    const auto n = static_cast<std::size_t>(std::max(0, r.SpectorPointCount));
    auto points = [n](const core::SpectorArray &a) { return std::span<const double>(a.data(), n); };
    const core::SpectorArray *amplitudes[3] = {&r.SignalAmplitudeBuffer, &r.FilterAmplitudeBuffer,
                                               &r.OutputAmplitudeBuffer};
    const core::SpectorArray *phases[3] = {&r.SignalPhaseBuffer, &r.FilterPhaseBuffer, &r.OutputPhaseBuffer};
    const core::SpectorArray *delays[3] = {&r.SignalDelayBuffer, &r.FilterDelayBuffer, &r.OutputDelayBuffer};
    SeriesValues values;
    for (std::size_t c = 0; c < 3; ++c) {
        const auto amplitude = points(*amplitudes[c]);
        values[2 * c] = DbCheckBox->isChecked() ? core::amplitudeDecibels(amplitude)
                                                : std::vector<double>(amplitude.begin(), amplitude.end());
        // NaN where the amplitude is below its floor: a gap in the curve.
        const auto delay = points(*delays[c]);
        values[FirstDelaySeries + c].assign(delay.begin(), delay.end());
        const auto computed = points(*phases[c]);
        std::vector<double> phase = CosinePhaseCheckBox->isChecked()
                                        ? core::cosinePhase(computed)
                                        : std::vector<double>(computed.begin(), computed.end());
        values[2 * c + 1] = UnwrapCheckBox->isChecked() ? core::unwrapPhase(phase) : std::move(phase);
    }
    return values;
}

void TSpectorForm::fillSeries(const SeriesValues &values) {
    // The series are inactive while they are refilled, and shown as the check boxes say after.
    for (widgets::TLineSeries *s : Series)
        s->setActive(false);
    for (widgets::TLineSeries *s : Series)
        s->clearPoints();
    applyAxes();
    const core::SpectorResults &r = m_state.Spectra;
    for (std::size_t s = 0; s < Series.size(); ++s)
        for (std::size_t k = 0; k < values[s].size(); ++k)
            Series[s]->addPoint(core::gridFrequency(r.OmegaBuffer[k]), values[s][k], QColor(SeriesColors[s]));
    updateSeriesView();
}

project::SpectraSettings TSpectorForm::spectraSettings() const {
    project::SpectraSettings s;
    s.lowFrequency = FL_NmSuperSpin->value();
    s.highFrequency = FH_NmSuperSpin->value();
    s.pointCount = PointsNmSpinEdit->value();
    s.normalizeSignal = CheckBox5->isChecked();
    s.normalizeFilter = CheckBox6->isChecked();
    s.normalizeOutput = CheckBox7->isChecked();
    return s;
}

void TSpectorForm::CalcSpectorsBitBtnClick() {
    guard([&] {
        DisabledWhile disabled(CalcSpectorsBitBtn);
        const double samplingFrequency = m_main.samplingFrequency();
        const core::SpectorParameters p = project::spectra(spectraSettings());
        core::calcSpectors(m_state, samplingFrequency, p);
        m_hasResults = true;
        // The note describes the curves shown: it changes only with a computation that succeeded.
        AliasNoteLabel->clear();
        if (core::gridAboveHalfSampling(samplingFrequency, p)) {
            const QString half = widgets::significantText(samplingFrequency / 2.0, 6);
            AliasNoteLabel->setText(QString("Выше %1 МГц (половины частоты дискретизации) — отражение").arg(half));
        }
        fillSeries(seriesValues());
    });
}

void TSpectorForm::updateSeriesView() {
    // The group delays follow their own box alone, whatever the amplitude and phase boxes say.
    const QCheckBox *shown[SpectraSeriesCount] = {CheckBox1, CheckBox2,     CheckBox3,     CheckBox4,    CheckBox8,
                                                  CheckBox9, DelayCheckBox, DelayCheckBox, DelayCheckBox};
    for (std::size_t s = 0; s < Series.size(); ++s)
        Series[s]->setActive(shown[s]->isChecked());
    guard([&] {
        for (int s = 0; s < Chart->seriesCount(); ++s) {
            widgets::TLineSeries *series = Chart->series(s);
            series->setLineWidth(LineWidthSpinEdit->value());
            // The delays carry no markers: at a few pixels per point they would fill the dashes
            // that tell a delay from its source's amplitude.
            series->setPointerVisible(PointsCheckBox->isChecked() && static_cast<std::size_t>(s) < FirstDelaySeries);
            series->setPointerSize(PointSizeSpinEdit->value(), PointSizeSpinEdit->value());
        }
    });
}

void TSpectorForm::ZoomUnDoButtonClick() {
    Chart->undoZoom();
}

// The delays are held from the last computation whatever the options: their box only shows or
// hides them and moves the phases to the axis left free.
void TSpectorForm::DelayCheckBoxClick() {
    applyAxes();
    updateSeriesView();
}

// The display options of dB, unwrapping and the cosine reference redraw the last results at once;
// nothing is computed anew, and before the first computation the chart stays empty.
void TSpectorForm::DisplayOptionsClick() {
    // The captions say what the vertical axes show, with or without curves.
    applyAxes();
    if (!m_hasResults)
        return;
    guard([&] { fillSeries(seriesValues()); });
}

} // namespace pulsefir::ui
