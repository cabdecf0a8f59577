#include "SaveRunWorkflow.h"

#include <algorithm>
#include <optional>
#include <vector>

#include <QFileInfo>

#include "Calculate.h"
#include "CaseFiles.h"
#include "FieldNumbers.h"
#include "FileNameRules.h"
#include "InputChecks.h"
#include "PlausibilityRules.h"
#include "QtText.h"
#include "ReportNames.h"
#include "RunError.h"

namespace pelorin {

namespace {

void StopIfRequested(RunChannel& channel) {
    if (channel.StopRequested()) throw RunError(Fault::Cancelled);
}

}  // namespace

std::string ErrorListBeside(const std::string& inputFile) {
    const std::size_t slash = inputFile.find_last_of('/');
    if (slash == std::string::npos) return kErrorListFile;
    return inputFile.substr(0, slash + 1) + kErrorListFile;
}

void AnnounceCalculation(const DispatchJob& job, RunChannel& channel) {
    channel.AddProgressLine(" Calculating .....");
    channel.Pause(job.Pause);
    channel.AddProgressLine(" Please wait .....");
    channel.Pause(job.Pause);
}

namespace {

// The desktop's side of a run through the one dispatcher: the run's lines,
// messages and stop request go through the window's channel, and an accepted
// case is announced with the desktop's own lines and pauses.
class DesktopRun : public RunSink {
  public:
    DesktopRun(const DispatchJob& job, DispatchState& state, RunChannel& channel)
        : job_(job), state_(state), channel_(channel) {}

    void AddProgressLine(const std::string& line) override { channel_.AddProgressLine(line); }
    void ShowMessage(const std::string& message) override { channel_.ShowMessage(message); }
    bool StopRequested() override { return channel_.StopRequested(); }
    void CaseAccepted() override {
        state_.CheckReached = true;
        AnnounceCalculation(job_, channel_);
        StopIfRequested(channel_);
    }

  private:
    const DispatchJob& job_;
    DispatchState& state_;
    RunChannel& channel_;
};

}  // namespace

namespace {

// A file the run could not read ends it as a fault of the file layer would.
[[noreturn]] void ThrowReadFailure(const FileRun& run) {
    if (run.ReadStatus == FileStatus::CannotOpen) throw RunError(run.ReadFault);
    throw RunError(Fault::InvalidNumericInput,
                   run.ReadMessages.empty() ? std::string() : run.ReadMessages.front());
}

}  // namespace

void DispatchOnWorker(const DispatchJob& job, DispatchState& state, RunChannel& channel) {
    channel.AddProgressLine(" Saving input ....");
    channel.Pause(job.Pause);
    StopIfRequested(channel);
    if (!AimFromCode(job.AimCode)) {
        state.Outcome = DispatchState::End::UnknownAim;
        return;
    }
    FileRunOptions options;
    options.Threads = DefaultThreads();
    options.ErrorListFile = job.ErrorListFile;
    DesktopRun sink(job, state, channel);
    FileRun run = RunInputFile(job.InputFile, sink, options);
    if (!run.Ran()) ThrowReadFailure(run);
    state.Notes = std::move(run.Notes);
    CaseOutcome& outcome = run.Outcome;
    state.CheckReached = true;
    switch (outcome.End) {
        case CaseEnd::Refused:
            state.ErrorLines = std::move(outcome.ErrorLines);
            state.Outcome = DispatchState::End::Refused;
            return;
        case CaseEnd::Failed: throw RunError(outcome.FailureKind, outcome.FailureMessage);
        case CaseEnd::Reported: break;
    }
    channel.AddProgressLine(" Writing output ..");
    channel.Pause(job.Pause);
    state.ReportFile = run.ReportPath;
    state.Report = std::move(outcome.Report);
    state.Messages = std::move(outcome.Messages);
    state.Aim = AimFromCode(job.AimCode).value_or(CalcAim::Spacing);
    state.Results = std::move(outcome.Results);
    state.Outcome = DispatchState::End::Completed;
}

SaveRunWorkflow::SaveRunWorkflow(DesktopSession& session, UserDialogs& dialogs, SheetHost& host,
                                 WorkflowFlags& flags, InputSheet& input, OutputSheet& output,
                                 char decimalSeparator, std::function<void(bool)> setRunLock,
                                 QObject* parent)
    : QObject(parent),
      session_(session),
      dialogs_(dialogs),
      host_(host),
      flags_(flags),
      input_(input),
      output_(output),
      separator_(decimalSeparator),
      setRunLock_(std::move(setRunLock)),
      channel_(job_, dialogs, [this](const QString& line) { input_.AddWaitLine(line); }) {
    connect(&input_, &InputSheet::CancelRunRequested, this, &SaveRunWorkflow::CancelRun);
}

SaveRunWorkflow::~SaveRunWorkflow() {
    channel_.RequestStop();
    job_.Wait();
}

bool SaveRunWorkflow::AskInputFileName() {
    flags_.SaveCancelled = false;
    const QString chosen = host_.ChooseFile(MainDialog::InputSave);
    if (chosen.isEmpty()) {
        flags_.SaveCancelled = true;
        return false;
    }
    session_.CurrentFileName = FileNameToStd(chosen);
    if (QFileInfo::exists(chosen))
        return dialogs_.AskYesNo(QStringLiteral("The file already exists, overwrite?"));
    return true;
}

void SaveRunWorkflow::CancelRunToEnd() {
    endAfterRun_ = true;
    channel_.RequestStop();
}

void SaveRunWorkflow::InputSaveExecute() {
    if (Running()) return;
    const QString title1 = input_.Title1_Edit->text().normalized(QString::NormalizationForm_C);
    const QString title2 = input_.Title2_Edit->text().normalized(QString::NormalizationForm_C);
    if (!TitlesFitTheFile(title1 + title2) || !ChooseInputName() || !GatherCase(title1, title2) ||
        !WriteCase())
        return;
    // Until this case has been calculated, the Output sheet must not pass
    // off an earlier report as its own.
    flags_.CaseSavedWithoutRun = true;
    flags_.SavedInputFile = session_.CurrentFileName;
    input_.SetCurrentInputFile(FileNameFromStd(session_.CurrentFileName));
    if (!dialogs_.AskYesNo(QStringLiteral("The input data were saved in  ") +
                           FileNameFromStd(session_.CurrentFileName) +
                           QStringLiteral(" . Do you wish to do the calculations?"))) {
        dialogs_.ShowMessage(
            QStringLiteral("The calculations were not made, output is not available"));
        return;
    }
    StartRun();
}

void SaveRunWorkflow::ShowReportMade() {
    dialogs_.ShowMessage(QStringLiteral("The calculations were made and the output is found in ") +
                         FileNameFromStd(WithExtension(session_.CurrentFileName, ".out")) +
                         QStringLiteral(" . Proceed to the output tabsheet to see the results"));
    input_.HideWaitMemo();
    host_.SetGraphInColour(true);
    host_.BringToFront(Sheet::Output);
}

// Input files are single-byte text: a title the file cannot hold is refused
// before anything is asked or written.
bool SaveRunWorkflow::TitlesFitTheFile(const QString& titles) {
    const QString foreign = CharactersOutsideLatin1(titles);
    if (foreign.isEmpty()) return true;
    dialogs_.ShowMessage(QString::fromLatin1(kForeignTitlesLead) + foreign +
                         QString::fromLatin1(kForeignTitlesEnd));
    return false;
}

// Asks for the input file's name until it has at most one dot.
bool SaveRunWorkflow::ChooseInputName() {
    for (;;) {
        if (!AskInputFileName() || flags_.SaveCancelled) {
            dialogs_.ShowMessage(QStringLiteral("The input data were not saved"));
            return false;
        }
        if (const std::string refusal = InputNameRefusal(session_.CurrentFileName);
            !refusal.empty()) {
            dialogs_.ShowMessage(FromFileText(refusal));
            return false;
        }
        if (DotsInFileName(session_.CurrentFileName) <= 1) return true;
        dialogs_.ShowMessage(
            QStringLiteral("The number of dots (.) in the file name should not be greater than 1. "
                           "Please adjust."));
    }
}

// The case of the sheet into the session, if its numbers are numbers and
// pass the plausibility checks.
bool SaveRunWorkflow::GatherCase(const QString& title1, const QString& title2) {
    InputCase& input = session_.Input;
    input.Title1 = ToFileText(title1);
    input.Title2 = ToFileText(title2);
    input.AimCode = AimCodeOf(input_.SelectedAim());
    try {
        input.Values =
            ValuesFromRows(input_.SelectedAim(), input_.RowTexts(), separator_, input_.Units());
    } catch (const ConversionError&) {
        dialogs_.ShowMessage(QStringLiteral("There are invalid entries"));
        return false;
    }
    if (const auto refusal = ValidateInput(input)) {
        dialogs_.ShowMessage(FromFileText(*refusal));
        return false;
    }
    input.MethodCode = MethodCodeOf(input_.RunMethod());
    return true;
}

// The case goes to the name with ".inp" and, when the chosen name has another
// extension, to the chosen name as well: that is the file the run reads.
bool SaveRunWorkflow::WriteCase() {
    std::vector<std::string> names = {WithExtension(session_.CurrentFileName, ".inp")};
    if (names.front() != session_.CurrentFileName) names.push_back(session_.CurrentFileName);
    for (const std::string& name : names) {
        const FileWriteResult written = session_.WriteInputFile(name);
        if (written.Status != FileStatus::Ok) {
            dialogs_.ShowMessage(FromFileText(written.Message));
            return false;
        }
    }
    return true;
}

void SaveRunWorkflow::StartRun() {
    input_.ShowWaitMemo();
    flags_.CheckFailed = false;
    dispatch_ = DispatchJob();
    dispatch_.AimCode = session_.Input.AimCode;
    dispatch_.Pause = PauseLength;
    dispatch_.InputFile = session_.CurrentFileName;
    dispatch_.ErrorListFile = ErrorListBeside(session_.CurrentFileName);
    state_ = DispatchState();
    channel_.Reset();
    setRunLock_(true);
    job_.Start([this] { DispatchOnWorker(dispatch_, state_, channel_); },
               [this](std::exception_ptr failure) { FinishRun(failure); });
}

namespace {

// What the user is told of a run that ended with a fault or was cancelled.
std::optional<QString> FailureText(std::exception_ptr failure) {
    if (!failure) return std::nullopt;
    try {
        std::rethrow_exception(failure);
    } catch (const RunError& error) {
        return error.Kind() == Fault::Cancelled
                   ? QStringLiteral("The calculations were cancelled, output is not available")
                   : FromFileText(error.what());
    } catch (const std::exception& error) {
        return QString::fromLocal8Bit(error.what());
    }
}

}  // namespace

void SaveRunWorkflow::FinishRun(std::exception_ptr failure) {
    setRunLock_(false);
    const bool completed = ShowRunOutcome(FailureText(failure));
    if (endAfterRun_) {
        endAfterRun_ = false;
        emit StoppedToEnd();
    } else if (completed) {
        ShowReportMade();
    }
    emit RunEnded();
}

bool SaveRunWorkflow::ShowRunOutcome(const std::optional<QString>& failure) {
    flags_.RunDone = flags_.RunDone || state_.CheckReached;
    for (const std::string& note : state_.Notes) dialogs_.ShowMessage(FromFileText(note));
    // The program is ending: nothing more is shown.
    if (endAfterRun_) return false;
    if (failure) {
        // A run that did not end with a report leaves the sheet as it was
        // before the run, the progress box put away.
        input_.HideWaitMemo();
        dialogs_.ShowMessage(*failure);
        return false;
    }
    switch (state_.Outcome) {
        case DispatchState::End::UnknownAim:
            input_.HideWaitMemo();
            dialogs_.ShowMessage(QStringLiteral(
                "The run file could not be found or opened.  No calculations were made."));
            return false;
        case DispatchState::End::Refused:
            flags_.CaseSavedWithoutRun = false;
            session_.ErrorLines = state_.ErrorLines;
            session_.ErrorListFile = dispatch_.ErrorListFile;
            ShowCheckFailure();
            return false;
        case DispatchState::End::Completed:
            flags_.CaseSavedWithoutRun = false;
            output_.RememberRunResults(state_.Aim, state_.Results);
            emit ReportWritten(state_.ReportFile, state_.Report, state_.Messages);
            return true;
    }
    return false;
}

void SaveRunWorkflow::ShowCheckFailure() {
    flags_.OutputShown = false;
    host_.HideFigureWindow();
    output_.HideFigureButton();
    input_.HideWaitMemo();
    flags_.CheckFailed = true;
    host_.BringToFront(Sheet::Output);
}

}  // namespace pelorin
