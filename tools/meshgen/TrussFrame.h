// The hexagonal lattice that every truss segment is built from: six longerons, hexagon
// frames at the bay stations and one diagonal per face and bay. The cross-section lies
// in the y-z plane; its faces look along 30, 90, 150, 210, 270 and 330 degrees from +z
// toward +y.
#pragma once

#include <array>
#include <vector>

#include "Mesh.h"

namespace meshgen {

struct Section {
    std::array<double, 6> faceDistance;  // outer surface of each face from the axis
    // Corner i joins face i and face i + 1, as a (y, z) point at x = 0.
    std::array<Vec3, 6> Corners() const;
    // Outward normal of face i in the y-z plane.
    static Vec3 Normal(int face);
    // The same section moved inward by d on every face.
    Section Inset(double d) const;
};

// A section whose slanted faces stand `slant` from the axis and whose top and bottom
// faces stand `flat` from it; equal values give the regular hexagon.
Section HexSection(double slant, double flat);

constexpr double kMemberWidth = 0.08;    // m, longerons and frames
constexpr double kDiagonalWidth = 0.05;  // m

// Builds the lattice from x0 to x1 inside the section's outer surface, with frames at
// the given stations (end frames stay inside x0 .. x1).
void AddCage(Group& g, const Section& outer, double x0, double x1, const std::vector<double>& frames);

// A cross-beam over face `face` at station x, flush with the outer surface: the seat
// of a fitting between frames.
void AddCrossBeam(Group& g, const Section& outer, int face, double x);

// A plate fitting whose outer face holds `point` and looks along `dir`: a docking port
// or a grapple fixture. `half` are its half sizes along x (or the frame's first
// perpendicular) and across.
void AddFitting(Group& g, const Vec3& point, const Vec3& dir, double thickness, double halfAlong, double halfAcross);

// A docking ring whose face holds `point` and looks along `dir`.
void AddDockingRing(Group& g, const Vec3& point, const Vec3& dir);

// The slanted face that a port at this point sits on looks along (0, +-0.5, +-0.866).
Vec3 SlantNormal(const Vec3& point);

constexpr double kRingInner = 0.45, kRingOuter = 0.6, kRingDepth = 0.07;  // m

}  // namespace meshgen
