#include "radio_group.h"

#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace pulsefir::ui::widgets {

TRadioGroup::TRadioGroup(const QString &caption, const QStringList &items, QWidget *parent)
    : QGroupBox(caption, parent), m_group(new QButtonGroup(this)) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(0);
    for (int k = 0; k < items.size(); ++k) {
        auto *button = new QRadioButton(items[k], this);
        m_group->addButton(button, k);
        layout->addWidget(button);
    }
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            emit itemIndexChanged(id);
    });
}

void TRadioGroup::arrangeInRow() {
    delete layout();
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 6, 2);
    row->setSpacing(10);
    for (QAbstractButton *button : m_group->buttons())
        row->addWidget(button);
    row->addStretch(1);
}

void TRadioGroup::setItemIndex(int index) {
    if (index == itemIndex())
        return;
    if (index >= 0 && index < itemCount()) {
        m_group->button(index)->setChecked(true);
        return;
    }
    // No item: an exclusive group cannot uncheck its last button, so lift that for a moment.
    m_group->setExclusive(false);
    for (QAbstractButton *button : m_group->buttons())
        button->setChecked(false);
    m_group->setExclusive(true);
    emit itemIndexChanged(-1);
}

} // namespace pulsefir::ui::widgets
