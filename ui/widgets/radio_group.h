#pragma once

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

namespace pulsefir::ui::widgets {

// A framed group of radio buttons with one selected item, or none (ItemIndex -1).
class TRadioGroup : public QGroupBox {
    Q_OBJECT
  public:
    TRadioGroup(const QString &caption, const QStringList &items, QWidget *parent = nullptr);

    int itemIndex() const { return m_group->checkedId(); }
    // -1 (or below) selects no item; an index past the last selects nothing as well, so
    // callers clamp first where the file format asks for it.
    void setItemIndex(int index);
    int itemCount() const { return static_cast<int>(m_group->buttons().size()); }
    QAbstractButton *item(int index) const { return m_group->button(index); }
    // The items side by side in one row instead of one under another.
    void arrangeInRow();

  signals:
    void itemIndexChanged(int index);

  private:
    QButtonGroup *m_group;
};

} // namespace pulsefir::ui::widgets
