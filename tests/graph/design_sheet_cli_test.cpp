// pelorin-cli pdf REPORT OUT.pdf as a user runs it: the design sheet of an
// example of every aim and method holds, as its text, the titles, every input
// with its symbol, unit and value, every result line of the report and the
// profile table; numbers are the report's, not recomputed.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "PdfText.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

using test::RunCli;
using test::TempDir;

std::string Example(const std::string& name) {
    return std::string(PELORIN_SOURCE_DIR "/Data/") + name;
}

QString Simplified(const std::string& line) { return QString::fromLatin1(line).simplified(); }

// What the sheet must show of the report, line by line as a reader finds it.
QStringList ExpectedTexts(const std::string& reportText) {
    const std::vector<std::string> lines = test::SplitCrLf(reportText);
    QStringList expected{Simplified(lines[10]), Simplified(lines[11])};
    std::size_t i = 0;
    while (lines[i].find("input data:") == std::string::npos) ++i;
    for (i += 2; !lines[i].empty(); ++i) {  // a blank line, then the inputs
        // "Quantity  Symbol  (unit) : value" reads "Quantity Symbol unit value".
        QString row = Simplified(lines[i]);
        row.remove(QLatin1Char('(')).remove(QLatin1Char(')')).remove(QStringLiteral(" :"));
        if (!row.isEmpty()) expected << row;
    }
    while (lines[i] != " Output data:") ++i;
    for (++i; lines[i] != " #"; ++i) expected << Simplified(lines[i]);  // profile rows
    for (const std::string& line : test::ResultBlock(reportText))
        if (line != " #" && !line.empty()) expected << Simplified(line);
    return expected;
}

class DesignSheetCommand : public testing::TestWithParam<const char*> {};

TEST_P(DesignSheetCommand, TheSheetHoldsTheReportAsItsText) {
    TempDir folder;
    const std::string report = Example(GetParam());
    const auto result = RunCli({"pdf", report, "sheet.pdf"}, folder.Path());
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "sheet.pdf\n");
    EXPECT_EQ(result.err, "");
    const QString pdf = QString::fromStdString(folder.File("sheet.pdf"));
    EXPECT_EQ(test::PdfInfo(pdf, QStringLiteral("Page size")), "595 x 842 pts (A4)");
    const QString text = test::PdfText(pdf);
    const QStringList expected = ExpectedTexts(test::ReadFile(report));
    EXPECT_GT(expected.size(), 25);
    for (const QString& line : expected)
        EXPECT_TRUE(text.contains(line)) << line.toStdString() << "\nin: " << text.toStdString();
    // The graph's captions and the profile's column heads.
    for (const char* words : {"Watertable height above drain", "Distance from drain",
                              "x Darcy equation", "o Energy balance", "X F* G*/p F G/p T1 T2"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(words))) << words;
}

INSTANTIATE_TEST_SUITE_P(EveryAimAndMethod, DesignSheetCommand,
                         testing::Values("spacing-energy-pipe.out", "spacing-darcy-ditch.out",
                                         "discharge-energy-ditch.out",
                                         "discharge-darcy-ditch-resistance.out", "depth-pipe.out",
                                         "conductivity-energy-ditch.out",
                                         "conductivity-darcy-pipe.out"));

// A saved report does not keep its run's messages: the sheet reads from its
// numbers a midway depth below 0 (the water table above the surface) and, for
// a spacing, Dw - Dm below 0.2, and shows them in a box of their own with the
// run's words. A report that shows neither has no box.
struct DerivedWarningsCase {
    const char* name;
    const char* report;  // in Data/
    // An edit of one line of the report (empty: as it is).
    std::string from;
    std::string to;
    std::vector<QString> warnings;  // empty: no box
};

void PrintTo(const DerivedWarningsCase& c, std::ostream* out) { *out << c.name; }

const QString kAboveSurface = QStringLiteral("Watertable above soil surface, adjust the data.");
const QString kShortSpacing =
    QStringLiteral("Dw-Dm is less than 0.2. The drain spacing will be short.");
const QString kReadFromReport = QStringLiteral("Warnings read from the report");

class DesignSheetWarnings : public testing::TestWithParam<DerivedWarningsCase> {};

TEST_P(DesignSheetWarnings, ASavedReportShowsTheWarningsItsNumbersGive) {
    const DerivedWarningsCase& c = GetParam();
    TempDir folder;
    std::string text = test::ReadFile(Example(c.report));
    if (!c.from.empty()) {
        const std::size_t at = text.find(c.from);
        ASSERT_NE(at, std::string::npos) << c.from;
        text.replace(at, c.from.size(), c.to);
    }
    test::WriteFile(folder.File("case.out"), text);
    const auto result = RunCli({"pdf", "case.out", "sheet.pdf"}, folder.Path());
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const QString sheet = test::PdfText(QString::fromStdString(folder.File("sheet.pdf")));
    EXPECT_EQ(sheet.contains(kReadFromReport), !c.warnings.empty()) << sheet.toStdString();
    EXPECT_EQ(sheet.contains(QStringLiteral("A report does not keep the messages of its run")),
              !c.warnings.empty());
    for (const QString& warning : {kAboveSurface, kShortSpacing}) {
        const bool wanted =
            std::find(c.warnings.begin(), c.warnings.end(), warning) != c.warnings.end();
        EXPECT_EQ(sheet.count(warning), wanted ? 1 : 0) << warning.toStdString();
    }
    // The box stands under the titles, before the input data.
    if (!c.warnings.empty()) {
        EXPECT_LT(sheet.indexOf(kReadFromReport), sheet.indexOf(QStringLiteral("Input data (")));
        EXPECT_GT(sheet.indexOf(kReadFromReport), sheet.indexOf(QStringLiteral("Name of this")));
    }
}

INSTANTIATE_TEST_SUITE_P(
    SavedReports, DesignSheetWarnings,
    testing::Values(
        DerivedWarningsCase{
            "WaterTableAboveTheSurface", "depth-above-surface.out", "", "", {kAboveSurface}},
        DerivedWarningsCase{"ShortSpacing", "spacing-darcy-short.out", "", "", {kShortSpacing}},
        DerivedWarningsCase{"ShortSpacingAndDepthRoundedToMinusZero",
                            "spacing-darcy-short.out",
                            "(energy, m) is:    1.042",
                            "(energy, m) is:   -0.000",
                            {kShortSpacing, kAboveSurface}},
        DerivedWarningsCase{"DwMinusDmOf0Point21",
                            "spacing-darcy-short.out",
                            "(m) :        1.00\r\n\r\n",
                            "(m) :        0.99\r\n\r\n",
                            {}},
        DerivedWarningsCase{"ShallowDmOfADischargeIsNoShortSpacing",
                            "discharge-energy-ditch.out",
                            "(m) :        0.80",
                            "(m) :        1.40",
                            {}},
        DerivedWarningsCase{"PlainSpacing", "spacing-darcy-pipe.out", "", "", {}},
        DerivedWarningsCase{"PlainDepth", "depth-pipe.out", "", "", {}}),
    [](const testing::TestParamInfo<DerivedWarningsCase>& info) { return info.param.name; });

// A result changed in the report is the result on the sheet: it is read, not
// calculated again.
TEST(DesignSheetCommandReads, TheNumbersOfTheReportNotRecomputedOnes) {
    TempDir folder;
    std::string text = test::ReadFile(Example("spacing-darcy-pipe.out"));
    const std::string result = "The drain spacing (Darcy,  m) is:    32.93";
    ASSERT_NE(text.find(result), std::string::npos);
    text.replace(text.find(result), result.size(), "The drain spacing (Darcy,  m) is:    99.99");
    test::WriteFile(folder.File("edited.out"), text);
    ASSERT_EQ(RunCli({"pdf", "edited.out", "edited.pdf"}, folder.Path()).exitCode, 0);
    const QString sheet = test::PdfText(QString::fromStdString(folder.File("edited.pdf")));
    EXPECT_TRUE(sheet.contains("The drain spacing (Darcy, m) is: 99.99"));
    EXPECT_FALSE(sheet.contains("32.93"));
}

TEST(DesignSheetCommandReads, ExitsWith2AndAMessageWhenNoSheetCanBeWritten) {
    TempDir folder;
    const std::string reportText = test::ReadFile(Example("depth-pipe.out"));
    test::WriteFile(folder.File("case.out"), reportText);
    test::WriteFile(folder.File("Error.lst"), " Error: R must be positive\r\n");
    test::WriteFile(folder.File("cut.out"), reportText.substr(0, reportText.find(" Output data:")));
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const std::vector<Case> cases{
        {{"pdf", "missing.out", "s.pdf"}, "missing.out: No such file\n"},
        {{"pdf", "Error.lst", "s.pdf"}, "is not a whole report: the table of its input data"},
        {{"pdf", "cut.out", "s.pdf"}, "is not a whole report: the line \" Output data:\""},
        {{"pdf", "case.out", "no-such-folder/s.pdf"}, "no-such-folder/s.pdf: "},
        {{"pdf", "case.out", "./case.out"}, "which it would replace"},
        {{"pdf", "case.out"}, "Usage: pelorin-cli pdf [--units si|us] REPORT OUT.pdf"},
    };
    for (const Case& c : cases) {
        const auto result = RunCli(c.args, folder.Path());
        EXPECT_EQ(result.exitCode, 2) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "") << c.message;
    }
    EXPECT_FALSE(std::filesystem::exists(folder.File("s.pdf")));
    EXPECT_EQ(test::ReadFile(folder.File("case.out")), reportText);
    const auto help = RunCli({"--help"}, folder.Path());
    EXPECT_NE(help.out.find("pelorin-cli pdf [--units si|us] REPORT OUT.pdf"), std::string::npos);
}

// An example report with its profile replaced by one of `rows` rows.
std::string LongReport(int rowCount) {
    const std::string text = test::ReadFile(Example("spacing-energy-pipe.out"));
    const std::size_t start = text.find(" Output data:\r\n") + 15;
    std::string rows;
    for (int k = 0; k < rowCount; ++k) {
        char row[80];
        std::snprintf(row, sizeof row,
                      "%6.2f    0.%04d    0.0100    0.%04d    0.0100    0.0100  "
                      "  0.0000\r\n",
                      k * 0.1, k * 20, k * 15);
        rows += row;
    }
    return text.substr(0, start) + rows + text.substr(text.find(" #\r\n", start));
}

// A profile longer than a graph can show: the sheet says why there is no
// graph, and the table runs on over the pages, its head on each.
TEST(DesignSheetCommandReads, ALongProfileRunsOverPagesWithoutAGraph) {
    TempDir folder;
    test::WriteFile(folder.File("long.out"), LongReport(300));
    ASSERT_EQ(RunCli({"pdf", "long.out", "long.pdf"}, folder.Path()).exitCode, 0);
    const QString pdf = QString::fromStdString(folder.File("long.pdf"));
    const int pages = test::PdfInfo(pdf, QStringLiteral("Pages")).toInt();
    EXPECT_GE(pages, 5);
    const QString sheet = test::PdfText(pdf);
    EXPECT_TRUE(
        sheet.contains("The watertable profile has 300 rows; a graph can show at most 256."));
    EXPECT_EQ(sheet.count("X F* G*/p F G/p T1 T2 (m) (m) (m/m) (m) (m/m) (m/m) (m/m)"), pages);
    EXPECT_TRUE(sheet.contains("29.90 0.5980 0.0100 0.4485 0.0100 0.0100 0.0000"));
}

// Every page's footer names the report, the day the sheet was made (ISO 8601,
// from SOURCE_DATE_EPOCH when it is set), the program with the version of the
// build, and "page n of N".
TEST(DesignSheetCommandReads, EveryPageSaysWhenWhatAndWhichOfHowMany) {
    TempDir folder;
    test::WriteFile(folder.File("long.out"), LongReport(300));
    struct Case {
        std::string report;
        std::vector<std::string> environment;
        QString date;  // empty: the day of the run
    };
    const std::vector<Case> cases{
        {Example("spacing-energy-pipe.out"), {"SOURCE_DATE_EPOCH=1700000000"}, "2023-11-14"},
        {"long.out", {"SOURCE_DATE_EPOCH=951782400"}, "2000-02-29"},
        {Example("depth-pipe.out"), {"-u", "SOURCE_DATE_EPOCH"}, {}},
    };
    for (const Case& c : cases) {
        const QDate before = QDateTime::currentDateTimeUtc().date();
        const auto result = test::RunProgram(PELORIN_CLI, {"pdf", c.report, "sheet.pdf"},
                                             folder.Path(), c.environment);
        const QDate after = QDateTime::currentDateTimeUtc().date();
        ASSERT_EQ(result.exitCode, 0) << result.err;
        const QString pdf = QString::fromStdString(folder.File("sheet.pdf"));
        const int pages = test::PdfInfo(pdf, QStringLiteral("Pages")).toInt();
        ASSERT_GE(pages, 1);
        const QString name = QString::fromStdString(std::filesystem::path(c.report).filename());
        for (int page = 1; page <= pages; ++page) {
            const QString text =
                test::RunPoppler(QStringLiteral("pdftotext"), {"-f", QString::number(page), "-l",
                                                               QString::number(page), pdf, "-"})
                    .simplified();
            const QString made = QStringLiteral("Design sheet of %1, made %2 by Pelorin %3");
            QStringList dates{c.date};
            if (c.date.isEmpty())
                dates = {before.toString(Qt::ISODate), after.toString(Qt::ISODate)};
            const bool found = std::any_of(dates.begin(), dates.end(), [&](const QString& date) {
                return text.contains(made.arg(name, date, PELORIN_VERSION));
            });
            EXPECT_TRUE(found) << c.report << " page " << page << ": " << text.toStdString();
            EXPECT_TRUE(text.contains(QStringLiteral("page %1 of %2").arg(page).arg(pages)))
                << c.report << " page " << page;
        }
    }
}

// The sheet is put in place whole: a link at its name is replaced, never
// written through, and a device that takes no byte leaves a message.
TEST(DesignSheetCommandReads, TheSheetIsWrittenWholeByTheOneWriter) {
    TempDir folder;
    test::WriteFile(folder.File("kept.txt"), "kept");
    std::filesystem::create_symlink(folder.File("kept.txt"), folder.File("linked.pdf"));
    const std::string report = Example("conductivity-darcy-pipe.out");
    EXPECT_EQ(RunCli({"pdf", report, "linked.pdf"}, folder.Path()).exitCode, 0);
    EXPECT_EQ(test::ReadFile(folder.File("kept.txt")), "kept");
    EXPECT_FALSE(std::filesystem::is_symlink(folder.File("linked.pdf")));
    EXPECT_EQ(test::ReadFile(folder.File("linked.pdf")).substr(0, 5), "%PDF-");
    const auto full = RunCli({"pdf", report, "/dev/full"}, folder.Path());
    EXPECT_EQ(full.exitCode, 2);
    EXPECT_EQ(full.err, "/dev/full: Disk full\n");
}

}  // namespace
}  // namespace pelorin
