// The carrier's lines in its scenario block: segment count, carrier point position
// and trunnions. Payloads and the pallet turn are not kept; a loaded carrier starts
// unturned and empty.
#include <string_view>

#include "CarrierLayout.h"
#include "Haulbed.h"
#include "ScanText.h"
#include "WritableText.h"

using namespace carrier;

namespace {

constexpr std::string_view kSegmentsKey = "SEGS";
constexpr std::string_view kPayloadOffsetKey = "PLD_OFS";
constexpr std::string_view kTrunnionsKey = "STS";

}  // namespace

void Haulbed::clbkLoadStateEx(FILEHANDLE scn, void* status) {
    char* line = nullptr;
    while (oapiReadScenario_nextline(scn, line)) {
        const std::string_view text(line);
        if (StartsWithKey(text, kSegmentsKey)) {
            int count;
            if (ScanText(text.substr(kSegmentsKey.size())).Int(count)) segmentCount = ClampSegmentCount(count);
        } else if (StartsWithKey(text, kPayloadOffsetKey)) {
            // As many components as can be read; the others keep their values.
            ScanText values(text.substr(kPayloadOffsetKey.size()));
            for (double& component : payloadOffset.data)
                if (values.Real(component) == Scan::NoMatch) break;
        } else if (StartsWithKey(text, kTrunnionsKey)) {
            trunnionsShown = true;
        } else {
            ParseScenarioLineEx(line, status);
        }
    }
    BuildCarrier();
}

void Haulbed::clbkSaveState(FILEHANDLE scn) {
    VESSEL2::clbkSaveState(scn);
    oapiWriteScenario_vec(scn, WritableText(kPayloadOffsetKey).data(), payloadOffset);
    oapiWriteScenario_int(scn, WritableText(kSegmentsKey).data(), static_cast<int>(segmentCount));
    if (trunnionsShown) oapiWriteScenario_string(scn, WritableText(kTrunnionsKey).data(), WritableText("").data());
}
