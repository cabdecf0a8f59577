#include "InputChecks.h"

#include <optional>
#include <utility>
#include <vector>

#include "CaseLayout.h"
#include "GuardedArithmetic.h"
#include "RunError.h"

namespace pelorin {
namespace {

// The tests of a check, gathered in order.
class Findings {
  public:
    void Require(bool passes, const char* message) {
        if (!passes) messages_.emplace_back(message);
    }
    std::vector<std::string> Messages() { return std::move(messages_); }

  private:
    std::vector<std::string> messages_;
};

double Difference(double a, double b) { return Value(Guarded(a) - b); }

// Kv at or below R makes a layer impermeable, and the layers beneath it with it.
void CutOffImpermeableLayers(DrainageCase& c) {
    if (!(c.Kv1 > c.R)) {
        c.Kb1 = 0;
        c.Kb2 = 0;
    }
    if (!(c.Kv2 > c.R)) c.Kb2 = 0;
}

void DeriveDrainDepths(DrainageCase& c, Findings& f) {
    c.DrainWaterDepth = Difference(c.Db, c.Dw);
    f.Require(c.DrainWaterDepth > 0, " Make sure that Db > Dw.");
    c.BottomBelowLayer1 = Difference(c.Db, c.D1);
    f.Require(c.E >= 0, " Make sure that E >= 0.");
    c.HalfWidth = Value(Guarded(c.W) / 2.0);
}

}  // namespace

void LoadCaseNumbers(const CaseInput& input, DrainageCase& c) {
    const AimLayout& layout = LayoutOf(input.Aim);
    for (std::size_t position = 0; position < layout.file.size(); ++position)
        if (const std::optional<Quantity> q = layout.file[position])
            ValueOf(c, *q) = input.Numbers[position];
}

std::vector<std::string> ErrorListLines(const std::vector<std::string>& messages) {
    std::vector<std::string> lines{" THE FOLLOWING ERRORS WERE FOUND IN THE INPUT:", ""};
    lines.insert(lines.end(), messages.begin(), messages.end());
    if (!messages.empty()) {
        lines.emplace_back("");
        lines.emplace_back("Please correct the errors.");
    }
    return lines;
}

std::vector<std::string> CheckSpacingInput(DrainageCase& c) {
    Findings f;
    f.Require(c.R > 0, " Make sure that R > 0.");
    c.Thick1 = Difference(c.D1, c.Dw);
    f.Require(c.Thick1 >= 0, " Make sure that D1 > Dw.");
    c.Thick2 = Difference(c.D2, c.D1);
    f.Require(c.Thick2 >= 0, " Make sure that D2 >= D1.");
    DeriveDrainDepths(c, f);
    f.Require(c.Ka > c.R, " Make sure that Ka >= R.");
    CutOffImpermeableLayers(c);
    c.TargetHead = Difference(c.Dw, c.Dm);
    f.Require(c.TargetHead > 0, " Make sure that Dm < Dw.");
    return f.Messages();
}

std::vector<std::string> CheckDischargeInput(DrainageCase& c) {
    Findings f;
    c.Thick1 = Difference(c.D1, c.Dw);
    f.Require(c.Thick1 > 0, " Make sure that D1 > Dw.");
    c.Thick2 = Difference(c.D2, c.D1);
    f.Require(c.Thick2 >= 0, " Make sure that D2 >= D1.");
    DeriveDrainDepths(c, f);
    c.TargetHead = Difference(c.Dw, c.Dm);
    f.Require(c.TargetHead > 0, " Make sure that Dm < Dw.");
    return f.Messages();
}

std::vector<std::string> CheckWaterTableDepthInput(DrainageCase& c) {
    Findings f;
    f.Require(c.R > 0, " Make sure that R > 0.");
    c.Thick1 = Difference(c.D1, c.Dw);
    f.Require(c.Thick1 >= 0, " Make sure that D1 > Dw.");
    c.Thick2 = Difference(c.D2, c.D1);
    f.Require(c.Thick2 >= 0, " Make sure that D2 > D1.");
    DeriveDrainDepths(c, f);
    f.Require(c.Ka > c.R, " Make sure that Ka >= R.");
    CutOffImpermeableLayers(c);
    return f.Messages();
}

std::vector<std::string> CheckConductivityInput(DrainageCase& c) {
    c.D1 = c.D2;
    Findings f;
    f.Require(c.R > 0, " Make sure that R > 0.");
    c.Thick1 = Difference(c.D1, c.Dw);
    f.Require(c.Thick1 >= 0, " Make sure that D1 > Dw.");
    c.Thick2 = Difference(c.D2, c.D1);
    f.Require(c.Thick2 >= 0, " Make sure that D2 > D1.");
    DeriveDrainDepths(c, f);
    c.TargetHead = Difference(c.Dw, c.Dm);
    f.Require(c.TargetHead > 0, " Make sure that Dm < Dw.");
    return f.Messages();
}

std::vector<std::string> CheckInput(CalcAim aim, DrainageCase& c) {
    switch (aim) {
        case CalcAim::Spacing: return CheckSpacingInput(c);
        case CalcAim::Discharge: return CheckDischargeInput(c);
        case CalcAim::WaterTableDepth: return CheckWaterTableDepthInput(c);
        case CalcAim::Conductivity: return CheckConductivityInput(c);
    }
    return {};
}

}  // namespace pelorin
