// Vessels placed relative to the bodies of the solar system at the scenario's date:
// a segment in Earth orbit finds the real Sun, checked against a Sun position worked
// out here from the almanac's low-precision formula (good to 0.01 degree), not from
// the host's ephemeris.
#include <cmath>

#include "HostTest.h"

namespace {

class HostBodies : public HostTest {};

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180;
constexpr double kMetresPerAu = 149597870700.0;

// The Sun seen from the Earth's centre, in the simulator's frame (ecliptic and equinox
// of J2000, left-handed: x to the equinox, y to ecliptic north), in metres.
VECTOR3 almanacSun(double mjd) {
    const double n = mjd + 2400000.5 - 2451545.0;  // days from J2000
    const double meanLongitude = 280.460 + 0.9856474 * n;
    const double meanAnomaly = (357.528 + 0.9856003 * n) * kRad;
    // Ecliptic longitude of the date, taken back to the equinox of J2000 by the general
    // precession of 1.397 degrees a century.
    const double longitude = (meanLongitude + 1.915 * std::sin(meanAnomaly) + 0.020 * std::sin(2 * meanAnomaly) -
                              1.396971 * n / 36525) *
                             kRad;
    const double distance = (1.00014 - 0.01671 * std::cos(meanAnomaly) - 0.00014 * std::cos(2 * meanAnomaly)) * kMetresPerAu;
    return _V(std::cos(longitude), 0, std::sin(longitude)) * distance;
}

double degreesBetween(const VECTOR3& a, const VECTOR3& b) {
    const double c = dotp(a, b) / std::sqrt(dotp(a, a) * dotp(b, b));
    return std::acos(std::clamp(c, -1.0, 1.0)) / kRad;
}

TEST_F(HostBodies, a_solar_segment_in_earth_orbit_points_its_arrays_at_the_real_sun) {
    const double startMjd = 60310.5;  // 1 January 2024, noon
    ASSERT_EQ(host().loadScenarioText(R"(BEGIN_ENVIRONMENT
  System Sol
  Date MJD 60310.5
END_ENVIRONMENT
BEGIN_SHIPS
Solar:Truss
  STATUS Orbiting Earth
  RPOS 4000000 3000000 -4500000
  AROT 30 40 50
  TYPE 63
  DEPLOYANIM 0 1
  TRACKING
END
END_SHIPS
)"),
              "");
    hostsim::Vessel& solar = *host().vesselByName("Solar");
    const VECTOR3 rpos = _V(4000000, 3000000, -4500000);

    // The host puts the vessel at the Earth, which the almanac puts opposite the Sun.
    VECTOR3 global;
    oapiGetVesselInterface(solar.handle)->GetGlobalPos(global);
    const VECTOR3 earth = -almanacSun(startMjd);
    EXPECT_LT(degreesBetween(global - rpos, earth), 0.02);
    EXPECT_NEAR(std::sqrt(dotp(global - rpos, global - rpos)) / std::sqrt(dotp(earth, earth)), 1.0, 1e-4);

    // Half a turn of the gimbal takes 125 s; then it follows the Sun.
    for (int i = 0; i < 400; ++i) host().step(0.5);
    ASSERT_EQ(solar.animations.size(), 4u);  // box, base, blankets, mast
    const double box = 2 * kPi * solar.animations[0].state;
    const double base = 2 * kPi * solar.animations[1].state;
    // The arrays face along the segment's y axis turned by the box about z, then by the
    // base about x.
    const VECTOR3 facing = _V(-std::sin(box), std::cos(box) * std::cos(base), std::cos(box) * std::sin(base));
    const VECTOR3 sunFromVessel = almanacSun(host().mjd()) - rpos;
    EXPECT_LT(degreesBetween(mul(solar.rot, facing), sunFromVessel), 0.1);

    // RPOS stays relative to the Earth.
    EXPECT_EQ(host().saveVesselLines(solar.handle)[1], "  RPOS 4000000 3000000 -4500000");
}

TEST_F(HostBodies, a_vessel_moves_with_its_body_and_keeps_its_own_motion_relative_to_it) {
    ASSERT_EQ(host().loadScenarioText("BEGIN_ENVIRONMENT\n  Date MJD 60310.5\nEND_ENVIRONMENT\nBEGIN_SHIPS\n"
                                      "Lander:Crate\n  STATUS Landed Moon\n  RVEL 5 0 0\nEND\n"
                                      "Orbiter:Crate\n  STATUS Orbiting Moon\n  RPOS 2000000 0 0\n  RVEL 0 0 1600\nEND\n"
                                      "END_SHIPS\n"),
              "");
    VESSEL* lander = host().vesselByName("Lander")->iface;
    VESSEL* orbiter = host().vesselByName("Orbiter")->iface;
    VECTOR3 moonBefore, orbiterBefore;
    lander->GetGlobalPos(moonBefore);
    orbiter->GetGlobalPos(orbiterBefore);
    EXPECT_LT(degreesBetween(moonBefore, -almanacSun(60310.5)), 0.5);  // the Moon is near the Earth

    for (int i = 0; i < 100; ++i) host().step(1);
    VECTOR3 moonAfter, orbiterAfter;
    lander->GetGlobalPos(moonAfter);
    orbiter->GetGlobalPos(orbiterAfter);
    // The landed vessel stays on its body, which moves about 30 km in 100 s.
    EXPECT_GT(std::sqrt(dotp(moonAfter - moonBefore, moonAfter - moonBefore)), 2.5e6);
    const VECTOR3 relative = orbiterAfter - moonAfter;
    EXPECT_NEAR(relative.x, 2000000, 1e-3);
    EXPECT_NEAR(relative.z, 160000, 1e-3);
    // Only what changed is written: the landed vessel gets back its lines as they were.
    EXPECT_EQ(host().saveVesselLines(lander->GetHandle()),
              (std::vector<std::string>{"  STATUS Landed Moon", "  RVEL 5 0 0"}));
    EXPECT_EQ(host().saveVesselLines(orbiter->GetHandle())[1], "  RPOS 2000000 0 160000");
}

}  // namespace
