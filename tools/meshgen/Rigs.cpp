#include "Rigs.h"

namespace meshgen {

namespace {

int Alternation(int k) { return k % 2 == 0 ? 1 : -1; }

// ---- Radiator hinges ----
// Rows 0-3 chain panel to panel from the truss; rows 4-7 scissor across them.
struct RadiatorRowHinge {
    double x;           // station of the row's hinge line
    double ySign;       // upper rows +1, lower rows -1
    double firstAngle;  // degrees, panel 0
    double foldAngle;   // degrees, panel k >= 1 turns by foldAngle * s(k)
};
constexpr RadiatorRowHinge kRadiatorHinges[layout::kRadiatorRows] = {
    {1.455, 1, -60, -120}, {-1.455, 1, -60, -120}, {1.455, -1, 60, 120},   {-1.455, -1, 60, 120},
    {1.455, 1, -120, 120}, {-1.455, 1, -120, 120}, {1.455, -1, 120, -120}, {-1.455, -1, 120, -120},
};
constexpr double kInnerFirstY = 0.84, kOuterFirstY = 0.845;  // m, panel 0 hinges
constexpr double kInnerStackY = 0.85, kOuterStackY = 0.855;  // m, panel 1 hinges
constexpr double kPanelPitchY = 0.01;                        // m between folded panels
constexpr double kInnerHingeZ = 0.2325;                      // m, inner hinges alternate sides

// ---- Blanket hinges ----
constexpr double kBlanketRoot = 0.641;        // m, panel 0 hinge and start of the stack
constexpr double kBlanketFoldHeight = 0.145;  // m, fold lines alternate above and below
constexpr double kBlanketPitch = 0.002;       // m between folded panels
constexpr double kLastBlanketZ = 0.881;       // m, the closing panel's hinge

}  // namespace

Vec3 RadiatorHinge(int row, int k) {
    const RadiatorRowHinge& h = kRadiatorHinges[row];
    const bool outer = row >= 4;
    double y = k == 0 ? (outer ? kOuterFirstY : kInnerFirstY) : (outer ? kOuterStackY : kInnerStackY) + (k - 1) * kPanelPitchY;
    return {h.x, h.ySign * y, outer ? 0.0 : -kInnerHingeZ * Alternation(k)};
}

RadiatorRig MakeRadiatorRig() {
    RadiatorRig rig;
    for (int row = 0; row < layout::kRadiatorRows; ++row) {
        const RadiatorRowHinge& h = kRadiatorHinges[row];
        const bool outer = row >= 4;
        for (int k = 0; k < layout::kRadiatorPanels; ++k) {
            const Vec3 axis = (outer && k == 0) ? Vec3{-1, 0, 0} : Vec3{1, 0, 0};
            const double degrees = k == 0 ? h.firstAngle : h.foldAngle * Alternation(k);
            Joint& j = rig[std::size_t(row * layout::kRadiatorPanels + k)];
            j.own = Motion::Rotation(RadiatorHinge(row, k), axis, ModuleRadians(degrees));
            if (outer)
                j.parent = (row - 4) * layout::kRadiatorPanels + k;
            else if (k > 0)
                j.parent = row * layout::kRadiatorPanels + k - 1;
        }
    }
    return rig;
}

Vec3 BlanketHinge(int side, int k) {
    if (k == 0) return {-side * kBlanketRoot, 0, side * kBlanketRoot};
    const double y = -kBlanketFoldHeight * Alternation(k);
    if (k == layout::kBlanketPanels - 1) return {0, y, side * kLastBlanketZ};
    return {0, y, side * (kBlanketRoot + kBlanketPitch * k)};
}

BlanketRig MakeBlanketRig(int side) {
    BlanketRig rig;
    const int last = layout::kBlanketPanels - 1;
    for (int k = 0; k < layout::kBlanketPanels; ++k) {
        double degrees;
        if (k == 0)
            degrees = side * 90;
        else if (k < last)
            degrees = side * 180 * Alternation(k);
        else
            degrees = side * 180;  // the closing panel folds like the one before it
        rig[std::size_t(k)].own = Motion::Rotation(BlanketHinge(side, k), {1, 0, 0}, ModuleRadians(degrees));
        rig[std::size_t(k)].parent = k - 1;
    }
    return rig;
}

}  // namespace meshgen
