#pragma once

#include <QLineEdit>

#include <functional>

#include "ui/widgets/numeric_text.h"
#include "ui/widgets/spin_attachment.h"

namespace pulsefir::ui::widgets {

// The one-line edit for a real number: keeps its text a valid number while the user types,
// formats it, and enforces its range when the user leaves it.
class TNmNumEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit TNmNumEdit(QWidget *parent = nullptr);

    // The number shown. Throws base::Error "'text' is not a valid floating point value." when the
    // text cannot be converted.
    double value() const;
    // Formats the text; no range check.
    void setValue(double value);

    double minValue() const { return m_min; }
    double maxValue() const { return m_max; }
    void setMinValue(double value) { m_min = value; }
    void setMaxValue(double value) { m_max = value; }
    void setRange(double minimum, double maximum);
    bool hasRange() const { return !(m_min == 0.0 && m_max == 0.0); }
    int decimals() const { return m_decimals; }
    void setDecimals(int decimals);
    TNumberFormat numberFormat() const { return m_format; }
    void setNumberFormat(TNumberFormat format);
    bool editorEnabled() const { return m_editorEnabled; }
    void setEditorEnabled(bool enabled) { m_editorEnabled = enabled; }
    bool autoSelect() const { return m_autoSelect; }
    void setAutoSelect(bool on) { m_autoSelect = on; }
    // How many characters the user can type; text the field sets itself is not limited.
    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length) { m_maxLength = length; }
    // When set, replaces the built-in reaction to an out-of-range value.
    std::function<void()> OnInvalidEntry;

    // The reaction to an out-of-range value: clamp to the bound, beep, take the focus back.
    void invalidEntry();

    QString formatted(double value) const;

  signals:
    // The focus left the field with a value in range.
    void exited();

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    // The spin button was pressed: the click that focused the field is not one in its text.
    void forgetFocusingClick() { m_clickFocused = false; }

  private:
    bool editable() const { return m_editorEnabled && !isReadOnly(); }
    NumericTextEditor editor() const;
    void apply(const NumericTextEditor &editor);
    void typeText(const QString &text);
    void copySelection();
    void groupDigits(int releasedKey);

    double m_min = 0.0;
    double m_max = 0.0;
    int m_decimals = -1;
    TNumberFormat m_format = TNumberFormat::Thousands;
    bool m_editorEnabled = true;
    bool m_autoSelect = true;
    int m_maxLength = 10;
    bool m_clickFocused = false;
};

// The float field with its spin button: the button and the Up and Down keys step the value by
// `Increment`, faster while held, never past a bound.
class TNmSuperSpin : public TNmNumEdit {
    Q_OBJECT
  public:
    static constexpr int AccelerationPauseMs = 200;

    explicit TNmSuperSpin(QWidget *parent = nullptr);

    double increment() const { return m_increment; }
    void setIncrement(double increment);
    bool roundValues() const { return m_roundValues; }
    void setRoundValues(bool on) { m_roundValues = on; }
    bool wrap() const { return m_wrap; }
    void setWrap(bool on) { m_wrap = on; }
    double currentStep() const { return m_step; }

    TSpinButton *spinButton() const { return m_spin.button(); }

    void stepUp();
    void stepDown();

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

  private:
    void accelerate();
    void resetStep();
    double rounded(double value) const;
    void step(bool up);

    double m_increment = 1.0;
    bool m_roundValues = false;
    bool m_wrap = false;
    double m_step = 1.0;
    int m_fastSteps = 0;
    qint64 m_lastStep = 0;
    bool m_stepped = false;
    SpinAttachment m_spin;
};

} // namespace pulsefir::ui::widgets
