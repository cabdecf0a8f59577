#pragma once

#include "StopToken.h"

namespace pelorin {

// What a run gives the searches, bisections and marches of its engine besides
// the case: the one stop check and how many threads they may use between them.
// The case holds the drainage problem and the state of its marches; how the
// work is shared out belongs to the run, and a search gives the same results,
// in the same order, with any number of threads.
struct RunContext {
    StopToken stop;
    int threads = 1;
};

}  // namespace pelorin
