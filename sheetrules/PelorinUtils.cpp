#include "PelorinUtils.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <regex>

#include "CaseLayout.h"

namespace pelorin {

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A decimal number with the given separator: optional sign, digits with at
// most one separator, optional exponent.
std::optional<double> ParseWithSeparator(const std::string& text, char separator) {
    static const std::regex dotted(R"([+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)");
    std::string normalised = text;
    for (char& c : normalised) {
        if (c == separator) {
            c = '.';
        } else if (c == '.') {
            return std::nullopt;
        }
    }
    if (!std::regex_match(normalised, dotted)) return std::nullopt;
    const char* begin = normalised.c_str();
    if (*begin == '+') ++begin;
    double value = 0;
    const auto [end, error] = std::from_chars(begin, normalised.c_str() + normalised.size(), value);
    if (error != std::errc() || *end != '\0' || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

double StringToFloat(const std::string& text, char systemSeparator) {
    const std::string number = Trimmed(text);
    if (auto value = ParseWithSeparator(number, systemSeparator)) return *value;
    const char other = systemSeparator == ',' ? '.' : ',';
    if (auto value = ParseWithSeparator(number, other)) return *value;
    throw ConversionError(text);
}

std::string FormatFieldNumber(double value, char systemSeparator) {
    if (value == 0) return "0";
    // 15 significant digits, then the shortest text that keeps them.
    std::array<char, 40> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%.14e", std::fabs(value));
    std::string digits;
    digits += buffer[0];
    digits.append(buffer.data() + 2, 14);
    const int exponent = std::atoi(buffer.data() + 17);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    // The digits with the separator after `integerDigits` of them.
    auto withSeparator = [&](std::size_t integerDigits) {
        std::string part = digits.substr(0, integerDigits);
        if (digits.size() > integerDigits) {
            part.push_back(systemSeparator);
            part.append(digits, integerDigits);
        }
        return part;
    };
    std::string text = value < 0 ? "-" : "";
    if (exponent < -5 || exponent >= 15) {
        text += withSeparator(1);
        text += 'E';
        text += std::to_string(exponent);
    } else if (exponent < 0) {
        text += '0';
        text += systemSeparator;
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text += digits;
    } else {
        const auto integerDigits = static_cast<std::size_t>(exponent + 1);
        if (digits.size() < integerDigits) digits.append(integerDigits - digits.size(), '0');
        text += withSeparator(integerDigits);
    }
    return text;
}

namespace {

// The quantities by their short names; their positions come from the case layout.
using Q = Quantity;

// One plausibility check: the aims it applies to, the test on the numbers and
// the message of a failure. The test runs only for its aims, so it reads only
// the quantities those aims have.
struct PlausibilityCheck {
    std::initializer_list<CalcAim> aims;
    bool (*passes)(const std::function<double(Q)>& v);
    const char* message;
};

constexpr CalcAim Spa = CalcAim::Spacing, Dis = CalcAim::Discharge, Hyd = CalcAim::WaterTableDepth,
                  Con = CalcAim::Conductivity;

// In the order in which they run; the first failure is the one reported.
const PlausibilityCheck kChecks[] = {
    {{Spa, Dis, Hyd},
     [](auto& v) { return v(Q::D2) >= v(Q::D1); },
     "Take care that D2 is not less than D1."},
    {{Spa, Dis, Hyd},
     [](auto& v) { return v(Q::D1) >= v(Q::Dw); },
     "Take care that D1 is not less than Dw."},
    {{Spa, Hyd},
     [](auto& v) { return v(Q::Ka) > v(Q::R); },
     "Take care that Ka is greater than R."},
    {{Dis, Hyd},
     [](auto& v) { return v(Q::S) > 2 * v(Q::W); },
     "Take care that S is larger than 2W."},
    {{Dis}, [](auto& v) { return v(Q::Dw) > v(Q::Dm); }, "Take care that Dm is less than Dw."},
    {{Spa}, [](auto& v) { return v(Q::Dw) > v(Q::Dm); }, "Take care that Dm is less than Dw."},
    {{Con}, [](auto& v) { return v(Q::D2) > v(Q::Db); }, "Take care that Db is less than D2."},
    {{Con}, [](auto& v) { return v(Q::Db) > v(Q::Dw); }, "Take care that Db is larger than Dw."},
    {{Con}, [](auto& v) { return v(Q::Dw) > v(Q::Dm); }, "Take care that Dm is less than Dw."},
    {{Con}, [](auto& v) { return v(Q::S) > 2 * v(Q::W); }, "Take care that S is larger than 2W."},
    {{Spa, Hyd, Con},
     [](auto& v) { return v(Q::R) >= 0.0001; },
     "Take care that R is larger than 0.0001"},
    {{Spa, Dis, Hyd},
     [](auto& v) { return v(Q::Db) > v(Q::Dw); },
     "Take care that Db is larger than Dw."},
};

bool AppliesTo(const PlausibilityCheck& check, CalcAim aim) {
    for (CalcAim a : check.aims)
        if (a == aim) return true;
    return false;
}

std::string Refusal(const char* message) {
    return std::string(message) + " Input not saved. Please correct the data";
}

}  // namespace

std::optional<std::string> ValidateInput(InputCase& inputCase) {
    const CalcAim aim = AimFromCode(inputCase.AimCode).value_or(CalcAim::Spacing);
    std::vector<double>& values = inputCase.Values;
    values.resize(kInputValueCount, 0.0);
    for (double value : values)
        if (!(value >= 0)) return Refusal("Data cannot be negative.");

    const std::function<double(Q)> v = [&](Q q) {
        return values[static_cast<std::size_t>(PositionOf(aim, q) - 1)];
    };
    for (const PlausibilityCheck& check : kChecks)
        if (AppliesTo(check, aim) && !check.passes(v)) return Refusal(check.message);

    // One layer below drain level: the second layer's permeabilities mean nothing.
    if (aim != Con && v(Q::D1) == v(Q::D2)) {
        values[static_cast<std::size_t>(PositionOf(aim, Q::Kb2) - 1)] = 0;
        values[static_cast<std::size_t>(PositionOf(aim, Q::Kv2) - 1)] = 0;
    }
    return std::nullopt;
}

int DotsInFileName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    int dots = 0;
    for (char c : name) dots += c == '.' ? 1 : 0;
    return dots;
}

WindowPlacement PlaceMainWindow(int screenWidth, int designedWidth) {
    if (screenWidth > 860) return {50, 760};
    if (screenWidth < designedWidth) return {5, screenWidth - 5};
    return {50, designedWidth};
}

}  // namespace pelorin
