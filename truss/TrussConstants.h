// Type codes, rates and shared geometry of the truss segment. Positions are metres in
// the vessel frame, whose x axis runs along the truss.
#pragma once

namespace truss {

// Segment type codes as the scenario's "TYPE" line carries them.
constexpr int kBaseSegment = 2;
constexpr int kStraight6 = 6;
constexpr int kStraight12 = 12;
constexpr int kStraight18 = 18;
constexpr int kRadiatorSegment = 61;
constexpr int kSolarSegment = 63;

// Motion rates in state units per second of simulation time, applied without a cap.
constexpr double kRadiatorRate = 0.05;  // full travel in 20 s
constexpr double kArrayRate = 0.025;    // full travel in 40 s
constexpr double kGimbalRate = 0.004;   // one full turn of base or box in 250 s

// The solar segment's grapple point rides on the base at this distance from the axis (m).
constexpr double kSolarGrappleRadius = 0.53523;

constexpr double kPi = 3.141592653589793;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kTurnsPerDegree = 0.002777777777777778;  // 1/360

// Mast extension state for a deployment state d; equals sin(d * pi/2) up to rounding,
// so the mast runs out fast at first and slowly near full deployment. The factors are
// kept as the mast's own numbers: 242 half-pitches of 0.145 m make the 35.09 m mast,
// and the last factor is 1/35.09.
double MastExtension(double deployState);

}  // namespace truss
