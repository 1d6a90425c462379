// The host's object tables behind the handles it issues, and the scenario file
// objects that FILEHANDLEs stand for.
#pragma once

#include <string>
#include <vector>

#include "HandleTable.h"
#include "hostsim/World.h"

namespace hostsim {

// A vessel block being read (clbkLoadStateEx) or written (clbkSaveState).
struct ScenarioFile {
    std::vector<std::string> lines;  // read: the block's lines; write: the lines written
    size_t next = 0;                 // read position
    std::string current;             // the line handed to the module, which may change it
    bool writing = false;
};

// Links named in scenario lines, made once every vessel exists.
struct PendingLink {
    Vessel* vessel = nullptr;
    bool attachment = false;  // ATTACHED; otherwise DOCKINFO
    UINT ownIndex = 0;
    UINT otherIndex = 0;
    std::string otherName;
};

struct Registry {
    HandleTable<Vessel, HandleKind::Vessel> vessels;
    HandleTable<Dock, HandleKind::Dock> docks;
    HandleTable<Attachment, HandleKind::Attachment> attachments;
    HandleTable<AnimationComponent, HandleKind::Component> components;
    HandleTable<ScenarioFile, HandleKind::File> files;
    std::vector<PendingLink> pendingLinks;
    std::vector<std::string> malformedLines;  // host lines whose values did not read

    static Registry& get() {
        static Registry& r = *new Registry;  // see Host::instance
        return r;
    }
};

// Shared by the vessel interface and the host.
void detachVessel(Vessel& child, const VECTOR3& extraVelocity);
void placeChild(Vessel& child);
void placeChildren(Vessel& parent);
bool undockPort(Vessel& v, size_t port);
void deleteComponent(Vessel& v, AnimationComponent* c);
bool applyStandardLine(Vessel& v, std::string_view line);
void writeStandardLines(Vessel& v, ScenarioFile& f);

}  // namespace hostsim
