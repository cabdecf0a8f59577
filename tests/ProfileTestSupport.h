#pragma once

// Cases built by hand for the tests of the flow geometry, the marches, the
// midway-head bisection and the profile table.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "DrainageCase.h"
#include "NumberFormat.h"
#include "ProfileRoutine.h"
#include "ReportWriter.h"
#include "RunError.h"
#include "TestSupport.h"

namespace pelorin::test {

using pelorin::kProfileStep;

// Cases built by hand: the input numbers, the quantities the input check would
// derive, and the flow geometry.

struct Soil {
    double R = 0.005;
    double D1 = 2.5, D2 = 4.5, Dw = 1.0, Db = 1.25, E = 0.0, W = 0.0;
    double Ka = 0.5, Kb1 = 16.0, Kv1 = 4.0, Kb2 = 9.0, Kv2 = 1.0;
};

inline DrainageCase CaseOf(const Soil& s) {
    DrainageCase c;
    c.R = s.R;
    c.D1 = s.D1;
    c.D2 = s.D2;
    c.Dw = s.Dw;
    c.Db = s.Db;
    c.E = s.E;
    c.W = s.W;
    c.Ka = s.Ka;
    c.Kb1 = s.Kb1;
    c.Kv1 = s.Kv1;
    c.Kb2 = s.Kb2;
    c.Kv2 = s.Kv2;
    c.Thick1 = s.D1 - s.Dw;
    c.Thick2 = s.D2 - s.D1;
    c.DrainWaterDepth = s.Db - s.Dw;
    c.BottomBelowLayer1 = s.Db - s.D1;
    c.HalfWidth = s.W / 2;
    PrepareFlowGeometry(c);
    return c;
}

// A soil whose transmissivity is the same everywhere: the drain bottom lies at
// D2 and nothing above drain level carries flow, so T = Kb1·Thick1 = 2.
inline Soil ConstantTransmissivitySoil() {
    Soil s;
    s.R = 0.01;
    s.Ka = 0.0;
    s.Dw = 1.0;
    s.D1 = 3.0;
    s.D2 = 4.0;
    s.Db = 4.0;
    s.Kb1 = 1.0;
    s.Kv1 = 1.0;
    s.Kb2 = 0.0;
    s.Kv2 = 1.0;
    return s;
}

// The profile of a case at the given half spacing, written into memory.
struct Profile {
    DrainageCase c;
    std::vector<std::string> rows;
};

inline Profile ProfileOf(const Soil& soil, double halfSpacing, double energyMidHead = 0.5) {
    Profile result{CaseOf(soil), {}};
    DrainageCase& c = result.c;
    c.HalfSpacing = halfSpacing;
    c.EntranceHead = 2.0 * c.R * halfSpacing * c.E;
    c.EnergyMidHead = energyMidHead;
    ReportWriter report;
    WriteProfile(c, report);
    result.rows = SplitCrLf(report.Contents());
    return result;
}

// The seven numbers of a profile row: X, F*, G*/p, F, G/p, T1, T2.
inline std::vector<double> RowNumbers(const std::string& row) {
    std::vector<double> numbers;
    std::size_t pos = 0;
    while (pos < row.size()) {
        std::size_t used = 0;
        numbers.push_back(std::stod(row.substr(pos), &used));
        pos += used;
        while (pos < row.size() && row[pos] == ' ') ++pos;
    }
    return numbers;
}

}  // namespace pelorin::test
