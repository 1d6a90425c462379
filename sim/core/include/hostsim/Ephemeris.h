// Where the Sun, the planets and the Moon stand on a date, in the simulator's global
// frame: ecliptic and equinox of J2000, left-handed (x toward the vernal equinox, y
// toward ecliptic north), the Sun at the origin; metres and metres per second.
#pragma once

#include <optional>
#include <string_view>

#include "OrbiterAPI.h"

namespace hostsim {

// The bodies the host places. Vessels orbiting or landed on any other body are placed
// relative to the Sun.
enum class Body { Sun, Mercury, Venus, Earth, Moon, Mars, Jupiter, Saturn, Uranus, Neptune };
inline constexpr int kBodyCount = 10;

// A body by its name, ignoring case.
std::optional<Body> findBody(std::string_view name);
const char* bodyName(Body body);

struct BodyState {
    VECTOR3 pos{};  // m
    VECTOR3 vel{};  // m/s
};

// The body's heliocentric position and velocity at a modified Julian date.
BodyState bodyState(Body body, double mjd);

// The same, evaluated afresh at most once a minute of the date and carried forward
// by the body's velocity in between: the step asks for it every time, and over a
// minute the error is metres at 150 million km.
class BodyTable {
public:
    VECTOR3 position(Body body, double mjd);
    void clear();

private:
    struct Sample {
        double mjd = 0;
        bool valid = false;
        BodyState state;
    };
    Sample samples_[kBodyCount];
};

}  // namespace hostsim
