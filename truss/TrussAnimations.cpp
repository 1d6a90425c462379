// The radiator and solar animations: their mesh groups, transforms and component
// trees, the mast extension rule, and the immediate state setter.
#include <cmath>
#include <memory>

#include "Truss.h"
#include "TrussConstants.h"

using namespace truss;

namespace {

// Every transform acts on the main mesh, which the build puts at index 0.
constexpr UINT kMainMesh = 0;

// Transforms hold radians in single precision: the degree value and the conversion
// factor are each rounded to float and multiplied in float.
float Radians(double degrees) { return static_cast<float>(degrees) * static_cast<float>(0.017453292519943295); }

// s(k): +1 for even k, -1 for odd k. Folding panels alternate their sense.
int Alternation(int k) { return k % 2 == 0 ? 1 : -1; }

// Radiators: rows 0 to 3 hinge on the truss and chain panel to panel; rows 4 to 7 are
// the outer halves, each panel hanging from the panel with the same k in row r - 4.
struct RadiatorRow {
    double x;           // m, hinge station along the truss
    double ySign;       // +1 for the upper rows, -1 for the lower rows
    double firstAngle;  // degrees, panel 0
    double foldAngle;   // degrees, panel k >= 1 turns by foldAngle * s(k)
};
const RadiatorRow kRadiatorRowLayout[Truss::kRadiatorRows] = {
    {1.455, 1, -60, -120},  {-1.455, 1, -60, -120},  {1.455, -1, 60, 120},  {-1.455, -1, 60, 120},
    {1.455, 1, -120, 120},  {-1.455, 1, -120, 120},  {1.455, -1, 120, -120}, {-1.455, -1, 120, -120},
};
constexpr int kOuterRowOffset = 4;
// Each inner row is followed by its outer row, so that a parent always exists first.
constexpr int kRadiatorRowOrder[Truss::kRadiatorRows] = {0, 4, 1, 5, 2, 6, 3, 7};
// Hinge heights (m): panel 0 at a fixed height, later panels stacked 1 cm apart.
constexpr double kInnerFirstY = 0.84, kInnerStackY = 0.85;
constexpr double kOuterFirstY = 0.845, kOuterStackY = 0.855;
constexpr double kPanelPitchY = 0.01;
constexpr double kInnerHingeZ = 0.2325;  // m, alternating side of the inner hinges

// Solar blankets: rows 0 and 1 unfold toward -z, rows 2 and 3 toward +z.
constexpr double kBlanketRootOffset = 0.641;  // m, hinge of panel 0 and of the fold stack
constexpr double kBlanketFoldHeight = 0.145;  // m, fold lines alternate above and below
constexpr double kBlanketPanelPitch = 0.002;  // m between folded panels
constexpr double kLastBlanketZ = 0.881;       // m, the last panel's hinge
constexpr int kLastBlanketPanel = Truss::kBlanketPanels - 1;

// Blanket tips travel with the fully extended mast.
constexpr double kTipTravel = 34.846;  // m

// Mast: each segment moves out by one pitch within its own 1/121 of the extension
// state; the outermost segment moves first, and each carries those beyond it.
constexpr double kMastPitch = 0.29;                         // m
constexpr double kMastSegmentSpan = 0.008264462809917356;  // 1/121

// The mast's numbers in the extension rule: 242 half-pitches of 0.145 m make the
// 35.09 m mast; multiplied by 1/35.09 the result is a state from 0 to 1.
constexpr double kMastHalfPitch = 0.145;
constexpr double kMastHalfPitches = 242.0;
constexpr double kInverseMastLength = 0.02849814762040467;

}  // namespace

double truss::MastExtension(double deployState) {
    return std::cos(kHalfPi - deployState * kHalfPi) * kMastHalfPitch * kMastHalfPitches * kInverseMastLength;
}

namespace {

// Mesh groups of the animations: the same for every segment. The simulator keeps
// pointers into these tables through the transforms, so they are static, and the
// interface takes them as pointers to changeable groups.
template <typename T, int Rows, int Cols>
using GroupTable = std::array<std::array<T, Cols>, Rows>;

// Radiator panels pair off downward from the row's first group: first, first - 1,
// first - 4, first - 5, ...; inner rows start at 125, outer rows at 127, and each
// further row of a kind 32 groups lower.
GroupTable<UINT, Truss::kRadiatorRows, Truss::kRadiatorPanels> radiatorGroups = [] {
    GroupTable<UINT, Truss::kRadiatorRows, Truss::kRadiatorPanels> t{};
    for (int row = 0; row < Truss::kRadiatorRows; ++row) {
        const int first = (row < kOuterRowOffset ? 125 : 127) - 32 * (row % kOuterRowOffset);
        for (int k = 0; k < Truss::kRadiatorPanels; ++k) t[row][k] = UINT(first - 4 * (k / 2) - k % 2);
    }
    return t;
}();

GroupTable<UINT, Truss::kBlanketRows, Truss::kBlanketPanels> blanketGroups = [] {
    constexpr UINT kBlanketFirstGroup[Truss::kBlanketRows] = {608, 486, 242, 364};
    GroupTable<UINT, Truss::kBlanketRows, Truss::kBlanketPanels> t{};
    for (int row = 0; row < Truss::kBlanketRows; ++row)
        for (int k = 0; k < Truss::kBlanketPanels; ++k) t[row][k] = kBlanketFirstGroup[row] + UINT(k);
    return t;
}();

GroupTable<UINT, Truss::kMastRows, Truss::kMastGroupSlots> mastGroups = [] {
    constexpr UINT kMastFirstGroup[Truss::kMastRows] = {0, 121};
    GroupTable<UINT, Truss::kMastRows, Truss::kMastGroupSlots> t{};
    for (int row = 0; row < Truss::kMastRows; ++row)
        for (int k = 0; k < Truss::kMastGroupSlots; ++k) t[row][k] = kMastFirstGroup[row] + UINT(k);
    return t;
}();

std::array<UINT, Truss::kMastRows> tipGroups = {733, 731};
std::array<UINT, Truss::kBaseGroupCount> baseGroups = {734, 735, 736, 737, 738, 739, 740, 741, 742};
std::array<UINT, Truss::kBoxGroupCount> boxGroups = {730, 732};

}  // namespace

UINT Truss::NewTypeAnimation() {
    const UINT anim = CreateAnimation(0.0);
    typeAnimations.push_back(anim);
    return anim;
}

void Truss::DeleteTypeAnimations() {
    for (UINT anim : typeAnimations) DelAnimation(anim);
    typeAnimations.clear();
}

void Truss::DefineRadiatorAnimation() {
    // Nothing to delete after a tear-down; a build over a standing build must not leave
    // animations that point at the transforms replaced below.
    DeleteTypeAnimations();
    animRadiator = NewTypeAnimation();
    radiatorTransforms = std::make_unique<RadiatorTransforms>();

    for (int k = 0; k < kRadiatorPanels; ++k) {
        const int s = Alternation(k);
        for (int row : kRadiatorRowOrder) {
            const RadiatorRow& layout = kRadiatorRowLayout[row];
            const bool outer = row >= kOuterRowOffset;

            double y;
            if (k == 0)
                y = outer ? kOuterFirstY : kInnerFirstY;
            else
                y = (outer ? kOuterStackY : kInnerStackY) + (k - 1) * kPanelPitchY;
            const VECTOR3 ref = _V(layout.x, layout.ySign * y, outer ? 0.0 : -kInnerHingeZ * s);
            const VECTOR3 axis = (outer && k == 0) ? _V(-1, 0, 0) : _V(1, 0, 0);
            const double degrees = k == 0 ? layout.firstAngle : layout.foldAngle * s;

            ANIMATIONCOMPONENT_HANDLE parent = nullptr;
            if (outer)
                parent = radiatorTransforms->components[row - kOuterRowOffset][k];
            else if (k > 0)
                parent = radiatorTransforms->components[row][k - 1];

            auto& transform =
                radiatorTransforms->panels[row][k].emplace(kMainMesh, &radiatorGroups[row][k], 1, ref, axis, Radians(degrees));
            radiatorTransforms->components[row][k] = AddAnimationComponent(animRadiator, 0, 1, &transform, parent);
        }
    }
}

void Truss::DefineSolarAnimations() {
    DeleteTypeAnimations();  // as in DefineRadiatorAnimation

    // Gimbal: the box turns on the base, so the box component hangs from the base's.
    animBox = NewTypeAnimation();
    animBase = NewTypeAnimation();
    solarTransforms = std::make_unique<SolarTransforms>();
    SolarTransforms& t = *solarTransforms;
    ANIMATIONCOMPONENT_HANDLE baseComponent = AddAnimationComponent(
        animBase, 0, 1, &t.base.emplace(kMainMesh, baseGroups.data(), kBaseGroupCount, _V(0, 0, 0), _V(1, 0, 0), Radians(360)));
    ANIMATIONCOMPONENT_HANDLE boxComponent = AddAnimationComponent(
        animBox, 0, 1, &t.box.emplace(kMainMesh, boxGroups.data(), kBoxGroupCount, _V(0, 0, 0), _V(0, 0, 1), Radians(360)),
        baseComponent);

    // Blankets: four fan-folded stacks, each panel hanging from the one before it.
    animDeploy = NewTypeAnimation();
    std::array<ANIMATIONCOMPONENT_HANDLE, kBlanketRows> previousPanel{};
    for (int k = 0; k < kBlanketPanels; ++k) {
        const int s = Alternation(k);
        for (int row = 0; row < kBlanketRows; ++row) {
            const double side = row < 2 ? -1.0 : 1.0;
            VECTOR3 ref;
            double degrees;
            if (k == 0) {
                ref = _V(-side * kBlanketRootOffset, 0, side * kBlanketRootOffset);
                degrees = side * 90;
            } else if (k < kLastBlanketPanel) {
                ref = _V(0, -kBlanketFoldHeight * s, side * (kBlanketRootOffset + kBlanketPanelPitch * k));
                degrees = side * 180 * s;
            } else {
                // The last panel closes the stack: it folds like panel 120, not by the
                // alternation, and its hinge sits at its own height.
                ref = _V(0, -kBlanketFoldHeight * s, side * kLastBlanketZ);
                degrees = side * 180;
            }
            auto& transform = t.blankets[row][k].emplace(kMainMesh, &blanketGroups[row][k], 1, ref, _V(1, 0, 0),
                                                         Radians(degrees));
            previousPanel[row] = AddAnimationComponent(animDeploy, 0, 1, &transform,
                                                       k == 0 ? boxComponent : previousPanel[row]);
        }
    }

    // Mast and blanket tips, driven by the extension state.
    animExtend = NewTypeAnimation();
    for (int row = 0; row < kMastRows; ++row) {
        const double side = row == 0 ? -1.0 : 1.0;
        auto& tip = t.tips[row].emplace(kMainMesh, &tipGroups[row], 1, _V(0, 0, side * kTipTravel));
        AddAnimationComponent(animExtend, 0, 1, &tip, boxComponent);
    }
    std::array<ANIMATIONCOMPONENT_HANDLE, kMastRows> previousSegment{};
    for (int j = 0; j < kMastSegments; ++j) {
        for (int row = 0; row < kMastRows; ++row) {
            const double side = row == 0 ? -1.0 : 1.0;
            auto& transform = t.mast[row][j].emplace(kMainMesh, &mastGroups[row][j], 1, _V(0, 0, side * kMastPitch));
            previousSegment[row] = AddAnimationComponent(animExtend, 1 - (j + 1) * kMastSegmentSpan,
                                                         1 - j * kMastSegmentSpan, &transform,
                                                         j == 0 ? boxComponent : previousSegment[row]);
        }
    }
}

void Truss::SetAnimationState(int which, double value) {
    if (type == kRadiatorSegment) {  // one animation: which is not looked at
        SetAnimation(animRadiator, value);
        deployState = value;
        deployStatus = MotionStatus::Stopped;
        return;
    }
    if (type != kSolarSegment) return;

    // For the gimbal only the shown pose and the trackers change; baseState and boxState
    // keep their values, so a hand rotation and the saved line start from them.
    switch (which) {
    case 0:
        SetAnimation(animDeploy, value);
        SetAnimation(animExtend, MastExtension(value));
        deployState = value;
        deployStatus = MotionStatus::Stopped;
        break;
    case 1:
        sunTracking = false;
        SetAnimation(animBase, value);
        baseTarget = baseTracked = value;
        baseStatus = MotionStatus::Stopped;
        break;
    case 2:
        sunTracking = false;
        SetAnimation(animBox, value);
        boxTarget = boxTracked = value;
        boxStatus = MotionStatus::Stopped;
        break;
    default:
        break;
    }
}
