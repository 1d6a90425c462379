// The radiator segment: a 6 m truss with four folding radiators, two above and two
// below. Each radiator is a flat sheet of sixteen panels when spread; the module's
// hinges fold it into its housing on the truss. A panel is two half plates that
// scissor about a pivot: the lower half rides on the hinged chain (rows 0-3), the upper
// half on the scissor arm (rows 4-7).
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "Layout.h"
#include "Meshes.h"
#include "Rigs.h"
#include "TrussFrame.h"

namespace meshgen {

using namespace layout;

namespace {

constexpr double kPortPlate = 0.02;      // m, radiator port fittings stand proud of the faces
constexpr double kDeck = 0.70;           // m, top and bottom faces carry the housings
constexpr double kFixturePlate = 0.035;  // m
constexpr double kPedestalHalf = 0.1;    // m, between the two radiators of a side
constexpr double kPanelHalfWidth = 1.25;  // m along x
constexpr double kPanelThickness = 0.006; // m
constexpr double kHousingHalfWidth = 1.30;  // m along x
constexpr double kHousingWall = 0.02;       // m
constexpr double kHousingClearance = 0.02;  // m round the folded panels

// A radiator: an inner row (0-3) and the outer row (4-7) that scissors across it.
struct Radiator {
    int innerRow;
    double x, ySign;
};
constexpr std::array<Radiator, 4> kRadiators = {{{0, 1.455, 1}, {1, -1.455, 1}, {2, 1.455, -1}, {3, -1.455, -1}}};

int PanelIndex(int row, int k) { return row * kRadiatorPanels + k; }

// Lays out one radiator's 32 half plates flat when spread, then folds each back into
// its group by the inverse of its deployed motion.
void AddRadiator(Mesh& mesh, const RadiatorRig& rig, const Radiator& r) {
    const int outerRow = r.innerRow + 4;
    std::array<Vec3, kRadiatorPanels> pivot;
    double planeZ = 0;
    for (int k = 0; k < kRadiatorPanels; ++k) {
        pivot[std::size_t(k)] = Deployed(rig, PanelIndex(r.innerRow, k))(RadiatorHinge(outerRow, k));
        planeZ += pivot[std::size_t(k)].z / kRadiatorPanels;
    }
    // Panel edges halfway between pivots; the end edges as far out as the pitch.
    std::array<double, kRadiatorPanels + 1> edge;
    for (int k = 1; k < kRadiatorPanels; ++k) edge[std::size_t(k)] = (pivot[std::size_t(k - 1)].y + pivot[std::size_t(k)].y) / 2;
    edge[0] = pivot[0].y - (pivot[1].y - pivot[0].y) / 2;
    edge[kRadiatorPanels] = pivot[kRadiatorPanels - 1].y + (pivot[kRadiatorPanels - 1].y - pivot[kRadiatorPanels - 2].y) / 2;

    for (int k = 0; k < kRadiatorPanels; ++k) {
        const double halves[2][2] = {{edge[std::size_t(k)], pivot[std::size_t(k)].y},
                                     {pivot[std::size_t(k)].y, edge[std::size_t(k + 1)]}};
        const int rows[2] = {r.innerRow, outerRow};
        for (int h = 0; h < 2; ++h) {
            Group& g = mesh.group(std::size_t(RadiatorGroup(rows[h], k)));
            AddBox(g, {r.x - kPanelHalfWidth, halves[h][0], planeZ - kPanelThickness / 2},
                   {r.x + kPanelHalfWidth, halves[h][1], planeZ + kPanelThickness / 2});
            Move(g, 0, Deployed(rig, PanelIndex(rows[h], k)).inverse());
        }
    }
}

}  // namespace

Mesh RadiatorSegment() {
    Mesh mesh;
    const Palette p = AddPalette(mesh);
    mesh.ReserveGroups(kRadiatorGroups);
    for (int row = 0; row < kRadiatorRows; ++row)
        for (int k = 0; k < kRadiatorPanels; ++k) {
            Group& g = mesh.group(std::size_t(RadiatorGroup(row, k)));
            g.label = "Radiator" + std::to_string(row) + "Panel" + std::to_string(k);
            g.material = p.radiator;
        }
    const RadiatorRig rig = MakeRadiatorRig();
    for (const Radiator& r : kRadiators) AddRadiator(mesh, rig, r);

    // How far the folded panels reach, for the housings round them.
    double stackTop = 0, stackHalfDepth = 0;
    for (int gi = 0; gi < kRadiatorGroups; ++gi)
        for (const Vertex& v : mesh.group(std::size_t(gi)).vertices) {
            stackTop = std::max(stackTop, std::fabs(v.pos.y));
            stackHalfDepth = std::max(stackHalfDepth, std::fabs(v.pos.z));
        }

    const double portDistance = kRadiatorPortY * 0.5 + kRadiatorPortZ * std::cos(kSlantDegrees * 3.141592653589793 / 180);
    const Section section = HexSection(portDistance - kPortPlate, kDeck);

    Group& frame = mesh.AddGroup("Lattice", p.structure);
    std::vector<double> frames;
    for (double x = -kShortHalfLength; x <= kShortHalfLength + 1e-9; x += kBayPitch) frames.push_back(x);
    AddCage(frame, section, -kShortHalfLength, kShortHalfLength, frames);

    Group& ports = mesh.AddGroup("RadiatorPorts", p.dock);
    for (double x : kRadiatorPortStations)
        for (double sy : {1.0, -1.0})
            for (double sz : {1.0, -1.0}) {
                const Vec3 point{x, sy * kRadiatorPortY, sz * kRadiatorPortZ};
                AddFitting(ports, point, SlantNormal(point), kPortPlate, 0.15, 0.1);
            }

    Group& ends = mesh.AddGroup("EndPorts", p.dock);
    for (double s : {1.0, -1.0}) {
        AddDockingRing(ends, {s * kShortHalfLength, 0, 0}, {s, 0, 0});
        for (const Vec3& c : section.Inset(kMemberWidth / 2).Corners())
            AddBar(ends, {s * (kShortHalfLength - kMemberWidth / 2), c.y, c.z},
                   {s * (kShortHalfLength - kMemberWidth / 2), c.y * kRingOuter / length(c),
                    c.z * kRingOuter / length(c)},
                   kDiagonalWidth, {1, 0, 0});
    }

    Group& fixtures = mesh.AddGroup("GrappleFixtures", p.fitting);
    for (double s : {1.0, -1.0}) {
        const double top = kTallGrappleHeight - kFixturePlate;
        AddBox(fixtures, {-kPedestalHalf, s * kDeck, -kPedestalHalf}, {kPedestalHalf, s * top, kPedestalHalf});
        AddFitting(fixtures, {0, s * kTallGrappleHeight, 0}, {0, s, 0}, kFixturePlate, 0.15, 0.15);
    }

    // Open-topped housings that the folded radiators lie in.
    Group& housings = mesh.AddGroup("Housings", p.structure);
    const double wallTop = stackTop + kHousingClearance;
    const double innerZ = stackHalfDepth + kHousingClearance;
    for (const Radiator& r : kRadiators) {
        const double s = r.ySign, x0 = r.x - kHousingHalfWidth, x1 = r.x + kHousingHalfWidth;
        const double floor = kDeck + kHousingWall;
        AddBox(housings, {x0, s * kDeck, -innerZ - kHousingWall}, {x1, s * floor, innerZ + kHousingWall});
        for (double sz : {1.0, -1.0})
            AddBox(housings, {x0, s * floor, sz * innerZ}, {x1, s * wallTop, sz * (innerZ + kHousingWall)});
        for (double xe : {x0, x1 - kHousingWall})
            AddBox(housings, {xe, s * floor, -innerZ}, {xe + kHousingWall, s * wallTop, innerZ});
    }
    return mesh;
}

}  // namespace meshgen
