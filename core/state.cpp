#include "state.h"

#include "parallel.h"

namespace pulsefir {

CoreState::CoreState() : m_pool(std::make_unique<WorkerPool>()) {}
CoreState::~CoreState() = default;

} // namespace pulsefir
