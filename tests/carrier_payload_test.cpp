// Payloads on the carrier's pallet points, attached and listed through the loaded
// module and released when the segment count changes.
#include <cmath>
#include <string>
#include <vector>

#include "CarrierOps.h"
#include "HostTest.h"

namespace {

class CarrierPayload : public HostTest {
protected:
    static CarrierOps carrier(OBJHANDLE h) { return {v(h).iface}; }

    // A plain vessel with one parent point at its origin, by which it rides.
    OBJHANDLE makeCrate(const std::string& name) {
        OBJHANDLE h = make(name, "Crate");
        oapiGetVesselInterface(h)->CreateAttachment(true, _V(0, 0, 0), _V(0, -1, 0), _V(0, 0, 1), "LOAD");
        return h;
    }

    // The vessel hanging at child point k of `parent`, or null.
    static const hostsim::Vessel* atPallet(OBJHANDLE parent, size_t k) {
        const hostsim::Attachment* partner = v(parent).childPoints.at(k)->partner;
        return partner ? partner->owner : nullptr;
    }
};

TEST_F(CarrierPayload, AttachingANonVesselFailsAndCallsNothingElse) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 2"});
    int notAVessel = 0;
    host().journal().enable();
    EXPECT_FALSE(carrier(h).AttachPayload(0, 0, &notAVessel));
    EXPECT_FALSE(carrier(h).AttachPayload(0, 0, nullptr));
    EXPECT_EQ(host().journal().names(), (std::vector<std::string>{"oapiIsVessel", "oapiIsVessel"}));
    EXPECT_TRUE(carrier(h).ListPayloads().empty());
}

TEST_F(CarrierPayload, AttachedPayloadHangsAtItsPalletPoint) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 2"});
    OBJHANDLE crate = makeCrate("Box");
    ASSERT_TRUE(carrier(h).AttachPayload(3, 0, crate));

    EXPECT_EQ(atPallet(h, 3), &v(crate));
    // Corner 3 of segment 0; the crate's point is its origin.
    EXPECT_NEAR(v(crate).pos.x, 0.75, 1e-12);
    EXPECT_NEAR(v(crate).pos.y, -0.04, 1e-12);
    EXPECT_NEAR(v(crate).pos.z, 0.0, 1e-12);
}

TEST_F(CarrierPayload, ListIsEmptyWhenNothingRidesOnTheCarrier) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 3"});
    EXPECT_TRUE(carrier(h).ListPayloads().empty());
}

TEST_F(CarrierPayload, ListFollowsPalletOrderAndSkipsFreePoints) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 2"});
    OBJHANDLE a = makeCrate("A");
    OBJHANDLE b = makeCrate("B");
    ASSERT_TRUE(carrier(h).AttachPayload(5, 0, a));
    ASSERT_TRUE(carrier(h).AttachPayload(0, 0, b));
    EXPECT_EQ(carrier(h).ListPayloads(), (std::vector<OBJHANDLE>{b, a}));
}

TEST_F(CarrierPayload, ChangingTheSegmentCountSetsEveryPayloadFree) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 3"});
    OBJHANDLE a = makeCrate("A");
    OBJHANDLE b = makeCrate("B");
    ASSERT_TRUE(carrier(h).AttachPayload(1, 0, a));
    ASSERT_TRUE(carrier(h).AttachPayload(10, 0, b));
    const VECTOR3 bWas = v(b).pos;
    host().journal().enable();

    carrier(h).SetSegmentCount(2, false);

    EXPECT_TRUE(carrier(h).ListPayloads().empty());
    EXPECT_EQ(v(a).attachedTo(), nullptr);
    EXPECT_EQ(v(b).attachedTo(), nullptr);
    // Released where they were, with no velocity of their own added.
    EXPECT_EQ(v(b).pos.z, bWas.z);
    EXPECT_EQ(v(b).vel.x, 0.0);
    EXPECT_EQ(v(b).vel.y, 0.0);
    EXPECT_EQ(v(b).vel.z, 0.0);
    const std::vector<std::string> detaches = host().journal().calls("DetachChild");
    ASSERT_EQ(detaches.size(), 2u);
    for (const std::string& call : detaches) EXPECT_EQ(call.substr(call.rfind(' ') + 1), "0");
}

TEST_F(CarrierPayload, PalletFourIsTheFirstPointOfTheSecondSegment) {
    OBJHANDLE one = make("One", "Haulbed", {"SEGS 1"});
    OBJHANDLE two = make("Two", "Haulbed", {"SEGS 2"});
    OBJHANDLE crate = makeCrate("Box");

    EXPECT_FALSE(carrier(one).AttachPayload(4, 0, crate));
    EXPECT_EQ(v(crate).attachedTo(), nullptr);

    ASSERT_TRUE(carrier(two).AttachPayload(4, 0, crate));
    EXPECT_NEAR(v(crate).pos.x, -0.75, 1e-12);
    EXPECT_NEAR(v(crate).pos.y, 0.04, 1e-12);
    EXPECT_NEAR(v(crate).pos.z, 1.5, 1e-12);
}

TEST_F(CarrierPayload, PalletIndexOrPayloadPointOutOfRangeMakesTheAttachmentFail) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 1"});
    OBJHANDLE crate = makeCrate("Box");
    host().journal().enable();
    EXPECT_FALSE(carrier(h).AttachPayload(4, 0, crate));
    EXPECT_FALSE(carrier(h).AttachPayload(4000000000u, 0, crate));
    EXPECT_FALSE(carrier(h).AttachPayload(0, 1, crate));
    EXPECT_EQ(host().journal().count("AttachChild"), 0u);
    EXPECT_EQ(v(crate).attachedTo(), nullptr);
}

TEST_F(CarrierPayload, AnOccupiedPalletPointKeepsItsPayload) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 1"});
    OBJHANDLE first = makeCrate("First");
    OBJHANDLE second = makeCrate("Second");
    ASSERT_TRUE(carrier(h).AttachPayload(2, 0, first));
    EXPECT_FALSE(carrier(h).AttachPayload(2, 0, second));
    EXPECT_EQ(atPallet(h, 2), &v(first));
    EXPECT_EQ(v(second).attachedTo(), nullptr);
}

TEST_F(CarrierPayload, ATrussSegmentRidesByItsOwnPoint) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 1"});
    OBJHANDLE truss = make("T", "Truss");
    ASSERT_GE(v(truss).parentPoints.size(), 1u);
    ASSERT_TRUE(carrier(h).AttachPayload(0, 0, truss));
    EXPECT_EQ(carrier(h).ListPayloads(), std::vector<OBJHANDLE>{truss});
}

}  // namespace
