// The hinges the modules move the radiator and solar groups about, and where each
// moving part stands when fully deployed. A mesh stores its moving parts folded: each
// is designed where it stands deployed and moved back by the inverse of that motion.
#pragma once

#include <array>

#include "Geometry.h"
#include "Layout.h"

namespace meshgen {

// A part's own motion at the end of its state range, and the part it hangs from
// (its motion carries this one), or -1.
struct Joint {
    Motion own;
    int parent = -1;
};

// Motion of joint i at full deployment: its own, then its ancestors'.
template <std::size_t N>
Motion Deployed(const std::array<Joint, N>& joints, int i) {
    Motion m = joints[std::size_t(i)].own;
    for (int p = joints[std::size_t(i)].parent; p >= 0; p = joints[std::size_t(p)].parent)
        m = m.then(joints[std::size_t(p)].own);
    return m;
}

// Radiator panels, indexed row * 16 + k.
using RadiatorRig = std::array<Joint, layout::kRadiatorGroups>;
RadiatorRig MakeRadiatorRig();
// The point a radiator panel turns about; for rows 4-7 the pivot on which a panel
// scissors across its partner in rows 0-3.
Vec3 RadiatorHinge(int row, int k);

// One side's blanket panels (both blankets of a side fold alike); side -1 for -z, +1
// for +z. The box and base stand still while the arrays are designed.
using BlanketRig = std::array<Joint, layout::kBlanketPanels>;
BlanketRig MakeBlanketRig(int side);
Vec3 BlanketHinge(int side, int k);

}  // namespace meshgen
