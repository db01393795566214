// A window with one of each field and a chart of three 20001-point curves, for trying the
// widgets by hand: type, step, hold the buttons, paste, zoom, pan, undo and export.
#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include <cmath>

#include "ui/widgets/chart.h"
#include "ui/widgets/float_field.h"
#include "ui/widgets/integer_field.h"

using namespace pulsefir::ui;
using namespace pulsefir::ui::widgets;

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("pulsefir widgets");
    auto *layout = new QVBoxLayout(&window);
    auto *form = new QFormLayout;
    auto *frequency = new TNmSuperSpin(&window);
    frequency->setRange(0.001, 10000);
    frequency->setValue(0.8);
    auto *noise = new TNmSuperSpin(&window);
    noise->setRange(0, 10000);
    noise->setValue(0.04);
    auto *step = new TNmSuperSpin(&window);
    step->setRange(0, 10000);
    step->setNumberFormat(TNumberFormat::Scientific);
    step->setValue(0.0002);
    auto *halfWidth = new TNmSpinEdit(&window);
    halfWidth->setRange(1, 10000);
    halfWidth->setValue(1000);
    auto *lineWidth = new TSpinEdit(&window);
    lineWidth->setRange(1, 10);
    lineWidth->setValue(1);
    lineWidth->setEditorEnabled(false);
    form->addRow("Частота дискретизации [МГц]", frequency);
    form->addRow("Амплитуда шума", noise);
    form->addRow("Случайные приращения", step);
    form->addRow("Полуширина массива сигнала", halfWidth);
    form->addRow("толщина линий", lineWidth);
    layout->addLayout(form);

    auto *chart = new TChart(&window);
    const QColor colors[] = {Qt::black, QColor(255, 0, 0), QColor(0, 255, 0)};
    for (int s = 0; s < 3; ++s) {
        TLineSeries *series = chart->addSeries("Series" + integerText(s + 1), Qt::gray);
        for (int i = -10000; i <= 10000; ++i)
            series->addPoint(i, (s + 1) * 0.5 * std::sin(0.025 * i + s) * std::exp(-std::abs(i) / 3000.0), colors[s]);
        series->setPointerVisible(true);
    }
    QObject::connect(lineWidth, &QLineEdit::textChanged, chart, [=] {
        for (int s = 0; s < chart->seriesCount(); ++s)
            chart->series(s)->setLineWidth(lineWidth->value());
    });
    layout->addWidget(chart, 1);
    auto *undo = new QPushButton("Отмена ZOOM-а", &window);
    QObject::connect(undo, &QPushButton::clicked, chart, &TChart::undoZoom);
    layout->addWidget(undo);
    window.resize(870, 640);
    window.show();
    return app.exec();
}
