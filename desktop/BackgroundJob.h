#pragma once

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace pelorin {

// One piece of work on a thread of its own, for a window. Whatever the work
// hands back (its progress, its results, its end) reaches the window's thread
// as queued calls that the window's own event loop serves: the window neither
// waits for the work nor looks at it in turns. A call the work must see
// answered before it goes on (a message the user acknowledges) holds the
// worker, never the window.
class BackgroundJob : public QObject {
  public:
    explicit BackgroundJob(QObject* parent = nullptr) : QObject(parent) {}
    // Waits for a work still under way; its owner has asked it to stop.
    ~BackgroundJob() override;
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Starts `work` on a new thread. `ended` is called on the window's thread
    // after every call the work posted, with what the work threw (null when
    // it returned). Refused (false, nothing started) while a work is under way.
    bool Start(std::function<void()> work, std::function<void(std::exception_ptr)> ended);
    // From the start until `ended` has been called or the work waited for.
    bool Running() const { return running_; }

    // From the work: `call` runs on the window's thread, in the order posted.
    void Post(std::function<void()> call);
    // From the work: `call` runs on the window's thread, and the work waits
    // until it has run, or until Wait gives up waiting for the window.
    void PostAndWait(std::function<void()> call);

    // On the window's thread: waits until the thread of the work has ended
    // (its owner has asked it to stop), without serving the window's events.
    // A work held in PostAndWait goes on at once, and waits for no other call.
    // What the work posted, and `ended`, still come through the event loop,
    // unless the job is destroyed or another work started first: calls of an
    // earlier work are dropped.
    void Wait();

  private:
    void Finish(int generation, std::exception_ptr failure);

    std::thread thread_;
    std::function<void(std::exception_ptr)> ended_;
    bool running_ = false;
    // Counts the works started; a call carries the count of the work that
    // posted it. Changed only while no work is under way.
    std::atomic<int> generation_{0};
    std::mutex mutex_;
    std::condition_variable answered_;
    bool waitingForWindow_ = false;
    bool abandoned_ = false;
};

}  // namespace pelorin
