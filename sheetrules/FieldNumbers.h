#pragma once

// The numbers of the Input sheet's fields: how a field's text is read as a
// number (either decimal separator) and how a number is shown in a field.

#include <stdexcept>
#include <string>

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

}  // namespace pelorin
