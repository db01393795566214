#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pulsefir {

enum class ParameterKind { Float, Integer, Check, Radio };

// One user setting: the window section and control name it is stored under, its kind, its range
// and its default. The windows build their fields from these and the command-line tool reads
// them by "Section.Key", so both use the same limits.
struct ParameterDefinition {
    std::string_view section;
    std::string_view key;
    ParameterKind kind;
    double minimum;      // Radio: 0; Check: 0
    double maximum;      // Radio: item count - 1; Check: 1
    double defaultValue; // Check: 1 checked, 0 unchecked; Radio: item index
};

// Every stored setting of the four windows, in the order of the project file.
std::span<const ParameterDefinition> ParameterDefinitions();

const ParameterDefinition *FindParameter(std::string_view section, std::string_view key);
// The definition for a known "Section.Key"; throws std::out_of_range for an unknown one.
const ParameterDefinition &Parameter(std::string_view section, std::string_view key);

// The current value of every setting, starting at the defaults.
class ParameterValues {
  public:
    ParameterValues();
    double get(std::string_view section, std::string_view key) const;
    int getInt(std::string_view section, std::string_view key) const;
    void set(std::string_view section, std::string_view key, double value);

  private:
    std::vector<double> m_values; // parallel to ParameterDefinitions()
};

} // namespace pulsefir
