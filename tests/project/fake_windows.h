#pragma once

#include <QRect>
#include <QString>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "core/errors.h"
#include "project/Parameters.h"
#include "project/ProjectInterfaces.h"

// Windows and controls without widgets, holding their values in members.
class FakeControl : public pulsefir::project::ProjectControl {
  public:
    FakeControl(QString name, pulsefir::project::ControlKind kind) : m_name(std::move(name)), m_kind(kind) {}
    QString name() const override { return m_name; }
    pulsefir::project::ControlKind kind() const override { return m_kind; }

    QString text() const override { return textValue; }
    void setText(const QString &t) override {
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
    QString cell(int c, int r) const override {
        auto it = cells.find({c, r});
        return it == cells.end() ? QString() : it->second;
    }
    void setCell(int c, int r, const QString &t) override { cells[{c, r}] = t; }

    QString textValue;
    int integer = 0;
    int minimum = 0;
    int maximum = 0;
    int items = 0;
    bool check = false;
    double number = 0.0;
    bool unreadable = false;
    int columns = 0;
    int rows = 0;
    std::map<std::pair<int, int>, QString> cells;
    int changes = 0;

  private:
    QString m_name;
    pulsefir::project::ControlKind m_kind;
};

class FakeWindow : public pulsefir::project::ProjectWindow {
  public:
    FakeWindow(QString name, QRect frame, bool sizeable, bool main = false)
        : frameRect(frame), canResize(sizeable), mainWindow(main), m_name(std::move(name)) {}
    QString name() const override { return m_name; }
    QRect frame() const override { return frameRect; }
    void moveTo(int left, int top) override { frameRect.moveTo(left, top); }
    void resizeOuter(int w, int h) override { frameRect.setSize({w, h}); }
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

    FakeControl &add(const QString &name, pulsefir::project::ControlKind kind) {
        owned.push_back(std::make_unique<FakeControl>(name, kind));
        return *owned.back();
    }
    FakeControl &control(const QString &name) {
        for (auto &c : owned)
            if (c->name() == name)
                return *c;
        throw std::out_of_range(name.toStdString());
    }

    QRect frameRect;
    bool canResize;
    bool mainWindow;
    bool visible = false;
    bool enabled = true;
    std::vector<bool> enabledHistory;
    int repaints = 0;
    std::vector<std::unique_ptr<FakeControl>> owned;

  private:
    QString m_name;
};

// The four windows with the stored controls, kinds, ranges and defaults of the parameter table.
inline std::vector<std::unique_ptr<FakeWindow>> MakeProgramWindows() {
    using pulsefir::ParameterKind;
    using pulsefir::project::ControlKind;
    std::vector<std::unique_ptr<FakeWindow>> windows;
    windows.push_back(std::make_unique<FakeWindow>("MainForm", QRect(1, 1, 870, 640), true, true));
    windows.push_back(std::make_unique<FakeWindow>("SignalForm", QRect(758, 249, 512, 379), true));
    windows.push_back(std::make_unique<FakeWindow>("FilterForm", QRect(200, 20, 566, 771), false));
    windows.push_back(std::make_unique<FakeWindow>("SpectorForm", QRect(314, 289, 815, 609), true));
    windows[0]->visible = true;
    for (const auto &d : pulsefir::ParameterDefinitions()) {
        for (auto &w : windows) {
            if (w->name().toStdString() != d.section)
                continue;
            const QString key = QString::fromStdString(std::string(d.key));
            switch (d.kind) {
            case ParameterKind::Float:
                w->add(key, ControlKind::FloatField).number = d.defaultValue;
                break;
            case ParameterKind::Integer: {
                FakeControl &c = w->add(key, ControlKind::IntegerSpin);
                c.integer = static_cast<int>(d.defaultValue);
                c.minimum = static_cast<int>(d.minimum);
                c.maximum = static_cast<int>(d.maximum);
                break;
            }
            case ParameterKind::Check:
                w->add(key, ControlKind::CheckBox).check = d.defaultValue != 0;
                break;
            case ParameterKind::Radio: {
                FakeControl &c = w->add(key, ControlKind::RadioGroup);
                c.integer = static_cast<int>(d.defaultValue);
                c.items = static_cast<int>(d.maximum) + 1;
                break;
            }
            }
        }
    }
    return windows;
}

inline std::vector<pulsefir::project::ProjectWindow *> Pointers(const std::vector<std::unique_ptr<FakeWindow>> &ws) {
    std::vector<pulsefir::project::ProjectWindow *> all;
    for (auto &w : ws)
        all.push_back(w.get());
    return all;
}
