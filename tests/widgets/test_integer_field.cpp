#include <QApplication>
#include <QImage>
#include <QTest>

#include "numeric_field_fixture.h"

using namespace pulsefir::ui;
using namespace pulsefir::ui::widgets;

class IntegerFieldTest : public NumericFieldFixture {
    Q_OBJECT
  public:
    using NumericFieldFixture::NumericFieldFixture;

  private slots:
    void integerFieldWithAFractionReadsItsMinimum() {
        m_integer->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(m_integer, QString("1") + decimalChar() + "5");
        QCOMPARE(m_integer->text(), L("1,5"));
        QCOMPARE(m_integer->value(), 1);
        leaveField();
        QCOMPARE(m_integer->text(), L("1,5"));
        QCOMPARE(platform().beeps, 0);
    }

    void integerFieldRefusesLettersWithABeep() {
        m_integer->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(m_integer, "2a");
        QCOMPARE(m_integer->text(), QString("2"));
        QCOMPARE(platform().beeps, 1);
    }

    void integerFieldClampsSilently() {
        m_integer->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(m_integer, "20000");
        // out of range until the field is left
        QCOMPARE(m_integer->value(), 20000);
        leaveField();
        QCOMPARE(m_integer->text(), QString("10000"));
        m_integer->stepUp();
        QCOMPARE(m_integer->value(), 10000);
        m_integer->setValue(1);
        QTest::mouseClick(m_integer->spinButton(), Qt::LeftButton, {}, m_integer->spinButton()->downRect().center());
        QCOMPARE(m_integer->value(), 1);
        QCOMPARE(platform().beeps, 0);
        m_integer->setValue(50000);
        // setting clamps
        QCOMPARE(m_integer->text(), QString("10000"));
    }

    void plainSpinEditWithoutTypingStillSteps() {
        auto *box = new TSpinEdit(m_window.get());
        box->setRange(1, 10);
        box->setValue(1);
        box->setEditorEnabled(false);
        box->show();
        box->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(box, "7");
        QCOMPARE(box->value(), 1);
        QTest::keyClick(box, Qt::Key_Up);
        QCOMPARE(box->value(), 2);
    }

    // The arrows-only spin boxes look and act like no text field: no caret, no I-beam pointer,
    // no selection by the mouse. With typing on the same box has all three.
    void spinEditWithoutTypingTakesNoCaretNorSelection_data() {
        QTest::addColumn<bool>("typing");
        QTest::newRow("typing off") << false;
        QTest::newRow("typing on") << true;
    }

    void spinEditWithoutTypingTakesNoCaretNorSelection() {
        QFETCH(bool, typing);
        const int flashTime = QApplication::cursorFlashTime();
        QApplication::setCursorFlashTime(0); // a caret that does not blink is drawn at every paint
        auto *box = new TSpinEdit(m_window.get());
        box->setRange(1, 10);
        box->setValue(1);
        box->setEditorEnabled(false);
        box->setEditorEnabled(typing);
        box->setAlignment(Qt::AlignLeft);
        box->setText("1234567");
        box->resize(160, 24);
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box));

        // Ink inside the text area, the spin button and the frame left out.
        auto ink = [box] {
            const QImage image = box->grab().toImage();
            const QRect area = box->rect().adjusted(3, 3, -3 - box->spinButton()->width(), -3);
            int dark = 0;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    dark += qGray(image.pixel(x, y)) < 90;
            return dark;
        };
        const int unfocused = ink();
        box->setFocus(Qt::OtherFocusReason);
        box->deselect();
        box->setCursorPosition(box->text().size());
        QVERIFY(box->hasFocus());
        const int focused = ink();
        QApplication::setCursorFlashTime(flashTime);
        QCOMPARE(focused > unfocused, typing);

        QCOMPARE(box->cursor().shape(), typing ? Qt::IBeamCursor : Qt::ArrowCursor);

        // A drag across the digits, then a double click.
        const int y = box->height() / 2;
        QTest::mousePress(box, Qt::LeftButton, Qt::NoModifier, QPoint(6, y));
        QTest::mouseMove(box, QPoint(40, y));
        QTest::mouseMove(box, QPoint(80, y));
        QTest::mouseRelease(box, Qt::LeftButton, Qt::NoModifier, QPoint(80, y));
        QCOMPARE(box->hasSelectedText(), typing);
        box->deselect();
        QTest::mouseDClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(20, y));
        QCOMPARE(box->hasSelectedText(), typing);
        QCOMPARE(box->text(), QString("1234567"));
        QVERIFY(box->hasFocus());
    }
};

QObject *makeIntegerFieldTest(const QLocale &locale) {
    return new IntegerFieldTest(locale);
}

#include "test_integer_field.moc"
