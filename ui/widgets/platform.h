#pragma once

#include <QtGlobal>

namespace pulsefir::ui {

// The platform services whose effects tests must observe or control. The program runs on the
// Qt implementation; tests install a scripted one.
class Platform {
public:
    virtual ~Platform() = default;
    // The default beep for a refused keystroke or step.
    virtual void beep() = 0;
    // A millisecond tick count, for the spin acceleration.
    virtual qint64 tickCount() = 0;

    // The services in use; the Qt implementation unless a test installed another.
    static Platform &current();
    // Installs `platform` (not owned) for the whole process; nullptr restores the Qt one.
    static void install(Platform *platform);
};

class QtPlatform : public Platform {
public:
    void beep() override;
    qint64 tickCount() override;
};

} // namespace pulsefir::ui
