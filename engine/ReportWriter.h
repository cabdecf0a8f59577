#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "Calculate.h"

namespace pelorin {

// The report of a run as it is written: its text, gathered in memory (a report
// is some sixty lines), and the figures it prints, kept as numbers beside the
// text so that no caller has to read them back out of it. Putting the report
// on the disk is the business of the programs, once the run has ended normally.
class ReportWriter {
  public:
    ReportWriter() = default;
    ReportWriter(const ReportWriter&) = delete;
    ReportWriter& operator=(const ReportWriter&) = delete;

    void Text(std::string_view text) { text_.append(text); }
    void Number(double value, int width, int decimals);
    void EndLine() { text_.append("\r\n"); }
    void Line(std::string_view text = {}) {
        Text(text);
        EndLine();
    }

    const std::string& Contents() const { return text_; }
    CaseResults& Results() { return results_; }

    // The text and the figures, handed over when the report is done.
    std::string TakeContents() { return std::move(text_); }
    CaseResults TakeResults() { return std::move(results_); }

  private:
    std::string text_;
    CaseResults results_;
};

}  // namespace pelorin
