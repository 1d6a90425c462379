// Fuzz target: the scenario editor's pages worked with typed text. Every line of the
// input is an editor action as a script writes it after "editor" ("VESSEL PAGE ACTION
// ..."), carried out on a carrier and four truss segments, with a step after each.
// After every action the host's records must be consistent and every animation state
// within 0 to 1; at the end the scenario must save, load back and save the same text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzHost.h"
#include "HostChecks.h"
#include "hostsim/Editor.h"

namespace {

constexpr const char* kStation = R"(BEGIN_SHIPS
C:Haulbed
  RPOS 100000000000 0 0
  SEGS 2
END
R:Truss
  TYPE 61
  ATTACHED 0:1,C
END
T:Truss
  TYPE 6
  RPOS 100000000000 20 0
END
S:Truss
  TYPE 63
  RPOS 100000000000 -20 0
END
B:Truss
  TYPE 2
  RPOS 100000000000 0 20
END
END_SHIPS
)";

constexpr double kStepSeconds = 1.0;
// Lines beyond this are not worked, so that an input's run stays short.
constexpr int kMaxLines = 64;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzhost::keepModulesMapped();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    hostsim::Host* host = nullptr;
    for (int n = 0; n < kMaxLines && !rest.empty(); ++n) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        hostsim::EditorCommand command;
        if (!hostsim::parseEditorCommand(line, command).empty()) continue;
        // The station is loaded for the first action that reads.
        if (!host) {
            host = &fuzzhost::freshHost();
            if (auto error = host->loadScenarioText(kStation); !error.empty())
                fuzzhost::fail("the station does not load: " + error);
        }
        hostsim::editorAction(command.vessel, command.page, command.words);
        host->step(kStepSeconds);
        if (auto broken = hostchecks::brokenRecord(*host, true); !broken.empty())
            fuzzhost::fail("after \"" + std::string(line) + "\": " + broken);
    }
    if (!host) return 0;
    std::string first;
    if (auto problem = hostchecks::reloadProblem(*host, hostsim::UnknownClass::Plain, &first); !problem.empty())
        fuzzhost::fail(problem + "\n--- first save ---\n" + first);
    return 0;
}
