#include "project_settings.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "base/error.h"
#include "base/messages.h"
#include "base/number_text.h"
#include "project/SaveLoadPrjUnit.h"
#include "project/file_access.h"
#include "project/ini_file.h"
#include "project/settings_table.h"
#include "project/window_placement.h"

namespace pulsefir::project {

bool readProjectSettings(const IniDocument &doc, Settings &settings) {
    Settings read = settings;
    bool anySection = false;
    for (const SettingDefinition &d : SettingDefinitions) {
        const std::string_view section = d.section;
        const std::string_view key = d.key;
        anySection = anySection || doc.hasSection(section);
        if (!doc.hasKey(section, key))
            continue;
        const double current = d.get(settings);
        switch (d.kind) {
        case SettingKind::Float: {
            const std::string text = doc.readString(section, key, {});
            const auto value = base::parseProjectFloat(text);
            if (!value)
                throw base::Error(base::Message::invalidFloat(text));
            d.set(read, *value);
            break;
        }
        case SettingKind::Integer: {
            const int v = doc.readInteger(section, key, static_cast<int>(std::lround(current)));
            d.set(read, std::clamp<double>(v, d.minimum, d.maximum));
            break;
        }
        case SettingKind::Radio: {
            const int v = doc.readInteger(section, key, static_cast<int>(std::lround(current)));
            d.set(read, std::clamp<double>(v, -1, d.maximum));
            break;
        }
        case SettingKind::Check:
            d.set(read, doc.readBool(section, key, current != 0) ? 1 : 0);
            break;
        }
    }
    settings = read;
    return anySection;
}

namespace {

// One stored setting as the save code sees a control of a window.
class ParameterControl : public ProjectControl {
  public:
    ParameterControl(const SettingDefinition &d, const Settings &settings) : m_d(d), m_settings(settings) {}
    std::string name() const override { return std::string(m_d.key); }
    ControlKind kind() const override {
        switch (m_d.kind) {
        case SettingKind::Float:
            return ControlKind::FloatField;
        case SettingKind::Integer:
            return ControlKind::IntegerSpin;
        case SettingKind::Check:
            return ControlKind::CheckBox;
        case SettingKind::Radio:
            return ControlKind::RadioGroup;
        }
        return ControlKind::Edit;
    }
    int integerValue() const override { return static_cast<int>(std::lround(value())); }
    int itemCount() const override { return static_cast<int>(m_d.maximum) + 1; }
    bool checked() const override { return value() != 0; }
    double floatValue() const override { return value(); }

  private:
    double value() const { return m_d.get(m_settings); }
    const SettingDefinition &m_d;
    const Settings &m_settings;
};

// A window of the program as it starts, holding the settings of its section.
class ParameterWindow : public ProjectWindow {
  public:
    ParameterWindow(const WindowPlacement &placement, const Settings &settings) : m_placement(placement) {
        for (const SettingDefinition &d : SettingDefinitions)
            if (d.section == placement.section)
                m_controls.push_back(std::make_unique<ParameterControl>(d, settings));
    }
    std::string name() const override { return std::string(m_placement.section); }
    Frame frame() const override { return m_placement.frame; }
    void moveTo(int, int) override {}
    void resizeOuter(int, int) override {}
    bool sizeable() const override { return !m_placement.clientSize; }
    bool isVisible() const override { return m_placement.visible; }
    void setVisible(bool) override {}
    bool isEnabled() const override { return true; }
    void setEnabled(bool) override {}
    void repaint() override {}
    bool isMainWindow() const override { return m_placement.section == "MainForm"; }
    std::vector<ProjectControl *> controls() override {
        std::vector<ProjectControl *> result;
        for (auto &c : m_controls)
            result.push_back(c.get());
        return result;
    }

  private:
    const WindowPlacement &m_placement;
    std::vector<std::unique_ptr<ParameterControl>> m_controls;
};

} // namespace

void saveProjectSettings(const std::string &fileName, const Settings &settings, char decimal,
                         const Sections &sections) {
    std::vector<std::unique_ptr<ParameterWindow>> windows;
    Windows pointers;
    for (const WindowPlacement &placement : DesignedPlacements) {
        windows.push_back(std::make_unique<ParameterWindow>(placement, settings));
        pointers.push_back(windows.back().get());
    }
    saveProjectFile(fileName, pointers, decimal, sections);
}

bool readProjectSettings(const std::string &fileName, Settings &settings) {
    return readProjectSettings(IniDocument::parse(readProjectBytes(fileName)), settings);
}

} // namespace pulsefir::project
