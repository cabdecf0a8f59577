#pragma once

// A table of cases (CASES.csv): a header row naming the columns, then one case
// a row, read with libcsv (RFC 4180 quoting, line breaks inside quotes).

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "CaseLayout.h"
#include "Units.h"

namespace pelorin::study {

// One row of the table, its fields as texts; nothing is judged yet except what
// needs the whole table (a name used before).
struct CaseRow {
    long Row = 0;  // its number among the cases, the first after the header being 1
    std::string Name;
    std::string Title1;
    std::string Title2;
    std::string Aim;
    std::string Method;
    std::array<std::string, kQuantityCount> Values;  // by Quantity; empty when absent
    bool CommaDecimals = false;                      // a ';' table: "0,5" is a number
    // The units its numbers are typed in and its results shown in; US numbers
    // become the SI numbers of the input file when the row is prepared.
    UnitSystem Units = UnitSystem::SI;
    std::string Defect;  // why the row cannot run though its fields might
};

struct CaseTable {
    bool Ok = true;
    std::string Message;  // why the table could not be read
    char Separator = ',';
    std::vector<CaseRow> Rows;
};

// The separator of a table: ';' when its first line holds more ';' than ','.
char SeparatorOf(std::string_view firstLine);

// Takes a table apart. A UTF-8 byte-order mark is skipped; header names are
// matched without regard to case and surrounding blanks; columns the table
// has beyond the known ones are left alone. Only the rows of shard
// `shardIndex` of `shardCount` are kept, as ReadCaseTable keeps them.
CaseTable ParseCaseTable(std::string_view text, long shardIndex = 1, long shardCount = 1);

// Reads the file and takes it apart, piece by piece, keeping only the rows of
// shard `shardIndex` of `shardCount` (1 ≤ k ≤ n): those whose number minus one
// leaves k − 1 when divided by n. The names of the other rows are kept as
// fingerprints only, for the rule that a later row of the same name fails
// whichever shard it falls in.
CaseTable ReadCaseTable(const std::string& fileName, long shardIndex = 1, long shardCount = 1);

}  // namespace pelorin::study
