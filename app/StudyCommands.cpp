#include "StudyCommands.h"

#include <unistd.h>

#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <thread>

#include "Calculate.h"
#include "FileSystem.h"
#include "InputFile.h"
#include "StudyRunner.h"
#include "Sweep.h"
#include "SweepChart.h"
#ifdef PELORIN_WITH_STUDY_CHART
#include "HeadlessGui.h"
#include "SweepChartFile.h"
#endif

namespace pelorin::cli {

namespace {

using study::CaseResult;
using study::CaseStatus;

// The study that a signal stops. The handler only stores into lock-free
// atomics; the program writes what has finished and then ends by the signal.
std::atomic<bool>* g_stop = nullptr;
volatile std::sig_atomic_t g_signal = 0;

extern "C" void StopOnSignal(int signal) {
    g_signal = signal;
    if (g_stop != nullptr) g_stop->store(true);
}

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// While alive, the stop signals stop the study instead of ending the program
// (a signal ignored at start-up, as under nohup, stays ignored). Afterwards
// the earlier handlers are back and a signal that came is raised again.
class SignalsStopStudy {
  public:
    explicit SignalsStopStudy(std::atomic<bool>& stop) {
        g_stop = &stop;
        for (std::size_t k = 0; k < std::size(kStopSignals); ++k) {
            sigaction(kStopSignals[k], nullptr, &previous_[k]);
            if (previous_[k].sa_handler == SIG_IGN) continue;
            struct sigaction action {};
            action.sa_handler = StopOnSignal;
            sigemptyset(&action.sa_mask);
            sigaction(kStopSignals[k], &action, nullptr);
        }
    }
    ~SignalsStopStudy() {
        for (std::size_t k = 0; k < std::size(kStopSignals); ++k)
            sigaction(kStopSignals[k], &previous_[k], nullptr);
        g_stop = nullptr;
    }
    SignalsStopStudy(const SignalsStopStudy&) = delete;
    SignalsStopStudy& operator=(const SignalsStopStudy&) = delete;

    // Ends the program the way the signal that stopped the study would have.
    static void RaiseCaughtSignal() {
        if (g_signal == 0) return;
        std::signal(g_signal, SIG_DFL);
        std::raise(g_signal);
    }

  private:
    struct sigaction previous_[std::size(kStopSignals)]{};
};

std::string Clock(double seconds) {
    const long whole = static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

// Progress on standard error while the study runs: a bar redrawn in place on a
// terminal, else a line every five seconds (a log keeps every line).
class ProgressReport {
  public:
    explicit ProgressReport(const study::StudyControl& control)
        : control_(control), terminal_(isatty(STDERR_FILENO) == 1), thread_([this] { Run(); }) {}
    ~ProgressReport() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
        if (terminal_) {
            Show();
            std::cerr << '\n';
        }
    }
    ProgressReport(const ProgressReport&) = delete;
    ProgressReport& operator=(const ProgressReport&) = delete;

  private:
    void Run() {
        const auto interval = terminal_ ? std::chrono::milliseconds(200) : std::chrono::seconds(5);
        std::unique_lock lock(mutex_);
        while (!wake_.wait_for(lock, interval, [this] { return done_; })) Show();
    }

    void Show() {
        const long finished = control_.Finished.load();
        const long total = control_.Total.load();
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        const double rate = elapsed > 0 ? finished / elapsed : 0;
        const std::string left = rate > 0 ? Clock((total - finished) / rate) : "?";
        char counts[160];
        std::snprintf(counts, sizeof counts, "%ld/%ld cases, %.1f cases/s, %s left", finished,
                      total, rate, left.c_str());
        if (!terminal_) {
            std::cerr << "pelorin-cli: " << counts << '\n';
            return;
        }
        constexpr int kWidth = 30;
        const int filled = total > 0 ? static_cast<int>(kWidth * finished / total) : kWidth;
        std::cerr << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
                  << std::string(static_cast<std::size_t>(kWidth - filled), ' ') << "] " << counts
                  << "   " << std::flush;
    }

    const study::StudyControl& control_;
    const bool terminal_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;
};

// RESULTS.csv: to standard output, or through the one file writer, put in
// place whole at the end (also after a stop, with the rows written so far).
class ResultsOutput {
  public:
    explicit ResultsOutput(const std::string& fileName) : fileName_(fileName) {}

    bool Open() {
        if (fileName_.empty()) return Write(study::ResultsHeaderLine());
        if (const int error = file_.Begin(fileName_); error != 0) {
            std::cerr << fileName_ << ": cannot be written (" << std::strerror(error) << ")\n";
            return false;
        }
        return Write(study::ResultsHeaderLine());
    }

    bool Write(const std::string& line) {
        if (fileName_.empty()) {
            std::cout << line << std::flush;
            return static_cast<bool>(std::cout);
        }
        if (error_ == 0) error_ = file_.Write(line);
        return error_ == 0;
    }

    bool Close() {
        if (fileName_.empty()) return static_cast<bool>(std::cout.flush());
        if (error_ == 0) error_ = file_.Commit();
        if (error_ != 0) {
            file_.Abandon();
            std::cerr << fileName_ << ": cannot be written (" << std::strerror(error_) << ")\n";
        }
        return error_ == 0;
    }

  private:
    std::string fileName_;
    FileReplacement file_;
    int error_ = 0;
};

int JobsOrCores(int jobs) { return jobs > 0 ? jobs : DefaultThreads(); }

// Runs the rows, writes their results in order and gives the exit status.
int RunRowsToResults(const std::vector<study::CaseRow>& rows, int jobs,
                     const std::string& reportsFolder, const std::string& outFile,
                     const study::ResultHandler& alsoDeliver = {}) {
    ResultsOutput output(outFile);
    if (!output.Open()) return 2;
    study::StudyControl control;
    study::StudyOptions options;
    options.Jobs = JobsOrCores(jobs);
    options.Cores = DefaultThreads();
    options.ReportsFolder = reportsFolder;
    int status = 0;
    bool written = true;
    study::StudyOutcome outcome;
    {
        SignalsStopStudy stopBySignal(control.Stop);
        ProgressReport progress(control);
        outcome = study::RunStudy(rows, options, control, [&](const CaseResult& result) {
            written = output.Write(study::ResultLine(result)) && written;
            status = std::max(status, static_cast<int>(result.Status));
            if (alsoDeliver) alsoDeliver(result);
        });
    }
    if (!output.Close() || !written) status = 2;
    if (outcome.End == study::StudyEnd::Stopped) SignalsStopStudy::RaiseCaughtSignal();
    return status;
}

std::string StemOf(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name.empty() ? "case" : name;
}

}  // namespace

bool ParseShard(const std::string& text, long& index, long& count) {
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos) return false;
    const auto whole = [](const std::string& digits, long& value) {
        const char* end = digits.data() + digits.size();
        const auto [ptr, error] = std::from_chars(digits.data(), end, value);
        return !digits.empty() && digits.front() != '-' && digits.front() != '+' &&
               error == std::errc() && ptr == end;
    };
    return whole(text.substr(0, slash), index) && whole(text.substr(slash + 1), count) &&
           index >= 1 && index <= count;
}

int RunBatchCommand(const BatchOptions& options) {
    study::CaseTable table = study::ReadCaseTable(options.CasesFile);
    if (!table.Ok) {
        std::cerr << table.Message << '\n';
        return 2;
    }
    const std::vector<study::CaseRow> rows =
        study::ShardOf(std::move(table.Rows), options.ShardIndex, options.ShardCount);
    return RunRowsToResults(rows, options.Jobs, options.ReportsFolder, options.OutFile);
}

int RunSweepCommand(const SweepOptions& options) {
    const InputReadResult input = ReadInputFile(options.InputFile);
    if (input.Status != FileStatus::Ok) {
        for (const std::string& message : input.Messages)
            std::cerr << options.InputFile << ": " << message << '\n';
        return 2;
    }
    std::vector<study::Variation> variations;
    for (const std::string& text : options.Variations) {
        std::string problem;
        std::optional<study::Variation> variation = study::ParseVariation(text, problem);
        if (!variation) {
            std::cerr << "pelorin-cli sweep: --vary " << problem << '\n';
            return 2;
        }
        variations.push_back(std::move(*variation));
    }
    const study::SweepPlan plan =
        study::PlanSweep(input.Case, StemOf(options.InputFile), variations, options.BothMethods);
    if (!plan.Problem.empty()) {
        std::cerr << "pelorin-cli sweep: " << plan.Problem << '\n';
        return 2;
    }
#ifndef PELORIN_WITH_STUDY_CHART
    if (!options.ChartFile.empty()) {
        std::cerr << "pelorin-cli sweep: this build draws no charts (it has no Qt)\n";
        return 2;
    }
#endif
    study::SweepChart chart = study::ChartFor(input.Case, plan, variations, options.BothMethods);
    int status =
        RunRowsToResults(plan.Rows, options.Jobs, {}, options.OutFile,
                         [&](const CaseResult& result) { study::AddToChart(chart, result); });
#ifdef PELORIN_WITH_STUDY_CHART
    if (!options.ChartFile.empty()) {
        const auto gui = graph::StartHeadlessGui();
        if (const std::string problem = study::WriteSweepChart(chart, options.ChartFile);
            !problem.empty()) {
            std::cerr << options.ChartFile << ": " << problem << '\n';
            status = 2;
        }
    }
#endif
    return status;
}

}  // namespace pelorin::cli
