// The truss type catalogue as the loaded module builds it: meshes, empty mass, ports
// and attachment points of every type, the fallback type, trunnions, and what a
// tear-down and rebuild leave behind.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "../truss/Truss.h"
#include "HostTest.h"

namespace {

constexpr double kTol = 1e-12;

::testing::AssertionResult Near(const VECTOR3& a, double x, double y, double z) {
    if (std::fabs(a.x - x) <= kTol && std::fabs(a.y - y) <= kTol && std::fabs(a.z - z) <= kTol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") is not (" << x << ", " << y
                                         << ", " << z << ")";
}

struct Port {
    double px, py, pz, dx, dy, dz, rx, ry, rz;
};

void ExpectPort(const hostsim::Dock& d, const Port& p) {
    EXPECT_TRUE(Near(d.pos, p.px, p.py, p.pz));
    EXPECT_TRUE(Near(d.dir, p.dx, p.dy, p.dz));
    EXPECT_TRUE(Near(d.rot, p.rx, p.ry, p.rz));
}

std::vector<const hostsim::Mesh*> UsedMeshes(const hostsim::Vessel& v) {
    std::vector<const hostsim::Mesh*> used;
    for (const hostsim::Mesh& m : v.meshes)
        if (m.used) used.push_back(&m);
    return used;
}

// The "GS" points in creation order.
std::vector<const hostsim::Attachment*> GrapplePoints(const hostsim::Vessel& v) {
    std::vector<const hostsim::Attachment*> points;
    for (const hostsim::Attachment* a : v.parentPoints)
        if (a->id == "GS") points.push_back(a);
    return points;
}

void ExpectGrapplePoint(const hostsim::Attachment& a, double x, double y, double dirY) {
    EXPECT_TRUE(a.toParent);
    EXPECT_FALSE(a.loose);
    EXPECT_TRUE(Near(a.pos, x, y, 0));
    EXPECT_TRUE(Near(a.dir, 0, dirY, 0));
    EXPECT_TRUE(Near(a.rot, 0, 0, 1));
}

// End ports at +-L/2 for segments with ends.
void ExpectEndPorts(const hostsim::Vessel& v, double half) {
    ASSERT_GE(v.docks.size(), 2u);
    ExpectPort(*v.docks[0], {half, 0, 0, 1, 0, 0, 0, 1, 0});
    ExpectPort(*v.docks[1], {-half, 0, 0, -1, 0, 0, 0, 1, 0});
}

// Bay ports of a straight segment of `length` metres, after the two end ports: four
// faces per bay, bays from -x to +x, 1.5 m apart, the first 0.75 m in from the end.
void ExpectBayPorts(const hostsim::Vessel& v, int length) {
    const int bays = 2 * length / 3;
    ASSERT_EQ(v.docks.size(), size_t(2 + 4 * bays));
    const Port faces[4] = {
        {0, 0.916735, 0.654291, 0, 0.5, 0.866025, 1, 0, 0},
        {0, -0.916735, 0.654291, 0, -0.5, 0.866025, -1, 0, 0},
        {0, 0.916735, -0.654291, 0, 0.5, -0.866025, -1, 0, 0},
        {0, -0.916735, -0.654291, 0, -0.5, -0.866025, 1, 0, 0},
    };
    for (int bay = 0; bay < bays; ++bay) {
        const double x = -length / 2.0 + 0.75 + 1.5 * bay;
        for (int face = 0; face < 4; ++face) {
            SCOPED_TRACE("bay " + std::to_string(bay) + " face " + std::to_string(face));
            Port p = faces[face];
            p.px = x;
            ExpectPort(*v.docks[2 + 4 * bay + face], p);
        }
    }
}

// The editor's operations, called through the object the host holds. The tests load
// the module at run time and never link to it, so the sanitizer's vptr check, which
// needs Truss's type information, is left out of these calls.
struct Editor {
    VESSEL* object;
    __attribute__((no_sanitize("vptr"))) void BuildType(int code) { static_cast<Truss*>(object)->BuildType(code); }
    __attribute__((no_sanitize("vptr"))) void TearDown() { static_cast<Truss*>(object)->TearDown(); }
    __attribute__((no_sanitize("vptr"))) void ShowTrunnions(bool on) { static_cast<Truss*>(object)->ShowTrunnions(on); }
};

class TrussBuild : public HostTest {
protected:
    Editor truss(OBJHANDLE h) { return Editor{v(h).iface}; }
};

TEST_F(TrussBuild, BaseSegmentHasItsMeshMassFourPortsAndPayloadAndGrapplePoints) {
    OBJHANDLE h = make("B", "Truss", {"TYPE 2", "PLD_OFS 0.5 -1.25 2"});
    const hostsim::Vessel& t = v(h);

    auto meshes = UsedMeshes(t);
    ASSERT_EQ(meshes.size(), 1u);
    EXPECT_EQ(t.meshes[0].name, "Truss\\Base2");
    EXPECT_TRUE(Near(t.meshes[0].offset, 0, 0, 0));
    EXPECT_DOUBLE_EQ(t.emptyMass, 3500.0);

    ASSERT_EQ(t.docks.size(), 4u);
    ExpectPort(*t.docks[0], {1.875, 0, 0, 1, 0, 0, 0, 1, 0});
    ExpectPort(*t.docks[1], {-1.875, 0, 0, -1, 0, 0, 0, 1, 0});
    ExpectPort(*t.docks[2], {0, 0, 3.1, 0, 0, 1, 0, 1, 0});
    ExpectPort(*t.docks[3], {0, 0, -3.1, 0, 0, -1, 0, 1, 0});

    // "CAR" from the class caps, then "XS" at the payload offset, then the grapple points.
    ASSERT_EQ(t.parentPoints.size(), 4u);
    EXPECT_EQ(t.parentPoints[0]->id, "CAR");
    const hostsim::Attachment& xs = *t.parentPoints[1];
    EXPECT_EQ(xs.id, "XS");
    EXPECT_TRUE(xs.toParent);
    EXPECT_FALSE(xs.loose);
    EXPECT_TRUE(Near(xs.pos, 0.5, -1.25, 2));
    EXPECT_TRUE(Near(xs.dir, 0, -1, 0));
    EXPECT_TRUE(Near(xs.rot, 0, 0, 1));
    EXPECT_EQ(t.parentPoints[2]->id, "GS");
    ExpectGrapplePoint(*t.parentPoints[2], 0, 1.754091, 1);
    ExpectGrapplePoint(*t.parentPoints[3], 0, -1.754091, -1);
    EXPECT_TRUE(t.childPoints.empty());
    EXPECT_TRUE(t.animations.empty());
}

TEST_F(TrussBuild, BaseSegmentWithoutPayloadOffsetPutsItsPayloadPointAtTheOrigin) {
    OBJHANDLE h = make("B", "Truss", {"TYPE 2"});
    ASSERT_EQ(v(h).parentPoints.size(), 4u);
    EXPECT_EQ(v(h).parentPoints[1]->id, "XS");
    EXPECT_TRUE(Near(v(h).parentPoints[1]->pos, 0, 0, 0));
}

TEST_F(TrussBuild, SixMetreSegmentHasEndPortsFourBaysAndTwoGrapplePoints) {
    OBJHANDLE h = make("S6", "Truss", {"TYPE 6"});
    const hostsim::Vessel& t = v(h);

    auto meshes = UsedMeshes(t);
    ASSERT_EQ(meshes.size(), 1u);
    EXPECT_EQ(t.meshes[0].name, "Truss\\truss6m");
    EXPECT_DOUBLE_EQ(t.emptyMass, 3000.0);
    ExpectEndPorts(t, 3);
    ExpectBayPorts(t, 6);
    EXPECT_DOUBLE_EQ(t.docks[2]->pos.x, -2.25);
    EXPECT_DOUBLE_EQ(t.docks[17]->pos.x, 2.25);

    auto gs = GrapplePoints(t);
    ASSERT_EQ(gs.size(), 2u);
    EXPECT_EQ(t.parentPoints.size(), 3u);
    ExpectGrapplePoint(*gs[0], 0, 1.03523, 1);
    ExpectGrapplePoint(*gs[1], 0, -1.03523, -1);
    EXPECT_TRUE(t.animations.empty());
}

TEST_F(TrussBuild, TwelveMetreSegmentHasEndsAtSixAndThirtyTwoBayPortsFromMinusToPlusFiveQuarter) {
    OBJHANDLE h = make("S12", "Truss", {"TYPE 12"});
    const hostsim::Vessel& t = v(h);

    EXPECT_EQ(t.meshes[0].name, "Truss\\truss12m");
    EXPECT_DOUBLE_EQ(t.emptyMass, 5500.0);
    ExpectEndPorts(t, 6);
    ExpectBayPorts(t, 12);
    EXPECT_DOUBLE_EQ(t.docks[2]->pos.x, -5.25);
    EXPECT_DOUBLE_EQ(t.docks[33]->pos.x, 5.25);

    auto gs = GrapplePoints(t);
    ASSERT_EQ(gs.size(), 4u);
    ExpectGrapplePoint(*gs[0], -3, -1.03523, -1);
    ExpectGrapplePoint(*gs[1], 3, -1.03523, -1);
    ExpectGrapplePoint(*gs[2], -3, 1.03523, 1);
    ExpectGrapplePoint(*gs[3], 3, 1.03523, 1);
}

TEST_F(TrussBuild, EighteenMetreSegmentHasEndsAtNineFortyEightBayPortsAndSixGrapplePoints) {
    OBJHANDLE h = make("S18", "Truss", {"TYPE 18"});
    const hostsim::Vessel& t = v(h);

    EXPECT_EQ(t.meshes[0].name, "Truss\\truss18m");
    EXPECT_DOUBLE_EQ(t.emptyMass, 7900.0);
    ExpectEndPorts(t, 9);
    ExpectBayPorts(t, 18);
    EXPECT_DOUBLE_EQ(t.docks[2]->pos.x, -8.25);
    EXPECT_DOUBLE_EQ(t.docks[49]->pos.x, 8.25);

    auto gs = GrapplePoints(t);
    ASSERT_EQ(gs.size(), 6u);
    ExpectGrapplePoint(*gs[0], 0, -1.03523, -1);
    ExpectGrapplePoint(*gs[1], 5.82, -1.03523, -1);
    ExpectGrapplePoint(*gs[2], -5.82, -1.03523, -1);
    ExpectGrapplePoint(*gs[3], 0, 1.03523, 1);
    ExpectGrapplePoint(*gs[4], 5.82, 1.03523, 1);
    ExpectGrapplePoint(*gs[5], -5.82, 1.03523, 1);
}

TEST_F(TrussBuild, RadiatorSegmentHasEndsAtThreeTwelveRadiatorPortsAndItsAnimation) {
    OBJHANDLE h = make("R", "Truss", {"TYPE 61"});
    const hostsim::Vessel& t = v(h);

    EXPECT_EQ(t.meshes[0].name, "Truss\\RadiatorTruss");
    EXPECT_EQ(UsedMeshes(t).size(), 1u);
    EXPECT_DOUBLE_EQ(t.emptyMass, 2500.0);
    ExpectEndPorts(t, 3);
    ASSERT_EQ(t.docks.size(), 14u);
    const double stations[3] = {-1.94, 0, 1.94};
    for (int s = 0; s < 3; ++s) {
        SCOPED_TRACE("station " + std::to_string(s));
        const double x = stations[s];
        ExpectPort(*t.docks[2 + 4 * s + 0], {x, 0.478262, 0.822896, 0, 0.5, 0.866025, -1, 0, 0});
        ExpectPort(*t.docks[2 + 4 * s + 1], {x, -0.478262, 0.822896, 0, -0.5, 0.866025, -1, 0, 0});
        ExpectPort(*t.docks[2 + 4 * s + 2], {x, 0.478262, -0.822896, 0, 0.5, -0.866025, -1, 0, 0});
        ExpectPort(*t.docks[2 + 4 * s + 3], {x, -0.478262, -0.822896, 0, -0.5, -0.866025, -1, 0, 0});
    }

    auto gs = GrapplePoints(t);
    ASSERT_EQ(gs.size(), 2u);
    ExpectGrapplePoint(*gs[0], 0, 1.754091, 1);
    ExpectGrapplePoint(*gs[1], 0, -1.754091, -1);
    ASSERT_EQ(t.animations.size(), 1u);
    EXPECT_EQ(t.animations[0].components.size(), 128u);
}

TEST_F(TrussBuild, SolarSegmentHasEndsAtThreeOneGrapplePointAndFourAnimations) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63"});
    const hostsim::Vessel& t = v(h);

    EXPECT_EQ(t.meshes[0].name, "Truss\\SolarTruss");
    EXPECT_EQ(UsedMeshes(t).size(), 1u);
    EXPECT_DOUBLE_EQ(t.emptyMass, 3000.0);
    ASSERT_EQ(t.docks.size(), 2u);
    ExpectEndPorts(t, 3);

    auto gs = GrapplePoints(t);
    ASSERT_EQ(gs.size(), 1u);
    ExpectGrapplePoint(*gs[0], 0, 0.53523, 1);
    ASSERT_EQ(t.animations.size(), 4u);
    size_t components = 0;
    for (const hostsim::Animation& a : t.animations) components += a.components.size();
    EXPECT_EQ(components, 734u);
}

TEST_F(TrussBuild, UnknownTypeCodesBuildASixMetreSegmentAndSaveSix) {
    for (const char* code : {"7", "0", "100", "-2"}) {
        SCOPED_TRACE(code);
        host().reset();
        host().setRoot(HOSTSIM_TEST_ROOT);
        OBJHANDLE h = make("X", "Truss", {std::string("TYPE ") + code});
        EXPECT_EQ(v(h).meshes[0].name, "Truss\\truss6m");
        EXPECT_EQ(v(h).docks.size(), 18u);
        EXPECT_DOUBLE_EQ(v(h).emptyMass, 3000.0);
        auto lines = host().saveVesselLines(h);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "  TYPE 6");
    }
}

TEST_F(TrussBuild, BuildReleasesEveryDockedVesselBeforeMakingAnyPort) {
    host().journal().enable();
    make("S", "Truss", {"TYPE 12"});
    auto names = host().journal().names();
    auto undock = std::find(names.begin(), names.end(), "Undock");
    auto firstDock = std::find(names.begin(), names.end(), "CreateDock");
    ASSERT_NE(undock, names.end());
    EXPECT_LT(undock, firstDock);
    EXPECT_EQ(host().journal().calls("Undock").front(), "Undock -1");
}

TEST_F(TrussBuild, BuildingAnyTypeFirstReleasesEveryDockedVessel) {
    OBJHANDLE a = make("A", "Truss", {"TYPE 6"});
    OBJHANDLE b = make("B", "Truss", {"TYPE 6"});
    OBJHANDLE c = make("C", "Truss", {"TYPE 6"});
    ASSERT_TRUE(host().dock(a, 0, b, 1));
    ASSERT_TRUE(host().dock(c, 1, b, 0));
    // A build does not take the old ports away; it lets go of what is docked to them.
    truss(b).BuildType(63);
    EXPECT_EQ(v(a).docks[0]->mate, nullptr);
    EXPECT_EQ(v(c).docks[1]->mate, nullptr);
    for (const hostsim::Dock* d : v(b).docks) EXPECT_EQ(d->mate, nullptr);
}

TEST_F(TrussBuild, BaseSegmentWithStsLineShowsTheTrunnionsAfterTheMainMesh) {
    OBJHANDLE h = make("B", "Truss", {"TYPE 2", "STS"});
    const hostsim::Vessel& t = v(h);
    ASSERT_EQ(UsedMeshes(t).size(), 2u);
    EXPECT_EQ(t.meshes[0].name, "Truss\\Base2");
    EXPECT_EQ(t.meshes[1].name, "Truss\\BaseTrunnions");
}

TEST_F(TrussBuild, ShowTrunnionsAddsAndRemovesTheTrunnionMeshOfABaseSegment) {
    OBJHANDLE h = make("B", "Truss", {"TYPE 2"});
    ASSERT_EQ(UsedMeshes(v(h)).size(), 1u);

    truss(h).ShowTrunnions(true);
    ASSERT_EQ(UsedMeshes(v(h)).size(), 2u);
    EXPECT_EQ(v(h).meshes[1].name, "Truss\\BaseTrunnions");
    EXPECT_EQ(host().saveVesselLines(h).end()[-2], "  STS ");

    truss(h).ShowTrunnions(true);  // already shown: no second mesh
    EXPECT_EQ(UsedMeshes(v(h)).size(), 2u);

    truss(h).ShowTrunnions(false);
    ASSERT_EQ(UsedMeshes(v(h)).size(), 1u);
    EXPECT_EQ(UsedMeshes(v(h))[0]->name, "Truss\\Base2");
    for (const std::string& line : host().saveVesselLines(h)) EXPECT_NE(line.find("STS"), 2u);
}

TEST_F(TrussBuild, ShowTrunnionsOnASixMetreSegmentChangesNothing) {
    OBJHANDLE h = make("S", "Truss", {"TYPE 6"});
    host().journal().enable();
    truss(h).ShowTrunnions(true);
    EXPECT_EQ(UsedMeshes(v(h)).size(), 1u);
    EXPECT_EQ(host().journal().count("AddMesh"), 0u);
    // The flag did not change either: a base segment built now shows no trunnions.
    truss(h).TearDown();
    truss(h).BuildType(2);
    EXPECT_EQ(UsedMeshes(v(h)).size(), 1u);
}

TEST_F(TrussBuild, TearingDownABaseSegmentWithTrunnionsKeepsTheFlagForTheNextBuild) {
    OBJHANDLE h = make("B", "Truss", {"TYPE 2", "STS"});
    truss(h).TearDown();
    EXPECT_TRUE(UsedMeshes(v(h)).empty());
    truss(h).BuildType(2);
    ASSERT_EQ(UsedMeshes(v(h)).size(), 2u);
    EXPECT_EQ(v(h).meshes[0].name, "Truss\\Base2");
    EXPECT_EQ(v(h).meshes[1].name, "Truss\\BaseTrunnions");
}

TEST_F(TrussBuild, TearDownLeavesOnlyTheCarrierPointForEveryType) {
    for (int type : {2, 6, 12, 18, 61, 63}) {
        SCOPED_TRACE(type);
        host().reset();
        host().setRoot(HOSTSIM_TEST_ROOT);
        OBJHANDLE h = make("T", "Truss", {"TYPE " + std::to_string(type), "STS"});
        truss(h).TearDown();
        const hostsim::Vessel& t = v(h);
        EXPECT_TRUE(UsedMeshes(t).empty());
        EXPECT_TRUE(t.docks.empty());
        ASSERT_EQ(t.parentPoints.size(), 1u);
        EXPECT_EQ(t.parentPoints[0]->id, "CAR");
        for (const hostsim::Animation& a : t.animations) EXPECT_TRUE(a.components.empty());
    }
}

TEST_F(TrussBuild, ChangingTypeFromRadiatorToSolarGivesTheSolarMeshAtIndexZero) {
    OBJHANDLE h = make("T", "Truss", {"TYPE 61", "RADANIM 0 0.5"});
    truss(h).TearDown();
    truss(h).BuildType(63);
    const hostsim::Vessel& t = v(h);
    ASSERT_EQ(UsedMeshes(t).size(), 1u);
    EXPECT_EQ(t.meshes[0].name, "Truss\\SolarTruss");
    EXPECT_EQ(t.docks.size(), 2u);
    EXPECT_EQ(GrapplePoints(t).size(), 1u);
    // The radiator animation was deleted; the four solar animations follow it.
    ASSERT_EQ(t.animations.size(), 5u);
    EXPECT_TRUE(t.animations[0].components.empty());
    EXPECT_EQ(t.animations[1].components.size() + t.animations[2].components.size() +
                  t.animations[3].components.size() + t.animations[4].components.size(),
              734u);
}

TEST_F(TrussBuild, ChangingTypeFromBaseToSixMetreRemovesThePayloadPoint) {
    OBJHANDLE h = make("T", "Truss", {"TYPE 2", "PLD_OFS 0 -2 0"});
    truss(h).TearDown();
    truss(h).BuildType(6);
    const hostsim::Vessel& t = v(h);
    for (const hostsim::Attachment* a : t.parentPoints) EXPECT_NE(a->id, "XS");
    EXPECT_EQ(t.parentPoints.size(), 3u);
    EXPECT_EQ(t.docks.size(), 18u);
}

}  // namespace
