#include "FieldNumbers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <regex>

namespace pelorin {

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A decimal number with the given separator in place of '.'.
std::optional<double> ParseWithSeparator(const std::string& text, char separator) {
    static const std::regex dotted(kFieldNumberPattern);
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

}  // namespace pelorin
