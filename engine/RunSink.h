#pragma once

#include <string>
#include <vector>

namespace pelorin {

// How an engine reaches the user while it runs: a progress line for the wait
// box, and a message that the user must acknowledge before the run goes on.
class RunSink {
  public:
    virtual ~RunSink() = default;
    virtual void AddProgressLine(const std::string& line) = 0;
    virtual void ShowMessage(const std::string& message) = 0;
    // Polled between trials and marches and every so many march steps; a true
    // answer ends the run with Fault::Cancelled. With more than one thread it
    // may be asked from several threads at once.
    virtual bool StopRequested() { return false; }
    // Called by Calculate once the input check has accepted the case and
    // the error list is gone, just before the engine starts.
    virtual void CaseAccepted() {}
};

// A sink that drops what it is given (benchmarks, fuzzing).
class SilentSink : public RunSink {
  public:
    void AddProgressLine(const std::string&) override {}
    void ShowMessage(const std::string&) override {}
};

// Holds back the messages of a part of a run whose result may be thrown away,
// and passes everything else on: Deliver() gives the messages held to the sink
// in their order.
class DeferredMessages : public RunSink {
  public:
    explicit DeferredMessages(RunSink& sink) : sink_(sink) {}
    void AddProgressLine(const std::string& line) override { sink_.AddProgressLine(line); }
    void ShowMessage(const std::string& message) override { held_.push_back(message); }
    bool StopRequested() override { return sink_.StopRequested(); }
    void Deliver() {
        for (const std::string& message : held_) sink_.ShowMessage(message);
        held_.clear();
    }

  private:
    RunSink& sink_;
    std::vector<std::string> held_;
};

// A sink that keeps what it is given (tests).
class RecordingSink : public RunSink {
  public:
    void AddProgressLine(const std::string& line) override { lines += line + "\n"; }
    void ShowMessage(const std::string& message) override { messages += message + "\n"; }
    std::string lines;
    std::string messages;
};

}  // namespace pelorin
