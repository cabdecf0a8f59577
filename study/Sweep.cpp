#include "Sweep.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>

#include "NumberFormat.h"

#include "StudyCase.h"

namespace pelorin::study {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

std::optional<Quantity> QuantityOfSymbol(const std::string& symbol) {
    for (int q = 0; q < kQuantityCount; ++q) {
        if (symbol == TextsOf(static_cast<Quantity>(q)).symbol) return static_cast<Quantity>(q);
    }
    return std::nullopt;
}

// The shortest text that reads back as the same double.
std::string ExactText(double value) {
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc() ? std::string(text, end) : std::string("0");
}

std::optional<std::vector<double>> RangeValues(double from, double to, double step,
                                               std::string& problem) {
    if (step == 0 || (to - from) * step < 0) {
        problem = "the step must not be 0 and must lead from FROM to TO";
        return std::nullopt;
    }
    const double steps = (to - from) / step;
    constexpr double kTolerance = 1e-6;
    const double whole = std::floor(steps + kTolerance);
    if (whole + 1 > static_cast<double>(kMostSweepCases)) {
        problem = "the range has more than a million values";
        return std::nullopt;
    }
    std::vector<double> values;
    for (long k = 0; k <= static_cast<long>(whole); ++k) values.push_back(from + k * step);
    if (std::fabs(steps - whole) <= kTolerance) values.back() = to;
    return values;
}

// Why the variation's values cannot all be run: two of them are the same
// number once written with the decimals the aim's input file gives the
// quantity (a run reads its case from that file). Empty when they differ.
std::string RepeatAfterRounding(CalcAim aim, const Variation& variation, UnitSystem units) {
    const int position = PositionOf(aim, variation.quantity);
    const int decimals = LayoutOf(aim).fileDecimals[static_cast<std::size_t>(position - 1)];
    std::map<std::string, double> written;
    for (double value : variation.values) {
        const double si = units == UnitSystem::SI
                              ? value
                              : StoredSiValue(value, variation.quantity, units, decimals);
        std::string text = FormatFixed(si, 0, decimals);
        const auto [earlier, added] = written.emplace(text, value);
        if (added) continue;
        const std::string symbol = TextsOf(variation.quantity).symbol;
        return symbol + " is written to the input file with " + std::to_string(decimals) +
               " decimals: " + ExactText(earlier->second) + " and " + ExactText(value) +
               " would both run as " + text + "; choose values that differ in those decimals";
    }
    return {};
}

}  // namespace

std::optional<Variation> ParseVariation(const std::string& text, std::string& problem) {
    const std::size_t equals = text.find('=');
    const std::optional<Quantity> quantity =
        equals == std::string::npos ? std::nullopt : QuantityOfSymbol(text.substr(0, equals));
    if (!quantity) {
        problem = "\"" + text + "\": give Q=FROM:TO:STEP or Q=V1,V2,... with Q a symbol such as R";
        return std::nullopt;
    }
    const std::string values = text.substr(equals + 1);
    Variation variation{*quantity, {}};
    const std::vector<std::string> range = Split(values, ':');
    if (range.size() == 3) {
        const auto from = NumberOfText(range[0], false), to = NumberOfText(range[1], false),
                   step = NumberOfText(range[2], false);
        if (!from || !to || !step) {
            problem = "\"" + text + "\": FROM, TO and STEP must be numbers";
            return std::nullopt;
        }
        auto grid = RangeValues(*from, *to, *step, problem);
        if (!grid) {
            problem = "\"" + text + "\": " + problem;
            return std::nullopt;
        }
        variation.values = std::move(*grid);
        return variation;
    }
    for (const std::string& item : Split(values, ',')) {
        const std::optional<double> value = NumberOfText(item, false);
        if (range.size() != 1 || !value) {
            problem = "\"" + text + "\": " +
                      (range.size() != 1 ? "a range is FROM:TO:STEP"
                                         : "\"" + item + "\" is not a number");
            return std::nullopt;
        }
        variation.values.push_back(*value);
    }
    return variation;
}

SweepPlan PlanSweep(const InputCase& base, const std::string& stem,
                    const std::vector<Variation>& variations, bool bothMethods, UnitSystem units) {
    SweepPlan plan;
    const std::optional<CalcAim> aim = AimFromCode(base.AimCode);
    if (!aim) return {"the input file has an unknown aim " + base.AimCode, {}};
    if (variations.empty() || variations.size() > 2)
        return {"give one or two quantities to vary", {}};
    if (variations.size() == 2 && variations[0].quantity == variations[1].quantity)
        return {"the two varied quantities are the same", {}};
    for (const Variation& variation : variations) {
        if (PositionOf(*aim, variation.quantity) == 0) {
            return {std::string("the aim of the input file does not use ") +
                        TextsOf(variation.quantity).symbol,
                    {}};
        }
    }
    for (const Variation& variation : variations)
        if (std::string repeat = RepeatAfterRounding(*aim, variation, units); !repeat.empty())
            return {repeat, {}};
    std::vector<std::string> methods{MethodCodeOf(MethodFromCode(base.MethodCode))};
    if (bothMethods && *aim != CalcAim::WaterTableDepth) methods = {"Ene", "Dar"};
    const std::vector<double> seconds =
        variations.size() == 2 ? variations[1].values : std::vector<double>{0.0};
    if (methods.size() * seconds.size() * variations[0].values.size() > kMostSweepCases)
        return {"the sweep has more than a million cases", {}};

    CaseRow model;
    model.Title1 = base.Title1;
    model.Title2 = base.Title2;
    model.Aim = base.AimCode;
    model.Units = units;
    for (int position = 1; position <= kFilePositions; ++position) {
        const std::optional<Quantity> q =
            LayoutOf(*aim).file[static_cast<std::size_t>(position - 1)];
        if (!q || position > static_cast<int>(base.Values.size())) continue;
        const double value = base.Values[static_cast<std::size_t>(position - 1)];
        model.Values[static_cast<std::size_t>(*q)] =
            units == UnitSystem::SI
                ? ExactText(value)
                : ShowStoredValue(value, *q, units, InputDecimals(position, base.AimCode));
    }
    for (const std::string& method : methods) {
        for (double second : seconds) {
            for (double first : variations[0].values) {
                CaseRow row = model;
                row.Row = static_cast<long>(plan.Rows.size()) + 1;
                row.Name = stem + "-" + std::to_string(row.Row);
                row.Method = method;
                row.Values[static_cast<std::size_t>(variations[0].quantity)] = ExactText(first);
                if (variations.size() == 2)
                    row.Values[static_cast<std::size_t>(variations[1].quantity)] =
                        ExactText(second);
                plan.Rows.push_back(std::move(row));
            }
        }
    }
    return plan;
}

}  // namespace pelorin::study
