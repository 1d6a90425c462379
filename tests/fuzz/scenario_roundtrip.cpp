// Fuzz target: the scenario reader. Any text that loads must save, load back and save
// again to the same text; nothing may crash on the way.
//
// One case is let off the identity: a point that a vessel hangs by, moved by its module
// during the step (a solar segment's grapple point riding on its turning base, a pallet
// point in a turn). Where a point stands is not part of the saved state; a reload builds
// it where the vessel's build puts it, so the hanging vessel's pose may differ. Its save
// must still load.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzHost.h"
#include "HostChecks.h"

namespace {
// One step lets the modules and the host's motion change what the save writes.
constexpr double kStepSeconds = 1.0;

// Where the two points of every hanging link stand.
std::vector<VECTOR3> hangingPointPoses(const hostsim::Host& host) {
    std::vector<VECTOR3> poses;
    for (const hostsim::Vessel* v : host.vessels())
        if (const hostsim::Attachment* own = v->attachedTo())
            for (const hostsim::Attachment* point : {own, static_cast<const hostsim::Attachment*>(own->partner)})
                if (point) poses.insert(poses.end(), {point->pos, point->dir, point->rot});
    return poses;
}

bool samePoses(const std::vector<VECTOR3>& a, const std::vector<VECTOR3>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].x != b[i].x || a[i].y != b[i].y || a[i].z != b[i].z) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzhost::keepModulesMapped();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hostsim::Host& host = fuzzhost::freshHost();
    if (!host.loadScenarioText(std::string(reinterpret_cast<const char*>(data), size)).empty()) return 0;
    if (auto broken = hostchecks::brokenRecord(host, false); !broken.empty()) fuzzhost::fail("after loading: " + broken);
    const std::vector<VECTOR3> posesBefore = hangingPointPoses(host);
    host.step(kStepSeconds);
    if (auto broken = hostchecks::brokenRecord(host, false); !broken.empty()) fuzzhost::fail("after a step: " + broken);
    if (!samePoses(posesBefore, hangingPointPoses(host))) {
        const std::string save = host.saveScenarioText();
        if (std::string error = fuzzhost::freshHost().loadScenarioText(save); !error.empty())
            fuzzhost::fail("the save does not load: " + error + "\n--- save ---\n" + save);
        return 0;
    }
    std::string first;
    if (auto problem = hostchecks::reloadProblem(host, hostsim::UnknownClass::Plain, &first); !problem.empty())
        fuzzhost::fail(problem + "\n--- first save ---\n" + first);
    return 0;
}
