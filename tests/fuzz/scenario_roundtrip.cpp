// Fuzz target: the scenario reader. Any text that loads must save, load back and save
// again to the same text; nothing may crash on the way.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzHost.h"
#include "HostChecks.h"

namespace {
// One step lets the modules and the host's motion change what the save writes.
constexpr double kStepSeconds = 1.0;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzhost::keepModulesMapped();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hostsim::Host& host = fuzzhost::freshHost();
    if (!host.loadScenarioText(std::string(reinterpret_cast<const char*>(data), size)).empty()) return 0;
    if (auto broken = hostchecks::brokenRecord(host, false); !broken.empty()) fuzzhost::fail("after loading: " + broken);
    host.step(kStepSeconds);
    if (auto broken = hostchecks::brokenRecord(host, false); !broken.empty()) fuzzhost::fail("after a step: " + broken);
    std::string first;
    if (auto problem = hostchecks::reloadProblem(host, hostsim::UnknownClass::Plain, &first); !problem.empty())
        fuzzhost::fail(problem + "\n--- first save ---\n" + first);
    return 0;
}
