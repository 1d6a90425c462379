// Scenario files as the host reads and writes them: standard vessel lines, links
// between vessels, unknown lines, and whole scenarios that round-trip.
#include <sstream>

#include "HostTest.h"

namespace {

class HostScenario : public HostTest {};

const char* kTwoCrates = R"(BEGIN_DESC
Two crates, one hanging from the other.
END_DESC

BEGIN_ENVIRONMENT
  System Sol
  Date MJD 51983.5
END_ENVIRONMENT

BEGIN_FOCUS
  Ship crate-b
END_FOCUS

BEGIN_SHIPS
Crate-A:Crate
  STATUS Orbiting Sun
  RPOS 1.5e11 0.25 -3   ; a comment
  rvel 0 7.5 0
  AROT 10 20 30
  FLAVOUR vanilla
END
Crate-B:Crate
  RPOS 0 0 0
END
END_SHIPS
)";

TEST_F(HostScenario, standard_lines_are_read_case_insensitively_and_unknown_ones_kept) {
    ASSERT_EQ(host().loadScenarioText(kTwoCrates), "");
    hostsim::Vessel* a = host().vesselByName("Crate-A");
    ASSERT_NE(a, nullptr);
    EXPECT_DOUBLE_EQ(a->pos.x, 1.5e11);
    EXPECT_DOUBLE_EQ(a->pos.y, 0.25);
    EXPECT_DOUBLE_EQ(a->pos.z, -3);
    EXPECT_DOUBLE_EQ(a->vel.y, 7.5);
    EXPECT_DOUBLE_EQ(a->arot.z, 30);
    EXPECT_EQ(a->unknownLines, std::vector<std::string>{"FLAVOUR vanilla"});
    EXPECT_EQ(host().focus(), host().vesselByName("Crate-B")->handle);
    EXPECT_DOUBLE_EQ(host().mjd(), 51983.5);
    auto& log = host().log();
    EXPECT_NE(std::find(log.begin(), log.end(), "Unknown scenario line for Crate-A: FLAVOUR vanilla"), log.end());
}

TEST_F(HostScenario, a_saved_scenario_loads_back_to_the_same_text) {
    ASSERT_EQ(host().loadScenarioText(kTwoCrates), "");
    char nameA[] = "Crate-A", nameB[] = "Crate-B";
    VESSEL* a = oapiGetVesselInterface(oapiGetVesselByName(nameA));
    VESSEL* b = oapiGetVesselInterface(oapiGetVesselByName(nameB));
    a->CreateDock(_V(0, 0, 1), _V(0, 0, 1), _V(0, 1, 0));
    b->CreateDock(_V(0, 0, 1), _V(0, 0, 1), _V(0, 1, 0));
    b->CreateDock(_V(0, 0, -1), _V(0, 0, -1), _V(0, 1, 0));
    ASSERT_TRUE(host().dock(a->GetHandle(), 0, b->GetHandle(), 1));
    host().step(0.5);
    std::string first = host().saveScenarioText();
    EXPECT_NE(first.find("  DOCKINFO 0:1,Crate-B\n"), std::string::npos);
    EXPECT_NE(first.find("  DOCKINFO 1:0,Crate-A\n"), std::string::npos);
    EXPECT_NE(first.find("  FLAVOUR vanilla\n"), std::string::npos);

    // Crates get their docks from a module in real life; recreate them after loading.
    host().reset();
    host().setRoot(HOSTSIM_TEST_ROOT);
    std::string text = first;
    ASSERT_EQ(host().loadScenarioText(text), "");
    std::string second = host().saveScenarioText();
    // Without ports the DOCKINFO links cannot be made: the host says so and drops them.
    EXPECT_EQ(second.find("DOCKINFO"), std::string::npos);
    auto strip = [](std::string s) {
        std::string out;
        std::istringstream in(s);
        for (std::string line; std::getline(in, line);)
            if (line.find("DOCKINFO") == std::string::npos) out += line + "\n";
        return out;
    };
    EXPECT_EQ(strip(first), second);
}

TEST_F(HostScenario, attachments_are_restored_once_every_vessel_exists) {
    // The child comes before its parent in the file.
    const char* text = R"(BEGIN_SHIPS
Child:Crate
  ATTACHED 0:0,Parent
END
Parent:Crate
END
END_SHIPS
)";
    ASSERT_EQ(host().loadScenarioText(text), "");
    // Plain crates have no points, so the link is reported and dropped.
    auto& log = host().log();
    EXPECT_NE(std::find(log.begin(), log.end(), "ATTACHED link of Child to Parent could not be made"), log.end());
}

TEST_F(HostScenario, malformed_scenarios_are_refused_with_the_line) {
    EXPECT_EQ(host().loadScenarioText("BEGIN_SHIPS\nNoColon\nEND\nEND_SHIPS\n"),
              "line 2: expected Name:Class, found \"NoColon\"");
    host().reset();
    EXPECT_EQ(host().loadScenarioText("BEGIN_SHIPS\nA:Crate\n  RPOS 0 0 0\n"), "line 2: vessel A has no END");
    host().reset();
    EXPECT_EQ(host().loadScenarioText("BEGIN_SHIPS\nA:Unicorn\nEND\nEND_SHIPS\n"),
              "line 2: unknown vessel class Unicorn of A");
    host().reset();
    EXPECT_EQ(host().loadScenarioText("BEGIN_SHIPS\nA:Crate\nEND\nA:Crate\nEND\nEND_SHIPS\n"),
              "line 4: a vessel named A exists already");
    host().reset();
    EXPECT_EQ(host().loadScenario("/nonexistent/x.scn"), "cannot read scenario /nonexistent/x.scn");
}

TEST_F(HostScenario, reading_lines_cuts_comments_strips_blanks_and_stops_at_END) {
    OBJHANDLE h = make("C", "Crate", {"  RPOS 1 2 3 ; where", "\tRVEL 4 5 6\r", "", ";only a comment", "END", "RPOS 9 9 9"});
    EXPECT_DOUBLE_EQ(v(h).pos.z, 3);
    EXPECT_DOUBLE_EQ(v(h).vel.x, 4);
    EXPECT_TRUE(v(h).unknownLines.empty());
}

TEST_F(HostScenario, scenario_writers_write_one_line_each_with_numbers_that_read_back) {
    OBJHANDLE h = make("C", "Crate", {"RPOS 0.1 -2.5e-7 1e300"});
    auto lines = host().saveVesselLines(h);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "  STATUS Orbiting Sun");
    EXPECT_EQ(lines[1], "  RPOS 0.1 -2.5e-07 1e+300");
    EXPECT_EQ(lines[2], "  RVEL 0 0 0");
    EXPECT_EQ(lines[3], "  AROT 0 0 0");
}

}  // namespace

namespace {

TEST_F(HostScenario, a_host_line_whose_values_do_not_read_refuses_the_scenario) {
    const char* text = "BEGIN_SHIPS\nA:Crate\n  RPOS 1 2 3\n  RVEL 1 nope 3\nEND\nEND_SHIPS\n";
    EXPECT_EQ(host().loadScenarioText(text), "line 4: malformed line of A: \"RVEL 1 nope 3\"");
    host().reset();
    EXPECT_EQ(host().loadScenarioText("BEGIN_SHIPS\nA:Crate\n  ATTACHED 0,B\nEND\nEND_SHIPS\n"),
              "line 3: malformed line of A: \"ATTACHED 0,B\"");
    host().reset();
    EXPECT_EQ(host().loadScenarioText("BEGIN_SHIPS\nA:Crate\n  RPOS nan 0 0\nEND\nEND_SHIPS\n"),
              "line 3: malformed line of A: \"RPOS nan 0 0\"");
}

}  // namespace
