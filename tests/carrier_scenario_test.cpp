// The carrier's scenario lines: segment count, carrier point and trunnions read in
// any case, partial and malformed values, lines passed on to the host, and what a
// save writes in which order.
#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "CarrierOps.h"
#include "HostTest.h"

namespace {

class CarrierScenario : public HostTest {
protected:
    static CarrierOps carrier(OBJHANDLE h) { return {v(h).iface}; }

    static size_t segments(OBJHANDLE h) { return v(h).childPoints.size() / 4; }
    static size_t trunnionMeshes(OBJHANDLE h) {
        return size_t(std::count_if(v(h).meshes.begin(), v(h).meshes.end(), [](const hostsim::Mesh& m) {
            return m.used && m.name == "Truss\\Carriers\\Trunnions";
        }));
    }
    static VECTOR3 carrierPoint(OBJHANDLE h) { return v(h).parentPoints.at(0)->pos; }

    // Position of the saved line whose first word is `key`, or npos.
    static size_t lineOf(const std::vector<std::string>& lines, const std::string& key) {
        for (size_t i = 0; i < lines.size(); ++i) {
            std::istringstream words(lines[i]);
            std::string first;
            if (words >> first && first == key) return i;
        }
        return std::string::npos;
    }
};

TEST_F(CarrierScenario, ABlockWithoutCarrierLinesGivesOneSegmentNoOffsetAndNoTrunnions) {
    OBJHANDLE h = make("C", "Haulbed");
    EXPECT_EQ(segments(h), 1u);
    EXPECT_EQ(carrierPoint(h).x, 0.0);
    EXPECT_EQ(carrierPoint(h).y, 0.0);
    EXPECT_EQ(carrierPoint(h).z, 0.0);
    EXPECT_EQ(trunnionMeshes(h), 0u);
}

TEST_F(CarrierScenario, SegmentKeyIsReadInLowerCase) {
    EXPECT_EQ(segments(make("Upper", "Haulbed", {"SEGS 3"})), 3u);
    EXPECT_EQ(segments(make("Lower", "Haulbed", {"segs 3"})), 3u);
    EXPECT_EQ(segments(make("Mixed", "Haulbed", {"SeGs\t3"})), 3u);
}

TEST_F(CarrierScenario, SegmentKeyFollowedByALetterKeepsTheCount) {
    EXPECT_EQ(segments(make("Fresh", "Haulbed", {"SEGSX3"})), 1u);
    EXPECT_EQ(segments(make("Earlier", "Haulbed", {"SEGS 4", "SEGSa3"})), 4u);
    EXPECT_EQ(segments(make("Bare", "Haulbed", {"SEGS"})), 1u);
}

TEST_F(CarrierScenario, ALaterSegmentLineOverridesAnEarlierOne) {
    EXPECT_EQ(segments(make("C", "Haulbed", {"SEGS 4", "SEGS 2"})), 2u);
}

TEST_F(CarrierScenario, ZeroOrNegativeSegmentsGiveOneAndTooManyGiveTheLimit) {
    EXPECT_EQ(segments(make("Zero", "Haulbed", {"SEGS 0"})), 1u);
    EXPECT_EQ(segments(make("Negative", "Haulbed", {"SEGS -2"})), 1u);
    EXPECT_EQ(segments(make("Hundred", "Haulbed", {"SEGS 100"})), 100u);
    EXPECT_EQ(segments(make("TooMany", "Haulbed", {"SEGS 101"})), 100u);
    EXPECT_EQ(segments(make("Huge", "Haulbed", {"SEGS 99999999999999999999999"})), 100u);
    EXPECT_DOUBLE_EQ(v(host().vesselByName("Huge")->handle).emptyMass, 1890.0 + 350.0 * 100);
}

TEST_F(CarrierScenario, PayloadOffsetLinePlacesTheCarrierPoint) {
    OBJHANDLE h = make("C", "Haulbed", {"PLD_OFS 0.5 -1.2 2"});
    EXPECT_EQ(carrierPoint(h).x, 0.5);
    EXPECT_EQ(carrierPoint(h).y, -1.2);
    EXPECT_EQ(carrierPoint(h).z, 2.0);
    OBJHANDLE lower = make("L", "Haulbed", {"pld_ofs 1 2 3"});
    EXPECT_EQ(carrierPoint(lower).z, 3.0);
}

TEST_F(CarrierScenario, PayloadOffsetWithTwoValuesSetsOnlyXAndY) {
    OBJHANDLE h = make("C", "Haulbed", {"PLD_OFS 1 2"});
    EXPECT_EQ(carrierPoint(h).x, 1.0);
    EXPECT_EQ(carrierPoint(h).y, 2.0);
    EXPECT_EQ(carrierPoint(h).z, 0.0);
}

TEST_F(CarrierScenario, PayloadOffsetStopsAtTheFirstValueThatIsNoNumber) {
    OBJHANDLE h = make("C", "Haulbed", {"PLD_OFS 4 5 6", "PLD_OFS 7 x 9"});
    EXPECT_EQ(carrierPoint(h).x, 7.0);
    EXPECT_EQ(carrierPoint(h).y, 5.0);
    EXPECT_EQ(carrierPoint(h).z, 6.0);
}

// As %lf and %d read them: a hexadecimal number, a value too small for a double, and a
// value that is not finite, which keeps its component and lets the next be read.
TEST_F(CarrierScenario, ValuesReadAsTheScanfConversionsReadThem) {
    OBJHANDLE h = make("C", "Haulbed", {"PLD_OFS 4 5 6", "PLD_OFS 0x1p-2 -inf 1e-400", "SEGS 0x3"});
    EXPECT_EQ(carrierPoint(h).x, 0.25);
    EXPECT_EQ(carrierPoint(h).y, 5.0);
    EXPECT_EQ(carrierPoint(h).z, 0.0);
    EXPECT_EQ(segments(h), 1u);  // %d reads the 0 before "x"
}

TEST_F(CarrierScenario, TrunnionLineShowsTrunnionsWithOrWithoutTrailingText) {
    EXPECT_EQ(trunnionMeshes(make("Plain", "Haulbed", {"STS"})), 2u);
    EXPECT_EQ(trunnionMeshes(make("Trailing", "Haulbed", {"STS whatever follows"})), 2u);
    EXPECT_EQ(trunnionMeshes(make("Lower", "Haulbed", {"sts"})), 2u);
}

TEST_F(CarrierScenario, LinesTheCarrierDoesNotKnowReachTheHostUnchanged) {
    host().journal().enable();
    OBJHANDLE h = make("C", "Haulbed", {"STATUS Orbiting Earth", "FOO_BAR 1 2 3", "SEG 2", "PLD 1", "SEGS 2"});
    const std::vector<std::string> parsed = host().journal().calls("ParseScenarioLineEx");
    EXPECT_EQ(parsed, (std::vector<std::string>{"ParseScenarioLineEx STATUS Orbiting Earth",
                                                "ParseScenarioLineEx FOO_BAR 1 2 3", "ParseScenarioLineEx SEG 2",
                                                "ParseScenarioLineEx PLD 1"}));
    EXPECT_EQ(v(h).status, "Orbiting Earth");
    EXPECT_NE(std::find(v(h).unknownLines.begin(), v(h).unknownLines.end(), "FOO_BAR 1 2 3"), v(h).unknownLines.end());
    EXPECT_EQ(segments(h), 2u);
}

TEST_F(CarrierScenario, LoadingAndSavingWriteNothingToTheLog) {
    host().journal().enable();
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 2", "PLD_OFS 1 2 3", "STS", "UNKNOWN 1"});
    host().saveVesselLines(h);
    EXPECT_EQ(host().journal().count("oapiWriteLog"), 0u);
}

TEST_F(CarrierScenario, SaveWritesHostLinesThenOffsetThenSegmentsThenTrunnions) {
    OBJHANDLE h = make("C", "Haulbed", {"STATUS Orbiting Earth", "PLD_OFS 0.5 -1.2 2", "SEGS 3", "STS"});
    const std::vector<std::string> lines = host().saveVesselLines(h);

    const size_t status = lineOf(lines, "STATUS");
    const size_t offset = lineOf(lines, "PLD_OFS");
    const size_t segs = lineOf(lines, "SEGS");
    const size_t sts = lineOf(lines, "STS");
    ASSERT_NE(status, std::string::npos);
    ASSERT_NE(offset, std::string::npos);
    ASSERT_NE(segs, std::string::npos);
    ASSERT_NE(sts, std::string::npos);
    EXPECT_LT(status, offset);
    EXPECT_EQ(segs, offset + 1);
    EXPECT_EQ(sts, segs + 1);

    EXPECT_EQ(lines[segs], "  SEGS 3");
    std::istringstream values(lines[offset]);
    std::string key;
    double x = 0, y = 0, z = 0;
    ASSERT_TRUE(values >> key >> x >> y >> z);
    EXPECT_EQ(x, 0.5);
    EXPECT_EQ(y, -1.2);
    EXPECT_EQ(z, 2.0);
    std::istringstream stsWords(lines[sts]);
    std::string stsKey, stsRest;
    stsWords >> stsKey >> stsRest;
    EXPECT_TRUE(stsRest.empty()) << lines[sts];
}

TEST_F(CarrierScenario, SavingACarrierWithoutTrunnionsWritesNoTrunnionLine) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 2"});
    const std::vector<std::string> lines = host().saveVesselLines(h);
    EXPECT_EQ(lineOf(lines, "STS"), std::string::npos);
    EXPECT_NE(lineOf(lines, "SEGS"), std::string::npos);
}

TEST_F(CarrierScenario, SavingAfterTheCountChangedToFiveWritesFive) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 3"});
    carrier(h).SetSegmentCount(5, false);
    const std::vector<std::string> lines = host().saveVesselLines(h);
    const size_t segs = lineOf(lines, "SEGS");
    ASSERT_NE(segs, std::string::npos);
    EXPECT_EQ(lines[segs], "  SEGS 5");
    EXPECT_LT(lineOf(lines, "PLD_OFS"), segs);
}

TEST_F(CarrierScenario, SavedLinesLoadIntoTheSameCarrier) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 2", "PLD_OFS 0.1 0.2 0.3"});
    carrier(h).SetSegmentCount(4, true);
    carrier(h).SetPayloadOffset(-0.7, 1.3, 2.9);
    const std::vector<std::string> lines = host().saveVesselLines(h);
    OBJHANDLE copy = make("Copy", "Haulbed", lines);
    EXPECT_EQ(segments(copy), 4u);
    EXPECT_EQ(trunnionMeshes(copy), 2u);
    EXPECT_EQ(carrierPoint(copy).x, -0.7);
    EXPECT_EQ(carrierPoint(copy).y, 1.3);
    EXPECT_EQ(carrierPoint(copy).z, 2.9);
    EXPECT_EQ(v(copy).emptyMass, v(h).emptyMass);
}

TEST_F(CarrierScenario, NeitherPayloadsNorTheTurnAreSaved) {
    OBJHANDLE h = make("C", "Haulbed", {"SEGS 1"});
    OBJHANDLE crate = make("Box", "Crate");
    oapiGetVesselInterface(crate)->CreateAttachment(true, _V(0, 0, 0), _V(0, -1, 0), _V(0, 0, 1), "LOAD");
    ASSERT_TRUE(carrier(h).AttachPayload(0, 0, crate));
    host().setFocus(h);
    host().pressKey(OAPI_KEY_K);
    host().step(10);
    const std::vector<std::string> lines = host().saveVesselLines(h);
    // The carrier's own lines close the block: the offset and the count, nothing else.
    const size_t offset = lineOf(lines, "PLD_OFS");
    ASSERT_NE(offset, std::string::npos);
    EXPECT_EQ(lines.size(), offset + 2);
    EXPECT_EQ(lineOf(lines, "SEGS"), offset + 1);
    for (const std::string& line : lines) EXPECT_EQ(line.find("Box"), std::string::npos) << line;
}

}  // namespace
