// What the host keeps of each vessel. Tests and the hostsim program read these
// records to see what the modules built; only the host changes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Orbitersdk.h"
#include "hostsim/Ephemeris.h"

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

// What a step reads of a point lies in its first two cache lines.
struct alignas(64) Attachment {
    Vessel* owner = nullptr;
    Attachment* partner = nullptr;  // the point of the other vessel while attached
    Vessel* partnerOwner = nullptr;  // that vessel: a pallet's swing need not read its point
    ATTACHMENTHANDLE handle = nullptr;
    bool toParent = false;  // a point by which the owner hangs from a parent
    bool loose = false;
    VECTOR3 pos{}, dir{}, rot{};
    std::string id;  // at most 7 characters
};

struct AnimationComponent {
    Vessel* owner = nullptr;
    ANIMATIONCOMPONENT_HANDLE handle = nullptr;
    UINT animation = 0;
    UINT mesh = 0;  // the transform's mesh when the component was added
    double state0 = 0, state1 = 1;
    MGROUP_TRANSFORM* transform = nullptr;  // owned by the module
    AnimationComponent* parent = nullptr;
    // Links of the two lists a component is in, so that it leaves them in constant
    // time: its animation's components, and its parent's children.
    AnimationComponent* previous = nullptr;
    AnimationComponent* next = nullptr;
    AnimationComponent* firstChild = nullptr;
    AnimationComponent* previousSibling = nullptr;
    AnimationComponent* nextSibling = nullptr;
};

// The components of an animation, in creation order.
class ComponentList {
public:
    class iterator {
    public:
        using value_type = AnimationComponent*;
        using difference_type = std::ptrdiff_t;
        iterator() = default;
        explicit iterator(AnimationComponent* c) : c_(c) {}
        AnimationComponent* operator*() const { return c_; }
        iterator& operator++() {
            c_ = c_->next;
            return *this;
        }
        iterator operator++(int) {
            iterator was = *this;
            c_ = c_->next;
            return was;
        }
        bool operator==(const iterator&) const = default;

    private:
        AnimationComponent* c_ = nullptr;
    };

    iterator begin() const { return iterator(first_); }
    iterator end() const { return iterator(); }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    AnimationComponent* front() const { return first_; }
    AnimationComponent* back() const { return last_; }

    void push_back(AnimationComponent* c) {
        c->previous = last_;
        c->next = nullptr;
        (last_ ? last_->next : first_) = c;
        last_ = c;
        ++size_;
    }
    void erase(AnimationComponent* c) {
        (c->previous ? c->previous->next : first_) = c->next;
        (c->next ? c->next->previous : last_) = c->previous;
        c->previous = c->next = nullptr;
        --size_;
    }

private:
    AnimationComponent* first_ = nullptr;
    AnimationComponent* last_ = nullptr;
    std::size_t size_ = 0;
};

struct Animation {
    double defaultState = 0;
    double state = 0;
    ComponentList components;
};

// The fields a step reads come first, arranged by cache line: with thousands of
// vessels each line a step touches is a wait.
struct alignas(64) Vessel {
    // Line 0: all that the step of a segment or a payload reads of its record.
    // The object's callbacks, found once when it is made; a bare VESSEL (Version 0) has none.
    VESSEL2* withCallbacks = nullptr;
    VESSEL2* callbacks() const { return withCallbacks; }
    // The handles of the own point it hangs by and of its parent (null when it hangs
    // from nothing), so that a segment asking about its points reads no point.
    ATTACHMENTHANDLE hangsByHandle = nullptr;
    OBJHANDLE parentHandle = nullptr;
    std::vector<Vessel*> children;    // vessels attached to the child points
    std::uint32_t dockedPorts = 0;    // docks with a mate
    Body body = Body::Sun;
    bool placementDue = false;  // hangs, and its parent or a point moved since it was placed

    // Line 1, read by the motion of a free vessel; the child points, by the step of a
    // vessel that holds others.
    alignas(64) VECTOR3 vel{};  // relative to the body, in the axes of the global frame (RVEL)
    VECTOR3 angVel{};  // degrees per second about the vessel axes, as VROT is written
    bool landed = false;  // STATUS Landed: stays where it was put
    std::vector<Attachment*> childPoints;  // points that hold children, creation order
    Attachment* hangsFrom = nullptr;  // the own point by which it hangs from a parent, or null

    // The pose, read and written when a vessel moves or asks where it is.
    VECTOR3 pos{};     // relative to the body, in the axes of the global frame (RPOS)
    MATRIX3 rot = _M(1, 0, 0, 0, 1, 0, 0, 0, 1);  // vessel frame to global frame
    bool arotStale = false;  // rot changed since arot was set: recomputed when saved
    // What the host changed since the vessel was read: its position, its velocity, its
    // attitude. A save writes RPOS, RVEL or AROT when the block had it or it changed.
    bool moved = false, accelerated = false, turned = false;
    bool poseHeld = false;  // a motion would have left the range of numbers

    VESSEL* iface = nullptr;  // the module's object as ovcInit returned it, or a plain one
    OBJHANDLE handle = nullptr;
    std::string name;
    std::string className;
    Module* module = nullptr;  // null for a plain vessel

    std::vector<Mesh> meshes;
    std::vector<Dock*> docks;             // creation order
    std::vector<Attachment*> parentPoints;  // toparent points, creation order
    std::vector<Animation> animations;      // indices never reused
    // Live animation components by the mesh index they name; a component may name a
    // mesh before it is added. Indices beyond any real vessel's meshes are not counted.
    static constexpr UINT kCountedMeshes = 4096;
    std::vector<std::uint32_t> meshComponents;
    double emptyMass = 0;

    // STATUS: the body the position is measured from, and whether it is landed there.
    static constexpr const char* kDefaultStatus = "Orbiting Sun";
    std::string status = kDefaultStatus;  // what follows STATUS
    VECTOR3 arot{};    // attitude as written in the scenario (degrees); see arotStale

    // The host's lines and the unknown lines of the vessel's block, in the order they
    // were read, so that a save writes back exactly those, in that order.
    enum class Line { Status, Rpos, Rvel, Arot, Vrot, Attached, Dockinfo, Unknown };
    std::vector<Line> lineOrder;
    std::vector<std::string> unknownLines;  // scenario lines nobody took, written back on save
    // Links the scenario named that could not be made, as written: kept for the save.
    std::string unmadeAttachment;        // the value of an ATTACHED line
    std::vector<std::string> unmadeDocks;  // items of DOCKINFO lines

    // A vessel somewhere above this one, while `aboveEpoch` is current: a shortcut of
    // the host's check that no vessel hangs below itself.
    Vessel* above = nullptr;
    std::uint64_t aboveEpoch = 0;

    // The own point by which this vessel hangs from a parent, or null.
    Attachment* attachedTo() const { return hangsFrom; }
};

}  // namespace hostsim
