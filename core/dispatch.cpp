#include "dispatch.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace pulsefir::core {

extern const KernelSet ScalarKernels;
#if defined(PULSEFIR_VECTOR_KERNELS)
extern const KernelSet Avx2Kernels;
extern const KernelSet Avx512Kernels;
#endif

namespace {

bool scalarRequested() {
#if defined(PULSEFIR_FORCE_SCALAR)
    return true;
#else
    const char *value = std::getenv("PULSEFIR_SCALAR");
    return value != nullptr && std::strcmp(value, "1") == 0;
#endif
}

} // namespace

const KernelSet *kernelsFor(InstructionSet set) {
    switch (set) {
    case InstructionSet::Scalar:
        return &ScalarKernels;
#if defined(PULSEFIR_VECTOR_KERNELS)
    case InstructionSet::Avx2:
        return __builtin_cpu_supports("avx2") ? &Avx2Kernels : nullptr;
    case InstructionSet::Avx512:
        return __builtin_cpu_supports("avx512f") ? &Avx512Kernels : nullptr;
#else
    case InstructionSet::Avx2:
    case InstructionSet::Avx512:
        return nullptr;
#endif
    }
    return nullptr;
}

const KernelSet &kernels() {
    static const KernelSet &chosen = []() -> const KernelSet & {
        if (scalarRequested())
            return ScalarKernels;
        for (const InstructionSet set : {InstructionSet::Avx512, InstructionSet::Avx2})
            if (const KernelSet *kernels = kernelsFor(set))
                return *kernels;
        return ScalarKernels;
    }();
    return chosen;
}

} // namespace pulsefir::core
