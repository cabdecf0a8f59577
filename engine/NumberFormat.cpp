#include "NumberFormat.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace pelorin {
namespace {

constexpr int kSignificantDigits = 18;

std::string PadLeft(std::string text, int width) {
    if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), ' ');
    return text;
}

// Decimal digits and exponent of |value| to 18 significant digits:
// value = 0.d1d2...d18 * 10^(exponent + 1).
void SignificantDigits(double magnitude, std::string& digits, int& exponent) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", kSignificantDigits - 1, magnitude);
    digits.clear();
    const char* p = buffer;
    for (; *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits.push_back(*p);
    exponent = std::atoi(p + 1);
}

}  // namespace

std::string FormatFixed(double value, int width, int decimals) {
    if (std::isnan(value)) return PadLeft("Nan", width);
    if (std::isinf(value)) return PadLeft(value < 0 ? "-Inf" : "+Inf", width);
    if (decimals < 0) decimals = 0;

    std::string digits;
    int exponent = 0;
    if (value == 0.0) {
        digits = "0";
        exponent = 0;
    } else {
        SignificantDigits(std::fabs(value), digits, exponent);
    }

    // Keep the digits down to the d-th decimal: they count units of 10^-d. The
    // first digit dropped decides the rounding (a 5 or more goes away from zero).
    const int keep = exponent + decimals + 1;
    std::string units;
    bool roundUp = false;
    if (keep >= static_cast<int>(digits.size())) {
        units = digits + std::string(keep - digits.size(), '0');
    } else if (keep >= 0) {
        units = digits.substr(0, keep);
        roundUp = digits[keep] >= '5';
    }
    if (roundUp) {
        int i = static_cast<int>(units.size()) - 1;
        for (; i >= 0 && units[i] == '9'; --i) units[i] = '0';
        if (i >= 0)
            ++units[i];
        else
            units.insert(units.begin(), '1');
    }
    if (static_cast<int>(units.size()) < decimals + 1)
        units.insert(0, decimals + 1 - units.size(), '0');
    const std::size_t integerDigits = units.size() - decimals;
    std::string integerPart = units.substr(0, integerDigits);
    const std::string fraction = units.substr(integerDigits);
    const std::size_t firstNonZero = integerPart.find_first_not_of('0');
    integerPart = firstNonZero == std::string::npos ? "0" : integerPart.substr(firstNonZero);

    std::string text = std::signbit(value) ? "-" : "";
    text += integerPart;
    if (decimals > 0) text += "." + fraction;
    return PadLeft(std::move(text), width);
}

}  // namespace pelorin
