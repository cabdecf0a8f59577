#pragma once

// The plausibility rules of Save/Run, in one table: for each rule the aims it
// applies to, its condition on the 13 numbers, the text the user reads when a
// check fails, and the quantities it sets to 0 when it changes values. The
// desktop refuses to save a case that fails a check; the page shows the failed
// checks as questions and leaves the refusal to the input check of the engine.
// pelorin-cli and the studies apply none of them.

#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "CaseLayout.h"
#include "InputFile.h"

namespace pelorin {

enum class Relation { Greater, GreaterOrEqual, Equal };

// Left Compare Right, where Right is Factor times a quantity, or the constant
// Factor when there is none. With EveryNumber, each of the 13 numbers takes the
// place of Left.
struct RuleCondition {
    bool EveryNumber = false;
    Quantity Left = Quantity::R;
    Relation Compare = Relation::GreaterOrEqual;
    double Factor = 1.0;
    std::optional<Quantity> Right;
};

struct PlausibilityRule {
    std::initializer_list<CalcAim> Aims;
    // A check: the case passes when the condition holds. A value rule: it
    // applies when the condition holds.
    RuleCondition Condition;
    const char* Text;                        // a check's message; empty for a value rule
    std::initializer_list<Quantity> Zeroed;  // what a value rule sets to 0

    bool ChangesValues() const { return Zeroed.size() > 0; }
    bool AppliesTo(CalcAim aim) const;
};

// The rules in the order in which they run; the first failing check is the one
// the desktop reports.
std::span<const PlausibilityRule> PlausibilityRules();

// Whether a condition holds for the 13 numbers of a case, placed as the aim
// orders them. A number that is not a number fails every comparison.
bool ConditionHolds(const RuleCondition& condition, CalcAim aim, const std::vector<double>& values);

// The texts of the checks of the aim that the numbers fail, in table order.
std::vector<std::string> FailedChecks(CalcAim aim, const std::vector<double>& values);

// What the desktop adds to a check's text when it refuses to save.
inline constexpr const char* kNotSavedEnding = " Input not saved. Please correct the data";

// Save/Run's use of the table: the message for the first failing check of the
// case's aim (its text and the ending), or nothing when the case passes; a
// passing case then gets the value rules applied to its numbers.
std::optional<std::string> ValidateInput(InputCase& inputCase);

}  // namespace pelorin
