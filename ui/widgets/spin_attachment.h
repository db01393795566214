#pragma once

#include <functional>

#include "ui/widgets/spin_button.h"

class QKeyEvent;
class QLineEdit;

namespace pulsefir::ui::widgets {

// The spin button of a numeric field and its wiring, for the integer and the float field alike:
// the button sits inside the field's right edge, a press on it gives the field the focus, its
// halves (repeating while held) and the Up and Down keys step the field.
class SpinAttachment {
  public:
    struct Hooks {
        std::function<void()> stepUp;
        std::function<void()> stepDown;
        // The button was pressed: the click that focused the field is not one in its text.
        std::function<void()> forgetFocusingClick;
    };

    // The button becomes a child of `field`.
    SpinAttachment(QLineEdit *field, Hooks hooks);
    // The connections hold this object's address.
    SpinAttachment(const SpinAttachment &) = delete;
    SpinAttachment &operator=(const SpinAttachment &) = delete;

    TSpinButton *button() const { return m_button; }

    // From the field's resizeEvent: places the button and keeps the text clear of it.
    void place();
    // From the field's keyPressEvent: Up and Down step on key-down, so keyboard auto-repeat
    // repeats the step. True when the key was one of them.
    bool stepOnArrowKey(const QKeyEvent *event) const;

  private:
    QLineEdit *m_field;
    TSpinButton *m_button;
    Hooks m_hooks;
};

} // namespace pulsefir::ui::widgets
