// The truss lines of a scenario block through the loaded module: key matching, value
// parsing, confirming log lines, the lines each type writes, and save-load-save.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "HostTest.h"

namespace {

using Lines = std::vector<std::string>;

class TrussScenario : public HostTest {
protected:
    // The module's own log lines, in order.
    Lines trussLog() {
        Lines lines;
        for (const std::string& line : host().log())
            if (line.rfind("**", 0) == 0) lines.push_back(line);
        return lines;
    }

    // The lines the truss writes after the simulator's own lines, from "TYPE" on.
    Lines trussLines(OBJHANDLE h) {
        Lines all = host().saveVesselLines(h);
        auto type = std::find_if(all.begin(), all.end(), [](const std::string& l) { return l.rfind("  TYPE ", 0) == 0; });
        EXPECT_NE(type, all.end());
        return Lines(type, all.end());
    }

    // The "XS" point of a base segment.
    VECTOR3 payloadPoint(OBJHANDLE h) {
        for (const hostsim::Attachment* a : v(h).parentPoints)
            if (a->id == "XS") return a->pos;
        ADD_FAILURE() << "no XS point";
        return _V(0, 0, 0);
    }
};

TEST_F(TrussScenario, EachRecognisedKeyWritesItsConfirmingLogLine) {
    make("P", "Truss",
         {"TYPE 63", "STS", "PLD_OFS 1 2 3", "BASEANIM 0 0.1", "DEPLOYANIM 0 0.2", "BOXANIM 0 0.3", "RADANIM 0 0.4",
          "TRACKING"});
    EXPECT_EQ(trussLog(), (Lines{"**Type Loaded", "**STS Loaded", "**Payload Offset Loaded",
                                 "**Solar Base Animation Loaded", "**Solar Deploy Animation Loaded",
                                 "**Solar Box Animation Loaded", "**Radiator Deploy Animation Loaded",
                                 "**Solar Tracking Status Loaded"}));
}

TEST_F(TrussScenario, KeysMatchInAnyCase) {
    OBJHANDLE h = make("P", "Truss", {"type 63", "Tracking", "bAsEaNiM 0 0.25", "boxanim 0 0.5"});
    EXPECT_EQ(trussLines(h), (Lines{"  TYPE 63", "  DEPLOYANIM 0 0.000", "  TRACKING ", "  BASEANIM 0 0.250",
                                    "  BOXANIM 0 0.500"}));
}

TEST_F(TrussScenario, AKeyTakesAnyLineThatBeginsWithIt) {
    host().journal().enable();
    OBJHANDLE h = make("B", "Truss", {"TYPE2", "STS0"});
    EXPECT_EQ(host().journal().count("ParseScenarioLineEx"), 0u);
    host().journal().enable(false);
    EXPECT_EQ(trussLines(h), (Lines{"  TYPE 2", "  STS ", "  RADANIM 0 0.00"}));
    EXPECT_EQ(trussLog(), (Lines{"**Type Loaded", "**STS Loaded"}));
}

TEST_F(TrussScenario, StsValueTextIsNotReadSoZeroSwitchesTheTrunnionsOn) {
    OBJHANDLE h = make("B", "Truss", {"TYPE 2", "STS 0"});
    EXPECT_EQ(v(h).meshes.at(1).name, "Truss\\BaseTrunnions");
}

TEST_F(TrussScenario, LinesWithoutATrussKeyReachTheHostUnchanged) {
    host().journal().enable();
    OBJHANDLE h = make("S", "Truss", {"TYP 12", "ST", "BOXANI 1 0.5", "TRACK", "PLD 1 2 3", "RPOS 1 2 3"});
    EXPECT_EQ(host().journal().calls("ParseScenarioLineEx"),
              (Lines{"ParseScenarioLineEx TYP 12", "ParseScenarioLineEx ST", "ParseScenarioLineEx BOXANI 1 0.5",
                     "ParseScenarioLineEx TRACK", "ParseScenarioLineEx PLD 1 2 3", "ParseScenarioLineEx RPOS 1 2 3"}));
    EXPECT_TRUE(trussLog().empty());
    EXPECT_EQ(trussLines(h), Lines{"  TYPE 6"});
    EXPECT_DOUBLE_EQ(v(h).pos.x, 1.0);  // the host took its own line
}

TEST_F(TrussScenario, ABlockWithoutTrussLinesBuildsASixMetreSegment) {
    OBJHANDLE h = make("S", "Truss");
    EXPECT_EQ(trussLines(h), Lines{"  TYPE 6"});
    EXPECT_EQ(v(h).meshes.at(0).name, "Truss\\truss6m");
}

TEST_F(TrussScenario, AStatusIsReadAndThrownAwaySoNoMotionContinuesAfterLoading) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "DEPLOYANIM 2 0.4", "BASEANIM 2 0.25", "BOXANIM 1 0.5"});
    EXPECT_EQ(trussLines(h), (Lines{"  TYPE 63", "  DEPLOYANIM 0 0.400", "  BASEANIM 0 0.250", "  BOXANIM 0 0.500"}));
    host().journal().enable();
    host().step(1);
    EXPECT_EQ(host().journal().count("SetAnimation"), 0u);
}

TEST_F(TrussScenario, TheLastValueOfARepeatedKeyWins) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 12", "TYPE 63", "BOXANIM 0 0.1", "BOXANIM 0 0.9"});
    EXPECT_EQ(trussLines(h), (Lines{"  TYPE 63", "  DEPLOYANIM 0 0.000", "  BASEANIM 0 0.000", "  BOXANIM 0 0.900"}));
}

TEST_F(TrussScenario, RadanimAndDeployanimBothSetTheDeploymentAndTheLaterLineWins) {
    OBJHANDLE a = make("A", "Truss", {"TYPE 61", "DEPLOYANIM 0 0.3", "RADANIM 0 0.7"});
    EXPECT_EQ(trussLines(a), (Lines{"  TYPE 61", "  RADANIM 0 0.70"}));
    OBJHANDLE b = make("B", "Truss", {"TYPE 63", "RADANIM 0 0.7", "DEPLOYANIM 0 0.3"});
    EXPECT_EQ(trussLines(b).at(1), "  DEPLOYANIM 0 0.300");
}

TEST_F(TrussScenario, PayloadOffsetKeepsTheComponentsThatWereReadBeforeAFailure) {
    OBJHANDLE full = make("Full", "Truss", {"TYPE 2", "PLD_OFS 0.5 -1 2.25"});
    VECTOR3 p = payloadPoint(full);
    EXPECT_EQ(p.x, 0.5);
    EXPECT_EQ(p.y, -1.0);
    EXPECT_EQ(p.z, 2.25);

    OBJHANDLE partial = make("Partial", "Truss", {"TYPE 2", "PLD_OFS 1 2 3", "PLD_OFS 4 x 6"});
    p = payloadPoint(partial);
    EXPECT_EQ(p.x, 4.0);
    EXPECT_EQ(p.y, 2.0);
    EXPECT_EQ(p.z, 3.0);

    OBJHANDLE two = make("Two", "Truss", {"TYPE 2", "PLD_OFS 7 8"});
    p = payloadPoint(two);
    EXPECT_EQ(p.x, 7.0);
    EXPECT_EQ(p.y, 8.0);
    EXPECT_EQ(p.z, 0.0);
}

TEST_F(TrussScenario, ValuesThatDoNotParseKeepTheFieldAndStillLog) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "TYPE sixty", "BASEANIM 0 0.4", "BASEANIM x 0.9", "BOXANIM 0 0.6",
                                      "BOXANIM 1", "DEPLOYANIM 0 0.2", "DEPLOYANIM"});
    EXPECT_EQ(trussLines(h), (Lines{"  TYPE 63", "  DEPLOYANIM 0 0.200", "  BASEANIM 0 0.400", "  BOXANIM 0 0.600"}));
    EXPECT_EQ(trussLog().size(), 8u);
}

TEST_F(TrussScenario, NanAndInfinityAreReadPastButNeverTaken) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "BASEANIM 0 0.4", "BASEANIM 0 nan", "BOXANIM 0 0.6", "BOXANIM 0 inf",
                                      "DEPLOYANIM 0 0.2", "DEPLOYANIM 0 -INF", "DEPLOYANIM 0 1e999"});
    EXPECT_EQ(trussLines(h), (Lines{"  TYPE 63", "  DEPLOYANIM 0 0.200", "  BASEANIM 0 0.400", "  BOXANIM 0 0.600"}));
    EXPECT_EQ(trussLog().size(), 8u);

    // A component that is not finite keeps its value; the components after it are read.
    OBJHANDLE b = make("B", "Truss", {"TYPE 2", "PLD_OFS 1 2 3", "PLD_OFS nan 5 6", "PLD_OFS 4 inf 7"});
    VECTOR3 p = payloadPoint(b);
    EXPECT_EQ(p.x, 4.0);
    EXPECT_EQ(p.y, 5.0);
    EXPECT_EQ(p.z, 7.0);
}

// As %lf and %d read them: hexadecimal numbers, values too small for a double, and
// whatever the conversion takes as part of a number.
TEST_F(TrussScenario, ValuesReadAsTheScanfConversionsReadThem) {
    struct Case {
        const char* line;
        double x, y, z;  // of the payload point, after "PLD_OFS 7 8 9"
    };
    const Case cases[] = {
        {"PLD_OFS 0x1p-2 0X1.8P1 -0x.8", 0.25, 3.0, -0.5},
        {"PLD_OFS 1e-400 2 -1e-400", 0.0, 2.0, -0.0},
        {"PLD_OFS 1e-320 2 3", std::strtod("1e-320", nullptr), 2.0, 3.0},  // a denormal
        {"PLD_OFS 1e+ 2e 3", 1.0, 2.0, 3.0},  // an exponent without digits is taken, and ignored
        {"PLD_OFS infinity 1e999 5", 7.0, 8.0, 5.0},
        {"PLD_OFS infin 2 3", 7.0, 8.0, 9.0},  // no number: reading ends
        {"PLD_OFS 0x 2 3", 7.0, 8.0, 9.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        host().reset();
        host().setRoot(HOSTSIM_TEST_ROOT);
        const VECTOR3 p = payloadPoint(make("B", "Truss", {"TYPE 2", "PLD_OFS 7 8 9", c.line}));
        EXPECT_EQ(p.x, c.x);
        EXPECT_EQ(std::signbit(p.x), std::signbit(c.x));
        EXPECT_EQ(p.y, c.y);
        EXPECT_EQ(p.z, c.z);
        EXPECT_EQ(std::signbit(p.z), std::signbit(c.z));
    }

    // A state in hexadecimal; %d stops before "x", and a number beyond int saturates
    // (glibc would wrap 4294967298 to 2, a base segment), so both give a 6 m segment.
    OBJHANDLE h = make("S", "Truss", {"TYPE 63", "BASEANIM 0 0x1p-3"});
    EXPECT_EQ(trussLines(h).at(2), "  BASEANIM 0 0.125");
    EXPECT_EQ(trussLines(make("H", "Truss", {"TYPE 0x3F"})), (Lines{"  TYPE 6"}));
    EXPECT_EQ(trussLines(make("W", "Truss", {"TYPE 4294967298"})), (Lines{"  TYPE 6"}));
}

TEST_F(TrussScenario, NumbersMayCarryASignAndTrailingText) {
    OBJHANDLE h = make("P", "Truss", {"TYPE +63", "BASEANIM +0 +0.125", "BOXANIM 0 0.5rad"});
    EXPECT_EQ(trussLines(h), (Lines{"  TYPE 63", "  DEPLOYANIM 0 0.000", "  BASEANIM 0 0.125", "  BOXANIM 0 0.500"}));
}

TEST_F(TrussScenario, AStateOutsideZeroToOneIsStoredWithoutACheck) {
    OBJHANDLE h = make("R", "Truss", {"TYPE 61", "RADANIM 0 1.5"});
    EXPECT_EQ(trussLines(h), (Lines{"  TYPE 61", "  RADANIM 0 1.50"}));
}

TEST_F(TrussScenario, BaseSegmentWritesStsAndARadanimLineWithTwoDecimals) {
    OBJHANDLE sts = make("A", "Truss", {"TYPE 2", "STS"});
    EXPECT_EQ(trussLines(sts), (Lines{"  TYPE 2", "  STS ", "  RADANIM 0 0.00"}));
    OBJHANDLE plain = make("B", "Truss", {"TYPE 2", "RADANIM 0 0.126"});
    EXPECT_EQ(trussLines(plain), (Lines{"  TYPE 2", "  RADANIM 0 0.13"}));
}

TEST_F(TrussScenario, StraightSegmentsWriteOnlyTheirType) {
    for (const char* type : {"6", "12", "18"}) {
        SCOPED_TRACE(type);
        OBJHANDLE h = make(std::string("S") + type, "Truss",
                           {std::string("TYPE ") + type, "STS", "PLD_OFS 1 1 1", "RADANIM 0 0.5", "TRACKING"});
        EXPECT_EQ(trussLines(h), Lines{std::string("  TYPE ") + type});
    }
}

TEST_F(TrussScenario, RadiatorSegmentWritesItsDeploymentWithTwoDecimals) {
    OBJHANDLE h = make("R", "Truss", {"TYPE 61", "RADANIM 2 1.0"});
    EXPECT_EQ(trussLines(h), (Lines{"  TYPE 61", "  RADANIM 0 1.00"}));
}

TEST_F(TrussScenario, SolarSegmentWritesItsStatesWithThreeDecimalsAndTrackingBetween) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "DEPLOYANIM 0 0.12345", "BASEANIM 0 0.9996", "BOXANIM 0 0.0625",
                                      "TRACKING"});
    EXPECT_EQ(trussLines(h), (Lines{"  TYPE 63", "  DEPLOYANIM 0 0.123", "  TRACKING ", "  BASEANIM 0 1.000",
                                    "  BOXANIM 0 0.062"}));
}

TEST_F(TrussScenario, TheSimulatorsOwnLinesComeFirst) {
    OBJHANDLE h = make("P", "Truss", {"TYPE 63", "STATUS Orbiting Sun", "RPOS 10 20 30"});
    Lines all = host().saveVesselLines(h);
    ASSERT_GT(all.size(), 4u);
    EXPECT_EQ(all[0], "  STATUS Orbiting Sun");
    EXPECT_EQ(all[1], "  RPOS 10 20 30");
    EXPECT_EQ(all[2], "  TYPE 63");
}

TEST_F(TrussScenario, SaveLoadSaveGivesIdenticalLinesForEveryType) {
    const std::vector<Lines> blocks = {
        {"TYPE 2", "STS", "PLD_OFS 0 -1.5 0", "RADANIM 0 0.25"},
        {"TYPE 2"},
        {"TYPE 6"},
        {"TYPE 12"},
        {"TYPE 18"},
        {"TYPE 61", "RADANIM 1 0.37"},
        {"TYPE 63", "DEPLOYANIM 2 0.5", "TRACKING", "BASEANIM 0 0.125", "BOXANIM 1 0.875"},
        {"TYPE 63", "BASEANIM 0 0.3"},
    };
    int n = 0;
    for (const Lines& block : blocks) {
        SCOPED_TRACE(block.front());
        Lines first = host().saveVesselLines(make("A" + std::to_string(n), "Truss", block));
        // The saved lines are a scenario block of their own.
        Lines second = host().saveVesselLines(make("B" + std::to_string(n), "Truss", first));
        EXPECT_EQ(second, first);
        ++n;
    }
}

}  // namespace
