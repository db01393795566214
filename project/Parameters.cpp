#include "Parameters.h"

#include <array>
#include <charconv>
#include <cmath>
#include <stdexcept>

#include "NumberText.h"

namespace pulsefir {

namespace {

using K = ParameterKind;

constexpr std::array Definitions{
    // Main window
    ParameterDefinition{"MainForm", "LineWidthSpinEdit", K::Integer, 1, 10, 1},
    ParameterDefinition{"MainForm", "PointsCheckBox", K::Check, 0, 1, 1},
    ParameterDefinition{"MainForm", "PointSizeSpinEdit", K::Integer, 1, 10, 1},
    ParameterDefinition{"MainForm", "FNmSuperSpin", K::Float, 0.001, 10000, 0.8},
    ParameterDefinition{"MainForm", "SWNmSpinEdit", K::Integer, 1, 10000, 1000},
    ParameterDefinition{"MainForm", "CheckBox1", K::Check, 0, 1, 1},
    ParameterDefinition{"MainForm", "CheckBox2", K::Check, 0, 1, 0},
    ParameterDefinition{"MainForm", "CheckBox3", K::Check, 0, 1, 1},
    // Signal synthesis window
    ParameterDefinition{"SignalForm", "NoiseNmSuperSpin", K::Float, 0, 10000, 0.04},
    ParameterDefinition{"SignalForm", "Exp_F_NmSuperSpin", K::Float, 0.001, 10000, 0.04},
    ParameterDefinition{"SignalForm", "Exp_Phaze_NmSuperSpin", K::Float, -180, 180, 90},
    ParameterDefinition{"SignalForm", "Exp_Front_NmSuperSpin", K::Float, 0.001, 10000, 180},
    ParameterDefinition{"SignalForm", "Exp_Time_NmSuperSpin", K::Float, 0.001, 10000, 800},
    ParameterDefinition{"SignalForm", "Exp_Shift_NmSuperSpin", K::Float, -10000, 10000, 75},
    ParameterDefinition{"SignalForm", "Exp_Am_NmSuperSpin", K::Float, 0.001, 10000, 1.4},
    ParameterDefinition{"SignalForm", "FileOffsetNmSpinEdit", K::Integer, -10000, 10000, 0},
    ParameterDefinition{"SignalForm", "FileScaleNmSuperSpin", K::Float, -10000, 10000, 1},
    ParameterDefinition{"SignalForm", "FileRateRadioGroup", K::Radio, 0, 1, 0},
    // Filter synthesis window
    ParameterDefinition{"FilterForm", "WINNmSpinEdit", K::Integer, 1, 1000, 100},
    ParameterDefinition{"FilterForm", "PointsCheckBox", K::Check, 0, 1, 1},
    ParameterDefinition{"FilterForm", "Ar1_NmSuperSpin", K::Float, 0.001, 10000, 1.4},
    ParameterDefinition{"FilterForm", "Tr1_NmSuperSpin", K::Float, 0.001, 200, 12.5},
    ParameterDefinition{"FilterForm", "RandomNmSuperSpin", K::Float, 0, 10000, 0.0002},
    ParameterDefinition{"FilterForm", "EpochNmSpinEdit", K::Integer, 1, 1000000, 50000},
    ParameterDefinition{"FilterForm", "RadioGroup1", K::Radio, 0, 1, 0},
    ParameterDefinition{"FilterForm", "ResponseRadioGroup", K::Radio, 0, 2, 0},
    ParameterDefinition{"FilterForm", "F0_NmSuperSpin", K::Float, 0.001, 200, 0.04},
    ParameterDefinition{"FilterForm", "DF_NmSuperSpin", K::Float, 0, 200, 0.01},
    ParameterDefinition{"FilterForm", "FilterTypeRadioGroup", K::Radio, 0, 2, 0},
    ParameterDefinition{"FilterForm", "WinTypeRadioGroup", K::Radio, 0, 6, 0},
    ParameterDefinition{"FilterForm", "K_NmSuperSpin", K::Float, -20000, 20000, 1},
    ParameterDefinition{"FilterForm", "PhazeShiftNmSpinEdit", K::Integer, -180, 180, 0},
    ParameterDefinition{"FilterForm", "RegularizationNmSuperSpin", K::Float, 0, 1, 1e-6},
    ParameterDefinition{"FilterForm", "CoeBitsNmSpinEdit", K::Integer, 8, 32, 16},
    // Spectra window
    ParameterDefinition{"SpectorForm", "FL_NmSuperSpin", K::Float, 0.001, 10000, 0.01},
    ParameterDefinition{"SpectorForm", "FH_NmSuperSpin", K::Float, 0.001, 10000, 0.07},
    ParameterDefinition{"SpectorForm", "PointsNmSpinEdit", K::Integer, 1, 1000000, 400},
    ParameterDefinition{"SpectorForm", "CheckBox1", K::Check, 0, 1, 1},
    ParameterDefinition{"SpectorForm", "CheckBox2", K::Check, 0, 1, 0},
    ParameterDefinition{"SpectorForm", "CheckBox3", K::Check, 0, 1, 1},
    ParameterDefinition{"SpectorForm", "CheckBox4", K::Check, 0, 1, 0},
    ParameterDefinition{"SpectorForm", "CheckBox5", K::Check, 0, 1, 1},
    ParameterDefinition{"SpectorForm", "CheckBox6", K::Check, 0, 1, 1},
    ParameterDefinition{"SpectorForm", "LineWidthSpinEdit", K::Integer, 1, 10, 1},
    ParameterDefinition{"SpectorForm", "PointsCheckBox", K::Check, 0, 1, 1},
    ParameterDefinition{"SpectorForm", "PointSizeSpinEdit", K::Integer, 1, 10, 1},
    ParameterDefinition{"SpectorForm", "CheckBox7", K::Check, 0, 1, 1},
    ParameterDefinition{"SpectorForm", "CheckBox8", K::Check, 0, 1, 1},
    ParameterDefinition{"SpectorForm", "CheckBox9", K::Check, 0, 1, 0},
    ParameterDefinition{"SpectorForm", "DbCheckBox", K::Check, 0, 1, 0},
    ParameterDefinition{"SpectorForm", "UnwrapCheckBox", K::Check, 0, 1, 0},
    ParameterDefinition{"SpectorForm", "DelayCheckBox", K::Check, 0, 1, 0},
    ParameterDefinition{"SpectorForm", "CosinePhaseCheckBox", K::Check, 0, 1, 0},
};

std::size_t indexOf(std::string_view section, std::string_view key) {
    for (std::size_t k = 0; k < Definitions.size(); ++k)
        if (Definitions[k].section == section && Definitions[k].key == key)
            return k;
    throw std::out_of_range("unknown parameter " + std::string(section) + "." + std::string(key));
}

} // namespace

std::span<const ParameterDefinition> ParameterDefinitions() {
    return Definitions;
}

const ParameterDefinition *FindParameter(std::string_view section, std::string_view key) {
    for (const auto &d : Definitions)
        if (d.section == section && d.key == key)
            return &d;
    return nullptr;
}

const ParameterDefinition &Parameter(std::string_view section, std::string_view key) {
    return Definitions[indexOf(section, key)];
}

std::optional<double> ParseDecimal(std::string_view text) {
    // Either separator, at least one digit, and digits after an exponent mark; bytes beyond
    // ASCII are no part of the grammar and fail it.
    const std::u16string wide(text.begin(), text.end());
    const auto parts = text::ScanDecimal(wide, u".,");
    if (!parts || (parts->integer.empty() && parts->fraction.empty()) ||
        (parts->exponentMark && parts->exponent.empty()))
        return std::nullopt;
    const std::string number = parts->plainText();
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(value))
        return std::nullopt;
    return parts->negative ? -value : value;
}

ParameterValues::ParameterValues() {
    m_values.reserve(Definitions.size());
    for (const auto &d : Definitions)
        m_values.push_back(d.defaultValue);
}

double ParameterValues::get(std::string_view section, std::string_view key) const {
    return m_values[indexOf(section, key)];
}

int ParameterValues::getInt(std::string_view section, std::string_view key) const {
    return static_cast<int>(std::lround(get(section, key)));
}

void ParameterValues::set(std::string_view section, std::string_view key, double value) {
    m_values[indexOf(section, key)] = value;
}

} // namespace pulsefir
