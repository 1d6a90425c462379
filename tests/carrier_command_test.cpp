// Keys and typed commands of the carrier: every rule by which K and Ctrl+K start and
// stop the pallet turn, the command box, and "GRAPPLE" and "RELEASE" with each of
// their failures. The turn is observed through the host: the animation state that
// the steps set, and whether a step moves anything at all.
#include <optional>
#include <string>
#include <vector>

#include "HostTest.h"

namespace {

class CarrierKeys : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        h = make("C", "Haulbed", {"SEGS 2"});
        host().setFocus(h);
    }

    double state() const { return v(h).animations.at(0).state; }
    int k() { return host().pressKey(OAPI_KEY_K); }
    int ctrlK() { return host().pressKey(OAPI_KEY_K, {OAPI_KEY_LCONTROL}); }

    // Steps `seconds` in steps of 10 s, so that every increment is exactly 0.125.
    void run(int seconds) {
        for (int t = 0; t < seconds; t += 10) host().step(10);
    }
    // Whether a further step changes the turn at all.
    bool stepMovesTurn() {
        host().journal().enable();
        host().journal().clear();
        host().step(10);
        const bool moved = host().journal().count("SetAnimation") > 0;
        host().journal().enable(false);
        return moved;
    }
    OBJHANDLE h = nullptr;
};

// ---- K: forward ----

TEST_F(CarrierKeys, KAtTheStartTurnsForwardToTheHalfTurn) {
    EXPECT_EQ(k(), 1);
    host().step(10);
    EXPECT_EQ(state(), 0.125);
    run(30);
    EXPECT_EQ(state(), 0.5);
    EXPECT_FALSE(stepMovesTurn());
}

TEST_F(CarrierKeys, KAgainBeforeArrivingStopsTheTurnAndAThirdKGoesOnToTheSameStop) {
    k();
    host().step(10);
    EXPECT_EQ(k(), 1);
    EXPECT_FALSE(stepMovesTurn());
    EXPECT_EQ(state(), 0.125);
    k();
    run(30);
    EXPECT_EQ(state(), 0.5);
    EXPECT_FALSE(stepMovesTurn());
}

TEST_F(CarrierKeys, KAtTheHalfTurnTurnsOnToTheFullTurn) {
    k();
    run(50);  // arrives and stops
    ASSERT_EQ(state(), 0.5);
    k();
    host().step(10);
    EXPECT_EQ(state(), 0.625);
    run(30);
    EXPECT_EQ(state(), 1.0);
    EXPECT_FALSE(stepMovesTurn());
}

TEST_F(CarrierKeys, KAtTheFullTurnStartsAgainFromZero) {
    k();
    run(50);
    k();
    run(50);
    ASSERT_EQ(state(), 1.0);
    k();
    host().step(10);
    EXPECT_EQ(state(), 0.125);
}

TEST_F(CarrierKeys, KBetweenStartAndHalfTurnHeadsForTheHalfTurn) {
    k();
    run(20);
    k();  // stops at 0.25
    k();
    run(20);
    EXPECT_EQ(state(), 0.5);
    EXPECT_FALSE(stepMovesTurn());
}

TEST_F(CarrierKeys, KBetweenHalfAndFullTurnHeadsForTheFullTurn) {
    k();
    run(50);
    k();
    host().step(10);
    k();  // stops at 0.625
    ASSERT_EQ(state(), 0.625);
    k();
    run(30);
    EXPECT_EQ(state(), 1.0);
}

TEST_F(CarrierKeys, KWithShiftHeldActsAsK) {
    EXPECT_EQ(host().pressKey(OAPI_KEY_K, {OAPI_KEY_LSHIFT}), 1);
    host().step(10);
    EXPECT_EQ(state(), 0.125);
}

// ---- Ctrl+K: backward ----

TEST_F(CarrierKeys, CtrlKAtTheStartSetsTheFullTurnAndTurnsBackToTheHalfTurn) {
    EXPECT_EQ(ctrlK(), 1);
    host().step(10);
    EXPECT_EQ(state(), 0.875);
    run(30);
    EXPECT_EQ(state(), 0.5);
    EXPECT_FALSE(stepMovesTurn());
}

TEST_F(CarrierKeys, CtrlKAtTheFullTurnTurnsBackToTheHalfTurn) {
    k();
    run(50);
    k();
    run(50);
    ASSERT_EQ(state(), 1.0);
    ctrlK();
    host().step(10);
    EXPECT_EQ(state(), 0.875);
}

TEST_F(CarrierKeys, CtrlKBetweenHalfAndFullTurnHeadsForTheHalfTurn) {
    ctrlK();
    host().step(10);
    ctrlK();  // stops at 0.875
    ASSERT_FALSE(stepMovesTurn());
    ctrlK();
    run(30);
    EXPECT_EQ(state(), 0.5);
    EXPECT_FALSE(stepMovesTurn());
}

TEST_F(CarrierKeys, CtrlKAtTheHalfTurnTurnsBackToTheStart) {
    k();
    run(50);
    ASSERT_EQ(state(), 0.5);
    ctrlK();
    host().step(10);
    EXPECT_EQ(state(), 0.375);
    run(30);
    EXPECT_EQ(state(), 0.0);
    EXPECT_FALSE(stepMovesTurn());
}

TEST_F(CarrierKeys, CtrlKBetweenStartAndHalfTurnHeadsForTheStart) {
    k();
    host().step(10);
    k();  // stops at 0.125
    ctrlK();
    host().step(10);
    EXPECT_EQ(state(), 0.0);
    EXPECT_FALSE(stepMovesTurn());
}

TEST_F(CarrierKeys, CtrlKStopsAForwardTurnAndKStopsABackwardOne) {
    k();
    host().step(10);
    EXPECT_EQ(ctrlK(), 1);
    EXPECT_FALSE(stepMovesTurn());
    EXPECT_EQ(state(), 0.125);

    ctrlK();  // now backward from 0.125 toward 0
    EXPECT_EQ(k(), 1);
    EXPECT_FALSE(stepMovesTurn());
    EXPECT_EQ(state(), 0.125);
}

TEST_F(CarrierKeys, RightControlCountsAsControl) {
    EXPECT_EQ(host().pressKey(OAPI_KEY_K, {OAPI_KEY_RCONTROL}), 1);
    host().step(10);
    EXPECT_EQ(state(), 0.875);
}

// ---- Keys the carrier leaves alone ----

TEST_F(CarrierKeys, SpaceWithoutControlAndOtherKeysAreNotTaken) {
    EXPECT_EQ(host().pressKey(OAPI_KEY_SPACE), 0);
    EXPECT_EQ(host().pressKey(OAPI_KEY_J), 0);
    EXPECT_EQ(host().pressKey(OAPI_KEY_L, {OAPI_KEY_LCONTROL}), 0);
    EXPECT_FALSE(host().pendingInputBox().has_value());
    EXPECT_FALSE(stepMovesTurn());
}

TEST_F(CarrierKeys, KeyReleasesAreNotTakenAndChangeNothing) {
    EXPECT_EQ(host().releaseKey(OAPI_KEY_K), 0);
    EXPECT_EQ(host().releaseKey(OAPI_KEY_K, {OAPI_KEY_LCONTROL}), 0);
    EXPECT_EQ(host().releaseKey(OAPI_KEY_SPACE, {OAPI_KEY_LCONTROL}), 0);
    EXPECT_FALSE(stepMovesTurn());
    EXPECT_FALSE(host().pendingInputBox().has_value());
}

TEST_F(CarrierKeys, CtrlSpaceOpensTheCommandBoxAndLeavesTheKeyToTheHost) {
    EXPECT_EQ(host().pressKey(OAPI_KEY_SPACE, {OAPI_KEY_LCONTROL}), 0);
    const auto& box = host().pendingInputBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->title, "Command");
    EXPECT_EQ(box->initialText, "");
    EXPECT_EQ(box->visibleLength, 20);
    // The carrier's object itself: it begins where its VESSEL2 part does, while the
    // VESSEL part (no virtual function, so no table pointer) lies behind that.
    EXPECT_EQ(box->userData, static_cast<void*>(v(h).callbacks()));
    EXPECT_NE(box->callback, nullptr);
}

// ---- Typed commands ----

class CarrierCommands : public CarrierKeys {
protected:
    void SetUp() override {
        CarrierKeys::SetUp();
        crate = makeCrate("Box");
        other = makeCrate("Other");
    }
    OBJHANDLE makeCrate(const std::string& name) {
        OBJHANDLE c = make(name, "Crate");
        oapiGetVesselInterface(c)->CreateAttachment(true, _V(0, 0, 0), _V(0, -1, 0), _V(0, 0, 1), "LOAD");
        return c;
    }
    // Opens the box with Ctrl+Space and types `text` into it.
    std::optional<bool> type(const std::string& text) {
        host().pressKey(OAPI_KEY_SPACE, {OAPI_KEY_LCONTROL});
        return host().answerInputBox(text);
    }
    const hostsim::Vessel* atPallet(size_t k) const {
        const hostsim::Attachment* partner = v(h).childPoints.at(k)->partner;
        return partner ? partner->owner : nullptr;
    }

    OBJHANDLE crate = nullptr, other = nullptr;
};

TEST_F(CarrierCommands, GrappleAttachesTheNamedVesselByItsPointToThePallet) {
    EXPECT_EQ(type("GRAPPLE Box 5 0"), std::optional<bool>(true));
    EXPECT_EQ(atPallet(5), &v(crate));
}

TEST_F(CarrierCommands, GrappleInLowerCaseAndWithoutABlankAfterTheWordWorks) {
    EXPECT_EQ(type("grapple box 1 0"), std::optional<bool>(true));
    EXPECT_EQ(atPallet(1), &v(crate));
    EXPECT_EQ(type("GRAPPLEOther 2 0"), std::optional<bool>(true));
    EXPECT_EQ(atPallet(2), &v(other));
}

TEST_F(CarrierCommands, GrappleWithANameAndOnlyOneNumberFails) {
    host().journal().enable();
    EXPECT_EQ(type("GRAPPLE Box 1"), std::optional<bool>(false));
    EXPECT_EQ(type("GRAPPLE Box"), std::optional<bool>(false));
    EXPECT_EQ(type("GRAPPLE"), std::optional<bool>(false));
    EXPECT_EQ(type("GRAPPLE Box one 0"), std::optional<bool>(false));
    EXPECT_EQ(host().journal().count("AttachChild"), 0u);
    EXPECT_EQ(v(crate).attachedTo(), nullptr);
}

TEST_F(CarrierCommands, GrappleWithANameNoVesselBearsFails) {
    host().journal().enable();
    EXPECT_EQ(type("GRAPPLE Nobody 0 0"), std::optional<bool>(false));
    EXPECT_EQ(host().journal().count("AttachChild"), 0u);
}

TEST_F(CarrierCommands, GrappleOntoAnOccupiedPalletFailsAndKeepsThePresentPayload) {
    ASSERT_EQ(type("GRAPPLE Box 3 0"), std::optional<bool>(true));
    host().journal().enable();
    EXPECT_EQ(type("GRAPPLE Other 3 0"), std::optional<bool>(false));
    EXPECT_EQ(host().journal().count("AttachChild"), 0u);
    EXPECT_EQ(atPallet(3), &v(crate));
    EXPECT_EQ(v(other).attachedTo(), nullptr);
}

TEST_F(CarrierCommands, GrappleOntoAPalletOrByAPointThatDoesNotExistFails) {
    host().journal().enable();
    EXPECT_EQ(type("GRAPPLE Box 8 0"), std::optional<bool>(false));  // two segments: pallets 0 to 7
    EXPECT_EQ(type("GRAPPLE Box -1 0"), std::optional<bool>(false));
    EXPECT_EQ(type("GRAPPLE Box 0 1"), std::optional<bool>(false));  // the crate has one point
    EXPECT_EQ(type("GRAPPLE Box 0 -1"), std::optional<bool>(false));
    EXPECT_EQ(type("GRAPPLE Box 99999999999999999999 0"), std::optional<bool>(false));
    EXPECT_EQ(host().journal().count("AttachChild"), 0u);
    EXPECT_EQ(v(crate).attachedTo(), nullptr);
}

TEST_F(CarrierCommands, GrappleWithANameLongerThanItsBufferFailsSafely) {
    const std::string longName(5000, 'B');
    EXPECT_EQ(type("GRAPPLE " + longName + " 0 0"), std::optional<bool>(false));
    EXPECT_EQ(type("GRAPPLE " + std::string(1023, 'x') + " 0 0"), std::optional<bool>(false));
    EXPECT_EQ(atPallet(0), nullptr);
}

TEST_F(CarrierCommands, ReleaseLetsThePayloadGoWithNoAddedVelocity) {
    ASSERT_EQ(type("GRAPPLE Box 2 0"), std::optional<bool>(true));
    host().journal().enable();
    EXPECT_EQ(type("release 2"), std::optional<bool>(true));
    EXPECT_EQ(v(crate).attachedTo(), nullptr);
    EXPECT_EQ(atPallet(2), nullptr);
    EXPECT_EQ(v(crate).vel.x, 0.0);
    EXPECT_EQ(v(crate).vel.y, 0.0);
    EXPECT_EQ(v(crate).vel.z, 0.0);
    const std::vector<std::string> detaches = host().journal().calls("DetachChild");
    ASSERT_EQ(detaches.size(), 1u);
    EXPECT_EQ(detaches[0].substr(detaches[0].rfind(' ') + 1), "0");
}

TEST_F(CarrierCommands, ReleaseWithoutAValidPalletNumberFails) {
    ASSERT_EQ(type("GRAPPLE Box 0 0"), std::optional<bool>(true));
    host().journal().enable();
    EXPECT_EQ(type("RELEASE"), std::optional<bool>(false));
    EXPECT_EQ(type("RELEASE x"), std::optional<bool>(false));
    EXPECT_EQ(type("RELEASE -1"), std::optional<bool>(false));
    EXPECT_EQ(type("RELEASE 8"), std::optional<bool>(false));  // equal to the number of pallets
    EXPECT_EQ(type("RELEASE 9"), std::optional<bool>(false));
    EXPECT_EQ(type("RELEASE 4294967296"), std::optional<bool>(false));
    EXPECT_EQ(host().journal().count("DetachChild"), 0u);
    EXPECT_EQ(atPallet(0), &v(crate));
}

TEST_F(CarrierCommands, ReleaseOfAFreePalletFails) {
    EXPECT_EQ(type("RELEASE 7"), std::optional<bool>(false));
}

TEST_F(CarrierCommands, OtherTextIsNoCommand) {
    ASSERT_EQ(type("GRAPPLE Box 0 0"), std::optional<bool>(true));
    EXPECT_EQ(type(""), std::optional<bool>(false));
    EXPECT_EQ(type("REL 0"), std::optional<bool>(false));
    EXPECT_EQ(type("RELEAS 0"), std::optional<bool>(false));
    EXPECT_EQ(type("DETACH 0"), std::optional<bool>(false));
    EXPECT_EQ(type(" RELEASE 0"), std::optional<bool>(false));
    EXPECT_EQ(atPallet(0), &v(crate));
}

TEST_F(CarrierCommands, AGrappledPayloadTurnsWithThePalletAndIsReleasedThere) {
    ASSERT_EQ(type("GRAPPLE Box 0 0"), std::optional<bool>(true));
    k();
    run(40);
    EXPECT_NEAR(v(crate).pos.x, 0.75, 1e-9);
    EXPECT_NEAR(v(crate).pos.y, -0.04, 1e-9);
    EXPECT_EQ(type("RELEASE 0"), std::optional<bool>(true));
    host().step(10);
    EXPECT_NEAR(v(crate).pos.x, 0.75, 1e-9);
    EXPECT_NEAR(v(crate).pos.y, -0.04, 1e-9);
}

}  // namespace
