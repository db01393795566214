#include "state.h"

#include "parallel.h"

namespace pulsefir {

CoreState::CoreState(int threads) : m_pool(std::make_unique<WorkerPool>(threads)) {}
CoreState::~CoreState() = default;

} // namespace pulsefir
