#pragma once

class QKeyEvent;
class QLineEdit;
class QMouseEvent;
class QWidget;

namespace pulsefir::ui::widgets {

// What the integer and the float field do alike as line edits.

// The platform's beep (a scripted one in tests).
void beep();

// A refused keystroke or step: the beep, and a short flash of the field's background, since the
// beep is silent on many desktops. While the field flashes its property "refusalFlash" is true.
void refuse(QWidget *field);
inline constexpr int RefusalFlashMs = 150;

bool isEnter(const QKeyEvent *event);

// Enter: the window's default push button, if a direct child of it has one, is clicked as if
// with the focus on it; otherwise a beep.
void pressDefaultButtonOrBeep(QLineEdit *edit, bool selectAll);

// The left click that gave an unfocused field the focus selects all of it instead of placing
// the caret. The application hands the focus over before the press reaches the field, so the
// focus-in remembers its reason for the press that follows.
bool takeFocusingClick(QLineEdit *edit, QMouseEvent *event, bool autoSelect, bool &clickFocused);

// Shortcuts of the line edit that would change the text past the typing rules.
bool isEditingShortcut(QKeyEvent *event);

// Text may only change through the keys the field handles, never around them: no context menu,
// no drag and drop, no input method.
void disableSideEntrances(QLineEdit *edit);

} // namespace pulsefir::ui::widgets
