// A truss step allocates nothing on the heap, whatever is moving: this program counts
// every operator new while the segments' per-step callbacks run.
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "HostTest.h"

namespace {

bool counting = false;
long allocations = 0;

}  // namespace

// Every plain form of new and delete is replaced, so that memory never crosses from
// one allocator to another.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (counting) ++allocations;
    return std::malloc(size ? size : 1);
}
void* operator new(std::size_t size) {
    if (void* p = operator new(size, std::nothrow)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return operator new(size, std::nothrow); }

// The replaced new takes its memory from malloc, so free is the matching release; GCC
// cannot see that once it inlines these into a caller.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

class TrussStepAllocation : public HostTest {
protected:
    // A crate that holds the segment by its first "GS" point.
    void grapple(OBJHANDLE h) {
        OBJHANDLE arm = make("Arm" + v(h).name, "Crate");
        v(arm).iface->CreateAttachment(false, _V(0, 0, 0), _V(0, 0, 1), _V(0, 1, 0), "GRAPPLE");
        UINT gs = 0;
        while (gs < v(h).parentPoints.size() && v(h).parentPoints[gs]->id != "GS") ++gs;
        ASSERT_TRUE(host().attach(arm, 0, h, gs));
    }

    // Runs the segments' own step callbacks, as the simulator calls them, and counts.
    long allocationsIn(const std::vector<OBJHANDLE>& segments, int steps) {
        allocations = 0;
        counting = true;
        for (int n = 0; n < steps; ++n)
            for (OBJHANDLE h : segments)
                static_cast<VESSEL2*>(v(h).iface)->clbkPreStep(host().simTime(), 0.1, host().mjd());
        counting = false;
        return allocations;
    }
};

TEST_F(TrussStepAllocation, StepsOfEveryTypeWithEveryMotionAllocateNothing) {
    std::vector<OBJHANDLE> segments;
    for (int type : {2, 6, 12, 18}) {
        OBJHANDLE h = make("S" + std::to_string(type), "Truss", {"TYPE " + std::to_string(type)});
        grapple(h);
        segments.push_back(h);
    }
    OBJHANDLE radiator = make("Radiator", "Truss", {"TYPE 61"});
    OBJHANDLE tracking = make("Tracking", "Truss", {"TYPE 63", "BASEANIM 0 0.5", "TRACKING"});
    OBJHANDLE turning = make("Turning", "Truss", {"TYPE 63"});
    OBJHANDLE homing = make("Homing", "Truss", {"TYPE 63", "BASEANIM 0 0.7", "BOXANIM 0 0.2"});
    grapple(radiator);
    grapple(tracking);
    host().setPose(tracking, _V(1e9, -2e9, 5e8), hostsim::Host::rotationFromAngles(_V(10, 20, 30)));

    host().setFocus(radiator);
    host().pressKey(OAPI_KEY_K, {OAPI_KEY_LCONTROL});
    host().setFocus(tracking);
    host().pressKey(OAPI_KEY_K, {OAPI_KEY_LCONTROL});
    host().setFocus(turning);
    host().pressKey(OAPI_KEY_G);
    host().pressKey(OAPI_KEY_J, {OAPI_KEY_RCONTROL});
    host().setFocus(homing);
    host().pressKey(OAPI_KEY_U, {OAPI_KEY_LCONTROL});
    for (OBJHANDLE h : {radiator, tracking, turning, homing}) segments.push_back(h);

    const double before = v(tracking).animations[1].state;
    EXPECT_EQ(allocationsIn(segments, 50), 0);

    // The steps did move things.
    EXPECT_NEAR(v(radiator).animations[0].state, 0.25, 1e-9);
    EXPECT_NEAR(v(tracking).animations[2].state, 0.125, 1e-9);
    EXPECT_NE(v(tracking).animations[1].state, before);
    EXPECT_NEAR(v(turning).animations[1].state, 1 - 49 * 0.0004, 1e-9);  // wrapped at once
    EXPECT_NEAR(v(homing).animations[1].state, 0.72, 1e-9);
}

TEST_F(TrussStepAllocation, TheCounterSeesAnAllocation) {
    static std::vector<int>* volatile probe = nullptr;  // kept, so the allocation happens
    counting = true;
    allocations = 0;
    probe = new std::vector<int>(16);
    counting = false;
    delete probe;
    EXPECT_GE(allocations, 1);
}

}  // namespace
