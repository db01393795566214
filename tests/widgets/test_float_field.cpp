#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QTest>

#include <cmath>

#include "base/error.h"
#include "numeric_field_fixture.h"
#include "ui/widgets/field_behaviour.h"
#include "ui/widgets/numeric_text.h"

using namespace pulsefir;
using namespace pulsefir::ui;
using namespace pulsefir::ui::widgets;

Q_DECLARE_METATYPE(TNumberFormat)

class FloatFieldTest : public NumericFieldFixture {
    Q_OBJECT
  public:
    using NumericFieldFixture::NumericFieldFixture;

  private slots:
    // ---- Formatting and parsing --------------------------------------------------------
    // The forms and the grammar themselves are base's (base_tests); here the field shows and
    // reads them with the locale's separators.

    void formatting_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<TNumberFormat>("format");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        const auto T = TNumberFormat::Thousands;
        QTest::newRow("thousands grouped") << 10000.0 << T << -1 << L("10 000");
        QTest::newRow("grouped with fraction") << 1234.5678 << T << -1 << L("1 234,5678");
        QTest::newRow("fixed decimals") << 2.5 << T << 3 << L("2,500");
        QTest::newRow("scientific large") << 12345.0 << TNumberFormat::Scientific << -1 << L("1,2345E4");
        QTest::newRow("standard has no groups") << 1234.5 << TNumberFormat::Standard << -1 << L("1234,5");
    }

    void formatting() {
        QFETCH(double, value);
        QFETCH(TNumberFormat, format);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        m_field->setNumberFormat(format);
        m_field->setDecimals(decimals);
        m_field->setValue(value);
        QCOMPARE(m_field->text(), text);
    }

    void parsingTheLocalesSeparators() {
        m_field->setText(L("1 234,5E1"));
        QCOMPARE(m_field->value(), 12345.0);
        m_field->setText("-");
        QVERIFY(std::signbit(m_field->value()));
    }

    void parsingFailures_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("sign before the E") << L("-E5");
        QTest::newRow("letters") << L("abc");
        QTest::newRow("two separators") << L("1,2,3");
        // Under a point locale the comma is the thousands separator and "1,5" reads 15.
        if (decimalChar() == ',')
            QTest::newRow("point under a comma locale") << QString("1.5");
    }

    void parsingFailures() {
        QFETCH(QString, text);
        m_field->setText(text);
        try {
            m_field->value();
            QFAIL("no error");
        } catch (const base::Error &error) {
            QCOMPARE(QString::fromStdString(error.what()), "'" + text + "' is not a valid floating point value.");
        }
    }

    // ---- Typing ----------------------------------------------------------------------------

    void typingReplacesTheLoneZero() {
        m_field->setValue(0);
        m_field->setFocus(Qt::TabFocusReason);
        QCOMPARE(m_field->selectedText(), QString("0"));
        QTest::keyClicks(m_field, "1234567");
        QCOMPARE(m_field->text(), L("1 234 567"));
        QCOMPARE(m_field->cursorPosition(), static_cast<int>(m_field->text().size()));
        QCOMPARE(platform().beeps, 0);
    }

    void separatorTypedTwiceIsPlacedOnce() {
        placeCaret(m_field, "12", 2);
        QTest::keyClick(m_field, decimalChar().toLatin1());
        QTest::keyClick(m_field, decimalChar().toLatin1());
        QTest::keyClicks(m_field, "5");
        QCOMPARE(m_field->text(), L("12,5"));
        placeCaret(m_field, L("12,5"), 1);
        QTest::keyClick(m_field, decimalChar().toLatin1());
        QCOMPARE(m_field->text(), L("12,5"));
        QCOMPARE(m_field->cursorPosition(), 3);
    }

    void separatorGoesBeforeTheExponent() {
        m_field->setNumberFormat(TNumberFormat::Scientific);
        placeCaret(m_field, "15E3", 4);
        QTest::keyClick(m_field, decimalChar().toLatin1());
        QCOMPARE(m_field->text(), L("15,E3"));
        QCOMPARE(m_field->cursorPosition(), 3);
    }

    void minusTogglesTheSign_data() {
        QTest::addColumn<int>("caret");
        for (int caret = 0; caret <= 4; ++caret)
            QTest::newRow(qPrintable(QString("caret %1").arg(caret))) << caret;
    }

    void minusTogglesTheSign() {
        QFETCH(int, caret);
        placeCaret(m_field, L("12,5"), caret);
        QTest::keyClick(m_field, '-');
        QCOMPARE(m_field->text(), L("-12,5"));
        QCOMPARE(m_field->cursorPosition(), caret + 1);
        QTest::keyClick(m_field, '-');
        QCOMPARE(m_field->text(), L("12,5"));
    }

    void minusAfterTheETogglesTheExponentSign() {
        m_field->setNumberFormat(TNumberFormat::Scientific);
        placeCaret(m_field, "1E5", 3);
        QTest::keyClick(m_field, '-');
        QCOMPARE(m_field->text(), QString("1E-5"));
        QCOMPARE(m_field->cursorPosition(), 4);
        QTest::keyClick(m_field, '-');
        QCOMPARE(m_field->text(), QString("1E5"));
    }

    void digitRules_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("beeps");
        QTest::newRow("digit replaces zero after a minus") << "-0" << 2 << "7"
                                                           << "-7" << 0;
        QTest::newRow("caret before the minus acts after it") << "-0" << 0 << "7"
                                                              << "-7" << 0;
        QTest::newRow("digit replaces the zero after E") << "1E0" << 2 << "5"
                                                         << "1E5" << 0;
        QTest::newRow("exponent 4932 is accepted") << "1E493" << 5 << "2"
                                                   << "1E4932" << 0;
        QTest::newRow("exponent above 4932 is refused") << "1E493" << 5 << "3"
                                                        << "1E493" << 1;
        QTest::newRow("lower-case e becomes E") << "12" << 2 << "e"
                                                << "12E" << 0;
        QTest::newRow("E jumps behind an existing E") << "1E5" << 0 << "E7"
                                                      << "1E75" << 0;
        QTest::newRow("letters are refused") << "12" << 2 << "x"
                                             << "12" << 1;
        QTest::newRow("blank is refused") << "12" << 2 << " "
                                          << "12" << 1;
        QTest::newRow("ten characters at most") << "123 456 789" << 11 << "1"
                                                << "123 456 789" << 1;
    }

    void digitRules() {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QFETCH(int, beeps);
        m_field->setNumberFormat(text.contains('E') ? TNumberFormat::Scientific : TNumberFormat::Thousands);
        placeCaret(m_field, L(text), caret);
        for (QChar c : typed)
            QTest::keyClick(m_field, c.toLatin1());
        QCOMPARE(m_field->text(), L(expected));
        QCOMPARE(platform().beeps, beeps);
    }

    // What engineers type, over the field's whole text selected, under separators given outright:
    // the exponent's placeholder after "E-" gives way to the digit, and "." is the decimal
    // separator where the decimal separator is another character and "." no thousands separator.
    void typedOverTheWholeText_data() {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("decimal");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("refused");
        QTest::newRow("3E-4 typed gives 3E-4") << "2E-4"
                                               << ","
                                               << " "
                                               << "3E-4"
                                               << "3E-4" << false;
        QTest::newRow("1E-3 typed gives 1E-3") << "2E-4"
                                               << ","
                                               << " "
                                               << "1E-3"
                                               << "1E-3" << false;
        QTest::newRow("E- then two digits") << "2E-4"
                                            << ","
                                            << " "
                                            << "5E-12"
                                            << "5E-12" << false;
        QTest::newRow("positive exponent unchanged") << "2E-4"
                                                     << ","
                                                     << " "
                                                     << "3E4"
                                                     << "3E4" << false;
        QTest::newRow("point on a comma desktop") << "0,8"
                                                  << ","
                                                  << " "
                                                  << "1.25"
                                                  << "1,25" << false;
        QTest::newRow("point on a comma desktop, no-break space groups") << "0,8"
                                                                         << "," << QString(QChar(0xA0)) << "1.25"
                                                                         << "1,25" << false;
        QTest::newRow("point after the comma is the second separator") << "0,8"
                                                                       << ","
                                                                       << " "
                                                                       << "1,.5"
                                                                       << "1,5" << false;
        QTest::newRow("point refused where it groups thousands") << "0,8"
                                                                 << ","
                                                                 << "."
                                                                 << "1.25"
                                                                 << "125" << true;
        QTest::newRow("point on a point desktop") << "0.8"
                                                  << "."
                                                  << ","
                                                  << "1.25"
                                                  << "1.25" << false;
    }
    void typedOverTheWholeText() {
        QFETCH(QString, shown);
        QFETCH(QString, decimal);
        QFETCH(QString, group);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QFETCH(bool, refused);
        const NumberSeparators separators{decimal[0], group[0]};
        const TNumberFormat format = shown.contains('E') ? TNumberFormat::Scientific : TNumberFormat::Thousands;
        NumericTextEditor first(shown, 0, 0, static_cast<int>(shown.size()), format, separators);
        QString text = shown;
        int caret = 0;
        bool anyRefused = false;
        for (int k = 0; k < typed.size(); ++k) {
            NumericTextEditor e = k == 0 ? first : NumericTextEditor(text, caret, caret, 0, format, separators);
            e.typeCharacter(typed[k], 10);
            text = e.text();
            caret = e.caret();
            anyRefused = anyRefused || e.refused();
        }
        QCOMPARE(text, expected);
        QCOMPARE(anyRefused, refused);
    }

    // The numeric keypad's decimal key, in the field as the user presses it.
    void keypadPointIsTheDecimalSeparator() {
        placeCaret(m_field, "", 0);
        m_field->selectAll();
        QTest::keyClick(m_field, '1');
        QTest::keyClick(m_field, '.', Qt::KeypadModifier);
        QTest::keyClick(m_field, '2', Qt::KeypadModifier);
        QTest::keyClick(m_field, '5', Qt::KeypadModifier);
        // A "." that groups thousands stays refused; elsewhere it is the decimal separator.
        const bool pointGroups = NumberSeparators::current().group == '.';
        QCOMPARE(m_field->text(), pointGroups ? QString("125") : L("1,25"));
        QCOMPARE(platform().beeps, pointGroups ? 1 : 0);
    }

    // A refused key beeps and flashes the field; the flash ends by itself and gives the field its
    // own colours back.
    void refusedKeyFlashesTheField() {
        placeCaret(m_field, "", 0);
        const QColor before = m_field->palette().color(QPalette::Base);
        QTest::keyClick(m_field, 'x');
        QCOMPARE(platform().beeps, 1);
        QVERIFY(m_field->property("refusalFlash").toBool());
        QVERIFY(m_field->palette().color(QPalette::Base) != before);
        QTest::keyClick(m_field, 'y'); // a second refusal while flashing beeps too
        QCOMPARE(platform().beeps, 2);
        QTRY_VERIFY_WITH_TIMEOUT(!m_field->property("refusalFlash").toBool(), 5 * RefusalFlashMs);
        QCOMPARE(m_field->palette().color(QPalette::Base), before);
        QVERIFY(!m_field->testAttribute(Qt::WA_SetPalette));
        QTest::keyClick(m_integer, 'x');
        QVERIFY(m_integer->property("refusalFlash").toBool());
    }

    void groupingKeepsTheCaretByItsDigit() {
        placeCaret(m_field, "", 0);
        m_field->setText("0");
        m_field->selectAll();
        QTest::keyClicks(m_field, "1234");
        QCOMPARE(m_field->text(), L("1 234"));
        QCOMPARE(m_field->cursorPosition(), 5);
        m_field->setCursorPosition(1);
        QTest::keyClicks(m_field, "567");
        QCOMPARE(m_field->text(), L("1 567 234"));
        // right after the 7
        QCOMPARE(m_field->cursorPosition(), 5);
    }

    void trailingZerosSurviveTyping() {
        placeCaret(m_field, "0", 1);
        QTest::keyClick(m_field, decimalChar().toLatin1());
        QTest::keyClicks(m_field, "000");
        QCOMPARE(m_field->text(), L("0,000"));
        QTest::keyClick(m_field, Qt::Key_Space);
        // Space regroups even without a change of separators
        QCOMPARE(m_field->text(), QString("0"));
        // the blank itself is refused
        QCOMPARE(platform().beeps, 1);
    }

    // ---- Deleting -------------------------------------------------------------------------

    void deleting_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("backspace after the separator leaves a zero") << "3,25" << 2 << int(Qt::Key_Backspace) << "0,25";
        QTest::newRow("backspace skips the separator") << "12,5" << 3 << int(Qt::Key_Backspace) << "1,5";
        QTest::newRow("delete skips the separator") << "12,5" << 2 << int(Qt::Key_Delete) << "12,";
        QTest::newRow("backspace skips a group separator") << "1 234" << 2 << int(Qt::Key_Backspace) << "234";
        QTest::newRow("digit after a sign is simply deleted") << "-5,2" << 2 << int(Qt::Key_Backspace) << "-,2";
        QTest::newRow("deleting the sign") << "-5" << 1 << int(Qt::Key_Backspace) << "5";
        QTest::newRow("last digit leaves zero") << "7" << 1 << int(Qt::Key_Backspace) << "0";
        QTest::newRow("nothing before the start") << "12" << 0 << int(Qt::Key_Backspace) << "12";
        QTest::newRow("nothing after the end") << "12" << 2 << int(Qt::Key_Delete) << "12";
        QTest::newRow("scientific keeps a digit after E") << "5E3" << 3 << int(Qt::Key_Backspace) << "5E0";
    }

    void deleting() {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(int, key);
        QFETCH(QString, expected);
        m_field->setNumberFormat(text.contains('E') ? TNumberFormat::Scientific : TNumberFormat::Thousands);
        placeCaret(m_field, L(text), caret);
        QTest::keyClick(m_field, Qt::Key(key));
        QCOMPARE(m_field->text(), L(expected));
        QCOMPARE(platform().beeps, 0);
    }

    void deletingTheWholeSelectionShowsFormattedZero() {
        m_field->setValue(1234.5);
        m_field->setFocus(Qt::TabFocusReason);
        QTest::keyClick(m_field, Qt::Key_Backspace);
        QCOMPARE(m_field->text(), QString("0"));
        m_field->setNumberFormat(TNumberFormat::Scientific);
        m_field->setValue(12345);
        m_field->selectAll();
        QTest::keyClick(m_field, Qt::Key_Delete);
        QCOMPARE(m_field->text(), QString("0E0"));
    }

    // Entering selects all; the first digit then replaces the formatted zero that the selection
    // leaves, in either format.
    void digitOverTheWholeText_data() {
        QTest::addColumn<TNumberFormat>("format");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::newRow("scientific digit") << TNumberFormat::Scientific << 0.0002 << "3" << L("3E0");
        QTest::newRow("scientific digits then exponent") << TNumberFormat::Scientific << 0.0002 << "25e2" << L("25E2");
        QTest::newRow("thousands digits") << TNumberFormat::Thousands << 0.8 << "25" << L("25");
        QTest::newRow("thousands fraction")
            << TNumberFormat::Thousands << 1.4 << "2" + QString(decimalChar()) + "5" << L("2,5");
    }

    void digitOverTheWholeText() {
        QFETCH(TNumberFormat, format);
        QFETCH(double, value);
        QFETCH(QString, keys);
        QFETCH(QString, text);
        m_field->setNumberFormat(format);
        m_field->setRange(0, 10000);
        m_field->setValue(value);
        m_field->setFocus(Qt::TabFocusReason);
        QCOMPARE(m_field->selectedText(), m_field->text());
        QTest::keyClicks(m_field, keys);
        QCOMPARE(m_field->text(), text);
        leaveField();
        QCOMPARE(m_field->value(), parseFieldText(text, NumberSeparators::current()));
    }

    // A text that cannot be read ("-E3": the only digit of a negative mantissa deleted) is
    // reported in an error box when the field is left or stepped, and stays for correcting.
    void unreadableTextIsReportedOnLeavingAndStepping() {
        m_field->setNumberFormat(TNumberFormat::Scientific);
        m_field->setRange(-10000, 10000);
        placeCaret(m_field, "-5E3", 2);
        QTest::keyClick(m_field, Qt::Key_Backspace);
        QCOMPARE(m_field->text(), QString("-E3"));
        const QString message = "'-E3' is not a valid floating point value.";
        QTest::keyClick(m_field, Qt::Key_Up);
        QCOMPARE(platform().messages.size(), std::size_t(1));
        QCOMPARE(platform().messages.back().text, message);
        leaveField();
        QCOMPARE(platform().messages.size(), std::size_t(2));
        QCOMPARE(platform().messages.back().kind, QString("error"));
        QCOMPARE(platform().messages.back().text, message);
        QCOMPARE(m_field->text(), QString("-E3"));
    }

    // ---- Clipboard ------------------------------------------------------------------------

    void copyLeavesOutThousandsSeparators() {
        m_field->setValue(1234567.5);
        m_field->setFocus(Qt::TabFocusReason);
        QTest::keyClick(m_field, 'c', Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), L("1234567,5"));
        m_field->deselect();
        QTest::keyClick(m_field, 'c', Qt::ControlModifier);
        // an empty selection copies 0
        QCOMPARE(QApplication::clipboard()->text(), QString("0"));
    }

    void cutCopiesAndDeletes() {
        placeCaret(m_field, L("12,75"), 5);
        m_field->setSelection(3, 2);
        QTest::keyClick(m_field, 'x', Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString("75"));
        QCOMPARE(m_field->text(), L("12,"));
    }

    void pasteGoesThroughTheTypingRules() {
        QApplication::clipboard()->setText(L("1a2,5x"));
        m_field->setFocus(Qt::TabFocusReason);
        QTest::keyClick(m_field, 'v', Qt::ControlModifier);
        QCOMPARE(m_field->text(), L("12,5"));
        QCOMPARE(platform().beeps, 2);
    }

    // ---- Enter, focus and leaving -------------------------------------------------------

    void enterClicksTheDefaultButton() {
        auto *button = new QPushButton("OK", m_window.get());
        button->setDefault(true);
        int clicks = 0;
        connect(button, &QPushButton::clicked, [&] { ++clicks; });
        placeCaret(m_field, "5", 1);
        QTest::keyClick(m_field, Qt::Key_Return);
        QCOMPARE(clicks, 1);
        QVERIFY(m_field->hasFocus());
        QCOMPARE(m_field->selectedText(), QString("5"));
        QCOMPARE(platform().beeps, 0);
    }

    void leavingBelowTheRangeClampsBeepsAndKeepsTheFocus() {
        m_field->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(m_field, "0");
        QCOMPARE(m_field->text(), QString("0"));
        leaveField();
        QCOMPARE(m_field->text(), L("0,001"));
        QCOMPARE(platform().beeps, 1);
        QTRY_VERIFY(m_field->hasFocus());
        leaveField();
        QVERIFY(m_other->hasFocus());
        QCOMPARE(platform().beeps, 1);
    }

    void leavingNormalisesTheText() {
        placeCaret(m_field, L("0012,50"), 7);
        leaveField();
        QCOMPARE(m_field->text(), L("12,5"));
    }

    void onInvalidEntryReplacesTheReaction() {
        int calls = 0;
        m_field->OnInvalidEntry = [&] { ++calls; };
        m_field->setValue(20000);
        m_field->setFocus(Qt::TabFocusReason);
        leaveField();
        QCOMPARE(calls, 1);
        QCOMPARE(platform().beeps, 0);
        QCOMPARE(m_field->text(), L("20 000"));
    }

    void valueSetOutsideTheRangeIsShownAsItIs() {
        m_field->setValue(-5);
        QCOMPARE(m_field->text(), QString("-5"));
        QCOMPARE(m_field->value(), -5.0);
    }

    // ---- Stepping ---------------------------------------------------------------------------

    void steppingStopsShortOfTheBound() {
        m_field->setValue(9999.5);
        m_field->stepUp();
        QCOMPARE(m_field->value(), 9999.5);
        QCOMPARE(platform().beeps, 1);
        m_field->setValue(9998.5);
        m_field->stepUp();
        QCOMPARE(m_field->value(), 9999.5);
    }

    void steppingBelowTheRangeIsAnInvalidEntry() {
        m_field->setValue(-3);
        m_field->stepUp();
        QCOMPARE(m_field->value(), 0.001);
        QCOMPARE(platform().beeps, 1);
    }

    void binaryFractionSteppedShowsFifteenDigits() {
        m_field->setValue(0.1);
        QTest::mouseClick(m_field->spinButton(), Qt::LeftButton, {}, m_field->spinButton()->upRect().center());
        QCOMPARE(m_field->text(), L("1,1"));
        QTest::mouseClick(m_field->spinButton(), Qt::LeftButton, {}, m_field->spinButton()->downRect().center());
        QCOMPARE(m_field->text(), L("0,1"));
    }

    void holdingTheUpButtonAccelerates() {
        m_field->setRange(0, 10000);
        m_field->setValue(0);
        TSpinButton *button = m_field->spinButton();
        QTest::mousePress(button, Qt::LeftButton, {}, button->upRect().center());
        QCOMPARE(m_field->value(), 1.0);
        QCOMPARE(button->repeatTimer()->interval(), TSpinButton::FirstRepeatMs);
        // The press, the first repeat 400 ms later and five more step by 1; then every second
        // repeat makes the step 1 larger.
        const double expectedSteps[] = {1, 1, 1, 1, 1, 1, 2, 2, 3, 3, 4, 4};
        double previous = m_field->value();
        for (std::size_t k = 0; k < std::size(expectedSteps); ++k) {
            platform().now += k == 0 ? TSpinButton::FirstRepeatMs : TSpinButton::RepeatMs;
            QVERIFY(QMetaObject::invokeMethod(button, "repeatStep"));
            QCOMPARE(button->repeatTimer()->interval(), TSpinButton::RepeatMs);
            QCOMPARE(m_field->value() - previous, expectedSteps[k]);
            previous = m_field->value();
        }
        QTest::mouseRelease(button, Qt::LeftButton, {}, button->upRect().center());
        QVERIFY(!button->repeatTimer()->isActive());
        platform().now += 250; // a pause of more than 200 ms starts again at Increment
        m_field->stepUp();
        QCOMPARE(m_field->value() - previous, 1.0);
    }

    void accelerationStopsAtAFifthOfTheRange() {
        m_field->setRange(0, 10000);
        m_field->setWrap(true); // wraps instead of stopping, so the step can keep growing
        m_field->setValue(0);
        double largest = 0;
        for (int k = 0; k < 6000; ++k) {
            platform().now += TSpinButton::RepeatMs;
            m_field->stepUp();
            largest = std::max(largest, m_field->currentStep());
        }
        QCOMPARE(largest, 2000.0);
        QCOMPARE(m_field->currentStep(), 2000.0);
    }

    void keyReleaseResetsTheStep() {
        m_field->setRange(0, 10000);
        m_field->setValue(0);
        m_field->setFocus(Qt::TabFocusReason);
        for (int k = 0; k < 10; ++k) {
            platform().now += 30;
            QTest::keyPress(m_field, Qt::Key_Up);
        }
        QVERIFY(m_field->currentStep() > 1.0);
        QTest::keyRelease(m_field, Qt::Key_Up);
        QCOMPARE(m_field->currentStep(), 1.0);
        platform().now += 30;
        QTest::keyPress(m_field, Qt::Key_Down);
        QCOMPARE(m_field->currentStep(), 1.0);
    }
};

QObject *makeFloatFieldTest(const QLocale &locale) {
    return new FloatFieldTest(locale);
}

#include "test_float_field.moc"
