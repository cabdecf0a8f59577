#pragma once

#include <cstdint>

#include "DrainageCase.h"
#include "StopToken.h"

namespace pelorin {

class ReportWriter;

// The step of the profile table, the finest step any march takes.
inline constexpr double kProfileStep = 0.00001;

// Recomputes both water tables with the fine step 0.00001 m, writes the
// selected rows into the report and leaves the midway values in the profile
// state of the case.
void WriteProfile(DrainageCase& c, ReportWriter& report, const StopToken& stop = {});

// Which steps of the profile give a table row: the first and the last, every
// multiple of the row interval n, and the first step found by the half and by
// the quarter test. Decides in O(1) per step.
class ProfileRowSelector {
  public:
    ProfileRowSelector(std::int32_t firstStep, std::int32_t lastStep, std::int64_t n);

    // Whether step i gives a row; updates the half and quarter flags as the
    // scan over j = 0, n, 2n, ... would.
    bool Select(std::int64_t i);
    // The first step at or after `from` that gives a row with the flags as they
    // stand (the flags change only when a row is written).
    std::int64_t NextRow(std::int64_t from) const;

  private:
    bool Gives(std::int64_t i, bool& half, bool& quarter) const;

    std::int64_t first_;
    std::int64_t last_;
    std::int64_t n_;
    std::int64_t candidateStride_;  // every row step is a multiple of it (or first/last)
    bool half_ = false;
    bool quarter_ = false;
};

}  // namespace pelorin
