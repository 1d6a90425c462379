// The host makes each of a station's failable interface operations fail in turn, as
// the simulator reports such failures; the modules must neither crash nor leave the
// host's records inconsistent, and what remains must save and load again. And the
// hostsim program, met by the signals and limits of its system, keeps its log and
// says what failed.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "HostChecks.h"
#include "HostTest.h"
#include "HostsimProcess.h"
#include "hostsim/Editor.h"
#include "hostsim/Faults.h"

namespace {

const char* kStation = R"(BEGIN_ENVIRONMENT
  Date MJD 60310.5
END_ENVIRONMENT
BEGIN_SHIPS
Carrier:Haulbed
  STATUS Orbiting Earth
  RPOS 6778000 0 0
  SEGS 1
  STS
END
Base:Truss
  TYPE 2
  STS
  ATTACHED 0:0,Carrier
END
Solar:Truss
  STATUS Orbiting Earth
  RPOS 6778000 60 0
  TYPE 63
  TRACKING
  DEPLOYANIM 0 0.5
END
Radiator:Truss
  RPOS 6778000 -60 0
  TYPE 61
  RADANIM 2 0.2
END
Spare:Truss
  TYPE 6
END
END_SHIPS
)";

using Action = std::function<void(hostsim::Host&)>;

Action key(const char* vessel, DWORD code, bool ctrl = false) {
    return [=](hostsim::Host& host) {
        if (hostsim::Vessel* v = host.vesselByName(vessel)) host.setFocus(v->handle);
        std::vector<DWORD> held;
        if (ctrl) held.push_back(OAPI_KEY_LCONTROL);
        host.pressKey(code, held);
        host.releaseKey(code, held);
    };
}

Action command(const char* text) {
    return [=](hostsim::Host& host) {
        key("Carrier", OAPI_KEY_SPACE, true)(host);
        host.answerInputBox(text);  // a box that did not open takes nothing
    };
}

Action editor(const char* vessel, const char* page, std::vector<std::string> words) {
    return [=](hostsim::Host&) { hostsim::editorAction(vessel, page, words); };
}

// Keys, typed commands and editor actions, with steps after each.
const std::vector<Action>& stationActions() {
    static const std::vector<Action> actions = {
        key("Solar", OAPI_KEY_K, true),
        key("Solar", OAPI_KEY_G),
        key("Solar", OAPI_KEY_D),
        key("Solar", OAPI_KEY_U, true),
        key("Radiator", OAPI_KEY_K),
        key("Carrier", OAPI_KEY_K),
        command("GRAPPLE Spare 2 0"),
        command("RELEASE 0"),
        editor("Spare", "Vessel Management", {"show"}),
        editor("Spare", "Vessel Management", {"select", "1001", "61"}),
        editor("Spare", "Vessel Management", {"closeup", "1001"}),
        editor("Spare", "Vessel Management", {"click", "1005"}),
        editor("Carrier", "Vessel Management", {"show"}),
        editor("Carrier", "Vessel Management", {"arrow", "1006", "up"}),
        editor("Carrier", "Vessel Management", {"type", "1004", "0.5"}),
        editor("Carrier", "Payloads", {"show"}),
        editor("Carrier", "Payloads", {"select", "1009", "#1"}),
        editor("Carrier", "Payloads", {"select", "1013", "Radiator"}),
        editor("Carrier", "Payloads", {"closeup", "1013"}),
        editor("Carrier", "Payloads", {"select", "1014", "#0"}),
        editor("Carrier", "Payloads", {"click", "1012"}),
    };
    return actions;
}

// What the host keeps must hang together: the links and poses that every driven run
// checks, and the docks and animation components besides.
std::string inconsistency(hostsim::Host& host) {
    if (std::string broken = hostchecks::brokenRecord(host, false); !broken.empty()) return broken;
    for (hostsim::Vessel* v : host.vessels()) {
        const std::string who = v->name + ": ";
        for (hostsim::Dock* d : v->docks)
            if (d->owner != v || (d->mate && d->mate->mate != d)) return who + "bad dock";
        for (size_t i = 0; i < v->animations.size(); ++i) {
            size_t count = 0;
            for (hostsim::AnimationComponent* c : v->animations[i].components) {
                ++count;
                if (c->owner != v || c->animation != i) return who + "a component in the wrong list";
                if (c->parent && c->parent->owner != v) return who + "a component under another vessel's";
            }
            if (count != v->animations[i].components.size()) return who + "a component list miscounted";
        }
    }
    return {};
}

class HostFaults : public HostTest {
protected:
    // Loads the station and works it; every failable operation on the way counts.
    void runStation() {
        host().loadScenarioText(kStation);
        for (const Action& act : stationActions()) {
            act(host());
            host().step(0.5);
            host().step(0.5);
        }
    }
    // The failable operations of a whole run, by name, in order.
    std::vector<std::string> countOperations() {
        hostsim::faults::arm(0);
        runStation();
        std::vector<std::string> names(hostsim::faults::countedOperations().begin(),
                                       hostsim::faults::countedOperations().end());
        hostsim::faults::disarm();
        host().reset();
        host().setRoot(HOSTSIM_TEST_ROOT);
        return names;
    }
};

TEST_F(HostFaults, the_station_meets_every_kind_of_failure) {
    const std::vector<std::string> names = countOperations();
    EXPECT_GT(names.size(), 500u);
    for (const char* kind : {"AddMesh", "CreateDock", "CreateAttachment", "AddAnimationComponent", "SetAnimation",
                             "GetAttachmentStatus", "AttachChild", "oapiGetVesselByName", "oapiOpenInputBox",
                             "oapiGetVesselInterface", "oapiReadScenario_nextline", "DelAnimationComponent", "DetachChild"})
        EXPECT_NE(std::find(names.begin(), names.end(), kind), names.end()) << kind;
}

// The operations are dealt out to a few shards, which the test runner runs side by side.
class HostFaultShard : public HostFaults, public ::testing::WithParamInterface<int> {};
constexpr int kShards = 4;

TEST_P(HostFaultShard, every_failable_operation_of_a_station_fails_once_without_harm) {
    const std::vector<std::string> names = countOperations();
    for (size_t n = GetParam() + 1; n <= names.size(); n += kShards) {
        SCOPED_TRACE("operation " + std::to_string(n) + ", " + names[n - 1]);
        host().reset();
        host().setRoot(HOSTSIM_TEST_ROOT);
        hostsim::faults::arm(static_cast<long long>(n));
        runStation();
        hostsim::faults::disarm();
        // The run up to the nth operation is the counting run's, so the nth is the one that failed.
        std::vector<std::string> injected;
        for (const std::string& line : host().log())
            if (line.rfind("Fault injected: ", 0) == 0) injected.push_back(line);
        ASSERT_EQ(injected, std::vector<std::string>{"Fault injected: " + names[n - 1] + " fails"});
        ASSERT_EQ(inconsistency(host()), "");
        // What remains saves and loads again. A carrier keeps no turn in its lines, so
        // the first reload may put its payloads back; after it the text stands.
        std::string saved = host().saveScenarioText();
        for (int reload = 0; reload < 2; ++reload) {
            host().reset();
            host().setRoot(HOSTSIM_TEST_ROOT);
            ASSERT_EQ(host().loadScenarioText(saved), "") << saved;
            std::string again = host().saveScenarioText();
            if (reload == 1) {
                ASSERT_EQ(again, saved);
            }
            saved = std::move(again);
        }
    }
}
INSTANTIATE_TEST_SUITE_P(Shards, HostFaultShard, ::testing::Range(0, kShards));

}  // namespace

namespace {

// The program under what its system may do to it; the log it writes replaces an
// earlier run's.
class ProgramFaults : public ::testing::Test {
protected:
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("hostsim_faults_test_" + std::to_string(::getpid()));
    const std::filesystem::path log = dir / "run.log";
    void SetUp() override { std::filesystem::create_directories(dir); }
    void TearDown() override { std::filesystem::remove_all(dir); }
    // The temporary files beside the outputs: their names begin with a dot.
    std::vector<std::filesystem::path> temporaries() {
        std::vector<std::filesystem::path> found;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            if (entry.path().filename().string()[0] == '.') found.push_back(entry.path());
        return found;
    }
    // A scenario of radiator segments, each of which logs a line and saves several.
    std::string segments(int count) {
        std::string text = "BEGIN_SHIPS\n";
        for (int i = 0; i < count; ++i) text += "S" + std::to_string(i) + ":Truss\n  TYPE 61\nEND\n";
        std::ofstream(dir / "segments.scn") << text + "END_SHIPS\n";
        return (dir / "segments.scn").string();
    }
};

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

// Told to end while it runs, it writes the lines logged so far in the log's place
// and exits as its shell would say it was ended.
TEST_F(ProgramFaults, an_ending_signal_leaves_the_log_of_the_run_so_far) {
    // Key presses enough that their lines fill the log's buffer and reach the new log
    // beside the old one: then the signal surely meets a run under way.
    std::string keys;
    for (int i = 0; i < 3000; ++i) keys += "at 0 key S0 k\n";
    std::ofstream(dir / "keys.script") << keys;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        std::ofstream(log) << "the log of an earlier run\n";
        const pid_t child = startProgram({"run", segments(1), "--root", HOSTSIM_TEST_ROOT, "--script",
                                          (dir / "keys.script").string(), "--for", "1e6", "--dt", "0.001", "--log",
                                          log.string(), "--quiet"});
        bool logging = false;
        for (int wait = 0; wait < 3000 && !logging; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            for (const auto& file : temporaries()) logging |= std::filesystem::file_size(file) > 0;
        }
        ::kill(child, logging ? signal : SIGKILL);
        const Finished f = waitProgram(child);
        ASSERT_TRUE(logging) << "the run wrote no log";
        EXPECT_EQ(f.status, 128 + signal);
        const std::string text = fileText(log);
        EXPECT_EQ(text.rfind("Module Spanrig", 0), 0u) << text.substr(0, 200);
        EXPECT_NE(text.find("Script: key k to S0 taken\n"), std::string::npos);
        EXPECT_EQ(text.back(), '\n');
        EXPECT_EQ(temporaries(), std::vector<std::filesystem::path>{});
    }
}

// A closed pipe, a file past the size limit and memory running out fail the run, as
// standard error tells; the log is written all the same.
TEST_F(ProgramFaults, a_closed_pipe_a_file_limit_and_a_memory_limit_fail_the_run_but_keep_the_log) {
    struct Case {
        const char* what;
        std::vector<std::string> args;
        ProcessSetting setting;
        std::string message;
    };
    const std::string scenario = segments(100), saved = (dir / "saved.scn").string(), err = (dir / "err.txt").string();
    std::vector<Case> cases = {
        {"a save into a closed pipe", {"run", scenario, "--save", "-"}, {.stdoutClosed = true},
         "cannot write to standard output"},
        {"a save past the file limit", {"run", scenario, "--save", saved}, {.fileBytes = 4096},
         "cannot write " + saved + ": File too large"},
    };
    if (!kSanitized)  // the sanitizer's shadow memory is not the program's
        cases.push_back({"a picture past the memory limit",
                         {"render", scenario, "--out", (dir / "big.png").string(), "--size", "8192x8192"},
                         {.memoryBytes = 200L << 20}, "hostsim: out of memory\n"});
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream(log) << "the log of an earlier run\n";
        c.setting.stderrFile = err.c_str();
        c.args.insert(c.args.end(), {"--root", HOSTSIM_TEST_ROOT, "--log", log.string()});
        const Finished f = runProgram(c.args, c.setting);
        EXPECT_EQ(f.status, 4) << "signal " << f.signal;
        EXPECT_NE(fileText(err).find(c.message), std::string::npos) << fileText(err);
        EXPECT_EQ(fileText(log).rfind("Module Spanrig", 0), 0u) << fileText(log);
        EXPECT_EQ(temporaries(), std::vector<std::filesystem::path>{});
    }
}

}  // namespace
