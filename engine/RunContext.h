#pragma once

#include "StopToken.h"

namespace pelorin {

class WorkerPool;

// What a run gives the searches, bisections and marches of its engine besides
// the case: the one stop check, how many threads they may use between them and
// the run's workers (threads − 1 of them, made once for the run; without them a
// search that runs ahead makes its own).
// The case holds the drainage problem and the state of its marches; how the
// work is shared out belongs to the run, and a search gives the same results,
// in the same order, with any number of threads.
struct RunContext {
    StopToken stop;
    int threads = 1;
    WorkerPool* workers = nullptr;
};

}  // namespace pelorin
