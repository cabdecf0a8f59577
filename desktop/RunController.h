#pragma once

#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "RunSink.h"
#include "UserDialogs.h"

namespace pelorin {

// The worker's side of a run: progress lines go to the window as they come, a
// message waits until the user has acknowledged it, pauses sleep on the worker
// (ending early when a stop is asked), and the stop request is polled.
class RunChannel : public RunSink {
  public:
    RunChannel(QObject* window, UserDialogs& dialogs, std::function<void(const QString&)> addLine);

    void AddProgressLine(const std::string& line) override;
    void ShowMessage(const std::string& message) override;
    bool StopRequested() override { return stop_.load(); }

    void Pause(std::chrono::milliseconds length);
    void RequestStop();

  private:
    QObject* window_;
    UserDialogs& dialogs_;
    std::function<void(const QString&)> addLine_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
};

// Runs a piece of work on a worker thread while the window goes on painting.
// Run returns when the work is done; an exception of the work is thrown again
// in the window's thread.
class RunController : public QObject {
    Q_OBJECT
  public:
    RunController(UserDialogs& dialogs, std::function<void(const QString&)> addLine,
                  QObject* parent = nullptr);

    void Run(const std::function<void(RunChannel&)>& work);
    bool Running() const { return channel_ != nullptr; }
    // Asks the running work to stop; it ends with Fault::Cancelled.
    void RequestStop();

  private:
    UserDialogs& dialogs_;
    std::function<void(const QString&)> addLine_;
    RunChannel* channel_ = nullptr;
};

}  // namespace pelorin
