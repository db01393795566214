#include "SaveLoadPrjUnit.h"

#include <algorithm>
#include <functional>

#include "base/error.h"
#include "base/file.h"
#include "base/messages.h"
#include "base/number_text.h"
#include "project/file_access.h"

namespace pulsefir::project {

namespace {

using Actions = std::vector<std::function<void()>>;

[[noreturn]] void fail(const std::string &message) {
    throw base::Error(message);
}

// Gives the window its enabled state back however the save of its section ends.
class EnabledRestorer {
  public:
    explicit EnabledRestorer(ProjectWindow &window) : m_window(window), m_enabled(window.isEnabled()) {
        m_window.setEnabled(false);
    }
    ~EnabledRestorer() {
        m_window.setEnabled(m_enabled);
        m_window.repaint();
    }
    bool enabled() const { return m_enabled; }

  private:
    ProjectWindow &m_window;
    bool m_enabled;
};

void writeControl(IniDocument &doc, const std::string &section, ProjectControl &c, char decimal) {
    const std::string key = c.name();
    switch (c.kind()) {
    case ControlKind::Edit:
        doc.writeString(section, key, c.text());
        break;
    case ControlKind::IntegerSpin:
    case ControlKind::TrackBar:
    case ControlKind::RadioGroup:
        doc.writeInteger(section, key, c.integerValue());
        break;
    case ControlKind::CheckBox:
    case ControlKind::SpeedButton:
        doc.writeBool(section, key, c.checked());
        break;
    case ControlKind::FloatField:
        doc.writeString(section, key, base::formatProjectFloat(c.floatValue(), static_cast<unsigned char>(decimal)));
        break;
    case ControlKind::StringGrid: {
        const int columns = c.columnCount();
        const int rows = c.rowCount();
        doc.writeInteger(section, key + "ColCount", columns);
        doc.writeInteger(section, key + "RowCount", rows);
        for (int col = 0; col < columns; ++col)
            for (int row = 0; row < rows; ++row)
                doc.writeString(section, gridCellKey(key, col, row), c.cell(col, row));
        break;
    }
    }
}

// What loading one control will do, with every value already read and checked.
void planControl(const IniDocument &doc, const std::string &section, ProjectControl *c, Actions &actions) {
    const std::string key = c->name();
    switch (c->kind()) {
    case ControlKind::Edit: {
        const std::string text = doc.readString(section, key, c->text());
        actions.push_back([c, text] { c->setText(text); });
        break;
    }
    case ControlKind::IntegerSpin:
    case ControlKind::TrackBar: {
        const int value = doc.readInteger(section, key, c->integerValue());
        actions.push_back([c, value] { c->setIntegerValue(value); });
        break;
    }
    case ControlKind::RadioGroup: {
        const int value = std::clamp(doc.readInteger(section, key, c->integerValue()), -1, c->itemCount() - 1);
        actions.push_back([c, value] { c->setIntegerValue(value); });
        break;
    }
    case ControlKind::CheckBox:
    case ControlKind::SpeedButton: {
        const bool value = doc.readBool(section, key, c->checked());
        actions.push_back([c, value] { c->setChecked(value); });
        break;
    }
    case ControlKind::FloatField: {
        if (!doc.hasKey(section, key))
            break;
        const std::string text = doc.readString(section, key, {});
        const auto value = base::parseProjectFloat(text);
        if (!value)
            fail(base::Message::invalidFloat(text));
        actions.push_back([c, v = *value] { c->setFloatValue(v); });
        break;
    }
    case ControlKind::StringGrid: {
        // The counts default to 1, not to the grid's present size.
        const int columns = std::max(0, doc.readInteger(section, key + "ColCount", 1));
        const int rows = std::max(0, doc.readInteger(section, key + "RowCount", 1));
        std::vector<std::string> cells;
        for (int col = 0; col < columns; ++col)
            for (int row = 0; row < rows; ++row)
                cells.push_back(doc.readString(section, gridCellKey(key, col, row), {}));
        actions.push_back([c, columns, rows, cells] {
            c->setGridSize(columns, rows);
            std::size_t k = 0;
            for (int col = 0; col < columns; ++col)
                for (int row = 0; row < rows; ++row)
                    c->setCell(col, row, cells[k++]);
        });
        break;
    }
    }
}

void planWindow(const IniDocument &doc, ProjectWindow &window, Actions &actions) {
    const std::string section = window.name();
    const Frame frame = window.frame();
    const int top = doc.readInteger(section, "Top", frame.top);
    const int left = doc.readInteger(section, "Left", frame.left);
    ProjectWindow *w = &window;
    actions.push_back([w, left, top] { w->moveTo(left, top); });
    if (window.sizeable()) {
        const int width = doc.readInteger(section, "Width", frame.width);
        const int height = doc.readInteger(section, "Height", frame.height);
        actions.push_back([w, width, height] { w->resizeOuter(width, height); });
    }
    for (ProjectControl *c : window.controls())
        planControl(doc, section, c, actions);
    const bool visible = doc.readBool(section, "Wisible", window.isVisible());
    // A hidden main window would leave a running program that nobody can reach or close.
    if (!(window.isMainWindow() && !visible))
        actions.push_back([w, visible] { w->setVisible(visible); });
    actions.push_back([w] { w->repaint(); });
}

} // namespace

std::string gridCellKey(const std::string &grid, int column, int row) {
    return grid + base::formatInteger(column, 10, 4) + base::formatInteger(row, 10, 4);
}

void saveWindowSettings(IniDocument &doc, ProjectWindow &window, char decimal) {
    EnabledRestorer restorer(window);
    const std::string section = window.name();
    doc.eraseSection(section);
    const Frame frame = window.frame();
    doc.writeInteger(section, "Top", frame.top);
    doc.writeInteger(section, "Left", frame.left);
    doc.writeInteger(section, "Width", frame.width);
    doc.writeInteger(section, "Height", frame.height);
    for (ProjectControl *c : window.controls())
        writeControl(doc, section, *c, decimal);
    doc.writeBool(section, "Wisible", window.isVisible());
    doc.writeBool(section, "Enabled", restorer.enabled());
}

void loadWindowSettings(const IniDocument &doc, ProjectWindow &window) {
    Actions actions;
    planWindow(doc, window, actions);
    for (auto &action : actions)
        action();
}

std::string composeProject(std::string_view existing, const Windows &windows, char decimal, const Sections &sections) {
    IniDocument doc = IniDocument::parse(existing);
    for (ProjectWindow *w : windows)
        saveWindowSettings(doc, *w, decimal);
    for (ProjectSection *section : sections)
        section->save(doc);
    return doc.serialize();
}

void loadProjectFile(const std::string &fileName, const Windows &windows, const Sections &sections) {
    const IniDocument doc = IniDocument::parse(readProjectBytes(fileName));
    Actions actions;
    for (ProjectWindow *w : windows)
        planWindow(doc, *w, actions);
    for (ProjectSection *section : sections)
        actions.push_back(section->plan(doc));
    for (auto &action : actions)
        action();
}

void saveProjectFile(const std::string &fileName, const Windows &windows, char decimal, const Sections &sections) {
    // The sections of other names in an existing file are kept, so it is read first.
    std::string existing;
    if (base::kindOfPath(fileName) != base::PathKind::Missing) {
        try {
            existing = base::readFileWhole(fileName, MaxProjectFileBytes);
        } catch (const base::FileReadError &error) {
            // What cannot be read as a project is not replaced by one.
            fail(base::Message::unableToWrite(fileName, error.cause()));
        }
    }
    base::writeFileWhole(fileName, composeProject(existing, windows, decimal, sections));
}

} // namespace pulsefir::project
