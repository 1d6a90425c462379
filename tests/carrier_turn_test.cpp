// The pallet turn as the host runs it: the turn state, the pallet points and the
// payloads on them, the segment animation; and a grappled carrier letting go of its
// docks every step.
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "CarrierOps.h"
#include "HostTest.h"

// Counts every allocation in this process, the loaded module's included.
std::atomic<long> allocations{0};

// Kept out of line, so that the compiler does not pair an inlined free() with new.
[[gnu::noinline]] void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++allocations;
    return std::malloc(size ? size : 1);
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTol = 1e-12;

struct Pose {
    VECTOR3 pos, dir, rot;
};

// Pallet corner k mod 4 of segment k div 4 before any turn.
Pose UnturnedPallet(size_t k) {
    const double x = (k % 2 == 0) ? -0.75 : 0.75;
    const double up = (k % 4 < 2) ? 1.0 : -1.0;
    return {_V(x, 0.04 * up, 1.5 * double(k / 4)), _V(0, up, 0), _V(x < 0 ? 1 : -1, 0, 0)};
}

VECTOR3 TurnedZ(const VECTOR3& v, double angle) {
    return _V(v.x * std::cos(angle) - v.y * std::sin(angle), v.x * std::sin(angle) + v.y * std::cos(angle), v.z);
}

::testing::AssertionResult Near(const VECTOR3& a, const VECTOR3& b, double tol = kTol) {
    if (std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol && std::fabs(a.z - b.z) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") is not (" << b.x << ", "
                                         << b.y << ", " << b.z << ")";
}

class CarrierTurn : public HostTest {
protected:
    OBJHANDLE makeCarrier(const std::string& name, int segments) {
        OBJHANDLE h = make(name, "Haulbed", {"SEGS " + std::to_string(segments)});
        host().setFocus(h);
        return h;
    }
    static CarrierOps carrier(OBJHANDLE h) { return {v(h).iface}; }
    static double turnState(OBJHANDLE h) { return v(h).animations.at(0).state; }

    // Every pallet point stands turned by `angle` about the long axis.
    static void ExpectPalletsTurnedBy(OBJHANDLE h, double angle, double tol = kTol) {
        const auto& points = v(h).childPoints;
        for (size_t k = 0; k < points.size(); ++k) {
            SCOPED_TRACE("pallet point " + std::to_string(k));
            const Pose base = UnturnedPallet(k);
            EXPECT_TRUE(Near(points[k]->pos, TurnedZ(base.pos, angle), tol));
            EXPECT_TRUE(Near(points[k]->dir, TurnedZ(base.dir, angle), tol));
            EXPECT_TRUE(Near(points[k]->rot, TurnedZ(base.rot, angle), tol));
        }
    }

    static std::vector<Pose> palletPoses(OBJHANDLE h) {
        std::vector<Pose> poses;
        for (const hostsim::Attachment* p : v(h).childPoints) poses.push_back({p->pos, p->dir, p->rot});
        return poses;
    }
};

TEST_F(CarrierTurn, FortySecondsForwardReachTheHalfTurnWithCornerZeroWhereCornerThreeWas) {
    OBJHANDLE h = makeCarrier("C", 3);
    ASSERT_EQ(host().pressKey(OAPI_KEY_K), 1);
    for (int i = 0; i < 4; ++i) host().step(10);

    EXPECT_EQ(turnState(h), 0.5);
    const auto& points = v(h).childPoints;
    for (size_t segment = 0; segment < 3; ++segment) {
        SCOPED_TRACE("segment " + std::to_string(segment));
        const Pose corner3 = UnturnedPallet(segment * 4 + 3);
        const hostsim::Attachment& corner0 = *points[segment * 4];
        EXPECT_TRUE(Near(corner0.pos, corner3.pos));
        EXPECT_TRUE(Near(corner0.dir, corner3.dir));
        EXPECT_TRUE(Near(corner0.rot, corner3.rot));
    }
    ExpectPalletsTurnedBy(h, kPi);
}

TEST_F(CarrierTurn, TheStepAfterReachingTheStopEndsTheTurn) {
    OBJHANDLE h = makeCarrier("C", 2);
    host().pressKey(OAPI_KEY_K);
    host().journal().enable();
    for (int i = 0; i < 4; ++i) host().step(10);
    EXPECT_EQ(host().journal().calls("SetAnimation").back(), "SetAnimation 0 0.5");

    host().journal().clear();
    host().step(10);
    host().step(10);
    EXPECT_EQ(host().journal().count("SetAnimation"), 0u);
    EXPECT_EQ(host().journal().count("SetAttachmentParams"), 0u);
    EXPECT_EQ(turnState(h), 0.5);
    ExpectPalletsTurnedBy(h, kPi);
}

TEST_F(CarrierTurn, ASingleStepOfOneHundredSecondsLandsExactlyOnTheHalfTurn) {
    OBJHANDLE h = makeCarrier("C", 1);
    host().pressKey(OAPI_KEY_K);
    host().step(100);
    EXPECT_EQ(turnState(h), 0.5);
    ExpectPalletsTurnedBy(h, kPi);
}

TEST_F(CarrierTurn, AStepOfZeroSecondsKeepsTheStateAndWritesThePointsBackUnchanged) {
    OBJHANDLE h = makeCarrier("C", 2);
    host().pressKey(OAPI_KEY_K);
    host().step(10);
    const double state = turnState(h);
    const std::vector<Pose> before = palletPoses(h);

    host().journal().enable();
    host().step(0);
    EXPECT_EQ(turnState(h), state);
    EXPECT_EQ(host().journal().count("SetAttachmentParams"), 8u);
    const std::vector<Pose> after = palletPoses(h);
    for (size_t k = 0; k < before.size(); ++k) {
        EXPECT_TRUE(Near(after[k].pos, before[k].pos, 0.0)) << k;
        EXPECT_TRUE(Near(after[k].dir, before[k].dir, 0.0)) << k;
        EXPECT_TRUE(Near(after[k].rot, before[k].rot, 0.0)) << k;
    }
}

TEST_F(CarrierTurn, BackwardFromTheStartRunsFromTheFullTurnDownToTheHalfTurn) {
    OBJHANDLE h = makeCarrier("C", 2);
    ASSERT_EQ(host().pressKey(OAPI_KEY_K, {OAPI_KEY_LCONTROL}), 1);
    host().step(10);
    EXPECT_EQ(turnState(h), 0.875);
    ExpectPalletsTurnedBy(h, 0.875 * 2 * kPi, 1e-9);

    for (int i = 0; i < 3; ++i) host().step(10);
    EXPECT_EQ(turnState(h), 0.5);
    ExpectPalletsTurnedBy(h, kPi, 1e-9);
    host().journal().enable();
    host().step(10);
    EXPECT_EQ(host().journal().count("SetAnimation"), 0u);
    EXPECT_EQ(turnState(h), 0.5);
}

TEST_F(CarrierTurn, PalletPointsFollowTheAnimationThroughUnevenSteps) {
    OBJHANDLE h = makeCarrier("C", 4);
    host().pressKey(OAPI_KEY_K);
    const double steps[] = {0.02, 3.7, 0.5, 11.25, 1e-3, 7.0};
    for (double dt : steps) {
        host().step(dt);
        ExpectPalletsTurnedBy(h, turnState(h) * 2 * kPi, 1e-9);
    }
    // 22.471 s at 0.0125 turns per second.
    EXPECT_NEAR(turnState(h), 22.471 * 0.0125, 1e-12);
}

TEST_F(CarrierTurn, APayloadIsCarriedAlongWithItsPalletPoint) {
    OBJHANDLE h = makeCarrier("C", 1);
    host().setPose(h, _V(10, 20, 30), _M(1, 0, 0, 0, 1, 0, 0, 0, 1));
    OBJHANDLE crate = make("Box", "Crate");
    oapiGetVesselInterface(crate)->CreateAttachment(true, _V(0, 0, 0), _V(0, -1, 0), _V(0, 0, 1), "LOAD");
    ASSERT_TRUE(carrier(h).AttachPayload(1, 0, crate));
    EXPECT_TRUE(Near(v(crate).pos, _V(10.75, 20.04, 30)));

    host().pressKey(OAPI_KEY_K);
    host().step(100);

    // Corner 1 now stands where corner 2 stood, pointing down.
    EXPECT_TRUE(Near(v(crate).pos, _V(10 - 0.75, 20 - 0.04, 30), 1e-9));
    // The crate's point faces against the pallet's direction, which is now -y.
    EXPECT_TRUE(Near(mul(v(crate).rot, _V(0, -1, 0)), _V(0, 1, 0), 1e-9));
    EXPECT_EQ(v(crate).attachedTo()->partner, v(h).childPoints[1]);
}

TEST_F(CarrierTurn, NewPalletPointsStandAtTheTurnAlreadyApplied) {
    OBJHANDLE h = makeCarrier("C", 3);
    host().pressKey(OAPI_KEY_K);
    host().step(20);  // a quarter turn
    host().pressKey(OAPI_KEY_K);
    ASSERT_EQ(turnState(h), 0.25);

    carrier(h).SetSegmentCount(4, false);
    ASSERT_EQ(v(h).childPoints.size(), 16u);
    ExpectPalletsTurnedBy(h, kPi / 2, 1e-9);
    // Carrying on keeps them in step with the segment groups.
    host().pressKey(OAPI_KEY_K);
    host().step(20);
    EXPECT_EQ(turnState(h), 0.5);
    ExpectPalletsTurnedBy(h, kPi, 1e-9);
}

TEST_F(CarrierTurn, AStoppedCarrierTouchesNeitherPointsNorAnimation) {
    OBJHANDLE h = makeCarrier("C", 2);
    host().journal().enable();
    host().step(10);
    host().pressKey(OAPI_KEY_K);
    host().step(10);
    host().pressKey(OAPI_KEY_K);
    host().journal().clear();
    host().step(10);
    host().step(10);
    EXPECT_EQ(host().journal().count("SetAnimation"), 0u);
    EXPECT_EQ(host().journal().count("SetAttachmentParams"), 0u);
    EXPECT_EQ(turnState(h), 0.125);
}

TEST_F(CarrierTurn, AStepOfATurningOrStoppedCarrierAllocatesNothing) {
    OBJHANDLE h = makeCarrier("C", 12);
    auto& callbacks = *static_cast<VESSEL2*>(v(h).iface);
    host().pressKey(OAPI_KEY_K);
    callbacks.clbkPreStep(0, 1, 0);
    long before = allocations;
    for (int i = 0; i < 10; ++i) callbacks.clbkPreStep(0, 1, 0);
    EXPECT_EQ(allocations - before, 0);
    EXPECT_NEAR(turnState(h), 11 * 0.0125, 1e-15);

    host().pressKey(OAPI_KEY_K);
    before = allocations;
    for (int i = 0; i < 10; ++i) callbacks.clbkPreStep(0, 1, 0);
    EXPECT_EQ(allocations - before, 0);
}

TEST_F(CarrierTurn, AStoppedCarrierMakesTheSameCallsPerStepWhateverItsLength) {
    OBJHANDLE shortOne = makeCarrier("Short", 1);
    OBJHANDLE longOne = makeCarrier("Long", 100);
    host().journal().enable();
    static_cast<VESSEL2*>(v(shortOne).iface)->clbkPreStep(0, 1, 0);
    const std::vector<std::string> shortCalls = host().journal().names();
    host().journal().clear();
    static_cast<VESSEL2*>(v(longOne).iface)->clbkPreStep(0, 1, 0);
    EXPECT_EQ(host().journal().names(), shortCalls);
    // Only the four grapple points are looked at.
    EXPECT_EQ(host().journal().count("GetAttachmentStatus"), 4u);
}

class CarrierGrapple : public CarrierTurn {
protected:
    // A vessel that can hold the carrier, and one it can dock to.
    void SetUp() override {
        CarrierTurn::SetUp();
        carrierHandle = makeCarrier("C", 2);
        arm = make("Arm", "Crate");
        oapiGetVesselInterface(arm)->CreateAttachment(false, _V(0, 0, 5), _V(0, -1, 0), _V(0, 0, 1), "G");
        port = make("Port", "Crate");
        oapiGetVesselInterface(port)->CreateDock(_V(0, 0, 2), _V(0, 0, 1), _V(0, 1, 0));
    }
    bool docked() const { return v(carrierHandle).docks[0]->mate != nullptr; }

    OBJHANDLE carrierHandle = nullptr, arm = nullptr, port = nullptr;
};

TEST_F(CarrierGrapple, ACarrierGrappledAtAnyGrapplePointLosesItsDocksOnTheNextStep) {
    for (UINT grapple = 1; grapple <= 4; ++grapple) {
        SCOPED_TRACE("grapple point " + std::to_string(grapple - 1));
        ASSERT_TRUE(host().dock(carrierHandle, 0, port, 0));
        ASSERT_TRUE(host().attach(arm, 0, carrierHandle, grapple));
        host().journal().enable();
        host().journal().clear();
        host().step(1);
        EXPECT_FALSE(docked());
        EXPECT_EQ(host().journal().calls("Undock"), std::vector<std::string>{"Undock -1"});
        oapiGetVesselInterface(arm)->DetachChild(v(arm).childPoints[0]->handle);
    }
}

TEST_F(CarrierGrapple, AGrappledCarrierCannotStayDockedStepAfterStep) {
    ASSERT_TRUE(host().attach(arm, 0, carrierHandle, 3));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(host().dock(carrierHandle, 1, port, 0));
        host().step(1);
        EXPECT_EQ(v(carrierHandle).docks[1]->mate, nullptr);
    }
}

TEST_F(CarrierGrapple, ACarrierHangingByItsCarrierPointOnlyStaysDocked) {
    ASSERT_TRUE(host().dock(carrierHandle, 0, port, 0));
    ASSERT_TRUE(host().attach(arm, 0, carrierHandle, 0));
    host().journal().enable();
    host().step(1);
    host().step(1);
    EXPECT_TRUE(docked());
    EXPECT_EQ(host().journal().count("Undock"), 0u);
}

TEST_F(CarrierGrapple, AFreeCarrierStaysDocked) {
    ASSERT_TRUE(host().dock(carrierHandle, 0, port, 0));
    host().step(1);
    EXPECT_TRUE(docked());
}

}  // namespace
