#pragma once

// Runs the cases of a study on a pool of workers and hands the results over in
// the order of the rows as soon as they follow on from those handed over
// before, so that a study of any size holds only the results that wait for a
// slower case.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "CaseTable.h"
#include "StudyCase.h"

namespace pelorin::study {

struct StudyOptions {
    int Jobs = 1;               // cases run at once
    int Cores = 1;              // threads the study may use in all: a case gets those the
                                // jobs leave over when there are fewer cases than cores
    std::string ReportsFolder;  // keep NAME.inp/.out/.lst there (each case's set put in
                                // place whole, from a private folder inside it); empty:
                                // the cases run in memory and write no file
    // Called on a study thread each time a case has finished, with the count
    // of finished cases, for a watcher that shows progress as it comes; may
    // be empty.
    std::function<void(long finished)> CaseFinished;
};

// What the study and its watchers share: the stop request (set from any thread,
// or from a signal handler: it is lock-free) and the counts for a progress bar.
struct StudyControl {
    std::atomic<bool> Stop{false};
    std::atomic<long> Total{0};     // the cases of the study, set when it starts
    std::atomic<long> Finished{0};  // cases finished, handed over or not
};

enum class StudyEnd { Completed, Stopped, FolderFailed };

struct StudyOutcome {
    StudyEnd End = StudyEnd::Completed;
    std::string Message;  // why the study could not start (FolderFailed)
    long Delivered = 0;
};

// Called with each result in the order of the rows, one call at a time, on
// one of the study's threads.
using ResultHandler = std::function<void(const CaseResult&)>;

// Runs every row and returns when all have been handed over, or, after a
// stop, when the cases under way have ended: the results after the first
// unfinished case are then dropped.
StudyOutcome RunStudy(const std::vector<CaseRow>& rows, const StudyOptions& options,
                      StudyControl& control, const ResultHandler& deliver);

}  // namespace pelorin::study
