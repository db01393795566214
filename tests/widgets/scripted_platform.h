#pragma once

#include "ui/widgets/platform.h"

// Counts beeps instead of sounding them and runs a clock the test sets.
class ScriptedPlatform : public pulsefir::ui::Platform {
public:
    int beeps = 0;
    qint64 now = 100000; // ms

    void beep() override { ++beeps; }
    qint64 tickCount() override { return now; }
};

// Installs a scripted platform for the lifetime of the object.
class PlatformScope {
public:
    PlatformScope() { pulsefir::ui::Platform::install(&platform); }
    ~PlatformScope() { pulsefir::ui::Platform::install(nullptr); }
    ScriptedPlatform platform;
};
