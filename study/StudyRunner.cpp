#include "StudyRunner.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

#include "FileSystem.h"

namespace pelorin::study {

namespace {

// The results that finished ahead of an earlier row wait here until the rows
// before them are in.
class InOrderDelivery {
  public:
    explicit InOrderDelivery(const ResultHandler& deliver) : deliver_(deliver) {}

    void Finished(std::size_t index, CaseResult result) {
        std::lock_guard lock(mutex_);
        waiting_.emplace(index, std::move(result));
        for (auto first = waiting_.begin(); first != waiting_.end() && first->first == next_;
             first = waiting_.erase(first), ++next_) {
            deliver_(first->second);
        }
    }

    long Delivered() const { return static_cast<long>(next_); }

  private:
    const ResultHandler& deliver_;
    std::mutex mutex_;
    std::map<std::size_t, CaseResult> waiting_;
    std::size_t next_ = 0;
};

}  // namespace

StudyOutcome RunStudy(const std::vector<CaseRow>& rows, const StudyOptions& options,
                      StudyControl& control, const ResultHandler& deliver) {
    StudyOutcome outcome;
    control.Total = static_cast<long>(rows.size());
    control.Finished = 0;
    CaseRunOptions caseOptions;
    caseOptions.KeepIn = options.ReportsFolder;
    // Kept files are written into a private folder inside the reports folder
    // and renamed from there, on the same file system.
    if (!options.ReportsFolder.empty()) {
        const int error =
            MakeTemporaryFolderIn(options.ReportsFolder, "pelorin-study", caseOptions.Folder);
        if (error != 0) {
            return {StudyEnd::FolderFailed,
                    std::string("no temporary folder for the cases: ") + std::strerror(error), 0};
        }
    }
    const long cases = static_cast<long>(rows.size());
    const int jobs = static_cast<int>(std::clamp<long>(options.Jobs, 1, std::max(cases, 1L)));
    caseOptions.Threads =
        cases > 0 && cases < options.Cores ? std::max(1, options.Cores / jobs) : 1;

    InOrderDelivery delivery(deliver);
    std::atomic<std::size_t> nextRow{0};
    const auto work = [&] {
        for (;;) {
            if (control.Stop.load()) return;
            const std::size_t index = nextRow.fetch_add(1);
            if (index >= rows.size()) return;
            CaseResult result;
            // A case the stop cut short never arrives: the rows after it wait
            // for it, and so are never handed over.
            if (!RunCase(rows[index], caseOptions, control.Stop, result)) return;
            const long finished = ++control.Finished;
            if (options.CaseFinished) options.CaseFinished(finished);
            delivery.Finished(index, std::move(result));
        }
    };
    std::vector<std::thread> workers;
    // A worker that cannot be started (a process limit) leaves its share to
    // the others: at least the calling thread runs every row.
    try {
        for (int k = 1; k < jobs; ++k) workers.emplace_back(work);
    } catch (const std::system_error&) {
    }
    work();
    for (std::thread& worker : workers) worker.join();

    if (!caseOptions.Folder.empty()) RemoveEmptyFolder(caseOptions.Folder);
    outcome.Delivered = delivery.Delivered();
    outcome.End = outcome.Delivered == static_cast<long>(rows.size()) ? StudyEnd::Completed
                                                                      : StudyEnd::Stopped;
    return outcome;
}

}  // namespace pelorin::study
