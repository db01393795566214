#pragma once

#include <array>
#include <cmath>
#include <span>
#include <string>
#include <string_view>

#include "project/settings.h"

namespace pulsefir::project {

enum class SettingKind { Float, Integer, Check, Radio };

// One stored setting: the window section and control name it is stored under (its key in the
// project file and on the command line), its kind, its range, and the member of Settings that
// holds it. The default is that member's in a fresh Settings, so it is written once. The windows
// build their fields from these, the command line reads them by "Section.Key", and the project
// file maps them, so all three use the same names and limits.
struct SettingDefinition {
    std::string_view section;
    std::string_view key;
    SettingKind kind;
    double minimum; // Radio: 0; Check: 0
    double maximum; // Radio: item count - 1; Check: 1
    double (*get)(const Settings &);
    void (*set)(Settings &, double);

    constexpr double defaultValue() const { return get(Settings{}); } // Check: 1 or 0; Radio: item
};

namespace detail {
inline void assign(double &member, double value) {
    member = value;
}
inline void assign(int &member, double value) {
    member = static_cast<int>(std::lround(value));
}
inline void assign(bool &member, double value) {
    member = value != 0;
}
} // namespace detail

#define PULSEFIR_SETTING(SECTION, KEY, KIND, MINIMUM, MAXIMUM, GROUP, MEMBER)                                          \
    SettingDefinition {                                                                                                \
        SECTION, KEY, SettingKind::KIND, MINIMUM, MAXIMUM,                                                             \
            [](const Settings &s) { return static_cast<double>(s.GROUP.MEMBER); },                                     \
            [](Settings &s, double v) { detail::assign(s.GROUP.MEMBER, v); }                                           \
    }

// Every stored setting of the four windows, in the order of the project file.
inline constexpr std::array SettingDefinitions{
    // Main window
    PULSEFIR_SETTING("MainForm", "LineWidthSpinEdit", Integer, 1, 10, main, lineWidth),
    PULSEFIR_SETTING("MainForm", "PointsCheckBox", Check, 0, 1, main, points),
    PULSEFIR_SETTING("MainForm", "PointSizeSpinEdit", Integer, 1, 10, main, pointSize),
    PULSEFIR_SETTING("MainForm", "FNmSuperSpin", Float, 0.001, 10000, main, samplingFrequency),
    PULSEFIR_SETTING("MainForm", "SWNmSpinEdit", Integer, 1, 10000, main, signalHalfWidth),
    PULSEFIR_SETTING("MainForm", "CheckBox1", Check, 0, 1, main, showSignal),
    PULSEFIR_SETTING("MainForm", "CheckBox2", Check, 0, 1, main, showOutput),
    PULSEFIR_SETTING("MainForm", "CheckBox3", Check, 0, 1, main, showResponse),
    PULSEFIR_SETTING("MainForm", "CheckBox4", Check, 0, 1, main, showFixedOutput),
    // Signal synthesis window
    PULSEFIR_SETTING("SignalForm", "NoiseNmSuperSpin", Float, 0, 10000, signal, noiseAmplitude),
    PULSEFIR_SETTING("SignalForm", "Exp_F_NmSuperSpin", Float, 0.001, 10000, signal, frequency),
    PULSEFIR_SETTING("SignalForm", "Exp_Phaze_NmSuperSpin", Float, -180, 180, signal, phaseDeg),
    PULSEFIR_SETTING("SignalForm", "Exp_Front_NmSuperSpin", Float, 0.001, 10000, signal, frontTimeConstant),
    PULSEFIR_SETTING("SignalForm", "Exp_Time_NmSuperSpin", Float, 0.001, 10000, signal, excitationTime),
    PULSEFIR_SETTING("SignalForm", "Exp_Shift_NmSuperSpin", Float, -10000, 10000, signal, shift),
    PULSEFIR_SETTING("SignalForm", "Exp_Am_NmSuperSpin", Float, 0.001, 10000, signal, amplitude),
    PULSEFIR_SETTING("SignalForm", "FileOffsetNmSpinEdit", Integer, -10000, 10000, signal, fileOffset),
    PULSEFIR_SETTING("SignalForm", "FileScaleNmSuperSpin", Float, -10000, 10000, signal, fileScale),
    PULSEFIR_SETTING("SignalForm", "FileRateRadioGroup", Radio, 0, 1, signal, fileRate),
    PULSEFIR_SETTING("SignalForm", "FileTimeUnitRadioGroup", Radio, 0, 4, signal, fileTimeUnit),
    PULSEFIR_SETTING("SignalForm", "FileDecimalRadioGroup", Radio, 0, 2, signal, fileDecimal),
    PULSEFIR_SETTING("SignalForm", "FileColumnNmSpinEdit", Integer, 1, 64, signal, fileColumn),
    PULSEFIR_SETTING("SignalForm", "PathDistanceNmSuperSpin", Float, 0.001, 100, signal, pathDistance),
    PULSEFIR_SETTING("SignalForm", "PathTemperatureNmSuperSpin", Float, -40, 60, signal, pathTemperature),
    PULSEFIR_SETTING("SignalForm", "PathHumidityNmSuperSpin", Float, 0, 100, signal, pathHumidity),
    PULSEFIR_SETTING("SignalForm", "PathTargetDistanceNmSuperSpin", Float, 0.001, 100, signal, pathTargetDistance),
    PULSEFIR_SETTING("SignalForm", "PathTargetTemperatureNmSuperSpin", Float, -40, 60, signal, pathTargetTemperature),
    PULSEFIR_SETTING("SignalForm", "PathTargetHumidityNmSuperSpin", Float, 0, 100, signal, pathTargetHumidity),
    PULSEFIR_SETTING("SignalForm", "PathPressureNmSuperSpin", Float, 50, 120, signal, pathPressure),
    PULSEFIR_SETTING("SignalForm", "PathSpreadingRadioGroup", Radio, 0, 1, signal, pathSpreading),
    PULSEFIR_SETTING("SignalForm", "PathDelayCheckBox", Check, 0, 1, signal, pathDelay),
    // Filter synthesis window
    PULSEFIR_SETTING("FilterForm", "WINNmSpinEdit", Integer, 1, 1000, filter, halfWidth),
    PULSEFIR_SETTING("FilterForm", "PointsCheckBox", Check, 0, 1, filter, points),
    PULSEFIR_SETTING("FilterForm", "Ar1_NmSuperSpin", Float, 0.001, 10000, filter, peakAmplitude),
    PULSEFIR_SETTING("FilterForm", "Tr1_NmSuperSpin", Float, 0.001, 200, filter, peakDuration),
    PULSEFIR_SETTING("FilterForm", "RandomNmSuperSpin", Float, 0, 10000, filter, randomStep),
    PULSEFIR_SETTING("FilterForm", "EpochNmSpinEdit", Integer, 1, 1000000, filter, epochLimit),
    PULSEFIR_SETTING("FilterForm", "RadioGroup1", Radio, 0, 1, filter, startFilter),
    PULSEFIR_SETTING("FilterForm", "ResponseRadioGroup", Radio, 0, 2, filter, responseShape),
    PULSEFIR_SETTING("FilterForm", "F0_NmSuperSpin", Float, 0.001, 200, filter, centreFrequency),
    PULSEFIR_SETTING("FilterForm", "DF_NmSuperSpin", Float, 0, 200, filter, peakOffset),
    PULSEFIR_SETTING("FilterForm", "FilterTypeRadioGroup", Radio, 0, 2, filter, filterType),
    PULSEFIR_SETTING("FilterForm", "WinTypeRadioGroup", Radio, 0, 6, filter, windowType),
    PULSEFIR_SETTING("FilterForm", "K_NmSuperSpin", Float, -20000, 20000, filter, gain),
    PULSEFIR_SETTING("FilterForm", "PhazeShiftNmSpinEdit", Integer, -180, 180, filter, phaseShift),
    PULSEFIR_SETTING("FilterForm", "RegularizationNmSuperSpin", Float, 0, 1, filter, regularisation),
    PULSEFIR_SETTING("FilterForm", "CoeBitsNmSpinEdit", Integer, 4, 32, filter, coeBits),
    PULSEFIR_SETTING("FilterForm", "RegularizationAutoCheckBox", Check, 0, 1, filter, regularisationAuto),
    PULSEFIR_SETTING("FilterForm", "AdcBitsNmSpinEdit", Integer, 2, 32, filter, adcBits),
    PULSEFIR_SETTING("FilterForm", "AdcFullScaleNmSuperSpin", Float, 1e-9, 1e9, filter, adcFullScale),
    PULSEFIR_SETTING("FilterForm", "OutBitsNmSpinEdit", Integer, 2, 48, filter, outBits),
    PULSEFIR_SETTING("FilterForm", "RoundingRadioGroup", Radio, 0, 2, filter, rounding),
    PULSEFIR_SETTING("FilterForm", "OutShiftAutoCheckBox", Check, 0, 1, filter, outShiftAuto),
    PULSEFIR_SETTING("FilterForm", "OutShiftNmSpinEdit", Integer, 0, 127, filter, outShift),
    PULSEFIR_SETTING("FilterForm", "LatencyNmSpinEdit", Integer, 0, 1000, filter, latency),
    PULSEFIR_SETTING("FilterForm", "PathSetDistanceFromNmSuperSpin", Float, 0.001, 100, filter, pathSetDistanceFrom),
    PULSEFIR_SETTING("FilterForm", "PathSetDistanceToNmSuperSpin", Float, 0.001, 100, filter, pathSetDistanceTo),
    PULSEFIR_SETTING("FilterForm", "PathSetDistanceCountNmSpinEdit", Integer, 1, 100, filter, pathSetDistanceCount),
    PULSEFIR_SETTING("FilterForm", "PathSetTemperatureFromNmSuperSpin", Float, -40, 60, filter, pathSetTemperatureFrom),
    PULSEFIR_SETTING("FilterForm", "PathSetTemperatureToNmSuperSpin", Float, -40, 60, filter, pathSetTemperatureTo),
    PULSEFIR_SETTING("FilterForm", "PathSetTemperatureCountNmSpinEdit", Integer, 1, 100, filter,
                     pathSetTemperatureCount),
    PULSEFIR_SETTING("FilterForm", "PathSetHumidityFromNmSuperSpin", Float, 0, 100, filter, pathSetHumidityFrom),
    PULSEFIR_SETTING("FilterForm", "PathSetHumidityToNmSuperSpin", Float, 0, 100, filter, pathSetHumidityTo),
    PULSEFIR_SETTING("FilterForm", "PathSetHumidityCountNmSpinEdit", Integer, 1, 100, filter, pathSetHumidityCount),
    PULSEFIR_SETTING("FilterForm", "SetCriterionRadioGroup", Radio, 0, 1, filter, setCriterion),
    // Spectra window
    PULSEFIR_SETTING("SpectorForm", "FL_NmSuperSpin", Float, 0.001, 10000, spectra, lowFrequency),
    PULSEFIR_SETTING("SpectorForm", "FH_NmSuperSpin", Float, 0.001, 10000, spectra, highFrequency),
    PULSEFIR_SETTING("SpectorForm", "PointsNmSpinEdit", Integer, 1, 1000000, spectra, pointCount),
    PULSEFIR_SETTING("SpectorForm", "CheckBox1", Check, 0, 1, spectra, signalAmplitude),
    PULSEFIR_SETTING("SpectorForm", "CheckBox2", Check, 0, 1, spectra, signalPhase),
    PULSEFIR_SETTING("SpectorForm", "CheckBox3", Check, 0, 1, spectra, filterAmplitude),
    PULSEFIR_SETTING("SpectorForm", "CheckBox4", Check, 0, 1, spectra, filterPhase),
    PULSEFIR_SETTING("SpectorForm", "CheckBox5", Check, 0, 1, spectra, normalizeSignal),
    PULSEFIR_SETTING("SpectorForm", "CheckBox6", Check, 0, 1, spectra, normalizeFilter),
    PULSEFIR_SETTING("SpectorForm", "LineWidthSpinEdit", Integer, 1, 10, spectra, lineWidth),
    PULSEFIR_SETTING("SpectorForm", "PointsCheckBox", Check, 0, 1, spectra, points),
    PULSEFIR_SETTING("SpectorForm", "PointSizeSpinEdit", Integer, 1, 10, spectra, pointSize),
    PULSEFIR_SETTING("SpectorForm", "CheckBox7", Check, 0, 1, spectra, normalizeOutput),
    PULSEFIR_SETTING("SpectorForm", "CheckBox8", Check, 0, 1, spectra, outputAmplitude),
    PULSEFIR_SETTING("SpectorForm", "CheckBox9", Check, 0, 1, spectra, outputPhase),
    PULSEFIR_SETTING("SpectorForm", "DbCheckBox", Check, 0, 1, spectra, decibels),
    PULSEFIR_SETTING("SpectorForm", "UnwrapCheckBox", Check, 0, 1, spectra, unwrapPhase),
    PULSEFIR_SETTING("SpectorForm", "DelayCheckBox", Check, 0, 1, spectra, groupDelay),
    PULSEFIR_SETTING("SpectorForm", "CosinePhaseCheckBox", Check, 0, 1, spectra, cosinePhase),
};

#undef PULSEFIR_SETTING

// The definition of a "Section.Key" the program itself names, found while it compiles: a name
// that is not in the table does not compile.
consteval const SettingDefinition &setting(std::string_view section, std::string_view key) {
    for (const SettingDefinition &d : SettingDefinitions)
        if (d.section == section && d.key == key)
            return d;
    throw "no such setting"; // not a constant expression: the call does not compile
}

// The definition of a "Section.Key" read at run time (the command line, a test), or nothing.
const SettingDefinition *findSetting(std::string_view section, std::string_view key);

} // namespace pulsefir::project
