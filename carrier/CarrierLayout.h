// The carrier's fixed dimensions, masses and rates, and the rules derived from them.
// Lengths are in metres along the carrier's own axes; z is its long axis.
#pragma once

#include <cstdint>

#include "Orbitersdk.h"

namespace carrier {

// Segments stand 1.5 m apart; segment i sits at z = 1.5 i.
constexpr double kSegmentPitch = 1.5;  // m

// Beyond this a carrier would be built for minutes and strain the host's tables;
// scenario lines and the editor are clamped to it.
constexpr std::uint32_t kMaxSegments = 100;

// Every segment bears this many pallet points, one per corner.
constexpr std::uint32_t kPalletsPerSegment = 4;

// Trunnions and grapple points stand this far beyond either end segment.
constexpr double kEndFittingOffset = 1.11;  // m
// The docks stand this far beyond either end segment.
constexpr double kDockOffset = 1.57;  // m
// Height of the grapple points above and below the long axis.
constexpr double kGrappleHeight = 1.03523;  // m

// Empty mass: both bases together, plus each segment.
constexpr double kBaseEmptyMass = 1890.0;     // kg
constexpr double kSegmentEmptyMass = 350.0;   // kg

// Pallet turn rate in turn-state units (full turns) per second: 4.5 degrees per
// second, 40 s for a half turn.
constexpr double kTurnRate = 0.0125;  // 1/s
// The turn's stops in state units.
constexpr double kTurnStart = 0.0;
constexpr double kTurnHalf = 0.5;
constexpr double kTurnFull = 1.0;
constexpr double kDegreesPerTurn = 360.0;
constexpr double kRadiansPerDegree = 0.017453292519943295;

// z of the far base and the last segment for a carrier of `count` segments.
constexpr double CarrierLength(std::uint32_t count) { return kSegmentPitch * (double(count) - 1.0); }

constexpr double EmptyMass(std::uint32_t count) { return kBaseEmptyMass + kSegmentEmptyMass * double(count); }

// Any requested count, however it was written, lands in 1 .. kMaxSegments.
constexpr std::uint32_t ClampSegmentCount(long long count) {
    if (count < 1) return 1;
    if (count > static_cast<long long>(kMaxSegments)) return kMaxSegments;
    return static_cast<std::uint32_t>(count);
}

// v turned about the z axis by the angle whose cosine and sine are given.
inline VECTOR3 TurnAboutZ(const VECTOR3& v, double cosAngle, double sinAngle) {
    return _V(v.x * cosAngle - v.y * sinAngle, v.x * sinAngle + v.y * cosAngle, v.z);
}

}  // namespace carrier
