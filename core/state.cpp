#include "state.h"

#include "parallel.h"
#include "thread_choice.h"

namespace pulsefir::core {

CoreState::CoreState(int threads)
    : m_pool(std::make_unique<WorkerPool>(threads)), m_searchThreads(std::make_unique<ThreadChoice>()) {}
CoreState::~CoreState() = default;

} // namespace pulsefir::core
