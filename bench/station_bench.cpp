// Whole stations through the real host: generated scenarios of 100 to 10,000 vessels,
// loaded, stepped and saved. Each figure is also given per vessel, so that sizes
// compare side by side: a host that scales keeps the per-vessel figures flat.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "Truss.h"
#include "hostsim/Host.h"

namespace {

using hostsim::Host;

constexpr double kStep = 0.01;  // seconds
constexpr const char* kTypes[] = {"2", "6", "12", "18", "61", "63"};

// Free segments of every type, spread along a line far from the Sun; the solar ones
// track it, the others deploy what they have.
std::string freeSegments(int count) {
    std::string text = "BEGIN_ENVIRONMENT\n  Date MJD 60000\nEND_ENVIRONMENT\nBEGIN_SHIPS\n";
    for (int i = 0; i < count; ++i) {
        const char* type = kTypes[i % 6];
        text += "S" + std::to_string(i) + ":Truss\n  RPOS 150000000000 " + std::to_string(30 * i) + " 0\n  AROT 10 20 30\n";
        text += std::string("  TYPE ") + type + "\n";
        if (type[0] == '6' && type[1] == '3') text += "  TRACKING\n  DEPLOYANIM 0 1\n";
        text += "END\n";
    }
    return text + "END_SHIPS\n";
}

// Carriers of three segments, each with a payload segment on every one of its twelve
// pallet points: thirteen vessels to a carrier.
std::string carrierStation(int count) {
    std::string text = "BEGIN_ENVIRONMENT\n  Date MJD 60000\nEND_ENVIRONMENT\nBEGIN_SHIPS\n";
    int made = 0;
    for (int c = 0; made < count; ++c) {
        const std::string carrier = "C" + std::to_string(c);
        text += carrier + ":Haulbed\n  RPOS 150000000000 " + std::to_string(50 * c) + " 0\n  SEGS 3\nEND\n";
        ++made;
        for (int p = 0; p < 12 && made < count; ++p, ++made) {
            text += "P" + std::to_string(c) + "_" + std::to_string(p) + ":Truss\n  TYPE " + kTypes[p % 6] + "\n";
            text += "  ATTACHED 0:" + std::to_string(p) + "," + carrier + "\nEND\n";
        }
    }
    return text + "END_SHIPS\n";
}

Host& freshHost() {
    Host& host = Host::instance();
    host.reset();
    host.setRoot(HOSTSIM_TEST_ROOT);
    return host;
}

bool load(Host& host, const std::string& text, benchmark::State& state) {
    std::string error = host.loadScenarioText(text);
    if (!error.empty()) state.SkipWithError(error.c_str());
    return error.empty();
}

void perVessel(benchmark::State& state) {
    state.counters["per_vessel"] =
        benchmark::Counter(double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// A carrier's pallet turn runs to its next stop in 4,000 steps; a small station
// steps far more often than that in a run. Every carrier whose turn stopped is started
// again (outside the timing), so that every size measures turning carriers.
class TurnKeeper {
public:
    explicit TurnKeeper(Host& host) : host_(host) {
        for (hostsim::Vessel* v : host.vessels())
            if (v->className == "Haulbed") carriers_.push_back({v, -1});
    }
    void restartStopped() {
        for (auto& [carrier, lastState] : carriers_) {
            const double state = carrier->animations.at(0).state;
            if (state == lastState) {
                host_.setFocus(carrier->handle);
                host_.pressKey(OAPI_KEY_K);
            }
            lastState = state;
        }
    }
    bool empty() const { return carriers_.empty(); }

private:
    Host& host_;
    std::vector<std::pair<hostsim::Vessel*, double>> carriers_;
};

void stepCase(benchmark::State& state, const std::string& text) {
    Host& host = freshHost();
    if (load(host, text, state)) {
        TurnKeeper turns(host);
        turns.restartStopped();
        for (int i = 0; i < 10; ++i) host.step(kStep);  // the first steps settle the motions
        std::int64_t steps = 0;
        for (auto _ : state) {
            host.step(kStep);
            benchmark::ClobberMemory();
            if (!turns.empty() && ++steps % 64 == 0) {
                state.PauseTiming();
                turns.restartStopped();
                state.ResumeTiming();
            }
        }
        perVessel(state);
    }
    host.reset();
}

void BM_StepFreeSegments(benchmark::State& state) { stepCase(state, freeSegments(int(state.range(0)))); }
void BM_StepCarrierStation(benchmark::State& state) { stepCase(state, carrierStation(int(state.range(0)))); }
// Other work on the machine only ever adds time, so the least of the repetitions is the
// figure it disturbs least; run with random interleaving, the sizes share the disturbance.
double least(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }
BENCHMARK(BM_StepFreeSegments)->Arg(100)->Arg(1000)->Arg(10000)->ComputeStatistics("min", least);
BENCHMARK(BM_StepCarrierStation)->Arg(100)->Arg(1000)->Arg(10000)->ComputeStatistics("min", least);

void BM_LoadFreeSegments(benchmark::State& state) {
    const std::string text = freeSegments(int(state.range(0)));
    Host& host = freshHost();
    for (auto _ : state) {
        state.PauseTiming();
        freshHost();
        state.ResumeTiming();
        if (!load(host, text, state)) break;
    }
    perVessel(state);
    host.reset();
}
BENCHMARK(BM_LoadFreeSegments)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_SaveCarrierStation(benchmark::State& state) {
    Host& host = freshHost();
    if (load(host, carrierStation(int(state.range(0))), state)) {
        for (auto _ : state) benchmark::DoNotOptimize(host.saveScenarioText());
        perVessel(state);
    }
    host.reset();
}
BENCHMARK(BM_SaveCarrierStation)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// A solar segment built, and torn down again, as the editor does on a change of type.
// Each is timed on its own.
template <bool TimeBuild>
void solarCase(benchmark::State& state) {
    Host& host = freshHost();
    OBJHANDLE h = host.createVessel("S", "Truss", {"TYPE 6"});
    if (!h) {
        state.SkipWithError("cannot create the segment");
        return;
    }
    // The editor's operations are virtual, so they are reached through the host's object.
    Truss& segment = *static_cast<Truss*>(host.vessel(h)->iface);
    segment.TearDown();
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        segment.BuildType(63);
        auto built = std::chrono::steady_clock::now();
        segment.TearDown();
        auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(TimeBuild ? built - start : end - built).count());
    }
    host.reset();
}
void BM_SolarBuild(benchmark::State& state) { solarCase<true>(state); }
void BM_SolarTearDown(benchmark::State& state) { solarCase<false>(state); }
BENCHMARK(BM_SolarBuild)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SolarTearDown)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
