#include "InputChecks.h"

#include <cerrno>
#include <cstdio>
#include <initializer_list>
#include <utility>

#include "GuardedArithmetic.h"
#include "RunError.h"
#include "TextReader.h"

namespace pelorin {
namespace {

// Skips the titles, the file-name line and the codes, reads the numbers of the
// aim into the given fields, and skips the rest of the last number's line.
void LoadNumbers(const std::string& inputFile, std::initializer_list<double*> fields) {
    TextReader reader(inputFile);
    for (int line = 0; line < 4; ++line) reader.SkipLine();
    for (double* field : fields) *field = reader.ReadReal();
    reader.SkipLine();
}

// The tests of a check, gathered in order. The error list is created before
// the first test and written when the tests are done.
class Findings {
public:
    explicit Findings(const std::string& errorListFile)
        : file_(std::fopen(errorListFile.c_str(), "wb")) {
        if (file_ == nullptr) throw FileFault(errno);
    }
    ~Findings() {
        if (file_ != nullptr) std::fclose(file_);
    }
    Findings(const Findings&) = delete;
    Findings& operator=(const Findings&) = delete;

    void Require(bool passes, const char* message) {
        if (!passes) messages_.emplace_back(message);
    }

    // Writes the list and returns whether any test failed.
    bool Finish() {
        bool ok = true;
        for (const std::string& line : ErrorListLines(messages_)) {
            ok = ok && std::fwrite(line.data(), 1, line.size(), file_) == line.size() &&
                 std::fwrite("\r\n", 1, 2, file_) == 2;
        }
        ok = ok && std::fflush(file_) == 0;
        int error = errno;
        if (std::fclose(std::exchange(file_, nullptr)) != 0) {
            ok = false;
            error = errno;
        }
        if (!ok) throw FileFault(error);
        return !messages_.empty();
    }

private:
    std::FILE* file_;
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
    LoadNumbers(inputFile, {&c.R, &c.D1, &c.D2, &c.Dw, &c.Db, &c.E, &c.W, &c.Ka, &c.Kb1, &c.Kv1,
                            &c.Kb2, &c.Kv2, &c.Dm});
    Findings f(errorListFile);
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
    return f.Finish();
}

bool CheckDischargeInput(DrainageCase& c, const std::string& inputFile,
                         const std::string& errorListFile) {
    LoadNumbers(inputFile, {&c.Dm, &c.D1, &c.D2, &c.Dw, &c.Db, &c.E, &c.W, &c.Ka, &c.Kb1, &c.Kv1,
                            &c.Kb2, &c.Kv2, &c.S});
    Findings f(errorListFile);
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
    LoadNumbers(inputFile, {&c.R, &c.D1, &c.D2, &c.Dw, &c.Db, &c.E, &c.W, &c.Ka, &c.Kb1, &c.Kv1,
                            &c.Kb2, &c.Kv2, &c.S});
    Findings f(errorListFile);
    f.Require(c.R > 0, " Make sure that R > 0.");
    c.Thick1 = Difference(c.D1, c.Dw);
    f.Require(c.Thick1 >= 0, " Make sure that D1 > Dw.");
    c.Thick2 = Difference(c.D2, c.D1);
    f.Require(c.Thick2 >= 0, " Make sure that D2 > D1.");
    DeriveDrainDepths(c, f);
    f.Require(c.Ka > c.R, " Make sure that Ka >= R.");
    CutOffImpermeableLayers(c);
    return f.Finish();
}

bool CheckConductivityInput(DrainageCase& c, const std::string& inputFile,
                            const std::string& errorListFile) {
    LoadNumbers(inputFile, {&c.R, &c.D2, &c.Dw, &c.Db, &c.E, &c.W, &c.Dm, &c.S});
    c.D1 = c.D2;
    Findings f(errorListFile);
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
        case CalcAim::WaterTableDepth: return CheckWaterTableDepthInput(c, inputFile, errorListFile);
        case CalcAim::Conductivity: return CheckConductivityInput(c, inputFile, errorListFile);
    }
    return true;
}

}  // namespace pelorin
