// The hostsim program's run: scripts refused before the run with their line, and
// exit statuses with one clear message for what cannot be run.
#include <cmath>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include "HostTest.h"
#include "HostsimProcess.h"
#include "Run.h"
#include "hostsim/Files.h"
#include "Script.h"

namespace {

using hostsim::parseScript;
using hostsim::Script;

std::string refusal(const std::string& text) {
    Script script;
    std::string error;
    EXPECT_FALSE(parseScript(text, script, error)) << text;
    return error;
}

TEST(ScriptParsing, reads_actions_in_time_order_and_skips_comments_and_blank_lines) {
    Script script;
    std::string error;
    ASSERT_TRUE(parseScript("# deploy, then track\n\nat 10 key Solar d # track\nat 0 key Solar k ctrl\n"
                            "at 10 input Hauler GRAPPLE Spare 9 0   # take it on\nat 5.5 save out.scn\r\n"
                            "at 7 editor Seg \"Vessel Management\" select 1001 63\t# pick\n"
                            "at 8 editor Seg \"Page # 2\" select 1009 #2\n",
                            script, error))
        << error;
    ASSERT_EQ(script.actions.size(), 6u);
    // "#" in a word, or in a quoted label, is text.
    EXPECT_EQ(script.actions[3].args, (std::vector<std::string>{"Seg", "Page # 2", "select", "1009", "#2"}));
    script.actions.erase(script.actions.begin() + 3);
    EXPECT_EQ(script.actions[0].verb, "key");
    EXPECT_EQ(script.actions[0].args, (std::vector<std::string>{"Solar", "k", "ctrl"}));
    EXPECT_EQ(script.actions[1].verb, "save");
    EXPECT_DOUBLE_EQ(script.actions[1].time, 5.5);
    EXPECT_EQ(script.actions[2].verb, "editor");
    EXPECT_EQ(script.actions[2].args, (std::vector<std::string>{"Seg", "Vessel Management", "select", "1001", "63"}));
    // Equal times keep the file's order.
    EXPECT_EQ(script.actions[3].args[1], "d");
    EXPECT_EQ(script.actions[4].args, (std::vector<std::string>{"Hauler", "GRAPPLE Spare 9 0"}));
    EXPECT_EQ(script.actions[4].line, 5);
}

TEST(ScriptParsing, refuses_bad_lines_with_their_line_number) {
    EXPECT_EQ(refusal("at 1 focus A\nfocus A\n"), "script line 2: expected \"at T ACTION ...\", found \"focus A\"");
    EXPECT_EQ(refusal("at soon focus A\n"), "script line 1: \"soon\" is not a time in seconds");
    EXPECT_EQ(refusal("at -1 focus A\n"), "script line 1: \"-1\" is not a time in seconds");
    EXPECT_EQ(refusal("at nan focus A\n"), "script line 1: \"nan\" is not a time in seconds");
    EXPECT_EQ(refusal("at 1 dance A\n"), "script line 1: unknown action \"dance\"");
    EXPECT_EQ(refusal("at 1\n"), "script line 1: missing action");
    EXPECT_EQ(refusal("at 1 key A\n"), "script line 1: usage: at T key VESSEL KEY [ctrl] [shift]");
    EXPECT_EQ(refusal("at 1 key A 7\n"), "script line 1: \"7\" is not a key (a letter or space)");
    EXPECT_EQ(refusal("at 1 key A k alt\n"), "script line 1: \"alt\" is not a modifier (ctrl or shift)");
    EXPECT_EQ(refusal("at 1 input A\n"), "script line 1: usage: at T input VESSEL TEXT...");
    EXPECT_EQ(refusal("at 1 save a b\n"), "script line 1: usage: at T save FILE");
    EXPECT_NE(refusal("\n\nat 1 editor A Page wiggle 3\n").find("script line 3: "), std::string::npos);
}

class RunStatus : public ::testing::Test {
protected:
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("hostsim_run_test_" + std::to_string(::getpid()));
    void SetUp() override { std::filesystem::create_directories(dir); }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path write(const std::string& name, const std::string& text) {
        std::ofstream(dir / name) << text;
        return dir / name;
    }
    int run(hostsim::RunOptions options) {
        if (options.root.empty()) options.root = HOSTSIM_TEST_ROOT;
        out.str(""), err.str("");
        return hostsim::runScenario(options, out, err);
    }
    std::ostringstream out, err;
};

TEST_F(RunStatus, a_good_run_saves_prints_its_summary_and_exits_0) {
    hostsim::RunOptions o;
    o.scenario = write("ok.scn", "BEGIN_SHIPS\nSeg:Truss\n  TYPE 61\nEND\nEND_SHIPS\n");
    // A scenario saved at two times into one file: the later save replaces the earlier.
    o.script = write("ok.script", "at 0 key Seg k ctrl\nat 10 save " + (dir / "out.scn").string() + "\n");
    o.duration = 30;
    o.dt = 1;
    o.save = (dir / "out.scn").string();
    EXPECT_EQ(run(o), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    EXPECT_NE(out.str().find("Seg (Truss): TYPE 61, RADANIM 0 1.00"), std::string::npos) << out.str();
    std::ifstream saved(dir / "out.scn");
    std::stringstream text;
    text << saved.rdbuf();
    EXPECT_NE(text.str().find("  RADANIM 0 1.00\n"), std::string::npos);
}

// Each exit status of the README's table, with the message that names the cause. No
// refused run changes its inputs.
TEST_F(RunStatus, each_failure_has_its_status_and_a_message_and_inputs_stay_untouched) {
    const std::string good = "BEGIN_SHIPS\nX:Truss\nEND\nEND_SHIPS\n";
    const std::filesystem::path scn = dir / "in.scn", script = dir / "in.script";
    // A tree whose only module is cut short, as a failed copy leaves it.
    const std::filesystem::path cutRoot = dir / "cut";
    std::filesystem::create_directories(cutRoot / "Config" / "Vessels");
    std::filesystem::create_directories(cutRoot / "Modules");
    std::ofstream(cutRoot / "Config" / "Vessels" / "Cut.cfg") << "Module = Cut\n";
    std::ofstream(cutRoot / "Config" / "Vessels" / "Gone.cfg") << "Module = Gone\n";
    {
        std::ifstream whole(std::filesystem::path(HOSTSIM_TEST_ROOT) / "Modules" / "Haulbed.so", std::ios::binary);
        std::string head(5000, '\0');
        whole.read(head.data(), std::streamsize(head.size()));
        std::ofstream(cutRoot / "Modules" / "Cut.so", std::ios::binary) << head;
    }
    // A shared library that loads well but is no vessel module: the system's maths library.
    Dl_info maths{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(static_cast<double (*)(double)>(&::cos)), &maths), 0);
    std::ofstream(cutRoot / "Config" / "Vessels" / "Maths.cfg") << "Module = Maths\n";
    std::filesystem::copy_file(maths.dli_fname, cutRoot / "Modules" / "Maths.so");
    // A scenario larger than anything hostsim reads (a sparse file: it takes no room).
    const std::filesystem::path huge = dir / "huge.scn";
    std::ofstream(huge) << good;
    std::filesystem::resize_file(huge, hostsim::kMaxInputBytes + 1);
    const std::filesystem::path out = dir / "out.scn", link = dir / "link.json";
    std::filesystem::create_symlink(out, link);
    const std::filesystem::path png = dir / "p.png";
    struct Case {
        const char* what;
        std::string scenario;
        std::string scriptText;  // empty: no script
        std::function<void(hostsim::RunOptions&)> options;
        int status;
        std::string message;
    };
    auto none = [](hostsim::RunOptions&) {};
    const Case cases[] = {
        {"an action that cannot be done", good, "at 0 input X RELEASE 0\n", none, hostsim::kActionFailed,
         "X has no open input box"},
        {"a step of 0", good, "", [](auto& o) { o.dt = 0; }, hostsim::kBadUsage, "--dt must be"},
        {"a run for ever", good, "", [](auto& o) { o.duration = INFINITY; }, hostsim::kBadUsage, "--for (or --at) must be"},
        {"too many steps", good, "", [](auto& o) { o.duration = 1e300; }, hostsim::kBadUsage, "would take more than"},
        {"tiny steps", good, "", [](auto& o) { o.duration = 1, o.dt = 1e-300; }, hostsim::kBadUsage, "would take more than"},
        {"an action after the end", good, "at 5 focus X\n", [](auto& o) { o.duration = 4; }, hostsim::kBadUsage,
         "script line 1: at 5 is after the end of the run (--for 4)"},
        {"a log over the scenario", good, "", [&](auto& o) { o.log = scn; }, hostsim::kBadUsage, "is an input of this run"},
        {"a save over the script", good, "at 0 save " + script.string() + "\n", none, hostsim::kBadUsage,
         "script line 1: " + script.string() + " is an input of this run"},
        {"a malformed host line", "BEGIN_SHIPS\nX:Truss\n  RPOS 1 2\nEND\nEND_SHIPS\n", "", none, hostsim::kBadInput,
         "line 3: malformed line of X: \"RPOS 1 2\""},
        {"an unknown class", "BEGIN_SHIPS\nX:Unicorn\nEND\nEND_SHIPS\n", "", none, hostsim::kBadInput,
         "\n  Unicorn (line 2): no configuration file; looked for "},
        {"a module cut short", "BEGIN_SHIPS\nX:Cut\nEND\nEND_SHIPS\n", "", [&](auto& o) { o.root = cutRoot; },
         hostsim::kBadInput, "its module Cut cannot be loaded: " + (cutRoot / "Modules" / "Cut.so").string() + " is damaged"},
        {"a module that is not there", "BEGIN_SHIPS\nX:Gone\nEND\nEND_SHIPS\n", "", [&](auto& o) { o.root = cutRoot; },
         hostsim::kBadInput, "its module Gone cannot be loaded: there is no "},
        {"a vessel without END", "BEGIN_SHIPS\nA:Truss\n  TYPE 2\nB:Truss\n  TYPE 63\nEND\nEND_SHIPS\n", "", none,
         hostsim::kBadInput, "line 2: vessel A has no END before the vessel \"B:Truss\" of line 4"},
        {"a NUL byte", std::string("BEGIN_SHIPS\nA:Truss\n\0\0\0\nEND\nEND_SHIPS\n", 38), "", none, hostsim::kBadInput,
         "line 3: holds a NUL byte"},
        {"a bad script line", good, "at 0 focus X\nat 1 key X\n", none, hostsim::kBadInput,
         "script line 2: usage: at T key VESSEL KEY [ctrl] [shift]"},
        {"no scenario", "", "", [&](auto& o) { o.scenario = dir / "missing.scn"; }, hostsim::kIoFailure, "cannot read"},
        {"a folder for a scenario", "", "", [&](auto& o) { o.scenario = dir; }, hostsim::kIoFailure, "is a folder"},
        {"a folder for a script", good, "", [&](auto& o) { o.script = dir; }, hostsim::kIoFailure, "is a folder"},
        {"a full disk", good, "", [](auto& o) { o.save = "/dev/full"; }, hostsim::kIoFailure, "cannot write /dev/full"},
        {"a full disk in the script", good, "at 0 save /dev/full\n", none, hostsim::kIoFailure, "cannot write /dev/full"},
        {"an unwritable log", good, "", [&](auto& o) { o.log = dir / "no" / "such" / "x.log"; }, hostsim::kIoFailure,
         "cannot write the log"},
        {"pictures that cannot advance", good, "",
         [&](auto& o) { o.render = {png, "", "iso", 64, 64}, o.renderEvery = 1e-20; },
         hostsim::kBadUsage, "--every 1e-20 is too short"},
        {"a scenario that never ends", "", "", [](auto& o) { o.scenario = "/dev/zero"; }, hostsim::kIoFailure,
         "/dev/zero is not a regular file"},
        {"a script that never ends", good, "", [](auto& o) { o.script = "/dev/zero"; }, hostsim::kIoFailure,
         "/dev/zero is not a regular file"},
        {"a scenario too large", "", "", [&](auto& o) { o.scenario = huge; }, hostsim::kIoFailure,
         huge.string() + " is larger than 64 MiB"},
        {"a save and a log in one file", good, "", [&](auto& o) { o.save = out.string(), o.log = out; },
         hostsim::kBadUsage, "--log: " + out.string() + " is written by --save too"},
        {"a save and a dump in one file, in the script", good, "at 0 save " + out.string() + "\nat 1 dump " + out.string() + "\n",
         [](auto& o) { o.duration = 1; }, hostsim::kBadUsage, "script line 2: " + out.string() + " is written by script line 1 too"},
        {"a save and a dump in one file, through a link", good, "", [&](auto& o) { o.save = out.string(), o.dump = link; },
         hostsim::kBadUsage, "--dump: " + link.string() + " is written by --save too"},
        {"a save without a name", good, "", [](auto& o) { o.save = ""; }, hostsim::kBadUsage, "--save needs a file name"},
        {"a dump without a name", good, "", [](auto& o) { o.dump = ""; }, hostsim::kBadUsage, "--dump needs a file name"},
        {"a log without a name", good, "", [](auto& o) { o.log = ""; }, hostsim::kBadUsage, "--log needs a file name"},
        {"a library that is no module", "BEGIN_SHIPS\nX:Maths\nEND\nEND_SHIPS\n", "", [&](auto& o) { o.root = cutRoot; },
         hostsim::kBadInput, "its module Maths cannot be loaded: " + (cutRoot / "Modules" / "Maths.so").string() +
                                 " is a shared library but no vessel module (it has no ovcInit)"},
        {"a NUL byte in a script", good, std::string("at 0 focus Hau\0ler\n", 19), none, hostsim::kBadInput,
         "script line 1: holds a NUL byte"},
        {"a run past the dates", good, "", [](auto& o) { o.dt = 1e308, o.duration = 1e308; }, hostsim::kBadUsage,
         "would run the date past MJD 1e+07"},
        {"a view that does not exist", good, "", [&](auto& o) { o.render = {png, "", "bogus", 64, 64}; },
         hostsim::kBadUsage, "unknown view 'bogus'"},
        {"a picture too large", good, "", [&](auto& o) { o.render = {png, "", "iso", 99999, 64}; }, hostsim::kBadUsage,
         "picture size must be"},
        {"a picture of nobody", good, "", [&](auto& o) { o.render = {png, "Nobody", "iso", 64, 64}; },
         hostsim::kBadUsage, "--vessel Nobody: there is no"},
        {"a save into a missing folder in the script", good, "at 0 save " + (dir / "no" / "x.scn").string() + "\n", none,
         hostsim::kIoFailure, "script line 1 (t=0): cannot write " + (dir / "no" / "x.scn").string()},
        {"a missing addon tree", good, "", [&](auto& o) { o.root = dir / "nothing"; }, hostsim::kIoFailure,
         "the addon tree " + (dir / "nothing").string() + " (--root) is missing"},
        {"a file for an addon tree", good, "", [&](auto& o) { o.root = scn; }, hostsim::kIoFailure,
         "(--root) is not a folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream(scn, std::ios::binary) << c.scenario;
        std::ofstream(script) << c.scriptText;
        hostsim::RunOptions o;
        o.scenario = scn;
        if (!c.scriptText.empty()) o.script = script;
        o.duration = 1;
        c.options(o);
        EXPECT_EQ(run(o), c.status);
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
        std::ifstream scnAfter(scn, std::ios::binary), scriptAfter(script);
        std::stringstream a, b;
        a << scnAfter.rdbuf();
        b << scriptAfter.rdbuf();
        EXPECT_EQ(a.str(), c.scenario);
        EXPECT_EQ(b.str(), c.scriptText);
        EXPECT_FALSE(std::filesystem::exists(out)) << "a refused run wrote its output";
    }
}

// A module that cannot be loaded is what --unknown-class plain lets a run go on
// without: its vessels are plain, and standard error says so.
TEST_F(RunStatus, plain_vessels_stand_in_for_what_cannot_be_loaded_with_a_warning) {
    hostsim::RunOptions o;
    o.scenario = write("plain.scn", "BEGIN_SHIPS\nX:Unicorn\n  HORN 1\nEND\nEND_SHIPS\n");
    o.unknownClass = hostsim::UnknownClass::Plain;
    o.save = (dir / "out.scn").string();
    EXPECT_EQ(run(o), hostsim::kDone);
    EXPECT_NE(err.str().find("hostsim: warning: vessel class Unicorn (line 2) loads as plain vessels"), std::string::npos)
        << err.str();
    std::ifstream saved(dir / "out.scn");
    std::stringstream text;
    text << saved.rdbuf();
    EXPECT_EQ(text.str(), "BEGIN_SHIPS\nX:Unicorn\n  HORN 1\nEND\nEND_SHIPS\n");
}

// A link stays a link, even to a file yet to be made, and a file replaced by a save
// stays its owner's.
TEST_F(RunStatus, a_save_writes_the_file_a_link_names_and_keeps_the_owner_of_the_file_it_replaces) {
    hostsim::RunOptions o;
    o.scenario = write("in.scn", "BEGIN_SHIPS\nX:Truss\nEND\nEND_SHIPS\n");
    std::filesystem::create_symlink("made-later.scn", dir / "link.scn");
    o.save = (dir / "link.scn").string();
    ASSERT_EQ(run(o), hostsim::kDone) << err.str();
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.scn"));
    EXPECT_NE(fileText(dir / "made-later.scn").find("X:Truss"), std::string::npos);

    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    const std::filesystem::path theirs = write("theirs.scn", "theirs\n");
    ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
    std::filesystem::permissions(theirs, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    o.save = theirs.string();
    ASSERT_EQ(run(o), hostsim::kDone) << err.str();
    struct stat st {};
    ASSERT_EQ(::stat(theirs.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_NE(fileText(theirs).find("X:Truss"), std::string::npos);
}

// A date no body can be placed at is not taken, so that the save loads back; a turn
// rate too small for radians turns nothing and warns of nothing.
TEST_F(RunStatus, numbers_at_the_edges_keep_the_run_finite_and_the_save_loadable) {
    hostsim::RunOptions o;
    o.scenario = write("edge.scn", "BEGIN_ENVIRONMENT\n  Date JE 1e306\nEND_ENVIRONMENT\nBEGIN_SHIPS\nX:Truss\n"
                                   "  STATUS Orbiting Earth\n  VROT 5e-324 0 0\nEND\nEND_SHIPS\n");
    o.save = (dir / "edge-out.scn").string();
    o.duration = 1;
    ASSERT_EQ(run(o), hostsim::kDone) << err.str();
    EXPECT_EQ(err.str(), "hostsim: warning: line 2: \"Date JE 1e306\" is further from MJD 0 than 10000000 days, "
                         "where hostsim places the bodies; the date stays MJD 51544.5\n");
    const std::string saved = fileText(dir / "edge-out.scn");
    EXPECT_NE(saved.find("  Date JE 2000.0000000"), std::string::npos) << saved;
    hostsim::Host& host = hostsim::Host::instance();
    ASSERT_EQ(host.loadScenarioText(saved), "");
    EXPECT_EQ(host.saveScenarioText(), saved);
    host.reset();
}

// Names are bytes a scenario or a script gave: their control characters reach the
// terminal escaped.
TEST_F(RunStatus, control_characters_in_names_are_shown_escaped) {
    hostsim::RunOptions o;
    o.scenario = write("esc.scn", "BEGIN_SHIPS\nRed\x1b[31m:Truss\nEND\nEND_SHIPS\n");
    o.script = write("esc.script", "at 0 focus Clear\x1b[2J\n");
    EXPECT_EQ(run(o), hostsim::kActionFailed);
    EXPECT_NE(out.str().find("  Red\\x1b[31m (Truss)"), std::string::npos) << out.str();
    EXPECT_NE(err.str().find("no vessel named Clear\\x1b[2J"), std::string::npos) << err.str();
    EXPECT_EQ((out.str() + err.str()).find('\x1b'), std::string::npos);
}

}  // namespace

namespace {

// Width and height from a PNG file's header, or zeros.
std::pair<int, int> pngSize(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    unsigned char h[24] = {};
    in.read(reinterpret_cast<char*>(h), sizeof h);
    if (!in || h[1] != 'P' || h[2] != 'N' || h[3] != 'G') return {0, 0};
    auto be = [&](int at) { return (h[at] << 24) | (h[at + 1] << 16) | (h[at + 2] << 8) | h[at + 3]; };
    return {be(16), be(20)};
}

TEST_F(RunStatus, pictures_come_from_the_script_the_end_of_the_run_and_a_sequence) {
    hostsim::RunOptions o;
    o.scenario = write("pic.scn", "BEGIN_SHIPS\nSeg:Truss\n  TYPE 63\nEND\nEND_SHIPS\n");
    o.script = write("pic.script", "at 1 render " + (dir / "mid.png").string() + " Seg top\nat 1 render " +
                                       (dir / "bad.png").string() + " Nobody\n");
    o.duration = 2;
    o.dt = 0.5;
    hostsim::RenderRequest end;
    end.file = dir / "seq.png";
    end.width = 64;
    end.height = 48;
    o.render = end;
    o.renderEvery = 1;
    EXPECT_EQ(run(o), 1);  // the picture of a vessel that does not exist fails the run
    EXPECT_NE(err.str().find("Nobody"), std::string::npos) << err.str();
    EXPECT_EQ(pngSize(dir / "mid.png"), std::make_pair(1024, 768));
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.png"));
    for (const char* name : {"seq-0000.png", "seq-0001.png", "seq-0002.png"})
        EXPECT_EQ(pngSize(dir / name), std::make_pair(64, 48)) << name;
    EXPECT_FALSE(std::filesystem::exists(dir / "seq-0003.png"));
}

}  // namespace

namespace {

TEST_F(RunStatus, a_dump_shows_names_that_are_not_utf8_with_the_replacement_character) {
    hostsim::RunOptions o;
    o.scenario = write("cafe.scn", "BEGIN_SHIPS\nCaf\xe9:Truss\nEND\nEND_SHIPS\n");
    o.dump = "-";
    EXPECT_EQ(run(o), hostsim::kDone) << err.str();
    EXPECT_NE(out.str().find("\"name\": \"Caf\xef\xbf\xbd\""), std::string::npos) << out.str();
}

}  // namespace

namespace {

TEST_F(RunStatus, a_save_that_does_not_fit_leaves_the_old_file_and_fails_the_run) {
    const std::string scn = write("big.scn", "BEGIN_SHIPS\nS:Truss\n  TYPE 63\nEND\nEND_SHIPS\n").string();
    const std::filesystem::path saved = dir / "saved.scn";
    const std::string before = "BEGIN_SHIPS\nOld:Truss\nEND\nEND_SHIPS\n";
    std::ofstream(saved) << before;
    ProcessSetting smallFiles;
    smallFiles.fileBytes = 40;
    const Finished f = runProgram({"run", scn, "--root", HOSTSIM_TEST_ROOT, "--save", saved.string(), "--quiet"}, smallFiles);
    EXPECT_EQ(f.status, hostsim::kIoFailure);
    std::ifstream in(saved);
    std::stringstream after;
    after << in.rdbuf();
    EXPECT_EQ(after.str(), before);
    for (const auto& entry : std::filesystem::directory_iterator(dir))  // no temporary file is left
        EXPECT_EQ(entry.path().filename().string().find(".saved.scn."), std::string::npos) << entry.path();
}

TEST(RenderMemory, a_full_hd_picture_of_the_station_takes_less_than_40_MiB) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's shadow memory is not the program's";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "the address sanitizer's shadow memory is not the program's";
#endif
#endif
    const std::string addon = HOSTSIM_TEST_ROOT;
    const std::string out = (std::filesystem::temp_directory_path() / ("hostsim_fullhd_" + std::to_string(::getpid()) + ".png")).string();
    const Finished f = runProgram({"render", addon + "/Scenarios/Spanrig/Station spine.scn", "--at", "60", "--size",
                                   "1920x1080", "--out", out, "--root", addon});
    std::filesystem::remove(out);
    ASSERT_EQ(f.status, 0) << "hostsim render failed";
    EXPECT_LT(f.peakKib, 40 * 1024);
}

}  // namespace
