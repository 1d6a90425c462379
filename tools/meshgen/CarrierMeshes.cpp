// The carrier: a spine along z with one turning pallet per 1.5 m segment, a base at
// each end with its dock and grapple fixtures, and the trunnions it rides a payload bay
// on. A segment mesh's groups 0-3 are the quarters of its pallet, one per pallet point
// (corner order of the module), and turn with it about the spine.
#include <cmath>
#include <string>

#include "Layout.h"
#include "Meshes.h"
#include "TrussFrame.h"

namespace meshgen {

using namespace layout;

namespace {

constexpr double kSpineRadius = 0.1;
constexpr double kBearingOuter = 0.17, kBearingDepth = 0.04;
constexpr double kPalletHalfLength = 0.68;  // m along z, leaving a gap to the next segment
constexpr double kPalletOuterX = 0.95;
constexpr double kDeckThickness = 0.02;     // m, each half of the two-sided deck
constexpr double kRailWidth = 0.05, kRailHeight = 0.06;
constexpr double kLatchHalf = 0.1;          // m, latch fitting under each pallet point
constexpr int kRoundSides = 16;

// The base block between the end segment and the dock, in the base's own frame with
// z growing away from the segments (the far base is its mirror).
constexpr double kBlockHalf = 0.9;
constexpr double kBlockNear = 0.77;   // m beyond the end segment's centre
constexpr double kBulkhead = 0.02;
constexpr double kDockPlate = 0.05;
constexpr double kFixtureHalf = 0.15;

}  // namespace

Mesh CarrierSegment() {
    Mesh mesh;
    const Palette p = AddPalette(mesh);
    const double half = kSegmentPitch / 2;

    for (int corner = 0; corner < kTurningGroups; ++corner) {
        // Corner order: 0 (-x, +y), 1 (+x, +y), 2 (-x, -y), 3 (+x, -y).
        const double sx = corner % 2 == 0 ? -1.0 : 1.0;
        const double sy = corner < 2 ? 1.0 : -1.0;
        Group& g = mesh.AddGroup("PalletQuarter" + std::to_string(corner), p.pallet);
        const double deckTop = kPalletY - kDeckThickness / 2;  // the latch tops out at the point
        AddBox(g, {sx * kSpineRadius * 0.7, 0, -kPalletHalfLength}, {sx * kPalletOuterX, sy * deckTop, kPalletHalfLength});
        AddBox(g, {sx * (kPalletOuterX - kRailWidth), sy * deckTop, -kPalletHalfLength},
               {sx * kPalletOuterX, sy * (deckTop + kRailHeight), kPalletHalfLength});
        AddBox(g, {sx * kPalletX - kLatchHalf, sy * deckTop, -kLatchHalf}, {sx * kPalletX + kLatchHalf, sy * kPalletY, kLatchHalf});
    }

    Group& spine = mesh.AddGroup("Spine", p.structure);
    AddCylinder(spine, {0, 0, -half}, {0, 0, 1}, kSpineRadius, kSegmentPitch, kRoundSides);
    Group& bearings = mesh.AddGroup("Bearings", p.gimbal);
    for (double s : {1.0, -1.0})
        AddRing(bearings, {0, 0, s * (kPalletHalfLength + 0.01)}, {0, 0, s}, kSpineRadius, kBearingOuter, kBearingDepth,
                kRoundSides);
    return mesh;
}

Mesh CarrierBase(int end) {
    Mesh mesh;
    const Palette p = AddPalette(mesh);
    const double s = end;  // -1: near base (z < 0), +1: far base
    const double near = kBlockNear, far = kEndDock - kRingDepth - kDockPlate;

    Group& block = mesh.AddGroup("Block", p.structure);
    AddBox(block, {-kBlockHalf, -kBlockHalf, s * (near - kBulkhead)}, {kBlockHalf, kBlockHalf, s * near});
    const double h = kBlockHalf - kMemberWidth / 2;
    for (double a : {-h, h})
        for (double b : {-h, h}) {
            AddBar(block, {a, b, s * near}, {a, b, s * far}, kMemberWidth, {1, 0, 0});
            AddBar(block, {a, -h, s * far}, {a, h, s * far}, kMemberWidth, {0, 0, 1});
            AddBar(block, {-h, b, s * far}, {h, b, s * far}, kMemberWidth, {0, 0, 1});
        }
    // Beams across the top and bottom carry the grapple fixtures.
    for (double sy : {1.0, -1.0}) AddBar(block, {-h, sy * h, s * kEndFitting}, {h, sy * h, s * kEndFitting}, kMemberWidth, {0, 1, 0});

    Group& dock = mesh.AddGroup("Dock", p.dock);
    AddBox(dock, {-kRingOuter, -kRingOuter, s * far}, {kRingOuter, kRingOuter, s * (far + kDockPlate)});
    AddDockingRing(dock, {0, 0, s * kEndDock}, {0, 0, s});

    Group& fixtures = mesh.AddGroup("GrappleFixtures", p.fitting);
    for (double sy : {1.0, -1.0})
        AddFitting(fixtures, {0, sy * kCarrierGrappleHeight, s * kEndFitting}, {0, sy, 0}, kCarrierGrappleHeight - kBlockHalf,
                   kFixtureHalf, kFixtureHalf);
    return mesh;
}

Mesh CarrierTrunnions() {
    Mesh mesh;
    const Palette p = AddPalette(mesh);
    // Pins reach sideways to the bay's sills from the base block's sides.
    constexpr double kBracketEnd = 2.15, kPinEnd = 2.35, kBracketWidth = 0.16, kPinRadius = 0.045;
    Group& brackets = mesh.AddGroup("TrunnionBrackets", p.structure);
    Group& pins = mesh.AddGroup("TrunnionPins", p.fitting);
    for (double sx : {1.0, -1.0}) {
        AddBar(brackets, {sx * kBlockHalf, 0, 0}, {sx * kBracketEnd, 0, 0}, kBracketWidth, {0, 1, 0});
        AddCylinder(pins, {sx * kBracketEnd, 0, 0}, {sx, 0, 0}, kPinRadius, kPinEnd - kBracketEnd, 12);
    }
    return mesh;
}

}  // namespace meshgen
