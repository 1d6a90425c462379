// Steps must not touch the heap: every vessel type, in every motion, through the
// host's whole step.
#include <atomic>
#include <cstdlib>
#include <new>

#include "HostTest.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++allocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

class StepAllocation : public HostTest {
protected:
    // Steps the host n times and returns how many allocations happened meanwhile.
    long allocationsDuring(int n, double dt = 0.1) {
        host().step(dt);  // a first step may settle anything lazily made
        long before = allocations.load();
        for (int i = 0; i < n; ++i) host().step(dt);
        return allocations.load() - before;
    }
    UINT pointIndex(OBJHANDLE h, const char* id) {
        const auto& points = v(h).parentPoints;
        for (UINT i = 0; i < points.size(); ++i)
            if (points[i]->id == id) return i;
        ADD_FAILURE() << "no point " << id;
        return 0;
    }
};

TEST_F(StepAllocation, truss_segments_of_every_type_step_without_allocating) {
    long beforeBuild = allocations.load();
    for (const char* type : {"TYPE 2", "TYPE 6", "TYPE 12", "TYPE 18"}) make(std::string("T") + type, "Truss", {type, "RPOS 1e11 0 0"});
    EXPECT_GT(allocations.load() - beforeBuild, 0) << "the counting operator new is not in effect";
    OBJHANDLE radiator = make("Radiator", "Truss", {"TYPE 61", "RPOS 1e11 5 0"});
    OBJHANDLE solar = make("Solar", "Truss", {"TYPE 63", "RPOS 1e11 0 5", "TRACKING"});
    OBJHANDLE arrays = make("Arrays", "Truss", {"TYPE 63", "RPOS 1e11 0 9"});
    host().setFocus(radiator);
    host().pressKey(OAPI_KEY_K, {OAPI_KEY_LCONTROL});
    host().setFocus(arrays);
    host().pressKey(OAPI_KEY_K, {OAPI_KEY_LCONTROL});
    host().pressKey(OAPI_KEY_G, {OAPI_KEY_LCONTROL});

    // Another segment holds the solar segment by its grapple point.
    OBJHANDLE arm = make("Arm", "Crate");
    oapiGetVesselInterface(arm)->CreateAttachment(false, _V(0, 0, 0), _V(0, 1, 0), _V(1, 0, 0), "ARM");
    ASSERT_TRUE(host().attach(arm, 0, solar, pointIndex(solar, "GS")));
    EXPECT_EQ(allocationsDuring(50), 0);

    // The home motion too.
    host().setFocus(solar);
    host().pressKey(OAPI_KEY_U, {OAPI_KEY_RCONTROL});
    EXPECT_EQ(allocationsDuring(50), 0);
}

TEST_F(StepAllocation, carriers_step_without_allocating_turning_or_stopped) {
    OBJHANDLE carrier = make("Carrier", "Haulbed", {"SEGS 12"});
    OBJHANDLE payload = make("Payload", "Truss", {"TYPE 6"});
    ASSERT_TRUE(host().attach(carrier, 5, payload, pointIndex(payload, "CAR")));
    EXPECT_EQ(allocationsDuring(20), 0);
    host().setFocus(carrier);
    host().pressKey(OAPI_KEY_K);
    EXPECT_EQ(allocationsDuring(50), 0);
}

}  // namespace
