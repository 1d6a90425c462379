// Fuzz target: the carrier's typed commands. Two carriers and three truss segments,
// one of them on a pallet; every line of the input is typed into the command box that
// Ctrl+Space opens on the focus vessel, with a step after each. Lines of the form
// "#K" or "#^K" press K or Ctrl+K instead, and "@NAME" gives NAME the focus. After
// every line the host's records must be consistent and every animation state within
// 0 to 1.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzHost.h"
#include "HostChecks.h"

namespace {

constexpr const char* kStation = R"(BEGIN_FOCUS
  Ship C
END_FOCUS
BEGIN_SHIPS
C:Haulbed
  RPOS 100000000000 0 0
  SEGS 2
END
D:Haulbed
  RPOS 100000000000 30 0
  SEGS 1
  STS
END
A:Truss
  TYPE 63
  ATTACHED 0:1,C
END
B:Truss
  TYPE 2
  RPOS 100000000000 -20 0
END
E:Truss
  TYPE 61
  RPOS 100000000000 0 20
END
END_SHIPS
)";

// A turn of 0.05 per step: a half turn in ten steps.
constexpr double kStepSeconds = 4.0;
// Lines beyond this are not worked, so that an input's run stays short.
constexpr int kMaxLines = 64;

void work(hostsim::Host& host, std::string_view line) {
    if (line == "#K" || line == "#^K") {
        host.pressKey(OAPI_KEY_K, line.size() == 3 ? std::vector<DWORD>{OAPI_KEY_LCONTROL} : std::vector<DWORD>{});
    } else if (!line.empty() && line.front() == '@') {
        if (hostsim::Vessel* v = host.vesselByName(std::string(line.substr(1)))) host.setFocus(v->handle);
    } else {
        host.pressKey(OAPI_KEY_SPACE, {OAPI_KEY_LCONTROL});
        host.answerInputBox(std::string(line));
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzhost::keepModulesMapped();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hostsim::Host& host = fuzzhost::freshHost();
    if (auto error = host.loadScenarioText(kStation); !error.empty()) fuzzhost::fail("the station does not load: " + error);
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    for (int n = 0; n < kMaxLines && !rest.empty(); ++n) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        work(host, line);
        host.step(kStepSeconds);
        if (auto broken = hostchecks::brokenRecord(host, true); !broken.empty())
            fuzzhost::fail("after \"" + std::string(line) + "\": " + broken);
    }
    return 0;
}
