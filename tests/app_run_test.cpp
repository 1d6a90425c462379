// The hostsim program's run: scripts refused before the run with their line, and
// exit statuses with one clear message for what cannot be run.
#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "HostTest.h"
#include "Run.h"
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
    ASSERT_TRUE(parseScript("# deploy, then track\n\nat 10 key Solar d\nat 0 key Solar k ctrl\n"
                            "at 10 input Hauler GRAPPLE Spare 9 0\nat 5.5 save out.scn\r\n"
                            "at 7 editor Seg \"Vessel Management\" select 1001 63\n",
                            script, error))
        << error;
    ASSERT_EQ(script.actions.size(), 5u);
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
        options.root = HOSTSIM_TEST_ROOT;
        out.str(""), err.str("");
        return hostsim::runScenario(options, out, err);
    }
    std::ostringstream out, err;
};

TEST_F(RunStatus, a_good_run_saves_prints_its_summary_and_exits_0) {
    hostsim::RunOptions o;
    o.scenario = write("ok.scn", "BEGIN_SHIPS\nSeg:Truss\n  TYPE 61\nEND\nEND_SHIPS\n");
    o.script = write("ok.script", "at 0 key Seg k ctrl\n");
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

TEST_F(RunStatus, what_cannot_run_gives_a_non_zero_status_and_one_line) {
    hostsim::RunOptions o;
    o.scenario = dir / "missing.scn";
    EXPECT_EQ(run(o), 1);
    EXPECT_EQ(err.str(), "hostsim: " + o.scenario.string() + ": cannot read scenario " + o.scenario.string() + "\n");

    o.scenario = write("unknown.scn", "BEGIN_SHIPS\nX:Unicorn\nEND\nEND_SHIPS\n");
    EXPECT_EQ(run(o), 1);
    EXPECT_EQ(err.str().rfind("hostsim: " + o.scenario.string() + ": 1 vessel class has no configuration file", 0), 0u)
        << err.str();
    EXPECT_NE(err.str().find("\n  Unicorn (line 2): looked for "), std::string::npos) << err.str();

    o.scenario = write("bad.scn", "BEGIN_SHIPS\nX:Truss\n  RPOS 1 2\nEND\nEND_SHIPS\n");
    EXPECT_EQ(run(o), 1);
    EXPECT_EQ(err.str(), "hostsim: " + o.scenario.string() + ": line 3: malformed line of X: \"RPOS 1 2\"\n");

    o.scenario = write("fine.scn", "BEGIN_SHIPS\nX:Truss\nEND\nEND_SHIPS\n");
    o.script = write("bad.script", "at 0 focus X\nat 1 key X\n");
    EXPECT_EQ(run(o), 2);
    EXPECT_EQ(err.str(), "hostsim: " + o.script->string() + ": script line 2: usage: at T key VESSEL KEY [ctrl] [shift]\n");

    // An action that cannot be carried out is reported, and the run fails.
    o.script = write("late.script", "at 0 input X RELEASE 0\n");
    EXPECT_EQ(run(o), 1);
    EXPECT_NE(err.str().find("X has no open input box"), std::string::npos) << err.str();
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
