// Vectors and rigid motions for building meshes. Frames are the vessels' own:
// metres, x, y, z as the simulator has them.
#pragma once

#include <array>
#include <cmath>

namespace meshgen {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

inline Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator-(const Vec3& a) { return {-a.x, -a.y, -a.z}; }
inline Vec3 operator*(const Vec3& a, double f) { return {a.x * f, a.y * f, a.z * f}; }
inline Vec3 operator*(double f, const Vec3& a) { return a * f; }
inline double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(const Vec3& a) { return std::sqrt(dot(a, a)); }
inline Vec3 normalised(const Vec3& a) {
    const double l = length(a);
    return l > 0 ? a * (1 / l) : Vec3{};
}

// Angles as the modules hand them to the simulator: the degree value and the
// conversion factor are each rounded to float and multiplied in float.
inline float ModuleRadians(double degrees) {
    return static_cast<float>(degrees) * static_cast<float>(0.017453292519943295);
}

// A rigid motion p -> m p + t (m a rotation, stored by rows).
struct Motion {
    std::array<double, 9> m{1, 0, 0, 0, 1, 0, 0, 0, 1};
    Vec3 t{};

    Vec3 turn(const Vec3& d) const {
        return {m[0] * d.x + m[1] * d.y + m[2] * d.z, m[3] * d.x + m[4] * d.y + m[5] * d.z,
                m[6] * d.x + m[7] * d.y + m[8] * d.z};
    }
    Vec3 operator()(const Vec3& p) const { return turn(p) + t; }

    // This motion followed by `outer`.
    Motion then(const Motion& outer) const {
        Motion r;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                r.m[i * 3 + j] = outer.m[i * 3] * m[j] + outer.m[i * 3 + 1] * m[3 + j] + outer.m[i * 3 + 2] * m[6 + j];
        r.t = outer(t);
        return r;
    }

    Motion inverse() const {
        Motion r;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) r.m[i * 3 + j] = m[j * 3 + i];
        r.t = -r.turn(t);
        return r;
    }

    static Motion Rotation(const Vec3& ref, const Vec3& axis, double angle) {
        const Vec3 a = normalised(axis);
        const double c = std::cos(angle), s = std::sin(angle), k = 1 - c;
        Motion r;
        r.m = {k * a.x * a.x + c,       k * a.x * a.y - s * a.z, k * a.x * a.z + s * a.y,
               k * a.x * a.y + s * a.z, k * a.y * a.y + c,       k * a.y * a.z - s * a.x,
               k * a.x * a.z - s * a.y, k * a.y * a.z + s * a.x, k * a.z * a.z + c};
        r.t = ref - r.turn(ref);
        return r;
    }

    static Motion Translation(const Vec3& shift) {
        Motion r;
        r.t = shift;
        return r;
    }
};

}  // namespace meshgen
