// The truss lines of a vessel's scenario block: reading them (then building the type)
// and writing them after the simulator's own lines.
#include <cstdio>
#include <string_view>

#include "ScanText.h"
#include "Truss.h"
#include "TrussConstants.h"
#include "WritableText.h"

using namespace truss;

namespace {

enum class LineKey { Type, Sts, PayloadOffset, BaseAnim, DeployAnim, BoxAnim, RadAnim, Tracking };

struct ScenarioKey {
    std::string_view text;
    LineKey key;
    const char* logLine;  // written whenever the key matches, parsed or not
};

// Tried in this order; the first key that begins the line takes it.
constexpr ScenarioKey kKeys[] = {
    {"TYPE", LineKey::Type, "**Type Loaded"},
    {"STS", LineKey::Sts, "**STS Loaded"},
    {"PLD_OFS", LineKey::PayloadOffset, "**Payload Offset Loaded"},
    {"BASEANIM", LineKey::BaseAnim, "**Solar Base Animation Loaded"},
    {"DEPLOYANIM", LineKey::DeployAnim, "**Solar Deploy Animation Loaded"},
    {"BOXANIM", LineKey::BoxAnim, "**Solar Box Animation Loaded"},
    {"RADANIM", LineKey::RadAnim, "**Radiator Deploy Animation Loaded"},
    {"TRACKING", LineKey::Tracking, "**Solar Tracking Status Loaded"},
};

// An animation line: the motion's status, read and thrown away so that no motion
// continues after loading, then its state.
void ReadMotionLine(ScanText& values, double& state) {
    int status;
    if (values.Int(status)) values.Real(state);
}

void WriteMotionLine(FILEHANDLE scn, const char* key, MotionStatus status, double state, int decimals) {
    char value[512];  // room for any double in fixed notation
    std::snprintf(value, sizeof value, "%d %.*f", static_cast<int>(status), decimals, state);
    oapiWriteScenario_string(scn, WritableText(key).data(), value);
}

}  // namespace

bool Truss::ReadScenarioLine(std::string_view line) {
    for (const ScenarioKey& entry : kKeys) {
        if (!StartsWithKey(line, entry.text)) continue;
        ScanText values(line.substr(entry.text.size()));
        switch (entry.key) {
        case LineKey::Type:
            values.Int(type);
            break;
        case LineKey::Sts:  // the value text is not read
            stsTrunnions = true;
            break;
        case LineKey::PayloadOffset:
            // A partly read line keeps the components it did not reach.
            for (double* component : {&payloadOffset.x, &payloadOffset.y, &payloadOffset.z})
                if (values.Real(*component) == Scan::NoMatch) break;
            break;
        case LineKey::BaseAnim:
            ReadMotionLine(values, baseState);
            baseStatus = MotionStatus::Stopped;
            break;
        case LineKey::DeployAnim:
        case LineKey::RadAnim:
            ReadMotionLine(values, deployState);
            deployStatus = MotionStatus::Stopped;
            break;
        case LineKey::BoxAnim:
            ReadMotionLine(values, boxState);
            boxStatus = MotionStatus::Stopped;
            break;
        case LineKey::Tracking:  // the value text is not read
            sunTracking = true;
            break;
        }
        oapiWriteLog(WritableText(entry.logLine).data());
        return true;
    }
    return false;
}

void Truss::clbkLoadStateEx(FILEHANDLE scn, void* status) {
    char* line;
    while (oapiReadScenario_nextline(scn, line)) {
        if (!ReadScenarioLine(line)) ParseScenarioLineEx(line, status);
    }
    BuildType(type);
}

void Truss::clbkSaveState(FILEHANDLE scn) {
    VESSEL2::clbkSaveState(scn);
    oapiWriteScenario_int(scn, WritableText("TYPE").data(), type);
    switch (type) {
    case kBaseSegment:
        if (stsTrunnions) oapiWriteScenario_string(scn, WritableText("STS").data(), WritableText("").data());
        WriteMotionLine(scn, "RADANIM", deployStatus, deployState, 2);
        break;
    case kRadiatorSegment:
        WriteMotionLine(scn, "RADANIM", deployStatus, deployState, 2);
        break;
    case kSolarSegment:
        WriteMotionLine(scn, "DEPLOYANIM", deployStatus, deployState, 3);
        if (sunTracking) oapiWriteScenario_string(scn, WritableText("TRACKING").data(), WritableText("").data());
        WriteMotionLine(scn, "BASEANIM", baseStatus, baseState, 3);
        WriteMotionLine(scn, "BOXANIM", boxStatus, boxState, 3);
        break;
    default:
        break;
    }
}
