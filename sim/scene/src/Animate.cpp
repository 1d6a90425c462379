// Animations evaluated on mesh groups, and the check of meshes against animations.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>

#include "hostsim/Host.h"
#include "hostsim/Scene.h"
#include "ModuleLayout.h"

namespace hostsim {

namespace {

// A rigid motion p -> m p + t, m stored by rows.
struct Motion {
    double m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    VECTOR3 t = _V(0, 0, 0);

    VECTOR3 operator()(const VECTOR3& p) const {
        return _V(m[0] * p.x + m[1] * p.y + m[2] * p.z + t.x, m[3] * p.x + m[4] * p.y + m[5] * p.z + t.y,
                  m[6] * p.x + m[7] * p.y + m[8] * p.z + t.z);
    }
    // This motion followed by `outer`.
    Motion then(const Motion& outer) const {
        Motion r;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                r.m[i * 3 + j] = outer.m[i * 3] * m[j] + outer.m[i * 3 + 1] * m[3 + j] + outer.m[i * 3 + 2] * m[6 + j];
        r.t = outer(t);
        return r;
    }
};

// How far through its range [state0, state1] a component is at the animation's state,
// clamped to 0 .. 1. An empty range is a step at state0.
double fractionOf(const AnimationComponent& c, double state) {
    const double span = c.state1 - c.state0;
    if (span == 0) return state >= c.state0 ? 1.0 : 0.0;
    return std::clamp((state - c.state0) / span, 0.0, 1.0);
}

Motion rotation(const VECTOR3& ref, const VECTOR3& axis, double angle) {
    Motion r;
    const double len = std::sqrt(dotp(axis, axis));
    if (len == 0 || angle == 0) return r;
    const VECTOR3 a = axis / len;
    const double c = std::cos(angle), s = std::sin(angle), k = 1 - c;
    const double m[9] = {k * a.x * a.x + c,       k * a.x * a.y - s * a.z, k * a.x * a.z + s * a.y,
                         k * a.x * a.y + s * a.z, k * a.y * a.y + c,       k * a.y * a.z - s * a.x,
                         k * a.x * a.z - s * a.y, k * a.y * a.z + s * a.x, k * a.z * a.z + c};
    std::copy(std::begin(m), std::end(m), r.m);
    // Turn about the line through ref: p -> ref + M (p - ref).
    r.t = ref - _V(m[0] * ref.x + m[1] * ref.y + m[2] * ref.z, m[3] * ref.x + m[4] * ref.y + m[5] * ref.z,
                   m[6] * ref.x + m[7] * ref.y + m[8] * ref.z);
    return r;
}

// The component's own motion at its animation's present state.
Motion ownMotion(const Vessel& v, const AnimationComponent& c) {
    Motion none;
    if (!c.transform || c.animation >= v.animations.size()) return none;
    const double f = fractionOf(c, v.animations[c.animation].state);
    switch (transformType(*c.transform)) {
        case MGROUP_TRANSFORM::ROTATE: {
            const auto& r = static_cast<const MGROUP_ROTATE&>(*c.transform);
            return rotation(r.ref, r.axis, double(r.angle) * f);
        }
        case MGROUP_TRANSFORM::TRANSLATE: {
            const auto& t = static_cast<const MGROUP_TRANSLATE&>(*c.transform);
            Motion m;
            m.t = t.shift * f;
            return m;
        }
        default:
            return none;
    }
}

// Own motions composed with the ancestors', memoised per component.
class Poser {
public:
    explicit Poser(const Vessel& v) : v_(v) {}

    const Motion& total(const AnimationComponent* c) {
        auto found = done_.find(c);
        if (found != done_.end()) return found->second;
        // Walk up to the nearest posed ancestor, then come back down.
        std::vector<const AnimationComponent*> chain;
        for (const AnimationComponent* up = c; up && !done_.count(up); up = up->parent) {
            if (chain.size() > kMaxDepth) break;  // the vessel interface never builds a cycle
            chain.push_back(up);
        }
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            const AnimationComponent* k = *it;
            Motion m = ownMotion(v_, *k);
            auto parent = k->parent ? done_.find(k->parent) : done_.end();
            if (parent != done_.end()) m = m.then(parent->second);
            done_[k] = m;
        }
        return done_[c];
    }

private:
    static constexpr size_t kMaxDepth = 1u << 20;
    const Vessel& v_;
    std::map<const AnimationComponent*, Motion> done_;
};

using ReportKey = std::tuple<OBJHANDLE, std::string, UINT, UINT>;  // vessel, mesh file, mesh index, group

std::set<ReportKey>& reported() {
    static auto& keys = *new std::set<ReportKey>;  // see Host::instance
    return keys;
}

// Vessel handles are never reused, so a key cannot silence a later vessel.
void report(const Vessel& v, const GroupMismatch& m) {
    const Mesh& mesh = v.meshes[m.mesh];
    if (!reported().insert({v.handle, mesh.name, m.mesh, m.group}).second) return;
    Host::instance().writeLog("Animation " + std::to_string(m.animation) + " of " + v.name + " moves group " +
                              std::to_string(m.group) + " of mesh " + std::to_string(m.mesh) + " (" + mesh.name +
                              "), which has " + std::to_string(m.groupCount) + " groups");
}

std::shared_ptr<const MeshData> meshData(const Vessel& v, UINT meshIndex) {
    if (meshIndex >= v.meshes.size() || !v.meshes[meshIndex].used) return nullptr;
    std::string error;
    return loadMeshFile(meshFilePath(v.meshes[meshIndex].name), error);
}

// Walks the components acting on one mesh in creation order.
template <typename Visit>
void forEachComponent(const Vessel& v, UINT meshIndex, Visit visit) {
    for (const Animation& a : v.animations)
        for (const AnimationComponent* c : a.components)
            if (c->mesh == meshIndex && c->transform && (c->transform->grp || c->transform->ngrp == 0)) visit(*c);
}

void checkMesh(const Vessel& v, UINT meshIndex, const MeshData& data, std::vector<GroupMismatch>& out) {
    forEachComponent(v, meshIndex, [&](const AnimationComponent& c) {
        for (UINT i = 0; i < c.transform->ngrp; ++i) {
            const UINT g = c.transform->grp[i];
            if (g >= data.groups.size()) {
                GroupMismatch m{c.animation, meshIndex, g, UINT(data.groups.size())};
                report(v, m);
                out.push_back(m);
            }
        }
    });
}

}  // namespace

std::vector<EvaluatedGroup> evaluateMesh(const Vessel& v, UINT meshIndex, Frame frame) {
    std::vector<EvaluatedGroup> out;
    auto data = meshData(v, meshIndex);
    if (!data) return out;
    std::vector<GroupMismatch> mismatches;
    checkMesh(v, meshIndex, *data, mismatches);

    // Each group's motion: the motions of the components that name it, in order.
    std::vector<Motion> motion(data->groups.size());
    Poser poser(v);
    forEachComponent(v, meshIndex, [&](const AnimationComponent& c) {
        if (c.transform->ngrp == 0) return;
        const Motion& m = poser.total(&c);
        for (UINT i = 0; i < c.transform->ngrp; ++i) {
            const UINT g = c.transform->grp[i];
            if (g < motion.size()) motion[g] = motion[g].then(m);
        }
    });

    const VECTOR3 offset = v.meshes[meshIndex].offset;
    const VECTOR3 place = frame == Frame::Global ? Host::instance().globalPosition(v) : _V(0, 0, 0);
    out.reserve(data->groups.size());
    for (UINT g = 0; g < data->groups.size(); ++g) {
        EvaluatedGroup e;
        e.mesh = meshIndex;
        e.group = g;
        e.source = data;
        const auto& rest = data->groups[g].vertices;
        e.vertices.reserve(rest.size());
        for (const VECTOR3& p : rest) {
            VECTOR3 q = motion[g](p) + offset;
            if (frame == Frame::Global) q = place + mul(v.rot, q);
            e.vertices.push_back(q);
        }
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<EvaluatedGroup> evaluateVessel(const Vessel& v, Frame frame) {
    std::vector<EvaluatedGroup> out;
    for (UINT m = 0; m < v.meshes.size(); ++m) {
        auto groups = evaluateMesh(v, m, frame);
        std::move(groups.begin(), groups.end(), std::back_inserter(out));
    }
    return out;
}

std::vector<GroupMismatch> checkAnimatedGroups(const Vessel& v) {
    std::vector<GroupMismatch> out;
    for (UINT m = 0; m < v.meshes.size(); ++m)
        if (auto data = meshData(v, m)) checkMesh(v, m, *data, out);
    return out;
}

}  // namespace hostsim
