#pragma once

#include <functional>
#include <string>
#include <vector>

namespace pulsefir::project {

// A window's outer frame in screen pixels: position and size.
struct Frame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Frame &) const = default;
};

// The kinds of stored control; a control of any other kind is not stored.
enum class ControlKind { Edit, IntegerSpin, CheckBox, TrackBar, SpeedButton, RadioGroup, FloatField, StringGrid };

// One stored control of a window, by name and kind, with the value accessors of its kind.
// Setters behave as the control's ordinary setters (its change handlers run).
class ProjectControl {
  public:
    virtual ~ProjectControl() = default;
    virtual std::string name() const = 0;
    virtual ControlKind kind() const = 0;

    virtual std::string text() const { return {}; } // Edit, UTF-8
    virtual void setText(const std::string &) {}
    virtual int integerValue() const { return 0; } // IntegerSpin, TrackBar, RadioGroup
    virtual void setIntegerValue(int) {}           // IntegerSpin clamps to its range
    virtual int itemCount() const { return 0; }    // RadioGroup
    virtual bool checked() const { return false; } // CheckBox, SpeedButton (Down)
    virtual void setChecked(bool) {}
    virtual double floatValue() const { return 0.0; } // FloatField; may throw base::Error
    virtual void setFloatValue(double) {}             // no range check
    virtual int columnCount() const { return 0; }     // StringGrid
    virtual int rowCount() const { return 0; }
    virtual void setGridSize(int, int) {}
    virtual std::string cell(int, int) const { return {}; }
    virtual void setCell(int, int, const std::string &) {}
};

// One window of the application with its stored controls in component order.
class ProjectWindow {
  public:
    virtual ~ProjectWindow() = default;
    virtual std::string name() const = 0;
    virtual Frame frame() const = 0;
    virtual void moveTo(int left, int top) = 0;
    virtual void resizeOuter(int width, int height) = 0;
    virtual bool sizeable() const = 0;
    virtual bool isVisible() const = 0;
    virtual void setVisible(bool visible) = 0;
    virtual bool isEnabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual void repaint() = 0;
    virtual bool isMainWindow() const = 0;
    virtual std::vector<ProjectControl *> controls() = 0;
};

class IniDocument;

// Sections of a project beyond the windows': what the program holds besides its settings (the
// work), written after the windows' sections and read with them. A reader that knows nothing of
// them skips them as sections of other names.
class ProjectSections {
  public:
    virtual ~ProjectSections() = default;
    // Replaces the sections in `document`.
    virtual void write(IniDocument &document) const = 0;
    // Reads and checks the sections without changing anything; returns what applies them
    // (nothing to do when the file holds none), and adds to `unusable` what could not be used.
    virtual std::function<void()> plan(const IniDocument &document, std::vector<std::string> &unusable) = 0;
};

} // namespace pulsefir::project
