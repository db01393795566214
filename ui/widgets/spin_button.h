#pragma once

#include <QTimer>
#include <QWidget>

namespace pulsefir::ui::widgets {

// The small up/down button at the right edge of a numeric field. A press on a half steps once
// at once, then repeats while held: the first repeat after 400 ms, then every 100 ms.
class TSpinButton : public QWidget {
    Q_OBJECT
  public:
    static constexpr int FirstRepeatMs = 400;
    static constexpr int RepeatMs = 100;

    explicit TSpinButton(QWidget *parent = nullptr);

    QRect upRect() const;
    QRect downRect() const;
    // The repeat timer, so tests can see its interval and fire it without waiting.
    QTimer *repeatTimer() { return &m_repeat; }

    QSize sizeHint() const override;

  signals:
    void upClicked();
    void downClicked();
    void pressed(); // before the first step: the owner takes the focus

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

  private slots:
    void repeatStep();

  private:
    enum class Held { None, Up, Down };
    Held m_held = Held::None;
    QTimer m_repeat;
};

} // namespace pulsefir::ui::widgets
