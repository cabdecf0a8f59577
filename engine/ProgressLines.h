#pragma once

// The progress lines a long calculation adds while it runs.

#include "RunSink.h"

namespace pelorin {

// A one-shot progress line: added the first time its condition holds.
class ProgressLine {
  public:
    ProgressLine(RunSink& sink, const char* text) : sink_(sink), text_(text) {}
    void AddOnceWhen(bool condition) {
        if (!shown_ && condition) {
            sink_.AddProgressLine(text_);
            shown_ = true;
        }
    }

  private:
    RunSink& sink_;
    const char* text_;
    bool shown_ = false;
};

// The progress lines of a long calculation, by the class of its half spacing L:
// " Still working ..." for L up to 25 m once the deviation is below 1000
// tolerances; another " Still working ..." for 25 < L < 50 m below 100
// tolerances or for L from 50 m on below 1000; and " Almost done ....." for L
// from 50 m on below 10 tolerances. Each line comes at most once.
class SpacingClassProgress {
  public:
    SpacingClassProgress(RunSink& sink, double halfSpacing, double tolerance)
        : L_(halfSpacing),
          tolerance_(tolerance),
          shortRun_(sink, " Still working ..."),
          longRun_(sink, " Still working ..."),
          almostDone_(sink, " Almost done .....") {}

    void Report(double deviation) {
        const bool within10 = deviation < 10 * tolerance_;
        const bool within100 = deviation < 100 * tolerance_;
        const bool within1000 = deviation < 1000 * tolerance_;
        shortRun_.AddOnceWhen(L_ <= 25 && within1000);
        longRun_.AddOnceWhen((within100 && 25 < L_ && L_ < 50) || (within1000 && L_ >= 50));
        almostDone_.AddOnceWhen(within10 && L_ >= 50);
    }

  private:
    double L_;
    double tolerance_;
    ProgressLine shortRun_;
    ProgressLine longRun_;
    ProgressLine almostDone_;
};

}  // namespace pelorin
