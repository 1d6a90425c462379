// The fixed truss segments: straight segments of 6, 12 and 18 m, the base segment and
// its payload-bay trunnions.
#include <cmath>
#include <vector>

#include "Layout.h"
#include "Meshes.h"
#include "TrussFrame.h"

namespace meshgen {

using namespace layout;

namespace {

// Outer surface of the straight and base segments; the face ports stand proud of it.
constexpr double kApothem = 1.0;  // m
constexpr double kPortPlate = 0.025;  // m, bay port fittings (1.025 m from the axis)
constexpr double kPortHalfAlong = 0.15, kPortHalfAcross = 0.1;  // m, fits between the corners
constexpr double kFixtureHalf = 0.15;  // m, grapple fixture plates

Section StraightSection() { return HexSection(kApothem, kApothem); }

// Bay ports of face f at station x, as the module places them.
Vec3 BayPortPoint(int face, double x) {
    const double y = (face == 0 || face == 2) ? kBayPortY : -kBayPortY;
    const double z = (face == 0 || face == 1) ? kBayPortZ : -kBayPortZ;
    return {x, y, z};
}

void AddGrappleFixture(Group& g, const Vec3& point, double surface) {
    const Vec3 dir{0, point.y > 0 ? 1.0 : -1.0, 0};
    AddFitting(g, point, dir, std::abs(point.y) - surface, kFixtureHalf, kFixtureHalf);
}

}  // namespace

Palette AddPalette(Mesh& mesh) {
    Palette p;
    p.structure = mesh.AddMaterial({"Structure", {0.74f, 0.74f, 0.72f}, 0.3f});
    p.fitting = mesh.AddMaterial({"Fixture", {0.30f, 0.31f, 0.34f}, 0.2f});
    p.dock = mesh.AddMaterial({"DockingRing", {0.86f, 0.66f, 0.26f}, 0.5f});
    p.radiator = mesh.AddMaterial({"Radiator", {0.95f, 0.95f, 0.97f}, 0.4f});
    p.blanket = mesh.AddMaterial({"SolarBlanket", {0.14f, 0.22f, 0.55f}, 0.6f});
    p.cassette = mesh.AddMaterial({"BlanketBox", {0.80f, 0.64f, 0.36f}, 0.3f});
    p.mast = mesh.AddMaterial({"Mast", {0.82f, 0.82f, 0.80f}, 0.2f});
    p.gimbal = mesh.AddMaterial({"Gimbal", {0.50f, 0.53f, 0.60f}, 0.4f});
    p.pallet = mesh.AddMaterial({"Pallet", {0.92f, 0.52f, 0.16f}, 0.3f});
    return p;
}

Mesh StraightSegment(int lengthMetres) {
    Mesh mesh;
    const Palette p = AddPalette(mesh);
    const double half = (lengthMetres / 2) * 1.0;  // the modules halve the length as an integer
    const int bays = (lengthMetres / 3) * 2;
    const Section section = StraightSection();

    Group& frame = mesh.AddGroup("Lattice", p.structure);
    std::vector<double> frames;
    for (int i = 0; i <= bays; ++i) frames.push_back(-half + kBayPitch * i);
    AddCage(frame, section, -half, half, frames);

    Group& ports = mesh.AddGroup("BayPorts", p.dock);
    for (int i = 0; i < bays; ++i) {
        const double x = 0.75 - 0.5 * lengthMetres + kBayPitch * i;
        for (int face = 0; face < 4; ++face) {
            const Vec3 point = BayPortPoint(face, x);
            AddFitting(ports, point, SlantNormal(point), kPortPlate, kPortHalfAlong, kPortHalfAcross);
        }
    }

    Group& ends = mesh.AddGroup("EndPorts", p.dock);
    for (double s : {1.0, -1.0}) {
        AddDockingRing(ends, {s * half, 0, 0}, {s, 0, 0});
        // Spokes carry the ring from the end frame's corners.
        for (const Vec3& c : section.Inset(kMemberWidth / 2).Corners())
            AddBar(ends, {s * (half - kMemberWidth / 2), c.y, c.z},
                   {s * (half - kMemberWidth / 2), c.y * kRingOuter / length(c), c.z * kRingOuter / length(c)},
                   kDiagonalWidth, {1, 0, 0});
    }

    Group& fixtures = mesh.AddGroup("GrappleFixtures", p.fitting);
    std::vector<double> stations;
    if (lengthMetres == 12)
        stations.assign(kGrappleStations12.begin(), kGrappleStations12.end());
    else if (lengthMetres == 18)
        stations.assign(kGrappleStations18.begin(), kGrappleStations18.end());
    else
        stations.assign(kGrappleStations6.begin(), kGrappleStations6.end());
    for (double x : stations)
        for (double s : {1.0, -1.0}) {
            AddCrossBeam(frame, section, s > 0 ? 1 : 4, x);
            AddGrappleFixture(fixtures, {x, s * kGrappleHeight, 0}, kApothem);
        }
    return mesh;
}

Mesh BaseSegment() {
    Mesh mesh;
    const Palette p = AddPalette(mesh);
    const Section section = StraightSection();
    constexpr double kArmHalf = 0.25;        // m, square side arms out to the z ports
    constexpr double kPedestalHalf = 0.12;   // m, posts under the tall grapple fixtures
    constexpr double kFixturePlate = 0.035;  // m
    constexpr double kPortPlateDepth = 0.05;  // m

    Group& frame = mesh.AddGroup("Lattice", p.structure);
    AddCage(frame, section, -kBaseHalfLength, kBaseHalfLength, {-kBaseHalfLength, 0.0, kBaseHalfLength});

    Group& arms = mesh.AddGroup("SideArms", p.structure);
    for (double s : {1.0, -1.0}) {
        const double inner = section.Corners()[5].z - kMemberWidth;  // inside the side corner
        const double outer = kBaseSidePort - kRingDepth - kPortPlateDepth;
        AddBox(arms, {-kArmHalf, -kArmHalf, s * inner}, {kArmHalf, kArmHalf, s * outer});
    }

    Group& ports = mesh.AddGroup("Ports", p.dock);
    for (double s : {1.0, -1.0}) {
        AddDockingRing(ports, {s * kBaseHalfLength, 0, 0}, {s, 0, 0});
        AddDockingRing(ports, {0, 0, s * kBaseSidePort}, {0, 0, s});
        // The side rings sit on a plate at the arm's end.
        const double plate = kBaseSidePort - kRingDepth;
        AddBox(ports, {-kRingOuter, -kRingOuter, s * (plate - kPortPlateDepth)}, {kRingOuter, kRingOuter, s * plate});
        for (const Vec3& c : section.Inset(kMemberWidth / 2).Corners())
            AddBar(ports, {s * (kBaseHalfLength - kMemberWidth / 2), c.y, c.z},
                   {s * (kBaseHalfLength - kMemberWidth / 2), c.y * kRingOuter / length(c),
                    c.z * kRingOuter / length(c)},
                   kDiagonalWidth, {1, 0, 0});
    }

    Group& fixtures = mesh.AddGroup("GrappleFixtures", p.fitting);
    for (double s : {1.0, -1.0}) {
        AddCrossBeam(frame, section, s > 0 ? 1 : 4, 0.0);
        const double top = kTallGrappleHeight - kFixturePlate;
        AddBox(fixtures, {-kPedestalHalf, s * kApothem, -kPedestalHalf}, {kPedestalHalf, s * top, kPedestalHalf});
        AddGrappleFixture(fixtures, {0, s * kTallGrappleHeight, 0}, top);
    }
    return mesh;
}

Mesh BaseTrunnions() {
    Mesh mesh;
    const Palette p = AddPalette(mesh);
    // Longeron trunnions reach sideways to the bay's sills, clear of the side arms;
    // the keel trunnion points down, clear of the lower grapple fixture.
    constexpr double kTrunnionX = 1.2;              // m
    constexpr double kBracketEnd = 2.25, kPinEnd = 2.45;  // m from the axis
    constexpr double kBracketWidth = 0.14, kPinRadius = 0.045;  // m
    constexpr double kKeelX = -0.9, kKeelBracketEnd = 1.35, kKeelPinEnd = 1.5;  // m
    const double side = StraightSection().Inset(kMemberWidth).Corners()[5].z;

    Group& brackets = mesh.AddGroup("TrunnionBrackets", p.structure);
    Group& pins = mesh.AddGroup("TrunnionPins", p.fitting);
    for (double sx : {1.0, -1.0})
        for (double sz : {1.0, -1.0}) {
            AddBar(brackets, {sx * kTrunnionX, 0, sz * (side - 0.3)}, {sx * kTrunnionX, 0, sz * kBracketEnd},
                   kBracketWidth, {0, 1, 0});
            AddCylinder(pins, {sx * kTrunnionX, 0, sz * kBracketEnd}, {0, 0, sz}, kPinRadius, kPinEnd - kBracketEnd,
                        12);
        }
    AddBar(brackets, {kKeelX, -kApothem + kMemberWidth, 0}, {kKeelX, -kKeelBracketEnd, 0}, kBracketWidth, {1, 0, 0});
    AddCylinder(pins, {kKeelX, -kKeelBracketEnd, 0}, {0, -1, 0}, kPinRadius, kKeelPinEnd - kKeelBracketEnd, 12);
    return mesh;
}

}  // namespace meshgen
