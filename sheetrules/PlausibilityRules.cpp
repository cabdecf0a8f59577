#include "PlausibilityRules.h"

#include <algorithm>

namespace pelorin {

namespace {

using Q = Quantity;

constexpr CalcAim Spa = CalcAim::Spacing, Dis = CalcAim::Discharge, Hyd = CalcAim::WaterTableDepth,
                  Con = CalcAim::Conductivity;

// left >= right; left > factor * right; left >= a constant; left == right.
RuleCondition NotLess(Q left, Q right) {
    return {false, left, Relation::GreaterOrEqual, 1.0, right};
}
RuleCondition Greater(Q left, Q right, double factor = 1.0) {
    return {false, left, Relation::Greater, factor, right};
}
RuleCondition NotBelow(Q left, double constant) {
    return {false, left, Relation::GreaterOrEqual, constant, std::nullopt};
}
RuleCondition Equal(Q left, Q right) { return {false, left, Relation::Equal, 1.0, right}; }
RuleCondition EveryNumberNotBelow(double constant) {
    return {true, Q::R, Relation::GreaterOrEqual, constant, std::nullopt};
}

// D2 = D1 = Dw and Dm = Dw are told apart on purpose: the first two pass, the
// equal depths of the others fail, as users of the program have always seen.
const PlausibilityRule kRules[] = {
    {{Spa, Dis, Hyd, Con}, EveryNumberNotBelow(0), "Data cannot be negative.", {}},
    {{Spa, Dis, Hyd}, NotLess(Q::D2, Q::D1), "Take care that D2 is not less than D1.", {}},
    {{Spa, Dis, Hyd}, NotLess(Q::D1, Q::Dw), "Take care that D1 is not less than Dw.", {}},
    {{Spa, Hyd}, Greater(Q::Ka, Q::R), "Take care that Ka is greater than R.", {}},
    {{Dis, Hyd}, Greater(Q::S, Q::W, 2), "Take care that S is larger than 2W.", {}},
    {{Dis}, Greater(Q::Dw, Q::Dm), "Take care that Dm is less than Dw.", {}},
    {{Spa}, Greater(Q::Dw, Q::Dm), "Take care that Dm is less than Dw.", {}},
    {{Con}, Greater(Q::D2, Q::Db), "Take care that Db is less than D2.", {}},
    {{Con}, Greater(Q::Db, Q::Dw), "Take care that Db is larger than Dw.", {}},
    {{Con}, Greater(Q::Dw, Q::Dm), "Take care that Dm is less than Dw.", {}},
    {{Con}, Greater(Q::S, Q::W, 2), "Take care that S is larger than 2W.", {}},
    {{Spa, Hyd, Con}, NotBelow(Q::R, 0.0001), "Take care that R is larger than 0.0001", {}},
    {{Spa, Dis, Hyd}, Greater(Q::Db, Q::Dw), "Take care that Db is larger than Dw.", {}},
    // One layer below drain level: the second layer's permeabilities mean
    // nothing, and the file holds a single-layer case.
    {{Spa, Dis, Hyd}, Equal(Q::D1, Q::D2), "", {Q::Kb2, Q::Kv2}},
};

bool Compare(double left, Relation relation, double right) {
    switch (relation) {
        case Relation::Greater: return left > right;
        case Relation::GreaterOrEqual: return left >= right;
        case Relation::Equal: return left == right;
    }
    return false;
}

double& NumberOf(std::vector<double>& values, CalcAim aim, Q q) {
    return values[static_cast<std::size_t>(PositionOf(aim, q) - 1)];
}

double NumberOf(const std::vector<double>& values, CalcAim aim, Q q) {
    return values[static_cast<std::size_t>(PositionOf(aim, q) - 1)];
}

}  // namespace

bool PlausibilityRule::AppliesTo(CalcAim aim) const {
    return std::find(Aims.begin(), Aims.end(), aim) != Aims.end();
}

std::span<const PlausibilityRule> PlausibilityRules() { return kRules; }

bool ConditionHolds(const RuleCondition& condition, CalcAim aim,
                    const std::vector<double>& values) {
    const double right = condition.Right
                             ? condition.Factor * NumberOf(values, aim, *condition.Right)
                             : condition.Factor;
    if (condition.EveryNumber) {
        return std::all_of(values.begin(), values.end(),
                           [&](double value) { return Compare(value, condition.Compare, right); });
    }
    return Compare(NumberOf(values, aim, condition.Left), condition.Compare, right);
}

std::vector<std::string> FailedChecks(CalcAim aim, const std::vector<double>& values) {
    std::vector<std::string> failed;
    for (const PlausibilityRule& rule : kRules)
        if (!rule.ChangesValues() && rule.AppliesTo(aim) &&
            !ConditionHolds(rule.Condition, aim, values))
            failed.emplace_back(rule.Text);
    return failed;
}

std::optional<std::string> ValidateInput(InputCase& inputCase) {
    const CalcAim aim = AimFromCode(inputCase.AimCode).value_or(CalcAim::Spacing);
    std::vector<double>& values = inputCase.Values;
    values.resize(kInputValueCount, 0.0);
    if (const std::vector<std::string> failed = FailedChecks(aim, values); !failed.empty())
        return failed.front() + kNotSavedEnding;
    for (const PlausibilityRule& rule : kRules) {
        if (!rule.ChangesValues() || !rule.AppliesTo(aim) ||
            !ConditionHolds(rule.Condition, aim, values))
            continue;
        for (Q q : rule.Zeroed) NumberOf(values, aim, q) = 0;
    }
    return std::nullopt;
}

}  // namespace pelorin
