#include "numeric_field_fixture.h"

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>

using namespace pulsefir::ui;
using namespace pulsefir::ui::widgets;

QString NumericFieldFixture::L(const QString &example) {
    const auto sep = NumberSeparators::current();
    QString out;
    for (QChar c : example)
        out += c == ' ' ? sep.group : c == ',' ? sep.decimal : c;
    return out;
}

QChar NumericFieldFixture::decimalChar() {
    return NumberSeparators::current().decimal;
}

void NumericFieldFixture::placeCaret(QLineEdit *edit, const QString &text, int caret) {
    edit->setText(text);
    edit->setFocus(Qt::TabFocusReason);
    QVERIFY(edit->hasFocus());
    edit->deselect();
    edit->setCursorPosition(caret);
}

void NumericFieldFixture::leaveField() {
    m_other->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
}

void NumericFieldFixture::initTestCase() {
    QLocale::setDefault(m_locale);
    qInfo() << "locale" << m_locale.name() << "decimal" << QLocale().decimalPoint();
}

void NumericFieldFixture::init() {
    m_scope = std::make_unique<PlatformScope>();
    m_window = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(m_window.get());
    m_field = new TNmSuperSpin(m_window.get());
    m_field->setRange(0.001, 10000);
    m_field->setValue(0.8);
    m_integer = new TNmSpinEdit(m_window.get());
    m_integer->setRange(1, 10000);
    m_integer->setValue(1000);
    m_other = new QLineEdit(m_window.get());
    layout->addWidget(m_field);
    layout->addWidget(m_integer);
    layout->addWidget(m_other);
    m_window->resize(240, 120);
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_other->setFocus(Qt::OtherFocusReason);
    QVERIFY(m_other->hasFocus());
}

void NumericFieldFixture::cleanup() {
    m_window.reset();
    m_scope.reset();
}
