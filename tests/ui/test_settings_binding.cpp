#include <QCheckBox>
#include <QTest>

#include <cmath>
#include <memory>
#include <set>
#include <string>

#include "project/path_set.h"
#include "project/settings_conversions.h"
#include "project/settings_table.h"
#include "scripted_platform.h"
#include "ui/FilterUnit.h"
#include "ui/MainUnit.h"
#include "ui/SignalUnit.h"
#include "ui/SpectorUnit.h"
#include "ui/application.h"
#include "ui/widgets/float_field.h"
#include "ui/widgets/integer_field.h"
#include "ui/widgets/radio_group.h"

using namespace pulsefir;
using namespace pulsefir::core;
using namespace pulsefir::ui;
using namespace pulsefir::ui::widgets;

namespace {

// Every core parameter the windows' operations take, gathered once from the windows' fields and
// once from settings as the command line holds them.
struct Parameters {
    double samplingFrequency = 0;
    int signalHalfWidth = 0;
    ToneBurstParameters burst;
    double noise = 0;
    int fileRate = 0, fileOffset = 0, fileTimeUnit = 0, fileDecimal = 0, fileColumn = 0;
    double fileScale = 0;
    FilterSynthesisParameters synthesis;
    ResponseParameters response;
    int searchHalfWidth = 0, startFilter = 0, epochLimit = 0, coeBits = 0;
    double randomStep = 0, regularisation = 0;
    bool regularisationAuto = false;
    SpectorParameters spectra;
    FixedPointFormat fixedPoint;
    int latency = 0;
    PathParameters path;
    std::vector<project::PathConditions> pathGrid;
    std::vector<double> pathGridFields; // a "to" that a count of 1 does not use changes no grid
    int setCriterion = 0;

    static bool same(const PathPoint &a, const PathPoint &b) {
        return a.Distance == b.Distance && a.Air.Temperature == b.Air.Temperature && a.Air.Humidity == b.Air.Humidity &&
               a.Air.Pressure == b.Air.Pressure;
    }

    bool operator==(const Parameters &o) const {
        const auto &b = burst, &ob = o.burst;
        const auto &y = synthesis, &oy = o.synthesis;
        const auto &r = response, &orr = o.response;
        const auto &p = spectra, &op = o.spectra;
        return samplingFrequency == o.samplingFrequency && signalHalfWidth == o.signalHalfWidth &&
               b.Amplitude == ob.Amplitude && b.Frequency == ob.Frequency && b.PhaseDeg == ob.PhaseDeg &&
               b.FrontTimeConstant == ob.FrontTimeConstant && b.ExcitationTime == ob.ExcitationTime &&
               b.Shift == ob.Shift && noise == o.noise && fileRate == o.fileRate && fileOffset == o.fileOffset &&
               fileTimeUnit == o.fileTimeUnit && fileDecimal == o.fileDecimal && fileColumn == o.fileColumn &&
               fileScale == o.fileScale && y.FilterHalfWidth == oy.FilterHalfWidth && y.F0 == oy.F0 && y.DF == oy.DF &&
               y.K == oy.K && y.PhazeShift == oy.PhazeShift && y.FilterType == oy.FilterType &&
               y.WinType == oy.WinType && r.Ar1 == orr.Ar1 && r.Tr1 == orr.Tr1 &&
               r.ResponseShape == orr.ResponseShape && searchHalfWidth == o.searchHalfWidth &&
               startFilter == o.startFilter && epochLimit == o.epochLimit && coeBits == o.coeBits &&
               randomStep == o.randomStep && regularisation == o.regularisation &&
               regularisationAuto == o.regularisationAuto && p.LowFrequency == op.LowFrequency &&
               p.HighFrequency == op.HighFrequency && p.PointCount == op.PointCount &&
               p.NormalizeSignal == op.NormalizeSignal && p.NormalizeFilter == op.NormalizeFilter &&
               p.NormalizeOutput == op.NormalizeOutput && fixedPoint.inputBits == o.fixedPoint.inputBits &&
               fixedPoint.fullScale == o.fixedPoint.fullScale && fixedPoint.tapBits == o.fixedPoint.tapBits &&
               fixedPoint.outputBits == o.fixedPoint.outputBits && fixedPoint.rounding == o.fixedPoint.rounding &&
               fixedPoint.automaticShift == o.fixedPoint.automaticShift && fixedPoint.shift == o.fixedPoint.shift &&
               latency == o.latency && same(path.Recorded, o.path.Recorded) && same(path.Target, o.path.Target) &&
               path.Wave == o.path.Wave && path.KeepDelay == o.path.KeepDelay && pathGrid == o.pathGrid &&
               pathGridFields == o.pathGridFields && setCriterion == o.setCriterion;
    }
};

std::vector<double> gridFields(const project::FilterSettings &f) {
    return {f.pathSetDistanceFrom,    f.pathSetDistanceTo,    static_cast<double>(f.pathSetDistanceCount),
            f.pathSetTemperatureFrom, f.pathSetTemperatureTo, static_cast<double>(f.pathSetTemperatureCount),
            f.pathSetHumidityFrom,    f.pathSetHumidityTo,    static_cast<double>(f.pathSetHumidityCount)};
}

// As the command line makes them: the conversions over its settings.
Parameters fromSettings(const project::Settings &s) {
    Parameters p;
    p.samplingFrequency = s.main.samplingFrequency;
    p.signalHalfWidth = s.main.signalHalfWidth;
    p.burst = project::toneBurst(s.signal);
    p.noise = s.signal.noiseAmplitude;
    p.fileRate = s.signal.fileRate;
    p.fileOffset = s.signal.fileOffset;
    p.fileScale = s.signal.fileScale;
    p.fileTimeUnit = s.signal.fileTimeUnit;
    p.fileDecimal = s.signal.fileDecimal;
    p.fileColumn = s.signal.fileColumn;
    p.synthesis = project::filterSynthesis(s.filter);
    p.response = project::desiredResponse(s.filter);
    p.searchHalfWidth = s.filter.halfWidth;
    p.startFilter = s.filter.startFilter;
    p.epochLimit = s.filter.epochLimit;
    p.coeBits = s.filter.coeBits;
    p.randomStep = s.filter.randomStep;
    p.regularisation = s.filter.regularisation;
    p.regularisationAuto = s.filter.regularisationAuto;
    p.spectra = project::spectra(s.spectra);
    p.fixedPoint = project::fixedPoint(s.filter);
    p.latency = s.filter.latency;
    p.path = project::signalPath(s.signal);
    p.pathGrid = project::pathSetGrid(s.filter);
    p.pathGridFields = gridFields(s.filter);
    p.setCriterion = s.filter.setCriterion;
    return p;
}

// As the windows make them: what each operation reads from the fields, through the same
// conversions.
Parameters fromWindows(Application &app) {
    Parameters p;
    p.samplingFrequency = app.mainForm().samplingFrequency();
    p.signalHalfWidth = app.mainForm().SWNmSpinEdit->value();
    p.burst = project::toneBurst(app.signalForm().burstSettings());
    p.noise = app.signalForm().noiseSettings().noiseAmplitude;
    const project::SignalSettings placement = app.signalForm().placementSettings();
    p.fileRate = placement.fileRate;
    p.fileTimeUnit = placement.fileTimeUnit;
    p.fileDecimal = placement.fileDecimal;
    p.fileColumn = placement.fileColumn;
    p.fileOffset = placement.fileOffset;
    p.fileScale = placement.fileScale;
    TFilterForm &filter = app.filterForm();
    double synthesisRate = 0;
    p.synthesis = project::filterSynthesis(filter.synthesisSettings(synthesisRate));
    if (synthesisRate != p.samplingFrequency)
        p.samplingFrequency = -1; // the synthesis must read the main window's rate
    p.response = project::desiredResponse(filter.searchSettings());
    p.searchHalfWidth = filter.searchSettings().halfWidth;
    const project::FilterSettings leastSquares = filter.leastSquaresSettings();
    if (project::desiredResponse(leastSquares).Ar1 != p.response.Ar1 || leastSquares.halfWidth != p.searchHalfWidth)
        p.searchHalfWidth = -1; // the least squares must read what the search reads
    p.regularisation = leastSquares.regularisation;
    p.regularisationAuto = leastSquares.regularisationAuto;
    p.startFilter = filter.startSettings().startFilter;
    p.epochLimit = filter.epochLimit();
    p.randomStep = filter.randomStep();
    p.coeBits = filter.exportSettings().coeBits;
    p.spectra = project::spectra(app.spectorForm().spectraSettings());
    p.fixedPoint = project::fixedPoint(filter.fixedPointSettings());
    p.latency = leastSquares.latency;
    p.path = project::signalPath(app.signalForm().pathSettings());
    p.pathGrid = project::pathSetGrid(filter.pathSetSettings());
    p.pathGridFields = gridFields(filter.pathSetSettings());
    p.setCriterion = leastSquares.setCriterion;
    return p;
}

// A value of the setting's range other than its default.
double otherValue(const project::SettingDefinition &d) {
    switch (d.kind) {
    case project::SettingKind::Check:
        return d.defaultValue() != 0 ? 0 : 1;
    case project::SettingKind::Radio:
        return d.defaultValue() == d.maximum ? d.minimum : d.maximum;
    case project::SettingKind::Integer:
        return d.defaultValue() == d.maximum ? d.minimum : d.maximum - 1;
    case project::SettingKind::Float:
        break;
    }
    // A value of few digits within the range, to thousandths, so that the field's text holds it
    // exactly (0.001 + 99.999 * 0.375 has more digits than the field shows).
    return std::round((d.minimum + (d.maximum - d.minimum) * 0.375) * 1000.0) / 1000.0;
}

// Sets a window's field as the user would leave it.
void setField(Application &app, const project::SettingDefinition &d, double value) {
    TForm *window = nullptr;
    for (TForm *w :
         std::initializer_list<TForm *>{&app.mainForm(), &app.signalForm(), &app.filterForm(), &app.spectorForm()})
        if (w->objectName().toStdString() == d.section)
            window = w;
    QVERIFY(window);
    QWidget *field = window->component(QString::fromStdString(std::string(d.key)));
    QVERIFY2(field, d.key.data());
    if (auto *f = qobject_cast<TNmSuperSpin *>(field))
        f->setValue(value);
    else if (auto *i = qobject_cast<TSpinEdit *>(field))
        i->setValue(static_cast<int>(value));
    else if (auto *c = qobject_cast<QCheckBox *>(field))
        c->setChecked(value != 0);
    else if (auto *r = qobject_cast<TRadioGroup *>(field))
        r->setItemIndex(static_cast<int>(value));
    else
        QFAIL(d.key.data());
}

// The settings that only change what the charts show: no operation reads them.
const std::set<std::string> DisplayOnly{"MainForm.LineWidthSpinEdit",
                                        "MainForm.PointsCheckBox",
                                        "MainForm.PointSizeSpinEdit",
                                        "MainForm.CheckBox1",
                                        "MainForm.CheckBox2",
                                        "MainForm.CheckBox3",
                                        "MainForm.CheckBox4",
                                        "FilterForm.PointsCheckBox",
                                        "SpectorForm.CheckBox1",
                                        "SpectorForm.CheckBox2",
                                        "SpectorForm.CheckBox3",
                                        "SpectorForm.CheckBox4",
                                        "SpectorForm.LineWidthSpinEdit",
                                        "SpectorForm.PointsCheckBox",
                                        "SpectorForm.PointSizeSpinEdit",
                                        "SpectorForm.CheckBox8",
                                        "SpectorForm.CheckBox9",
                                        "SpectorForm.DbCheckBox",
                                        "SpectorForm.UnwrapCheckBox",
                                        "SpectorForm.DelayCheckBox",
                                        "SpectorForm.CosinePhaseCheckBox"};

} // namespace

// Every setting, set once through the windows' fields and once as the command line sets it,
// gives the same core parameters; and every setting an operation reads changes them.
class SettingsBindingTest : public QObject {
    Q_OBJECT

  private slots:
    void everyKeyGivesTheSameParametersThroughTheWindowsAndTheCommandLine_data() {
        QTest::addColumn<int>("index");
        for (std::size_t k = 0; k < project::SettingDefinitions.size(); ++k) {
            const auto &d = project::SettingDefinitions[k];
            const std::string name = std::string(d.section) + "." + std::string(d.key);
            QTest::newRow(name.c_str()) << static_cast<int>(k);
        }
    }

    void everyKeyGivesTheSameParametersThroughTheWindowsAndTheCommandLine() {
        QFETCH(int, index);
        const project::SettingDefinition &d = project::SettingDefinitions[static_cast<std::size_t>(index)];
        PlatformScope scope;
        Application app;
        const Parameters defaults = fromWindows(app);
        QVERIFY(defaults == fromSettings(project::Settings{}));
        const double value = otherValue(d);
        setField(app, d, value);
        project::Settings settings;
        d.set(settings, value);
        const Parameters windows = fromWindows(app);
        QVERIFY(windows == fromSettings(settings));
        const bool displayOnly = DisplayOnly.count(std::string(d.section) + "." + std::string(d.key)) != 0;
        QCOMPARE(windows == defaults, displayOnly);
    }
};

QObject *makeSettingsBindingTest() {
    return new SettingsBindingTest;
}

#include "test_settings_binding.moc"
