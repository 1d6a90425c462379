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
    // Without ports the DOCKINFO links cannot be made: the host says so and keeps them.
    EXPECT_EQ(host().takeWarnings(),
              (std::vector<std::string>{"line 20: DOCKINFO 0:1,Crate-B of Crate-A kept but not made: Crate-A has 0 ports",
                                        "line 25: DOCKINFO 1:0,Crate-A of Crate-B kept but not made: Crate-B has 0 ports"}));
    EXPECT_EQ(host().saveScenarioText(), first);
}

TEST_F(HostScenario, a_turning_vessel_with_a_payload_saves_what_its_reload_saves) {
    const char* text = R"(BEGIN_SHIPS
Hauler:Haulbed
  RPOS 1.2e11 8e10 0
  AROT 0 90 0
  VROT 0 0 0.5
END
Solar:Truss
  TYPE 63
  ATTACHED 0:1,Hauler
END
END_SHIPS
)";
    ASSERT_EQ(host().loadScenarioText(text), "");
    host().step(1.0);
    const std::string first = host().saveScenarioText();
    host().reset();
    ASSERT_EQ(host().loadScenarioText(first), "");
    EXPECT_EQ(host().saveScenarioText(), first);
}

TEST_F(HostScenario, a_dock_to_a_vessel_whose_name_holds_blanks_is_saved_and_read_back) {
    const char* text = R"(BEGIN_SHIPS
Eight  een:Truss
  TYPE 18
  DOCKINFO 0:1,Hauler
END
Hauler:Haulbed
END
Spare:Truss
  TYPE 6
  DOCKINFO 0:0,Hauler   1:2,No such vessel
END
END_SHIPS
)";
    ASSERT_EQ(host().loadScenarioText(text), "");
    const std::string first = host().saveScenarioText();
    EXPECT_NE(first.find("  DOCKINFO 0:0,Spare 1:0,Eight  een\n"), std::string::npos) << first;
    EXPECT_NE(first.find("  DOCKINFO 0:0,Hauler 1:2,No such vessel\n"), std::string::npos) << first;
    host().reset();
    ASSERT_EQ(host().loadScenarioText(first), "");
    EXPECT_EQ(host().vesselByName("Hauler")->docks.at(1)->mate->owner->name, "Eight  een");
    EXPECT_EQ(host().saveScenarioText(), first);
}

TEST_F(HostScenario, carriage_returns_before_a_line_end_are_part_of_the_line_end) {
    ASSERT_EQ(host().loadScenarioText("BEGIN_DESC\nA text.\r\r\nEND_DESC\nBEGIN_CAMERA\n  TARGET Hauler\r\r\r\nEND_CAMERA\n"), "");
    const std::string first = host().saveScenarioText();
    EXPECT_EQ(first, "BEGIN_DESC\nA text.\nEND_DESC\n\nBEGIN_CAMERA\n  TARGET Hauler\nEND_CAMERA\n");
    host().reset();
    ASSERT_EQ(host().loadScenarioText(first), "");
    EXPECT_EQ(host().saveScenarioText(), first);
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
    // Plain crates have no points, so the link is reported and kept.
    EXPECT_EQ(host().takeWarnings(), std::vector<std::string>{"line 3: ATTACHED 0:0,Parent of Child kept but not made: "
                                                              "Child has 0 points to hang from"});
    EXPECT_NE(host().saveScenarioText().find("Child:Crate\n  ATTACHED 0:0,Parent\nEND\n"), std::string::npos);
}

TEST_F(HostScenario, malformed_scenarios_are_refused_with_the_line) {
    EXPECT_EQ(host().loadScenarioText("BEGIN_SHIPS\n:Crate\nEND\nEND_SHIPS\n"),
              "line 2: expected Name:Class or Name, found \":Crate\"");
    host().reset();
    EXPECT_EQ(host().loadScenarioText("BEGIN_SHIPS\nA:Crate\n  RPOS 0 0 0\n"), "line 2: vessel A has no END");
    host().reset();
    EXPECT_EQ(host().loadScenarioText("BEGIN_SHIPS\nA:Crate\nEND\na:Crate\nEND\nEND_SHIPS\n"),
              "line 4: a vessel named a exists already (line 2)");
    host().reset();
    EXPECT_EQ(host().loadScenario("/nonexistent/x.scn"), "cannot read /nonexistent/x.scn");
}

TEST_F(HostScenario, reading_lines_cuts_comments_strips_blanks_and_stops_at_END) {
    OBJHANDLE h = make("C", "Crate", {"  RPOS 1 2 3 ; where", "\tRVEL 4 5 6\r", "", ";only a comment", "END", "RPOS 9 9 9"});
    EXPECT_DOUBLE_EQ(v(h).pos.z, 3);
    EXPECT_DOUBLE_EQ(v(h).vel.x, 4);
    EXPECT_TRUE(v(h).unknownLines.empty());
}

TEST_F(HostScenario, scenario_writers_write_one_line_each_with_numbers_that_read_back) {
    OBJHANDLE h = make("C", "Crate", {"RPOS 0.1 -2.5e-7 1e300", "VROT 0 0 0"});
    EXPECT_EQ(host().saveVesselLines(h), (std::vector<std::string>{"  RPOS 0.1 -2.5e-07 1e+300", "  VROT 0 0 0"}));
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

namespace {

TEST_F(HostScenario, classes_are_found_as_a_case_insensitive_file_system_finds_them_and_never_outside_the_tree) {
    const struct {
        const char* className;
        bool found;
    } cases[] = {
        {"Crate", true},         {"cRATE", true},         {"Vessels\\Crate", true},   {"vessels/crate", true},
        {"Stock\\LowerTruss", true}, {"STOCK/lowertruss", true}, {"..\\Vessels\\Crate", false}, {"Vessels\\..\\Crate", false},
        {"/etc/passwd", false},  {"C:\\Crate", false},    {"Vessels\\\\Crate", false}, {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(host().readClass(c.className) != nullptr, c.found) << c.className;

    // The module named in lower case is found too, and is the one module of that name.
    OBJHANDLE h = make("Seg", "stock\\lowertruss", {"TYPE 12"});
    OBJHANDLE other = make("Other", "Truss", {"TYPE 6"});
    ASSERT_NE(v(h).module, nullptr);
    EXPECT_EQ(v(h).module, v(other).module);
    EXPECT_EQ(host().modules().size(), 1u);
    EXPECT_EQ(host().saveVesselLines(h).back(), "  TYPE 12");
}

TEST_F(HostScenario, sections_end_as_the_simulator_ends_them_and_unclosed_ones_name_their_line) {
    ASSERT_EQ(host().loadScenarioText("BEGIN_MFD Left\n  TYPE Orbit\nEND_MFD\nBEGIN_ExtMFD\nEND\n"
                                      "BEGIN_MFD Right\nEND_MFD Right\nBEGIN_SHIPS\nA:Crate\nEND\nEND_SHIPS\n"),
              "");
    EXPECT_EQ(host().saveScenarioText(), "BEGIN_MFD Left\n  TYPE Orbit\nEND_MFD\n\nBEGIN_ExtMFD\nEND\n\n"
                                         "BEGIN_MFD Right\nEND_MFD Right\n\nBEGIN_SHIPS\nA:Crate\nEND\nEND_SHIPS\n");
    const struct {
        const char* text;
        const char* error;
    } refused[] = {
        {"BEGIN_ENVIRONMENT\n  System Sol\n", "line 1: BEGIN_ENVIRONMENT has no END_ENVIRONMENT"},
        {"\nBEGIN_MFD Left\n  TYPE Orbit\n", "line 2: BEGIN_MFD Left has no END_MFD"},
        {"BEGIN_SHIPS\nA:Crate\n  RPOS 0 0 0\nEND_SHIPS\n", "line 2: vessel A has no END before END_SHIPS"},
        {"BEGIN_SHIPS\nA:Crate\nEND\n", "line 1: BEGIN_SHIPS has no END_SHIPS"},
        {"BEGIN_SHIPS\nEND\nEND_SHIPS\n", "line 2: vessel END has no END before END_SHIPS"},
        {"Ship A\n", "line 1: unexpected \"Ship A\""},
        {"BEGIN_SHIPS\nA:Crate\nEND\nEND_SHIPS\nBEGIN_PANEL\nEND_PANEL\nBEGIN_ships\nEND_SHIPS\n",
         "line 7: a second BEGIN_ships (the first is at line 1)"},
        {"BEGIN_ENVIRONMENT\nEND_ENVIRONMENT\nBEGIN_ENVIRONMENT\n  Date MJD 1\nEND_ENVIRONMENT\n",
         "line 3: a second BEGIN_ENVIRONMENT (the first is at line 1)"},
        {"BEGIN_FOCUS\nEND_FOCUS\n\nBEGIN_FOCUS\nEND_FOCUS\n", "line 4: a second BEGIN_FOCUS (the first is at line 1)"},
    };
    for (const auto& c : refused) {
        host().reset();
        EXPECT_EQ(host().loadScenarioText(c.text), c.error) << c.text;
    }
}

TEST_F(HostScenario, a_malformed_section_ends_where_a_section_the_host_reads_begins) {
    const std::string text = "BEGIN_URLDESCBEGIN_URLDESC\n  Station.htm\nEND_URLDESC\nBEGIN_SHIPS\nA:Crate\nEND\n"
                             "B:Crate\nEND\nEND_SHIPS\n";
    ASSERT_EQ(host().loadScenarioText(text), "");
    EXPECT_EQ(host().takeWarnings(), std::vector<std::string>{"line 1: BEGIN_URLDESCBEGIN_URLDESC has no "
                                                              "END_URLDESCBEGIN_URLDESC; it ends before BEGIN_SHIPS of line 4"});
    EXPECT_EQ(host().vesselCount(), 2u);
    EXPECT_EQ(host().saveScenarioText(), "BEGIN_URLDESCBEGIN_URLDESC\n  Station.htm\nEND_URLDESC\n\nBEGIN_SHIPS\nA:Crate\nEND\n"
                                         "B:Crate\nEND\nEND_SHIPS\n");
}

}  // namespace
