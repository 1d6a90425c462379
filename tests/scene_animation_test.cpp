// How the host poses mesh groups by a vessel's animations: the fraction of a state
// range, clamping at its ends, parents carrying their children, mesh offsets and
// frames, and the check of transforms against meshes. Then the truss and carrier
// modules' own animations on the generated meshes.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "HostTest.h"
#include "hostsim/Scene.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTol = 1e-9;

::testing::AssertionResult Near(const VECTOR3& a, const VECTOR3& b, double tol = kTol) {
    if (std::fabs(a.x - b.x) <= tol && std::fabs(a.y - b.y) <= tol && std::fabs(a.z - b.z) <= tol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") is not (" << b.x << ", "
                                         << b.y << ", " << b.z << ")";
}

size_t CountLinesContaining(const std::vector<std::string>& log, const std::string& text) {
    return size_t(std::count_if(log.begin(), log.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; }));
}

// Group lists stay alive for the whole program, as a module's tables do.
UINT kTriangle[] = {0};
UINT kMarker[] = {1};
UINT kTriangleAndMarker[] = {0, 1};
UINT kNoSuchGroup[] = {7};

// ---- Semantics, on a plain vessel with the three-piece test mesh ----
// Pieces: group 0 the triangle (1,0,0) (2,0,0) (1,1,0); group 1 the marker
// (0,0,1) (0,1,1) (1,0,1); group 2 a spare far away.

class AnimationSemantics : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        crate = make("A", "Crate");
        iface = oapiGetVesselInterface(crate);
        ASSERT_NE(iface, nullptr);
        iface->AddMesh("Test\\Pieces");
    }

    std::vector<VECTOR3> Posed(UINT group, hostsim::Frame frame = hostsim::Frame::Vessel) {
        auto groups = hostsim::evaluateMesh(v(crate), 0, frame);
        EXPECT_EQ(groups.size(), 3u);
        return groups.size() > group ? groups[group].vertices : std::vector<VECTOR3>{};
    }

    OBJHANDLE crate = nullptr;
    VESSEL* iface = nullptr;
};

TEST_F(AnimationSemantics, RestPoseIsTheFileGeometry) {
    auto tri = Posed(0);
    ASSERT_EQ(tri.size(), 3u);
    EXPECT_TRUE(Near(tri[0], _V(1, 0, 0)));
    EXPECT_TRUE(Near(tri[1], _V(2, 0, 0)));
    EXPECT_TRUE(Near(tri[2], _V(1, 1, 0)));
}

TEST_F(AnimationSemantics, RotationHalfwayThroughItsRangeTurnsByHalfItsAngle) {
    MGROUP_ROTATE turn(0, kTriangle, 1, _V(1, 0, 0), _V(0, 0, 1), float(kPi));
    UINT anim = iface->CreateAnimation(0);
    iface->AddAnimationComponent(anim, 0, 1, &turn);
    iface->SetAnimation(anim, 0.5);
    auto tri = Posed(0);
    // A quarter turn about the z line through (1, 0, 0).
    EXPECT_TRUE(Near(tri[0], _V(1, 0, 0), 1e-6));
    EXPECT_TRUE(Near(tri[1], _V(1, 1, 0), 1e-6));
    EXPECT_TRUE(Near(tri[2], _V(0, 0, 0), 1e-6));
    // Other groups stay where they are.
    EXPECT_TRUE(Near(Posed(1)[1], _V(0, 1, 1)));
}

TEST_F(AnimationSemantics, StatesOutsideTheRangeClampToItsEnds) {
    MGROUP_TRANSLATE lift(0, kTriangle, 1, _V(0, 0, 4));
    UINT anim = iface->CreateAnimation(0);
    iface->AddAnimationComponent(anim, 0.2, 0.6, &lift);
    const struct {
        double state, z;
    } cases[] = {{-3, 0}, {0, 0}, {0.2, 0}, {0.3, 1}, {0.4, 2}, {0.6, 4}, {0.9, 4}, {7, 4}};
    for (const auto& c : cases) {
        iface->SetAnimation(anim, c.state);
        EXPECT_TRUE(Near(Posed(0)[0], _V(1, 0, c.z))) << "state " << c.state;
    }
}

TEST_F(AnimationSemantics, AnEmptyRangeIsAStepAtItsStart) {
    MGROUP_TRANSLATE lift(0, kTriangle, 1, _V(0, 0, 4));
    UINT anim = iface->CreateAnimation(0);
    iface->AddAnimationComponent(anim, 0.5, 0.5, &lift);
    iface->SetAnimation(anim, 0.49);
    EXPECT_TRUE(Near(Posed(0)[0], _V(1, 0, 0)));
    iface->SetAnimation(anim, 0.5);
    EXPECT_TRUE(Near(Posed(0)[0], _V(1, 0, 4)));
}

TEST_F(AnimationSemantics, ParentCarriesChildGroupWithItsHingeAndAxis) {
    // Parent: the marker a quarter turn about z through the origin. Child: the triangle
    // a quarter turn about the x line through (1, 0, 0).
    MGROUP_ROTATE parentTurn(0, kMarker, 1, _V(0, 0, 0), _V(0, 0, 1), float(kPi / 2));
    MGROUP_ROTATE childTurn(0, kTriangle, 1, _V(1, 0, 0), _V(1, 0, 0), float(kPi / 2));
    UINT anim = iface->CreateAnimation(0);
    auto parent = iface->AddAnimationComponent(anim, 0, 1, &parentTurn);
    iface->AddAnimationComponent(anim, 0, 1, &childTurn, parent);
    iface->SetAnimation(anim, 1);

    // The child turns in its own frame first, (1,1,0) -> (1,0,1), then the parent
    // carries everything a quarter turn about z.
    auto tri = Posed(0);
    EXPECT_TRUE(Near(tri[0], _V(0, 1, 0), 1e-6));
    EXPECT_TRUE(Near(tri[1], _V(0, 2, 0), 1e-6));
    EXPECT_TRUE(Near(tri[2], _V(0, 1, 1), 1e-6));
    auto marker = Posed(1);
    EXPECT_TRUE(Near(marker[0], _V(0, 0, 1), 1e-6));
    EXPECT_TRUE(Near(marker[1], _V(-1, 0, 1), 1e-6));
    EXPECT_TRUE(Near(marker[2], _V(0, 1, 1), 1e-6));
}

TEST_F(AnimationSemantics, ParentCarriesChildShift) {
    MGROUP_ROTATE parentTurn(0, kMarker, 1, _V(0, 0, 0), _V(0, 0, 1), float(kPi / 2));
    MGROUP_TRANSLATE childShift(0, kTriangle, 1, _V(1, 0, 0));
    UINT anim = iface->CreateAnimation(0);
    auto parent = iface->AddAnimationComponent(anim, 0, 1, &parentTurn);
    iface->AddAnimationComponent(anim, 0, 1, &childShift, parent);
    iface->SetAnimation(anim, 1);
    // (1,0,0) shifted along x to (2,0,0), then turned: the shift now points along y.
    EXPECT_TRUE(Near(Posed(0)[0], _V(0, 2, 0), 1e-6));
}

TEST_F(AnimationSemantics, ParentAndChildTakeTheStatesOfTheirOwnAnimations) {
    MGROUP_ROTATE parentTurn(0, kMarker, 1, _V(0, 0, 0), _V(0, 0, 1), float(kPi));
    MGROUP_TRANSLATE childShift(0, kTriangle, 1, _V(0, 0, 2));
    UINT outer = iface->CreateAnimation(0), inner = iface->CreateAnimation(0);
    auto parent = iface->AddAnimationComponent(outer, 0, 1, &parentTurn);
    iface->AddAnimationComponent(inner, 0, 1, &childShift, parent);

    iface->SetAnimation(inner, 0.5);  // the child alone moves: up by 1
    EXPECT_TRUE(Near(Posed(0)[1], _V(2, 0, 1), 1e-6));
    iface->SetAnimation(outer, 0.5);  // and now a quarter turn of the parent carries it
    EXPECT_TRUE(Near(Posed(0)[1], _V(0, 2, 1), 1e-6));
    iface->SetAnimation(inner, 0);
    EXPECT_TRUE(Near(Posed(0)[1], _V(0, 2, 0), 1e-6));
}

TEST_F(AnimationSemantics, GrandparentsCarryTheWholeChain) {
    MGROUP_TRANSLATE up(0, kMarker, 1, _V(0, 0, 1));
    MGROUP_ROTATE turn(0, kMarker, 1, _V(0, 0, 0), _V(0, 0, 1), float(kPi / 2));
    MGROUP_TRANSLATE out(0, kTriangle, 1, _V(1, 0, 0));
    UINT anim = iface->CreateAnimation(0);
    auto a = iface->AddAnimationComponent(anim, 0, 1, &up);
    auto b = iface->AddAnimationComponent(anim, 0, 1, &turn, a);
    iface->AddAnimationComponent(anim, 0, 1, &out, b);
    iface->SetAnimation(anim, 1);
    // (2,0,0) out to (3,0,0), turned to (0,3,0), lifted to (0,3,1).
    EXPECT_TRUE(Near(Posed(0)[1], _V(0, 3, 1), 1e-6));
}

TEST_F(AnimationSemantics, UnrelatedComponentsOnOneGroupApplyInAnimationOrder) {
    MGROUP_TRANSLATE shift(0, kTriangle, 1, _V(1, 0, 0));
    MGROUP_ROTATE turn(0, kTriangle, 1, _V(0, 0, 0), _V(0, 0, 1), float(kPi / 2));
    UINT first = iface->CreateAnimation(1), second = iface->CreateAnimation(1);
    iface->AddAnimationComponent(first, 0, 1, &shift);
    iface->AddAnimationComponent(second, 0, 1, &turn);
    // Shifted to (3,0,0) first, then turned to (0,3,0).
    EXPECT_TRUE(Near(Posed(0)[1], _V(0, 3, 0), 1e-6));
}

TEST_F(AnimationSemantics, OneTransformMovesAllItsGroups) {
    MGROUP_TRANSLATE shift(0, kTriangleAndMarker, 2, _V(0, -1, 0));
    UINT anim = iface->CreateAnimation(1);
    iface->AddAnimationComponent(anim, 0, 1, &shift);
    EXPECT_TRUE(Near(Posed(0)[2], _V(1, 0, 0)));
    EXPECT_TRUE(Near(Posed(1)[1], _V(0, 0, 1)));
    EXPECT_TRUE(Near(Posed(2)[0], _V(5, 5, 5)));
}

TEST_F(AnimationSemantics, MeshOffsetAndVesselPoseApply) {
    const VECTOR3 offset = _V(0, 0, 10);
    UINT second = iface->AddMesh("Test\\Pieces", &offset);
    ASSERT_EQ(second, 1u);
    auto shifted = hostsim::evaluateMesh(v(crate), second);
    ASSERT_EQ(shifted.size(), 3u);
    EXPECT_TRUE(Near(shifted[0].vertices[1], _V(2, 0, 10)));

    // A quarter turn about y: vessel x points along global -z.
    host().setPose(crate, _V(100, 200, 300), _M(0, 0, 1, 0, 1, 0, -1, 0, 0));
    auto global = hostsim::evaluateMesh(v(crate), second, hostsim::Frame::Global);
    ASSERT_EQ(global.size(), 3u);
    EXPECT_TRUE(Near(global[0].vertices[1], _V(110, 200, 298)));
}

TEST_F(AnimationSemantics, ATransformNamingAMissingGroupIsReportedOncePerVesselMeshAndGroup) {
    MGROUP_TRANSLATE stray(0, kNoSuchGroup, 1, _V(0, 0, 1));
    MGROUP_TRANSLATE fine(0, kMarker, 1, _V(0, 0, 1));
    UINT anim = iface->CreateAnimation(0);
    iface->AddAnimationComponent(anim, 0, 1, &stray);
    iface->AddAnimationComponent(anim, 0, 1, &fine);

    auto found = hostsim::checkAnimatedGroups(v(crate));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].group, 7u);
    EXPECT_EQ(found[0].groupCount, 3u);
    EXPECT_EQ(found[0].animation, anim);
    hostsim::evaluateMesh(v(crate), 0);
    hostsim::evaluateMesh(v(crate), 0);
    EXPECT_EQ(hostsim::checkAnimatedGroups(v(crate)).size(), 1u);  // still found, not logged again
    EXPECT_EQ(CountLinesContaining(host().log(), "moves group 7 of mesh 0 (Test\\Pieces), which has 3 groups"), 1u);

    // Another vessel with the same fault gets its own report.
    OBJHANDLE other = make("B", "Crate");
    VESSEL* b = oapiGetVesselInterface(other);
    b->AddMesh("Test\\Pieces");
    UINT banim = b->CreateAnimation(0);
    b->AddAnimationComponent(banim, 0, 1, &stray);
    hostsim::evaluateMesh(v(other), 0);
    EXPECT_EQ(CountLinesContaining(host().log(), "moves group 7"), 2u);
}

TEST_F(AnimationSemantics, StepsDoNotEvaluate) {
    MGROUP_TRANSLATE stray(0, kNoSuchGroup, 1, _V(0, 0, 1));
    UINT anim = iface->CreateAnimation(0);
    iface->AddAnimationComponent(anim, 0, 1, &stray);
    for (int i = 0; i < 20; ++i) {
        iface->SetAnimation(anim, i / 20.0);
        host().step(0.1);
    }
    EXPECT_EQ(CountLinesContaining(host().log(), "moves group"), 0u);
    hostsim::evaluateMesh(v(crate), 0);
    EXPECT_EQ(CountLinesContaining(host().log(), "moves group"), 1u);
}

TEST_F(AnimationSemantics, EmptySlotsAndMissingFilesGiveNoGroups) {
    UINT missing = iface->AddMesh("Test\\NoSuchMesh");
    EXPECT_TRUE(hostsim::evaluateMesh(v(crate), missing).empty());
    EXPECT_TRUE(hostsim::evaluateMesh(v(crate), 99).empty());
    iface->DelMesh(0);
    EXPECT_TRUE(hostsim::evaluateMesh(v(crate), 0).empty());
    EXPECT_TRUE(hostsim::evaluateVessel(v(crate)).empty());
}

// ---- The modules' animations on the generated meshes ----

struct Extent {
    VECTOR3 lo = _V(1e300, 1e300, 1e300), hi = _V(-1e300, -1e300, -1e300);
    void add(const VECTOR3& p) {
        for (int k = 0; k < 3; ++k) {
            lo.data[k] = std::min(lo.data[k], p.data[k]);
            hi.data[k] = std::max(hi.data[k], p.data[k]);
        }
    }
};

VECTOR3 Centroid(const hostsim::EvaluatedGroup& g) {
    VECTOR3 sum = _V(0, 0, 0);
    for (const VECTOR3& p : g.vertices) sum = sum + p;
    return sum / double(g.vertices.size());
}

// Groups of the solar mesh, as the module numbers them.
constexpr UINT kMastMinusZ = 0, kMastPlusZ = 121, kMastSegments = 121;
constexpr UINT kFirstBlanketGroup = 242, kLastBlanketGroup = 729;
constexpr UINT kBoxGroups[] = {730, 732};
constexpr UINT kTipMinusZ = 733, kTipPlusZ = 731;
constexpr UINT kFirstFixedSolarGroup = 743;
constexpr UINT kRadiatorGroups = 128;
constexpr UINT kOutermostRadiatorPanel = 98;  // panel 15 of row 4

// A segment's envelope: between its end ports along x, and across no further than its
// lattice's corners (1.155 m from the axis).
constexpr double kHalfLength = 3.0, kLatticeCorner = 1.16;

class ModuleAnimations : public HostTest {
protected:
    std::vector<hostsim::EvaluatedGroup> MainMesh(OBJHANDLE h) {
        auto groups = hostsim::evaluateMesh(v(h), 0);
        EXPECT_TRUE(hostsim::checkAnimatedGroups(v(h)).empty());
        return groups;
    }
    // The animation with this many components (the modules create them in a fixed shape).
    UINT AnimationWith(OBJHANDLE h, size_t components) {
        const auto& anims = v(h).animations;
        for (UINT i = 0; i < anims.size(); ++i)
            if (anims[i].components.size() == components) return i;
        ADD_FAILURE() << "no animation with " << components << " components";
        return 0;
    }
};

TEST_F(ModuleAnimations, SpreadBlanketTipsStandAbout35MetresOutAlongTheMast) {
    auto groups = MainMesh(make("S", "Truss", {"TYPE 63", "DEPLOYANIM 0 1"}));
    ASSERT_GT(groups.size(), kFirstFixedSolarGroup);
    const VECTOR3 minus = Centroid(groups[kTipMinusZ]), plus = Centroid(groups[kTipPlusZ]);
    EXPECT_GT(-minus.z, 34.5);
    EXPECT_LT(-minus.z, 36.5);
    EXPECT_GT(plus.z, 34.5);
    EXPECT_LT(plus.z, 36.5);
    EXPECT_LT(std::hypot(minus.x, minus.y), 0.05);  // on the mast line
    EXPECT_LT(std::hypot(plus.x, plus.y), 0.05);

    // Blankets and mast reach out to the tips.
    Extent blankets, mast;
    for (UINT g = kFirstBlanketGroup; g <= kLastBlanketGroup; ++g)
        for (const VECTOR3& p : groups[g].vertices) blankets.add(p);
    for (UINT g = 0; g < 2 * kMastSegments; ++g)
        for (const VECTOR3& p : groups[g].vertices) mast.add(p);
    Extent tips;
    for (const VECTOR3& p : groups[kTipMinusZ].vertices) tips.add(p);
    for (const VECTOR3& p : groups[kTipPlusZ].vertices) tips.add(p);
    EXPECT_NEAR(blankets.lo.z, tips.lo.z, 0.01);
    EXPECT_NEAR(blankets.hi.z, tips.hi.z, 0.01);
    EXPECT_NEAR(mast.lo.z, tips.lo.z, 0.01);
    EXPECT_NEAR(mast.hi.z, tips.hi.z, 0.01);
}

TEST_F(ModuleAnimations, SpreadMastSegmentsStandEvenlyApart) {
    auto groups = MainMesh(make("S", "Truss", {"TYPE 63", "DEPLOYANIM 0 1"}));
    ASSERT_GT(groups.size(), kFirstFixedSolarGroup);
    for (UINT first : {kMastMinusZ, kMastPlusZ}) {
        const double side = first == kMastMinusZ ? -1 : 1;
        for (UINT j = 1; j < kMastSegments; ++j) {
            const VECTOR3 a = Centroid(groups[first + j - 1]), b = Centroid(groups[first + j]);
            EXPECT_NEAR(b.z - a.z, side * 0.29, 1e-6) << "segment " << j << " of group " << first;
            EXPECT_NEAR(b.x, a.x, 1e-9);
            EXPECT_NEAR(b.y, a.y, 1e-9);
        }
    }
}

TEST_F(ModuleAnimations, SpreadBlanketsLieFlat) {
    auto groups = MainMesh(make("S", "Truss", {"TYPE 63", "DEPLOYANIM 0 1"}));
    ASSERT_GT(groups.size(), kFirstFixedSolarGroup);
    Extent all;
    for (UINT g = kFirstBlanketGroup; g <= kLastBlanketGroup; ++g)
        for (const VECTOR3& p : groups[g].vertices) all.add(p);
    // One plane through the mast, a few millimetres thick, 35 m long on each side.
    EXPECT_LT(all.hi.y - all.lo.y, 0.005);
    EXPECT_LT(-all.lo.z, 36.5);
    EXPECT_GT(-all.lo.z, 34.5);
    EXPECT_GT(all.hi.z, 34.5);
}

TEST_F(ModuleAnimations, HalfDeployedBlanketsAreHalfOut) {
    auto groups = MainMesh(make("S", "Truss", {"TYPE 63", "DEPLOYANIM 0 0.5"}));
    ASSERT_GT(groups.size(), kFirstFixedSolarGroup);
    Extent all;
    for (UINT g = kFirstBlanketGroup; g <= kLastBlanketGroup; ++g)
        for (const VECTOR3& p : groups[g].vertices) all.add(p);
    // Folds standing at a quarter turn: well out, but short of the spread length, and no
    // longer flat.
    EXPECT_GT(all.hi.z, 15);
    EXPECT_LT(all.hi.z, 30);
    EXPECT_GT(all.hi.y - all.lo.y, 0.1);
}

TEST_F(ModuleAnimations, SpreadRadiatorPanelsLieFlat) {
    auto groups = MainMesh(make("R", "Truss", {"TYPE 61", "RADANIM 0 1"}));
    ASSERT_GT(groups.size(), kRadiatorGroups);
    // Each radiator is an inner row (0-3) and the outer row that scissors across it:
    // groups 96-127, 64-95, 32-63 and 0-31.
    for (UINT first = 0; first < kRadiatorGroups; first += 32) {
        Extent sheet;
        for (UINT g = first; g < first + 32; ++g)
            for (const VECTOR3& p : groups[g].vertices) sheet.add(p);
        EXPECT_LT(sheet.hi.z - sheet.lo.z, 0.01) << "radiator of groups " << first << "-" << first + 31;
        EXPECT_GT(std::max(std::fabs(sheet.lo.y), std::fabs(sheet.hi.y)), 6.5);
        EXPECT_GT(sheet.hi.x - sheet.lo.x, 2.4);
    }
}

void ExpectInsideEnvelope(const std::vector<hostsim::EvaluatedGroup>& groups, UINT movingGroups, double fixtureHeight) {
    for (const auto& g : groups) {
        // Moving parts fold inside the lattice; fixed fittings may stand up to the
        // grapple fixtures.
        const double across = g.group < movingGroups ? kLatticeCorner : std::max(kLatticeCorner, fixtureHeight);
        for (const VECTOR3& p : g.vertices) {
            ASSERT_LE(std::fabs(p.x), kHalfLength + 1e-9) << "group " << g.group;
            ASSERT_LE(std::fabs(p.y), across) << "group " << g.group;
            ASSERT_LE(std::fabs(p.z), kLatticeCorner) << "group " << g.group;
        }
    }
}

TEST_F(ModuleAnimations, FoldedPartsStayInsideTheSegmentEnvelope) {
    OBJHANDLE solar = make("S", "Truss", {"TYPE 63", "DEPLOYANIM 0 0"});
    OBJHANDLE radiator = make("R", "Truss", {"TYPE 61", "RADANIM 0 0"});
    // The envelope's ends are the end ports.
    ASSERT_GE(v(solar).docks.size(), 2u);
    EXPECT_DOUBLE_EQ(v(solar).docks[0]->pos.x, kHalfLength);
    auto solarGroups = MainMesh(solar);
    auto radiatorGroups = MainMesh(radiator);
    ASSERT_GT(solarGroups.size(), kFirstFixedSolarGroup);
    ASSERT_GT(radiatorGroups.size(), kRadiatorGroups);
    ExpectInsideEnvelope(solarGroups, kFirstFixedSolarGroup, 0.53523);
    ExpectInsideEnvelope(radiatorGroups, kRadiatorGroups, 1.754091);

    // Spread, the same parts leave it.
    auto spread = [&](OBJHANDLE h, UINT group) {
        Extent e;
        const auto groups = MainMesh(h);
        for (const VECTOR3& p : groups.at(group).vertices) e.add(p);
        return std::max({std::fabs(e.lo.y), std::fabs(e.hi.y), std::fabs(e.lo.z), std::fabs(e.hi.z)});
    };
    EXPECT_GT(spread(make("S2", "Truss", {"TYPE 63", "DEPLOYANIM 0 1"}), kTipMinusZ), 30);
    EXPECT_GT(spread(make("R2", "Truss", {"TYPE 61", "RADANIM 0 1"}), kOutermostRadiatorPanel), 6);
}

// Rotation about x by a quarter turn: (x, y, z) -> (x, -z, y).
VECTOR3 QuarterTurnAboutX(const VECTOR3& p) { return _V(p.x, -p.z, p.y); }

TEST_F(ModuleAnimations, BaseQuarterTurnTurnsBoxAndBlanketsAQuarterTurnAboutX) {
    auto home = MainMesh(make("A", "Truss", {"TYPE 63", "DEPLOYANIM 0 1"}));
    auto turned = MainMesh(make("B", "Truss", {"TYPE 63", "DEPLOYANIM 0 1", "BASEANIM 0 0.25"}));
    ASSERT_EQ(home.size(), turned.size());
    ASSERT_GT(home.size(), kFirstFixedSolarGroup);
    std::vector<UINT> carried(std::begin(kBoxGroups), std::end(kBoxGroups));
    for (UINT g = kFirstBlanketGroup; g <= kLastBlanketGroup; ++g) carried.push_back(g);
    carried.push_back(kTipMinusZ);
    for (UINT g : carried)
        for (size_t i = 0; i < home[g].vertices.size(); ++i)
            ASSERT_TRUE(Near(turned[g].vertices[i], QuarterTurnAboutX(home[g].vertices[i]), 1e-5)) << "group " << g;
    // The -z wing now points along +y; the end frames do not turn.
    EXPECT_GT(Centroid(turned[kTipMinusZ]).y, 34.5);
    for (UINT g = kFirstFixedSolarGroup; g < home.size(); ++g)
        for (size_t i = 0; i < home[g].vertices.size(); ++i) ASSERT_TRUE(Near(turned[g].vertices[i], home[g].vertices[i]));
}

TEST_F(ModuleAnimations, HalfExtendedMastMovesItsOuterSegmentsFirst) {
    OBJHANDLE s = make("S", "Truss", {"TYPE 63"});
    auto rest = MainMesh(s);
    // The extension animation: 2 tips and 242 mast segments.
    oapiGetVesselInterface(s)->SetAnimation(AnimationWith(s, 244), 0.5);
    auto half = MainMesh(s);
    ASSERT_GT(half.size(), kFirstFixedSolarGroup);
    // Segment j moves within its own 1/121 of the range, carrying all beyond it: at 0.5
    // segments 0-59 have not started, 60 is halfway, 61-120 are out.
    for (UINT j = 0; j < kMastSegments; ++j) {
        const double moved = rest[j].vertices[0].z - half[j].vertices[0].z;
        const double expected = j < 60 ? 0.0 : 0.145 + 0.29 * (j - 60);
        EXPECT_NEAR(moved, expected, 1e-9) << "segment " << j;
    }
    // The tips move in proportion over the whole range.
    EXPECT_NEAR(rest[kTipMinusZ].vertices[0].z - half[kTipMinusZ].vertices[0].z, 0.5 * 34.846, 1e-9);
}

TEST_F(ModuleAnimations, CarrierAtHalfTurnHasItsTurningGroupsHalfATurnRound) {
    OBJHANDLE c = make("C", "Haulbed", {"SEGS 3"});
    const auto& meshes = v(c).meshes;
    std::vector<UINT> segments;
    for (UINT i = 0; i < meshes.size(); ++i)
        if (meshes[i].used && meshes[i].name == "Truss\\Carriers\\HaulbedSegment") segments.push_back(i);
    ASSERT_EQ(segments.size(), 3u);
    std::vector<std::vector<hostsim::EvaluatedGroup>> rest;
    for (UINT m : segments) rest.push_back(hostsim::evaluateMesh(v(c), m));

    oapiGetVesselInterface(c)->SetAnimation(AnimationWith(c, 3), 0.5);
    EXPECT_TRUE(hostsim::checkAnimatedGroups(v(c)).empty());
    for (size_t s = 0; s < segments.size(); ++s) {
        const auto turned = hostsim::evaluateMesh(v(c), segments[s]);
        ASSERT_GT(turned.size(), 4u);
        const VECTOR3 axis = meshes[segments[s]].offset;  // each segment turns about its own centre line
        for (const auto& g : turned)
            for (size_t i = 0; i < g.vertices.size(); ++i) {
                const VECTOR3 p = rest[s][g.group].vertices[i];
                // Turning groups 0-3 half a turn about z; the rest stays.
                const VECTOR3 want = g.group < 4 ? _V(2 * axis.x - p.x, 2 * axis.y - p.y, p.z) : p;
                ASSERT_TRUE(Near(g.vertices[i], want, 1e-5)) << "segment " << s << " group " << g.group;
            }
    }
}

}  // namespace
