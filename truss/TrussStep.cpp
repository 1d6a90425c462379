// Everything that moves on a segment, once per simulation step: the grapple release,
// the radiators and arrays, the gimbal by hand or toward the Sun, and the home motion.
// Nothing here allocates.
#include <algorithm>
#include <cmath>

#include "Truss.h"
#include "TrussConstants.h"

using namespace truss;

namespace {

// One step of a deployment. A motion that reaches its end stops in the following step.
// Returns whether a motion was under way, so that the caller shows the state.
bool StepDeployment(MotionStatus& status, double& state, double delta) {
    switch (status) {
    case MotionStatus::Decreasing:
        if (state > 0)
            state = (std::max)(0.0, state - delta);
        else
            status = MotionStatus::Stopped;
        return true;
    case MotionStatus::Increasing:
        if (state < 1)
            state = (std::min)(1.0, state + delta);
        else
            status = MotionStatus::Stopped;
        return true;
    default:
        return false;
    }
}

// One step of a hand rotation over a full turn. It runs on through the home pose
// (0 and 1 are the same pose) until a command stops it, and reports whether it ran.
bool StepRotation(MotionStatus& status, double& state, double delta) {
    switch (status) {
    case MotionStatus::Decreasing:
        if (state < 0) {
            status = MotionStatus::Stopped;
        } else {
            state = (std::max)(0.0, state - delta);
            if (state == 0) state = 1;
        }
        return true;
    case MotionStatus::Increasing:
        if (state > 1) {
            status = MotionStatus::Stopped;
        } else {
            state = (std::min)(1.0, state + delta);
            if (state == 1) state = 0;
        }
        return true;
    default:
        return false;
    }
}

// Moves a tracker from position t toward target g by at most d along the shorter arc
// of the turn. The wrapping moves are not clamped to the target; once the tracker is
// past the home pose the direct moves take over.
double TrackerStep(double t, double g, double d) {
    if (g - t > 0.5) {
        const double r = t - d;
        return r <= 0 ? r + 1 : r;
    }
    if (t - g > 0.5) {
        const double r = t + d;
        return r >= 1 ? r - 1 : r;
    }
    if (t > g) return (std::max)(t - d, g);
    return (std::min)(t + d, g);
}

// An angle in radians as a fraction of a turn, from 0 up to 1.
double TurnFraction(double radians) {
    const double degrees = radians * kDegreesPerRadian;
    const double fraction = degrees * kTurnsPerDegree;
    return degrees < 0 ? fraction + 1 : fraction;
}

// One step of the home motion of one axis: from its target toward the nearer of 0
// and 1; on arrival the axis rests at 0 and its flag clears.
void StepHome(double& target, bool& homing, double& tracked, double delta) {
    const double v = target > 0.5 ? (std::min)(1.0, target + delta) : (std::max)(0.0, target - delta);
    target = v;
    if (v == 1 || v == 0) {
        target = 0;
        homing = false;
        tracked = 0;
    }
}

}  // namespace

void Truss::clbkPreStep(double /*simt*/, double simdt, double /*mjd*/) {
    ReleaseDocksIfGrappled();
    if (type == kRadiatorSegment) {
        MoveRadiators(simdt);
    } else if (type == kSolarSegment) {
        MoveArrays(simdt);
        if (sunTracking)
            TrackSun(simdt);
        else
            TurnByHand(simdt);
        if (baseHoming || boxHoming) MoveHome(simdt);
    }
}

// A segment held by one of its grapple points lets go of everything docked to it.
void Truss::ReleaseDocksIfGrappled() {
    for (ATTACHMENTHANDLE point : GrapplePoints())
        if (oapiIsVessel(GetAttachmentStatus(point))) Undock(ALLDOCKS);
}

void Truss::MoveRadiators(double simdt) {
    if (StepDeployment(deployStatus, deployState, kRadiatorRate * simdt)) SetAnimation(animRadiator, deployState);
}

// Blankets and mast deploy together; the mast follows its own extension curve.
void Truss::MoveArrays(double simdt) {
    if (StepDeployment(deployStatus, deployState, kArrayRate * simdt)) {
        SetAnimation(animDeploy, deployState);
        SetAnimation(animExtend, MastExtension(deployState));
    }
}

// Hand rotations, box first, then base, which carries the grapple point.
void Truss::TurnByHand(double simdt) {
    const double delta = kGimbalRate * simdt;
    if (StepRotation(boxStatus, boxState, delta)) SetAnimation(animBox, boxState);
    if (StepRotation(baseStatus, baseState, delta)) {
        MoveGrapplePoints();
        SetAnimation(animBase, baseState);
    }
}

// Turns base and box toward the Sun, which stands at the global origin. The base angle
// brings the Sun into the x-y plane of the segment; the box angle then points at it.
void Truss::TrackSun(double simdt) {
    const double delta = kGimbalRate * simdt;

    VECTOR3 pos;
    GetGlobalPos(pos);
    const double distance = std::sqrt(pos.x * pos.x + pos.y * pos.y + pos.z * pos.z);
    // At the origin itself there is no direction to the Sun: the gimbal stays put.
    if (!(distance > 0) || !std::isfinite(distance)) return;

    // The unit vector toward the Sun, handed over as a global point: the local result
    // points at the origin to within a metre, and only its direction is used.
    const VECTOR3 sunDirection = -pos / distance;
    VECTOR3 local;
    Global2Local(sunDirection, local);

    const double baseAngle = std::atan2(local.z, local.y);
    const double c = std::cos(-baseAngle), s = std::sin(-baseAngle);
    const MATRIX3 sunRotation = _M(1, 0, 0, 0, c, -s, 0, s, c);
    const VECTOR3 onBase = mul(sunRotation, local);  // (x, |yz|, 0)
    const double boxAngle = std::atan2(-onBase.x, onBase.y);

    baseTarget = TurnFraction(baseAngle);
    boxTarget = TurnFraction(boxAngle);

    baseTracked = baseState = TrackerStep(baseTracked, baseTarget, delta);
    SetAnimation(animBase, baseState);
    MoveGrapplePoints();
    boxTracked = boxState = TrackerStep(boxTracked, boxTarget, delta);
    SetAnimation(animBox, boxState);
}

// The home motion works both axes while either flag is set, starting from the targets.
void Truss::MoveHome(double simdt) {
    const double delta = kGimbalRate * simdt;
    StepHome(baseTarget, baseHoming, baseTracked, delta);
    baseState = baseTarget;
    SetAnimation(animBase, baseState);
    StepHome(boxTarget, boxHoming, boxTracked, delta);
    boxState = boxTarget;
    SetAnimation(animBox, boxState);
}

// The solar grapple point rides on the base: its build pose turned about x.
void Truss::MoveGrapplePoints() {
    if (grapplePointCount == 0) return;
    const double phi = kTwoPi * baseState;
    const double c = std::cos(phi), s = std::sin(phi);
    const VECTOR3 pos = _V(0, kSolarGrappleRadius * c, kSolarGrappleRadius * s);
    const VECTOR3 dir = _V(0, c, s);
    const VECTOR3 rot = _V(0, -s, c);
    for (ATTACHMENTHANDLE point : GrapplePoints()) SetAttachmentParams(point, pos, dir, rot);
}
