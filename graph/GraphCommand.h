#pragma once

#include <string>

#include "Units.h"

namespace pelorin::graph {

// What "pelorin-cli graph [--bw] REPORT IMAGE" asks for.
struct GraphArguments {
    bool InColour = true;
    UnitSystem Units = UnitSystem::SI;  // the axes in m or in ft
    std::string Report;
    std::string Image;
};

// Draws the water table of a report and writes it as a Windows bitmap, or as
// PNG, SVG or PDF when the image name ends in ".png", ".svg" or ".pdf".
// Returns the exit status: 0 when the
// picture was written, 2 (with a message on standard error) otherwise.
int RunGraphCommand(const GraphArguments& arguments);

}  // namespace pelorin::graph
