// The radiator and solar animations as the loaded module defines them, checked
// component by component against the panel tables, and the immediate state setter.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "../truss/Truss.h"
#include "HostTest.h"

namespace {

constexpr double kTol = 1e-12;
constexpr double kHalfPi = 1.5707963267948966;

::testing::AssertionResult Near(const VECTOR3& a, double x, double y, double z) {
    if (std::fabs(a.x - x) <= kTol && std::fabs(a.y - y) <= kTol && std::fabs(a.z - z) <= kTol)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") is not (" << x << ", " << y
                                         << ", " << z << ")";
}

// An angle as the transforms hold it: degrees and factor each in single precision.
float Radians(double degrees) { return float(degrees) * float(0.017453292519943295); }

double Sign(int k) { return k % 2 == 0 ? 1.0 : -1.0; }

const MGROUP_ROTATE& Rotation(const hostsim::AnimationComponent& c) {
    EXPECT_EQ(c.transform->Type(), MGROUP_TRANSFORM::ROTATE);
    return static_cast<const MGROUP_ROTATE&>(*c.transform);
}

const MGROUP_TRANSLATE& Translation(const hostsim::AnimationComponent& c) {
    EXPECT_EQ(c.transform->Type(), MGROUP_TRANSFORM::TRANSLATE);
    return static_cast<const MGROUP_TRANSLATE&>(*c.transform);
}

void ExpectSingleGroup(const MGROUP_TRANSFORM& t, UINT group) {
    EXPECT_EQ(t.mesh, 0u);
    ASSERT_EQ(t.ngrp, 1u);
    EXPECT_EQ(t.grp[0], group);
}

// The radiator panel table, row by row.
struct RadiatorPanel {
    UINT group;
    VECTOR3 ref, axis;
    double degrees;
    int parentRow, parentK;  // -1: no parent
};

RadiatorPanel ExpectedRadiatorPanel(int row, int k) {
    // First groups of rows 0..7; panels pair off downward by four.
    const UINT firstGroup[8] = {125, 93, 61, 29, 127, 95, 63, 31};
    const double s = Sign(k);
    const bool upper = row == 0 || row == 1 || row == 4 || row == 5;
    const double ySign = upper ? 1 : -1;
    const double x = row % 2 == 0 ? 1.455 : -1.455;
    RadiatorPanel p;
    p.group = firstGroup[row] - 4 * (k / 2) - (k % 2);
    if (row < 4) {
        const double y = k == 0 ? 0.84 : 0.85 + (k - 1) * 0.01;
        p.ref = _V(x, ySign * y, -0.2325 * s);
        p.axis = _V(1, 0, 0);
        p.degrees = k == 0 ? -60 * ySign : -120 * s * ySign;
        p.parentRow = k == 0 ? -1 : row;
        p.parentK = k - 1;
    } else {
        const double y = k == 0 ? 0.845 : 0.855 + (k - 1) * 0.01;
        p.ref = _V(x, ySign * y, 0);
        p.axis = k == 0 ? _V(-1, 0, 0) : _V(1, 0, 0);
        p.degrees = k == 0 ? -120 * ySign : 120 * s * ySign;
        p.parentRow = row - 4;
        p.parentK = k;
    }
    return p;
}

// Creation order: panel k of rows 0, 4, 1, 5, 2, 6, 3, 7.
size_t RadiatorIndex(int row, int k) {
    const int slot[8] = {0, 2, 4, 6, 1, 3, 5, 7};
    return size_t(8 * k + slot[row]);
}

// Solar animations in creation order: box, base, blanket deployment, mast extension.
constexpr UINT kBox = 0, kBase = 1, kDeploy = 2, kExtend = 3;

// The editor's immediate setter, called through the object the host holds. The tests
// load the module at run time and never link to it, so the sanitizer's vptr check,
// which needs Truss's type information, is left out of this call.
struct Editor {
    VESSEL* object;
    __attribute__((no_sanitize("vptr"))) void SetAnimationState(int which, double value) {
        static_cast<Truss*>(object)->SetAnimationState(which, value);
    }
};

class TrussAnimation : public HostTest {
protected:
    Editor truss(OBJHANDLE h) { return Editor{v(h).iface}; }
    double state(OBJHANDLE h, UINT anim) { return v(h).animations.at(anim).state; }
    std::string savedLine(OBJHANDLE h, const std::string& key) {
        for (const std::string& line : host().saveVesselLines(h))
            if (line.rfind("  " + key + " ", 0) == 0 || line == "  " + key) return line;
        return "";
    }
};

TEST_F(TrussAnimation, RadiatorPanelsMatchTheirTableInCreationOrderWithTheirParents) {
    OBJHANDLE h = make("R", "Truss", {"TYPE 61"});
    ASSERT_EQ(v(h).animations.size(), 1u);
    const auto components = listOf(v(h).animations[0].components);
    ASSERT_EQ(components.size(), 128u);

    for (int k = 0; k < 16; ++k) {
        for (int row = 0; row < 8; ++row) {
            SCOPED_TRACE("row " + std::to_string(row) + " panel " + std::to_string(k));
            const RadiatorPanel p = ExpectedRadiatorPanel(row, k);
            const hostsim::AnimationComponent& c = *components[RadiatorIndex(row, k)];
            const MGROUP_ROTATE& r = Rotation(c);
            ExpectSingleGroup(r, p.group);
            EXPECT_TRUE(Near(r.ref, p.ref.x, p.ref.y, p.ref.z));
            EXPECT_TRUE(Near(r.axis, p.axis.x, p.axis.y, p.axis.z));
            EXPECT_EQ(r.angle, Radians(p.degrees));
            EXPECT_EQ(c.state0, 0.0);
            EXPECT_EQ(c.state1, 1.0);
            if (p.parentRow < 0)
                EXPECT_EQ(c.parent, nullptr);
            else
                EXPECT_EQ(c.parent, components[RadiatorIndex(p.parentRow, p.parentK)]);
        }
    }
}

TEST_F(TrussAnimation, RadiatorGroupTablesRunFromTheSpelledOutEnds) {
    OBJHANDLE h = make("R", "Truss", {"TYPE 61"});
    const auto c = listOf(v(h).animations[0].components);
    EXPECT_EQ(c[RadiatorIndex(0, 0)]->transform->grp[0], 125u);
    EXPECT_EQ(c[RadiatorIndex(0, 1)]->transform->grp[0], 124u);
    EXPECT_EQ(c[RadiatorIndex(0, 2)]->transform->grp[0], 121u);
    EXPECT_EQ(c[RadiatorIndex(0, 15)]->transform->grp[0], 96u);
    EXPECT_EQ(c[RadiatorIndex(3, 15)]->transform->grp[0], 0u);
    EXPECT_EQ(c[RadiatorIndex(4, 0)]->transform->grp[0], 127u);
    EXPECT_EQ(c[RadiatorIndex(7, 14)]->transform->grp[0], 3u);
    EXPECT_EQ(c[RadiatorIndex(7, 15)]->transform->grp[0], 2u);
    // Every group from 0 to 127 is moved by exactly one panel.
    std::vector<int> uses(128, 0);
    for (const auto* comp : c) ++uses.at(comp->transform->grp[0]);
    EXPECT_EQ(std::count(uses.begin(), uses.end(), 1), 128);
}

TEST_F(TrussAnimation, RadiatorSpotPanelsHaveTheirLiteralValues) {
    OBJHANDLE h = make("R", "Truss", {"TYPE 61"});
    const auto c = listOf(v(h).animations[0].components);
    // First panel: hinged on the truss, turning by -60 degrees.
    const MGROUP_ROTATE& first = Rotation(*c[0]);
    EXPECT_TRUE(Near(first.ref, 1.455, 0.84, -0.2325));
    EXPECT_EQ(first.angle, float(-60.0f * 0.017453292519943295f));
    // Row 4 panel 0 turns the other way about -x.
    const MGROUP_ROTATE& outer = Rotation(*c[1]);
    EXPECT_TRUE(Near(outer.axis, -1, 0, 0));
    EXPECT_TRUE(Near(outer.ref, 1.455, 0.845, 0));
    // Middle of a lower chain: row 3, panel 8.
    const MGROUP_ROTATE& mid = Rotation(*c[RadiatorIndex(3, 8)]);
    EXPECT_TRUE(Near(mid.ref, -1.455, -0.92, -0.2325));
    EXPECT_EQ(mid.angle, Radians(120));
    // Last panel of row 7.
    const MGROUP_ROTATE& last = Rotation(*c[127]);
    EXPECT_TRUE(Near(last.ref, -1.455, -0.995, 0));
    EXPECT_EQ(last.angle, Radians(120));
}

TEST_F(TrussAnimation, SolarGimbalTurnsTheBaseAboutXAndTheBoxOnTheBaseAboutZ) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63"});
    const auto& anims = v(h).animations;
    ASSERT_EQ(anims.size(), 4u);
    ASSERT_EQ(anims[kBase].components.size(), 1u);
    ASSERT_EQ(anims[kBox].components.size(), 1u);

    const hostsim::AnimationComponent& base = *anims[kBase].components.front();
    const MGROUP_ROTATE& b = Rotation(base);
    EXPECT_EQ(b.mesh, 0u);
    ASSERT_EQ(b.ngrp, 9u);
    for (UINT i = 0; i < 9; ++i) EXPECT_EQ(b.grp[i], 734u + i);
    EXPECT_TRUE(Near(b.ref, 0, 0, 0));
    EXPECT_TRUE(Near(b.axis, 1, 0, 0));
    EXPECT_EQ(b.angle, 6.2831855f);  // a full turn: state 1 shows the pose of state 0
    EXPECT_EQ(base.parent, nullptr);
    EXPECT_EQ(base.state0, 0.0);
    EXPECT_EQ(base.state1, 1.0);

    const hostsim::AnimationComponent& box = *anims[kBox].components.front();
    const MGROUP_ROTATE& x = Rotation(box);
    ASSERT_EQ(x.ngrp, 2u);
    EXPECT_EQ(x.grp[0], 730u);
    EXPECT_EQ(x.grp[1], 732u);
    EXPECT_TRUE(Near(x.axis, 0, 0, 1));
    EXPECT_TRUE(Near(x.ref, 0, 0, 0));
    EXPECT_EQ(x.angle, Radians(360));
    EXPECT_EQ(box.parent, &base);
}

TEST_F(TrussAnimation, BlanketPanelsFoldAlternatelyFromTheBoxWithTheLastPanelAsException) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63"});
    const auto& anims = v(h).animations;
    const hostsim::AnimationComponent* box = anims[kBox].components.front();
    const auto c = listOf(anims[kDeploy].components);
    ASSERT_EQ(c.size(), 488u);
    const UINT firstGroup[4] = {608, 486, 242, 364};

    for (int k = 0; k < 122; ++k) {
        for (int row = 0; row < 4; ++row) {
            SCOPED_TRACE("row " + std::to_string(row) + " panel " + std::to_string(k));
            const hostsim::AnimationComponent& comp = *c[size_t(4 * k + row)];
            const MGROUP_ROTATE& r = Rotation(comp);
            ExpectSingleGroup(r, firstGroup[row] + UINT(k));
            EXPECT_TRUE(Near(r.axis, 1, 0, 0));
            const bool minusZ = row < 2;
            const double s = Sign(k);
            if (k == 0) {
                if (minusZ)
                    EXPECT_TRUE(Near(r.ref, 0.641, 0, -0.641));
                else
                    EXPECT_TRUE(Near(r.ref, -0.641, 0, 0.641));
                EXPECT_EQ(r.angle, Radians(minusZ ? -90 : 90));
                EXPECT_EQ(comp.parent, box);
            } else if (k <= 120) {
                const double z = 0.641 + 0.002 * k;
                EXPECT_TRUE(Near(r.ref, 0, -0.145 * s, minusZ ? -z : z));
                EXPECT_EQ(r.angle, Radians(minusZ ? -180 * s : 180 * s));
                EXPECT_EQ(comp.parent, c[size_t(4 * (k - 1) + row)]);
            } else {
                EXPECT_TRUE(Near(r.ref, 0, 0.145, minusZ ? -0.881 : 0.881));
                EXPECT_EQ(r.angle, Radians(minusZ ? -180 : 180));
                EXPECT_EQ(comp.parent, c[size_t(4 * 120 + row)]);
            }
        }
    }
}

TEST_F(TrussAnimation, LastBlanketPanelTurnsLikePanel120NotByTheAlternation) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63"});
    const auto c = listOf(v(h).animations[kDeploy].components);
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(Rotation(*c[size_t(4 * 121 + row)]).angle, Rotation(*c[size_t(4 * 120 + row)]).angle);
        EXPECT_NE(Rotation(*c[size_t(4 * 121 + row)]).angle, Rotation(*c[size_t(4 * 119 + row)]).angle);
    }
}

TEST_F(TrussAnimation, TipsAndMastSegmentsExtendFromTheBoxOverTheirOwnStateRanges) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63"});
    const auto& anims = v(h).animations;
    const hostsim::AnimationComponent* box = anims[kBox].components.front();
    const auto c = listOf(anims[kExtend].components);
    ASSERT_EQ(c.size(), 244u);

    const MGROUP_TRANSLATE& tip0 = Translation(*c[0]);
    ExpectSingleGroup(tip0, 733);
    EXPECT_TRUE(Near(tip0.shift, 0, 0, -34.846));
    const MGROUP_TRANSLATE& tip1 = Translation(*c[1]);
    ExpectSingleGroup(tip1, 731);
    EXPECT_TRUE(Near(tip1.shift, 0, 0, 34.846));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(c[size_t(i)]->parent, box);
        EXPECT_EQ(c[size_t(i)]->state0, 0.0);
        EXPECT_EQ(c[size_t(i)]->state1, 1.0);
    }

    for (int j = 0; j < 121; ++j) {
        for (int row = 0; row < 2; ++row) {
            SCOPED_TRACE("row " + std::to_string(row) + " segment " + std::to_string(j));
            const hostsim::AnimationComponent& comp = *c[size_t(2 + 2 * j + row)];
            const MGROUP_TRANSLATE& t = Translation(comp);
            ExpectSingleGroup(t, UINT(row == 0 ? j : 121 + j));
            EXPECT_TRUE(Near(t.shift, 0, 0, row == 0 ? -0.29 : 0.29));
            EXPECT_NEAR(comp.state0, (120.0 - j) / 121.0, 1e-15);
            EXPECT_NEAR(comp.state1, (121.0 - j) / 121.0, 1e-15);
            EXPECT_EQ(comp.parent, j == 0 ? box : c[size_t(2 + 2 * (j - 1) + row)]);
        }
    }
    EXPECT_EQ(c[2]->state0, 0.9917355371900827);
    EXPECT_EQ(c[2]->state1, 1.0);
}

TEST_F(TrussAnimation, HalfExtensionMovesOuterSegmentsFullySegment60HalfwayAndInnerOnesNot) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63"});
    const auto c = listOf(v(h).animations[kExtend].components);
    auto fraction = [](const hostsim::AnimationComponent& comp, double state) {
        return std::clamp((state - comp.state0) / (comp.state1 - comp.state0), 0.0, 1.0);
    };
    for (int j = 0; j < 121; ++j) {
        const double expected = j >= 61 ? 1.0 : (j == 60 ? 0.5 : 0.0);
        EXPECT_NEAR(fraction(*c[size_t(2 + 2 * j)], 0.5), expected, 1e-9) << "segment " << j;
    }
    EXPECT_NEAR(fraction(*c[0], 0.5), 0.5, 1e-15);  // the tips move over the whole range
}

TEST_F(TrussAnimation, MastExtensionFollowsTheQuarterSineOfTheDeploymentState) {
    const double states[] = {0.0, 0.5, 1.0, 0.25};
    for (double d : states) {
        SCOPED_TRACE(d);
        host().reset();
        host().setRoot(HOSTSIM_TEST_ROOT);
        OBJHANDLE h = make("P", "Truss", {"TYPE 63", "DEPLOYANIM 0 " + std::to_string(d)});
        EXPECT_EQ(state(h, kDeploy), d);
        EXPECT_NEAR(state(h, kExtend), std::sin(d * kHalfPi), 1e-15);
    }
    OBJHANDLE h = make("Q", "Truss", {"TYPE 63", "DEPLOYANIM 0 0.5"});
    EXPECT_NEAR(state(h, kExtend), 0.70710678118654757, 1e-15);
}

TEST_F(TrussAnimation, SolarBuildShowsTheLoadedStatesAtOnce) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "DEPLOYANIM 1 0.3", "BASEANIM 2 0.2", "BOXANIM 1 0.7"});
    EXPECT_EQ(state(h, kBox), 0.7);
    EXPECT_EQ(state(h, kBase), 0.2);
    EXPECT_EQ(state(h, kDeploy), 0.3);
    EXPECT_NEAR(state(h, kExtend), std::sin(0.3 * kHalfPi), 1e-15);
}

TEST_F(TrussAnimation, RadiatorBuildShowsTheLoadedDeploymentAtOnce) {
    OBJHANDLE h = make("R", "Truss", {"TYPE 61", "RADANIM 0 0.6"});
    EXPECT_EQ(state(h, 0), 0.6);
}

TEST_F(TrussAnimation, SettingTheSolarDeploymentExtendsBlanketsAndMastAndStopsTheMotion) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "BASEANIM 0 0.4", "TRACKING"});
    host().setFocus(h);
    host().pressKey(OAPI_KEY_K, {OAPI_KEY_LCONTROL});  // deploying
    truss(h).SetAnimationState(0, 1.0);
    EXPECT_EQ(state(h, kDeploy), 1.0);
    EXPECT_NEAR(state(h, kExtend), 1.0, 1e-15);
    EXPECT_EQ(savedLine(h, "DEPLOYANIM"), "  DEPLOYANIM 0 1.000");
    EXPECT_EQ(savedLine(h, "TRACKING"), "  TRACKING ");
    EXPECT_EQ(savedLine(h, "BASEANIM"), "  BASEANIM 0 0.400");
    EXPECT_EQ(state(h, kBase), 0.4);
}

TEST_F(TrussAnimation, SettingTheBaseWhileTrackingStopsTrackingAndShowsTheValueButKeepsTheSavedState) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "BASEANIM 0 0.3", "TRACKING"});
    truss(h).SetAnimationState(1, 0.0);
    EXPECT_EQ(state(h, kBase), 0.0);
    EXPECT_EQ(savedLine(h, "TRACKING"), "");
    EXPECT_EQ(savedLine(h, "BASEANIM"), "  BASEANIM 0 0.300");
}

TEST_F(TrussAnimation, SettingTheBoxStopsItsHandRotationAndShowsTheValue) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "BOXANIM 0 0.6"});
    host().setFocus(h);
    host().pressKey(OAPI_KEY_J);  // box turning down
    EXPECT_EQ(savedLine(h, "BOXANIM"), "  BOXANIM 1 0.600");
    truss(h).SetAnimationState(2, 0.1);
    EXPECT_EQ(state(h, kBox), 0.1);
    EXPECT_EQ(savedLine(h, "BOXANIM"), "  BOXANIM 0 0.600");
    host().journal().enable();
    host().step(1);
    EXPECT_EQ(host().journal().count("SetAnimation"), 0u);
}

TEST_F(TrussAnimation, SettingAnUnknownSolarAnimationDoesNothing) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "TRACKING"});
    auto before = host().saveVesselLines(h);
    host().journal().enable();
    truss(h).SetAnimationState(3, 0.5);
    truss(h).SetAnimationState(-1, 0.5);
    EXPECT_TRUE(host().journal().entries().empty());
    host().journal().enable(false);
    EXPECT_EQ(host().saveVesselLines(h), before);
}

TEST_F(TrussAnimation, RadiatorIgnoresWhichAndSetsItsDeployment) {
    for (int which : {0, 1, 2, 7}) {
        SCOPED_TRACE(which);
        host().reset();
        host().setRoot(HOSTSIM_TEST_ROOT);
        OBJHANDLE h = make("R", "Truss", {"TYPE 61"});
        host().setFocus(h);
        host().pressKey(OAPI_KEY_K, {OAPI_KEY_RCONTROL});
        truss(h).SetAnimationState(which, 0.75);
        EXPECT_EQ(state(h, 0), 0.75);
        EXPECT_EQ(savedLine(h, "RADANIM"), "  RADANIM 0 0.75");
    }
}

TEST_F(TrussAnimation, SettingAnimationsOnStraightAndBaseSegmentsDoesNothing) {
    for (int type : {2, 6, 12, 18}) {
        SCOPED_TRACE(type);
        host().reset();
        host().setRoot(HOSTSIM_TEST_ROOT);
        OBJHANDLE h = make("S", "Truss", {"TYPE " + std::to_string(type)});
        auto before = host().saveVesselLines(h);
        host().journal().enable();
        for (int which : {0, 1, 2}) truss(h).SetAnimationState(which, 0.5);
        EXPECT_TRUE(host().journal().entries().empty());
        host().journal().enable(false);
        EXPECT_EQ(host().saveVesselLines(h), before);
    }
}

}  // namespace
