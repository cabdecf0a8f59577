#include "InputChecks.h"

#include <optional>
#include <utility>

#include "CaseLayout.h"
#include "FileSystem.h"
#include "GuardedArithmetic.h"
#include "RunError.h"
#include "TextReader.h"

namespace pelorin {
namespace {

// Skips the titles, the file-name line and the codes, reads the numbers that
// the aim's file holds into their fields, and skips the rest of the last
// number's line (the zeros that end a conductivity file are not read).
void LoadNumbers(const std::string& inputFile, CalcAim aim, DrainageCase& c) {
    TextReader reader(inputFile);
    for (int line = 0; line < 4; ++line) reader.SkipLine();
    for (const std::optional<Quantity>& q : LayoutOf(aim).file)
        if (q) ValueOf(c, *q) = reader.ReadReal();
    reader.SkipLine();
}

// A fault of the error list names the list and where it should have gone:
// the same fault of the input file reads differently.
RunError ErrorListFault(const std::string& errorListFile, int systemError) {
    const RunError fault = FileFault(systemError);
    const bool here = errorListFile.find('/') == std::string::npos;
    return RunError(fault.Kind(), "The error list " + errorListFile + " cannot be written" +
                                      (here ? " in the current folder" : "") + ": " + fault.what());
}

// The tests of a check, gathered in order. The error list is begun (its
// temporary file created) before the first test and put in place when the
// tests are done. A list that would replace the input file is refused.
class Findings {
  public:
    Findings(const std::string& errorListFile, const std::string& inputFile)
        : errorListFile_(errorListFile) {
        if (IsInputFile(errorListFile, inputFile)) throw ErrorListIsInput(errorListFile, inputFile);
        if (const int error = file_.Begin(errorListFile); error != 0)
            throw ErrorListFault(errorListFile, error);
    }

    void Require(bool passes, const char* message) {
        if (!passes) messages_.emplace_back(message);
    }

    // Writes the list and returns whether any test failed.
    bool Finish() {
        std::string text;
        for (const std::string& line : ErrorListLines(messages_)) text += line + "\r\n";
        int error = file_.Write(text);
        if (error == 0) error = file_.Commit();
        if (error != 0) throw ErrorListFault(errorListFile_, error);
        return !messages_.empty();
    }

  private:
    std::string errorListFile_;
    FileReplacement file_;
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

bool IsInputFile(const std::string& name, const std::string& inputFile) {
    NodeInfo entry;
    NodeInfo input;
    InspectEntry(name, entry);
    InspectFile(inputFile, input);
    return SameFile(entry, input);
}

RunError ErrorListIsInput(const std::string& errorListFile, const std::string& inputFile) {
    return RunError(Fault::FileAccessDenied,
                    "The error list " + errorListFile +
                        " cannot be written: it is the input file " + inputFile +
                        ", which it would overwrite. Give the input file another name or run it "
                        "from another folder.");
}

void RemoveErrorList(const std::string& errorListFile, const std::string& inputFile) {
    if (IsInputFile(errorListFile, inputFile)) throw ErrorListIsInput(errorListFile, inputFile);
    RemoveEntry(errorListFile);
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

bool CheckSpacingInput(DrainageCase& c, const std::string& inputFile,
                       const std::string& errorListFile) {
    LoadNumbers(inputFile, CalcAim::Spacing, c);
    Findings f(errorListFile, inputFile);
    f.Require(c.R > 0, " Make sure that R > 0.");
    c.Thick1 = Difference(c.D1, c.Dw);
    f.Require(c.Thick1 >= 0, " Make sure that D1 > Dw.");
    c.Thick2 = Difference(c.D2, c.D1);
    f.Require(c.Thick2 >= 0, " Make sure that D2 >= D1.");
    DeriveDrainDepths(c, f);
    f.Require(c.Ka > c.R, " Make sure that Ka > R.");
    CutOffImpermeableLayers(c);
    c.TargetHead = Difference(c.Dw, c.Dm);
    f.Require(c.TargetHead > 0, " Make sure that Dm < Dw.");
    return f.Finish();
}

bool CheckDischargeInput(DrainageCase& c, const std::string& inputFile,
                         const std::string& errorListFile) {
    LoadNumbers(inputFile, CalcAim::Discharge, c);
    Findings f(errorListFile, inputFile);
    c.Thick1 = Difference(c.D1, c.Dw);
    f.Require(c.Thick1 > 0, " Make sure that D1 > Dw.");
    c.Thick2 = Difference(c.D2, c.D1);
    f.Require(c.Thick2 >= 0, " Make sure that D2 >= D1.");
    DeriveDrainDepths(c, f);
    c.TargetHead = Difference(c.Dw, c.Dm);
    f.Require(c.TargetHead > 0, " Make sure that Dm < Dw.");
    return f.Finish();
}

bool CheckWaterTableDepthInput(DrainageCase& c, const std::string& inputFile,
                               const std::string& errorListFile) {
    LoadNumbers(inputFile, CalcAim::WaterTableDepth, c);
    Findings f(errorListFile, inputFile);
    f.Require(c.R > 0, " Make sure that R > 0.");
    c.Thick1 = Difference(c.D1, c.Dw);
    f.Require(c.Thick1 >= 0, " Make sure that D1 > Dw.");
    c.Thick2 = Difference(c.D2, c.D1);
    f.Require(c.Thick2 >= 0, " Make sure that D2 > D1.");
    DeriveDrainDepths(c, f);
    f.Require(c.Ka > c.R, " Make sure that Ka > R.");
    CutOffImpermeableLayers(c);
    return f.Finish();
}

bool CheckConductivityInput(DrainageCase& c, const std::string& inputFile,
                            const std::string& errorListFile) {
    LoadNumbers(inputFile, CalcAim::Conductivity, c);
    c.D1 = c.D2;
    Findings f(errorListFile, inputFile);
    f.Require(c.R > 0, " Make sure that R > 0.");
    c.Thick1 = Difference(c.D1, c.Dw);
    f.Require(c.Thick1 >= 0, " Make sure that D1 > Dw.");
    c.Thick2 = Difference(c.D2, c.D1);
    f.Require(c.Thick2 >= 0, " Make sure that D2 > D1.");
    DeriveDrainDepths(c, f);
    c.TargetHead = Difference(c.Dw, c.Dm);
    f.Require(c.TargetHead > 0, " Make sure that Dm < Dw.");
    return f.Finish();
}

bool CheckInput(CalcAim aim, DrainageCase& c, const std::string& inputFile,
                const std::string& errorListFile) {
    switch (aim) {
        case CalcAim::Spacing: return CheckSpacingInput(c, inputFile, errorListFile);
        case CalcAim::Discharge: return CheckDischargeInput(c, inputFile, errorListFile);
        case CalcAim::WaterTableDepth:
            return CheckWaterTableDepthInput(c, inputFile, errorListFile);
        case CalcAim::Conductivity: return CheckConductivityInput(c, inputFile, errorListFile);
    }
    return true;
}

}  // namespace pelorin
