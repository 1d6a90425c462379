#include "TrussFrame.h"

#include <algorithm>
#include <cmath>

#include "Layout.h"

namespace meshgen {

namespace {
constexpr double kPi = 3.141592653589793;
constexpr int kRingSides = 24;
}  // namespace

Vec3 Section::Normal(int face) {
    const double a = (layout::kSlantDegrees + 60.0 * face) * kPi / 180.0;
    return {0, std::sin(a), std::cos(a)};
}

std::array<Vec3, 6> Section::Corners() const {
    std::array<Vec3, 6> c;
    for (int i = 0; i < 6; ++i) {
        // Solve n1 . p = d1, n2 . p = d2 in the y-z plane.
        const Vec3 n1 = Normal(i), n2 = Normal((i + 1) % 6);
        const double d1 = faceDistance[std::size_t(i)], d2 = faceDistance[std::size_t((i + 1) % 6)];
        const double det = n1.y * n2.z - n1.z * n2.y;
        c[std::size_t(i)] = {0, (d1 * n2.z - d2 * n1.z) / det, (n1.y * d2 - n2.y * d1) / det};
    }
    return c;
}

Section Section::Inset(double d) const {
    Section s = *this;
    for (double& f : s.faceDistance) f -= d;
    return s;
}

Section HexSection(double slant, double flat) { return Section{{slant, flat, slant, slant, flat, slant}}; }

void AddCage(Group& g, const Section& outer, double x0, double x1, const std::vector<double>& frames) {
    const auto corners = outer.Inset(kMemberWidth / 2).Corners();
    const auto inner = outer.Inset(kMemberWidth).Corners();
    auto at = [](const Vec3& c, double x) { return Vec3{x, c.y, c.z}; };
    for (const Vec3& c : corners) AddBar(g, at(c, x0), at(c, x1), kMemberWidth, Vec3{0, c.y, c.z});

    std::vector<double> stations;
    for (double x : frames) stations.push_back(std::clamp(x, x0 + kMemberWidth / 2, x1 - kMemberWidth / 2));
    std::sort(stations.begin(), stations.end());
    for (double x : stations)
        for (int i = 0; i < 6; ++i)
            AddBar(g, at(corners[std::size_t(i)], x), at(corners[std::size_t((i + 1) % 6)], x), kMemberWidth, {1, 0, 0});

    // One diagonal per face and bay, alternating so that neighbours form a zigzag.
    for (std::size_t b = 0; b + 1 < stations.size(); ++b)
        for (int i = 0; i < 6; ++i) {
            const Vec3 a = inner[std::size_t(i)], c = inner[std::size_t((i + 1) % 6)];
            const bool rising = (b + std::size_t(i)) % 2 == 0;
            AddBar(g, at(rising ? a : c, stations[b]), at(rising ? c : a, stations[b + 1]), kDiagonalWidth,
                   Section::Normal((i + 1) % 6));
        }
}

void AddCrossBeam(Group& g, const Section& outer, int face, double x) {
    const auto corners = outer.Inset(kMemberWidth / 2).Corners();
    const Vec3 a = corners[std::size_t((face + 5) % 6)], b = corners[std::size_t(face)];
    AddBar(g, {x, a.y, a.z}, {x, b.y, b.z}, kMemberWidth, Section::Normal(face));
}

void AddFitting(Group& g, const Vec3& point, const Vec3& dir, double thickness, double halfAlong, double halfAcross) {
    Block k;
    k.w = normalised(dir);
    // Fittings on a truss line up with its x axis where they can.
    Vec3 along = Vec3{1, 0, 0} - k.w * dot(Vec3{1, 0, 0}, k.w);
    if (length(along) < 1e-6) along = Vec3{0, 1, 0} - k.w * dot(Vec3{0, 1, 0}, k.w);
    k.u = normalised(along);
    k.v = cross(k.w, k.u);
    k.centre = point - k.w * (thickness / 2);
    k.half = {halfAlong, halfAcross, thickness / 2};
    AddBlock(g, k);
}

void AddDockingRing(Group& g, const Vec3& point, const Vec3& dir) {
    const Vec3 n = normalised(dir);
    AddRing(g, point - n * kRingDepth, n, kRingInner, kRingOuter, kRingDepth, kRingSides);
}

}  // namespace meshgen

namespace meshgen {

Vec3 SlantNormal(const Vec3& point) {
    const double a = layout::kSlantDegrees * kPi / 180.0;
    return {0, point.y > 0 ? std::sin(a) : -std::sin(a), point.z > 0 ? std::cos(a) : -std::cos(a)};
}

}  // namespace meshgen
