// What the host keeps of each vessel. Tests and the hostsim program read these
// records to see what the modules built; only the host changes them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Orbitersdk.h"

namespace hostsim {

struct Module;
struct Vessel;

struct Mesh {
    std::string name;  // as the module named it, e.g. "Truss\\Base2"
    VECTOR3 offset{};
    bool used = false;       // an emptied slot stays in the list
    bool fileFound = false;  // the mesh file exists under the addon root
};

struct Dock {
    Vessel* owner = nullptr;
    DOCKHANDLE handle = nullptr;
    VECTOR3 pos{}, dir{}, rot{};
    Dock* mate = nullptr;
};

struct Attachment {
    Vessel* owner = nullptr;
    ATTACHMENTHANDLE handle = nullptr;
    bool toParent = false;  // a point by which the owner hangs from a parent
    VECTOR3 pos{}, dir{}, rot{};
    std::string id;  // at most 7 characters
    bool loose = false;
    Attachment* partner = nullptr;  // the point of the other vessel while attached
};

struct AnimationComponent {
    Vessel* owner = nullptr;
    ANIMATIONCOMPONENT_HANDLE handle = nullptr;
    UINT animation = 0;
    UINT mesh = 0;  // the transform's mesh when the component was added
    double state0 = 0, state1 = 1;
    MGROUP_TRANSFORM* transform = nullptr;  // owned by the module
    AnimationComponent* parent = nullptr;
    std::vector<AnimationComponent*> children;
};

struct Animation {
    double defaultState = 0;
    double state = 0;
    std::vector<AnimationComponent*> components;  // in creation order
};

struct Vessel {
    OBJHANDLE handle = nullptr;
    std::string name;
    std::string className;
    Module* module = nullptr;  // null for a plain vessel
    VESSEL* iface = nullptr;  // the module's object as ovcInit returned it, or a plain one

    // The object's callbacks; a bare VESSEL (Version 0) has none.
    VESSEL2* callbacks() const { return iface && iface->Version() >= 1 ? static_cast<VESSEL2*>(iface) : nullptr; }

    std::vector<Mesh> meshes;
    std::vector<Dock*> docks;             // creation order
    std::vector<Attachment*> parentPoints;  // toparent points, creation order
    std::vector<Attachment*> childPoints;   // points that hold children, creation order
    std::vector<Vessel*> children;          // vessels attached to the child points
    std::vector<Animation> animations;      // indices never reused
    double emptyMass = 0;

    // Pose in the global frame (the Sun at the origin).
    std::string status = "Orbiting Sun";
    VECTOR3 pos{}, vel{};
    MATRIX3 rot = _M(1, 0, 0, 0, 1, 0, 0, 0, 1);  // vessel frame to global frame
    VECTOR3 arot{};    // attitude as written in the scenario (degrees); see arotStale
    bool arotStale = false;  // rot changed since arot was set: recomputed when saved
    VECTOR3 angVel{};  // degrees per second about the vessel axes, as VROT is written

    std::vector<std::string> unknownLines;  // scenario lines nobody took, written back on save

    // The point this vessel hangs from, or null.
    Attachment* attachedTo() const;
};

}  // namespace hostsim
