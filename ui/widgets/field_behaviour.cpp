#include "field_behaviour.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QTimer>

#include "ui/widgets/platform.h"

namespace pulsefir::ui::widgets {

void beep() {
    Platform::current().beep();
}

namespace {
constexpr const char *FlashProperty = "refusalFlash";
const QColor RefusalColor(255, 176, 176); // light red behind the text
} // namespace

void refuse(QWidget *field) {
    beep();
    if (field->property(FlashProperty).toBool())
        return; // already flashing: the one under way ends as planned
    field->setProperty(FlashProperty, true);
    const bool ownPalette = field->testAttribute(Qt::WA_SetPalette);
    const QPalette original = field->palette();
    QPalette flashed = original;
    flashed.setColor(QPalette::Base, RefusalColor);
    field->setPalette(flashed);
    QTimer::singleShot(RefusalFlashMs, field, [field, ownPalette, original] {
        // A palette the field inherited is inherited again, not frozen as its own.
        field->setPalette(ownPalette ? original : QPalette());
        field->setProperty(FlashProperty, false);
    });
}

bool isEnter(const QKeyEvent *event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

void pressDefaultButtonOrBeep(QLineEdit *edit, bool selectAll) {
    QWidget *window = edit->window();
    for (QObject *child : window->children()) {
        auto *button = qobject_cast<QPushButton *>(child);
        if (button && button->isDefault() && button->isEnabled()) {
            const int start = edit->selectionStart();
            const int length = static_cast<int>(edit->selectedText().size());
            button->setFocus(Qt::OtherFocusReason);
            button->click();
            edit->setFocus(Qt::OtherFocusReason);
            if (selectAll)
                edit->selectAll();
            else if (start >= 0)
                edit->setSelection(start, length);
            return;
        }
    }
    refuse(edit);
}

bool takeFocusingClick(QLineEdit *edit, QMouseEvent *event, bool autoSelect, bool &clickFocused) {
    const bool focusing = clickFocused;
    clickFocused = false;
    if (!focusing || event->button() != Qt::LeftButton || !autoSelect)
        return false;
    edit->selectAll();
    event->accept();
    return true;
}

bool isEditingShortcut(QKeyEvent *event) {
    return event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
           event->matches(QKeySequence::DeleteEndOfWord) || event->matches(QKeySequence::DeleteStartOfWord) ||
           event->matches(QKeySequence::DeleteEndOfLine) || event->matches(QKeySequence::DeleteCompleteLine);
}

void disableSideEntrances(QLineEdit *edit) {
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    edit->setDragEnabled(false);
    edit->setAcceptDrops(false);
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
}

} // namespace pulsefir::ui::widgets
