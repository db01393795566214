#include "platform.h"

#include <QApplication>
#include <QElapsedTimer>

namespace pulsefir::ui {

namespace {
Platform *installed = nullptr;
}

Platform &Platform::current() {
    static QtPlatform qtPlatform;
    return installed ? *installed : qtPlatform;
}

void Platform::install(Platform *platform) { installed = platform; }

void QtPlatform::beep() { QApplication::beep(); }

qint64 QtPlatform::tickCount() {
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

} // namespace pulsefir::ui
