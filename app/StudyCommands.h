#pragma once

// The design-study commands of pelorin-cli: batch (a table of cases) and sweep
// (one input file over a grid of one or two quantities).

#include <string>
#include <vector>

#include "Units.h"

namespace pelorin::cli {

struct BatchOptions {
    std::string CasesFile;
    std::string OutFile;        // RESULTS.csv; empty: standard output
    std::string ReportsFolder;  // keep each case's files there; empty: none kept
    int Jobs = 0;               // 0: every core
    long ShardIndex = 1;        // run shard ShardIndex of ShardCount
    long ShardCount = 1;
    UnitSystem Units = UnitSystem::SI;  // of the table's numbers and the results
};

struct SweepOptions {
    std::string InputFile;
    std::vector<std::string> Variations;  // "Q=FROM:TO:STEP" or "Q=V1,V2,..."
    bool BothMethods = false;
    std::string OutFile;
    std::string ChartFile;    // .png, .svg or .pdf
    bool ChartGiven = false;  // --chart was given (an empty name is refused)
    int Jobs = 0;
    UnitSystem Units = UnitSystem::SI;  // of the varied values, the table and the chart
};

// Reads "K/N" with 1 ≤ K ≤ N; false when the text is not such a shard.
bool ParseShard(const std::string& text, long& index, long& count);

// Exit status 0 every case ok, 1 some refused and none failed, 2 some failed or
// the table could not be read or written, or an output would replace an input
// or another output (refused before anything runs). After Ctrl+C (or another
// of the ending signals) the rows finished so far are written and the signal
// ends the program.
int RunBatchCommand(const BatchOptions& options);
int RunSweepCommand(const SweepOptions& options);

}  // namespace pelorin::cli
