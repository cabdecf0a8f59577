#pragma once

// Messages the engines give about a case whose result needs a second look.
// A report does not keep them; a document made later from the report alone
// finds the same situations in the report's numbers and says them in the
// same words.

namespace pelorin {

// The energy-balance midway water table lies above the soil surface (a
// midway depth below 0); the depth engine gives it after its profile.
inline constexpr const char* kWaterTableAboveSurface =
    " Watertable above soil surface, adjust the data.";

// A spacing whose target head Dw - Dm is below kShortSpacingHead is searched
// with the fine step from a short start; the spacing engines say so first.
inline constexpr double kShortSpacingHead = 0.2;
inline constexpr const char* kShortSpacing =
    " Dw-Dm is less than 0.2. The drain spacing will be short.";

}  // namespace pelorin
