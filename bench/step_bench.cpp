// The cost of one vessel step through the real host: each case builds its scene
// from scenario lines, then times clbkPreStep as the simulator calls it.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "hostsim/Host.h"

namespace {

using hostsim::Host;

constexpr double kStep = 0.01;  // seconds
// Far from the Sun, so that tracking has a direction.
const VECTOR3 kOrbit = _V(1.5e11, 2.0e10, -3.0e9);

Host& freshHost() {
    Host& host = Host::instance();
    host.reset();
    host.setRoot(HOSTSIM_TEST_ROOT);
    return host;
}

OBJHANDLE create(Host& host, const std::string& name, const std::string& cls, const std::vector<std::string>& lines,
                 benchmark::State& state) {
    OBJHANDLE h = host.createVessel(name, cls, lines);
    if (!h) state.SkipWithError(("cannot create " + name + ":" + cls).c_str());
    return h;
}

void stepLoop(benchmark::State& state, OBJHANDLE h) {
    VESSEL2* v = Host::instance().vessel(h)->callbacks();
    double t = 0;
    for (auto _ : state) {
        v->clbkPreStep(t, kStep, 51544.5);
        t += kStep;
        benchmark::ClobberMemory();
    }
}

void BM_IdleVessel(benchmark::State& state) {
    Host& host = freshHost();
    if (OBJHANDLE h = create(host, "Floor", "Idle", {}, state)) stepLoop(state, h);
    host.reset();
}
BENCHMARK(BM_IdleVessel);

void BM_Truss6m(benchmark::State& state) {
    Host& host = freshHost();
    if (OBJHANDLE h = create(host, "T6", "Truss", {"TYPE 6"}, state)) stepLoop(state, h);
    host.reset();
}
BENCHMARK(BM_Truss6m);

// A segment whose radiators or arrays deploy; tiny steps keep them moving for the
// whole measurement.
void deployingCase(benchmark::State& state, const char* typeLine) {
    Host& host = freshHost();
    if (OBJHANDLE h = create(host, "D", "Truss", {typeLine}, state)) {
        host.setFocus(h);
        host.pressKey(OAPI_KEY_K, {OAPI_KEY_LCONTROL});
        VESSEL2* v = host.vessel(h)->callbacks();
        for (auto _ : state) {
            v->clbkPreStep(0, 1e-9, 51544.5);
            benchmark::ClobberMemory();
        }
    }
    host.reset();
}

void BM_RadiatorDeploying(benchmark::State& state) { deployingCase(state, "TYPE 61"); }
void BM_SolarDeploying(benchmark::State& state) { deployingCase(state, "TYPE 63"); }
BENCHMARK(BM_RadiatorDeploying);
BENCHMARK(BM_SolarDeploying);

// A solar segment tracking the Sun while another vessel holds its grapple point.
void BM_SolarTrackingHeld(benchmark::State& state) {
    Host& host = freshHost();
    OBJHANDLE arm = create(host, "Arm", "Crate", {}, state);
    OBJHANDLE s = create(host, "S", "Truss", {"TYPE 63", "TRACKING", "DEPLOYANIM 0 1"}, state);
    if (arm && s) {
        VESSEL* a = oapiGetVesselInterface(arm);
        a->CreateAttachment(false, _V(0, 0, 5), _V(0, 0, 1), _V(0, 1, 0), "GRAPPLE");
        host.setPose(arm, kOrbit, Host::rotationFromAngles(_V(10, 20, 30)));
        // The solar segment's first point to a parent is its grapple point.
        hostsim::Vessel& seg = *host.vessel(s);
        UINT gs = 0;
        for (UINT i = 0; i < seg.parentPoints.size(); ++i)
            if (seg.parentPoints[i]->id == "GS") gs = i;
        if (!host.attach(arm, 0, s, gs)) state.SkipWithError("cannot grapple the solar segment");
        stepLoop(state, s);
    }
    host.reset();
}
BENCHMARK(BM_SolarTrackingHeld);

// The whole host step with one vessel: its callback, then the host's own motion.
void hostStepCase(benchmark::State& state, const char* cls, const std::vector<std::string>& lines) {
    Host& host = freshHost();
    if (create(host, "V", cls, lines, state)) {
        for (auto _ : state) {
            host.step(kStep);
            benchmark::ClobberMemory();
        }
    }
    host.reset();
}

void BM_HostStepIdle(benchmark::State& state) { hostStepCase(state, "Idle", {"RPOS 1.5e11 0 0"}); }
void BM_HostStepSolarTracking(benchmark::State& state) {
    hostStepCase(state, "Truss", {"TYPE 63", "TRACKING", "RPOS 1.5e11 2e10 -3e9", "AROT 10 20 30"});
}
BENCHMARK(BM_HostStepIdle);
BENCHMARK(BM_HostStepSolarTracking);

void carrierCase(benchmark::State& state, bool turning) {
    Host& host = freshHost();
    const auto segments = std::to_string(state.range(0));
    OBJHANDLE h = create(host, "C", "Haulbed", {"SEGS " + segments}, state);
    if (h) {
        host.setFocus(h);
        if (turning) host.pressKey(OAPI_KEY_K);
        VESSEL2* v = host.vessel(h)->callbacks();
        // Tiny steps keep the pallets turning for the whole measurement.
        for (auto _ : state) {
            v->clbkPreStep(0, 1e-9, 51544.5);
            benchmark::ClobberMemory();
        }
        state.counters["pallet_points"] = double(host.vessel(h)->childPoints.size());
    }
    host.reset();
}

void BM_CarrierTurning(benchmark::State& state) { carrierCase(state, true); }
void BM_CarrierStopped(benchmark::State& state) { carrierCase(state, false); }
BENCHMARK(BM_CarrierTurning)->Arg(1)->Arg(12)->Arg(100);
BENCHMARK(BM_CarrierStopped)->Arg(1)->Arg(12)->Arg(100);

}  // namespace

BENCHMARK_MAIN();
