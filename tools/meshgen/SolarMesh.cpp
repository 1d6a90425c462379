// The solar segment: two short end frames joined by a turning base (the long-axis
// gimbal), a box that turns on it about z, and on each side of the box a blanket pair
// folded in a cassette with a mast that runs out along z. Spread, each side's blankets
// lie flat in the x-z plane, about 35 m long, with the mast between them.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "Layout.h"
#include "Meshes.h"
#include "Rigs.h"
#include "TrussFrame.h"

namespace meshgen {

using namespace layout;

namespace {

constexpr double kApothem = 1.0;         // m, end frames as on the straight segments
constexpr double kEndFrameLength = 0.3;  // m, each end frame
constexpr double kBearingRadius = 0.16;  // m, in the end frames, round the axle

// Base: an axle along x through a ring round the box, and the grapple fixture on top.
constexpr double kAxleRadius = 0.09;
constexpr double kYokeInner = 0.33, kYokeOuter = 0.43, kYokeDepth = 0.1;
constexpr double kCollarRadius = 0.13, kCollarLength = 0.12;
constexpr double kFlangeRadius = 0.22, kFlangeLength = 0.07;
constexpr double kFixturePlate = 0.035, kFixtureHalf = 0.15, kPostHalf = 0.06;

// Box: a drum along z and a cassette on each side holding a folded blanket pair.
constexpr double kHubRadius = 0.3;
constexpr double kCassetteHalfWidth = 2.6;  // m along x
constexpr double kCassetteHalfDepth = 0.2;  // m along y
constexpr double kCassetteWall = 0.03;
constexpr double kPanelClearance = 0.015;   // m between the spread blanket and the cassette floor

// Blankets: two strips either side of the mast.
constexpr double kBlanketInnerX = 0.2, kBlanketOuterX = 2.5;
constexpr double kBlanketThickness = 0.0016;  // m, folded panels lie 2 mm apart

// Mast: triangular bays with longerons round the mast axis.
constexpr double kMastRadius = 0.12, kMastLongeron = 0.03, kMastBatten = 0.02;
constexpr double kTipDepth = 0.13;  // m, the tip bar over the blanket ends

constexpr double kPi = 3.141592653589793;
constexpr int kRoundSides = 16;

Vec3 MastCorner(int i) {
    const double a = kPi / 2 + 2 * kPi * i / 3;
    return {kMastRadius * std::cos(a), kMastRadius * std::sin(a), 0};
}

// One side of the array: side -1 unfolds toward -z, +1 toward +z.
void AddWing(Mesh& mesh, const Palette& p, int side) {
    const int s = side < 0 ? 0 : 1;
    const BlanketRig rig = MakeBlanketRig(side);
    const int last = kBlanketPanels - 1;

    // Where each panel's fold lines stand once spread.
    std::array<Vec3, kBlanketPanels + 1> line;
    for (int k = 1; k <= last; ++k) line[std::size_t(k)] = Deployed(rig, k - 1)(BlanketHinge(side, k));
    const Vec3 root = BlanketHinge(side, 0);  // the first panel turns about its middle
    line[0] = root * 2 - line[1];
    line[kBlanketPanels] = line[std::size_t(last)] * 2 - line[std::size_t(last - 1)];
    double planeY = 0;
    for (int k = 1; k <= last; ++k) planeY += line[std::size_t(k)].y / last;
    const double end = line[kBlanketPanels].z;  // the spread blanket's far end

    for (int k = 0; k < kBlanketPanels; ++k) {
        const Motion fold = Deployed(rig, k).inverse();
        for (int b = 0; b < 2; ++b) {
            const int row = 2 * s + b;  // rows 0, 1 on -z; 2, 3 on +z
            const double sx = b == 0 ? 1.0 : -1.0;
            Group& g = mesh.group(std::size_t(kBlanketFirstGroup[std::size_t(row)] + k));
            g.label = "Blanket" + std::to_string(row) + "Panel" + std::to_string(k);
            g.material = p.blanket;
            AddBox(g, {sx * kBlanketInnerX, planeY - kBlanketThickness / 2, line[std::size_t(k)].z},
                   {sx * kBlanketOuterX, planeY + kBlanketThickness / 2, line[std::size_t(k + 1)].z});
            Move(g, 0, fold);
        }
    }

    // The tip bar closes over the blanket ends; folded, it is the cassette's lid.
    Group& tip = mesh.group(std::size_t(kTipGroup[std::size_t(s)]));
    tip.label = side < 0 ? "TipMinusZ" : "TipPlusZ";
    tip.material = p.cassette;
    AddBox(tip, {-kCassetteHalfWidth, -kCassetteHalfDepth, end}, {kCassetteHalfWidth, kCassetteHalfDepth, end - side * kTipDepth});
    Move(tip, 0, Motion::Translation({0, 0, -side * kTipTravel}));
    const double lid = end - side * kTipDepth - side * kTipTravel;  // inner face of the folded lid

    // Mast segments end to end from the box to the blanket ends; folded, all of them
    // nest in the cassette, each moved back by its own travel and its parents'.
    for (int j = 0; j < kMastSegments; ++j) {
        Group& g = mesh.group(std::size_t(kMastFirstGroup[std::size_t(s)] + j));
        g.label = (side < 0 ? "MastMinusZ" : "MastPlusZ") + std::to_string(j);
        g.material = p.mast;
        const double outer = end - side * kMastPitch * (kMastSegments - 1 - j);
        const double inner = outer - side * kMastPitch;
        for (int i = 0; i < 3; ++i) {
            const Vec3 c = MastCorner(i), n = MastCorner(i + 1);
            AddBar(g, {c.x, c.y, inner}, {c.x, c.y, outer}, kMastLongeron, c);
            AddBar(g, {c.x, c.y, inner + side * kMastBatten}, {n.x, n.y, inner + side * kMastBatten}, kMastBatten,
                   {0, 0, 1});
        }
        Move(g, 0, Motion::Translation({0, 0, -side * kMastPitch * (j + 1)}));
    }

    // Box half: the drum out to the cassette floor, the floor just inside the spread
    // blanket's root, and walls up to the folded lid.
    Group& box = mesh.group(std::size_t(kBoxGroup[std::size_t(s)]));
    box.label = side < 0 ? "BoxMinusZ" : "BoxPlusZ";
    box.material = p.cassette;
    const double floorOuter = std::fabs(line[0].z) - kPanelClearance;
    const double floorInner = floorOuter - kCassetteWall;
    AddCylinder(box, {0, 0, 0}, {0, 0, double(side)}, kHubRadius, floorInner, kRoundSides);
    AddBox(box, {-kCassetteHalfWidth, -kCassetteHalfDepth, side * floorInner},
           {kCassetteHalfWidth, kCassetteHalfDepth, side * floorOuter});
    for (double sy : {1.0, -1.0})
        AddBox(box, {-kCassetteHalfWidth, sy * (kCassetteHalfDepth - kCassetteWall), side * floorOuter},
               {kCassetteHalfWidth, sy * kCassetteHalfDepth, lid});
    for (double sx : {1.0, -1.0})
        AddBox(box, {sx * (kCassetteHalfWidth - kCassetteWall), -kCassetteHalfDepth + kCassetteWall, side * floorOuter},
               {sx * kCassetteHalfWidth, kCassetteHalfDepth - kCassetteWall, lid});
}

void AddBase(Mesh& mesh, const Palette& p) {
    auto group = [&](int i, const char* label) -> Group& {
        Group& g = mesh.group(std::size_t(kFirstBaseGroup + i));
        g.label = label;
        g.material = p.gimbal;
        return g;
    };
    const double axleEnd = kShortHalfLength - kEndFrameLength / 2;
    AddCylinder(group(0, "AxleMinusX"), {-kYokeInner, 0, 0}, {-1, 0, 0}, kAxleRadius, axleEnd - kYokeInner, kRoundSides);
    AddCylinder(group(1, "AxlePlusX"), {kYokeInner, 0, 0}, {1, 0, 0}, kAxleRadius, axleEnd - kYokeInner, kRoundSides);
    AddRing(group(2, "Yoke"), {0, 0, -kYokeDepth / 2}, {0, 0, 1}, kYokeInner, kYokeOuter, kYokeDepth, 2 * kRoundSides);
    AddCylinder(group(3, "CollarMinusX"), {-kYokeOuter, 0, 0}, {-1, 0, 0}, kCollarRadius, kCollarLength, kRoundSides);
    AddCylinder(group(4, "CollarPlusX"), {kYokeOuter, 0, 0}, {1, 0, 0}, kCollarRadius, kCollarLength, kRoundSides);
    const double flange = kShortHalfLength - kEndFrameLength - kFlangeLength;
    AddCylinder(group(5, "FlangeMinusX"), {-flange, 0, 0}, {-1, 0, 0}, kFlangeRadius, kFlangeLength, kRoundSides);
    AddCylinder(group(6, "FlangePlusX"), {flange, 0, 0}, {1, 0, 0}, kFlangeRadius, kFlangeLength, kRoundSides);
    const double plate = kSolarGrappleHeight - kFixturePlate;
    AddBox(group(7, "GrapplePost"), {-kPostHalf, kYokeOuter - 0.01, -kPostHalf}, {kPostHalf, plate, kPostHalf});
    Group& fixture = group(8, "GrappleFixture");
    fixture.material = p.fitting;
    AddFitting(fixture, {0, kSolarGrappleHeight, 0}, {0, 1, 0}, kFixturePlate, kFixtureHalf, kFixtureHalf);
}

void AddEndFrames(Mesh& mesh, const Palette& p) {
    const Section section = HexSection(kApothem, kApothem);
    for (double s : {-1.0, 1.0}) {
        Group& frame = mesh.AddGroup(s < 0 ? "EndFrameMinusX" : "EndFramePlusX", p.structure);
        const double x0 = s * (kShortHalfLength - kEndFrameLength), x1 = s * kShortHalfLength;
        AddCage(frame, section, std::min(x0, x1), std::max(x0, x1), {x0, x1});
        // Three spokes carry the bearing that the base's axle turns in.
        const double mid = s * (kShortHalfLength - kEndFrameLength / 2);
        const auto corners = section.Inset(kMemberWidth / 2).Corners();
        for (int i = 1; i < 6; i += 2) AddBar(frame, {mid, corners[std::size_t(i)].y, corners[std::size_t(i)].z}, {mid, 0, 0}, kDiagonalWidth, {1, 0, 0});
        AddCylinder(frame, {x0, 0, 0}, {s, 0, 0}, kBearingRadius, kEndFrameLength - kRingDepth, kRoundSides);

        Group& port = mesh.AddGroup(s < 0 ? "PortMinusX" : "PortPlusX", p.dock);
        AddDockingRing(port, {x1, 0, 0}, {s, 0, 0});
        for (const Vec3& c : corners)
            AddBar(port, {s * (kShortHalfLength - kMemberWidth / 2), c.y, c.z},
                   {s * (kShortHalfLength - kMemberWidth / 2), c.y * kRingOuter / length(c), c.z * kRingOuter / length(c)},
                   kDiagonalWidth, {1, 0, 0});
    }
}

}  // namespace

Mesh SolarSegment() {
    Mesh mesh;
    const Palette p = AddPalette(mesh);
    mesh.ReserveGroups(kSolarAnimatedGroups);
    AddWing(mesh, p, -1);
    AddWing(mesh, p, 1);
    AddBase(mesh, p);
    // The end frames stand still while everything between them turns.
    AddEndFrames(mesh, p);
    return mesh;
}

}  // namespace meshgen
