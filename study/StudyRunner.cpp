#include "StudyRunner.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <thread>

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
    caseOptions.KeepFiles = !options.ReportsFolder.empty();
    caseOptions.Folder = options.ReportsFolder;
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
            ++control.Finished;
            delivery.Finished(index, std::move(result));
        }
    };
    std::vector<std::thread> workers;
    for (int k = 1; k < jobs; ++k) workers.emplace_back(work);
    work();
    for (std::thread& worker : workers) worker.join();

    outcome.Delivered = delivery.Delivered();
    outcome.End = outcome.Delivered == static_cast<long>(rows.size()) ? StudyEnd::Completed
                                                                      : StudyEnd::Stopped;
    return outcome;
}

}  // namespace pelorin::study
