#include "ProfileTable.h"

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <vector>

#include "FlowGeometry.h"
#include "GuardedArithmetic.h"
#include "ReportWriter.h"
#include "StepKernels.h"

namespace pelorin {
namespace {

constexpr double kProfileStep = 0.00001;

}  // namespace

// ---------------------------------------------------------------------------
// Row selection

ProfileRowSelector::ProfileRowSelector(std::int32_t firstStep, std::int32_t lastStep,
                                       std::int64_t n)
    : first_(firstStep), last_(lastStep), n_(n) {
    // A row other than the first and the last needs n | i, n | 2i or n | 4i,
    // and all of them are multiples of n / gcd(n, 4).
    candidateStride_ = n_ > 0 ? n_ / std::gcd<std::int64_t>(n_, 4) : 1;
}

bool ProfileRowSelector::Gives(std::int64_t i, bool& half, bool& quarter) const {
    // The scan's first candidate, j = 0, already catches the first and the last step.
    if (i == first_ || i == last_) return true;
    if (n_ <= 0) return false;
    // No j below i can hit, so the first hit is at j = i, then 2i, then 4i.
    if (i % n_ == 0) return true;
    if (!half && (2 * i) % n_ == 0 && 2 * i <= last_) {
        half = true;
        return true;
    }
    if (!quarter && (4 * i) % n_ == 0 && 4 * i <= last_) {
        quarter = true;
        return true;
    }
    return false;
}

bool ProfileRowSelector::Select(std::int64_t i) { return Gives(i, half_, quarter_); }

std::int64_t ProfileRowSelector::NextRow(std::int64_t from) const {
    if (from <= first_) return first_;
    std::int64_t candidate = (from + candidateStride_ - 1) / candidateStride_ * candidateStride_;
    for (; candidate < last_; candidate += candidateStride_) {
        bool half = half_;
        bool quarter = quarter_;
        if (Gives(candidate, half, quarter)) return candidate;
    }
    return last_;
}

// ---------------------------------------------------------------------------
// The profile

namespace {

// One step of the energy-balance water table, exactly as the profile table
// defines it. The first step starts at the entrance head and takes no
// correction; it is taken by First so that Next, the body of the long loop, has
// no test for it. It depends on nothing of the Darcy table.
template <DrainZone zone, class Real>
struct EnergyTable {
    const DrainageCase& c;
    Real p = kProfileStep;
    Real F = 0.0, GP = 0.0, T1 = 0.0, T2 = 0.0;

    void First(std::int64_t i) {
        F = c.EntranceHead;
        Take(i, Real(c.EntranceHead), false);
    }

    void Next(std::int64_t i) { Take(i, F + Real(0.5) * GP * p, true); }

    bool AllFinite() const {
        return std::isfinite(Value(F)) && std::isfinite(Value(GP)) && std::isfinite(Value(T1)) &&
               std::isfinite(Value(T2));
    }

  private:
    void Take(std::int64_t i, Real hmid, bool corrected) {
        const StepPlace<Real> at = PlaceOf<Real>(c, i, p);
        const Real rest = Real(c.HalfSpacing) - at.xc;
        T1 = Real(c.R) * rest / TransmissivityAt<zone, Real>(c, hmid, at.Y);
        const Real T2prev = T2;
        T2 = EnergyCorrection(hmid, c.EnergyMidHead, rest);
        GP = T1 + T2;
        if (corrected) Correct(T2prev);
        F = F + GP * p;
        F = F < Real(0.0001) ? Real(0.0001) : F;
    }

    // The gradient corrections as selects: which one applies depends on the
    // data and would make a branch that mispredicts. 0.5·T2prev of a finite
    // T2prev cannot fault, so computing it when it is not used changes nothing.
    void Correct(Real T2prev) {
        const bool reset = GP < Real(0.0) || T2 > Real(0.0);
        GP = reset ? T1 : GP;
        T2 = reset ? Real(0.0) : T2;
        const bool halve = T2 < T2prev;
        const Real half = Real(0.5) * T2prev;
        GP = halve ? T1 : GP;
        T2 = halve ? half : T2;
    }
};

// One step of the Darcy water table.
template <DrainZone zone, class Real>
struct DarcyTable {
    const DrainageCase& c;
    Real p = kProfileStep;
    Real FStar = 0.0, GStarP = 0.0;

    void First(std::int64_t i) {
        FStar = c.EntranceHead;
        Take(i, Real(c.EntranceHead));
    }

    void Next(std::int64_t i) { Take(i, FStar + Real(0.5) * GStarP * p); }

    bool AllFinite() const { return std::isfinite(Value(FStar)) && std::isfinite(Value(GStarP)); }

  private:
    void Take(std::int64_t i, Real hmidStar) {
        const StepPlace<Real> at = PlaceOf<Real>(c, i, p);
        const Real rest = Real(c.HalfSpacing) - at.xc;
        GStarP = Real(c.R) * rest / TransmissivityAt<zone, Real>(c, hmidStar, at.Y);
        FStar = FStar + GStarP * p;
        FStar = FStar < Real(0.0001) ? Real(0.0001) : FStar;
    }
};

// Both tables step by step, the energy balance first within a step: the order
// in which a guarded run meets its faults.
template <DrainZone zone, class Real>
struct ProfileStepper {
    EnergyTable<zone, Real> energy;
    DarcyTable<zone, Real> darcy;

    void First(std::int64_t i) {
        energy.First(i);
        darcy.First(i);
    }
    void Next(std::int64_t i) {
        energy.Next(i);
        darcy.Next(i);
    }
    bool AllFinite() const { return energy.AllFinite() && darcy.AllFinite(); }
};

// Runs the profile again with guarded arithmetic up to step `last`: it stops
// with the fault that the fast run met on its way there.
template <DrainZone zone>
void FindProfileFault(const DrainageCase& c, std::int64_t first, std::int64_t last, double T2start,
                      const StopToken& stop) {
    ProfileStepper<zone, Guarded> guarded{{c}, {c}};
    guarded.energy.T2 = T2start;
    guarded.First(first);
    StepWithStopChecks(first + 1, last, stop, [&](std::int64_t i) {
        guarded.Next(i);
        return true;
    });
}

// The values of one table row.
struct ProfileRow {
    double FStar = 0, GStarP = 0, F = 0, GP = 0, T1 = 0, T2 = 0;
    // Whether a value was no longer finite or a watched flag was raised on the
    // way to this row.
    bool faultSuspected = false;
};

void WriteRow(ReportWriter& report, double x, const ProfileRow& row) {
    report.Number(x, 6, 2);
    report.Number(row.FStar, 10, 4);
    report.Number(row.GStarP, 10, 4);
    report.Number(row.F, 10, 4);
    report.Number(row.GP, 10, 4);
    report.Number(row.T1, 10, 4);
    report.Number(row.T2, 10, 4);
    report.EndLine();
    report.Results().Profile.push_back({x, row.FStar, row.GStarP, row.F, row.GP, row.T1, row.T2});
}

// The values of both tables at a row step.
template <DrainZone zone>
void KeepRow(ProfileRow& row, const ProfileStepper<zone, double>& s, bool faultSuspected) {
    row.FStar = s.darcy.FStar;
    row.GStarP = s.darcy.GStarP;
    row.F = s.energy.F;
    row.GP = s.energy.GP;
    row.T1 = s.energy.T1;
    row.T2 = s.energy.T2;
    row.faultSuspected = faultSuspected;
}

// The steps that give a table row, in order; the last step always gives one.
std::vector<std::int64_t> RowSteps(std::int32_t first, std::int32_t last, std::int64_t n) {
    ProfileRowSelector selector(first, last, n);
    std::vector<std::int64_t> steps;
    for (std::int64_t i = selector.NextRow(first);; i = selector.NextRow(i + 1)) {
        selector.Select(i);
        steps.push_back(i);
        if (i >= last) return steps;
    }
}

// The fast loop of both tables: every step on plain doubles, and at each row
// step the values and whether a fault may have happened since the previous row.
// The tables run side by side in one loop: their chains are independent, so the
// processor overlaps them and the loop costs about as much as the energy chain
// alone. The tables are a local copy (taken by value): the rows are doubles
// too, and tables the rows might alias would be stored and reloaded at every
// step; and the rows are written once the loop is done, as report text could
// alias anything.
template <DrainZone zone>
void MarchTables(ProfileStepper<zone, double> table, std::int64_t first, std::int64_t last,
                 const std::vector<std::int64_t>& rowSteps, std::vector<ProfileRow>& rows,
                 const StopToken& stop) {
    std::size_t k = 0;
    const auto keep = [&] {
        const bool faultSuspected = !table.AllFinite() || std::fetestexcept(kWatchedFlags) != 0;
        if (faultSuspected) std::feclearexcept(kWatchedFlags);
        KeepRow(rows[k], table, faultSuspected);
        ++k;
    };
    std::feclearexcept(kWatchedFlags);
    table.First(first);
    if (rowSteps[k] == first) keep();
    StepWithStopChecks(first + 1, last, stop, [&](std::int64_t i) {
        table.Next(i);
        if (i == rowSteps[k]) keep();
        return true;
    });
}

template <DrainZone zone>
void ProfileRows(DrainageCase& c, ReportWriter& report, std::int64_t n, const StopToken& stop) {
    const std::int64_t first = c.FirstStep;
    const std::int64_t last = c.LastStep;
    const double T2start = c.T2;
    const std::vector<std::int64_t> rowSteps = RowSteps(c.FirstStep, c.LastStep, n);
    std::vector<ProfileRow> rows(rowSteps.size());
    ProfileStepper<zone, double> start{{c}, {c}};
    start.energy.T1 = c.T1;
    start.energy.T2 = c.T2;
    MarchTables(start, first, last, rowSteps, rows, stop);

    for (std::size_t k = 0; k < rows.size(); ++k) {
        // Only a guarded run tells whether and where the arithmetic faulted.
        if (rows[k].faultSuspected) {
            FindProfileFault<zone>(c, first, rowSteps[k], T2start, stop);
            std::feclearexcept(kWatchedFlags);
        }
        WriteRow(report, Value(Guarded(static_cast<double>(rowSteps[k])) * c.p), rows[k]);
    }

    // The last step always gives a row: its values are the midway ones.
    const ProfileRow& midway = rows.back();
    c.X = static_cast<double>(last) * c.p;
    c.F = midway.F;
    c.GP = midway.GP;
    c.FStar = midway.FStar;
    c.GStarP = midway.GStarP;
    c.T1 = midway.T1;
    c.T2 = midway.T2;
}

}  // namespace

void WriteProfile(DrainageCase& c, ReportWriter& report, const StopToken& stop) {
    const std::int32_t rowInterval = RoundStep(Guarded(c.HalfSpacing) / 10.0);
    c.p = kProfileStep;
    std::int32_t n = RoundStep(Guarded(static_cast<double>(rowInterval)) / c.p);
    if (n < 1) n = RoundStep(Guarded(c.HalfSpacing) / c.p);
    c.FirstStep = FirstStepFor(c.HalfWidth, c.p);
    c.LastStep = RoundStep(Guarded(c.HalfSpacing) / c.p);
    c.F = 0;
    c.FStar = 0;
    c.GStarP = 0;
    c.GP = 0;
    if (c.LastStep < c.FirstStep) return;

    WithZone(c, [&](auto zone) { ProfileRows<decltype(zone)::value>(c, report, n, stop); });
}

}  // namespace pelorin
