#include "project_settings.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "base/error.h"
#include "base/file.h"
#include "base/messages.h"
#include "base/number_text.h"
#include "project/SaveLoadPrjUnit.h"
#include "project/file_access.h"
#include "project/ini_file.h"
#include "project/settings_table.h"
#include "project/window_placement.h"
#include "project/work_sections.h"

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
    ParameterWindow(const WindowPlacement &placement, const Settings &settings)
        : m_placement(placement), m_frame(placement.frame), m_visible(placement.visible) {
        for (const SettingDefinition &d : SettingDefinitions)
            if (d.section == placement.section)
                m_controls.push_back(std::make_unique<ParameterControl>(d, settings));
    }
    std::string name() const override { return std::string(m_placement.section); }
    Frame frame() const override { return m_frame; }
    // The place and visibility a project read before gave the window.
    void takePlacement(const IniDocument &doc) {
        const std::string section = name();
        m_frame.top = doc.readInteger(section, "Top", m_frame.top);
        m_frame.left = doc.readInteger(section, "Left", m_frame.left);
        m_frame.width = doc.readInteger(section, "Width", m_frame.width);
        m_frame.height = doc.readInteger(section, "Height", m_frame.height);
        m_visible = doc.readBool(section, "Wisible", m_visible);
    }
    void moveTo(int, int) override {}
    void resizeOuter(int, int) override {}
    bool sizeable() const override { return !m_placement.clientSize; }
    bool isVisible() const override { return m_visible; }
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
    Frame m_frame;
    bool m_visible;
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

bool readProject(const std::string &fileName, Settings &settings, core::CoreState &state, std::string &source,
                 const Sections &extra) {
    std::string bytes = readProjectBytes(fileName);
    const IniDocument doc = IniDocument::parse(bytes);
    Settings read = settings;
    bool any = readProjectSettings(doc, read);
    WorkSections work(state);
    std::vector<std::string> unusable;
    const auto apply = work.plan(doc, unusable);
    std::vector<std::function<void()>> extras;
    for (ProjectSections *section : extra)
        if (auto action = section->plan(doc, unusable))
            extras.push_back(std::move(action));
    settings = read;
    if (apply)
        apply();
    for (auto &action : extras)
        action();
    source = std::move(bytes);
    return any || apply || !extras.empty() || !unusable.empty();
}

void saveProject(const std::string &fileName, const Settings &settings, core::CoreState &state, char decimal,
                 std::string_view source, const Sections &extra) {
    std::vector<std::unique_ptr<ParameterWindow>> windows;
    Windows pointers;
    const IniDocument from = IniDocument::parse(source);
    for (const WindowPlacement &placement : DesignedPlacements) {
        windows.push_back(std::make_unique<ParameterWindow>(placement, settings));
        windows.back()->takePlacement(from);
        pointers.push_back(windows.back().get());
    }
    std::string existing;
    if (base::kindOfPath(fileName) != base::PathKind::Missing) {
        try {
            existing = base::readFileWhole(fileName, MaxProjectFileBytes);
        } catch (const base::FileReadError &error) {
            throw base::Error(base::Message::unableToWrite(fileName, error.cause()));
        }
    }
    // The sections of the project read before that the replaced file does not hold come along.
    IniDocument doc = IniDocument::parse(existing);
    for (const std::string &section : from.sectionNames()) {
        if (doc.hasSection(section))
            continue;
        std::vector<std::pair<std::string, std::string>> keys;
        for (const auto &[key, value] : from.entries(section))
            keys.emplace_back(key, value);
        doc.replaceSection(section, keys);
    }
    WorkSections work(state);
    Sections sections{&work};
    sections.insert(sections.end(), extra.begin(), extra.end());
    base::writeFileWhole(fileName, composeProject(doc.serialize(), pointers, decimal, sections));
}

bool readProjectSettings(const std::string &fileName, Settings &settings) {
    return readProjectSettings(IniDocument::parse(readProjectBytes(fileName)), settings);
}

} // namespace pulsefir::project
