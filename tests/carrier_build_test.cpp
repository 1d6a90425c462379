// The carrier's layout as the loaded module builds it: meshes, docks, points, the turn
// animation and the empty mass, for one and three segments, after a change of the
// segment count, with and without trunnions; and a carrier that was never built.
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "CarrierOps.h"
#include "HostTest.h"

namespace {

constexpr double kTol = 1e-12;
const char* const kBase1 = "Truss\\Carriers\\HaulbedBase1";
const char* const kSegment = "Truss\\Carriers\\HaulbedSegment";
const char* const kBase2 = "Truss\\Carriers\\HaulbedBase2";
const char* const kTrunnions = "Truss\\Carriers\\Trunnions";

::testing::AssertionResult Near(const VECTOR3& a, double x, double y, double z) {
    if (std::fabs(a.x - x) <= kTol && std::fabs(a.y - y) <= kTol && std::fabs(a.z - z) <= kTol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") is not (" << x << ", " << y
                                         << ", " << z << ")";
}

// The z offsets of the used meshes of one name, in slot order; x and y must be zero.
std::vector<double> MeshZ(const hostsim::Vessel& v, const std::string& name) {
    std::vector<double> z;
    for (const hostsim::Mesh& m : v.meshes) {
        if (!m.used || m.name != name) continue;
        EXPECT_EQ(m.offset.x, 0.0);
        EXPECT_EQ(m.offset.y, 0.0);
        z.push_back(m.offset.z);
    }
    return z;
}

// Offsets equal within rounding: a shifted mesh may differ from a placed one in the last bit.
void ExpectZ(const std::vector<double>& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], kTol) << "mesh " << i;
}

size_t UsedMeshes(const hostsim::Vessel& v) {
    size_t n = 0;
    for (const hostsim::Mesh& m : v.meshes) n += m.used ? 1 : 0;
    return n;
}

// The pallet points of a carrier of `segments` segments at turn angle 0.
void ExpectPalletPoints(const hostsim::Vessel& v, unsigned segments) {
    ASSERT_EQ(v.childPoints.size(), 4u * segments);
    for (unsigned k = 0; k < v.childPoints.size(); ++k) {
        SCOPED_TRACE("pallet point " + std::to_string(k));
        const hostsim::Attachment& p = *v.childPoints[k];
        const double z = 1.5 * (k / 4);
        const double x = (k % 2 == 0) ? -0.75 : 0.75;
        const double y = (k % 4 < 2) ? 0.04 : -0.04;
        EXPECT_EQ(p.id, "PALLET");
        EXPECT_FALSE(p.loose);
        EXPECT_TRUE(Near(p.pos, x, y, z));
        EXPECT_TRUE(Near(p.dir, 0, y > 0 ? 1 : -1, 0));
        EXPECT_TRUE(Near(p.rot, x < 0 ? 1 : -1, 0, 0));
    }
}

// Docks, grapple points and the carrier point of a carrier whose far end is at z = length.
void ExpectEnds(const hostsim::Vessel& v, double length) {
    ASSERT_EQ(v.docks.size(), 2u);
    EXPECT_TRUE(Near(v.docks[0]->pos, 0, 0, -1.57));
    EXPECT_TRUE(Near(v.docks[0]->dir, 0, 0, -1));
    EXPECT_TRUE(Near(v.docks[0]->rot, 0, 1, 0));
    EXPECT_TRUE(Near(v.docks[1]->pos, 0, 0, length + 1.57));
    EXPECT_TRUE(Near(v.docks[1]->dir, 0, 0, 1));
    EXPECT_TRUE(Near(v.docks[1]->rot, 0, 1, 0));

    ASSERT_EQ(v.parentPoints.size(), 5u);
    EXPECT_EQ(v.parentPoints[0]->id, "XS");
    EXPECT_TRUE(Near(v.parentPoints[0]->dir, 0, -1, 0));
    EXPECT_TRUE(Near(v.parentPoints[0]->rot, 0, 0, -1));
    const double grappleY[4] = {1.03523, -1.03523, 1.03523, -1.03523};
    const double grappleZ[4] = {-1.11, -1.11, length + 1.11, length + 1.11};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE("grapple point " + std::to_string(i));
        const hostsim::Attachment& g = *v.parentPoints[1 + i];
        EXPECT_EQ(g.id, "GS");
        EXPECT_FALSE(g.loose);
        EXPECT_TRUE(Near(g.pos, 0, grappleY[i], grappleZ[i]));
        EXPECT_TRUE(Near(g.dir, 0, 1, 0));
        EXPECT_TRUE(Near(g.rot, 0, 0, 1));
    }
}

// One live turn component per segment mesh, each a full turn of groups 0 to 3.
void ExpectTurnComponents(const hostsim::Vessel& v, unsigned segments) {
    ASSERT_EQ(v.animations.size(), 1u);
    const hostsim::Animation& anim = v.animations[0];
    EXPECT_EQ(anim.defaultState, 0.0);
    ASSERT_EQ(anim.components.size(), segments);
    std::vector<UINT> segmentSlots;
    for (UINT i = 0; i < v.meshes.size(); ++i)
        if (v.meshes[i].used && v.meshes[i].name == kSegment) segmentSlots.push_back(i);
    ASSERT_EQ(segmentSlots.size(), segments);
    const auto components = listOf(anim.components);
    for (unsigned i = 0; i < segments; ++i) {
        SCOPED_TRACE("component " + std::to_string(i));
        const hostsim::AnimationComponent& c = *components[i];
        EXPECT_EQ(c.state0, 0.0);
        EXPECT_EQ(c.state1, 1.0);
        EXPECT_EQ(c.parent, nullptr);
        ASSERT_NE(c.transform, nullptr);
        ASSERT_EQ(c.transform->Type(), MGROUP_TRANSFORM::ROTATE);
        const auto& r = static_cast<const MGROUP_ROTATE&>(*c.transform);
        EXPECT_EQ(r.mesh, segmentSlots[i]);
        ASSERT_EQ(r.ngrp, 4u);
        for (UINT g = 0; g < 4; ++g) EXPECT_EQ(r.grp[g], g);
        EXPECT_TRUE(Near(r.ref, 0, 0, 0));
        EXPECT_TRUE(Near(r.axis, 0, 0, 1));
        EXPECT_EQ(r.angle, static_cast<float>(2 * 3.14159265358979323846));
    }
}

class CarrierBuild : public HostTest {
protected:
    static CarrierOps carrier(OBJHANDLE h) { return {v(h).iface}; }
};

TEST_F(CarrierBuild, OneSegmentCarrierHasBothBasesAtTheOriginAndFourPalletPoints) {
    OBJHANDLE h = make("C1", "Haulbed", {"SEGS 1"});
    const hostsim::Vessel& c = v(h);

    ASSERT_EQ(c.meshes.size(), 3u);
    EXPECT_EQ(c.meshes[0].name, kBase1);
    EXPECT_EQ(c.meshes[1].name, kSegment);
    EXPECT_EQ(c.meshes[2].name, kBase2);
    ExpectZ(MeshZ(c, kBase1), std::vector<double>{0.0});
    ExpectZ(MeshZ(c, kSegment), std::vector<double>{0.0});
    ExpectZ(MeshZ(c, kBase2), std::vector<double>{0.0});
    EXPECT_TRUE(MeshZ(c, kTrunnions).empty());

    ExpectEnds(c, 0.0);
    EXPECT_TRUE(Near(c.parentPoints[0]->pos, 0, 0, 0));
    ExpectPalletPoints(c, 1);
    ExpectTurnComponents(c, 1);
    EXPECT_DOUBLE_EQ(c.emptyMass, 2240.0);
}

TEST_F(CarrierBuild, ThreeSegmentCarrierStretchesTheFarEndToFourAndAHalfMetres) {
    OBJHANDLE h = make("C3", "Haulbed", {"SEGS 3", "STS"});
    const hostsim::Vessel& c = v(h);

    // Creation order: near base, segments, far base, then the trunnions.
    ASSERT_EQ(c.meshes.size(), 7u);
    EXPECT_EQ(c.meshes[0].name, kBase1);
    EXPECT_EQ(c.meshes[4].name, kBase2);
    EXPECT_EQ(c.meshes[5].name, kTrunnions);
    EXPECT_EQ(c.meshes[6].name, kTrunnions);
    ExpectZ(MeshZ(c, kSegment), (std::vector<double>{0.0, 1.5, 3.0}));
    ExpectZ(MeshZ(c, kBase2), std::vector<double>{3.0});
    ExpectZ(MeshZ(c, kTrunnions), (std::vector<double>{-1.11, 3.0 + 1.11}));

    ExpectEnds(c, 3.0);
    ExpectPalletPoints(c, 3);
    ExpectTurnComponents(c, 3);
    EXPECT_DOUBLE_EQ(c.emptyMass, 2940.0);
}

TEST_F(CarrierBuild, ChangingThreeSegmentsToFiveMovesTheFarEndByThreeMetres) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 3", "STS"});
    carrier(h).SetSegmentCount(5, true);
    const hostsim::Vessel& c = v(h);

    ExpectZ(MeshZ(c, kBase1), std::vector<double>{0.0});
    ExpectZ(MeshZ(c, kSegment), (std::vector<double>{0.0, 1.5, 3.0, 4.5, 6.0}));
    ExpectZ(MeshZ(c, kBase2), std::vector<double>{6.0});
    ExpectZ(MeshZ(c, kTrunnions), (std::vector<double>{-1.11, 6.0 + 1.11}));
    EXPECT_EQ(UsedMeshes(c), 9u);
    ExpectEnds(c, 6.0);
    EXPECT_TRUE(Near(c.docks[1]->pos, 0, 0, 7.57));
    EXPECT_TRUE(Near(c.parentPoints[3]->pos, 0, 1.03523, 7.11));
    ExpectPalletPoints(c, 5);
    ExpectTurnComponents(c, 5);
    EXPECT_DOUBLE_EQ(c.emptyMass, 1890.0 + 350.0 * 5);
}

TEST_F(CarrierBuild, ChangingFiveSegmentsBackToThreeRestoresTheThreeSegmentLayout) {
    OBJHANDLE fresh = make("Fresh", "Haulbed", {"SEGS 3", "STS"});
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 3", "STS"});
    carrier(h).SetSegmentCount(5, true);
    carrier(h).SetSegmentCount(3, true);
    const hostsim::Vessel& a = v(fresh);
    const hostsim::Vessel& b = v(h);

    for (const char* name : {kBase1, kSegment, kBase2, kTrunnions}) {
        SCOPED_TRACE(name);
        ExpectZ(MeshZ(b, name), MeshZ(a, name));
    }
    EXPECT_EQ(UsedMeshes(b), UsedMeshes(a));
    ExpectEnds(b, 3.0);
    ExpectPalletPoints(b, 3);
    ExpectTurnComponents(b, 3);
    EXPECT_EQ(b.emptyMass, a.emptyMass);
}

TEST_F(CarrierBuild, OldTurnComponentsLeaveTheAnimationBeforeTheirMeshesAreRemoved) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 3"});
    host().journal().enable();
    carrier(h).SetSegmentCount(2, false);
    const std::vector<std::string>& entries = host().journal().entries();

    size_t removed = 0, firstDelMesh = entries.size(), lastRemoval = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].rfind("DelAnimationComponent ", 0) == 0) {
            ++removed;
            lastRemoval = i;
        } else if (entries[i].rfind("DelMesh ", 0) == 0 && firstDelMesh == entries.size()) {
            firstDelMesh = i;
        }
    }
    EXPECT_EQ(removed, 3u);
    EXPECT_EQ(host().journal().count("DelMesh"), 3u);
    EXPECT_LT(lastRemoval, firstDelMesh);
    ExpectTurnComponents(v(h), 2);
}

TEST_F(CarrierBuild, SegmentCountChangesAreClampedToOneAndToTheLimitOfOneHundred) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 3"});
    carrier(h).SetSegmentCount(0, false);
    ExpectPalletPoints(v(h), 1);
    EXPECT_DOUBLE_EQ(v(h).emptyMass, 2240.0);

    carrier(h).SetSegmentCount(250, false);
    EXPECT_EQ(MeshZ(v(h), kSegment).size(), 100u);
    ExpectEnds(v(h), 1.5 * 99);
    EXPECT_EQ(v(h).childPoints.size(), 400u);
    EXPECT_DOUBLE_EQ(v(h).emptyMass, 1890.0 + 350.0 * 100);
}

TEST_F(CarrierBuild, SegmentCountChangeWithTrunnionsClearRemovesShownTrunnions) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 3", "STS"});
    carrier(h).SetSegmentCount(4, false);
    EXPECT_TRUE(MeshZ(v(h), kTrunnions).empty());
    EXPECT_EQ(UsedMeshes(v(h)), 6u);
}

TEST_F(CarrierBuild, SegmentCountChangeWithTrunnionsSetAddsThemAtTheNewLength) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 3"});
    carrier(h).SetSegmentCount(5, true);
    ExpectZ(MeshZ(v(h), kTrunnions), (std::vector<double>{-1.11, 6.0 + 1.11}));
}

TEST_F(CarrierBuild, SegmentCountChangeWithoutTrunnionsLeavesNoneShown) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 2"});
    carrier(h).SetSegmentCount(4, false);
    EXPECT_TRUE(MeshZ(v(h), kTrunnions).empty());
    ExpectZ(MeshZ(v(h), kBase2), std::vector<double>{4.5});
}

TEST_F(CarrierBuild, ShowingTrunnionsTwiceAddsTheMeshesOnce) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 2"});
    carrier(h).ShowTrunnions(true);
    carrier(h).ShowTrunnions(true);
    ExpectZ(MeshZ(v(h), kTrunnions), (std::vector<double>{-1.11, 1.5 + 1.11}));
}

TEST_F(CarrierBuild, HidingTrunnionsRemovesBothMeshes) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 2", "STS"});
    carrier(h).ShowTrunnions(false);
    EXPECT_TRUE(MeshZ(v(h), kTrunnions).empty());
    EXPECT_EQ(UsedMeshes(v(h)), 4u);
}

TEST_F(CarrierBuild, HidingTrunnionsThatAreNotShownDoesNothing) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 2"});
    host().journal().enable();
    carrier(h).ShowTrunnions(false);
    EXPECT_TRUE(host().journal().entries().empty());
    EXPECT_EQ(UsedMeshes(v(h)), 4u);
}

TEST_F(CarrierBuild, PayloadOffsetMovesOnlyTheCarrierPoint) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 2"});
    carrier(h).SetPayloadOffset(0.25, -2.5, 1.75);
    const hostsim::Attachment& xs = *v(h).parentPoints[0];
    EXPECT_EQ(xs.id, "XS");
    EXPECT_TRUE(Near(xs.pos, 0.25, -2.5, 1.75));
    EXPECT_TRUE(Near(xs.dir, 0, -1, 0));
    EXPECT_TRUE(Near(xs.rot, 0, 0, -1));
    ExpectEnds(v(h), 1.5);
}

TEST_F(CarrierBuild, TheHostDestroysACarrierWhoseSegmentCountChanged) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 3"});
    carrier(h).SetSegmentCount(6, false);
    carrier(h).SetSegmentCount(2, true);
    host().destroyVessel(h);
    EXPECT_EQ(host().vessel(h), nullptr);
    // Sanitizer builds report any transform freed twice or left behind.
}

// A carrier object that never read a scenario block has nothing built; nothing it
// is asked to do may reach a handle it does not have.
TEST_F(CarrierBuild, ACarrierThatWasNeverBuiltTouchesNoHandleAnywhere) {
    OBJHANDLE shell = make("Shell", "Crate");
    OBJHANDLE crate = make("Box", "Crate");
    oapiGetVesselInterface(crate)->CreateAttachment(true, _V(0, 0, 0), _V(0, 1, 0), _V(0, 0, 1), "P");
    hostsim::Module* module = host().loadModule("Haulbed");
    ASSERT_NE(module, nullptr);
    ASSERT_NE(module->ovcInit, nullptr);
    VESSEL* object = module->ovcInit(shell, 1);
    ASSERT_NE(object, nullptr);
    auto& callbacks = *static_cast<VESSEL2*>(object);
    const CarrierOps unbuilt{object};
    host().setFocus(shell);
    host().journal().enable();

    char keys[256] = {};
    EXPECT_EQ(callbacks.clbkConsumeBufferedKey(OAPI_KEY_K, true, keys), 1);
    callbacks.clbkPreStep(0, 10, 0);
    callbacks.clbkPreStep(10, 10, 0);
    unbuilt.SetSegmentCount(4, true);
    unbuilt.ShowTrunnions(true);
    unbuilt.SetPayloadOffset(1, 2, 3);
    EXPECT_FALSE(unbuilt.AttachPayload(0, 0, crate));
    EXPECT_TRUE(unbuilt.ListPayloads().empty());
    keys[OAPI_KEY_LCONTROL] = char(0x80);
    EXPECT_EQ(callbacks.clbkConsumeBufferedKey(OAPI_KEY_SPACE, true, keys), 0);
    EXPECT_EQ(host().answerInputBox("GRAPPLE Box 0 0"), std::optional<bool>(false));
    EXPECT_EQ(callbacks.clbkConsumeBufferedKey(OAPI_KEY_SPACE, true, keys), 0);
    EXPECT_EQ(host().answerInputBox("RELEASE 0"), std::optional<bool>(false));

    // Checking the would-be payload and opening the command box are the only calls.
    EXPECT_EQ(host().journal().names(),
              (std::vector<std::string>{"oapiIsVessel", "oapiOpenInputBox", "oapiOpenInputBox"}));
    const hostsim::Vessel& s = v(shell);
    EXPECT_TRUE(s.meshes.empty());
    EXPECT_TRUE(s.docks.empty());
    EXPECT_TRUE(s.parentPoints.empty());
    EXPECT_TRUE(s.childPoints.empty());
    EXPECT_TRUE(s.animations.empty());
    EXPECT_EQ(v(crate).attachedTo(), nullptr);

    module->ovcExit(object);
}

}  // namespace
