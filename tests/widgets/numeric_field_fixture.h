#pragma once

#include <QLineEdit>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QWidget>

#include <memory>

#include "scripted_platform.h"
#include "ui/widgets/float_field.h"
#include "ui/widgets/integer_field.h"

// The window every numeric field test runs in, made anew for each case under the locale given:
// a float field (0.001..10000, showing 0.8), an integer field (1..10000, showing 1000) and a
// plain line edit to leave them for, which has the focus.
class NumericFieldFixture : public QObject {
    Q_OBJECT
  public:
    explicit NumericFieldFixture(QLocale locale) : m_locale(std::move(locale)) {}

  protected:
    // Writes an example in the notation "1 234,5" with the current locale's separators.
    static QString L(const QString &example);
    static QChar decimalChar();

    ScriptedPlatform &platform() { return m_scope->platform; }
    // Gives the field the focus with the caret at `caret` and nothing selected.
    void placeCaret(QLineEdit *edit, const QString &text, int caret);
    void leaveField();

    std::unique_ptr<QWidget> m_window;
    pulsefir::ui::widgets::TNmSuperSpin *m_field = nullptr;
    pulsefir::ui::widgets::TNmSpinEdit *m_integer = nullptr;
    QLineEdit *m_other = nullptr;

  private slots:
    void initTestCase();
    void init();
    void cleanup();

  private:
    QLocale m_locale;
    std::unique_ptr<PlatformScope> m_scope;
};
