#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/error.h"
#include "project/project_interfaces.h"
#include "project/settings_table.h"

// Windows and controls without widgets, holding their values in members.
class FakeControl : public pulsefir::project::ProjectControl {
  public:
    FakeControl(std::string name, pulsefir::project::ControlKind kind) : m_name(std::move(name)), m_kind(kind) {}
    std::string name() const override { return m_name; }
    pulsefir::project::ControlKind kind() const override { return m_kind; }

    std::string text() const override { return textValue; }
    void setText(const std::string &t) override {
        textValue = t;
        ++changes;
    }
    int integerValue() const override { return integer; }
    void setIntegerValue(int v) override {
        integer = (minimum != maximum) ? std::clamp(v, minimum, maximum) : v;
        ++changes;
    }
    int itemCount() const override { return items; }
    bool checked() const override { return check; }
    void setChecked(bool v) override {
        check = v;
        ++changes;
    }
    double floatValue() const override {
        if (unreadable)
            throw pulsefir::base::Error("'-E' is not a valid floating point value.");
        return number;
    }
    void setFloatValue(double v) override {
        number = v;
        ++changes;
    }
    int columnCount() const override { return columns; }
    int rowCount() const override { return rows; }
    void setGridSize(int c, int r) override {
        columns = c;
        rows = r;
        cells.clear();
    }
    std::string cell(int c, int r) const override {
        auto it = cells.find({c, r});
        return it == cells.end() ? std::string() : it->second;
    }
    void setCell(int c, int r, const std::string &t) override { cells[{c, r}] = t; }

    std::string textValue;
    int integer = 0;
    int minimum = 0;
    int maximum = 0;
    int items = 0;
    bool check = false;
    double number = 0.0;
    bool unreadable = false;
    int columns = 0;
    int rows = 0;
    std::map<std::pair<int, int>, std::string> cells;
    int changes = 0;

  private:
    std::string m_name;
    pulsefir::project::ControlKind m_kind;
};

class FakeWindow : public pulsefir::project::ProjectWindow {
  public:
    FakeWindow(std::string name, pulsefir::project::Frame frame, bool sizeable, bool main = false)
        : frameRect(frame), canResize(sizeable), mainWindow(main), m_name(std::move(name)) {}
    std::string name() const override { return m_name; }
    pulsefir::project::Frame frame() const override { return frameRect; }
    void moveTo(int left, int top) override {
        frameRect.left = left;
        frameRect.top = top;
    }
    void resizeOuter(int w, int h) override {
        frameRect.width = w;
        frameRect.height = h;
    }
    bool sizeable() const override { return canResize; }
    bool isVisible() const override { return visible; }
    void setVisible(bool v) override { visible = v; }
    bool isEnabled() const override { return enabled; }
    void setEnabled(bool e) override {
        enabled = e;
        enabledHistory.push_back(e);
    }
    void repaint() override { ++repaints; }
    bool isMainWindow() const override { return mainWindow; }
    std::vector<pulsefir::project::ProjectControl *> controls() override {
        std::vector<pulsefir::project::ProjectControl *> all;
        for (auto &c : owned)
            all.push_back(c.get());
        return all;
    }

    FakeControl &add(const std::string &name, pulsefir::project::ControlKind kind) {
        owned.push_back(std::make_unique<FakeControl>(name, kind));
        return *owned.back();
    }
    FakeControl &control(const std::string &name) {
        for (auto &c : owned)
            if (c->name() == name)
                return *c;
        throw std::out_of_range(name);
    }

    pulsefir::project::Frame frameRect;
    bool canResize;
    bool mainWindow;
    bool visible = false;
    bool enabled = true;
    std::vector<bool> enabledHistory;
    int repaints = 0;
    std::vector<std::unique_ptr<FakeControl>> owned;

  private:
    std::string m_name;
};

// The four windows with the stored controls, kinds, ranges and defaults of the parameter table.
inline std::vector<std::unique_ptr<FakeWindow>> makeProgramWindows() {
    using pulsefir::project::ControlKind;
    using pulsefir::project::SettingKind;
    std::vector<std::unique_ptr<FakeWindow>> windows;
    windows.push_back(std::make_unique<FakeWindow>("MainForm", pulsefir::project::Frame{1, 1, 870, 640}, true, true));
    windows.push_back(std::make_unique<FakeWindow>("SignalForm", pulsefir::project::Frame{758, 249, 512, 379}, true));
    windows.push_back(std::make_unique<FakeWindow>("FilterForm", pulsefir::project::Frame{200, 20, 566, 771}, false));
    windows.push_back(std::make_unique<FakeWindow>("SpectorForm", pulsefir::project::Frame{314, 289, 815, 609}, true));
    windows[0]->visible = true;
    for (const auto &d : pulsefir::project::SettingDefinitions) {
        for (auto &w : windows) {
            if (w->name() != d.section)
                continue;
            const std::string key(d.key);
            switch (d.kind) {
            case SettingKind::Float:
                w->add(key, ControlKind::FloatField).number = d.defaultValue();
                break;
            case SettingKind::Integer: {
                FakeControl &c = w->add(key, ControlKind::IntegerSpin);
                c.integer = static_cast<int>(d.defaultValue());
                c.minimum = static_cast<int>(d.minimum);
                c.maximum = static_cast<int>(d.maximum);
                break;
            }
            case SettingKind::Check:
                w->add(key, ControlKind::CheckBox).check = d.defaultValue() != 0;
                break;
            case SettingKind::Radio: {
                FakeControl &c = w->add(key, ControlKind::RadioGroup);
                c.integer = static_cast<int>(d.defaultValue());
                c.items = static_cast<int>(d.maximum) + 1;
                break;
            }
            }
        }
    }
    return windows;
}

inline std::vector<pulsefir::project::ProjectWindow *> pointers(const std::vector<std::unique_ptr<FakeWindow>> &ws) {
    std::vector<pulsefir::project::ProjectWindow *> all;
    for (auto &w : ws)
        all.push_back(w.get());
    return all;
}
