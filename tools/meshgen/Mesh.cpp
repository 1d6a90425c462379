#include "Mesh.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace meshgen {

namespace {

constexpr double kPi = 3.141592653589793;

// Positions to 10 micrometres; the folded stacks are 2 mm apart.
std::string Number(double value, int decimals) {
    const double unit = std::pow(10.0, -decimals) / 2;
    if (std::fabs(value) < unit) value = 0;  // no "-0.00000" in the files
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

int Mesh::AddMaterial(const Material& material) {
    materials_.push_back(material);
    return int(materials_.size());
}

Group& Mesh::AddGroup(const std::string& label, int material) {
    groups_.push_back(Group{label, material, {}, {}});
    return groups_.back();
}

void Mesh::ReserveGroups(std::size_t count) {
    if (groups_.size() < count) groups_.resize(count);
}

void Mesh::Write(std::ostream& out) const {
    out << "MSHX1\n";
    out << "GROUPS " << groups_.size() << "\n";
    for (const Group& g : groups_) {
        if (g.vertices.empty()) throw std::logic_error("empty group " + g.label);
        if (!g.label.empty()) out << "LABEL " << g.label << "\n";
        out << "MATERIAL " << g.material << "\n";
        out << "GEOM " << g.vertices.size() << " " << g.triangles.size() << "\n";
        for (const Vertex& v : g.vertices)
            out << Number(v.pos.x, 5) << " " << Number(v.pos.y, 5) << " " << Number(v.pos.z, 5) << " "
                << Number(v.normal.x, 4) << " " << Number(v.normal.y, 4) << " " << Number(v.normal.z, 4) << "\n";
        for (const auto& t : g.triangles) out << t[0] << " " << t[1] << " " << t[2] << "\n";
    }
    out << "MATERIALS " << materials_.size() << "\n";
    for (const Material& m : materials_) out << m.name << "\n";
    for (const Material& m : materials_) {
        const Colour& d = m.diffuse;
        out << "MATERIAL " << m.name << "\n";
        out << Number(d.r, 3) << " " << Number(d.g, 3) << " " << Number(d.b, 3) << " 1.000\n";
        out << Number(d.r, 3) << " " << Number(d.g, 3) << " " << Number(d.b, 3) << " 1.000\n";
        out << Number(m.specular, 3) << " " << Number(m.specular, 3) << " " << Number(m.specular, 3)
            << " 1.000 10.000\n";
        out << "0.000 0.000 0.000 1.000\n";
    }
}

void AddQuad(Group& g, const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, const Vec3& outward) {
    const int first = int(g.vertices.size());
    const Vec3 n = normalised(outward);
    for (const Vec3& p : {a, b, c, d}) g.vertices.push_back({p, n});
    if (dot(cross(b - a, c - a), n) >= 0) {
        g.triangles.push_back({first, first + 1, first + 2});
        g.triangles.push_back({first, first + 2, first + 3});
    } else {
        g.triangles.push_back({first, first + 2, first + 1});
        g.triangles.push_back({first, first + 3, first + 2});
    }
}

void AddBlock(Group& g, const Block& k) {
    const Vec3 axes[3] = {k.u, k.v, k.w};
    const double half[3] = {k.half.x, k.half.y, k.half.z};
    for (int i = 0; i < 3; ++i) {
        const Vec3 a = axes[(i + 1) % 3] * half[(i + 1) % 3];
        const Vec3 b = axes[(i + 2) % 3] * half[(i + 2) % 3];
        for (int s : {1, -1}) {
            const Vec3 c = k.centre + axes[i] * (half[i] * s);
            AddQuad(g, c - a - b, c + a - b, c + a + b, c - a + b, axes[i] * double(s));
        }
    }
}

void AddBox(Group& g, const Vec3& lo, const Vec3& hi) {
    Block k;
    k.centre = (lo + hi) * 0.5;
    k.half = {std::fabs(hi.x - lo.x) / 2, std::fabs(hi.y - lo.y) / 2, std::fabs(hi.z - lo.z) / 2};
    AddBlock(g, k);
}

void Perpendiculars(const Vec3& a, Vec3& p, Vec3& q) {
    const Vec3 n = normalised(a);
    const Vec3 seed = std::fabs(n.x) < 0.9 ? Vec3{1, 0, 0} : Vec3{0, 1, 0};
    p = normalised(cross(n, seed));
    q = cross(n, p);
}

void AddBar(Group& g, const Vec3& a, const Vec3& b, double width, const Vec3& side) {
    Block k;
    k.centre = (a + b) * 0.5;
    k.u = normalised(b - a);
    Vec3 s = side - k.u * dot(side, k.u);
    if (length(s) < 1e-9) {
        Vec3 q;
        Perpendiculars(k.u, s, q);
    }
    k.v = normalised(s);
    k.w = cross(k.u, k.v);
    k.half = {length(b - a) / 2, width / 2, width / 2};
    AddBlock(g, k);
}

void AddCylinder(Group& g, const Vec3& base, const Vec3& axis, double radius, double length, int sides) {
    Vec3 p, q;
    const Vec3 n = normalised(axis);
    Perpendiculars(n, p, q);
    const Vec3 top = base + n * length;
    auto rim = [&](int i) {
        const double a = 2 * kPi * i / sides;
        return p * (radius * std::cos(a)) + q * (radius * std::sin(a));
    };
    for (int i = 0; i < sides; ++i) {
        const Vec3 r0 = rim(i), r1 = rim(i + 1);
        AddQuad(g, base + r0, base + r1, top + r1, top + r0, (r0 + r1) * 0.5);
    }
    // End caps as fans from their centres.
    for (int end = 0; end < 2; ++end) {
        const Vec3 centre = end == 0 ? base : top;
        const Vec3 out = end == 0 ? -n : n;
        const int first = int(g.vertices.size());
        g.vertices.push_back({centre, out});
        for (int i = 0; i < sides; ++i) g.vertices.push_back({centre + rim(i), out});
        for (int i = 0; i < sides; ++i) {
            const int a = first + 1 + i, b = first + 1 + (i + 1) % sides;
            const Vec3 pa = g.vertices[a].pos, pb = g.vertices[b].pos;
            if (dot(cross(pa - centre, pb - centre), out) >= 0)
                g.triangles.push_back({first, a, b});
            else
                g.triangles.push_back({first, b, a});
        }
    }
}

void AddRing(Group& g, const Vec3& base, const Vec3& axis, double inner, double outer, double depth, int sides) {
    Vec3 p, q;
    const Vec3 n = normalised(axis);
    Perpendiculars(n, p, q);
    const Vec3 top = base + n * depth;
    auto dir = [&](int i) {
        const double a = 2 * kPi * i / sides;
        return p * std::cos(a) + q * std::sin(a);
    };
    for (int i = 0; i < sides; ++i) {
        const Vec3 d0 = dir(i), d1 = dir(i + 1), mid = (d0 + d1) * 0.5;
        AddQuad(g, base + d0 * outer, base + d1 * outer, top + d1 * outer, top + d0 * outer, mid);
        AddQuad(g, base + d0 * inner, base + d1 * inner, top + d1 * inner, top + d0 * inner, -mid);
        AddQuad(g, base + d0 * inner, base + d1 * inner, base + d1 * outer, base + d0 * outer, -n);
        AddQuad(g, top + d0 * inner, top + d1 * inner, top + d1 * outer, top + d0 * outer, n);
    }
}

void Move(Group& g, std::size_t first, const Motion& motion) {
    for (std::size_t i = first; i < g.vertices.size(); ++i) {
        g.vertices[i].pos = motion(g.vertices[i].pos);
        g.vertices[i].normal = motion.turn(g.vertices[i].normal);
    }
}

}  // namespace meshgen
