#include "RunChannel.h"

#include <utility>

#include "QtText.h"

namespace pelorin {

RunChannel::RunChannel(BackgroundJob& job, UserDialogs& dialogs,
                       std::function<void(const QString&)> addLine)
    : job_(job), dialogs_(dialogs), addLine_(std::move(addLine)) {}

void RunChannel::AddProgressLine(const std::string& line) {
    job_.Post([this, text = FromFileText(line)] { addLine_(text); });
}

// A run that is being stopped shows no more messages: the user has asked for
// it to end, and a message box coming up after that would hold the end (and
// the end of the program) until it was answered.
void RunChannel::ShowMessage(const std::string& message) {
    if (stop_.load()) return;
    job_.PostAndWait([this, text = FromFileText(message)] {
        if (!stop_.load()) dialogs_.ShowMessage(text);
    });
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

}  // namespace pelorin
