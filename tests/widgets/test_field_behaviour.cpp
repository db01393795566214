#include <QPushButton>
#include <QTest>

#include "numeric_field_fixture.h"

using namespace pulsefir::ui;
using namespace pulsefir::ui::widgets;

// What the float and the integer field do alike: Enter, the click that focuses them, the press
// on their spin button, and stepping while read-only.
class FieldBehaviourTest : public NumericFieldFixture {
    Q_OBJECT
  public:
    using NumericFieldFixture::NumericFieldFixture;

  private slots:
    // The click on the spin button gave the focus: the next click in the text places the caret.
    void clickAfterTheSpinButtonPlacesTheCaret() {
        m_field->setValue(1234.5);
        QTest::mouseClick(m_field->spinButton(), Qt::LeftButton, {}, m_field->spinButton()->upRect().center());
        QVERIFY(m_field->hasFocus());
        QTest::mouseClick(m_field, Qt::LeftButton, {}, QPoint(10, m_field->height() / 2));
        QVERIFY(!m_field->hasSelectedText());
        QTest::mouseClick(m_integer->spinButton(), Qt::LeftButton, {}, m_integer->spinButton()->upRect().center());
        QVERIFY(m_integer->hasFocus());
        QTest::mouseClick(m_integer, Qt::LeftButton, {}, QPoint(10, m_integer->height() / 2));
        QVERIFY(!m_integer->hasSelectedText());
    }

    void enterBeepsWithoutADefaultButton() {
        m_field->setFocus(Qt::TabFocusReason);
        QTest::keyClick(m_field, Qt::Key_Return);
        QTest::keyClick(m_integer, Qt::Key_Return);
        QCOMPARE(platform().beeps, 2);
    }

    void focusingClickSelectsAllThenClicksPlaceTheCaret() {
        m_field->setValue(1234.5);
        m_other->setFocus();
        QTest::mouseClick(m_field, Qt::LeftButton, {}, QPoint(10, m_field->height() / 2));
        QVERIFY(m_field->hasFocus());
        QCOMPARE(m_field->selectedText(), m_field->text());
        QTest::mouseClick(m_field, Qt::LeftButton, {}, QPoint(10, m_field->height() / 2));
        QVERIFY(!m_field->hasSelectedText());
        m_other->setFocus();
        QTest::mouseClick(m_integer, Qt::LeftButton, {}, QPoint(10, m_integer->height() / 2));
        QCOMPARE(m_integer->selectedText(), QString("1000"));
    }

    void readOnlyFieldBeepsOnSteps() {
        m_field->setReadOnly(true);
        m_field->stepUp();
        QCOMPARE(m_field->value(), 0.8);
        m_integer->setReadOnly(true);
        m_integer->stepUp();
        QCOMPARE(m_integer->value(), 1000);
        QCOMPARE(platform().beeps, 2);
    }
};

QObject *makeFieldBehaviourTest(const QLocale &locale) {
    return new FieldBehaviourTest(locale);
}

#include "test_field_behaviour.moc"
