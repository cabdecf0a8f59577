#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "CaseFiles.h"
#include "DrainageCase.h"
#include "InputChecks.h"
#include "InputFile.h"
#include "RunError.h"
#include "RunSink.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteCase;
using test::WriteFile;

const char* const kR = " Make sure that R > 0.";
const char* const kD1 = " Make sure that D1 > Dw.";
const char* const kD2AtLeast = " Make sure that D2 >= D1.";
const char* const kD2Above = " Make sure that D2 > D1.";
const char* const kDb = " Make sure that Db > Dw.";
const char* const kE = " Make sure that E >= 0.";
const char* const kKa = " Make sure that Ka >= R.";
const char* const kDm = " Make sure that Dm < Dw.";

// The error list as it must be on disk, byte for byte.
std::string ExpectedErrorList(const std::vector<std::string>& messages) {
    std::string text = " THE FOLLOWING ERRORS WERE FOUND IN THE INPUT:\r\n\r\n";
    for (const std::string& message : messages) text += message + "\r\n";
    if (!messages.empty()) text += "\r\nPlease correct the errors.\r\n";
    return text;
}

CalcAim AimOf(const std::string& code) { return *AimFromCode(code); }

// Stops a run as soon as its check has accepted the case, so that the case the
// check left is in the outcome and no engine runs.
class CheckOnly : public SilentSink {
  public:
    void CaseAccepted() override { throw RunError(Fault::Cancelled); }
};

// Runs an input file of the test's folder as the programs do, up to the end of
// its check; the error list goes into the same folder.
FileRun CheckFile(const TempDir& dir, const std::string& name,
                  const std::string& errorList = "Error.lst") {
    CheckOnly sink;
    FileRunOptions options;
    options.ErrorListFile = dir.File(errorList);
    return RunInputFile(dir.File(name), sink, options);
}

// Valid cases of each aim, in file order.
//                                     R/Dm   D1   D2   Dw   Db   E    W    Ka   Kb1  Kv1  Kb2  Kv2
//                                     Dm/S
const std::vector<double> kSpacing = {0.005, 2.0, 4.0, 1.0, 1.2, 0.5, 0.3,
                                      0.5,   1.0, 0.5, 2.0, 1.0, 0.5};
const std::vector<double> kDischarge = {0.5, 2.0, 4.0, 1.0, 1.2, 0.5, 0.3,
                                        0.5, 1.0, 0.5, 2.0, 1.0, 20.0};
const std::vector<double> kHead = {0.005, 2.0, 4.0, 1.0, 1.2, 0.5, 0.3,
                                   0.5,   1.0, 0.5, 2.0, 1.0, 20.0};
//                                      R    D2   Dw   Db   E    W    Dm   S
const std::vector<double> kConductivity = {0.005, 4.0, 1.0, 1.2, 0.5, 0.3, 0.5,
                                           20.0,  0,   0,   0,   0,   0};

// Positions (1-based) in file order.
enum SpacingPos { R = 1, D1, D2, Dw, Db, E, W, Ka, Kb1, Kv1, Kb2, Kv2, DmOrS };
enum ConductivityPos { cR = 1, cD2, cDw, cDb, cE, cW, cDm, cS };

struct Change {
    int position;
    double value;
};

struct CheckCase {
    const char* name;
    const char* aim;
    std::vector<Change> changes;
    std::vector<std::string> messages;
};

std::vector<double> BaseValues(const std::string& aim) {
    if (aim == "Spa") return kSpacing;
    if (aim == "Dis") return kDischarge;
    if (aim == "Hyd") return kHead;
    return kConductivity;
}

std::vector<double> ValuesOf(const CheckCase& k) {
    std::vector<double> values = BaseValues(k.aim);
    for (const Change& change : k.changes) values[change.position - 1] = change.value;
    return values;
}

class InputCheck : public ::testing::TestWithParam<CheckCase> {};

// Names the case in the test list.
std::ostream& operator<<(std::ostream& out, const CheckCase& k) { return out << k.name; }

TEST_P(InputCheck, GivesTheErrorListOfItsAim) {
    const CheckCase& k = GetParam();
    DrainageCase c;
    const std::vector<std::string> messages = test::LoadAndCheck(AimOf(k.aim), ValuesOf(k), c);
    EXPECT_EQ(messages, k.messages);
    EXPECT_EQ(ErrorListText(ErrorListLines(messages)), ExpectedErrorList(k.messages));
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, InputCheck,
    ::testing::Values(
        CheckCase{"SpacingValid", "Spa", {}, {}}, CheckCase{"DischargeValid", "Dis", {}, {}},
        CheckCase{"HeadValid", "Hyd", {}, {}}, CheckCase{"ConductivityValid", "Con", {}, {}},
        // R = 0 and Dm = Dw: with R = 0 any positive Ka passes Ka > R
        CheckCase{"SpacingNoRechargeAndDmAtDw", "Spa", {{R, 0.0}, {DmOrS, 1.0}}, {kR, kDm}},
        // D1 = Dw passes everywhere but in the discharge check
        CheckCase{"SpacingD1AtDw", "Spa", {{D1, 1.0}}, {}},
        CheckCase{"HeadD1AtDw", "Hyd", {{D1, 1.0}}, {}},
        CheckCase{"ConductivityD2AtDw", "Con", {{cD2, 1.0}}, {}},
        CheckCase{"DischargeD1AtDw", "Dis", {{D1, 1.0}}, {kD1}},
        // the drain water level below D1 is listed and every other test still runs
        CheckCase{"DischargeDwBelowD1", "Dis", {{D1, 0.8}, {Db, 1.0}}, {kD1, kDb}},
        // D2 = D1 passes although the head message says D2 > D1
        CheckCase{"HeadD2AtD1", "Hyd", {{D2, 2.0}}, {}},
        CheckCase{"SpacingD2AtD1", "Spa", {{D2, 2.0}}, {}},
        CheckCase{"SpacingD2AboveD1", "Spa", {{D2, 1.9}}, {kD2AtLeast}},
        CheckCase{"HeadD2AboveD1", "Hyd", {{D2, 1.9}}, {kD2Above}},
        // Ka = R fails although the message says Ka >= R
        CheckCase{"SpacingKaAtR", "Spa", {{Ka, 0.005}}, {kKa}},
        CheckCase{"HeadKaAtR", "Hyd", {{Ka, 0.005}}, {kKa}},
        CheckCase{"DischargeHasNoKaTest", "Dis", {{Ka, 0.0}}, {}},
        // E = 0 passes, E < 0 fails
        CheckCase{"SpacingNoEntranceResistance", "Spa", {{E, 0.0}}, {}},
        CheckCase{"SpacingNegativeE", "Spa", {{E, -0.1}}, {kE}},
        CheckCase{"DischargeNegativeE", "Dis", {{E, -0.1}}, {kE}},
        CheckCase{"HeadNegativeE", "Hyd", {{E, -0.1}}, {kE}},
        CheckCase{"ConductivityNegativeE", "Con", {{cE, -0.1}}, {kE}},
        CheckCase{"SpacingDbAtDw", "Spa", {{Db, 1.0}}, {kDb}},
        CheckCase{"ConductivityDbAtDw", "Con", {{cDb, 1.0}}, {kDb}},
        CheckCase{"ConductivityDmAtDw", "Con", {{cDm, 1.0}}, {kDm}},
        CheckCase{"DischargeDmDeeperThanDw", "Dis", {{1, 1.5}}, {kDm}},
        // the water-table depth aim has no Dm and so no Dm test
        CheckCase{"HeadIgnoresPosition13", "Hyd", {{DmOrS, 0.0}}, {}},
        // every test of each check fails, in the order of the check
        CheckCase{"SpacingEverything",
                  "Spa",
                  {{R, 0.0}, {D1, 0.5}, {D2, 0.4}, {Db, 0.9}, {E, -1.0}, {Ka, 0.0}, {DmOrS, 1.5}},
                  {kR, kD1, kD2AtLeast, kDb, kE, kKa, kDm}},
        CheckCase{"DischargeEverything",
                  "Dis",
                  {{1, 1.5}, {D1, 0.5}, {D2, 0.4}, {Db, 0.9}, {E, -1.0}},
                  {kD1, kD2AtLeast, kDb, kE, kDm}},
        CheckCase{"HeadEverything",
                  "Hyd",
                  {{R, 0.0}, {D1, 0.5}, {D2, 0.4}, {Db, 0.9}, {E, -1.0}, {Ka, 0.0}},
                  {kR, kD1, kD2Above, kDb, kE, kKa}},
        // D1 is set to D2 before the tests, so the D2/D1 message never comes
        CheckCase{"ConductivityEverything",
                  "Con",
                  {{cR, 0.0}, {cD2, 0.5}, {cDb, 0.9}, {cE, -1.0}, {cDm, 1.5}},
                  {kR, kD1, kDb, kE, kDm}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// What the checks leave in the case

struct Adjustment {
    const char* name;
    const char* aim;
    double Kv1, Kv2;
    double Kb1After, Kb2After;
};

class SilentAdjustment : public ::testing::TestWithParam<Adjustment> {};

// Names the case in the test list.
std::ostream& operator<<(std::ostream& out, const Adjustment& k) { return out << k.name; }

TEST_P(SilentAdjustment, CutsOffLayersWithoutAMessage) {
    const Adjustment& a = GetParam();
    std::vector<double> values = BaseValues(a.aim);
    values[Kv1 - 1] = a.Kv1;
    values[Kv2 - 1] = a.Kv2;
    DrainageCase c;
    EXPECT_EQ(test::LoadAndCheck(AimOf(a.aim), values, c), std::vector<std::string>{});
    EXPECT_EQ(c.Kb1, a.Kb1After);
    EXPECT_EQ(c.Kb2, a.Kb2After);
    EXPECT_EQ(c.Kv1, a.Kv1) << "Kv1 itself is not changed";
    EXPECT_EQ(c.Kv2, a.Kv2) << "Kv2 itself is not changed";
}

// R is 0.005 in the base cases; Kb1 1, Kb2 2.
INSTANTIATE_TEST_SUITE_P(
    Layers, SilentAdjustment,
    ::testing::Values(Adjustment{"SpacingKv1AtR", "Spa", 0.005, 1.0, 0.0, 0.0},
                      Adjustment{"SpacingKv1BelowR", "Spa", 0.001, 1.0, 0.0, 0.0},
                      Adjustment{"SpacingKv1Zero", "Spa", 0.0, 1.0, 0.0, 0.0},
                      Adjustment{"SpacingKv2AtR", "Spa", 0.5, 0.005, 1.0, 0.0},
                      Adjustment{"SpacingBothAboveR", "Spa", 0.0051, 0.0051, 1.0, 2.0},
                      Adjustment{"HeadKv1AtR", "Hyd", 0.005, 1.0, 0.0, 0.0},
                      Adjustment{"HeadKv2AtR", "Hyd", 0.5, 0.005, 1.0, 0.0},
                      // the discharge check does not know R and adjusts nothing
                      Adjustment{"DischargeLeavesThem", "Dis", 0.0, 0.0, 1.0, 2.0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InputChecks, DeriveTheCaseQuantitiesEvenWhenTheCaseFails) {
    std::vector<double> values = kSpacing;
    values[R - 1] = 0.0;       // fails
    values[DmOrS - 1] = 1.25;  // fails: Dm below Dw
    DrainageCase c;
    EXPECT_EQ(test::LoadAndCheck(CalcAim::Spacing, values, c).size(), 2u);
    EXPECT_DOUBLE_EQ(c.Thick1, 1.0);
    EXPECT_DOUBLE_EQ(c.Thick2, 2.0);
    EXPECT_DOUBLE_EQ(c.DrainWaterDepth, 1.2 - 1.0);
    EXPECT_DOUBLE_EQ(c.BottomBelowLayer1, 1.2 - 2.0);
    EXPECT_DOUBLE_EQ(c.HalfWidth, 0.15);
    EXPECT_DOUBLE_EQ(c.TargetHead, -0.25);
    EXPECT_EQ(c.E, 0.5);
    EXPECT_EQ(c.Kb2, 2.0);
    EXPECT_EQ(c.Dm, 1.25);
}

TEST(InputChecks, LeaveTheQuantityOfTheirAimUntouched) {
    // discharge: a nonsensical R left from before is neither read nor tested
    DrainageCase dis;
    dis.R = -5.0;
    EXPECT_TRUE(test::LoadAndCheck(CalcAim::Discharge, kDischarge, dis).empty());
    EXPECT_EQ(dis.R, -5.0);
    EXPECT_EQ(dis.Dm, 0.5);
    EXPECT_EQ(dis.S, 20.0);
    EXPECT_DOUBLE_EQ(dis.TargetHead, 0.5);

    // water-table depth: Dm and the target head stay as they were
    DrainageCase hyd;
    hyd.Dm = 0.77;
    hyd.TargetHead = 42.0;
    EXPECT_TRUE(test::LoadAndCheck(CalcAim::WaterTableDepth, kHead, hyd).empty());
    EXPECT_EQ(hyd.Dm, 0.77);
    EXPECT_EQ(hyd.TargetHead, 42.0);
    EXPECT_EQ(hyd.S, 20.0);

    // conductivity: the permeabilities stay, D1 becomes D2
    DrainageCase con;
    con.D1 = 99.0;
    con.Ka = 1.5;
    con.Kb1 = 2.5;
    con.Kv1 = 3.5;
    con.Kb2 = 4.5;
    con.Kv2 = 5.5;
    EXPECT_TRUE(test::LoadAndCheck(CalcAim::Conductivity, kConductivity, con).empty());
    EXPECT_EQ(con.D1, 4.0);
    EXPECT_EQ(con.D2, 4.0);
    EXPECT_EQ(con.Thick2, 0.0);
    EXPECT_EQ(con.Ka, 1.5);
    EXPECT_EQ(con.Kb1, 2.5);
    EXPECT_EQ(con.Kv1, 3.5);
    EXPECT_EQ(con.Kb2, 4.5);
    EXPECT_EQ(con.Kv2, 5.5);
    EXPECT_EQ(con.Dm, 0.5);
    EXPECT_EQ(con.S, 20.0);
    EXPECT_DOUBLE_EQ(con.TargetHead, 0.5);
}

// ---------------------------------------------------------------------------
// Reading the numbers

const std::string kHeadLines = "Title one\r\nTitle two\r\nFile Name: /gone/case.inp\r\nSpa Ene\r\n";

TEST(InputChecks, MissingNumbersAtTheEndReadAsZero) {
    TempDir dir;
    // twelve numbers: S of a discharge case reads as 0 and is not tested
    WriteFile(
        dir.File("d.inp"),
        "T1\r\nT2\r\nFile Name: x\r\nDis Ene\r\n       0.5 2 4 1 1.2 0.5 0.3 0.5 1 0.5 2 1\r\n");
    const FileRun dis = CheckFile(dir, "d.inp");
    EXPECT_TRUE(dis.Outcome.Cancelled()) << "the check refused the case";
    EXPECT_EQ(dis.Outcome.Case.S, 0.0);
    EXPECT_EQ(dis.Outcome.Case.Kv2, 1.0);
    EXPECT_EQ(ReadInputFile(dir.File("d.inp")).Case.NumbersRead, 12);

    // a spacing case without Dm: Dm = 0 and the target head is Dw
    WriteFile(dir.File("s.inp"), kHeadLines + "0.005 2 4 1 1.2 0.5 0.3 0.5 1 0.5 2 1");
    const FileRun spa = CheckFile(dir, "s.inp");
    EXPECT_TRUE(spa.Outcome.Cancelled()) << "the check refused the case";
    EXPECT_EQ(spa.Outcome.Case.Dm, 0.0);
    EXPECT_EQ(spa.Outcome.Case.TargetHead, 1.0);

    // only the codes: every number is 0 and the list says so
    WriteFile(dir.File("e.inp"), kHeadLines);
    EXPECT_EQ(CheckFile(dir, "e.inp").Outcome.End, CaseEnd::Refused);
    EXPECT_EQ(ReadFile(dir.File("Error.lst")), ExpectedErrorList({kR, kDb, kKa, kDm}));
    EXPECT_EQ(ReadInputFile(dir.File("e.inp")).Case.NumbersRead, 0);
}

TEST(InputChecks, ReadNumbersSpreadOverLines) {
    TempDir dir;
    WriteFile(dir.File("s.inp"), kHeadLines +
                                     "    0.0050     2.000\r\n4 1\n1.2 0.5 0.3 0.5\r\n\r\n"
                                     "  1.0 0.5\t2 1 0.5\r\n");
    const FileRun run = CheckFile(dir, "s.inp");
    EXPECT_TRUE(run.Outcome.Cancelled()) << "the check refused the case";
    const DrainageCase& c = run.Outcome.Case;
    const std::vector<double> read = {c.R,  c.D1,  c.D2,  c.Dw,  c.Db,  c.E, c.W,
                                      c.Ka, c.Kb1, c.Kv1, c.Kb2, c.Kv2, c.Dm};
    EXPECT_EQ(read, kSpacing);
}

struct ReadFault {
    const char* name;
    std::string fifthLine;
};

class UnreadableNumber : public ::testing::TestWithParam<ReadFault> {};

// Names the case in the test list.
std::ostream& operator<<(std::ostream& out, const ReadFault& k) { return out << k.name; }

// A token that is no number stops the run before the check: a list left from
// an earlier run stays as it was.
TEST_P(UnreadableNumber, IsACorruptFileAndWritesNoErrorList) {
    TempDir dir;
    WriteFile(dir.File("s.inp"), kHeadLines + GetParam().fifthLine);
    WriteFile(dir.File("Error.lst"), "earlier list\r\n");
    const FileRun run = CheckFile(dir, "s.inp");
    EXPECT_EQ(run.ReadStatus, FileStatus::Corrupt);
    ASSERT_EQ(run.ReadMessages.size(), 1u);
    EXPECT_NE(run.ReadMessages[0].find("are corrupt"), std::string::npos) << run.ReadMessages[0];
    EXPECT_EQ(ReadFile(dir.File("Error.lst")), "earlier list\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Tokens, UnreadableNumber,
    ::testing::Values(ReadFault{"DecimalComma", "0,005 2 4 1 1.2 0.5 0.3 0.5 1 0.5 2 1 0.5\r\n"},
                      ReadFault{"Word", "0.005 2 4 1 1.2 0.5 0.3 abc 1 0.5 2 1 0.5\r\n"},
                      ReadFault{"TwoPoints", "0.005 2 4 1 1.2 0.5 0.3 0.5 1 0.5 2 1 0.5.1\r\n"},
                      ReadFault{"SignAlone", "0.005 2 4 - 1.2\r\n"},
                      ReadFault{"Hexadecimal", "0x1p3 2 4 1 1.2\r\n"},
                      ReadFault{"Infinity", "inf 2 4 1 1.2\r\n"},
                      ReadFault{"TooLarge", "1e999 2 4 1 1.2\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// An input file that cannot be opened says why, as the file layer names it,
// and no error list is written.
TEST(InputChecks, AnUnopenableInputFileWritesNoErrorList) {
    TempDir dir;
    test::fs::create_directory(dir.File("folder.inp"));
    const struct {
        const char* name;
        Fault fault;
    } cases[] = {{"nothing.inp", Fault::FileNotFound}, {"folder.inp", Fault::InvalidFilename}};
    for (const auto& k : cases) {
        const FileRun run = CheckFile(dir, k.name);
        EXPECT_EQ(run.ReadStatus, FileStatus::CannotOpen) << k.name;
        EXPECT_EQ(run.ReadFault, k.fault) << k.name;
        EXPECT_FALSE(test::fs::exists(dir.File("Error.lst")));
    }
}

// The error list is for refused cases only: one that cannot be written is
// said with the refusal, and an accepted case runs without it.
TEST(InputChecks, AnUnwritableErrorListIsANoteOfARefusal) {
    TempDir dir;
    std::vector<double> refused = kSpacing;
    refused[R - 1] = 0.0;
    WriteCase(dir.File("refused.inp"), "Spa", "Ene", refused);
    WriteCase(dir.File("accepted.inp"), "Spa", "Ene", kSpacing);
    const std::string list = "no-such-folder/Error.lst";
    const FileRun refusal = CheckFile(dir, "refused.inp", list);
    EXPECT_EQ(refusal.Outcome.End, CaseEnd::Refused);
    EXPECT_EQ(refusal.Notes, std::vector<std::string>{"The error list " + dir.File(list) +
                                                      " cannot be written: File not found"});
    const FileRun accepted = CheckFile(dir, "accepted.inp", list);
    EXPECT_TRUE(accepted.Outcome.Cancelled()) << "the check refused the case";
    EXPECT_TRUE(accepted.Notes.empty());
}

// A refused case replaces an earlier list with its own; an accepted one
// removes it.
TEST(InputChecks, AnEarlierErrorListIsReplacedOrRemoved) {
    TempDir dir;
    std::vector<double> refused = kSpacing;
    refused[R - 1] = 0.0;
    WriteCase(dir.File("refused.inp"), "Spa", "Ene", refused);
    WriteCase(dir.File("accepted.inp"), "Spa", "Ene", kSpacing);
    WriteFile(dir.File("Error.lst"), std::string(500, 'x'));
    EXPECT_EQ(CheckFile(dir, "refused.inp").Outcome.End, CaseEnd::Refused);
    EXPECT_EQ(ReadFile(dir.File("Error.lst")), ExpectedErrorList({kR}));
    EXPECT_TRUE(CheckFile(dir, "accepted.inp").Outcome.Cancelled());
    EXPECT_FALSE(test::fs::exists(dir.File("Error.lst")));
}

}  // namespace
}  // namespace pelorin
