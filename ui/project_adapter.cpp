#include "project_adapter.h"

#include <QSlider>
#include <QTableWidget>
#include <QToolButton>

#include "ui/widgets/platform.h"

namespace pulsefir::ui {

namespace {

using project::ControlKind;

class FloatControl : public project::ProjectControl {
  public:
    explicit FloatControl(widgets::TNmNumEdit *w) : m_w(w) {}
    std::string name() const override { return m_w->objectName().toStdString(); }
    ControlKind kind() const override { return ControlKind::FloatField; }
    double floatValue() const override { return m_w->value(); }
    void setFloatValue(double v) override { m_w->setValue(v); }

  private:
    widgets::TNmNumEdit *m_w;
};

class IntegerControl : public project::ProjectControl {
  public:
    explicit IntegerControl(widgets::TSpinEdit *w) : m_w(w) {}
    std::string name() const override { return m_w->objectName().toStdString(); }
    ControlKind kind() const override { return ControlKind::IntegerSpin; }
    int integerValue() const override { return m_w->value(); }
    void setIntegerValue(int v) override { m_w->setValue(v); }

  private:
    widgets::TSpinEdit *m_w;
};

class CheckControl : public project::ProjectControl {
  public:
    CheckControl(QAbstractButton *w, ControlKind kind) : m_w(w), m_kind(kind) {}
    std::string name() const override { return m_w->objectName().toStdString(); }
    ControlKind kind() const override { return m_kind; }
    bool checked() const override { return m_w->isChecked(); }
    void setChecked(bool v) override { m_w->setChecked(v); }

  private:
    QAbstractButton *m_w;
    ControlKind m_kind;
};

class RadioControl : public project::ProjectControl {
  public:
    explicit RadioControl(widgets::TRadioGroup *w) : m_w(w) {}
    std::string name() const override { return m_w->objectName().toStdString(); }
    ControlKind kind() const override { return ControlKind::RadioGroup; }
    int integerValue() const override { return m_w->itemIndex(); }
    void setIntegerValue(int v) override { m_w->setItemIndex(v); }
    int itemCount() const override { return m_w->itemCount(); }

  private:
    widgets::TRadioGroup *m_w;
};

class EditControl : public project::ProjectControl {
  public:
    explicit EditControl(QLineEdit *w) : m_w(w) {}
    std::string name() const override { return m_w->objectName().toStdString(); }
    ControlKind kind() const override { return ControlKind::Edit; }
    std::string text() const override { return m_w->text().toStdString(); }
    void setText(const std::string &t) override { m_w->setText(QString::fromStdString(t)); }

  private:
    QLineEdit *m_w;
};

class TrackControl : public project::ProjectControl {
  public:
    explicit TrackControl(QSlider *w) : m_w(w) {}
    std::string name() const override { return m_w->objectName().toStdString(); }
    ControlKind kind() const override { return ControlKind::TrackBar; }
    int integerValue() const override { return m_w->value(); }
    void setIntegerValue(int v) override { m_w->setValue(v); }

  private:
    QSlider *m_w;
};

class GridControl : public project::ProjectControl {
  public:
    explicit GridControl(QTableWidget *w) : m_w(w) {}
    std::string name() const override { return m_w->objectName().toStdString(); }
    ControlKind kind() const override { return ControlKind::StringGrid; }
    int columnCount() const override { return m_w->columnCount(); }
    int rowCount() const override { return m_w->rowCount(); }
    void setGridSize(int columns, int rows) override {
        m_w->setColumnCount(columns);
        m_w->setRowCount(rows);
    }
    std::string cell(int column, int row) const override {
        const QTableWidgetItem *item = m_w->item(row, column);
        return item ? item->text().toStdString() : std::string();
    }
    void setCell(int column, int row, const std::string &text) override {
        m_w->setItem(row, column, new QTableWidgetItem(QString::fromStdString(text)));
    }

  private:
    QTableWidget *m_w;
};

// The stored kind of a component, or nothing for the kinds that are not stored.
std::unique_ptr<project::ProjectControl> adapt(QWidget *w) {
    if (auto *f = qobject_cast<widgets::TNmNumEdit *>(w))
        return std::make_unique<FloatControl>(f);
    if (auto *s = qobject_cast<widgets::TSpinEdit *>(w))
        return std::make_unique<IntegerControl>(s);
    if (auto *c = qobject_cast<QCheckBox *>(w))
        return std::make_unique<CheckControl>(c, ControlKind::CheckBox);
    if (auto *r = qobject_cast<widgets::TRadioGroup *>(w))
        return std::make_unique<RadioControl>(r);
    if (auto *t = qobject_cast<QToolButton *>(w); t && t->isCheckable())
        return std::make_unique<CheckControl>(t, ControlKind::SpeedButton);
    if (auto *sl = qobject_cast<QSlider *>(w))
        return std::make_unique<TrackControl>(sl);
    if (auto *g = qobject_cast<QTableWidget *>(w))
        return std::make_unique<GridControl>(g);
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return std::make_unique<EditControl>(e);
    return nullptr;
}

} // namespace

FormProjectWindow::FormProjectWindow(TForm &form, bool mainWindow) : m_form(form), m_main(mainWindow) {
    for (QWidget *w : form.components())
        if (auto control = adapt(w))
            m_controls.push_back(std::move(control));
}

FormProjectWindow::~FormProjectWindow() = default;

project::Frame FormProjectWindow::frame() const {
    const QRect outer = m_form.outerGeometry();
    return {outer.left(), outer.top(), outer.width(), outer.height()};
}

void FormProjectWindow::moveTo(int left, int top) {
    QRect outer = m_form.outerGeometry();
    outer.moveTopLeft(QPoint(left, top));
    m_form.setOuterGeometry(outer, false);
}

void FormProjectWindow::resizeOuter(int width, int height) {
    const QRect outer = m_form.outerGeometry();
    m_form.setOuterGeometry(QRect(outer.topLeft(), QSize(width, height)), true);
}

std::vector<project::ProjectControl *> FormProjectWindow::controls() {
    std::vector<project::ProjectControl *> all;
    for (auto &c : m_controls)
        all.push_back(c.get());
    return all;
}

ProjectWindows::ProjectWindows(const std::vector<TForm *> &forms) {
    for (std::size_t k = 0; k < forms.size(); ++k) {
        m_windows.push_back(std::make_unique<FormProjectWindow>(*forms[k], k == 0));
        m_pointers.push_back(m_windows.back().get());
    }
}

} // namespace pulsefir::ui
