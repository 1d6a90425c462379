// A soak: a station of two carriers and every truss type under random keys, typed
// commands and editor actions. After every step every animation state lies within 0
// to 1 and the host's records are consistent; the heap in use stays flat after a
// warm-up; and the save at the end loads back to the same text.
//
// The suite runs 20,000 steps with a fixed seed. Other runs, e.g. the long one:
//   HOSTSIM_SOAK_STEPS=10000000 HOSTSIM_SOAK_SEED=1 build/default/tests/station_soak_test
// The seed is printed, so that a failure can be replayed.
#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "HostChecks.h"
#include "HostTest.h"
#include "hostsim/Editor.h"

// Every plain form of new and delete is replaced, so that the heap in use by the host
// and the modules can be counted.
namespace {
long long liveBytes = 0;
}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    void* p = std::malloc(size ? size : 1);
    if (p) liveBytes += static_cast<long long>(malloc_usable_size(p));
    return p;
}
void* operator new(std::size_t size) {
    if (void* p = operator new(size, std::nothrow)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return operator new(size, std::nothrow); }

// The replaced new takes its memory from malloc, so free is the matching release; GCC
// cannot see that once it inlines these into a caller.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
    if (p) liveBytes -= static_cast<long long>(malloc_usable_size(p));
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { operator delete(p); }
#pragma GCC diagnostic pop

namespace {

constexpr const char* kStation = R"(BEGIN_ENVIRONMENT
  System Sol
  Date MJD 60000
END_ENVIRONMENT
BEGIN_FOCUS
  Ship Hauler
END_FOCUS
BEGIN_SHIPS
Hauler:Haulbed
  STATUS Orbiting Earth
  RPOS 6778000 0 0
  VROT 0 0 0.5
  SEGS 3
END
Lifter:Haulbed
  STATUS Orbiting Earth
  RPOS 6778000 60 0
  SEGS 2
  STS
END
Base:Truss
  STATUS Orbiting Earth
  RPOS 6778000 -30 0
  TYPE 2
  STS
END
Short:Truss
  STATUS Orbiting Earth
  RPOS 6778000 -30 20
  TYPE 6
END
Middle:Truss
  STATUS Orbiting Earth
  RPOS 6778000 -30 40
  TYPE 12
END
Long:Truss
  STATUS Orbiting Earth
  RPOS 6778000 -30 60
  TYPE 18
END
Radiator:Truss
  TYPE 61
  ATTACHED 0:6,Hauler
END
Solar:Truss
  TYPE 63
  TRACKING
  ATTACHED 0:1,Hauler
END
Spare:Truss
  TYPE 63
  ATTACHED 0:2,Lifter
END
END_SHIPS
)";

const std::vector<std::string> kCarriers = {"Hauler", "Lifter"};
const std::vector<std::string> kSegments = {"Base", "Short", "Middle", "Long", "Radiator", "Solar", "Spare"};

// Carriers mostly keep a few segments (the editor's count is typed as 1 to 6, its
// arrows add or take one), and commands name pallet points up to here, so that some
// do not exist.
constexpr int kPalletsNamed = 28;
constexpr double kStepSeconds = 0.1;
// About one action in this many steps.
constexpr std::uint64_t kStepsPerAction = 8;

constexpr std::uint64_t kDefaultSteps = 20000;
constexpr std::uint64_t kDefaultSeed = 20240613;
// The heap is looked at this many times after the warm-up (the first quarter). Its
// peak in the second half of those looks may exceed the peak in the first half by
// this much: the station's make-up (segment types, carrier lengths) moves it up and
// down by some hundred kilobytes, while a leak keeps adding.
constexpr int kHeapSamples = 40;
constexpr double kHeapPeakGrowth = 0.25;
constexpr long long kHeapSlack = 64 * 1024;  // bytes

std::uint64_t fromEnvironment(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtoull(text, nullptr, 10) : fallback;
}

class StationSoak : public HostTest {
protected:
    std::uint64_t pick(std::uint64_t n) { return rng() % n; }
    const std::string& pickOf(const std::vector<std::string>& names) { return names[pick(names.size())]; }
    bool coin() { return pick(2) == 0; }
    std::string number(int lowest, int highest) { return std::to_string(lowest + int(pick(std::uint64_t(highest - lowest + 1)))); }

    void focus(const std::string& name) { host().setFocus(host().vesselByName(name)->handle); }

    void key(DWORD k, bool ctrl) {
        const std::vector<DWORD> held = ctrl ? std::vector<DWORD>{OAPI_KEY_LCONTROL} : std::vector<DWORD>{};
        host().pressKey(k, held);
        host().releaseKey(k, held);
    }

    void type(const std::string& carrier, const std::string& command) {
        focus(carrier);
        key(OAPI_KEY_SPACE, true);
        if (host().answerInputBox(command) == true) ++commandsDone;
    }

    void trussKey() {
        focus(pickOf(kSegments));
        constexpr DWORD kKeys[] = {OAPI_KEY_K, OAPI_KEY_G, OAPI_KEY_J, OAPI_KEY_D, OAPI_KEY_U};
        key(kKeys[pick(std::size(kKeys))], coin());
    }

    void carrierKey() {
        focus(pickOf(kCarriers));
        key(OAPI_KEY_K, coin());
    }

    void carrierCommand() {
        const std::string& carrier = pickOf(kCarriers);
        if (coin()) {
            // Mostly segments; now and then the other carrier or the carrier itself.
            const std::string& payload = pick(8) == 0 ? pickOf(kCarriers) : pickOf(kSegments);
            type(carrier, "GRAPPLE " + payload + " " + number(0, kPalletsNamed) + " " + number(0, 3));
        } else {
            type(carrier, "RELEASE " + number(0, kPalletsNamed));
        }
    }

    // Shows a page of a random vessel and works one to three of its controls.
    void editorActions() {
        std::vector<std::vector<std::string>> actions;
        std::string vessel, page;
        if (coin()) {
            vessel = pickOf(kSegments);
            page = "Vessel Management";
            const std::vector<std::string> types = {"2", "6", "12", "18", "61", "63"};
            const std::vector<std::string> buttons = {"1002", "1008", "1004", "1005", "1006"};
            const std::vector<std::string> boxes = {"1007", "1009"};
            actions = {{"select", "1001", pickOf(types)}, {"closeup", "1001"}, {"click", pickOf(buttons)},
                       {"check", pickOf(boxes), coin() ? "on" : "off"}};
        } else if (coin()) {
            vessel = pickOf(kCarriers);
            page = "Vessel Management";
            const std::vector<std::string> arrows = {"1006", "1007", "1008", "1009", "1010", "1011", "1012"};
            const std::vector<std::string> offsets = {"1015", "1004", "1005"};
            actions = {{"arrow", pickOf(arrows), coin() ? "up" : "down"},
                       {"type", "1001", number(1, 6)},
                       {"type", pickOf(offsets), number(-3, 3)},
                       {"check", "1002", coin() ? "on" : "off"}};
        } else {
            vessel = pickOf(kCarriers);
            page = "Payloads";
            actions = {{"select", "1009", "#" + number(0, 11)},
                       {"select", "1013", "#" + number(0, 8)},
                       {"closeup", "1013"},
                       {"select", "1014", "#" + number(0, 3)},
                       {"click", "1012"}};
        }
        hostsim::editorAction(vessel, page, {"show"});
        for (std::uint64_t n = 1 + pick(3); n > 0; --n)
            if (hostsim::editorAction(vessel, page, actions[pick(actions.size())]).empty()) ++editorActionsDone;
    }

    void randomAction() {
        switch (pick(8)) {
        case 0: case 1: case 2: trussKey(); break;
        case 3: carrierKey(); break;
        case 4: case 5: carrierCommand(); break;
        default: editorActions(); break;
        }
    }

    // What the host keeps for the vessels' animation indices, deleted ones included: a
    // segment that changes its type takes new indices, and the interface never reuses
    // one. It grows with type changes, by design, and is counted apart.
    static long long animationIndexBytes() {
        long long bytes = 0;
        for (const hostsim::Vessel* v : host().vessels())
            bytes += static_cast<long long>(v->animations.capacity() * sizeof(hostsim::Animation));
        return bytes;
    }

    std::mt19937_64 rng;
    // Typed commands the carrier carried out and editor actions that could be done,
    // so that the soak is seen to do something.
    long commandsDone = 0;
    long editorActionsDone = 0;
};

TEST_F(StationSoak, a_station_under_random_keys_commands_and_editor_actions_stays_sound_and_saves_what_it_reloads) {
    const std::uint64_t steps = fromEnvironment("HOSTSIM_SOAK_STEPS", kDefaultSteps);
    const std::uint64_t seed = fromEnvironment("HOSTSIM_SOAK_SEED", kDefaultSeed);
    std::cout << "soak: " << steps << " steps, seed " << seed << " (HOSTSIM_SOAK_STEPS, HOSTSIM_SOAK_SEED)\n";
    rng.seed(seed);
    ASSERT_EQ(host().loadScenarioText(kStation), "");

    const std::uint64_t warmUp = steps / 4;
    const std::uint64_t sampleEvery = std::max<std::uint64_t>(1, (steps - warmUp) / kHeapSamples);
    // The heap in use, without what the host keeps for animation indices.
    std::vector<long long> heap;
    long long indexStorageAtWarmUp = 0;
    for (std::uint64_t step = 0; step < steps; ++step) {
        if (pick(kStepsPerAction) == 0) randomAction();
        host().step(kStepSeconds);
        if (auto broken = hostchecks::brokenRecord(host(), true); !broken.empty())
            FAIL() << "seed " << seed << ", step " << step << ": " << broken;
        if (step >= warmUp && (step - warmUp) % sampleEvery == 0) {
            if (heap.empty()) indexStorageAtWarmUp = animationIndexBytes();
            heap.push_back(liveBytes - animationIndexBytes());
        }
    }
    ASSERT_GE(heap.size(), 2u) << "a soak of " << steps << " steps is too short to look at the heap";
    const auto half = heap.begin() + std::ptrdiff_t(heap.size() / 2);
    const long long firstPeak = *std::max_element(heap.begin(), half);
    const long long secondPeak = *std::max_element(half, heap.end());
    std::cout << "soak: heap in use after the warm-up peaks at " << firstPeak << " bytes, later at " << secondPeak
              << "; animation indices took " << animationIndexBytes() - indexStorageAtWarmUp << " bytes more; "
              << host().logLineCount() << " log lines; " << commandsDone << " commands carried out, "
              << editorActionsDone << " editor actions done\n";
    EXPECT_GT(commandsDone, 0);
    EXPECT_GT(editorActionsDone, 0);
    EXPECT_LE(secondPeak, firstPeak + static_cast<long long>(kHeapPeakGrowth * double(firstPeak)) + kHeapSlack)
        << "seed " << seed;

    // The station comes to rest before the save, since the modules keep neither a
    // running motion (a segment reads it back as stopped) nor a pallet turn (a payload
    // would hang elsewhere): Ctrl+U stops every motion of a segment, and every payload
    // is let go.
    hostsim::Editor::instance().close();
    for (const std::string& segment : kSegments) {
        focus(segment);
        key(OAPI_KEY_U, true);
    }
    for (const std::string& carrier : kCarriers)
        for (std::size_t pallet = 0; pallet < host().vesselByName(carrier)->childPoints.size(); ++pallet)
            type(carrier, "RELEASE " + std::to_string(pallet));
    host().step(kStepSeconds);
    ASSERT_EQ(hostchecks::brokenRecord(host(), true), "");
    EXPECT_EQ(hostchecks::reloadProblem(host(), hostsim::UnknownClass::Error), "") << "seed " << seed;
}

}  // namespace
