#include "RunController.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>

#include <exception>
#include <thread>

#include "QtText.h"

namespace pelorin {

RunChannel::RunChannel(QObject* window, UserDialogs& dialogs,
                       std::function<void(const QString&)> addLine)
    : window_(window), dialogs_(dialogs), addLine_(std::move(addLine)) {}

void RunChannel::AddProgressLine(const std::string& line) {
    QMetaObject::invokeMethod(
        window_, [this, text = FromFileText(line)] { addLine_(text); }, Qt::QueuedConnection);
}

// A run that is being stopped shows no more messages: the user has asked for
// it to end, and a message box coming up after that would hold the end (and
// the end of the program) until it was answered.
void RunChannel::ShowMessage(const std::string& message) {
    if (stop_.load()) return;
    QMetaObject::invokeMethod(
        window_,
        [this, text = FromFileText(message)] {
            if (!stop_.load()) dialogs_.ShowMessage(text);
        },
        Qt::BlockingQueuedConnection);
}

void RunChannel::Pause(std::chrono::milliseconds length) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, length, [this] { return stop_.load(); });
}

void RunChannel::RequestStop() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
}

RunController::RunController(UserDialogs& dialogs, std::function<void(const QString&)> addLine,
                             QObject* parent)
    : QObject(parent), dialogs_(dialogs), addLine_(std::move(addLine)) {}

void RunController::Run(const std::function<void(RunChannel&)>& work) {
    RunChannel channel(this, dialogs_, addLine_);
    channel_ = &channel;
    QEventLoop loop;
    std::exception_ptr failure;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        try {
            work(channel);
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // The window keeps painting and shows the progress lines while the work
    // runs; the caller has locked everything but the Cancel button. Should the
    // application be ending meanwhile, the work is stopped, and events are
    // still served until it has finished, so that a message it waits on can
    // be answered.
    loop.exec();
    while (!done) {
        channel.RequestStop();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    worker.join();
    // Lines posted just before the end are shown before the caller goes on.
    QCoreApplication::sendPostedEvents(this);
    channel_ = nullptr;
    if (failure) std::rethrow_exception(failure);
}

void RunController::RequestStop() {
    if (channel_ != nullptr) channel_->RequestStop();
}

}  // namespace pelorin
