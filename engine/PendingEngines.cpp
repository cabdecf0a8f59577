#include "Engines.h"
#include "RunError.h"

namespace pelorin {

namespace {
[[noreturn]] void NotBuilt(const char* aim) {
    throw RunError(Fault::SearchFailed, std::string(" The ") + aim +
                                            " aim is not built yet in this version.");
}
}  // namespace

void DarDisc(DrainageCase&, RunSink&) { NotBuilt("drain discharge"); }
void EneDisc(DrainageCase&, RunSink&) { NotBuilt("drain discharge"); }
void HydrHead(DrainageCase&, RunSink&) { NotBuilt("water-table depth"); }
void DarCond(DrainageCase&, RunSink&) { NotBuilt("conductivity"); }
void EneCond(DrainageCase&, RunSink&) { NotBuilt("conductivity"); }

}  // namespace pelorin
