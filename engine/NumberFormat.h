#pragma once

#include <string>

namespace pelorin {

// The number format w:d of every file the program writes: the value reduced to
// 18 significant digits, rounded at the d-th decimal with halves away from zero,
// a minus sign whenever the value's sign is negative (also when it rounds to
// zero), '.' as the decimal point, blanks on the left up to w characters, and a
// wider text written in full.
std::string FormatFixed(double value, int width, int decimals);

}  // namespace pelorin
