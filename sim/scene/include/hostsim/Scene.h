// Meshes as the host reads them from the addon tree, and the vessels' animations
// evaluated on them. Evaluation runs only when something asks (a dump, a picture, a
// test); SetAnimation itself only records a state.
#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "hostsim/World.h"

namespace hostsim {

struct Colour {
    float r = 0.7f, g = 0.7f, b = 0.7f;
};

struct MeshGroupData {
    std::string label;
    UINT material = 0;  // 1-based index into MeshData::materials, 0 for none
    std::vector<VECTOR3> vertices;
    std::vector<std::array<UINT, 3>> triangles;  // every index below vertices.size()
};

struct MeshData {
    std::vector<MeshGroupData> groups;
    std::vector<Colour> materials;  // diffuse colour of material 1, 2, ...
    // The group's diffuse colour, or a neutral grey without a material.
    Colour colourOf(const MeshGroupData& group) const;
};

// Reads the text mesh format: MSHX1, GROUPS n, per group the optional LABEL, MATERIAL,
// TEXTURE, NONORMAL (and FLAG, TEXWRAP, ZBIAS) lines, then GEOM nv nt, nv vertex lines
// "x y z [nx ny nz] [u v]" and nt triangle lines "i j k"; then optionally MATERIALS and
// TEXTURES. Text after ';' is a comment. Null on malformed input, with `error` saying
// which line and why.
std::shared_ptr<const MeshData> parseMesh(std::string_view text, std::string& error);

// Loads a mesh file through a cache that rereads a file once it changes. Null when the
// file is missing or malformed (`error` says why).
std::shared_ptr<const MeshData> loadMeshFile(const std::filesystem::path& file, std::string& error);

// The file a mesh name such as "Truss\\SolarTruss" stands for under the host's root.
std::filesystem::path meshFilePath(const std::string& meshName);

enum class Frame { Vessel, Global };

// One mesh group as the animations pose it.
struct EvaluatedGroup {
    UINT mesh = 0;
    UINT group = 0;
    std::vector<VECTOR3> vertices;           // posed; in the frame asked for, mesh offset applied
    std::shared_ptr<const MeshData> source;  // the file's data: rest vertices, triangles, colours
    const MeshGroupData& rest() const { return source->groups[group]; }
};

// Every group of the vessel's mesh `meshIndex`, posed by the vessel's animations: each
// component moves its groups by its transform taken at the fraction of its state range
// that its animation's state has reached (clamped to the range), then by its parent's,
// and so on up, so that a parent carries its children's groups together with their
// reference points, axes and shifts. A group moved by several unrelated components takes
// their motions by animation index, and within an animation in creation order. Empty
// for an unused slot or a mesh that cannot be read.
std::vector<EvaluatedGroup> evaluateMesh(const Vessel& vessel, UINT meshIndex, Frame frame = Frame::Vessel);
// Every used mesh of the vessel, in index order.
std::vector<EvaluatedGroup> evaluateVessel(const Vessel& vessel, Frame frame = Frame::Vessel);

// A transform that names a group its mesh does not have.
struct GroupMismatch {
    UINT animation = 0;
    UINT mesh = 0;
    UINT group = 0;
    UINT groupCount = 0;  // groups the mesh has
};

// Checks every component of the vessel against its mesh. Each mismatch is written to
// the log the first time it is found for that vessel, mesh and group; all are returned.
// Evaluation runs the same check for the mesh it poses.
std::vector<GroupMismatch> checkAnimatedGroups(const Vessel& vessel);

}  // namespace hostsim
