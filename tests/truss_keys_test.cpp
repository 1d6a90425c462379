// The truss keyboard through the host's key delivery: which keys are taken with and
// without either Ctrl key, the start-stop keys, tracking, the home command, and the
// input callbacks that do nothing.
#include <algorithm>
#include <string>
#include <vector>

#include "HostTest.h"

namespace {

using Lines = std::vector<std::string>;

constexpr DWORD kCtrlKeys[] = {OAPI_KEY_LCONTROL, OAPI_KEY_RCONTROL};

class TrussKeys : public HostTest {
protected:
    OBJHANDLE focused(const std::vector<std::string>& lines) {
        OBJHANDLE h = make("T", "Truss", lines);
        host().setFocus(h);
        return h;
    }

    std::string savedLine(OBJHANDLE h, const std::string& key) {
        for (const std::string& line : host().saveVesselLines(h))
            if (line.rfind("  " + key, 0) == 0) return line;
        return "";
    }

    // The status digit of an animation line.
    int status(OBJHANDLE h, const std::string& key) {
        const std::string line = savedLine(h, key);
        EXPECT_FALSE(line.empty()) << key;
        return line.empty() ? -1 : line[3 + key.size()] - '0';
    }

    // The lines the truss writes, from "TYPE" on.
    Lines trussLines(OBJHANDLE h) {
        Lines all = host().saveVesselLines(h);
        auto type = std::find_if(all.begin(), all.end(), [](const std::string& l) { return l.rfind("  TYPE ", 0) == 0; });
        return Lines(type, all.end());
    }

    // The journaled calls that change something, leaving out the per-step questions
    // whether a grapple point is held.
    Lines changes() {
        Lines names;
        for (const std::string& name : host().journal().names())
            if (name != "GetAttachmentStatus" && name != "oapiIsVessel") names.push_back(name);
        return names;
    }

    bool tracking(OBJHANDLE h) { return !savedLine(h, "TRACKING").empty(); }
};

TEST_F(TrussKeys, KeyReleasesAreNeverTakenAndChangeNothing) {
    OBJHANDLE h = focused({"TYPE 63"});
    const Lines before = host().saveVesselLines(h);
    for (DWORD key : {OAPI_KEY_D, OAPI_KEY_G, OAPI_KEY_J, OAPI_KEY_K, OAPI_KEY_U}) {
        EXPECT_EQ(host().releaseKey(key), 0);
        EXPECT_EQ(host().releaseKey(key, {OAPI_KEY_LCONTROL}), 0);
        EXPECT_EQ(host().releaseKey(key, {OAPI_KEY_RCONTROL}), 0);
    }
    EXPECT_EQ(host().saveVesselLines(h), before);
}

TEST_F(TrussKeys, DWithoutCtrlSwitchesTrackingOnAndOff) {
    OBJHANDLE h = focused({"TYPE 63"});
    EXPECT_EQ(host().pressKey(OAPI_KEY_D), 1);
    EXPECT_TRUE(tracking(h));
    EXPECT_EQ(host().pressKey(OAPI_KEY_D, {OAPI_KEY_LSHIFT}), 1);  // Shift is not looked at
    EXPECT_FALSE(tracking(h));
}

TEST_F(TrussKeys, DWithEitherCtrlIsNotTakenAndLeavesTracking) {
    for (DWORD ctrl : kCtrlKeys) {
        OBJHANDLE h = make("T" + std::to_string(ctrl), "Truss", {"TYPE 63", "TRACKING"});
        host().setFocus(h);
        EXPECT_EQ(host().pressKey(OAPI_KEY_D, {ctrl}), 0);
        EXPECT_TRUE(tracking(h));
    }
}

TEST_F(TrussKeys, UWithoutCtrlIsNotTaken) {
    OBJHANDLE h = focused({"TYPE 63", "TRACKING"});
    EXPECT_EQ(host().pressKey(OAPI_KEY_U), 0);
    EXPECT_TRUE(tracking(h));
    host().setPose(h, _V(1e6, 0, 0), hostsim::Host::rotationFromAngles(_V(0, 0, 0)));
    host().journal().enable();
    host().step(0.0);  // no home motion was started
    EXPECT_EQ(host().journal().count("SetAnimation"), 2u);  // the trackers only
}

TEST_F(TrussKeys, OtherKeysAreNotTakenWithOrWithoutCtrl) {
    focused({"TYPE 63"});
    for (DWORD key : {OAPI_KEY_A, OAPI_KEY_Q, OAPI_KEY_SPACE, OAPI_KEY_H, OAPI_KEY_ESCAPE}) {
        EXPECT_EQ(host().pressKey(key), 0) << key;
        for (DWORD ctrl : kCtrlKeys) EXPECT_EQ(host().pressKey(key, {ctrl}), 0) << key;
    }
}

TEST_F(TrussKeys, GAndCtrlGStartTheBaseBackwardAndForwardAndEitherStopsIt) {
    for (DWORD ctrl : kCtrlKeys) {
        SCOPED_TRACE(ctrl);
        host().reset();
        host().setRoot(HOSTSIM_TEST_ROOT);
        OBJHANDLE h = focused({"TYPE 63"});
        EXPECT_EQ(host().pressKey(OAPI_KEY_G), 1);
        EXPECT_EQ(status(h, "BASEANIM"), 1);
        EXPECT_EQ(host().pressKey(OAPI_KEY_G, {ctrl}), 1);  // a running motion stops, whichever way
        EXPECT_EQ(status(h, "BASEANIM"), 0);
        EXPECT_EQ(host().pressKey(OAPI_KEY_G, {ctrl}), 1);
        EXPECT_EQ(status(h, "BASEANIM"), 2);
        EXPECT_EQ(host().pressKey(OAPI_KEY_G), 1);
        EXPECT_EQ(status(h, "BASEANIM"), 0);
        EXPECT_EQ(status(h, "BOXANIM"), 0);
        EXPECT_EQ(status(h, "DEPLOYANIM"), 0);
    }
}

TEST_F(TrussKeys, JAndCtrlJStartTheBoxBackwardAndForwardAndEitherStopsIt) {
    for (DWORD ctrl : kCtrlKeys) {
        SCOPED_TRACE(ctrl);
        host().reset();
        host().setRoot(HOSTSIM_TEST_ROOT);
        OBJHANDLE h = focused({"TYPE 63"});
        EXPECT_EQ(host().pressKey(OAPI_KEY_J, {ctrl}), 1);
        EXPECT_EQ(status(h, "BOXANIM"), 2);
        EXPECT_EQ(host().pressKey(OAPI_KEY_J), 1);
        EXPECT_EQ(status(h, "BOXANIM"), 0);
        EXPECT_EQ(host().pressKey(OAPI_KEY_J), 1);
        EXPECT_EQ(status(h, "BOXANIM"), 1);
        EXPECT_EQ(status(h, "BASEANIM"), 0);
    }
}

TEST_F(TrussKeys, KWhileTheArraysDeployStopsThemAndASecondKRetractsFromThere) {
    OBJHANDLE h = focused({"TYPE 63"});
    EXPECT_EQ(host().pressKey(OAPI_KEY_K, {OAPI_KEY_LCONTROL}), 1);
    for (int n = 0; n < 4; ++n) host().step(1);
    EXPECT_EQ(savedLine(h, "DEPLOYANIM"), "  DEPLOYANIM 2 0.100");
    EXPECT_EQ(host().pressKey(OAPI_KEY_K), 1);
    host().step(1);
    EXPECT_EQ(savedLine(h, "DEPLOYANIM"), "  DEPLOYANIM 0 0.100");
    EXPECT_EQ(host().pressKey(OAPI_KEY_K), 1);
    host().step(1);
    EXPECT_EQ(savedLine(h, "DEPLOYANIM"), "  DEPLOYANIM 1 0.075");
}

TEST_F(TrussKeys, CtrlKOnAFullyDeployedRadiatorStartsAMotionThatStopsInTheNextStep) {
    for (DWORD ctrl : kCtrlKeys) {
        SCOPED_TRACE(ctrl);
        host().reset();
        host().setRoot(HOSTSIM_TEST_ROOT);
        OBJHANDLE h = focused({"TYPE 61", "RADANIM 0 1"});
        EXPECT_EQ(host().pressKey(OAPI_KEY_K, {ctrl}), 1);
        EXPECT_EQ(savedLine(h, "RADANIM"), "  RADANIM 2 1.00");
        host().step(1);
        EXPECT_EQ(savedLine(h, "RADANIM"), "  RADANIM 0 1.00");
    }
}

TEST_F(TrussKeys, CtrlJWhileTheBoxTurnsStopsTheBoxAndLeavesTheDeployment) {
    OBJHANDLE h = focused({"TYPE 63"});
    host().pressKey(OAPI_KEY_K, {OAPI_KEY_RCONTROL});
    host().pressKey(OAPI_KEY_J);
    EXPECT_EQ(host().pressKey(OAPI_KEY_J, {OAPI_KEY_RCONTROL}), 1);
    EXPECT_EQ(status(h, "BOXANIM"), 0);
    EXPECT_EQ(status(h, "DEPLOYANIM"), 2);
}

TEST_F(TrussKeys, GOnASixMetreSegmentIsTakenButNothingMovesOrIsSaved) {
    OBJHANDLE h = focused({"TYPE 6"});
    EXPECT_EQ(host().pressKey(OAPI_KEY_G), 1);
    EXPECT_EQ(host().pressKey(OAPI_KEY_K, {OAPI_KEY_LCONTROL}), 1);
    EXPECT_EQ(host().pressKey(OAPI_KEY_D), 1);
    host().journal().enable();
    host().step(1);
    EXPECT_TRUE(changes().empty());
    EXPECT_EQ(savedLine(h, "TYPE"), "  TYPE 6");
    EXPECT_EQ(host().saveVesselLines(h).back(), "  TYPE 6");
}

TEST_F(TrussKeys, DWhileTheBaseTurnsByHandSwitchesToTrackingAndKeepsTheHandStatus) {
    OBJHANDLE h = focused({"TYPE 63"});
    host().pressKey(OAPI_KEY_G, {OAPI_KEY_LCONTROL});
    EXPECT_EQ(host().pressKey(OAPI_KEY_D), 1);
    EXPECT_TRUE(tracking(h));
    EXPECT_EQ(status(h, "BASEANIM"), 2);
    host().pressKey(OAPI_KEY_D);
    EXPECT_FALSE(tracking(h));
    EXPECT_EQ(status(h, "BASEANIM"), 2);
}

TEST_F(TrussKeys, CtrlUWhileTrackingStopsEverythingAndSendsBaseAndBoxHome) {
    for (DWORD ctrl : kCtrlKeys) {
        SCOPED_TRACE(ctrl);
        host().reset();
        host().setRoot(HOSTSIM_TEST_ROOT);
        OBJHANDLE h = focused({"TYPE 63", "BASEANIM 0 0.2", "BOXANIM 0 0.8", "TRACKING"});
        host().pressKey(OAPI_KEY_K, {OAPI_KEY_LCONTROL});
        host().pressKey(OAPI_KEY_G);
        host().pressKey(OAPI_KEY_J, {OAPI_KEY_LCONTROL});
        EXPECT_EQ(host().pressKey(OAPI_KEY_U, {ctrl}), 1);
        EXPECT_FALSE(tracking(h));
        EXPECT_EQ(status(h, "DEPLOYANIM"), 0);
        EXPECT_EQ(status(h, "BASEANIM"), 0);
        EXPECT_EQ(status(h, "BOXANIM"), 0);
        host().step(1);
        EXPECT_EQ(savedLine(h, "BASEANIM"), "  BASEANIM 0 0.196");
        EXPECT_EQ(savedLine(h, "BOXANIM"), "  BOXANIM 0 0.804");
        EXPECT_EQ(savedLine(h, "DEPLOYANIM"), "  DEPLOYANIM 0 0.000");
    }
}

TEST_F(TrussKeys, CtrlUOnARadiatorStopsItWhereItStands) {
    OBJHANDLE h = focused({"TYPE 61"});
    host().pressKey(OAPI_KEY_K, {OAPI_KEY_LCONTROL});
    host().step(2);
    EXPECT_EQ(host().pressKey(OAPI_KEY_U, {OAPI_KEY_RCONTROL}), 1);
    host().journal().enable();
    host().step(2);
    EXPECT_TRUE(changes().empty());
    EXPECT_EQ(savedLine(h, "RADANIM"), "  RADANIM 0 0.10");
}

TEST_F(TrussKeys, GenericMessagesAndDockEventsAreAnsweredWithNothing) {
    OBJHANDLE h = focused({"TYPE 63", "TRACKING"});
    OBJHANDLE other = make("Other", "Truss", {"TYPE 6"});
    const Lines before = trussLines(h);
    auto* object = static_cast<VESSEL3*>(v(h).iface);
    host().journal().enable();
    for (int msg : {0, 1, 42, -7}) EXPECT_EQ(object->clbkGeneric(msg, msg * 3, nullptr), 0);
    ASSERT_TRUE(host().dock(other, 0, h, 1));  // the host tells both sides
    EXPECT_TRUE(host().journal().entries().empty());
    host().journal().enable(false);
    EXPECT_EQ(trussLines(h), before);
}

}  // namespace
