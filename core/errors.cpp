#include "errors.h"

#include <cmath>

namespace pulsefir {

FloatingPointError::FloatingPointError(FloatingPointFault fault) : CoreError(messageFor(fault)), m_fault(fault) {}

const char *FloatingPointError::messageFor(FloatingPointFault fault) noexcept {
    switch (fault) {
    case FloatingPointFault::InvalidOperation:
        return "Invalid floating point operation";
    case FloatingPointFault::DivisionByZero:
        return "Floating point division by zero";
    case FloatingPointFault::Overflow:
        return "Floating point overflow";
    }
    return "Invalid floating point operation";
}

double CheckedReciprocal(double divisor) {
    if (divisor == 0.0)
        throw FloatingPointError(FloatingPointFault::DivisionByZero);
    if (std::isnan(divisor))
        throw FloatingPointError(FloatingPointFault::InvalidOperation);
    const double result = 1.0 / divisor;
    CheckStored(result);
    return result;
}

void CheckStored(double value) {
    if (std::isnan(value))
        throw FloatingPointError(FloatingPointFault::InvalidOperation);
    if (std::isinf(value))
        throw FloatingPointError(FloatingPointFault::Overflow);
}

} // namespace pulsefir
