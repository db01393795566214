#include "FormBase.h"

#include <QApplication>

#include <exception>

#include "project/Parameters.h"
#include "ui/widgets/platform.h"

namespace pulsefir::ui {

TForm::TForm(const QString &name, const QString &caption) {
    setObjectName(name);
    setWindowTitle(caption);
}

QWidget *TForm::component(const QString &name) const {
    for (QWidget *w : m_components)
        if (w->objectName() == name)
            return w;
    return nullptr;
}

void TForm::showAndFocus() {
    show();
    raise();
    activateWindow();
    setFocus(Qt::OtherFocusReason);
}

void TForm::guard(const std::function<void()> &handler) {
    try {
        handler();
    } catch (const std::exception &error) {
        Platform::current().showError(this, QString::fromUtf8(error.what()));
    }
}

TNmSuperSpin *TForm::floatField(QWidget *parent, const char *key, TNumberFormat format) {
    const ParameterDefinition &d = Parameter(objectName().toStdString(), key);
    auto *field = declare(new TNmSuperSpin(parent));
    field->setObjectName(key);
    field->setNumberFormat(format);
    field->setDecimals(-1);
    field->setIncrement(1);
    field->setRange(d.minimum, d.maximum);
    field->setMaxLength(10);
    field->setValue(d.defaultValue);
    return field;
}

TNmSpinEdit *TForm::integerField(QWidget *parent, const char *key) {
    const ParameterDefinition &d = Parameter(objectName().toStdString(), key);
    auto *field = declare(new TNmSpinEdit(parent));
    field->setObjectName(key);
    field->setRange(static_cast<int>(d.minimum), static_cast<int>(d.maximum));
    field->setValue(static_cast<int>(d.defaultValue));
    return field;
}

TSpinEdit *TForm::arrowSpin(QWidget *parent, const char *key) {
    const ParameterDefinition &d = Parameter(objectName().toStdString(), key);
    auto *field = declare(new TSpinEdit(parent));
    field->setObjectName(key);
    field->setRange(static_cast<int>(d.minimum), static_cast<int>(d.maximum));
    field->setValue(static_cast<int>(d.defaultValue));
    field->setEditorEnabled(false);
    field->setAlignment(Qt::AlignCenter);
    field->setMaximumWidth(60);
    return field;
}

QCheckBox *TForm::checkBox(QWidget *parent, const char *key, const QString &caption) {
    const ParameterDefinition &d = Parameter(objectName().toStdString(), key);
    auto *box = declare(new QCheckBox(caption, parent));
    box->setObjectName(key);
    box->setChecked(d.defaultValue != 0);
    return box;
}

TRadioGroup *TForm::radioGroup(QWidget *parent, const char *key, const QString &caption, const QStringList &items) {
    const ParameterDefinition &d = Parameter(objectName().toStdString(), key);
    auto *group = declare(new TRadioGroup(caption, items, parent));
    group->setObjectName(key);
    group->setItemIndex(static_cast<int>(d.defaultValue));
    return group;
}

QPushButton *TForm::button(QWidget *parent, const char *name, const QString &caption, bool bold) {
    auto *b = declare(new QPushButton(caption, parent));
    b->setObjectName(name);
    b->setAutoDefault(false);
    if (bold) {
        QFont f = b->font();
        f.setBold(true);
        b->setFont(f);
    }
    return b;
}

QLabel *TForm::label(QWidget *parent, const QString &text, const char *name) {
    auto *l = new QLabel(text, parent);
    if (name) {
        l->setObjectName(name);
        declare(l);
    }
    return l;
}

} // namespace pulsefir::ui

namespace pulsefir::ui {

QFrame *TForm::panel(QWidget *parent, const char *name, int height) {
    auto *frame = declare(new QFrame(parent));
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::StyledPanel);
    if (height > 0)
        frame->setFixedHeight(height);
    return frame;
}

} // namespace pulsefir::ui
