#include "ReportWriter.h"

#include "NumberFormat.h"

namespace pelorin {

void ReportWriter::Number(double value, int width, int decimals) {
    text_.append(FormatFixed(value, width, decimals));
}

}  // namespace pelorin
