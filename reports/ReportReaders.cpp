#include "ReportReaders.h"

#include <optional>
#include <utility>

#include "ReportMarkers.h"
#include "RunError.h"
#include "TextReader.h"

namespace pelorin {
namespace {

// Reads lines up to and including the first that equals `marker`; false when
// the file ends first.
bool SkipPast(TextReader& reader, std::string_view marker) {
    while (!reader.AtEnd())
        if (reader.ReadLine() == marker) return true;
    return false;
}

// The number of rows between the table start (already consumed) and the end
// marker, or nothing when the marker never comes.
std::optional<int> CountRows(TextReader& reader) {
    int rows = 0;
    while (!reader.AtEnd()) {
        if (reader.ReadLine() == kSectionEnd) return rows;
        ++rows;
    }
    return std::nullopt;
}

void ReadTitles(TextReader& reader, ReportProfileResult& result) {
    for (int line = 0; line < kReportHeaderLines; ++line) reader.SkipLine();
    result.Title1 = CollapseBlanks(reader.ReadLine());
    result.Title2 = CollapseBlanks(reader.ReadLine());
    for (int line = 0; line < kLinesBeforeInputHeading; ++line) reader.SkipLine();
    result.MethodTag = reader.ReadChars(kMethodTagLength);
    reader.SkipLine();
    result.TitlesRead = true;
}

void ReadRows(TextReader& reader, int rows, ReportProfileResult& result) {
    for (int i = 0; i < rows; ++i) {
        const double x = reader.ReadReal();
        const double headDarcy = reader.ReadReal();
        reader.ReadReal();  // G*/p
        const double headEnergy = reader.ReadReal();
        reader.SkipLine();
        result.X.push_back(x);
        result.HeadDarcy.push_back(headDarcy);
        result.HeadEnergy.push_back(headEnergy);
    }
}

// A fault part-way; a line beyond the reader's bound makes the file corrupt.
void ReadFailure(const std::string& fileName, const RunError& error, FileStatus& status,
                 std::string& message) {
    if (error.Kind() == Fault::LineTooLong) {
        status = FileStatus::Corrupt;
        message = "The file \"" + fileName + "\" is corrupt: " + error.what();
    } else {
        status = FileStatus::Fault;
        message = error.what();
    }
}

// The report opened for reading; when it cannot be, the status and the
// message (in the wording of the caller's own dialog) say so.
std::optional<TextReader> OpenReport(const std::string& fileName, const char* wording,
                                     FileStatus& status, std::string& message) {
    try {
        return std::optional<TextReader>(std::in_place, fileName);
    } catch (const RunError&) {
        status = FileStatus::CannotOpen;
        message = CannotOpenMessage(fileName, wording);
        return std::nullopt;
    }
}

}  // namespace

std::string CollapseBlanks(std::string text) {
    std::size_t pair = text.find("  ");
    while (pair != std::string::npos) {
        text.erase(pair, 1);
        pair = text.find("  ", pair);
    }
    return text;
}

ReportLinesResult ReadReportLines(const std::string& fileName) {
    ReportLinesResult result;
    std::optional<TextReader> reader = OpenReport(
        fileName, "damaged, in use by another program,  or the", result.Status, result.Message);
    if (!reader) return result;
    try {
        while (!reader->AtEnd()) result.Lines.push_back(reader->ReadLine());
    } catch (const RunError& error) {
        ReadFailure(fileName, error, result.Status, result.Message);
    }
    return result;
}

namespace {

// The profile of a report from a reader that is open.
void ReadProfile(TextReader& reader, const std::string& fileName, ReportProfileResult& result) {
    try {
        ReadTitles(reader, result);
        std::optional<int> rows;
        if (SkipPast(reader, kProfileStart)) rows = CountRows(reader);
        if (!rows) {
            result.Status = FileStatus::Corrupt;
            result.Message = "The file \"" + fileName +
                             "\" holds no water-table profile: the line \" Output data:\" or the "
                             "line \" #\" that ends the table is missing.";
            return;
        }
        reader.Rewind();
        SkipPast(reader, kProfileStart);
        ReadRows(reader, *rows, result);
    } catch (const RunError& error) {
        ReadFailure(fileName, error, result.Status, result.Message);
    }
}

}  // namespace

ReportProfileResult ReadReportProfile(const std::string& fileName) {
    ReportProfileResult result;
    std::optional<TextReader> reader = OpenReport(
        fileName, "damaged,  in use by another program,,  or the", result.Status, result.Message);
    if (!reader) return result;
    ReadProfile(*reader, fileName, result);
    return result;
}

ReportProfileResult ParseReportProfile(std::string_view bytes, const std::string& fileName) {
    ReportProfileResult result;
    TextReader reader(TextBytes{bytes});
    ReadProfile(reader, fileName, result);
    return result;
}

}  // namespace pelorin
