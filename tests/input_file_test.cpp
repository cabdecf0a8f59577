#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "InputFile.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::string CannotRead(const std::string& name) {
    return "The file \"" + name +
           "\"could not be opened. It may be in use by another program,  or the programmer "
           "should incorporate more time.";
}

std::string CannotWrite(const std::string& name) {
    return "The file \"" + name +
           "\"could not be opened. It may be damaged, in use by another program,  or the "
           "programmer should incorporate more time.";
}

std::string CorruptCode(const std::string& name) {
    return "A program error occurred.The code in the inputfile \"" + name + "\" is corrupt";
}

std::string CorruptNumbers(const std::string& name) {
    return "A program error occurred.Real numbers in the inputfile \"" + name + "\" are corrupt";
}

// ---------------------------------------------------------------------------
// The layout

struct LayoutCase {
    const char* name;
    const char* aim;
    std::vector<double> values;
    const char* numberLine;
};

class InputFileLayout : public ::testing::TestWithParam<LayoutCase> {};

// Names the case in the test list.
std::ostream& operator<<(std::ostream& out, const LayoutCase& k) { return out << k.name; }

TEST_P(InputFileLayout, IsWrittenByteForByte) {
    const LayoutCase& k = GetParam();
    TempDir dir;
    const std::string name = dir.File("case.inp");
    const InputCase input{"  First title ", "Second", k.aim, "Dar", k.values};
    ASSERT_EQ(WriteInputFile(name, input).Status, FileStatus::Ok);
    EXPECT_EQ(ReadFile(name), "  First title \r\nSecond\r\nFile Name: " + name + "\r\n" + k.aim +
                                  " Dar\r\n" + k.numberLine + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Aims, InputFileLayout,
    ::testing::Values(
        // position 1 with 4 decimals, 10 and 12 with 4, all others with 3
        LayoutCase{"Spacing",
                   "Spa",
                   {0.005, 2, 4, 1, 1.2, 0.5, 0.3, 0.5, 1, 0.5, 2, 1, 0.5},
                   "    0.0050     2.000     4.000     1.000     1.200     0.500     0.300"
                   "     0.500     1.000    0.5000     2.000    1.0000     0.500"},
        // discharge: position 1 holds Dm, with 3 decimals
        LayoutCase{"Discharge",
                   "Dis",
                   {0.5, 2, 4, 1, 1.2, 0.5, 0.3, 0.5, 1, 0.5, 2, 1, 25},
                   "     0.500     2.000     4.000     1.000     1.200     0.500     0.300"
                   "     0.500     1.000    0.5000     2.000    1.0000    25.000"},
        LayoutCase{"Head",
                   "Hyd",
                   {0.0125, 2.5, 2.5, 1, 1.2, 0, 0, 12.25, 0, 0, 0, 0, 30},
                   "    0.0125     2.500     2.500     1.000     1.200     0.000     0.000"
                   "    12.250     0.000    0.0000     0.000    0.0000    30.000"},
        // conductivity keeps the decimals of the standard order
        LayoutCase{"Conductivity",
                   "Con",
                   {0.005, 4, 1, 1.2, 0.5, 0.3, 0.5, 20, 7, 0, 0, 0, 0},
                   "    0.0050     4.000     1.000     1.200     0.500     0.300     0.500"
                   "    20.000     7.000    0.0000     0.000    0.0000     0.000"},
        // rounding at the last decimal, halves away from zero; the widest texts
        // that still fit their fields
        LayoutCase{"Rounding",
                   "Spa",
                   {0.00125, 2.0625, 99999.999, 1, 1.2, 0.5, 0.3, 0.5, 1, 9999.9999, 2, 1, 0.5},
                   "    0.0013     2.063 99999.999     1.000     1.200     0.500     0.300"
                   "     0.500     1.000 9999.9999     2.000    1.0000     0.500"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Reading

TEST(InputFile, ReadsBackWhatItWrote) {
    TempDir dir;
    const std::string name = dir.File("round.inp");
    const InputCase written{
        "Field 12, north",
        "  spring 2024  ",
        "Spa",
        "Ene",
        {0.0123456, 1.8, 3.5, 1.0, 1.1, 2.5, 0.0, 0.5, 0.8, 0.40006, 1.5, 0.6, 0.55555}};
    ASSERT_EQ(WriteInputFile(name, written).Status, FileStatus::Ok);
    const InputReadResult read = ReadInputFile(name);
    ASSERT_EQ(read.Status, FileStatus::Ok);
    EXPECT_TRUE(read.Messages.empty());
    EXPECT_EQ(read.Case.Title1, written.Title1);
    EXPECT_EQ(read.Case.Title2, written.Title2);
    EXPECT_EQ(read.Case.AimCode, "Spa");
    EXPECT_EQ(read.Case.MethodCode, "Ene");
    // each number to the decimals of its position
    const std::vector<double> expected = {0.0123, 1.8, 3.5,    1.0, 1.1, 2.5,  0.0,
                                          0.5,    0.8, 0.4001, 1.5, 0.6, 0.556};
    EXPECT_EQ(read.Case.Values, expected);
}

TEST(InputFile, ReadsEveryAimAndMethodCode) {
    TempDir dir;
    for (const char* aim : {"Spa", "Dis", "Hyd", "Con"}) {
        for (const char* method : {"Ene", "Dar"}) {
            const std::string name = dir.File(std::string(aim) + method + ".inp");
            ASSERT_EQ(
                WriteInputFile(name, {"a", "b", aim, method, std::vector<double>(13, 1.0)}).Status,
                FileStatus::Ok);
            const InputReadResult read = ReadInputFile(name);
            EXPECT_EQ(read.Status, FileStatus::Ok);
            EXPECT_EQ(read.Case.AimCode, aim);
            EXPECT_EQ(read.Case.MethodCode, method);
            EXPECT_EQ(AimCodeOf(*AimFromCode(aim)), std::string(aim));
            EXPECT_EQ(MethodCodeOf(MethodFromCode(method)), std::string(method));
        }
    }
}

struct ReadCase {
    const char* name;
    std::string text;
    std::vector<double> values;
};

class ReadsNumbers : public ::testing::TestWithParam<ReadCase> {};

// Names the case in the test list.
std::ostream& operator<<(std::ostream& out, const ReadCase& k) { return out << k.name; }

TEST_P(ReadsNumbers, InFreeFormat) {
    TempDir dir;
    const std::string name = dir.File("free.inp");
    WriteFile(name, GetParam().text);
    const InputReadResult read = ReadInputFile(name);
    ASSERT_EQ(read.Status, FileStatus::Ok) << (read.Messages.empty() ? "" : read.Messages[0]);
    EXPECT_EQ(read.Case.Values, GetParam().values);
}

const std::string kHead = "T1\r\nT2\r\nFile Name: C:\\gone\\old.inp\r\nSpa Ene\r\n";
const std::vector<double> kThirteen = {0.005, 2, 4, 1, 1.2, 0.5, 0.3, 0.5, 1, 0.5, 2, 1, 0.5};

INSTANTIATE_TEST_SUITE_P(
    Layouts, ReadsNumbers,
    ::testing::Values(
        ReadCase{"OneLine", kHead + "0.005 2 4 1 1.2 0.5 0.3 0.5 1 0.5 2 1 0.5\r\n", kThirteen},
        ReadCase{"TwoLines", kHead + "0.005 2 4 1 1.2 0.5 0.3\r\n 0.5 1 0.5 2 1 0.5\r\n",
                 kThirteen},
        ReadCase{"OneEach",
                 kHead +
                     "0.005\r\n2\r\n4\r\n1\r\n1.2\r\n0.5\r\n0.3\r\n0.5\r\n1\r\n0.5\r\n2\r\n1\r\n"
                     "0.5\r\n",
                 kThirteen},
        ReadCase{"TabsAndLineFeeds", kHead + "0.005\t2\t4\n1 1.2 0.5\n0.3 0.5 1 0.5 2 1 0.5",
                 kThirteen},
        ReadCase{"TwelveNumbers",
                 kHead + "0.005 2 4 1 1.2 0.5 0.3 0.5 1 0.5 2 1\r\n",
                 {0.005, 2, 4, 1, 1.2, 0.5, 0.3, 0.5, 1, 0.5, 2, 1, 0}},
        ReadCase{"TwelveAndBlankLines",
                 kHead + "0.005 2 4 1 1.2 0.5 0.3 0.5 1 0.5 2 1\r\n   \r\n\r\n",
                 {0.005, 2, 4, 1, 1.2, 0.5, 0.3, 0.5, 1, 0.5, 2, 1, 0}},
        ReadCase{"NoNumbers", kHead, std::vector<double>(13, 0.0)},
        ReadCase{"Exponents", kHead + "5e-3 2E0 +4 1. .12e1 0.5 0.3 0.5 1 0.5 2 1 0.5\r\n",
                 kThirteen},
        ReadCase{"MoreThanThirteen", kHead + "0.005 2 4 1 1.2 0.5 0.3 0.5 1 0.5 2 1 0.5 9 9\r\n",
                 kThirteen},
        // line 3 may hold anything, and the method code anything
        ReadCase{"AnyFileNameLine",
                 "T1\r\nT2\r\n\r\nSpa Xyz\r\n0.005 2 4 1 1.2 0.5 0.3 0.5 1 0.5 2 1 0.5\r\n",
                 kThirteen},
        // fields wider than ten characters, as the writer makes them
        ReadCase{"WideFields",
                 kHead + " 12345.6789 123456.789     4.000     1.000     1.200     0.500     0.300"
                         "     0.500     1.000    0.5000     2.000    1.0000     0.500\r\n",
                 {12345.6789, 123456.789, 4, 1, 1.2, 0.5, 0.3, 0.5, 1, 0.5, 2, 1, 0.5}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InputFile, AcceptsAnyMethodCodeAsTheEnergyBalanceButDar) {
    TempDir dir;
    const std::string name = dir.File("m.inp");
    WriteFile(name, "T1\r\nT2\r\nFile Name: x\r\nHyd Xyz\r\n1 2 3\r\n");
    InputReadResult read = ReadInputFile(name);
    EXPECT_EQ(read.Status, FileStatus::Ok);
    EXPECT_EQ(read.Case.MethodCode, "Xyz");
    EXPECT_EQ(MethodFromCode(read.Case.MethodCode), CalcMethod::EnergyBalance);
    EXPECT_EQ(MethodFromCode("dar"), CalcMethod::EnergyBalance);
    EXPECT_EQ(MethodFromCode("Dar"), CalcMethod::Darcy);

    // a line with the aim code alone still reads
    WriteFile(name, "T1\r\nT2\r\nFile Name: x\r\nCon\r\n1 2 3\r\n");
    read = ReadInputFile(name);
    EXPECT_EQ(read.Status, FileStatus::Ok);
    EXPECT_EQ(read.Case.AimCode, "Con");
    EXPECT_EQ(MethodFromCode(read.Case.MethodCode), CalcMethod::EnergyBalance);
    EXPECT_EQ(read.Case.Values[2], 3.0);
}

struct CorruptCase {
    const char* name;
    std::string codes;
    std::string numbers;
    bool codeCorrupt;
    bool numbersCorrupt;
};

class CorruptFile : public ::testing::TestWithParam<CorruptCase> {};

// Names the case in the test list.
std::ostream& operator<<(std::ostream& out, const CorruptCase& k) { return out << k.name; }

TEST_P(CorruptFile, GivesTheProgramErrorMessages) {
    const CorruptCase& k = GetParam();
    TempDir dir;
    const std::string name = dir.File("bad.inp");
    WriteFile(name, "T1\r\nT2\r\nFile Name: x\r\n" + k.codes + "\r\n" + k.numbers + "\r\n");
    const InputReadResult read = ReadInputFile(name);
    EXPECT_EQ(read.Status, FileStatus::Corrupt);
    std::vector<std::string> expected;
    if (k.codeCorrupt) expected.push_back(CorruptCode(name));
    if (k.numbersCorrupt) expected.push_back(CorruptNumbers(name));
    EXPECT_EQ(read.Messages, expected);
    // a corrupt code does not stop the reading of the numbers
    if (k.codeCorrupt && !k.numbersCorrupt) {
        EXPECT_EQ(read.Case.Values, kThirteen);
    }
}

const std::string kNumbers = "0.005 2 4 1 1.2 0.5 0.3 0.5 1 0.5 2 1 0.5";

INSTANTIATE_TEST_SUITE_P(
    Contents, CorruptFile,
    ::testing::Values(CorruptCase{"LowerCaseAim", "spa Ene", kNumbers, true, false},
                      CorruptCase{"UnknownAim", "Xyz Dar", kNumbers, true, false},
                      CorruptCase{"NoCodes", "", kNumbers, true, false},
                      CorruptCase{"AimAfterABlank", " Spa Ene", kNumbers, true, false},
                      CorruptCase{"DecimalComma", "Spa Ene",
                                  "0,005 2 4 1 1.2 0.5 0.3 0.5 1 0.5 2 1 0.5", false, true},
                      CorruptCase{"CommaAtTheEnd", "Dis Dar",
                                  "0.5 2 4 1 1.2 0.5 0.3 0.5 1 0.5 2 1 12,5", false, true},
                      CorruptCase{"Word", "Hyd Ene", "0.005 2 4 one", false, true},
                      CorruptCase{"Both", "con Ene", "0.005 2 4 1,5", true, true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Files that cannot be opened

TEST(InputFile, CannotOpenMessagesAreExact) {
    TempDir dir;
    const std::string missing = dir.File("missing.inp");
    const InputReadResult read = ReadInputFile(missing);
    EXPECT_EQ(read.Status, FileStatus::CannotOpen);
    EXPECT_EQ(read.Messages, std::vector<std::string>{CannotRead(missing)});

    // a folder is no file that can be opened for reading
    const std::string folder = dir.File("folder.inp");
    test::fs::create_directory(folder);
    const InputReadResult fromFolder = ReadInputFile(folder);
    EXPECT_EQ(fromFolder.Status, FileStatus::CannotOpen);
    EXPECT_EQ(fromFolder.Messages, std::vector<std::string>{CannotRead(folder)});

    const std::string unwritable = dir.File("no-folder/case.inp");
    const FileWriteResult write =
        WriteInputFile(unwritable, {"a", "b", "Spa", "Ene", std::vector<double>(13, 1.0)});
    EXPECT_EQ(write.Status, FileStatus::CannotOpen);
    EXPECT_EQ(write.Message, CannotWrite(unwritable));
    EXPECT_FALSE(test::fs::exists(unwritable));
}

// A number too wide for its field is written so that it still reads back, and
// the numbers after it keep their own values.
TEST(InputFile, ANumberWiderThanItsFieldStillReadsBack) {
    TempDir dir;
    const std::string name = dir.File("wide.inp");
    std::vector<double> values = kThirteen;
    values[0] = 10000.0;   // 10000.0000 needs ten characters with 4 decimals
    values[1] = 100000.0;  // 100000.000 with 3
    values[2] = 123456.789;
    values[9] = 1.0e20;
    ASSERT_EQ(WriteInputFile(name, {"a", "b", "Spa", "Ene", values}).Status, FileStatus::Ok);
    const std::vector<std::string> lines = test::SplitCrLf(ReadFile(name));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[4],
              " 10000.0000 100000.000 123456.789     1.000     1.200     0.500     0.300"
              "     0.500     1.000 100000000000000000000.0000     2.000    1.0000     0.500");
    const InputReadResult read = ReadInputFile(name);
    ASSERT_EQ(read.Status, FileStatus::Ok);
    EXPECT_EQ(read.Case.Values, values);
}

// A value whose text in the file would be longer than a number the reader
// takes (64 characters) is not written at all: the file could not be opened
// again. The earlier file stays.
TEST(InputFile, ANumberTooLongForAFileIsNotWritten) {
    TempDir dir;
    const std::string name = dir.File("huge.inp");
    WriteFile(name, "earlier file\r\n");
    std::vector<double> values = kThirteen;
    values[4] = 1.0e62;  // some 62 digits and 3 decimals: over 64 characters
    const FileWriteResult written = WriteInputFile(name, {"a", "b", "Spa", "Ene", values});
    EXPECT_EQ(written.Status, FileStatus::Corrupt);
    EXPECT_EQ(written.Message, "A program error occurred.Real numbers in the inputfile \"" + name +
                                   "\" are corrupt (number 5 is too long)");
    EXPECT_EQ(ReadFile(name), "earlier file\r\n");
    values[4] = 1.0e55;  // 56 digits and 3 decimals: 60 characters, still taken
    ASSERT_EQ(WriteInputFile(name, {"a", "b", "Spa", "Ene", values}).Status, FileStatus::Ok);
    EXPECT_EQ(ReadInputFile(name).Status, FileStatus::Ok);
}

}  // namespace
}  // namespace pelorin
