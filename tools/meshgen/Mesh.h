// A mesh under construction: groups of flat-shaded solids with materials, and the
// simulator's text format they are written in.
#pragma once

#include <array>
#include <cstddef>
#include <deque>
#include <ostream>
#include <string>
#include <vector>

#include "Geometry.h"

namespace meshgen {

struct Colour {
    float r, g, b;
};

struct Material {
    std::string name;
    Colour diffuse;
    float specular = 0.2f;  // grey level of the highlight
};

struct Vertex {
    Vec3 pos;
    Vec3 normal;
};

struct Group {
    std::string label;
    int material = 0;  // 1-based index into the mesh's materials, 0 for none
    std::vector<Vertex> vertices;
    std::vector<std::array<int, 3>> triangles;
};

class Mesh {
public:
    // Registers a material and returns its index for Group::material.
    int AddMaterial(const Material& material);
    // A new group at the end. Groups never move, so references to them stay good.
    Group& AddGroup(const std::string& label, int material);
    // Makes sure groups 0 .. count-1 exist, so that fixed index ranges can be filled
    // in any order.
    void ReserveGroups(std::size_t count);
    Group& group(std::size_t index) { return groups_.at(index); }
    const std::deque<Group>& groups() const { return groups_; }

    // Writes the mesh in the text format: groups, then the material list.
    void Write(std::ostream& out) const;

private:
    std::vector<Material> materials_;
    std::deque<Group> groups_;
};

// An oriented box: centre, three unit axes and half sizes along them.
struct Block {
    Vec3 centre;
    Vec3 u{1, 0, 0}, v{0, 1, 0}, w{0, 0, 1};
    Vec3 half{0.5, 0.5, 0.5};
};

// Solids appended to a group. Every face gets its own vertices so that shading stays
// flat; triangles wind so that their normal (b - a) x (c - a) points out of the solid.
void AddQuad(Group& g, const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, const Vec3& outward);
void AddBlock(Group& g, const Block& block);
// An axis-aligned box between two corners.
void AddBox(Group& g, const Vec3& lo, const Vec3& hi);
// A square bar of the given width from a to b; `side` picks the direction one pair of
// its faces looks to (any direction not along the bar).
void AddBar(Group& g, const Vec3& a, const Vec3& b, double width, const Vec3& side);
// A closed prism of `sides` faces round an axis: a tube, a pin or a drum.
void AddCylinder(Group& g, const Vec3& base, const Vec3& axis, double radius, double length, int sides);
// A flat ring round an axis, from base to base + axis * depth: a docking ring or a bearing.
void AddRing(Group& g, const Vec3& base, const Vec3& axis, double inner, double outer, double depth, int sides);

// Moves the vertices of g from index `first` on by a rigid motion.
void Move(Group& g, std::size_t first, const Motion& motion);

// Two unit vectors perpendicular to a and to each other.
void Perpendiculars(const Vec3& a, Vec3& p, Vec3& q);

}  // namespace meshgen
