#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "RunError.h"

namespace pelorin {

// A double whose every operation is checked the way the arithmetic guards
// demand: a division by zero, an invalid operation (0/0, inf-inf, 0*inf, the
// root of a negative number) or an overflow to infinity stops the run with its
// fault. Underflow and rounding pass silently. The checks look at values, not
// at the processor's status flags, so they cannot be fooled by the compiler
// moving an operation; the results are bit for bit those of plain doubles.
struct Guarded {
    double v = 0.0;

    constexpr Guarded() = default;
    constexpr Guarded(double value) : v(value) {}  // NOLINT: implicit by design
};

namespace guard_detail {

[[noreturn]] inline void Stop(Fault fault) { throw RunError(fault); }

// An infinity out of finite operands is an overflow; a NaN out of operands that
// are numbers is an invalid operation.
inline double Checked(double result, double a, double b) {
    if (std::isinf(result) && std::isfinite(a) && std::isfinite(b)) Stop(Fault::Overflow);
    if (std::isnan(result) && !std::isnan(a) && !std::isnan(b)) Stop(Fault::InvalidOperation);
    return result;
}

}  // namespace guard_detail

inline Guarded operator+(Guarded a, Guarded b) {
    return guard_detail::Checked(a.v + b.v, a.v, b.v);
}
inline Guarded operator-(Guarded a, Guarded b) {
    return guard_detail::Checked(a.v - b.v, a.v, b.v);
}
inline Guarded operator*(Guarded a, Guarded b) {
    return guard_detail::Checked(a.v * b.v, a.v, b.v);
}
inline Guarded operator/(Guarded a, Guarded b) {
    if (b.v == 0.0) {
        if (a.v == 0.0 || std::isnan(a.v)) guard_detail::Stop(Fault::InvalidOperation);
        if (!std::isnan(b.v)) guard_detail::Stop(Fault::DivisionByZero);
    }
    return guard_detail::Checked(a.v / b.v, a.v, b.v);
}
inline Guarded operator-(Guarded a) { return -a.v; }

inline bool operator<(Guarded a, Guarded b) { return a.v < b.v; }
inline bool operator>(Guarded a, Guarded b) { return a.v > b.v; }
inline bool operator<=(Guarded a, Guarded b) { return a.v <= b.v; }
inline bool operator>=(Guarded a, Guarded b) { return a.v >= b.v; }

inline Guarded Sqrt(Guarded a) {
    if (a.v < 0.0) guard_detail::Stop(Fault::InvalidOperation);
    return std::sqrt(a.v);
}
inline double Sqrt(double a) { return std::sqrt(a); }

inline Guarded Abs(Guarded a) { return std::fabs(a.v); }
inline double Abs(double a) { return std::fabs(a); }

inline double Value(Guarded a) { return a.v; }
inline double Value(double a) { return a; }

// Round to the nearest integer, halves to the even neighbour, into a 32-bit
// step count; a count outside that range is a range check error.
inline std::int32_t RoundStep(double x) {
    if (std::isnan(x)) throw RunError(Fault::InvalidOperation);
    const double r = std::nearbyint(x);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw RunError(Fault::RangeCheck);
    return static_cast<std::int32_t>(r);
}
inline std::int32_t RoundStep(Guarded x) { return RoundStep(x.v); }

// a − b and |a − b| of plain doubles, with the guards.
inline double Minus(double a, double b) { return Value(Guarded(a) - b); }
inline double AbsDiff(double a, double b) { return Value(Abs(Guarded(a) - b)); }

// 32-bit addition with the overflow guard.
inline std::int32_t AddSteps(std::int32_t a, std::int32_t b) {
    std::int32_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) throw RunError(Fault::IntegerOverflow);
    return sum;
}

}  // namespace pelorin
