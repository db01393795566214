#include "fftw_planner.h"

namespace pulsefir::core {

std::mutex &fftwPlannerMutex() {
    static std::mutex mutex;
    return mutex;
}

} // namespace pulsefir::core
