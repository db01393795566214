#pragma once

#include <span>
#include <string>

#include "base/error.h"

namespace pulsefir::core {

enum class FloatingPointFault { InvalidOperation, DivisionByZero, Overflow };

// The three trapped floating-point faults; underflow, denormals and inexact results are not faults.
class FloatingPointError : public base::Error {
  public:
    explicit FloatingPointError(FloatingPointFault fault);
    FloatingPointFault fault() const noexcept { return m_fault; }
    static std::string messageFor(FloatingPointFault fault);

  private:
    FloatingPointFault m_fault;
};

// Throws DivisionByZero when the divisor is zero, Overflow when the quotient is not finite.
double checkedReciprocal(double divisor);
// Throws Overflow when a value about to be stored is not finite.
void checkStored(double value);
// Checks the results of a computation from finite inputs before any of them is stored. Such a
// result can only become infinite or NaN through an overflow on its way (a NaN then comes from
// inf - inf or 0 * inf, or from the sine of an angle that overflowed), so the first fault, and the
// one reported, is "Floating point overflow".
void checkComputed(std::span<const double> values);

// Whether every value is finite: CheckComputed without the exception, for work split over threads.
bool allFinite(std::span<const double> values);

} // namespace pulsefir::core
