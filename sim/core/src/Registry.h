// The host's object tables behind the handles it issues, and the scenario file
// objects that FILEHANDLEs stand for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "HandleTable.h"
#include "hostsim/World.h"

namespace hostsim {

// A vessel block being read (clbkLoadStateEx) or written (clbkSaveState).
struct ScenarioFile {
    std::vector<std::string> lines;  // read: the block's lines; write: the lines written
    std::vector<int> lineNumbers;    // read: each line's number in the scenario file, if known
    size_t next = 0;                 // read position
    std::string current;             // the line handed to the module, which may change it
    int currentLine = 0;             // its number in the scenario file; 0 when unknown
    bool writing = false;
};

// Links named in scenario lines, made once every vessel exists.
struct PendingLink {
    Vessel* vessel = nullptr;
    bool attachment = false;  // ATTACHED; otherwise DOCKINFO
    UINT ownIndex = 0;
    UINT otherIndex = 0;
    std::string otherName;
    std::string item;  // as written: "i:j,Name"
    int line = 0;      // in the scenario file; 0 when unknown
};

// A host line whose values did not read.
struct MalformedLine {
    std::string text;
    int line = 0;
};

struct Registry {
    HandleTable<Vessel, HandleKind::Vessel> vessels;
    HandleTable<Dock, HandleKind::Dock> docks;
    HandleTable<Attachment, HandleKind::Attachment> attachments;
    HandleTable<AnimationComponent, HandleKind::Component> components;
    HandleTable<ScenarioFile, HandleKind::File> files;
    std::vector<PendingLink> pendingLinks;
    std::vector<MalformedLine> malformedLines;
    ScenarioFile* reading = nullptr;  // the block clbkLoadStateEx is reading now
    bool placementsDue = false;       // some vessel's placement is due (see placeLater)
    bool hangingChanged = true;       // a vessel was made, removed, attached or let go
    std::uint64_t linkEpoch = 1;      // counts the vessels let go: older shortcuts up a tree are void
    std::uint64_t treeSteps = 0;      // steps through trees of vessels, see Host::treeSteps

    static Registry& get() {
        static Registry& r = *new Registry;  // see Host::instance
        return r;
    }
};

// Shared by the vessel interface and the host.
// Hangs a vessel that hangs from nothing by its point `own` from the point `at`; it is
// placed when its pose is next read.
void hangVessel(Vessel& child, Attachment& own, Attachment& at);
void detachVessel(Vessel& child, const VECTOR3& extraVelocity);
// Whether `candidate` hangs, through any number of links, above `of`.
bool isAncestor(Vessel& candidate, Vessel& of);
// Places a hanging vessel now, after the vessels above it that are due; its children
// are placed later.
void placeChild(Vessel& child);
// Marks a hanging vessel, with what hangs from it, to be placed when its pose is read.
void placeLater(Vessel& child);
void placeChildrenLater(Vessel& parent);
// Makes a vessel's pose current if its placement is due.
void settlePlacement(const Vessel& v);
bool undockPort(Vessel& v, size_t port);
void deleteComponent(Vessel& v, AnimationComponent* c);
bool applyStandardLine(Vessel& v, std::string_view line);
void writeStandardLines(Vessel& v, ScenarioFile& f);

}  // namespace hostsim
