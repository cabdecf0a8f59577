#pragma once

#include <string>
#include <vector>

namespace pelorin::graph {

// pelorin-cli graph [--bw] REPORT IMAGE: draws the water table of a report and
// writes it as a Windows bitmap, or as PNG, SVG or PDF when IMAGE ends in
// ".png", ".svg" or ".pdf".
// `arguments` are those after "graph". Returns the exit status: 0 when the
// picture was written, 2 (with a message on standard error) otherwise.
int RunGraphCommand(const std::vector<std::string>& arguments);

}  // namespace pelorin::graph
