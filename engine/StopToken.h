#pragma once

#include <atomic>
#include <cstdint>

#include "RunError.h"
#include "RunSink.h"

namespace pelorin {

// How many march steps may pass between two looks at the stop request: about a
// millisecond of marching.
inline constexpr std::int64_t kStepsBetweenStopChecks = 100000;

// The one way a run learns that it is to stop: the user's request, asked of the
// run's sink, and for work run ahead on another thread also the search's word
// that the work is no longer needed. The searches look at it before every
// trial, the midway-head bisection after every march, and the marches and the
// profile every kStepsBetweenStopChecks steps. Copies are cheap; a token never
// asks to stop when made without a sink.
class StopToken {
  public:
    StopToken() = default;
    explicit StopToken(RunSink& sink) : sink_(&sink) {}
    // The token of work run ahead: stops when `abandoned` is set, or when the
    // run it serves stops.
    StopToken(const StopToken& run, const std::atomic<bool>& abandoned)
        : sink_(run.sink_), abandoned_(&abandoned) {}

    bool Requested() const {
        if (abandoned_ != nullptr && abandoned_->load(std::memory_order_relaxed)) return true;
        return sink_ != nullptr && sink_->StopRequested();
    }

    // Ends the run with Fault::Cancelled when a stop is requested.
    void ThrowIfRequested() const {
        if (Requested()) throw RunError(Fault::Cancelled);
    }

  private:
    RunSink* sink_ = nullptr;
    const std::atomic<bool>* abandoned_ = nullptr;
};

}  // namespace pelorin
