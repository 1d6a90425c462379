// The host: modules, vessels, the clock, poses, keys and the input box.
#include "hostsim/Host.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <utility>

#include "AddonFiles.h"
#include "LogFile.h"
#include "ModuleLayout.h"
#include "Registry.h"
#include "SharedObject.h"
#include "Text.h"
#include "hostsim/Files.h"

namespace hostsim {

namespace {

Registry& reg() { return Registry::get(); }

constexpr double kRadPerDeg = 0.017453292519943295;

VECTOR3 normalised(const VECTOR3& v) {
    double len = std::sqrt(dotp(v, v));
    return len > 0 ? v / len : _V(0, 0, 0);
}

// An orthonormal frame whose first axis is d and whose second axis lies in the plane
// of d and r; columns of the matrix. Degenerate inputs get a sensible perpendicular.
MATRIX3 frameOf(const VECTOR3& d, const VECTOR3& r) {
    VECTOR3 e1 = normalised(d);
    if (dotp(e1, e1) == 0) e1 = _V(0, 0, 1);
    VECTOR3 e2 = normalised(r - e1 * dotp(r, e1));
    if (dotp(e2, e2) == 0) e2 = normalised(crossp(e1, std::fabs(e1.x) < 0.9 ? _V(1, 0, 0) : _V(0, 1, 0)));
    VECTOR3 e3 = crossp(e1, e2);
    return _M(e1.x, e2.x, e3.x, e1.y, e2.y, e3.y, e1.z, e2.z, e3.z);
}

bool finite(const VECTOR3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
bool finite(const MATRIX3& m) {
    return std::all_of(std::begin(m.data), std::end(m.data), [](double x) { return std::isfinite(x); });
}

MATRIX3 product(const MATRIX3& a, const MATRIX3& b) {
    MATRIX3 m;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            m.data[i * 3 + j] =
                a.data[i * 3] * b.data[j] + a.data[i * 3 + 1] * b.data[3 + j] + a.data[i * 3 + 2] * b.data[6 + j];
    return m;
}

MATRIX3 transposed(const MATRIX3& a) {
    return _M(a.m11, a.m21, a.m31, a.m12, a.m22, a.m32, a.m13, a.m23, a.m33);
}

// Rotation by an angle (radians) about a unit axis.
MATRIX3 axisRotation(const VECTOR3& axis, double angle) {
    double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
    double x = axis.x, y = axis.y, z = axis.z;
    return _M(t * x * x + c, t * x * y - s * z, t * x * z + s * y, t * x * y + s * z, t * y * y + c,
              t * y * z - s * x, t * x * z - s * y, t * y * z + s * x, t * z * z + c);
}

}  // namespace

// ---- Poses of attached vessels ----

// A hanging vessel's pose follows from its parent's pose and the two points. It is
// worked out when it is next read, not each time a point or the parent moves: a
// station's step swings thousands of pallet points, and nothing reads the poses of
// their payloads until a save, a picture or a module asks. A vessel whose placement
// is due has all its children due too.

namespace {

Vessel* parentOf(const Vessel& v) { return v.attachedTo() ? v.attachedTo()->partner->owner : nullptr; }

// Places a hanging vessel whose parent's pose is current. The child's point coincides
// with the parent's point, points the opposite way, and its rotation vector is
// parallel to the parent point's.
void placeFromParent(Vessel& child) {
    Attachment* own = child.attachedTo();
    if (!own) return;
    ++reg().treeSteps;
    const Attachment& at = *own->partner;
    Vessel& parent = *at.owner;
    child.placementDue = false;
    // A child flies with its parent, relative to the parent's body.
    if (child.body != parent.body || child.landed) {
        child.body = parent.body;
        child.status = parent.status;
        child.landed = false;
    }
    VECTOR3 pos = parent.pos + mul(parent.rot, at.pos);
    VECTOR3 dir = mul(parent.rot, at.dir);
    VECTOR3 rot = mul(parent.rot, at.rot);
    const MATRIX3 childRot = product(frameOf(-dir, rot), transposed(frameOf(own->dir, own->rot)));
    const VECTOR3 childPos = pos - mul(childRot, own->pos);
    if (!finite(childPos) || !finite(childRot)) {
        Host::instance().holdPose(child);
        return;
    }
    child.rot = childRot;
    child.pos = childPos;
    child.vel = parent.vel;
    child.arotStale = true;
    child.moved = child.accelerated = child.turned = true;
    placeChildrenLater(child);
}

// Work lists reused from call to call, so that walking a tree allocates nothing once
// they have grown: one for the way up, one for the way down, which placing a vessel
// on the way up takes.
std::vector<Vessel*>& emptied(std::vector<Vessel*>& list) {
    list.clear();
    return list;
}
std::vector<Vessel*>& upWalk() {
    static auto& list = *new std::vector<Vessel*>;  // outlives static destruction, as the host does
    return emptied(list);
}
std::vector<Vessel*>& downWalk() {
    static auto& list = *new std::vector<Vessel*>;
    return emptied(list);
}

}  // namespace

// Trees are walked with a list, never by recursion: a chain of vessels may be as deep
// as memory allows.
void placeChild(Vessel& child) {
    // The vessels above that are due are placed first, from the top down.
    std::vector<Vessel*>& above = upWalk();
    for (Vessel* up = parentOf(child); up && up->placementDue; up = parentOf(*up)) {
        ++reg().treeSteps;
        above.push_back(up);
    }
    for (auto it = above.rbegin(); it != above.rend(); ++it) placeFromParent(**it);
    placeFromParent(child);
}

void placeLater(Vessel& child) {
    // Both in the record's first line, which a pallet's swing reads of its payload.
    if (child.placementDue || !child.parentHandle) return;
    child.placementDue = true;
    reg().placementsDue = true;
    placeChildrenLater(child);
}

void placeChildrenLater(Vessel& parent) {
    if (parent.children.empty()) return;
    // Everything below is marked; below a vessel that is due already, everything is.
    std::vector<Vessel*>& below = downWalk();
    below.assign(parent.children.begin(), parent.children.end());
    while (!below.empty()) {
        Vessel* v = below.back();
        below.pop_back();
        ++reg().treeSteps;
        if (v->placementDue) continue;
        v->placementDue = true;
        below.insert(below.end(), v->children.begin(), v->children.end());
    }
    reg().placementsDue = true;
}

void settlePlacement(const Vessel& v) {
    // The records themselves are never const: a pose is kept up to date on reading.
    if (v.placementDue) placeChild(const_cast<Vessel&>(v));
}

std::uint64_t Host::treeSteps() const { return reg().treeSteps; }

void Host::settlePlacements() const {
    if (!reg().placementsDue) return;
    for (Vessel* v : order_) settlePlacement(*v);
    reg().placementsDue = false;
}

// ---- Which vessel hangs above which ----

namespace {

// A vessel somewhere above this one, or null when it hangs from nothing. Shortcuts are
// made as tops are found and dropped all at once when any vessel lets go, so that
// they only ever skip vessels that are still above.
Vessel* shortcutUp(Vessel& v) {
    if (v.aboveEpoch != reg().linkEpoch) {
        v.above = parentOf(v);
        v.aboveEpoch = reg().linkEpoch;
    }
    return v.above;
}

// The vessel at the top of v's tree; every vessel on the way is then pointed at it.
Vessel* topOf(Vessel& v) {
    Vessel* top = &v;
    for (Vessel* up; (up = shortcutUp(*top)) != nullptr; top = up) ++reg().treeSteps;
    for (Vessel* at = &v; at != top;) std::exchange(at, std::exchange(at->above, top));
    return top;
}

}  // namespace

// The check runs on every link a scenario makes, so its cost must not grow with the
// depth of a tree: a vessel that holds nothing is nobody's ancestor, and one that
// hangs from nothing is an ancestor exactly when it is the top of the other's tree.
// Only a vessel that both hangs and holds, moved by a module, is looked for step by step.
bool isAncestor(Vessel& candidate, Vessel& of) {
    if (candidate.children.empty()) return false;
    if (!candidate.attachedTo()) return topOf(of) == &candidate;
    for (Vessel* up = parentOf(of); up; up = parentOf(*up)) {
        ++reg().treeSteps;
        if (up == &candidate) return true;
    }
    return false;
}

// A link is kept in both points and in the child's record, and made and undone only here.
void hangVessel(Vessel& child, Attachment& own, Attachment& at) {
    Vessel& parent = *at.owner;
    child.above = &parent;
    child.aboveEpoch = reg().linkEpoch;
    at.partner = &own;
    at.partnerOwner = &child;
    own.partner = &at;
    own.partnerOwner = &parent;
    child.hangsFrom = &own;
    child.hangsByHandle = own.handle;
    child.parentHandle = parent.handle;
    reg().hangingChanged = true;
    parent.children.push_back(&child);
    // Placed when its pose is read, as after any move: a scenario's links are all made
    // before any pose is read, and a chain made link by link is then placed only once.
    placeLater(child);
}

void detachVessel(Vessel& child, const VECTOR3& extraVelocity) {
    Attachment* own = child.attachedTo();
    if (!own) return;
    settlePlacement(child);  // it flies on from where it hangs now
    Vessel& parent = *own->partnerOwner;
    own->partner->partner = nullptr;
    own->partner->partnerOwner = nullptr;
    own->partner = nullptr;
    own->partnerOwner = nullptr;
    child.hangsFrom = nullptr;
    child.hangsByHandle = nullptr;
    child.parentHandle = nullptr;
    reg().hangingChanged = true;
    ++reg().linkEpoch;
    std::erase(parent.children, &child);
    child.vel = parent.vel + extraVelocity;
    child.accelerated = true;
}

// ---- Host ----

// The host's process-wide state is never destroyed: a module still loaded at exit runs
// its unload entry after static destructors, and that entry calls into the host.
Host& Host::instance() {
    static Host& host = *new Host;
    return host;
}

Host::Host() : logFile_(std::make_unique<LogFile>()) {}
Host::~Host() = default;

void Host::reset() {
    while (!order_.empty()) destroyVessel(order_.back()->handle);
    unloadModules();
    moduleFailures_.clear();
    reg().pendingLinks.clear();
    reg().files.clear();
    reg().treeSteps = 0;
    for (const auto& hook : resetHooks_) hook();
    log_.clear();
    logLineCount_ = 0;
    logFile_->close();
    journal_.clear();
    journal_.enable(false);
    warnings_.clear();
    classes_.clear();
    unknownClass_ = UnknownClass::Error;
    setSimTime(0);
    startMjd_ = kDefaultMjd;
    bodies_.clear();
    focus_ = nullptr;
    inputBox_.reset();
    scenario_ = ScenarioInfo{};
}

void Host::addResetHook(std::function<void()> hook) { resetHooks_.push_back(std::move(hook)); }

void Host::setRoot(const std::filesystem::path& root) {
    root_ = root;
    classes_.clear();
}

void Host::writeLog(const std::string& line) {
    ++logLineCount_;
    if (log_.size() < kLogLinesKept) log_.push_back(line);
    logFile_->append(line);
}

std::string Host::setLogFile(const std::filesystem::path& file) {
    if (auto input = protectedInput(file); !input.empty())
        return "the log " + file.string() + " would overwrite " + input.string() + ", an input of this run";
    std::string error = logFile_->open(file);
    if (!error.empty()) return error;
    for (const auto& line : log_) logFile_->append(line);
    return {};
}

std::string Host::closeLog() { return logFile_->close(); }

void Host::warn(const std::string& text) {
    writeLog("Warning: " + text);
    warnings_.push_back(text);
}

std::vector<std::string> Host::takeWarnings() { return std::exchange(warnings_, {}); }

// ---- Modules and classes ----

namespace {
// Where a class's configuration file may be, in the order the simulator looks.
constexpr const char* kClassFolders[] = {"Config/Vessels", "Config"};
}  // namespace

std::string Host::classSearchPaths(const std::string& className) const {
    std::string out;
    for (const char* folder : kClassFolders)
        out += (out.empty() ? "" : ", ") + (root_ / folder).string() + "/" + className + ".cfg";
    return out + " (ignoring case)";
}

const VesselClass* Host::readClass(const std::string& className) {
    auto [entry, fresh] = classes_.try_emplace(lowered(className));
    if (!fresh) return entry->second ? &*entry->second : nullptr;
    std::optional<std::filesystem::path> file;
    for (const char* folder : kClassFolders)
        if (!file) file = findAddonFile(root_, folder, className, ".cfg");
    if (!file) return nullptr;
    std::string text;
    if (std::string why = readInputFile(*file, text); !why.empty()) {
        writeLog("Class " + className + " cannot be read: " + why);
        return nullptr;
    }
    VesselClass& cls = entry->second.emplace();
    cls.name = className;
    cls.file = *file;
    std::istringstream in(text);
    std::string raw;
    while (std::getline(in, raw)) {
        std::string_view line = trim(std::string_view(raw).substr(0, std::string_view(raw).find(';')));
        auto eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view key = trim(line.substr(0, eq)), value = trim(line.substr(eq + 1));
        if (iequals(key, "Module")) cls.moduleName = value;
        else if (iequals(key, "EditorModule")) cls.editorModuleName = value;
        else if (iequals(key, "EmptyMass")) {
            double m;
            if (readNumbers(value, &m, 1) == 1) cls.emptyMass = m;
        }
    }
    return &cls;
}

Module* Host::findModule(const std::string& name) {
    for (auto& m : modules_)
        if (iequals(m->name, name)) return m.get();
    return nullptr;
}

Module* Host::loadModule(const std::string& name, std::string* whyNot) {
    if (Module* m = findModule(name)) return m;
    auto refuse = [&](const std::string& why) -> Module* {
        writeLog("Module " + name + " could not be loaded: " + why);
        moduleFailures_[lowered(name)] = why;
        if (whyNot) *whyNot = why;
        return nullptr;
    };
    if (auto failed = moduleFailures_.find(lowered(name)); failed != moduleFailures_.end()) {
        if (whyNot) *whyNot = failed->second;
        return nullptr;
    }
    if (!isInsideName(name) || name.find_first_of("/\\") != std::string::npos) return refuse("a bad module name");
    auto m = std::make_unique<Module>();
    m->name = name;
    auto file = findAddonFile(root_, "Modules", name, kModuleSuffix);
    if (!file) return refuse("there is no " + (root_ / "Modules" / (name + kModuleSuffix)).string());
    m->path = *file;
    if (std::string why = checkSharedObject(m->path); !why.empty()) return refuse(why);
    // The module's process entry runs inside the load: it calls InitLib.
    std::string why;
    m->library = loadLibrary(m->path, why);
    if (!m->library) return refuse(why);
    auto h = static_cast<HMODULE>(m->library);
    m->ovcInit = moduleExport<Module::OvcInitFn>(h, "ovcInit");
    m->ovcExit = moduleExport<Module::OvcExitFn>(h, "ovcExit");
    m->secInit = moduleExport<Module::SecInitFn>(h, "secInit");
    m->getModuleVersion = moduleExport<Module::VersionFn>(h, "GetModuleVersion");
    modules_.push_back(std::move(m));
    if (auto init = moduleExport<Module::InitModuleFn>(h, "InitModule")) init(h);
    return modules_.back().get();
}

void Host::unloadModule(const std::string& name) {
    for (auto it = modules_.begin(); it != modules_.end(); ++it) {
        if (!iequals((*it)->name, name)) continue;
        for (size_t i = order_.size(); i-- > 0;)
            if (order_[i]->module == it->get()) destroyVessel(order_[i]->handle);
        // The module's process entry runs inside the unload: it calls the unload entry.
        unloadLibrary(static_cast<HMODULE>((*it)->library));
        modules_.erase(it);
        return;
    }
}

void Host::unloadModules() {
    while (!modules_.empty()) unloadModule(modules_.back()->name);
}

// ---- Vessels ----

namespace {
// A vessel of a class without a module, or whose module could not make one.
class PlainVessel final : public VESSEL3 {
public:
    using VESSEL3::VESSEL3;
};
}  // namespace

OBJHANDLE Host::createVessel(const std::string& name, const std::string& className,
                             const std::vector<std::string>& scenarioLines) {
    return createVessel(VesselBlock{name, className, scenarioLines, {}});
}

OBJHANDLE Host::createVessel(const VesselBlock& block) {
    const std::string& name = block.name;
    if (name.empty() || vesselByName(name)) {
        writeLog("Vessel name taken or empty: " + name);
        return nullptr;
    }
    const VesselClass* cls = readClass(block.className);
    if (!cls && unknownClass_ == UnknownClass::Error) {
        writeLog("Unknown vessel class " + block.className + " of " + name);
        return nullptr;
    }
    auto [v, handle] = reg().vessels.emplace();
    v->name = name;
    v->className = block.className;
    v->handle = handle;
    order_.push_back(v);
    reg().hangingChanged = true;
    byName_.emplace(lowered(name), v);

    if (cls && !cls->moduleName.empty()) {
        Module* m = loadModule(cls->moduleName);
        if (m && m->ovcInit) {
            v->iface = m->ovcInit(v->handle, 1);
            if (v->iface) v->module = m;
            else writeLog("Module " + m->name + " made no vessel for " + name);
        } else if (m) {
            writeLog("Module " + m->name + " has no ovcInit; " + name + " is a plain vessel");
        }
    }
    if (!v->iface) {
        auto* plain = new PlainVessel(v->handle, 1);
        shareHostVessel(*plain);  // modules may ask it for its type
        v->iface = plain;
    }
    if (v->iface->Version() >= 1) v->withCallbacks = static_cast<VESSEL2*>(v->iface);

    VESSEL2* callbacks = v->callbacks();
    if (callbacks) callbacks->clbkSetClassCaps(nullptr);
    if (cls && cls->emptyMass) v->emptyMass = *cls->emptyMass;

    auto [reading, scn] = reg().files.emplace();
    reading->lines = block.lines;
    reading->lineNumbers = block.lineNumbers;
    int status = 0;
    reg().reading = reading;
    if (callbacks) {
        callbacks->clbkLoadStateEx(scn, &status);
    } else {  // a bare VESSEL reads no line itself
        char* line;
        while (oapiReadScenario_nextline(scn, line)) v->iface->ParseScenarioLineEx(line, &status);
    }
    reg().reading = nullptr;
    reg().files.remove(scn);
    return v->handle;
}

void Host::destroyVessel(OBJHANDLE handle) {
    Vessel* v = vessel(handle);
    if (!v) return;
    // Children fly free, the vessel leaves its parent and its docks.
    while (!v->children.empty()) detachVessel(*v->children.back(), _V(0, 0, 0));
    detachVessel(*v, _V(0, 0, 0));
    for (size_t i = 0; i < v->docks.size(); ++i) undockPort(*v, i);
    if (inputBox_ && inputBox_->opener == handle) inputBox_.reset();

    // The module's object may still call the host while it is destroyed. Only the
    // module knows its object's class; without ovcExit the object stays its own.
    if (!v->module) delete static_cast<PlainVessel*>(v->iface);
    else if (v->module->ovcExit) v->module->ovcExit(v->iface);
    else writeLog("Module " + v->module->name + " has no ovcExit; the object of " + v->name + " is left to it");
    v->iface = nullptr;
    v->withCallbacks = nullptr;

    for (auto& anim : v->animations)
        while (!anim.components.empty()) deleteComponent(*v, anim.components.back());
    for (Dock* d : v->docks) reg().docks.remove(d->handle);
    for (Attachment* a : v->parentPoints) reg().attachments.remove(a->handle);
    for (Attachment* a : v->childPoints) reg().attachments.remove(a->handle);
    std::erase_if(reg().pendingLinks, [v](const PendingLink& l) { return l.vessel == v; });
    std::erase(order_, v);
    reg().hangingChanged = true;
    byName_.erase(lowered(v->name));
    if (focus_ == handle) focus_ = order_.empty() ? nullptr : order_.front()->handle;
    reg().vessels.remove(handle);
}

Vessel* Host::vessel(OBJHANDLE handle) const {
    Vessel* v = reg().vessels.get(handle);
    if (v) settlePlacement(*v);
    return v;
}

Vessel* Host::vesselByName(const std::string& name) const {
    auto found = byName_.find(lowered(name));
    if (found == byName_.end()) return nullptr;
    settlePlacement(*found->second);
    return found->second;
}

const std::vector<Vessel*>& Host::vessels() const {
    settlePlacements();
    return order_;
}

// Why a link named in a scenario cannot be made; empty when it can.
std::string Host::linkProblem(const PendingLink& l) {
    // Found without being placed: placing here, between the links, would place the
    // vessels of a growing chain again and again.
    const auto found = byName_.find(lowered(l.otherName));
    Vessel* other = found == byName_.end() ? nullptr : found->second;
    if (!other) return "there is no vessel named " + l.otherName;
    if (other == l.vessel) return "a vessel cannot be linked to itself";
    auto count = [](size_t n, const char* what) { return std::to_string(n) + " " + what; };
    if (l.attachment) {
        if (l.ownIndex >= l.vessel->parentPoints.size())
            return l.vessel->name + " has " + count(l.vessel->parentPoints.size(), "points to hang from");
        if (l.otherIndex >= other->childPoints.size())
            return other->name + " has " + count(other->childPoints.size(), "points to carry vessels");
        if (l.vessel->attachedTo()) return l.vessel->name + " hangs from another vessel already";
        if (other->childPoints[l.otherIndex]->partner) return "that point of " + other->name + " is in use";
        return attach(other->handle, l.otherIndex, l.vessel->handle, l.ownIndex) ? "" : "the attachment was refused";
    }
    if (l.ownIndex >= l.vessel->docks.size()) return l.vessel->name + " has " + count(l.vessel->docks.size(), "ports");
    if (l.otherIndex >= other->docks.size()) return other->name + " has " + count(other->docks.size(), "ports");
    const Dock* own = l.vessel->docks[l.ownIndex];
    // Both sides of a docking name it; the second finds it made.
    if (own->mate && own->mate == other->docks[l.otherIndex]) return "";
    if (own->mate || other->docks[l.otherIndex]->mate) return "a port is in use";
    return dock(l.vessel->handle, l.ownIndex, other->handle, l.otherIndex) ? "" : "the docking was refused";
}

// A link that cannot be made is reported and kept as written, so that a save loses nothing.
void Host::resolvePendingLinks() {
    auto links = std::move(reg().pendingLinks);
    reg().pendingLinks.clear();
    for (const PendingLink& l : links) {
        std::string why = linkProblem(l);
        if (why.empty()) continue;
        const char* key = l.attachment ? "ATTACHED" : "DOCKINFO";
        warn((l.line > 0 ? "line " + std::to_string(l.line) + ": " : std::string()) + key + " " + l.item + " of " +
             l.vessel->name + " kept but not made: " + why);
        if (l.attachment) l.vessel->unmadeAttachment = l.item;
        else l.vessel->unmadeDocks.push_back(l.item);
    }
}

bool Host::dock(OBJHANDLE a, UINT portA, OBJHANDLE b, UINT portB) {
    Vessel* va = vessel(a);
    Vessel* vb = vessel(b);
    if (!va || !vb || va == vb || portA >= va->docks.size() || portB >= vb->docks.size()) return false;
    Dock* da = va->docks[portA];
    Dock* db = vb->docks[portB];
    if (da->mate || db->mate) return false;
    da->mate = db;
    db->mate = da;
    ++va->dockedPorts;
    ++vb->dockedPorts;
    if (VESSEL2* callbacks = va->callbacks()) callbacks->clbkDockEvent(int(portA), b);
    if (VESSEL2* callbacks = vb->callbacks()) callbacks->clbkDockEvent(int(portB), a);
    return true;
}

bool Host::attach(OBJHANDLE parent, UINT childPointIndex, OBJHANDLE child, UINT parentPointIndex) {
    // Poses play no part in a link; the child is placed when its pose is read.
    Vessel* p = reg().vessels.get(parent);
    Vessel* c = reg().vessels.get(child);
    if (!p || !c || childPointIndex >= p->childPoints.size() || parentPointIndex >= c->parentPoints.size())
        return false;
    bool was = journal_.enabled();
    journal_.enable(false);  // the host's own call, not a module's
    bool ok = p->iface->AttachChild(child, p->childPoints[childPointIndex]->handle,
                                    c->parentPoints[parentPointIndex]->handle);
    journal_.enable(was);
    return ok;
}

// ---- Clock and motion ----

double Host::mjd() const { return startMjd_ + simTime_ / 86400.0; }

void Host::setMjd(double mjd) { startMjd_ = mjd - simTime_ / 86400.0; }

VECTOR3 Host::globalPosition(const Vessel& v) {
    settlePlacement(v);
    return bodies_.position(v.body, mjd()) + v.pos;
}

namespace {

// With thousands of vessels their records are no longer in the nearer caches, and a
// step would wait for each. So what the vessels a few places ahead will read is asked
// for early, in stages: each stage reads only addresses that an earlier stage asked
// for, so that it does not wait either. A carrier swings the points its payloads hang
// by, so its points are asked for too. Only lines a step reads are asked for: a big
// station's step is as fast as its lines fit the caches.
constexpr size_t kStage = 5;  // vessels between stages

// Asks for the cache lines of [first, end).
void fetchLines(const void* first, const void* end) {
    for (auto line = reinterpret_cast<std::uintptr_t>(first) & ~std::uintptr_t(63);
         line < reinterpret_cast<std::uintptr_t>(end); line += 64)
        __builtin_prefetch(reinterpret_cast<const void*>(line));
}

// What every step reads of a record, and what the motion of a free vessel reads.
void fetchRecord(const Vessel* v) { fetchLines(v, &v->placementDue + 1); }
void fetchMotion(const Vessel* v) { fetchLines(&v->vel, &v->landed + 1); }
// The pose, which a hanging vessel's step does not read: it is placed when read.
void fetchPose(const Vessel* v) { fetchLines(&v->pos, &v->rot + 1); }

bool nonZero(const VECTOR3& v) { return v.x != 0 || v.y != 0 || v.z != 0; }

// What a step reads of a point: all but its id. The point a vessel hangs by is not
// read: the record holds what a step asks of it.
void fetchPoint(const Attachment* a) { fetchLines(a, &a->id); }

void fetchAhead(const std::vector<Vessel*>& order, size_t i) {
    const size_t n = order.size();
    if (i + 4 * kStage < n) fetchRecord(order[i + 4 * kStage]);
    if (i + 3 * kStage < n) {
        const Vessel* v = order[i + 3 * kStage];
        if (const char* object = reinterpret_cast<const char*>(v->callbacks())) {
            __builtin_prefetch(object);
            __builtin_prefetch(object + 64);
            __builtin_prefetch(object + 128);
        }
        if (!v->parentHandle) fetchPose(v);
        // Only a vessel that holds others has its child points read, which lie past line 0.
        if (!v->children.empty()) fetchLines(&v->childPoints, &v->childPoints + 1);
    }
    if (i + 2 * kStage < n) {
        const Vessel* v = order[i + 2 * kStage];
        if (!v->children.empty()) __builtin_prefetch(v->childPoints.data());
    }
    if (i + kStage < n) {
        const Vessel* v = order[i + kStage];
        if (!v->children.empty())
            for (const Attachment* a : v->childPoints) fetchPoint(a);
    }
}

}  // namespace

void Host::step(double dt) {
    const double date = mjd();
    for (size_t i = 0; i < order_.size(); ++i) {
        fetchAhead(order_, i);
        if (VESSEL2* callbacks = order_[i]->callbacks()) callbacks->clbkPreStep(simTime_, dt, date);
    }
    moveVessels(dt);
    // Time is counted in steps of one length, so that it does not drift by sums.
    if (dt != stepLength_) {
        timeOrigin_ = simTime_;
        stepLength_ = dt;
        stepsAtLength_ = 0;
    }
    simTime_ = timeOrigin_ + double(++stepsAtLength_) * stepLength_;
}

void Host::setSimTime(double t) {
    simTime_ = timeOrigin_ = t;
    stepsAtLength_ = 0;
}

// A motion that would leave the range of numbers is not made: the vessel holds its
// last pose, so that nothing that is not a number is ever written.
void Host::holdPose(Vessel& v) {
    if (v.poseHeld) return;
    v.poseHeld = true;
    warn(v.name + " holds its last pose: its motion would leave the range of numbers");
}

void Host::moveVessels(double dt) {
    // Only vessels that hang from nothing move; the hanging ones go with their parents.
    // The list is made again after a change, so that a step of a big station does not
    // read the records of its payloads a second time.
    if (reg().hangingChanged) {
        freeVessels_.clear();
        freeVessels_.reserve(order_.size());
        for (Vessel* v : order_)
            if (!v->attachedTo()) freeVessels_.push_back(v);
        reg().hangingChanged = false;
    }
    for (size_t i = 0; i < freeVessels_.size(); ++i) {
        // Little is done per vessel here, so the records are asked for further ahead.
        if (i + 4 * kStage < freeVessels_.size()) fetchMotion(freeVessels_[i + 4 * kStage]);
        // Only a vessel that moves has its pose read here.
        if (i + 2 * kStage < freeVessels_.size()) {
            const Vessel* ahead = freeVessels_[i + 2 * kStage];
            if (!ahead->landed && (nonZero(ahead->vel) || nonZero(ahead->angVel))) fetchPose(ahead);
        }
        Vessel* v = freeVessels_[i];
        if (v->landed) continue;
        bool moved = false;
        if (nonZero(v->vel)) {
            const VECTOR3 pos = v->pos + v->vel * dt;
            if (finite(pos)) {
                v->pos = pos;
                v->moved = moved = true;
            } else {
                holdPose(*v);
            }
        }
        // A turn rate too small to survive the change to radians turns nothing.
        if (const VECTOR3 w = v->angVel * kRadPerDeg; nonZero(w)) {
            const double rate = std::hypot(w.x, w.y, w.z);
            const MATRIX3 rot = product(v->rot, axisRotation(w / rate, rate * dt));
            if (finite(rot)) {
                v->rot = rot;
                v->arotStale = true;
                v->turned = moved = true;
            } else {
                holdPose(*v);
            }
        }
        // What hangs from it is placed anew when next read; a parent at rest moves nothing.
        if (moved) placeChildrenLater(*v);
    }
}

void Host::setPose(OBJHANDLE handle, const VECTOR3& pos, const MATRIX3& rot) {
    Vessel* v = vessel(handle);
    if (!v) return;
    v->pos = pos;
    v->rot = rot;
    v->arotStale = true;
    v->moved = v->turned = true;
    placeChildrenLater(*v);
}

void Host::setAttitude(OBJHANDLE handle, const VECTOR3& arotDegrees) {
    Vessel* v = vessel(handle);
    if (!v) return;
    v->arot = arotDegrees;
    v->arotStale = false;
    v->rot = rotationFromAngles(arotDegrees);
    placeChildrenLater(*v);
}

// Attitude angles (degrees): the vessel frame is turned about x by a, then about y by
// b, then about z by c, all in the global frame: R = Rz(c) Ry(b) Rx(a).
MATRIX3 Host::rotationFromAngles(const VECTOR3& a) {
    double ca = std::cos(a.x * kRadPerDeg), sa = std::sin(a.x * kRadPerDeg);
    double cb = std::cos(a.y * kRadPerDeg), sb = std::sin(a.y * kRadPerDeg);
    double cc = std::cos(a.z * kRadPerDeg), sc = std::sin(a.z * kRadPerDeg);
    MATRIX3 rx = _M(1, 0, 0, 0, ca, -sa, 0, sa, ca);
    MATRIX3 ry = _M(cb, 0, sb, 0, 1, 0, -sb, 0, cb);
    MATRIX3 rz = _M(cc, -sc, 0, sc, cc, 0, 0, 0, 1);
    return product(rz, product(ry, rx));
}

VECTOR3 Host::anglesFromRotation(const MATRIX3& r) {
    double sb = std::clamp(-r.m31, -1.0, 1.0);
    double b = std::asin(sb);
    double a, c;
    if (std::fabs(sb) < 0.9999999) {
        a = std::atan2(r.m32, r.m33);
        c = std::atan2(r.m21, r.m11);
    } else {  // gimbal lock: put the whole turn into a
        a = std::atan2(-r.m23, r.m22);
        c = 0;
    }
    return _V(a / kRadPerDeg, b / kRadPerDeg, c / kRadPerDeg);
}

// ---- Keys and the input box ----

int Host::deliverKey(DWORD key, bool down, const std::vector<DWORD>& held) {
    Vessel* v = vessel(focus_);
    if (!v || key > 255) return 0;
    char state[256] = {};
    for (DWORD k : held)
        if (k < 256) state[k] = char(0x80);
    if (down) state[key] = char(0x80);
    VESSEL2* callbacks = v->callbacks();
    return callbacks ? callbacks->clbkConsumeBufferedKey(key, down, state) : 0;
}

int Host::pressKey(DWORD key, const std::vector<DWORD>& held) { return deliverKey(key, true, held); }
int Host::releaseKey(DWORD key, const std::vector<DWORD>& held) { return deliverKey(key, false, held); }

void Host::openInputBox(InputBox box) { inputBox_ = std::move(box); }

std::optional<bool> Host::answerInputBox(const std::string& text) {
    if (!inputBox_) return std::nullopt;
    InputBox box = std::move(*inputBox_);
    inputBox_.reset();  // the callback may open another box
    if (!box.callback) return false;
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    static int boxId;
    return box.callback(&boxId, buffer.data(), box.userData);
}

}  // namespace hostsim
