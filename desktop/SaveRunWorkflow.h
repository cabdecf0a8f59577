#pragma once

#include <QObject>

#include <chrono>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "DesktopSession.h"
#include "DrainageCase.h"
#include "InputChecks.h"
#include "InputSheet.h"
#include "OutputSheet.h"
#include "RunChannel.h"
#include "SheetHost.h"
#include "UserDialogs.h"

namespace pelorin {

// What the worker is given: the input file just saved, and where its error
// list goes (beside it: the desktop never changes the current folder).
struct DispatchJob {
    std::string AimCode;
    std::string InputFile;
    std::string ErrorListFile;
    std::chrono::milliseconds Pause{500};
};

// How far a dispatch came.
struct DispatchState {
    enum class End { UnknownAim, Refused, Completed };
    End Outcome = End::UnknownAim;
    bool CheckReached = false;
    std::vector<std::string> ErrorLines;  // of a refused case
    std::vector<std::string> Notes;       // of the file layer on the error list
    // Of a completed case: the report as written, where, and the run's messages.
    std::string ReportFile;
    std::string Report;
    std::vector<std::string> Messages;
    // Its figures, typed, for the results in the user's units.
    CalcAim Aim = CalcAim::Spacing;
    CaseResults Results;
};

// Save/Run: from the Input sheet to an input file, and on the user's yes to
// the input check and the engine of the case's aim and method, which run on a
// worker thread while the window goes on serving its events and shows their
// progress. The workflow goes on when the run has ended, from the window's
// event loop.
class SaveRunWorkflow : public QObject {
    Q_OBJECT
  public:
    SaveRunWorkflow(DesktopSession& session, UserDialogs& dialogs, SheetHost& host,
                    WorkflowFlags& flags, InputSheet& input, OutputSheet& output,
                    char decimalSeparator, std::function<void(bool)> setRunLock,
                    QObject* parent = nullptr);
    // A run still under way is stopped, and waited for.
    ~SaveRunWorkflow() override;

    // Save/Run. While a run is under way (the action is locked then), a
    // further Save/Run is ignored.
    void InputSaveExecute();
    bool AskInputFileName();
    void ShowCheckFailure();

    bool Running() const { return job_.Running(); }
    void CancelRun() { channel_.RequestStop(); }
    // Cancels the run because the program ends: no message follows the run,
    // and StoppedToEnd is emitted once it has stopped.
    void CancelRunToEnd();

  signals:
    void StoppedToEnd();
    // A run has ended and the workflow has done with it: its messages have
    // been shown and the sheets show its outcome.
    void RunEnded();
    // A run wrote its report: where, its bytes, and the messages the run gave,
    // which the report does not keep (the design sheet shows them).
    void ReportWritten(const std::string& reportFile, const std::string& report,
                       const std::vector<std::string>& messages);

  public:
    // The pause after each line of the progress box.
    std::chrono::milliseconds PauseLength{500};

  private:
    bool TitlesFitTheFile(const QString& titles);
    bool ChooseInputName();
    bool GatherCase(const QString& title1, const QString& title2);
    bool WriteCase();
    // The dispatcher on the worker; FinishRun follows on the window's thread.
    void StartRun();
    void FinishRun(std::exception_ptr failure);
    // What the window does with the run's end; true when the engine has
    // written its report.
    bool ShowRunOutcome(const std::optional<QString>& failure);
    void ShowReportMade();

    DesktopSession& session_;
    UserDialogs& dialogs_;
    SheetHost& host_;
    WorkflowFlags& flags_;
    InputSheet& input_;
    OutputSheet& output_;
    const char separator_;
    bool endAfterRun_ = false;
    std::function<void(bool)> setRunLock_;
    BackgroundJob job_;
    RunChannel channel_;
    DispatchJob dispatch_;
    DispatchState state_;
};

// The error list of an input file: Error.lst in the input file's folder.
std::string ErrorListBeside(const std::string& inputFile);

// The dispatcher's work on the worker: progress lines, the input check and,
// for an accepted case, the announcement and the engine. A stop request or a
// fault ends it with RunError.
void DispatchOnWorker(const DispatchJob& job, DispatchState& state, RunChannel& channel);
// Between the check and the engine: the stale error list goes, and the user
// is told the calculation starts.
void AnnounceCalculation(const DispatchJob& job, RunChannel& channel);

}  // namespace pelorin
