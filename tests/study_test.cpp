// The design-study commands through the real pelorin-cli process: batch tables
// of cases against the single runs and the golden reports, shards, bad rows,
// the table's dialects, sweeps and Ctrl+C.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <thread>

#include "CaseLayout.h"
#include "TestSupport.h"

namespace pelorin {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::RunCli;
using test::TempDir;
using test::WriteFile;

const std::vector<std::string> kColumns = {
    "row",     "name",   "aim",        "method",      "R",           "D1",
    "D2",      "Dw",     "Db",         "E",           "W",           "Ka",
    "Kb1",     "Kv1",    "Kb2",        "Kv2",         "Dm",          "S",
    "status",  "result", "head_darcy", "head_energy", "depth_darcy", "depth_energy",
    "message", "seconds"};

// The fields of one line of RESULTS.csv (quotes as RFC 4180 writes them).
std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t k = 0; k < line.size(); ++k) {
        const char ch = line[k];
        if (quoted && ch == '"' && k + 1 < line.size() && line[k + 1] == '"') {
            fields.back() += '"';
            ++k;
        } else if (ch == '"') {
            quoted = !quoted;
        } else if (ch == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += ch;
        }
    }
    return fields;
}

using Row = std::map<std::string, std::string>;

// The rows of a results table by column name; the header must be the one the
// command writes.
std::vector<Row> ResultRows(const std::string& csv) {
    std::vector<Row> rows;
    std::istringstream lines(csv);
    std::string line;
    EXPECT_TRUE(std::getline(lines, line));
    EXPECT_EQ(Fields(line), kColumns);
    while (std::getline(lines, line)) {
        const std::vector<std::string> fields = Fields(line);
        EXPECT_EQ(fields.size(), kColumns.size()) << line;
        Row row;
        for (std::size_t k = 0; k < fields.size() && k < kColumns.size(); ++k)
            row[kColumns[k]] = fields[k];
        rows.push_back(row);
    }
    return rows;
}

// A CASES.csv line for an input file: its name, titles, codes and the numbers
// its aim uses, in the header's order below.
std::string CaseLine(const std::string& name, const InputCase& input) {
    std::string line = name + ",\"" + input.Title1 + "\",\"" + input.Title2 + "\"," +
                       input.AimCode + "," + input.MethodCode;
    const CalcAim aim = *AimFromCode(input.AimCode);
    for (int q = 0; q < kQuantityCount; ++q) {
        line += ",";
        const int position = PositionOf(aim, static_cast<Quantity>(q));
        if (position > 0) line += std::to_string(input.Values[position - 1]);
    }
    return line + "\n";
}

std::string CasesHeader() {
    std::string header = "name,title1,title2,aim,method";
    for (int q = 0; q < kQuantityCount; ++q)
        header += std::string(",") + TextsOf(static_cast<Quantity>(q)).symbol;
    return header + "\n";
}

std::vector<fs::path> Examples() {
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(test::SourceDir() / "Data"))
        if (entry.path().extension() == ".inp") inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

// Every example of Data/ as one table, in name order.
std::string ExamplesTable() {
    std::string table = CasesHeader();
    for (const fs::path& input : Examples())
        table += CaseLine(input.stem().string(), ReadInputFile(input.string()).Case);
    return table;
}

// The value the report prints after the label, e.g. " Midway hydr. head (Darcy,  m) is:".
// Runs of blanks count as one: the discharge reports write "head  (Darcy".
std::string Printed(const std::string& report, const std::string& label) {
    const auto collapsed = [](const std::string& text) {
        std::string one;
        for (char ch : text)
            if (ch != ' ' || one.empty() || one.back() != ' ') one += ch;
        return one;
    };
    for (const std::string& line : test::SplitCrLf(report)) {
        const std::string text = collapsed(line);
        if (text.starts_with(collapsed(label)))
            return collapsed(text.substr(collapsed(label).size())).substr(1);
    }
    return {};
}

// The sought quantity of a report: the first result line after the profile.
std::string SoughtValue(const std::string& report) {
    for (const std::string& line : test::ResultBlock(report)) {
        const std::size_t is = line.find(" is:");
        if (is != std::string::npos && line.find("Midway") == std::string::npos) {
            std::string value = line.substr(is + 4);
            return value.substr(value.find_first_not_of(' '));
        }
    }
    return {};
}

// The row's numbers are those the report prints: the sought quantity by the
// chosen method, and both midway heads and depths.
void ExpectRowMatchesReport(const Row& row, const std::string& report) {
    EXPECT_EQ(row.at("head_darcy"), Printed(report, " Midway hydr. head (Darcy,  m) is:"));
    EXPECT_EQ(row.at("head_energy"), Printed(report, " Midway hydr. head (energy, m) is:"));
    EXPECT_EQ(row.at("depth_darcy"), Printed(report, " Midway W.T. depth (Darcy,  m) is:"));
    EXPECT_EQ(row.at("depth_energy"), Printed(report, " Midway W.T. depth (energy, m) is:"));
    if (row.at("aim") == "Hyd") {
        EXPECT_EQ(row.at("result"),
                  row.at("method") == "Dar" ? row.at("depth_darcy") : row.at("depth_energy"));
    } else {
        EXPECT_EQ(row.at("result"), SoughtValue(report));
    }
    EXPECT_FALSE(row.at("result").empty()) << row.at("name");
}

TEST(Batch, EveryExampleGivesTheNumbersAndTheReportOfItsSingleRun) {
    TempDir dir;
    WriteFile(dir.File("cases.csv"), ExamplesTable());
    fs::create_directory(dir.Path() / "reports");
    const test::CliResult run =
        RunCli({"batch", "cases.csv", "--out", "results.csv", "--reports", "reports", "-j", "2"},
               dir.Path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<Row> rows = ResultRows(ReadFile(dir.Path() / "results.csv"));
    const std::vector<fs::path> examples = Examples();
    ASSERT_EQ(rows.size(), examples.size());
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const std::string name = examples[k].stem().string();
        SCOPED_TRACE(name);
        EXPECT_EQ(rows[k].at("row"), std::to_string(k + 1));
        EXPECT_EQ(rows[k].at("name"), name);
        EXPECT_EQ(rows[k].at("status"), "ok");
        const std::string golden = ReadFile(test::ReportPathOf(examples[k]));
        EXPECT_EQ(ReadFile(dir.Path() / "reports" / (name + ".out")), golden);
        // Written by the program's writer, it holds the example's numbers.
        const std::string written = (dir.Path() / "reports" / (name + ".inp")).string();
        EXPECT_EQ(ReadInputFile(written).Case.Values,
                  ReadInputFile(examples[k].string()).Case.Values);
        ExpectRowMatchesReport(rows[k], golden);
    }
    EXPECT_FALSE(fs::exists(dir.Path() / "Error.lst"));
}

// Every row but the seconds it took.
std::map<std::string, std::string> WithoutSeconds(const std::vector<Row>& rows) {
    std::map<std::string, std::string> byRow;
    for (Row row : rows) {
        row.erase("seconds");
        std::string text;
        for (const auto& [column, value] : row) text += column + "=" + value + ";";
        byRow[row.at("row")] = text;
    }
    return byRow;
}

// Without --reports every row is calculated in memory: the results are those
// of the rows run from their files, and no file or temporary folder is made
// (here there is no temporary folder to be had at all).
TEST(Batch, WithoutReportsTheRowsWriteNoFileAndGiveTheSameResults) {
    TempDir dir;
    WriteFile(dir.File("cases.csv"), ExamplesTable());
    fs::create_directory(dir.Path() / "reports");
    const test::CliResult withFiles =
        RunCli({"batch", "cases.csv", "--reports", "reports", "-j", "2"}, dir.Path());
    ASSERT_EQ(withFiles.exitCode, 0) << withFiles.err;
    fs::create_directory(dir.Path() / "empty");
    const test::CliResult inMemory =
        test::RunProgram(PELORIN_CLI, {"batch", "../cases.csv", "-j", "2"}, dir.Path() / "empty",
                         {"TMPDIR=" + dir.File("no-such-folder")});
    ASSERT_EQ(inMemory.exitCode, 0) << inMemory.err;
    EXPECT_EQ(WithoutSeconds(ResultRows(inMemory.out)), WithoutSeconds(ResultRows(withFiles.out)));
    EXPECT_TRUE(fs::is_empty(dir.Path() / "empty"));
    EXPECT_FALSE(fs::exists(dir.File("no-such-folder")));
}

TEST(Batch, ThreeShardsTogetherGiveTheWhole) {
    TempDir dir;
    WriteFile(dir.File("cases.csv"), ExamplesTable());
    const test::CliResult whole = RunCli({"batch", "cases.csv", "-j", "2"}, dir.Path());
    ASSERT_EQ(whole.exitCode, 0) << whole.err;
    std::map<std::string, std::string> joined;
    std::size_t shardRows = 0;
    for (const std::string shard : {"1/3", "2/3", "3/3"}) {
        const test::CliResult part = RunCli({"batch", "cases.csv", "--shard", shard}, dir.Path());
        ASSERT_EQ(part.exitCode, 0) << part.err;
        const std::vector<Row> rows = ResultRows(part.out);
        for (const Row& row : rows)
            EXPECT_EQ((std::stol(row.at("row")) - 1) % 3, shard[0] - '1') << shard;
        shardRows += rows.size();
        joined.merge(WithoutSeconds(rows));
    }
    const std::vector<Row> all = ResultRows(whole.out);
    EXPECT_EQ(shardRows, all.size());
    EXPECT_EQ(joined, WithoutSeconds(all));
}

TEST(Batch, ShardsAndJobsThatAreNoneAreRefused) {
    TempDir dir;
    WriteFile(dir.File("cases.csv"), ExamplesTable());
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"batch", "cases.csv", "--shard", "0/3"},
          {"batch", "cases.csv", "--shard", "4/3"},
          {"batch", "cases.csv", "--shard", "1"},
          {"batch", "cases.csv", "--jobs", "0"},
          {"batch", "missing.csv"}}) {
        const test::CliResult run = RunCli(args, dir.Path());
        EXPECT_EQ(run.exitCode, 2) << args[2];
        EXPECT_EQ(run.out, "") << args[2];
    }
}

const std::string kGoodValues = "0.007,2,4,1,1.1,0,0,0.5,0.8,0.4,1.5,0.6,0.5,";
const std::string kShortHeader = "name,aim,method,R,D1,D2,Dw,Db,E,W,Ka,Kb1,Kv1,Kb2,Kv2,Dm,S\n";

TEST(Batch, BadRowsFailAndTheOthersStillRun) {
    struct BadRow {
        std::string line;
        std::string message;
    };
    const std::vector<BadRow> bad = {
        {"unknown,Spacings,Ene," + kGoodValues, "unknown aim \"Spacings\" (Spa, Dis, Hyd or Con)"},
        {"nomethod,Spa,," + kGoodValues, "unknown method \"\" (Ene or Dar)"},
        {"missing,Spa,Ene,," + kGoodValues.substr(6), "missing value of R"},
        {"text,Spa,Ene,seven," + kGoodValues.substr(6), "value of R is not a number: seven"},
        {"comma,Spa,Ene,\"0,007\"," + kGoodValues.substr(6), "value of R is not a number: 0,007"},
        {"dir/name,Spa,Ene," + kGoodValues, "the name dir/name holds a '/'"},
        {"..,Spa,Ene," + kGoodValues, "the name .. is not a file name"},
        {",Spa,Ene," + kGoodValues, "the name is empty"},
        {"\"tab\tname\",Spa,Ene," + kGoodValues, "the name holds a control character"},
        {"good,Spa,Dar," + kGoodValues, "the name good is used by an earlier row"},
    };
    std::string table = kShortHeader + "good,Spa,Ene," + kGoodValues + "\n";
    for (const BadRow& row : bad) table += row.line + "\n";
    table += "depth,depth,," + kGoodValues + "20\n";
    TempDir dir;
    WriteFile(dir.File("cases.csv"), table);
    const test::CliResult run = RunCli({"batch", "cases.csv"}, dir.Path());
    EXPECT_EQ(run.exitCode, 2) << run.err;
    const std::vector<Row> rows = ResultRows(run.out);
    ASSERT_EQ(rows.size(), bad.size() + 2);
    EXPECT_EQ(rows.front().at("status"), "ok");
    EXPECT_EQ(rows.front().at("result"), "37.80");
    for (std::size_t k = 0; k < bad.size(); ++k) {
        EXPECT_EQ(rows[k + 1].at("status"), "failed") << bad[k].line;
        EXPECT_EQ(rows[k + 1].at("message"), bad[k].message) << bad[k].line;
    }
    EXPECT_EQ(rows.back().at("status"), "ok");
    EXPECT_EQ(rows.back().at("aim"), "Hyd");
    EXPECT_EQ(rows.back().at("result"), rows.back().at("depth_energy"));
}

TEST(Batch, ARefusedCaseKeepsItsErrorListAsTheSingleRunWritesIt) {
    TempDir dir;
    WriteFile(dir.File("cases.csv"), kShortHeader + "good,Spa,Ene," + kGoodValues + "\n" +
                                         "neg,Spa,Ene,-0.007," + kGoodValues.substr(6) + "\n");
    fs::create_directory(dir.Path() / "reports");
    const test::CliResult run = RunCli({"batch", "cases.csv", "--reports", "reports"}, dir.Path());
    EXPECT_EQ(run.exitCode, 1) << run.err;
    const std::vector<Row> rows = ResultRows(run.out);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].at("status"), "refused");
    EXPECT_EQ(rows[1].at("R"), "-0.0070");
    EXPECT_NE(rows[1].at("message").find(" | Make sure that R > 0. | "), std::string::npos)
        << rows[1].at("message");
    EXPECT_FALSE(fs::exists(dir.Path() / "reports" / "neg.out"));
    EXPECT_FALSE(fs::exists(dir.Path() / "Error.lst"));

    fs::create_directory(dir.Path() / "single");
    fs::copy_file(dir.Path() / "reports" / "neg.inp", dir.Path() / "single" / "neg.inp");
    EXPECT_EQ(RunCli({"run", "neg.inp"}, dir.Path() / "single").exitCode, 1);
    EXPECT_EQ(ReadFile(dir.Path() / "reports" / "neg.lst"),
              ReadFile(dir.Path() / "single" / "Error.lst"));
}

TEST(Batch, SemicolonTablesWithCommaDecimalsAndAByteOrderMarkReadAsCommaTables) {
    const std::string commas =
        "name,title1,aim,method,R,D1,D2,Dw,Db,E,W,Ka,Kb1,Kv1,Kb2,Kv2,Dm,S\n"
        "a,\"Loam, \"\"wet\"\"\nsecond "
        "line\",Spa,Ene,0.007,2,4,1,1.1,0,0,0.5,0.8,0.4,1.5,0.6,0.5,\n"
        "b,plain,Dis,Dar,0.01,2,4,1,1.1,0,0,0.5,0.8,0.4,1.5,0.6,0.5,30\n";
    const std::string semicolons =
        "\xEF\xBB\xBFName ; Title1;AIM;method;R;D1;D2;Dw;Db;E;W;Ka;Kb1;Kv1;Kb2;Kv2;Dm;S\r\n"
        "a;\"Loam, \"\"wet\"\"\nsecond "
        "line\";Spa;Ene;0,007;2;4;1;1,1;0;0;0,5;0,8;0,4;1,5;0,6;0,5;\r\n"
        "b;plain;Dis;Dar;0,01;2;4;1;1,1;0;0;0,5;0,8;0,4;1,5;0,6;0,5;30\r\n";
    TempDir dir;
    WriteFile(dir.File("commas.csv"), commas);
    WriteFile(dir.File("semicolons.csv"), semicolons);
    fs::create_directory(dir.Path() / "c");
    fs::create_directory(dir.Path() / "s");
    const test::CliResult byComma = RunCli({"batch", "commas.csv", "--reports", "c"}, dir.Path());
    const test::CliResult bySemicolon =
        RunCli({"batch", "semicolons.csv", "--reports", "s"}, dir.Path());
    ASSERT_EQ(byComma.exitCode, 0) << byComma.out;
    ASSERT_EQ(bySemicolon.exitCode, 0) << bySemicolon.out;
    EXPECT_EQ(WithoutSeconds(ResultRows(bySemicolon.out)), WithoutSeconds(ResultRows(byComma.out)));
    EXPECT_EQ(ResultRows(byComma.out).at(0).at("result"), "37.80");
    for (const char* report : {"a.out", "b.out"})
        EXPECT_EQ(ReadFile(dir.Path() / "s" / report), ReadFile(dir.Path() / "c" / report));
    EXPECT_EQ(test::SplitCrLf(ReadFile(dir.Path() / "c" / "a.inp")).at(0),
              "Loam, \"wet\" second line");
}

TEST(Batch, ATableThatCannotBeReadStopsBeforeAnyRow) {
    for (const std::string& table :
         {std::string(""), std::string("title1,method,R\nx,Ene,1\n"),
          std::string("name,aim,R\na,Spa,\"unclosed\n"), std::string("name,aim,S,Kb1, s\n")}) {
        TempDir dir;
        WriteFile(dir.File("cases.csv"), table);
        const test::CliResult run = RunCli({"batch", "cases.csv"}, dir.Path());
        EXPECT_EQ(run.exitCode, 2) << table;
        EXPECT_EQ(run.out, "") << table;
        EXPECT_NE(run.err.find("cases.csv: "), std::string::npos) << run.err;
    }
}

TEST(Sweep, TheTableHoldsTheNumbersOfTheSingleRunOfEachCombination) {
    TempDir dir;
    fs::copy_file(test::SourceDir() / "Data" / "spacing-energy-pipe.inp", dir.File("base.inp"));
    std::vector<std::string> args = {"sweep",  "base.inp",   "--vary",    "R=0.005:0.009:0.002",
                                     "--vary", "Dm=0.5,0.7", "--methods", "both",
                                     "--out",  "table.csv"};
#ifdef PELORIN_WITH_STUDY_CHART
    args.insert(args.end(), {"--chart", "chart.svg"});
#endif
    const test::CliResult sweep = RunCli(args, dir.Path());
    ASSERT_EQ(sweep.exitCode, 0) << sweep.err;
    const std::vector<Row> rows = ResultRows(ReadFile(dir.Path() / "table.csv"));
    ASSERT_EQ(rows.size(), 12u);
#ifdef PELORIN_WITH_STUDY_CHART
    // The chart has a line per method and value of Dm, named in its legend.
    const std::string chart = ReadFile(dir.Path() / "chart.svg");
    for (const char* label :
         {"Energy balance, Dm = 0.5", "Energy balance, Dm = 0.7", "Darcy, Dm = 0.5",
          "Darcy, Dm = 0.7", "R (m/day)", "Drain spacing (m)"})
        EXPECT_NE(chart.find(label), std::string::npos) << label;
#endif
    const InputCase base = ReadInputFile(dir.File("base.inp")).Case;
    std::size_t k = 0;
    for (const char* method : {"Ene", "Dar"}) {
        for (double dm : {0.5, 0.7}) {
            for (double r : {0.005, 0.007, 0.009}) {
                const Row& row = rows[k++];
                SCOPED_TRACE(row.at("name"));
                EXPECT_EQ(row.at("method"), method);
                EXPECT_EQ(row.at("name"), "base-" + std::to_string(k));
                InputCase single = base;
                single.MethodCode = method;
                single.Values[0] = r;
                single.Values[12] = dm;
                const std::string name = "single" + std::to_string(k) + ".inp";
                ASSERT_EQ(WriteInputFile(dir.File(name), single).Status, FileStatus::Ok);
                ASSERT_EQ(RunCli({"run", name}, dir.Path()).exitCode, 0);
                const std::string report = ReadFile(test::ReportPathOf(dir.File(name)));
                EXPECT_EQ(
                    row.at("R"),
                    Printed(report, " Time average recharge or discharge         R    (m/day) :"));
                ExpectRowMatchesReport(row, report);
            }
        }
    }
}

// A build without Qt draws no charts.
#ifdef PELORIN_WITH_STUDY_CHART
TEST(Sweep, APngChartIsAPicture) {
    TempDir dir;
    fs::copy_file(test::SourceDir() / "Data" / "depth-pipe.inp", dir.File("d.inp"));
    const test::CliResult sweep =
        RunCli({"sweep", "d.inp", "--vary", "S=10:30:10", "--chart", "d.png"}, dir.Path());
    ASSERT_EQ(sweep.exitCode, 0) << sweep.err;
    EXPECT_EQ(ResultRows(sweep.out).size(), 3u);
    EXPECT_TRUE(ReadFile(dir.Path() / "d.png").starts_with("\x89PNG\r\n"));
}
#endif

TEST(Sweep, BadVariationsAreRefusedBeforeAnyRun) {
    TempDir dir;
    fs::copy_file(test::SourceDir() / "Data" / "conductivity-darcy-pipe.inp", dir.File("k.inp"));
    for (const char* vary :
         {"X=1:2:1", "R=0.01:0.001:0.001", "R=1:2:0", "R=1,two", "D1=1:2:0.5", "R"}) {
        const test::CliResult run = RunCli({"sweep", "k.inp", "--vary", vary}, dir.Path());
        EXPECT_EQ(run.exitCode, 2) << vary;
        EXPECT_EQ(run.out, "") << vary;
    }
}

// A batch long enough to be interrupted part-way.
TEST(Batch, CtrlCWritesTheRowsFinishedInOrderAndEndsByTheSignal) {
    TempDir dir;
    std::string table = CasesHeader();
    const std::vector<fs::path> examples = Examples();
    for (int k = 0; k < 3000; ++k) {
        const fs::path& input = examples[static_cast<std::size_t>(k) % examples.size()];
        table += CaseLine("case" + std::to_string(k), ReadInputFile(input.string()).Case);
    }
    WriteFile(dir.File("cases.csv"), table);
    fs::create_directory(dir.Path() / "tmp");
    const std::string results = dir.File("results.csv");
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGINT, SIG_DFL);
        const int out = open(results.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(out, 1);
        dup2(null, 2);
        setenv("TMPDIR", (dir.Path() / "tmp").c_str(), 1);
        if (chdir(dir.Path().c_str()) != 0) _exit(126);
        execl(PELORIN_CLI, PELORIN_CLI, "batch", "cases.csv", "-j", "2", nullptr);
        _exit(127);
    }
    // Some rows first, so that the stop comes part-way.
    const auto lines = [&] {
        const std::string text = ReadFile(results);
        return std::count(text.begin(), text.end(), '\n');
    };
    for (int round = 0; round < 3000 && lines() < 21; ++round)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGINT);
    const std::string written = ReadFile(results);
    EXPECT_TRUE(written.ends_with("\n"));
    const std::vector<Row> rows = ResultRows(written);
    EXPECT_GE(rows.size(), 20u);
    EXPECT_LT(rows.size(), 3000u);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        EXPECT_EQ(rows[k].at("row"), std::to_string(k + 1));
        EXPECT_EQ(rows[k].at("status"), "ok");
    }
    // The private folder of the cases is gone with everything in it.
    EXPECT_TRUE(fs::is_empty(dir.Path() / "tmp"));
    EXPECT_FALSE(fs::exists(dir.Path() / "Error.lst"));
}

}  // namespace
}  // namespace pelorin
