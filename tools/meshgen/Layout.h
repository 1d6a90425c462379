// Where the modules put ports, grapple points and pallet points, and how they number
// the moving groups. The meshes must meet them: every port and point sits on the
// outer face of a fitting, and every moving part is the group the modules animate.
#pragma once

#include <array>

namespace meshgen::layout {

// ---- Truss segments: long axis x, metres ----

constexpr double kBayPitch = 1.5;  // bays of the straight segments
// Face ports of the straight segments, on the four slanted faces of each bay.
constexpr double kBayPortY = 0.916735, kBayPortZ = 0.654291;
// Radiator segment ports: three stations, four faces each.
constexpr double kRadiatorPortY = 0.478262, kRadiatorPortZ = 0.822896;
constexpr std::array<double, 3> kRadiatorPortStations = {-1.94, 0.0, 1.94};
// Slanted faces look along (0, +-0.5, +-0.866025): 30 degrees off the z axis.
constexpr double kSlantDegrees = 30.0;

constexpr double kGrappleHeight = 1.03523;        // straight segments, above and below
constexpr double kTallGrappleHeight = 1.754091;   // base and radiator segments
constexpr double kSolarGrappleHeight = 0.53523;   // on the solar segment's turning base
constexpr std::array<double, 1> kGrappleStations6 = {0.0};
constexpr std::array<double, 2> kGrappleStations12 = {-3.0, 3.0};
constexpr std::array<double, 3> kGrappleStations18 = {-5.82, 0.0, 5.82};

constexpr double kBaseHalfLength = 1.875;  // base segment end ports
constexpr double kBaseSidePort = 3.1;      // base segment ports on the z axis
constexpr double kShortHalfLength = 3.0;   // radiator and solar segments

// ---- Radiator animation: groups and hinges ----

constexpr int kRadiatorRows = 8;      // rows 0-3 hinge on the truss, 4-7 on them
constexpr int kRadiatorPanels = 16;
constexpr int kRadiatorGroups = kRadiatorRows * kRadiatorPanels;  // 0 .. 127

// Radiator groups pair off downward from the row's first group: first, first - 1,
// first - 4, first - 5, ...; rows 0-3 start at 125, rows 4-7 at 127, each further
// row 32 lower.
constexpr int RadiatorGroup(int row, int k) {
    const int first = (row < 4 ? 125 : 127) - 32 * (row % 4);
    return first - 4 * (k / 2) - k % 2;
}

// ---- Solar animation: groups and hinges ----

constexpr int kBlanketPanels = 122;
constexpr int kMastSegments = 121;
constexpr int kSolarAnimatedGroups = 743;  // 0 .. 742
// Blankets 0 and 1 unfold toward -z, 2 and 3 toward +z.
constexpr std::array<int, 4> kBlanketFirstGroup = {608, 486, 242, 364};
constexpr std::array<int, 2> kMastFirstGroup = {0, 121};  // -z, +z
constexpr std::array<int, 2> kTipGroup = {733, 731};      // -z, +z
constexpr std::array<int, 2> kBoxGroup = {730, 732};      // -z half, +z half
constexpr int kFirstBaseGroup = 734;                      // 734 .. 742
constexpr int kBaseGroups = 9;

constexpr double kTipTravel = 34.846;  // m, blanket tips at full extension
constexpr double kMastPitch = 0.29;    // m, each mast segment's travel

// ---- Carrier: long axis z, metres ----

constexpr double kSegmentPitch = 1.5;
constexpr double kPalletX = 0.75, kPalletY = 0.04;  // pallet points at (+-x, +-y, 0) of a segment
constexpr double kEndFitting = 1.11;                // grapple points and trunnions beyond the end segments
constexpr double kEndDock = 1.57;                   // docks beyond the end segments
constexpr double kCarrierGrappleHeight = 1.03523;
constexpr int kTurningGroups = 4;                   // groups 0 .. 3 of a segment mesh

}  // namespace meshgen::layout
