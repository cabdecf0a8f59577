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
#include <system_error>
#include <thread>

#include "Calculate.h"
#include "CommandFiles.h"
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

extern "C" void StopOnSignal(int signal, siginfo_t* info, void*) {
    // A write of this process beyond the file-size limit fails on its own.
    if (IsOwnFileSizeSignal(signal, info)) return;
    g_signal = signal;
    if (g_stop != nullptr) g_stop->store(true);
}

// While alive, the ending signals stop the study instead of ending the program
// (a signal ignored at start-up, as under nohup, stays ignored). Afterwards
// the earlier handlers are back and a signal that came is raised again.
class SignalsStopStudy {
  public:
    explicit SignalsStopStudy(std::atomic<bool>& stop) {
        g_stop = &stop;
        for (int k = 0; k < kEndingSignalCount; ++k) {
            sigaction(EndingSignals()[k], nullptr, &previous_[k]);
            if (previous_[k].sa_handler == SIG_IGN) continue;
            struct sigaction action {};
            action.sa_sigaction = StopOnSignal;
            action.sa_flags = SA_SIGINFO;
            sigemptyset(&action.sa_mask);
            sigaction(EndingSignals()[k], &action, nullptr);
        }
    }
    ~SignalsStopStudy() {
        for (int k = 0; k < kEndingSignalCount; ++k)
            sigaction(EndingSignals()[k], &previous_[k], nullptr);
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
    struct sigaction previous_[kEndingSignalCount] {};
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
        : control_(control), terminal_(isatty(STDERR_FILENO) == 1) {
        // Without a thread to spare (a process limit) the study runs without
        // progress lines rather than not at all.
        try {
            thread_ = std::thread([this] { Run(); });
        } catch (const std::system_error&) {
        }
    }
    ~ProgressReport() {
        if (!thread_.joinable()) return;
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
// The first failure is said once, with its reason.
class ResultsOutput {
  public:
    explicit ResultsOutput(const std::string& fileName) : fileName_(fileName) {}

    bool Open(UnitSystem units) {
        if (!fileName_.empty()) error_ = file_.Begin(fileName_);
        return Write(study::ResultsHeaderLine(units));
    }

    bool Write(const std::string& line) {
        if (error_ == 0)
            error_ = fileName_.empty() ? WriteToDescriptor(STDOUT_FILENO, line) : file_.Write(line);
        return WrittenSoFar();
    }

    bool Close() {
        if (!fileName_.empty() && error_ == 0) error_ = file_.Commit();
        if (error_ != 0) file_.Abandon();
        return WrittenSoFar();
    }

  private:
    // True while all is well; else says why, the first time.
    bool WrittenSoFar() {
        if (error_ == 0) return true;
        if (!said_) {
            std::cerr << (fileName_.empty() ? "standard output" : fileName_)
                      << ": cannot be written (" << std::strerror(error_) << ")\n";
            said_ = true;
        }
        return false;
    }

    std::string fileName_;
    FileReplacement file_;
    int error_ = 0;
    bool said_ = false;
};

int JobsOrCores(int jobs) { return jobs > 0 ? jobs : DefaultThreads(); }

// Runs the rows, writes their results in order and gives the exit status.
int RunRowsToResults(const std::vector<study::CaseRow>& rows, int jobs,
                     const std::string& reportsFolder, const std::string& outFile, UnitSystem units,
                     const study::ResultHandler& alsoDeliver = {}) {
    ResultsOutput output(outFile);
    if (!output.Open(units)) return 2;
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
            // Results that reach nobody are not worth the hours of the rest.
            if (!written) control.Stop = true;
            status = std::max(status, static_cast<int>(result.Status));
            if (alsoDeliver) alsoDeliver(result);
        });
    }
    if (outcome.End == study::StudyEnd::FolderFailed) {
        std::cerr << "pelorin-cli: " << outcome.Message << '\n';
        output.Close();
        return 2;
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

namespace {

// A file named on the command line that cannot be read, said by its reason.
bool RefusedUnread(const std::string& fileName) {
    const std::string refusal = NamedFileRefusal(fileName);
    if (refusal.empty()) return false;
    std::cerr << fileName << ": " << refusal << '\n';
    return true;
}

bool Refused(const char* command, const std::string& refusal) {
    if (refusal.empty()) return false;
    std::cerr << "pelorin-cli " << command << ": " << refusal << '\n';
    return true;
}

// A row whose files would not fit in the folder by the length of their names
// fails by that, before anything of it is written.
void RefuseNamesTooLong(std::vector<study::CaseRow>& rows, const std::string& folder) {
    const long longest = LongestNameIn(folder);
    for (study::CaseRow& row : rows) {
        if (!row.Defect.empty() || static_cast<long>(row.Name.size()) + 4 <= longest) continue;
        row.Defect = "the name is too long for the folder " + folder + " (" +
                     std::to_string(row.Name.size()) + " bytes; its files take " +
                     std::to_string(longest - 4) + " at most before .inp)";
    }
}

std::string BatchClash(const BatchOptions& options, const std::vector<study::CaseRow>& rows) {
    CommandFiles files;
    files.Reads("the table of cases", options.CasesFile);
    files.Writes("--out", options.OutFile);
    if (!options.ReportsFolder.empty()) {
        std::vector<std::string> names;
        names.reserve(rows.size());
        for (const study::CaseRow& row : rows)
            if (study::CaseNameProblem(row.Name).empty()) names.push_back(row.Name);
        files.KeepsIn(options.ReportsFolder, names);
    }
    return files.Clash();
}

// Why the chart cannot be written by its name; empty when it can.
std::string ChartNameRefusal(const std::string& chartFile) {
    if (chartFile.empty()) return "--chart needs a file name (.png, .svg or .pdf)";
    if (!study::ChartFormatOf(chartFile))
        return "--chart " + chartFile + ": a chart is written as .png, .svg or .pdf";
    return {};
}

}  // namespace

int RunBatchCommand(const BatchOptions& options) {
    if (RefusedUnread(options.CasesFile)) return 2;
    if (!options.ReportsFolder.empty() &&
        Refused("batch", ReportsFolderRefusal(options.ReportsFolder)))
        return 2;
    study::CaseTable table =
        study::ReadCaseTable(options.CasesFile, options.ShardIndex, options.ShardCount);
    if (!table.Ok) {
        std::cerr << table.Message << '\n';
        return 2;
    }
    std::vector<study::CaseRow> rows = std::move(table.Rows);
    if (Refused("batch", BatchClash(options, rows))) return 2;
    if (!options.ReportsFolder.empty()) RefuseNamesTooLong(rows, options.ReportsFolder);
    for (study::CaseRow& row : rows) row.Units = options.Units;
    return RunRowsToResults(rows, options.Jobs, options.ReportsFolder, options.OutFile,
                            options.Units);
}

int RunSweepCommand(const SweepOptions& options) {
    if (RefusedUnread(options.InputFile)) return 2;
    CommandFiles files;
    files.Reads("the input file", options.InputFile);
    files.Writes("--out", options.OutFile);
    files.Writes("--chart", options.ChartFile);
    if (Refused("sweep", files.Clash())) return 2;
    if (options.ChartGiven && Refused("sweep", ChartNameRefusal(options.ChartFile))) return 2;
    const InputReadResult input = ReadInputFile(options.InputFile);
    if (input.Status != FileStatus::Ok) {
        for (const std::string& message : input.Messages)
            std::cerr << options.InputFile << ": " << SpacedMessage(message) << '\n';
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
    const study::SweepPlan plan = study::PlanSweep(input.Case, StemOf(options.InputFile),
                                                   variations, options.BothMethods, options.Units);
    if (!plan.Problem.empty()) {
        std::cerr << "pelorin-cli sweep: " << plan.Problem << '\n';
        return 2;
    }
#ifndef PELORIN_WITH_STUDY_CHART
    if (options.ChartGiven) {
        std::cerr << "pelorin-cli sweep: this build draws no charts (it has no Qt)\n";
        return 2;
    }
#endif
    study::SweepChart chart =
        study::ChartFor(input.Case, plan, variations, options.BothMethods, options.Units);
    int status =
        RunRowsToResults(plan.Rows, options.Jobs, {}, options.OutFile, options.Units,
                         [&](const CaseResult& result) { study::AddToChart(chart, result); });
#ifdef PELORIN_WITH_STUDY_CHART
    if (options.ChartGiven) {
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
