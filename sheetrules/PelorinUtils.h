#pragma once

// The window-free rules of the Input sheet and of Save/Run: number texts,
// file-name rules and the placement of the main window (the plausibility
// rules are in PlausibilityRules.h).

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "DrainageCase.h"
#include "InputFile.h"
#include "ReportNames.h"  // WithExtension

namespace pelorin {

// A field text that is no number in either decimal notation.
class ConversionError : public std::invalid_argument {
  public:
    explicit ConversionError(const std::string& text)
        : std::invalid_argument(text + " is not a valid real number"), text_(text) {}
    const std::string& Text() const noexcept { return text_; }

  private:
    std::string text_;
};

// A field's number with '.' for its separator: optional sign, digits with at
// most one separator, optional exponent. In the ECMAScript grammar, which
// std::regex and the page's script read alike.
inline constexpr const char* kFieldNumberPattern = R"([+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)";

// Converts a field text with the system's decimal separator, or else with the
// other one of '.' and ',', so that 1.5 and 1,5 are accepted alike. Blanks
// around the number are allowed; anything else throws ConversionError.
double StringToFloat(const std::string& text, char systemSeparator);

// The shortest general form with up to 15 significant digits: fixed notation
// from 0.00001 upwards, scientific (1E-6) below it and from 1E15 on.
std::string FormatFieldNumber(double value, char systemSeparator);

// What Save/Run says of titles that hold characters an input file (single-byte
// text) cannot store: the lead, each such character once, joined by ", ", and
// the end.
inline constexpr const char* kForeignTitlesLead =
    " The titles hold characters that an input file cannot store: ";
inline constexpr const char* kForeignTitlesEnd = ". Please replace them.";

// The number of '.' in the name part of a path (folders do not count).
int DotsInFileName(const std::string& path);

// Where the main window opens on a screen of this width, given its designed
// outer width: left edge 50 and width 760 on screens wider than 860 pixels;
// the designed width when it fits; otherwise from left edge 5 to the screen's
// right edge.
struct WindowPlacement {
    int Left = 50;
    int Width = 0;
};
WindowPlacement PlaceMainWindow(int screenWidth, int designedWidth);

}  // namespace pelorin
