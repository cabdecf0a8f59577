#pragma once

// What Save/Run checks of the names and titles it is about to put in a file:
// titles an input file cannot store, and dots in a file name.

#include <string>

namespace pelorin {

// What Save/Run says of titles that hold characters an input file (single-byte
// text) cannot store: the lead, each such character once, joined by ", ", and
// the end.
inline constexpr const char* kForeignTitlesLead =
    " The titles hold characters that an input file cannot store: ";
inline constexpr const char* kForeignTitlesEnd = ". Please replace them.";

// The number of '.' in the name part of a path (folders do not count).
int DotsInFileName(const std::string& path);

}  // namespace pelorin
