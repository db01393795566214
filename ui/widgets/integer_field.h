#pragma once

#include <QLineEdit>

#include "ui/widgets/spin_attachment.h"

namespace pulsefir::ui::widgets {

// The integer edit with an up/down button. `Value` is the text read as an integer, or
// `MinValue` when the text is not one; setting it clamps to the range (none when the bounds are
// equal). Stepping clamps silently; leaving the field sets an out-of-range value to the bound.
class TSpinEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit TSpinEdit(QWidget *parent = nullptr);

    int value() const;
    void setValue(int value);
    int minValue() const { return m_min; }
    int maxValue() const { return m_max; }
    void setMinValue(int value) { m_min = value; }
    void setMaxValue(int value) { m_max = value; }
    void setRange(int minimum, int maximum);
    int increment() const { return m_increment; }
    void setIncrement(int increment) { m_increment = increment; }
    bool editorEnabled() const { return m_editorEnabled; }
    // With typing off the field shows no text caret and no I-beam pointer, and the mouse selects
    // nothing: only the arrows change it.
    void setEditorEnabled(bool enabled);

    TSpinButton *spinButton() const { return m_spin.button(); }

    void stepUp();
    void stepDown();

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    // Enter in a plain spin edit does nothing of its own.
    virtual void enterPressed() {}
    // The spin button was pressed: the click that focused the field is not one in its text.
    virtual void forgetFocusingClick() {}

  private:
    void step(int sign);
    bool hasRange() const { return m_min != m_max; }
    int clamp(int value) const;
    bool textIsInteger(int *value) const;

    int m_min = 0;
    int m_max = 0;
    int m_increment = 1;
    bool m_editorEnabled = true;
    SpinAttachment m_spin;
};

// The integer field of the windows: centred, Enter presses the window's default button (or
// beeps), and the click that enters the field selects all of it.
class TNmSpinEdit : public TSpinEdit {
    Q_OBJECT
  public:
    explicit TNmSpinEdit(QWidget *parent = nullptr);

  protected:
    void enterPressed() override;
    void forgetFocusingClick() override { m_clickFocused = false; }
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

  private:
    bool m_clickFocused = false;
};

} // namespace pulsefir::ui::widgets
