#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "BackgroundJob.h"
#include "RunSink.h"
#include "UserDialogs.h"

namespace pelorin {

// The worker's side of a run: progress lines go to the window as they come, a
// message waits until the user has acknowledged it, pauses sleep on the worker
// (ending early when a stop is asked), and the stop request is looked at by
// the engine.
class RunChannel : public RunSink {
  public:
    RunChannel(BackgroundJob& job, UserDialogs& dialogs,
               std::function<void(const QString&)> addLine);

    void AddProgressLine(const std::string& line) override;
    void ShowMessage(const std::string& message) override;
    bool StopRequested() override { return stop_.load(); }

    void Pause(std::chrono::milliseconds length);
    void RequestStop();
    // A new run: no stop asked yet.
    void Reset() { stop_ = false; }

  private:
    BackgroundJob& job_;
    UserDialogs& dialogs_;
    std::function<void(const QString&)> addLine_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
};

}  // namespace pelorin
