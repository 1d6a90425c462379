// The per-step motions through the loaded module and the host's clock: deployment
// timing, hand rotations and their wraps, Sun tracking, the home motion, the solar
// grapple point riding on the base, and the release of docks while grappled.
#include <cmath>
#include <string>
#include <vector>

#include "HostTest.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfPi = 1.5707963267948966;

// Solar animations in creation order; the radiator has only its deployment.
constexpr UINT kBox = 0, kBase = 1, kDeploy = 2, kExtend = 3;
constexpr UINT kRadiator = 0;

// A direction as a fraction of a turn, from 0 up to 1.
double Turn(double radians) {
    const double t = radians / kTwoPi;
    return t < 0 ? t + 1 : t;
}

// The base and box fractions that point the box at a Sun seen along local direction u.
double BaseTurnFor(const VECTOR3& u) { return Turn(std::atan2(u.z, u.y)); }
double BoxTurnFor(const VECTOR3& u) { return Turn(std::atan2(-u.x, std::hypot(u.y, u.z))); }

VECTOR3 Unit(double x, double y, double z) {
    const double n = std::sqrt(x * x + y * y + z * z);
    return _V(x / n, y / n, z / n);
}

// The local direction whose base and box fractions are the given ones.
VECTOR3 SunDirectionFor(double baseTurn, double boxTurn) {
    const double a = baseTurn * kTwoPi, b = boxTurn * kTwoPi;
    return _V(-std::sin(b), std::cos(b) * std::cos(a), std::cos(b) * std::sin(a));
}

class TrussStep : public HostTest {
protected:
    double state(OBJHANDLE h, UINT anim) { return v(h).animations.at(anim).state; }

    std::string savedLine(OBJHANDLE h, const std::string& key) {
        for (const std::string& line : host().saveVesselLines(h))
            if (line.rfind("  " + key, 0) == 0) return line;
        return "";
    }

    void press(OBJHANDLE h, DWORD key, std::vector<DWORD> held = {}) {
        host().setFocus(h);
        EXPECT_EQ(host().pressKey(key, held), 1);
    }

    // Puts the vessel a million metres from the Sun, which it sees along local u.
    void seeSunAlong(OBJHANDLE h, const VECTOR3& u, const VECTOR3& attitudeDegrees = _V(0, 0, 0)) {
        const MATRIX3 rot = hostsim::Host::rotationFromAngles(attitudeDegrees);
        host().setPose(h, mul(rot, u) * -1e6, rot);
    }

    // The solar grapple point as a base at this fraction of a turn carries it.
    void expectGrapplePointAt(OBJHANDLE h, double baseTurn) {
        ASSERT_EQ(v(h).parentPoints.size(), 2u);
        const hostsim::Attachment& gs = *v(h).parentPoints[1];
        ASSERT_EQ(gs.id, "GS");
        const double c = std::cos(kTwoPi * baseTurn), s = std::sin(kTwoPi * baseTurn);
        EXPECT_NEAR(gs.pos.x, 0, 1e-12);
        EXPECT_NEAR(gs.pos.y, 0.53523 * c, 1e-12);
        EXPECT_NEAR(gs.pos.z, 0.53523 * s, 1e-12);
        EXPECT_NEAR(gs.dir.y, c, 1e-12);
        EXPECT_NEAR(gs.dir.z, s, 1e-12);
        EXPECT_NEAR(gs.rot.y, -s, 1e-12);
        EXPECT_NEAR(gs.rot.z, c, 1e-12);
    }

    // A crate whose child point holds the segment by its first "GS" point.
    OBJHANDLE grapple(OBJHANDLE h) {
        OBJHANDLE arm = make("Arm" + std::to_string(v(h).parentPoints.size()) + v(h).name, "Crate");
        v(arm).iface->CreateAttachment(false, _V(0, 0, 0), _V(0, 0, 1), _V(0, 1, 0), "GRAPPLE");
        UINT gs = 0;
        while (gs < v(h).parentPoints.size() && v(h).parentPoints[gs]->id != "GS") ++gs;
        EXPECT_TRUE(host().attach(arm, 0, h, gs));
        return arm;
    }
};

// ---- Deployment ----

TEST_F(TrussStep, RadiatorDeploysInTwoHundredTenthSecondStepsAndStopsTheStepAfter) {
    OBJHANDLE h = make("R", "Truss", {"TYPE 61"});
    press(h, OAPI_KEY_K, {OAPI_KEY_LCONTROL});
    int reached = 0;
    for (int n = 1; n <= 250 && reached == 0; ++n) {
        host().step(0.1);
        EXPECT_NEAR(state(h, kRadiator), std::min(1.0, 0.005 * n), 1e-9);
        if (state(h, kRadiator) == 1.0) reached = n;
    }
    EXPECT_EQ(reached, 200);
    EXPECT_EQ(savedLine(h, "RADANIM"), "  RADANIM 2 1.00");

    host().journal().enable();
    host().step(0.1);  // the step after: stops, and shows the end once more
    EXPECT_EQ(savedLine(h, "RADANIM"), "  RADANIM 0 1.00");
    EXPECT_EQ(host().journal().calls("SetAnimation"), std::vector<std::string>{"SetAnimation 0 1"});
    host().journal().clear();
    host().step(0.1);
    EXPECT_EQ(host().journal().count("SetAnimation"), 0u);
}

TEST_F(TrussStep, FullyDeployedRadiatorToldToDeployStopsInTheNextStepShowingOne) {
    OBJHANDLE h = make("R", "Truss", {"TYPE 61", "RADANIM 0 1"});
    press(h, OAPI_KEY_K, {OAPI_KEY_LCONTROL});
    EXPECT_EQ(savedLine(h, "RADANIM"), "  RADANIM 2 1.00");
    host().step(0.1);
    EXPECT_EQ(savedLine(h, "RADANIM"), "  RADANIM 0 1.00");
    EXPECT_EQ(state(h, kRadiator), 1.0);
}

TEST_F(TrussStep, RadiatorRetractsToZeroAndStopsTheStepAfter) {
    OBJHANDLE h = make("R", "Truss", {"TYPE 61", "RADANIM 0 0.5"});
    press(h, OAPI_KEY_K);
    for (int n = 0; n < 9; ++n) host().step(1);
    EXPECT_NEAR(state(h, kRadiator), 0.05, 1e-12);
    int reached = 9;
    while (state(h, kRadiator) > 0.0 && reached < 20) {
        host().step(1);
        ++reached;
    }
    EXPECT_LE(reached, 11);  // ten steps, or eleven when rounding leaves a sliver
    EXPECT_EQ(savedLine(h, "RADANIM"), "  RADANIM 1 0.00");
    host().step(1);
    EXPECT_EQ(state(h, kRadiator), 0.0);
    EXPECT_EQ(savedLine(h, "RADANIM"), "  RADANIM 0 0.00");
}

TEST_F(TrussStep, ArraysDeployAtOneFortiethPerSecondWithTheMastOnItsQuarterSine) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63"});
    press(h, OAPI_KEY_K, {OAPI_KEY_RCONTROL});
    for (int n = 1; n <= 40; ++n) {
        host().step(1);
        const double d = state(h, kDeploy);
        EXPECT_NEAR(d, std::min(1.0, 0.025 * n), 1e-12);
        EXPECT_NEAR(state(h, kExtend), std::sin(d * kHalfPi), 1e-15);
    }
    EXPECT_EQ(state(h, kDeploy), 1.0);
    EXPECT_EQ(savedLine(h, "DEPLOYANIM"), "  DEPLOYANIM 2 1.000");
    host().step(1);
    EXPECT_EQ(savedLine(h, "DEPLOYANIM"), "  DEPLOYANIM 0 1.000");
}

TEST_F(TrussStep, StoppedArraysNeverHaveTheirDeployOrExtendAnimationsSet) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "DEPLOYANIM 0 0.5", "TRACKING"});
    seeSunAlong(h, Unit(1, 1, 1));
    host().journal().enable();
    for (int n = 0; n < 10; ++n) host().step(1);
    for (const std::string& call : host().journal().calls("SetAnimation")) {
        EXPECT_NE(call.rfind("SetAnimation 2 ", 0), 0u) << call;
        EXPECT_NE(call.rfind("SetAnimation 3 ", 0), 0u) << call;
    }
    EXPECT_GT(host().journal().count("SetAnimation"), 0u);
}

// ---- Hand rotations ----

TEST_F(TrussStep, BaseTurningUpFromJustBelowOneShowsZeroAndKeepsTurning) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "BASEANIM 0 0.999"});
    press(h, OAPI_KEY_G, {OAPI_KEY_LCONTROL});
    host().step(1);
    EXPECT_EQ(state(h, kBase), 0.0);
    host().step(1);
    EXPECT_NEAR(state(h, kBase), 0.004, 1e-15);
    EXPECT_EQ(savedLine(h, "BASEANIM"), "  BASEANIM 2 0.004");
}

TEST_F(TrussStep, BoxTurningDownFromExactlyZeroShowsOneAndGoesOnDownward) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63"});
    press(h, OAPI_KEY_J);
    host().step(1);
    EXPECT_EQ(state(h, kBox), 1.0);
    host().step(1);
    EXPECT_NEAR(state(h, kBox), 0.996, 1e-15);
    EXPECT_EQ(state(h, kBase), 0.0);
}

TEST_F(TrussStep, BaseTurningDownFromExactlyZeroShowsOne) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63"});
    press(h, OAPI_KEY_G);
    host().step(1);
    EXPECT_EQ(state(h, kBase), 1.0);
}

TEST_F(TrussStep, HandRotationRunsOnWithoutEndUntilStopped) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "BOXANIM 0 0.5"});
    press(h, OAPI_KEY_J, {OAPI_KEY_LCONTROL});
    // An eighth of a turn a step: through home twice in two full turns.
    int home = 0;
    for (int n = 0; n < 16; ++n) {
        host().step(31.25);
        if (state(h, kBox) == 0.0) ++home;
    }
    EXPECT_EQ(home, 2);
    EXPECT_EQ(state(h, kBox), 0.5);
    EXPECT_EQ(savedLine(h, "BOXANIM").substr(0, 12), "  BOXANIM 2 ");
    press(h, OAPI_KEY_J);
    host().journal().enable();
    host().step(1);
    EXPECT_EQ(host().journal().count("SetAnimation"), 0u);
}

TEST_F(TrussStep, AHandTurnedBaseCarriesTheGrapplePoint) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "BASEANIM 0 0.2"});
    press(h, OAPI_KEY_G, {OAPI_KEY_LCONTROL});
    host().step(12.5);
    EXPECT_NEAR(state(h, kBase), 0.25, 1e-12);
    expectGrapplePointAt(h, state(h, kBase));
    // Stopping leaves the point where the base stopped.
    press(h, OAPI_KEY_G);
    host().step(1);
    host().step(1);
    expectGrapplePointAt(h, 0.25);
}

// ---- Sun tracking ----

TEST_F(TrussStep, TrackingPointsBaseAndBoxAtTheSunSeenFromAnyAttitude) {
    const VECTOR3 cases[] = {Unit(0.3, -0.5, 0.8), Unit(-0.6, 0.2, -0.4), Unit(0.1, 0.9, 0.05)};
    const VECTOR3 attitudes[] = {_V(30, -20, 50), _V(0, 0, 0), _V(-75, 10, 160)};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        host().reset();
        host().setRoot(HOSTSIM_TEST_ROOT);
        // From half a turn every target is within one step of 0.5 at 125 s.
        OBJHANDLE h = make("P", "Truss", {"TYPE 63", "BASEANIM 0 0.5", "BOXANIM 0 0.5", "TRACKING"});
        seeSunAlong(h, cases[i], attitudes[i]);
        host().step(125);
        EXPECT_NEAR(state(h, kBase), BaseTurnFor(cases[i]), 1e-9);
        EXPECT_NEAR(state(h, kBox), BoxTurnFor(cases[i]), 1e-9);
        expectGrapplePointAt(h, state(h, kBase));
    }
}

TEST_F(TrussStep, SunAlongLocalZGivesAQuarterTurnOfTheBaseAndNoBoxTurn) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "TRACKING"});
    seeSunAlong(h, _V(0, 0, 1));
    host().step(100);
    EXPECT_NEAR(state(h, kBase), 0.25, 1e-12);
    EXPECT_NEAR(state(h, kBox), 0.0, 1e-12);
    expectGrapplePointAt(h, 0.25);
}

TEST_F(TrussStep, TrackerRunsUpThroughHomeOnTheShorterArc) {
    const double target = 0.05;
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "BASEANIM 0 0.9", "TRACKING"});
    seeSunAlong(h, SunDirectionFor(target, 0));
    host().step(1);
    EXPECT_NEAR(state(h, kBase), 0.904, 1e-12);
    for (int n = 1; n < 60; ++n) {
        host().step(1);
        const double s = state(h, kBase);
        EXPECT_TRUE(s >= 0.9 || s <= target + 1e-12) << "step " << n << " shows " << s;
    }
    EXPECT_NEAR(state(h, kBase), target, 1e-12);
}

TEST_F(TrussStep, TargetsExactlyHalfATurnAwayAreApproachedDirectly) {
    OBJHANDLE up = make("Up", "Truss", {"TYPE 63", "BASEANIM 0 0.25", "TRACKING"});
    seeSunAlong(up, _V(0, 0, -1));  // target 0.75
    OBJHANDLE down = make("Down", "Truss", {"TYPE 63", "BASEANIM 0 0.75", "TRACKING"});
    seeSunAlong(down, _V(0, 0, 1));  // target 0.25
    host().step(1);
    EXPECT_NEAR(state(up, kBase), 0.254, 1e-12);
    EXPECT_NEAR(state(down, kBase), 0.746, 1e-12);
}

TEST_F(TrussStep, ATrackerOnItsTargetStaysAndShowsTheSameValueEachStep) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "BASEANIM 0 0.25", "TRACKING"});
    seeSunAlong(h, _V(0, 0, 1));
    host().step(1);
    const double first = state(h, kBase);
    EXPECT_NEAR(first, 0.25, 1e-12);
    host().journal().enable();
    for (int n = 0; n < 5; ++n) host().step(1);
    EXPECT_EQ(state(h, kBase), first);
    size_t baseCalls = 0;
    for (const std::string& call : host().journal().calls("SetAnimation"))
        if (call.rfind("SetAnimation 1 ", 0) == 0) ++baseCalls;
    EXPECT_EQ(baseCalls, 5u);
}

TEST_F(TrussStep, TrackingAtTheGlobalOriginLeavesBaseAndBoxWhereTheyStand) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "BASEANIM 0 0.3", "BOXANIM 0 0.6", "TRACKING"});
    host().setPose(h, _V(0, 0, 0), hostsim::Host::rotationFromAngles(_V(0, 0, 0)));
    host().journal().enable();
    host().step(1);
    EXPECT_EQ(host().journal().count("SetAnimation"), 0u);
    EXPECT_EQ(host().journal().count("SetAttachmentParams"), 0u);
    EXPECT_EQ(state(h, kBase), 0.3);
    EXPECT_EQ(state(h, kBox), 0.6);
    for (const std::string& line : host().saveVesselLines(h)) {
        EXPECT_EQ(line.find("nan"), std::string::npos) << line;
        EXPECT_EQ(line.find("inf"), std::string::npos) << line;
    }
    EXPECT_EQ(savedLine(h, "BASEANIM"), "  BASEANIM 0 0.300");
    // Away from the origin the tracking goes on from where it stood.
    seeSunAlong(h, _V(0, 0, 1));
    host().step(1);
    EXPECT_NEAR(state(h, kBase), 0.296, 1e-12);
}

TEST_F(TrussStep, TrackingSwitchedOnAfterAHandRotationStartsFromTheTrackers) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "BASEANIM 0 0.5"});
    seeSunAlong(h, _V(0, 0, 1));  // target 0.25
    press(h, OAPI_KEY_G);
    for (int n = 0; n < 10; ++n) host().step(1);
    EXPECT_NEAR(state(h, kBase), 0.46, 1e-12);

    press(h, OAPI_KEY_D);
    host().step(1);
    EXPECT_NEAR(state(h, kBase), 0.496, 1e-12);  // the tracker stood at the loaded 0.5
    EXPECT_EQ(savedLine(h, "BASEANIM").substr(0, 13), "  BASEANIM 1 ");

    // Tracking off: the hand rotation resumes from the state tracking left.
    press(h, OAPI_KEY_D);
    host().step(1);
    EXPECT_NEAR(state(h, kBase), 0.492, 1e-12);
}

// ---- Home motion ----

TEST_F(TrussStep, HomeAfterTrackingRunsEachAxisToTheNearerEndThenRestsAtZero) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "BASEANIM 0 0.3", "BOXANIM 0 0.9", "TRACKING"});
    seeSunAlong(h, SunDirectionFor(0.3, 0.9));
    host().step(1);
    EXPECT_NEAR(state(h, kBase), 0.3, 1e-12);
    EXPECT_NEAR(state(h, kBox), 0.9, 1e-12);

    press(h, OAPI_KEY_U, {OAPI_KEY_LCONTROL});
    EXPECT_EQ(savedLine(h, "TRACKING"), "");
    host().step(1);
    EXPECT_NEAR(state(h, kBase), 0.296, 1e-12);
    EXPECT_NEAR(state(h, kBox), 0.904, 1e-12);

    int quiet = 0;
    for (int n = 2; n <= 100 && quiet == 0; ++n) {
        host().journal().enable();
        host().journal().clear();
        host().step(1);
        if (host().journal().count("SetAnimation") == 0) quiet = n;
        if (n == 30) {
            EXPECT_EQ(state(h, kBox), 0.0);  // arrived at 1 and now rests at 0
            EXPECT_NEAR(state(h, kBase), 0.3 - 30 * 0.004, 1e-12);
        }
    }
    EXPECT_GE(quiet, 76);
    EXPECT_LE(quiet, 78);
    EXPECT_EQ(state(h, kBase), 0.0);
    EXPECT_EQ(state(h, kBox), 0.0);
    EXPECT_EQ(savedLine(h, "BASEANIM"), "  BASEANIM 0 0.000");
    EXPECT_EQ(savedLine(h, "BOXANIM"), "  BOXANIM 0 0.000");
}

TEST_F(TrussStep, HomeAfterAHandRotationStartsFromTheTargetsOfTheBuild) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "BASEANIM 0 0.3", "BOXANIM 0 0.7"});
    press(h, OAPI_KEY_G, {OAPI_KEY_LCONTROL});
    for (int n = 0; n < 10; ++n) host().step(1);
    EXPECT_NEAR(state(h, kBase), 0.34, 1e-12);

    press(h, OAPI_KEY_U, {OAPI_KEY_RCONTROL});
    host().step(1);
    EXPECT_NEAR(state(h, kBase), 0.296, 1e-12);
    EXPECT_NEAR(state(h, kBox), 0.704, 1e-12);
    EXPECT_EQ(savedLine(h, "BASEANIM"), "  BASEANIM 0 0.296");
}

TEST_F(TrussStep, HomeMotionDoesNotMoveTheGrapplePoint) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "BASEANIM 0 0.25"});
    press(h, OAPI_KEY_U, {OAPI_KEY_LCONTROL});
    host().journal().enable();
    host().step(1);
    EXPECT_EQ(host().journal().count("SetAttachmentParams"), 0u);
    EXPECT_NEAR(state(h, kBase), 0.246, 1e-12);
}

TEST_F(TrussStep, TrackingSwitchedOnDuringHomingRunsBothAndKeepsTheFlagUntilArrival) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "BASEANIM 0 0.25"});
    seeSunAlong(h, _V(0, 0, 1));  // target 0.25, where the tracker stands
    press(h, OAPI_KEY_U, {OAPI_KEY_LCONTROL});
    press(h, OAPI_KEY_D);
    for (int n = 0; n < 5; ++n) {
        host().journal().enable();
        host().journal().clear();
        host().step(1);
        // The tracker shows the target, then the home motion starts again from it.
        std::vector<std::string> base;
        for (const std::string& call : host().journal().calls("SetAnimation"))
            if (call.rfind("SetAnimation 1 ", 0) == 0) base.push_back(call);
        ASSERT_EQ(base.size(), 2u);
        EXPECT_NEAR(state(h, kBase), 0.246, 1e-12);
    }
    EXPECT_EQ(savedLine(h, "TRACKING"), "  TRACKING ");
}

// ---- Grapple release ----

TEST_F(TrussStep, AGrappledSegmentOfAnyTypeLetsGoOfItsDocksInEveryStep) {
    for (int type : {2, 6, 12, 18, 61, 63}) {
        SCOPED_TRACE(type);
        host().reset();
        host().setRoot(HOSTSIM_TEST_ROOT);
        OBJHANDLE h = make("T", "Truss", {"TYPE " + std::to_string(type)});
        OBJHANDLE other = make("Other", "Truss", {"TYPE 6"});
        grapple(h);
        for (int n = 0; n < 3; ++n) {
            ASSERT_TRUE(host().dock(other, 0, h, 1));
            host().step(0.5);
            EXPECT_EQ(v(h).docks[1]->mate, nullptr) << "step " << n;
            EXPECT_EQ(v(other).docks[0]->mate, nullptr) << "step " << n;
        }
    }
}

TEST_F(TrussStep, AFreeSegmentKeepsItsDocks) {
    OBJHANDLE h = make("T", "Truss", {"TYPE 6"});
    OBJHANDLE other = make("Other", "Truss", {"TYPE 6"});
    ASSERT_TRUE(host().dock(other, 0, h, 1));
    host().step(1);
    EXPECT_NE(v(h).docks[1]->mate, nullptr);
}

TEST_F(TrussStep, AGrappledSixMetreSegmentOnlyUndocksInItsStep) {
    OBJHANDLE h = make("T", "Truss", {"TYPE 6"});
    grapple(h);
    host().setFocus(h);
    host().pressKey(OAPI_KEY_G);
    host().pressKey(OAPI_KEY_K, {OAPI_KEY_LCONTROL});
    host().journal().enable();
    host().step(1);
    host().step(1);
    EXPECT_EQ(host().journal().calls("Undock"), (std::vector<std::string>{"Undock -1", "Undock -1"}));
    // Besides asking whether its points are held, nothing else.
    for (const std::string& name : host().journal().names())
        EXPECT_TRUE(name == "Undock" || name == "GetAttachmentStatus" || name == "oapiIsVessel") << name;
}

TEST_F(TrussStep, AGrappledSolarSegmentUndocksAndItsPointStillFollowsTheBase) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "BASEANIM 0 0.1"});
    OBJHANDLE other = make("Other", "Truss", {"TYPE 6"});
    grapple(h);
    ASSERT_TRUE(host().dock(other, 1, h, 0));
    press(h, OAPI_KEY_G, {OAPI_KEY_LCONTROL});
    host().step(25);
    EXPECT_EQ(v(h).docks[0]->mate, nullptr);
    EXPECT_NEAR(state(h, kBase), 0.2, 1e-12);
    expectGrapplePointAt(h, 0.2);
}

}  // namespace
