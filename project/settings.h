#pragma once

namespace pulsefir::project {

// Every stored setting of the four windows, one plain struct per window, with the defaults of
// the windows' layouts. The windows read their fields into these, the command line holds them as
// its session, and one conversion per core operation (settings_conversions.h) makes the core's
// parameters from them; the settings table (settings_table.h) maps each member to its key in the
// project file, which is the control's name.

// The main window: display options, the sampling frequency, the signal half-width.
struct MainSettings {
    int lineWidth = 1;              // LineWidthSpinEdit, px
    bool points = true;             // PointsCheckBox
    int pointSize = 1;              // PointSizeSpinEdit, px
    double samplingFrequency = 0.8; // FNmSuperSpin, MHz
    int signalHalfWidth = 1000;     // SWNmSpinEdit, samples
    bool showSignal = true;         // CheckBox1
    bool showOutput = false;        // CheckBox2
    bool showResponse = true;       // CheckBox3
    bool showFixedOutput = false;   // CheckBox4: the integer filter's output
};

// The signal window: the tone burst, the noise, the measured pulse's placement.
struct SignalSettings {
    double noiseAmplitude = 0.04;     // NoiseNmSuperSpin
    double frequency = 0.04;          // Exp_F_NmSuperSpin, MHz
    double phaseDeg = 90.0;           // Exp_Phaze_NmSuperSpin, degrees
    double frontTimeConstant = 180.0; // Exp_Front_NmSuperSpin, µs
    double excitationTime = 800.0;    // Exp_Time_NmSuperSpin, µs
    double shift = 75.0;              // Exp_Shift_NmSuperSpin, µs
    double amplitude = 1.4;           // Exp_Am_NmSuperSpin
    int fileOffset = 0;               // FileOffsetNmSpinEdit, samples
    double fileScale = 1.0;           // FileScaleNmSuperSpin
    int fileRate = 0;                 // FileRateRadioGroup: 0 take the file's rate, 1 resample
    int fileTimeUnit = 0;             // FileTimeUnitRadioGroup: 0 auto, 1 s, 2 ms, 3 µs, 4 ns
    int fileDecimal = 0;              // FileDecimalRadioGroup: 0 auto, 1 point, 2 comma
    int fileColumn = 1;               // FileColumnNmSpinEdit: the value column or channel, 1 = the first
    // The air path: where the current signal was recorded, where "Пересчитать сигнал" carries it.
    double pathDistance = 0.1;           // PathDistanceNmSuperSpin, m (d0)
    double pathTemperature = 20.0;       // PathTemperatureNmSuperSpin, °C (T0)
    double pathHumidity = 50.0;          // PathHumidityNmSuperSpin, % (RH0)
    double pathTargetDistance = 0.5;     // PathTargetDistanceNmSuperSpin, m (d)
    double pathTargetTemperature = 20.0; // PathTargetTemperatureNmSuperSpin, °C (T)
    double pathTargetHumidity = 50.0;    // PathTargetHumidityNmSuperSpin, % (RH)
    double pathPressure = 101.325;       // PathPressureNmSuperSpin, kPa
    int pathSpreading = 1;               // PathSpreadingRadioGroup: 0 plane, 1 spherical
    bool pathDelay = false;              // PathDelayCheckBox: keep the travel time
};

// The filter window: the half-width, the search, the desired response, the window method, the
// least squares and the export.
struct FilterSettings {
    int halfWidth = 100;             // WINNmSpinEdit, taps
    bool points = true;              // PointsCheckBox
    double peakAmplitude = 1.4;      // Ar1_NmSuperSpin
    double peakDuration = 12.5;      // Tr1_NmSuperSpin, µs
    double randomStep = 0.0002;      // RandomNmSuperSpin
    int epochLimit = 50000;          // EpochNmSpinEdit
    int startFilter = 0;             // RadioGroup1: 0 zero, 1 delta
    int responseShape = 0;           // ResponseRadioGroup
    double centreFrequency = 0.04;   // F0_NmSuperSpin, MHz
    double peakOffset = 0.01;        // DF_NmSuperSpin, MHz
    int filterType = 0;              // FilterTypeRadioGroup
    int windowType = 0;              // WinTypeRadioGroup
    double gain = 1.0;               // K_NmSuperSpin
    int phaseShift = 0;              // PhazeShiftNmSpinEdit, degrees
    double regularisation = 1e-6;    // RegularizationNmSuperSpin
    int coeBits = 16;                // CoeBitsNmSpinEdit
    bool regularisationAuto = false; // RegularizationAutoCheckBox: mu chosen over the pulse set
    int adcBits = 12;                // AdcBitsNmSpinEdit, Bx
    double adcFullScale = 2.0;       // AdcFullScaleNmSuperSpin, FS, signal units
    int outBits = 16;                // OutBitsNmSpinEdit, By
    int rounding = 1;                // RoundingRadioGroup: 0 truncate, 1 half up, 2 half to even
    bool outShiftAuto = true;        // OutShiftAutoCheckBox
    int outShift = 0;                // OutShiftNmSpinEdit, S, bits
    int latency = 1000;              // LatencyNmSpinEdit, L, samples the filter looks ahead
    // "Добавить тракт…": the grid of distances, temperatures and humidities, ends included.
    double pathSetDistanceFrom = 0.05;    // PathSetDistanceFromNmSuperSpin, m
    double pathSetDistanceTo = 1.0;       // PathSetDistanceToNmSuperSpin, m
    int pathSetDistanceCount = 5;         // PathSetDistanceCountNmSpinEdit
    double pathSetTemperatureFrom = 10.0; // PathSetTemperatureFromNmSuperSpin, °C
    double pathSetTemperatureTo = 30.0;   // PathSetTemperatureToNmSuperSpin, °C
    int pathSetTemperatureCount = 3;      // PathSetTemperatureCountNmSpinEdit
    double pathSetHumidityFrom = 50.0;    // PathSetHumidityFromNmSuperSpin, %
    double pathSetHumidityTo = 50.0;      // PathSetHumidityToNmSuperSpin, %
    int pathSetHumidityCount = 1;         // PathSetHumidityCountNmSpinEdit
    int setCriterion = 0;                 // SetCriterionRadioGroup: 0 the sum, 1 the worst pulse
};

// The spectra window: the grid, the curves shown, the display options.
struct SpectraSettings {
    double lowFrequency = 0.01;  // FL_NmSuperSpin, MHz
    double highFrequency = 0.07; // FH_NmSuperSpin, MHz
    int pointCount = 400;        // PointsNmSpinEdit
    bool signalAmplitude = true; // CheckBox1
    bool signalPhase = false;    // CheckBox2
    bool filterAmplitude = true; // CheckBox3
    bool filterPhase = false;    // CheckBox4
    bool normalizeSignal = true; // CheckBox5
    bool normalizeFilter = true; // CheckBox6
    int lineWidth = 1;           // LineWidthSpinEdit, px
    bool points = true;          // PointsCheckBox
    int pointSize = 1;           // PointSizeSpinEdit, px
    bool normalizeOutput = true; // CheckBox7
    bool outputAmplitude = true; // CheckBox8
    bool outputPhase = false;    // CheckBox9
    bool decibels = false;       // DbCheckBox
    bool unwrapPhase = false;    // UnwrapCheckBox
    bool groupDelay = false;     // DelayCheckBox
    bool cosinePhase = false;    // CosinePhaseCheckBox: the phase against a cosine (less pi/2)
};

struct Settings {
    MainSettings main;
    SignalSettings signal;
    FilterSettings filter;
    SpectraSettings spectra;
};

} // namespace pulsefir::project
