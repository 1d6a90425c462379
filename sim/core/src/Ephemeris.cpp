// Body positions from ERFA: the Earth from its heliocentric ephemeris, the other
// planets from their mean elements, the Moon from its geocentric series. ERFA works in
// the right-handed equatorial frame of J2000 in astronomical units and days; the
// simulator's frame is ecliptic and left-handed.
#include "hostsim/Ephemeris.h"

#include <erfa.h>
#include <erfam.h>

#include <array>
#include <cmath>

namespace hostsim {

namespace {

struct BodyInfo {
    Body body;
    const char* name;
    int planet;  // the planet number of eraPlan94; 0 when another series gives it
};

constexpr std::array<BodyInfo, kBodyCount> kBodies = {{
    {Body::Sun, "Sun", 0},
    {Body::Mercury, "Mercury", 1},
    {Body::Venus, "Venus", 2},
    {Body::Earth, "Earth", 0},
    {Body::Moon, "Moon", 0},
    {Body::Mars, "Mars", 4},
    {Body::Jupiter, "Jupiter", 5},
    {Body::Saturn, "Saturn", 6},
    {Body::Uranus, "Uranus", 7},
    {Body::Neptune, "Neptune", 8},
}};

constexpr double kSecondsPerDay = ERFA_DAYSEC;
constexpr double kMetresPerAu = ERFA_DAU;
// A sample of the ephemeris serves this long before it is evaluated again.
constexpr double kSampleDays = 60.0 / kSecondsPerDay;

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// Equatorial right-handed (AU or AU/day) to ecliptic left-handed (m or m/s): turn
// about x by the obliquity of J2000, then swap y and z.
VECTOR3 toGlobalFrame(const double v[3], double scale) {
    static const double eps = eraObl06(ERFA_DJ00, 0.0);
    static const double c = std::cos(eps), s = std::sin(eps);
    const double x = v[0];
    const double y = c * v[1] + s * v[2];  // in the ecliptic, 90 degrees from the equinox
    const double z = -s * v[1] + c * v[2];  // toward ecliptic north
    return _V(x * scale, z * scale, y * scale);
}

BodyState fromPv(const double pv[2][3]) {
    return {toGlobalFrame(pv[0], kMetresPerAu), toGlobalFrame(pv[1], kMetresPerAu / kSecondsPerDay)};
}

}  // namespace

std::optional<Body> findBody(std::string_view name) {
    for (const BodyInfo& b : kBodies)
        if (sameName(name, b.name)) return b.body;
    return std::nullopt;
}

const char* bodyName(Body body) { return kBodies[size_t(body)].name; }

BodyState bodyState(Body body, double mjd) {
    const double date1 = ERFA_DJM0, date2 = mjd;
    double pv[2][3];
    switch (body) {
    case Body::Sun:
        return {};
    case Body::Earth:
    case Body::Moon: {
        double heliocentric[2][3], barycentric[2][3];
        eraEpv00(date1, date2, heliocentric, barycentric);
        BodyState earth = fromPv(heliocentric);
        if (body == Body::Earth) return earth;
        eraMoon98(date1, date2, pv);
        BodyState moon = fromPv(pv);
        return {earth.pos + moon.pos, earth.vel + moon.vel};
    }
    default:
        eraPlan94(date1, date2, kBodies[size_t(body)].planet, pv);
        return fromPv(pv);
    }
}

VECTOR3 BodyTable::position(Body body, double mjd) {
    if (body == Body::Sun) return _V(0, 0, 0);
    Sample& s = samples_[size_t(body)];
    if (!s.valid || std::fabs(mjd - s.mjd) > kSampleDays) {
        s.state = bodyState(body, mjd);
        s.mjd = mjd;
        s.valid = true;
    }
    return s.state.pos + s.state.vel * ((mjd - s.mjd) * kSecondsPerDay);
}

void BodyTable::clear() {
    for (Sample& s : samples_) s.valid = false;
}

}  // namespace hostsim
