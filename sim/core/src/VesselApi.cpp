// The vessel interface: what a module's vessel object asks of the simulator.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "Registry.h"
#include "hostsim/Faults.h"
#include "Text.h"
#include "hostsim/Host.h"

using namespace hostsim;

namespace {

Registry& reg() { return Registry::get(); }
Journal& journal() { return Host::instance().journal(); }

Vessel* self(OBJHANDLE h) { return reg().vessels.get(h); }

Dock* ownDock(Vessel& v, DOCKHANDLE h) {
    Dock* d = reg().docks.get(h);
    return d && d->owner == &v ? d : nullptr;
}

Attachment* ownPoint(Vessel& v, ATTACHMENTHANDLE h) {
    Attachment* a = reg().attachments.get(h);
    return a && a->owner == &v ? a : nullptr;
}

std::vector<Attachment*>& pointList(Vessel& v, bool toParent) { return toParent ? v.parentPoints : v.childPoints; }

std::filesystem::path meshFile(const std::string& name) {
    std::string rel = name;
    std::replace(rel.begin(), rel.end(), '\\', '/');
    return Host::instance().root() / "Meshes" / (rel + ".msh");
}

}  // namespace

namespace hostsim {

namespace {

void unlinkFromParent(AnimationComponent* c) {
    AnimationComponent* up = c->parent;
    if (!up) return;
    (c->previousSibling ? c->previousSibling->nextSibling : up->firstChild) = c->nextSibling;
    if (c->nextSibling) c->nextSibling->previousSibling = c->previousSibling;
    c->parent = c->previousSibling = c->nextSibling = nullptr;
}

}  // namespace

// Deletes the component and every component below it, leaves first, without recursion
// (a module may hang thousands of components in one chain), each in constant time.
void deleteComponent(Vessel& v, AnimationComponent* c) {
    unlinkFromParent(c);
    AnimationComponent* n = c;
    while (true) {
        while (n->firstChild) n = n->firstChild;
        AnimationComponent* up = n == c ? nullptr : n->parent;
        unlinkFromParent(n);
        if (n->animation < v.animations.size()) v.animations[n->animation].components.erase(n);
        if (n->mesh < Vessel::kCountedMeshes) --v.meshComponents[n->mesh];
        reg().components.remove(n->handle);
        if (!up) break;
        n = up;
    }
}

bool undockPort(Vessel& v, size_t port) {
    Dock* d = v.docks[port];
    Dock* mate = d->mate;
    if (!mate) return false;
    d->mate = nullptr;
    mate->mate = nullptr;
    Vessel& other = *mate->owner;
    --v.dockedPorts;
    --other.dockedPorts;
    auto matePort = std::find(other.docks.begin(), other.docks.end(), mate) - other.docks.begin();
    if (VESSEL2* callbacks = v.callbacks()) callbacks->clbkDockEvent(int(port), nullptr);
    if (VESSEL2* callbacks = other.callbacks()) callbacks->clbkDockEvent(int(matePort), nullptr);
    return true;
}

}  // namespace hostsim

VESSEL::VESSEL(OBJHANDLE h, int fmodel) : version(0), hVessel(h), flightModel(fmodel) {}
VESSEL2::VESSEL2(OBJHANDLE h, int fmodel) : VESSEL(h, fmodel) { version = 1; }
VESSEL3::VESSEL3(OBJHANDLE h, int fmodel) : VESSEL2(h, fmodel) { version = 2; }

char* VESSEL::GetName() const {
    static char none[] = "";
    Vessel* v = self(hVessel);
    return v ? v->name.data() : none;
}

char* VESSEL::GetClassName() const {
    static char none[] = "";
    Vessel* v = self(hVessel);
    return v ? v->className.data() : none;
}

// ---- Meshes ----

UINT VESSEL::AddMesh(const char* meshName, const VECTOR3* ofs) const {
    if (faults::injectHere("AddMesh")) return UINT(-1);
    Vessel* v = self(hVessel);
    if (!v || !meshName) return UINT(-1);
    Mesh m;
    m.name = meshName;
    if (ofs) m.offset = *ofs;
    m.used = true;
    std::error_code ec;
    m.fileFound = std::filesystem::is_regular_file(meshFile(m.name), ec);
    if (!m.fileFound) Host::instance().writeLog("Mesh not found: " + meshFile(m.name).string());
    auto slot = std::find_if(v->meshes.begin(), v->meshes.end(), [](const Mesh& x) { return !x.used; });
    UINT index = UINT(slot - v->meshes.begin());
    if (slot == v->meshes.end())
        v->meshes.push_back(std::move(m));
    else
        *slot = std::move(m);
    if (journal().enabled())
        journal().record("AddMesh " + std::string(meshName) + (ofs ? " " + formatVector(*ofs) : "") + " -> " +
                         std::to_string(index));
    return index;
}

bool VESSEL::DelMesh(UINT idx, bool retainAnim) const {
    if (faults::injectHere("DelMesh")) return false;
    Vessel* v = self(hVessel);
    if (journal().enabled()) journal().record("DelMesh " + std::to_string(idx) + (retainAnim ? " retain" : ""));
    if (!v || idx >= v->meshes.size() || !v->meshes[idx].used) return false;
    v->meshes[idx].used = false;
    // Animation indices are never reused, so a module that rebuilds itself piles up
    // empty animations: they are looked through only when a component is on the mesh.
    const bool noneOnMesh = idx < Vessel::kCountedMeshes && (idx >= v->meshComponents.size() || v->meshComponents[idx] == 0);
    if (retainAnim || noneOnMesh) return true;
    // Deleting a component also deletes its children, wherever they are listed: the
    // components on the mesh are found first and deleted if they are still there.
    std::vector<ANIMATIONCOMPONENT_HANDLE> onMesh;
    for (const auto& anim : v->animations)
        for (const AnimationComponent* c : anim.components)
            if (c->mesh == idx) onMesh.push_back(c->handle);
    for (ANIMATIONCOMPONENT_HANDLE h : onMesh)
        if (AnimationComponent* c = reg().components.get(h)) deleteComponent(*v, c);
    return true;
}

bool VESSEL::ShiftMesh(UINT idx, const VECTOR3& ofs) const {
    Vessel* v = self(hVessel);
    if (journal().enabled()) journal().record("ShiftMesh " + std::to_string(idx) + " " + formatVector(ofs));
    if (!v || idx >= v->meshes.size() || !v->meshes[idx].used) return false;
    v->meshes[idx].offset = v->meshes[idx].offset + ofs;
    return true;
}

UINT VESSEL::GetMeshCount() const {
    Vessel* v = self(hVessel);
    return v ? UINT(v->meshes.size()) : 0;
}

// ---- Docks ----

DOCKHANDLE VESSEL::CreateDock(const VECTOR3& pos, const VECTOR3& dir, const VECTOR3& rot) const {
    if (faults::injectHere("CreateDock")) return nullptr;
    Vessel* v = self(hVessel);
    if (!v) return nullptr;
    auto [raw, handle] = reg().docks.emplace();
    raw->owner = v;
    raw->pos = pos, raw->dir = dir, raw->rot = rot;
    raw->handle = handle;
    v->docks.push_back(raw);
    if (journal().enabled())
        journal().record("CreateDock " + formatVector(pos) + " " + formatVector(dir) + " " + formatVector(rot));
    return raw->handle;
}

bool VESSEL::DelDock(DOCKHANDLE hDock) const {
    if (faults::injectHere("DelDock")) return false;
    Vessel* v = self(hVessel);
    if (journal().enabled()) journal().record("DelDock " + formatPointer(hDock));
    Dock* d = v ? ownDock(*v, hDock) : nullptr;
    if (!d) return false;
    auto it = std::find(v->docks.begin(), v->docks.end(), d);
    undockPort(*v, size_t(it - v->docks.begin()));
    v->docks.erase(it);
    reg().docks.remove(hDock);
    return true;
}

void VESSEL::SetDockParams(DOCKHANDLE hDock, const VECTOR3& pos, const VECTOR3& dir, const VECTOR3& rot) const {
    Vessel* v = self(hVessel);
    if (journal().enabled())
        journal().record("SetDockParams " + formatPointer(hDock) + " " + formatVector(pos) + " " + formatVector(dir) +
                         " " + formatVector(rot));
    if (Dock* d = v ? ownDock(*v, hDock) : nullptr) d->pos = pos, d->dir = dir, d->rot = rot;
}

void VESSEL::GetDockParams(DOCKHANDLE hDock, VECTOR3& pos, VECTOR3& dir, VECTOR3& rot) const {
    Vessel* v = self(hVessel);
    if (Dock* d = v ? ownDock(*v, hDock) : nullptr) pos = d->pos, dir = d->dir, rot = d->rot;
}

UINT VESSEL::DockCount() const {
    Vessel* v = self(hVessel);
    return v ? UINT(v->docks.size()) : 0;
}

DOCKHANDLE VESSEL::GetDockHandle(UINT n) const {
    if (faults::injectHere("GetDockHandle")) return nullptr;
    Vessel* v = self(hVessel);
    return v && n < v->docks.size() ? v->docks[n]->handle : nullptr;
}

OBJHANDLE VESSEL::GetDockStatus(DOCKHANDLE hDock) const {
    if (faults::injectHere("GetDockStatus")) return nullptr;
    if (journal().enabled()) journal().record("GetDockStatus " + formatPointer(hDock));
    Vessel* v = self(hVessel);
    Dock* d = v ? ownDock(*v, hDock) : nullptr;
    return d && d->mate ? d->mate->owner->handle : nullptr;
}

bool VESSEL::Undock(UINT n, const OBJHANDLE exclude) const {
    if (faults::injectHere("Undock")) return false;
    Vessel* v = self(hVessel);
    if (journal().enabled()) journal().record("Undock " + std::to_string(int(n)));
    // A segment held by its grapple point asks every step; its ports need not be read.
    if (!v || v->dockedPorts == 0) return false;
    bool any = false;
    for (size_t i = 0; i < v->docks.size(); ++i) {
        if (n != ALLDOCKS && i != n) continue;
        Dock* mate = v->docks[i]->mate;
        if (mate && (!exclude || mate->owner->handle != exclude)) any |= undockPort(*v, i);
    }
    return any;
}

// ---- Attachments ----

ATTACHMENTHANDLE VESSEL::CreateAttachment(bool toparent, const VECTOR3& pos, const VECTOR3& dir, const VECTOR3& rot,
                                          const char* id, bool loose) const {
    if (faults::injectHere("CreateAttachment")) return nullptr;
    Vessel* v = self(hVessel);
    if (!v) return nullptr;
    auto [raw, handle] = reg().attachments.emplace();
    raw->owner = v;
    raw->toParent = toparent;
    raw->pos = pos, raw->dir = dir, raw->rot = rot;
    raw->id = std::string(id ? id : "").substr(0, 7);
    raw->loose = loose;
    raw->handle = handle;
    pointList(*v, toparent).push_back(raw);
    if (journal().enabled())
        journal().record("CreateAttachment " + std::string(toparent ? "toparent " : "tochild ") + raw->id + " " +
                         formatVector(pos) + " " + formatVector(dir) + " " + formatVector(rot));
    return raw->handle;
}

bool VESSEL::DelAttachment(ATTACHMENTHANDLE attachment) const {
    if (faults::injectHere("DelAttachment")) return false;
    Vessel* v = self(hVessel);
    if (journal().enabled()) journal().record("DelAttachment " + formatPointer(attachment));
    Attachment* a = v ? ownPoint(*v, attachment) : nullptr;
    if (!a) return false;
    if (a->partner) detachVessel(a->toParent ? *v : *a->partner->owner, _V(0, 0, 0));
    std::erase(pointList(*v, a->toParent), a);
    reg().attachments.remove(attachment);
    return true;
}

void VESSEL::SetAttachmentParams(ATTACHMENTHANDLE attachment, const VECTOR3& pos, const VECTOR3& dir,
                                 const VECTOR3& rot) const {
    Vessel* v = self(hVessel);
    if (journal().enabled())
        journal().record("SetAttachmentParams " + formatPointer(attachment) + " " + formatVector(pos) + " " +
                         formatVector(dir) + " " + formatVector(rot));
    Attachment* a = v ? ownPoint(*v, attachment) : nullptr;
    if (!a) return;
    a->pos = pos, a->dir = dir, a->rot = rot;
    if (a->partner) placeLater(a->toParent ? *v : *a->partnerOwner);
}

void VESSEL::GetAttachmentParams(ATTACHMENTHANDLE attachment, VECTOR3& pos, VECTOR3& dir, VECTOR3& rot) const {
    if (journal().enabled()) journal().record("GetAttachmentParams " + formatPointer(attachment));
    Vessel* v = self(hVessel);
    if (Attachment* a = v ? ownPoint(*v, attachment) : nullptr) pos = a->pos, dir = a->dir, rot = a->rot;
}

const char* VESSEL::GetAttachmentId(ATTACHMENTHANDLE attachment) const {
    Vessel* v = self(hVessel);
    Attachment* a = v ? ownPoint(*v, attachment) : nullptr;
    return a ? a->id.c_str() : nullptr;
}

OBJHANDLE VESSEL::GetAttachmentStatus(ATTACHMENTHANDLE attachment) const {
    if (faults::injectHere("GetAttachmentStatus")) return nullptr;
    if (journal().enabled()) journal().record("GetAttachmentStatus " + formatPointer(attachment));
    Vessel* v = self(hVessel);
    if (!v) return nullptr;
    // A vessel hangs by one point at most, so a vessel without children has no other
    // attached point: its points need not be read, which a big station's step feels.
    // A null point asked of a vessel that hangs from nothing gives its null parent.
    if (attachment == v->hangsByHandle) return v->parentHandle;
    if (v->children.empty()) return nullptr;
    Attachment* a = ownPoint(*v, attachment);
    return a && a->partner ? a->partnerOwner->handle : nullptr;
}

DWORD VESSEL::AttachmentCount(bool toparent) const {
    if (journal().enabled()) journal().record(std::string("AttachmentCount ") + (toparent ? "toparent" : "tochild"));
    Vessel* v = self(hVessel);
    return v ? DWORD(pointList(*v, toparent).size()) : 0;
}

DWORD VESSEL::GetAttachmentIndex(ATTACHMENTHANDLE attachment) const {
    Vessel* v = self(hVessel);
    Attachment* a = v ? ownPoint(*v, attachment) : nullptr;
    if (!a) return DWORD(-1);
    auto& list = pointList(*v, a->toParent);
    return DWORD(std::find(list.begin(), list.end(), a) - list.begin());
}

ATTACHMENTHANDLE VESSEL::GetAttachmentHandle(bool toparent, DWORD i) const {
    if (faults::injectHere("GetAttachmentHandle")) return nullptr;
    if (journal().enabled()) journal().record(std::string("GetAttachmentHandle ") + (toparent ? "toparent " : "tochild ") + std::to_string(i));
    Vessel* v = self(hVessel);
    if (!v) return nullptr;
    auto& list = pointList(*v, toparent);
    return i < list.size() ? list[i]->handle : nullptr;
}

// Refuses what the simulator would silently get wrong: an occupied point, a point of
// the wrong kind, and a child that is this vessel or one of its ancestors.
bool VESSEL::AttachChild(OBJHANDLE child, ATTACHMENTHANDLE attachment, ATTACHMENTHANDLE childAttachment) const {
    if (faults::injectHere("AttachChild")) return false;
    Vessel* v = self(hVessel);
    if (journal().enabled())
        journal().record("AttachChild " + formatPointer(child) + " " + formatPointer(attachment) + " " +
                         formatPointer(childAttachment));
    Vessel* c = self(child);
    if (!v || !c || c == v || isAncestor(*c, *v)) return false;
    Attachment* point = ownPoint(*v, attachment);
    Attachment* childPoint = ownPoint(*c, childAttachment);
    if (!point || point->toParent || point->partner || !childPoint || !childPoint->toParent) return false;
    if (c->attachedTo()) detachVessel(*c, _V(0, 0, 0));
    hangVessel(*c, *childPoint, *point);
    return true;
}

bool VESSEL::DetachChild(ATTACHMENTHANDLE attachment, double vel) const {
    if (faults::injectHere("DetachChild")) return false;
    Vessel* v = self(hVessel);
    if (journal().enabled()) journal().record("DetachChild " + formatPointer(attachment) + " " + formatNumber(vel));
    Attachment* a = v ? ownPoint(*v, attachment) : nullptr;
    if (!a || a->toParent || !a->partner) return false;
    settlePlacement(*v);
    VECTOR3 push = mul(v->rot, a->dir) * vel;
    detachVessel(*a->partner->owner, push);
    return true;
}

// ---- Animations ----

UINT VESSEL::CreateAnimation(double initialState) const {
    if (faults::injectHere("CreateAnimation")) return UINT(-1);
    Vessel* v = self(hVessel);
    if (!v) return UINT(-1);
    Animation a;
    a.defaultState = a.state = initialState;
    v->animations.push_back(std::move(a));
    if (journal().enabled())
        journal().record("CreateAnimation " + formatNumber(initialState) + " -> " +
                         std::to_string(v->animations.size() - 1));
    return UINT(v->animations.size() - 1);
}

ANIMATIONCOMPONENT_HANDLE VESSEL::AddAnimationComponent(UINT anim, double state0, double state1,
                                                        MGROUP_TRANSFORM* trans,
                                                        ANIMATIONCOMPONENT_HANDLE parent) const {
    if (faults::injectHere("AddAnimationComponent")) return nullptr;
    Vessel* v = self(hVessel);
    if (journal().enabled())
        journal().record("AddAnimationComponent " + std::to_string(anim) + " " + formatNumber(state0) + " " +
                         formatNumber(state1) + " " + formatPointer(parent));
    if (!v || anim >= v->animations.size() || !trans) return nullptr;
    AnimationComponent* up = nullptr;
    if (parent) {
        up = reg().components.get(parent);
        if (!up || up->owner != v) return nullptr;
    }
    auto [raw, handle] = reg().components.emplace();
    raw->owner = v;
    raw->animation = anim;
    raw->mesh = trans->mesh;
    if (raw->mesh < Vessel::kCountedMeshes) {
        if (raw->mesh >= v->meshComponents.size()) v->meshComponents.resize(size_t(raw->mesh) + 1);
        ++v->meshComponents[raw->mesh];
    }
    raw->state0 = state0;
    raw->state1 = state1;
    raw->transform = trans;
    raw->parent = up;
    raw->handle = handle;
    if (up) {
        raw->nextSibling = up->firstChild;
        if (up->firstChild) up->firstChild->previousSibling = raw;
        up->firstChild = raw;
    }
    v->animations[anim].components.push_back(raw);
    return raw->handle;
}

bool VESSEL::DelAnimationComponent(UINT anim, ANIMATIONCOMPONENT_HANDLE hAC) {
    if (faults::injectHere("DelAnimationComponent")) return false;
    Vessel* v = self(hVessel);
    if (journal().enabled()) journal().record("DelAnimationComponent " + std::to_string(anim) + " " + formatPointer(hAC));
    AnimationComponent* c = reg().components.get(hAC);
    if (!v || !c || c->owner != v || c->animation != anim) return false;
    deleteComponent(*v, c);
    return true;
}

bool VESSEL::DelAnimation(UINT anim) const {
    if (faults::injectHere("DelAnimation")) return false;
    Vessel* v = self(hVessel);
    if (journal().enabled()) journal().record("DelAnimation " + std::to_string(anim));
    if (!v || anim >= v->animations.size()) return false;
    auto& list = v->animations[anim].components;
    while (!list.empty()) deleteComponent(*v, list.back());
    return true;
}

bool VESSEL::SetAnimation(UINT anim, double state) const {
    if (faults::injectHere("SetAnimation")) return false;
    Vessel* v = self(hVessel);
    if (journal().enabled()) journal().record("SetAnimation " + std::to_string(anim) + " " + formatNumber(state));
    if (!v || anim >= v->animations.size()) return false;
    v->animations[anim].state = state;
    return true;
}

double VESSEL::GetAnimation(UINT anim) const {
    Vessel* v = self(hVessel);
    return v && anim < v->animations.size() ? v->animations[anim].state : 0.0;
}

// ---- Mass and frames ----

void VESSEL::SetEmptyMass(double emass) const {
    if (journal().enabled()) journal().record("SetEmptyMass " + formatNumber(emass));
    if (Vessel* v = self(hVessel)) v->emptyMass = emass;
}

double VESSEL::GetEmptyMass() const {
    Vessel* v = self(hVessel);
    return v ? v->emptyMass : 0.0;
}

void VESSEL::GetGlobalPos(VECTOR3& pos) const {
    if (journal().enabled()) journal().record("GetGlobalPos");
    Vessel* v = self(hVessel);
    pos = v ? Host::instance().globalPosition(*v) : _V(0, 0, 0);
}

void VESSEL::Global2Local(const VECTOR3& glob, VECTOR3& loc) const {
    if (journal().enabled()) journal().record("Global2Local " + formatVector(glob));
    Vessel* v = self(hVessel);
    if (!v) {
        loc = glob;
        return;
    }
    VECTOR3 d = glob - Host::instance().globalPosition(*v);
    const MATRIX3& r = v->rot;  // transpose: global to vessel frame
    loc = _V(r.m11 * d.x + r.m21 * d.y + r.m31 * d.z, r.m12 * d.x + r.m22 * d.y + r.m32 * d.z,
             r.m13 * d.x + r.m23 * d.y + r.m33 * d.z);
}

void VESSEL::Local2Global(const VECTOR3& loc, VECTOR3& glob) const {
    Vessel* v = self(hVessel);
    if (!v) {
        glob = loc;
        return;
    }
    const VECTOR3 origin = Host::instance().globalPosition(*v);  // first: it brings the pose up to date
    glob = origin + mul(v->rot, loc);
}

void VESSEL::ParseScenarioLineEx(char* line, void* /*status*/) const {
    Vessel* v = self(hVessel);
    if (!v || !line) return;
    if (journal().enabled()) journal().record(std::string("ParseScenarioLineEx ") + line);
    if (!applyStandardLine(*v, line)) {
        Host::instance().writeLog("Unknown scenario line for " + v->name + ": " + line);
        v->unknownLines.emplace_back(line);
        v->lineOrder.push_back(Vessel::Line::Unknown);
    }
}

// ---- Default callbacks ----

void VESSEL2::clbkSetClassCaps(FILEHANDLE) {}

void VESSEL2::clbkSaveState(FILEHANDLE scn) {
    Vessel* v = self(GetHandle());
    ScenarioFile* f = reg().files.get(scn);
    if (v && f && f->writing) writeStandardLines(*v, *f);
}

void VESSEL2::clbkLoadStateEx(FILEHANDLE scn, void* status) {
    char* line;
    while (oapiReadScenario_nextline(scn, line)) ParseScenarioLineEx(line, status);
}

void VESSEL2::clbkPostCreation() {}
void VESSEL2::clbkPreStep(double, double, double) {}
void VESSEL2::clbkPostStep(double, double, double) {}
void VESSEL2::clbkDockEvent(int, OBJHANDLE) {}
int VESSEL2::clbkConsumeBufferedKey(DWORD, bool, char*) { return 0; }
int VESSEL3::clbkGeneric(int, int, void*) { return 0; }
