#pragma once

#include <QRect>
#include <QString>

#include <optional>
#include <vector>

namespace pulsefir::project {

// What a file dialog is asked to show; its owner keeps it between uses, as a dialog component
// keeps its file name and folder.
struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Save;
    QString title;
    QString initialDirectory;
    QString fileName;      // proposed name; after a confirmed use the full chosen name
    QString filter;        // Qt syntax: "Bitmaps (*.bmp)" or "*.flt (*.flt);;*.* (*)"
    QString defaultSuffix; // added to a name typed without one; empty adds nothing
};

// The kinds of stored control; a control of any other kind is not stored.
enum class ControlKind { Edit, IntegerSpin, CheckBox, TrackBar, SpeedButton, RadioGroup, FloatField, StringGrid };

// One stored control of a window, by name and kind, with the value accessors of its kind.
// Setters behave as the control's ordinary setters (its change handlers run).
class ProjectControl {
  public:
    virtual ~ProjectControl() = default;
    virtual QString name() const = 0;
    virtual ControlKind kind() const = 0;

    virtual QString text() const { return {}; } // Edit
    virtual void setText(const QString &) {}
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
    virtual QString cell(int, int) const { return {}; }
    virtual void setCell(int, int, const QString &) {}
};

// One window of the application with its stored controls in component order.
class ProjectWindow {
  public:
    virtual ~ProjectWindow() = default;
    virtual QString name() const = 0;
    virtual QRect frame() const = 0; // outer position and size, screen pixels
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

// The dialogs and message boxes of the project flows.
class ProjectHost {
  public:
    virtual ~ProjectHost() = default;
    virtual std::optional<QString> runFileDialog(const FileDialogRequest &request) = 0;
    virtual void showInformation(const QString &title, const QString &text) = 0;
    virtual bool askYesNo(const QString &title, const QString &text) = 0;
};

} // namespace pulsefir::project
