#pragma once

#include <mutex>

namespace pulsefir::core {

// FFTW's planner is not reentrant (execution of a finished plan is): every plan of the core is
// made and destroyed under this one lock.
std::mutex &fftwPlannerMutex();

} // namespace pulsefir::core
