// Speed of the numerical spine and of whole engine runs.
//
// The marches report the time of one step (the "per_step" counter); whole runs report
// the time of one run, report written to a temporary folder.

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "CaseFiles.h"
#include "DrainageCase.h"
#include "Engines.h"
#include "InputChecks.h"
#include "InputFile.h"
#include "ProfileRoutine.h"
#include "ReportWriter.h"
#include "RunError.h"
#include "RunSink.h"
#include "StandardCase.h"
#include "StopToken.h"

namespace {

using namespace pelorin;
namespace fs = std::filesystem;

using test::StandardCase;

void SetStepRate(benchmark::State& state, std::int64_t steps) {
    state.SetItemsProcessed(state.iterations() * steps);
    // Seconds per step, shown with its SI prefix (ns).
    state.counters["per_step"] =
        benchmark::Counter(static_cast<double>(state.iterations() * steps),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_MarchDarcy(benchmark::State& state) {
    DrainageCase c = StandardCase(25.0, 0.0001);
    for (auto _ : state) benchmark::DoNotOptimize(MarchDarcy(c, c.HalfSpacing));
    SetStepRate(state, c.LastStep - c.FirstStep + 1);
}
BENCHMARK(BM_MarchDarcy)->Unit(benchmark::kMillisecond);

void BM_MarchEnergy(benchmark::State& state) {
    DrainageCase c = StandardCase(25.0, 0.0001);
    SolveEnergyMidHead(c, c.HalfSpacing);
    const double Hm = c.EnergyMidHead;
    std::int64_t steps = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(MarchEnergy(c, c.HalfSpacing, Hm));
        steps = c.MarchStoppedAt - c.FirstStep + 1;
    }
    SetStepRate(state, steps);
    state.counters["fraction marched"] =
        static_cast<double>(steps) / static_cast<double>(c.LastStep - c.FirstStep + 1);
}
BENCHMARK(BM_MarchEnergy)->Unit(benchmark::kMillisecond);

void BM_WriteProfile(benchmark::State& state) {
    DrainageCase c = StandardCase(20.0, 0.01);
    SolveEnergyMidHead(c, c.HalfSpacing);
    for (auto _ : state) {
        ReportWriter report;
        WriteProfile(c, report);
        benchmark::DoNotOptimize(report.Contents().data());
    }
    SetStepRate(state, c.LastStep - c.FirstStep + 1);
}
BENCHMARK(BM_WriteProfile)->Unit(benchmark::kMillisecond);

// Floors: the loop-carried chain of one march step alone -- from one step's head
// and gradient to the next -- with everything that depends on the step index only
// as cheap inputs. The standard case spends nearly all its steps below both
// layers (Y beyond TThick12), so the chain's transmissivity is Ka·h plus three
// terms that do not change from step to step.
struct ChainInputs {
    double p, L, R, Ka, Hm, entrance, below1, below2, below3;
    std::int64_t first, last;
};

ChainInputs ChainOf(const DrainageCase& c, double L, double Hm) {
    ChainInputs in{c.p,
                   L,
                   c.R,
                   c.Ka,
                   Hm,
                   c.EntranceHead,
                   c.Kv1 * c.WidthExcess,
                   c.Keq1 * c.TThick1,
                   c.Keq2 * c.TThick2,
                   c.FirstStep,
                   c.LastStep};
    benchmark::DoNotOptimize(in);
    return in;
}

double DarcyChain(const ChainInputs& in) {
    double head = in.entrance;
    double G = 0.0;
    for (std::int64_t i = in.first; i <= in.last; ++i) {
        const double xc = (static_cast<double>(i) - 0.5) * in.p;
        const double hmid = head + 0.5 * G * in.p;
        const double T = in.Ka * hmid + in.below1 + in.below2 + in.below3;
        G = in.R * (in.L - xc) / T;
        head = head + G * in.p;
    }
    return head;
}

double EnergyChain(const ChainInputs& in, std::int64_t last) {
    double head = in.entrance;
    double G = 0.0;
    for (std::int64_t i = in.first; i <= last; ++i) {
        const double xc = (static_cast<double>(i) - 0.5) * in.p;
        const double rest = in.L - xc;
        const double hmid = head + 0.5 * G * in.p;
        const double T = in.Ka * hmid + in.below1 + in.below2 + in.below3;
        G = in.R * rest / T + (hmid - in.Hm) / rest;
        head = head + G * in.p;
    }
    return head;
}

// Both water tables of the profile: the energy-balance one with its gradient
// corrections and floor, the Darcy one with its floor.
double ProfileChain(const ChainInputs& in) {
    double F = in.entrance, GP = 0.0, FStar = in.entrance, GStarP = 0.0, T2 = 0.0;
    for (std::int64_t i = in.first; i <= in.last; ++i) {
        const double xc = (static_cast<double>(i) - 0.5) * in.p;
        const double rest = in.L - xc;
        const double num = in.R * rest;
        double hmid = F + 0.5 * GP * in.p;
        const double T1 = num / (in.Ka * hmid + in.below1 + in.below2 + in.below3);
        const double T2prev = T2;
        T2 = (hmid - in.Hm) / rest;
        GP = T1 + T2;
        const bool reset = GP < 0.0 || T2 > 0.0;
        GP = reset ? T1 : GP;
        T2 = reset ? 0.0 : T2;
        const bool halve = T2 < T2prev;
        GP = halve ? T1 : GP;
        T2 = halve ? 0.5 * T2prev : T2;
        F = F + GP * in.p;
        hmid = FStar + 0.5 * GStarP * in.p;
        GStarP = num / (in.Ka * hmid + in.below1 + in.below2 + in.below3);
        FStar = FStar + GStarP * in.p;
        FStar = FStar < 0.0001 ? 0.0001 : FStar;
        F = F < 0.0001 ? 0.0001 : F;
    }
    return F + FStar;
}

void BM_MarchDarcyFloor(benchmark::State& state) {
    DrainageCase c = StandardCase(25.0, 0.0001);
    MarchDarcy(c, c.HalfSpacing);
    const ChainInputs in = ChainOf(c, c.HalfSpacing, 0);
    for (auto _ : state) benchmark::DoNotOptimize(DarcyChain(in));
    SetStepRate(state, c.LastStep - c.FirstStep + 1);
}
BENCHMARK(BM_MarchDarcyFloor)->Unit(benchmark::kMillisecond);

void BM_MarchEnergyFloor(benchmark::State& state) {
    DrainageCase c = StandardCase(25.0, 0.0001);
    SolveEnergyMidHead(c, c.HalfSpacing);
    MarchEnergy(c, c.HalfSpacing, c.EnergyMidHead);
    const ChainInputs in = ChainOf(c, c.HalfSpacing, c.EnergyMidHead);
    const std::int64_t last = c.MarchStoppedAt;
    for (auto _ : state) benchmark::DoNotOptimize(EnergyChain(in, last));
    SetStepRate(state, last - c.FirstStep + 1);
}
BENCHMARK(BM_MarchEnergyFloor)->Unit(benchmark::kMillisecond);

void BM_WriteProfileFloor(benchmark::State& state) {
    DrainageCase c = StandardCase(20.0, 0.01);
    SolveEnergyMidHead(c, c.HalfSpacing);
    ReportWriter report;
    WriteProfile(c, report);
    const ChainInputs in = ChainOf(c, c.HalfSpacing, c.EnergyMidHead);
    for (auto _ : state) benchmark::DoNotOptimize(ProfileChain(in));
    SetStepRate(state, c.LastStep - c.FirstStep + 1);
}
BENCHMARK(BM_WriteProfileFloor)->Unit(benchmark::kMillisecond);

// A whole run of one engine on a standard case, from its input file.
struct EngineCase {
    const char* name;
    CalcAim aim;
    CalcMethod method;
    std::vector<double> values;
};

const std::vector<EngineCase>& EngineCases() {
    static const std::vector<EngineCase> cases = {
        {"DarSpac",
         CalcAim::Spacing,
         CalcMethod::Darcy,
         {0.007, 2.0, 4.0, 1.2, 1.3, 0.5, 0, 0.6, 0.8, 0.4, 2.0, 1.0, 0.7}},
        {"EneSpac",
         CalcAim::Spacing,
         CalcMethod::EnergyBalance,
         {0.007, 2.0, 4.0, 1.2, 1.3, 0.5, 0, 0.6, 0.8, 0.4, 2.0, 1.0, 0.7}},
        {"DarDisc",
         CalcAim::Discharge,
         CalcMethod::Darcy,
         {0.7, 2.0, 4.0, 1.2, 1.3, 0.5, 0, 0.6, 0.8, 0.4, 2.0, 1.0, 40}},
        {"EneDisc",
         CalcAim::Discharge,
         CalcMethod::EnergyBalance,
         {0.7, 2.0, 4.0, 1.2, 1.3, 0.5, 0, 0.6, 0.8, 0.4, 2.0, 1.0, 40}},
        {"HydrHead",
         CalcAim::WaterTableDepth,
         CalcMethod::EnergyBalance,
         {0.007, 2.0, 4.0, 1.2, 1.3, 0.5, 0, 0.6, 0.8, 0.4, 2.0, 1.0, 40}},
        {"DarCond",
         CalcAim::Conductivity,
         CalcMethod::Darcy,
         {0.007, 3.0, 1.2, 1.3, 0.5, 0, 0.7, 40, 0, 0, 0, 0, 0}},
        {"EneCond",
         CalcAim::Conductivity,
         CalcMethod::EnergyBalance,
         {0.007, 3.0, 1.2, 1.3, 0.5, 0, 0.7, 40, 0, 0, 0, 0, 0}},
    };
    return cases;
}

// Runs a case from its input file in a folder of its own, once per iteration.
void RunEngineCase(benchmark::State& state, const EngineCase& engineCase, int threads,
                   const std::string& folderName) {
    const fs::path folder =
        fs::temp_directory_path() / (folderName + "-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string input = (folder / "case.inp").string();
    const InputCase file{"Benchmark", engineCase.name, AimCodeOf(engineCase.aim),
                         MethodCodeOf(engineCase.method), engineCase.values};
    WriteInputFile(input, file);
    FileRunOptions options;
    options.Threads = threads;
    options.ErrorListFile = (folder / "Error.lst").string();
    SilentSink sink;
    for (auto _ : state) {
        const FileRun run = RunInputFile(input, sink, options);
        if (run.Outcome.End != CaseEnd::Reported) {
            state.SkipWithError(run.Outcome.FailureMessage.c_str());
            break;
        }
    }
    fs::remove_all(folder);
}

void BM_EngineRun(benchmark::State& state) {
    const EngineCase& engineCase = EngineCases()[state.range(0)];
    state.SetLabel(engineCase.name);
    RunEngineCase(state, engineCase, 1, "pelorin-bench");
}
BENCHMARK(BM_EngineRun)->DenseRange(0, 6)->Unit(benchmark::kMillisecond)->Iterations(3);

// Long runs whose time goes into the searches and the profile, with one and
// with two threads (range 1): four whose trials are midway-head bisections, then
// two Darcy searches of long marches. Wall time: the second thread's work counts.
const std::vector<EngineCase>& HeavyCases() {
    static const std::vector<EngineCase> cases = {
        {"EneCond S=100",
         CalcAim::Conductivity,
         CalcMethod::EnergyBalance,
         {0.007, 3.0, 1.2, 1.3, 0.5, 0, 0.7, 100, 0, 0, 0, 0, 0}},
        {"HydrHead S=200",
         CalcAim::WaterTableDepth,
         CalcMethod::EnergyBalance,
         {0.007, 2.0, 4.0, 1.2, 1.3, 0.5, 0, 0.6, 0.8, 0.4, 2.0, 1.0, 200}},
        {"EneDisc S=100",
         CalcAim::Discharge,
         CalcMethod::EnergyBalance,
         {0.7, 2.0, 4.0, 1.2, 1.3, 0.5, 0, 0.6, 0.8, 0.4, 2.0, 1.0, 100}},
        {"EneSpac Dw-Dm=0.15",
         CalcAim::Spacing,
         CalcMethod::EnergyBalance,
         {0.007, 2.0, 4.0, 1.2, 1.3, 0.5, 0, 0.6, 0.8, 0.4, 2.0, 1.0, 1.05}},
        {"DarCond S=100",
         CalcAim::Conductivity,
         CalcMethod::Darcy,
         {0.007, 3.0, 1.2, 1.3, 0.5, 0, 0.7, 100, 0, 0, 0, 0, 0}},
        {"DarDisc S=200",
         CalcAim::Discharge,
         CalcMethod::Darcy,
         {0.7, 2.0, 4.0, 1.2, 1.3, 0.5, 0, 0.6, 0.8, 0.4, 2.0, 1.0, 200}},
    };
    return cases;
}

void BM_HeavyRun(benchmark::State& state) {
    const EngineCase& engineCase = HeavyCases()[state.range(0)];
    state.SetLabel(std::string(engineCase.name) + ", threads " + std::to_string(state.range(1)));
    RunEngineCase(state, engineCase, static_cast<int>(state.range(1)), "pelorin-bench-heavy");
}
BENCHMARK(BM_HeavyRun)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

// How long a run goes on after the user asks it to stop: the request comes
// from another thread 20 ms into the run, and the time from the request to the
// end of the run is measured: the profile of 1e8 steps, and a midway-head
// bisection of marches of 1e6 steps.
class FlagSink : public SilentSink {
  public:
    bool StopRequested() override { return stop.load(); }
    std::atomic<bool> stop{false};
};

template <class Run>
void MeasureStopLatency(benchmark::State& state, Run run) {
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        FlagSink sink;
        Clock::time_point asked;
        std::thread asker([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            asked = Clock::now();
            sink.stop = true;
        });
        try {
            run(sink);
        } catch (const RunError&) {
        }
        const Clock::time_point ended = Clock::now();
        asker.join();
        state.SetIterationTime(std::chrono::duration<double>(ended - asked).count());
    }
}

void BM_StopLatencyProfile(benchmark::State& state) {
    MeasureStopLatency(state, [](RunSink& sink) {
        DrainageCase c = StandardCase(1000.0, 0.01);
        c.EnergyMidHead = 0.5;
        ReportWriter report;
        WriteProfile(c, report, StopToken(sink));
    });
}
BENCHMARK(BM_StopLatencyProfile)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(20);

void BM_StopLatencyBisection(benchmark::State& state) {
    MeasureStopLatency(state, [](RunSink& sink) {
        DrainageCase c = StandardCase(100.0, 0.0001);
        c.TargetHead = 0.5;
        c.Tolerance = 0.0001;
        SolveEnergyMidHead(c, c.HalfSpacing, 0.001, 100, {}, RunContext{StopToken(sink), 1});
    });
}
BENCHMARK(BM_StopLatencyBisection)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(20);

BENCHMARK_MAIN();
