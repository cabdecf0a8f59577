#pragma once

#include <string>
#include <string_view>

#include "FileSystem.h"

namespace pelorin {

// The report of a run. Lines are gathered in memory (a report is some sixty
// lines) and reach the disk only when the run ends normally, through the one
// file writer: a temporary file of its own beside the report, renamed over it.
// A run that stops on a fault leaves the previous report as it was. The
// folder is tried when the writer is made, so an unwritable folder stops the
// run at once; the temporary file that is kept exists only while the whole
// report is written and renamed.
class ReportWriter {
  public:
    // A writer for the report file at `path`; throws RunError when a
    // temporary file beside it cannot be created.
    explicit ReportWriter(std::string path);
    // A writer that keeps the text in memory only (tests, benchmarks).
    ReportWriter();

    ReportWriter(const ReportWriter&) = delete;
    ReportWriter& operator=(const ReportWriter&) = delete;

    void Text(std::string_view text) { text_.append(text); }
    void Number(double value, int width, int decimals);
    void EndLine() { text_.append("\r\n"); }
    void Line(std::string_view text = {}) {
        Text(text);
        EndLine();
    }

    // Writes the report and renames it into place; throws RunError on an
    // input/output fault, leaving the previous report intact.
    void Commit();

    const std::string& Contents() const { return text_; }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
    FileReplacement file_;
    std::string text_;
};

// The path with the extension of its file-name part (from its last '.')
// replaced by `extension`, or with `extension` appended when there is none.
std::string ChangeFileExt(const std::string& path, const std::string& extension);

// The report name of an input file: its extension replaced by ".out".
inline std::string ReportNameFor(const std::string& inputFileName) {
    return ChangeFileExt(inputFileName, ".out");
}

}  // namespace pelorin
