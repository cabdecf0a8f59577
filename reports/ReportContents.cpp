#include "ReportContents.h"

#include <algorithm>
#include <sstream>

#include "ReportMarkers.h"
#include "ReportReaders.h"

namespace pelorin {
namespace {

constexpr auto kHeaderLines = static_cast<std::size_t>(kReportHeaderLines);  // then the two titles

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool Blank(const std::string& line) { return Trimmed(line).empty(); }

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::vector<std::string> Words(const std::string& line) {
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
}

// "label is: value" splits after "is:", "label: value" after its first colon
// (a file name may hold colons of its own).
ReportLabelledValue SplitLabelled(const std::string& line) {
    std::size_t end = line.find(" is:");
    if (end != std::string::npos) {
        end += 4;
    } else {
        end = line.find(':');
        if (end == std::string::npos) return {CollapseBlanks(Trimmed(line)), {}};
        end += 1;
    }
    return {CollapseBlanks(Trimmed(line.substr(0, end))), Trimmed(line.substr(end))};
}

// "Quantity   Symbol   (unit) : value"; the unit may be missing.
ReportInputRow SplitInputRow(const std::string& line) {
    ReportInputRow row;
    const std::size_t colon = line.rfind(':');
    std::string left = Trimmed(line.substr(0, colon));
    if (colon != std::string::npos) row.Value = Trimmed(line.substr(colon + 1));
    const std::size_t open = left.rfind('(');
    if (!left.empty() && left.back() == ')' && open != std::string::npos) {
        row.Unit = left.substr(open + 1, left.size() - open - 2);
        left = Trimmed(left.substr(0, open));
    }
    const std::size_t gap = left.find_last_of(" \t");
    row.Symbol = gap == std::string::npos ? left : left.substr(gap + 1);
    row.Quantity =
        gap == std::string::npos ? std::string() : CollapseBlanks(Trimmed(left.substr(0, gap)));
    return row;
}

std::size_t FindLine(const std::vector<std::string>& lines, std::size_t from,
                     std::string_view line) {
    for (std::size_t i = from; i < lines.size(); ++i)
        if (lines[i] == line) return i;
    return lines.size();
}

void ReadHeader(const std::vector<std::string>& lines, ReportContents& contents) {
    for (std::size_t i = 0; i < kHeaderLines && i < lines.size(); ++i)
        if (!Blank(lines[i])) contents.About.push_back(Trimmed(lines[i]));
    if (lines.size() > kHeaderLines) contents.Title1 = Trimmed(lines[kHeaderLines]);
    if (lines.size() > kHeaderLines + 1) contents.Title2 = Trimmed(lines[kHeaderLines + 1]);
}

// The file names and the input table; the index of the line after the table.
std::size_t ReadInputTable(const std::vector<std::string>& lines, ReportContents& contents) {
    // The heading trimmed as the lines are: "DarSpac input data:".
    const std::string headingEnd = Trimmed(std::string(kInputHeadingEnd));
    std::size_t i = std::min(kHeaderLines + 2, lines.size());
    for (; i < lines.size() && !EndsWith(Trimmed(lines[i]), headingEnd); ++i)
        if (lines[i].rfind(kFileNameLineLead, 0) == 0)
            contents.FileNames.push_back(SplitLabelled(lines[i]));
    if (i == lines.size()) return i;
    contents.Module = Words(lines[i]).front();
    ++i;
    while (i < lines.size() && Blank(lines[i])) ++i;
    for (; i < lines.size() && !Blank(lines[i]) && lines[i] != kProfileStart; ++i)
        contents.Inputs.push_back(SplitInputRow(lines[i]));
    return i;
}

// The rows between the table start and its end marker; false when either is missing.
bool ReadProfile(const std::vector<std::string>& lines, std::size_t from, std::size_t& end,
                 ReportContents& contents) {
    const std::size_t start = FindLine(lines, from, kProfileStart);
    end = FindLine(lines, start, kSectionEnd);
    if (end == lines.size()) return false;
    for (std::size_t head = start; head > from; --head)
        if (!Blank(lines[head - 1])) {
            contents.ProfileColumns = Words(lines[head - 1]);
            break;
        }
    for (std::size_t i = start + 1; i < end; ++i) contents.ProfileRows.push_back(Words(lines[i]));
    return true;
}

// After the profile: groups of result lines between blank lines and " #".
// False when the last group is not closed by a " #": the report was cut off
// inside its results.
bool ReadResults(const std::vector<std::string>& lines, std::size_t from,
                 ReportContents& contents) {
    std::vector<ReportLabelledValue> group;
    bool closed = false;
    for (std::size_t i = from; i <= lines.size(); ++i) {
        if (i == lines.size() || Blank(lines[i]) || lines[i] == kSectionEnd) {
            if (!group.empty()) contents.ResultGroups.push_back(std::move(group));
            if (i < lines.size() && lines[i] == kSectionEnd) closed = true;
            group.clear();
            continue;
        }
        closed = false;
        group.push_back(SplitLabelled(lines[i]));
    }
    return closed;
}

void Refuse(ReportContents& contents, const std::string& fileName, const std::string& missing) {
    contents.Status = FileStatus::Corrupt;
    contents.Message = "The file \"" + fileName + "\" is not a whole report: " + missing;
}

}  // namespace

ReportContents ParseReportContents(const std::vector<std::string>& lines,
                                   const std::string& fileName) {
    ReportContents contents;
    ReadHeader(lines, contents);
    const std::size_t afterInputs = ReadInputTable(lines, contents);
    if (contents.Inputs.empty()) {
        Refuse(contents, fileName, "the table of its input data is missing.");
        return contents;
    }
    std::size_t tableEnd = 0;
    if (!ReadProfile(lines, afterInputs, tableEnd, contents)) {
        Refuse(contents, fileName,
               "the line \" Output data:\" or the line \" #\" that ends the water-table profile "
               "is missing.");
        return contents;
    }
    const bool closed = ReadResults(lines, tableEnd + 1, contents);
    if (contents.ResultGroups.empty()) {
        Refuse(contents, fileName, "its results are missing.");
    } else if (!closed) {
        Refuse(contents, fileName,
               "the report ends before its results (the line \" #\" after them is missing).");
    }
    return contents;
}

ReportContents ReadReportContents(const std::string& fileName) {
    const ReportLinesResult read = ReadReportLines(fileName);
    if (read.Status != FileStatus::Ok) {
        ReportContents contents;
        contents.Status = read.Status;
        contents.Message = read.Message;
        return contents;
    }
    return ParseReportContents(read.Lines, fileName);
}

}  // namespace pelorin
