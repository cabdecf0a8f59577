#pragma once

// The profile routine: the flow geometry of a case, the two marches, the
// midway-head bisection and the profile table, each in a room of its own.

#include "FlowGeometry.h"
#include "Marches.h"
#include "MidHeadBisection.h"
#include "ProfileTable.h"
