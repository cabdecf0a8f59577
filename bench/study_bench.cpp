// Speed and memory of design studies, through the pelorin-cli process as a
// user runs them: a batch of the Data/ examples repeated to 200 cases with 1
// and with 2 workers (compare the medians), and the peak memory of a batch of
// 10 000 cases (the "peak_rss_MB" counter), whose results are streamed, and
// that of one shard of a table of a million rows.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "CaseLayout.h"
#include "InputFile.h"

extern char** environ;

namespace {

using namespace pelorin;
namespace fs = std::filesystem;

// A table of `count` cases: the examples of Data/ one after the other, again
// and again.
fs::path WriteExamplesTable(int count) {
    std::vector<InputCase> examples;
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(fs::path(PELORIN_SOURCE_DIR) / "Data"))
        if (entry.path().extension() == ".inp") inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& input : inputs) examples.push_back(ReadInputFile(input.string()).Case);

    const fs::path table =
        fs::temp_directory_path() / ("pelorin-study-bench-" + std::to_string(count) + ".csv");
    std::ofstream out(table);
    out << "name,aim,method";
    for (int q = 0; q < kQuantityCount; ++q) out << ',' << TextsOf(static_cast<Quantity>(q)).symbol;
    out << '\n';
    for (int k = 0; k < count; ++k) {
        const InputCase& c = examples[static_cast<std::size_t>(k) % examples.size()];
        const CalcAim aim = *AimFromCode(c.AimCode);
        out << "case" << k << ',' << c.AimCode << ',' << c.MethodCode;
        for (int q = 0; q < kQuantityCount; ++q) {
            out << ',';
            if (const int position = PositionOf(aim, static_cast<Quantity>(q)); position > 0)
                out << c.Values[static_cast<std::size_t>(position - 1)];
        }
        out << '\n';
    }
    return table;
}

// Runs pelorin-cli batch on the table (`more` words added to the command
// line); its peak resident memory in kB.
long RunBatch(const fs::path& table, int jobs, const std::vector<std::string>& more = {}) {
    std::vector<std::string> args = {PELORIN_CLI,          "batch", table.string(), "--jobs",
                                     std::to_string(jobs), "--out", "/dev/null"};
    args.insert(args.end(), more.begin(), more.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawn(&pid, PELORIN_CLI, &actions, nullptr, argv.data(), environ) != 0) std::abort();
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::abort();
    return usage.ru_maxrss;
}

void BM_Batch200Examples(benchmark::State& state) {
    const fs::path table = WriteExamplesTable(200);
    for (auto _ : state) RunBatch(table, static_cast<int>(state.range(0)));
    state.counters["cases_per_s"] = benchmark::Counter(
        200.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    fs::remove(table);
}
BENCHMARK(BM_Batch200Examples)
    ->ArgName("jobs")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_Batch10000PeakMemory(benchmark::State& state) {
    const fs::path table = WriteExamplesTable(10000);
    long peakKb = 0;
    for (auto _ : state) peakKb = std::max(peakKb, RunBatch(table, 2));
    state.counters["peak_rss_MB"] = static_cast<double>(peakKb) / 1024.0;
    fs::remove(table);
}
BENCHMARK(BM_Batch10000PeakMemory)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

// One shard of a table of a million rows: the shard keeps its ten rows and
// only fingerprints of the other names, so its memory stays far below the
// table's size (about 90 MB on the disk).
void BM_ShardOfAMillionRowsPeakMemory(benchmark::State& state) {
    const fs::path table = WriteExamplesTable(1'000'000);
    long peakKb = 0;
    for (auto _ : state) peakKb = std::max(peakKb, RunBatch(table, 1, {"--shard", "1/100000"}));
    state.counters["peak_rss_MB"] = static_cast<double>(peakKb) / 1024.0;
    fs::remove(table);
}
BENCHMARK(BM_ShardOfAMillionRowsPeakMemory)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
