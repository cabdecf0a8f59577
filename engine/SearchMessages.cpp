#include "SearchMessages.h"

#include "NumberFormat.h"

namespace pelorin {

std::string MessageNumber(double value, int decimals) { return FormatFixed(value, 0, decimals); }

}  // namespace pelorin
