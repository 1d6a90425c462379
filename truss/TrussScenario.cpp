// The truss lines of a vessel's scenario block: reading them (then building the type)
// and writing them after the simulator's own lines.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

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

char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// A key matches any line that begins with it, in any case.
bool BeginsWithKey(std::string_view line, std::string_view key) {
    if (line.size() < key.size()) return false;
    for (size_t i = 0; i < key.size(); ++i)
        if (Upper(line[i]) != key[i]) return false;
    return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Reads numbers one after another from a value text, as scanf would: blanks before a
// number are skipped, a leading '+' is allowed, and reading stops at the first value
// that does not parse. Values that are not finite numbers do not parse.
class ValueReader {
public:
    explicit ValueReader(std::string_view text) : rest(text) {}

    bool Int(int& out) { return Read(out); }

    bool Real(double& out) {
        double value;
        if (!Read(value) || !std::isfinite(value)) return false;
        out = value;
        return true;
    }

private:
    template <typename T>
    bool Read(T& out) {
        while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
        if (rest.size() > 1 && rest.front() == '+' && rest[1] != '-' && rest[1] != '+') rest.remove_prefix(1);
        T value;
        const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
        if (error != std::errc()) return false;
        rest.remove_prefix(size_t(end - rest.data()));
        out = value;
        return true;
    }

    std::string_view rest;
};

// An animation line: the motion's status, read and thrown away so that no motion
// continues after loading, then its state.
bool ReadMotionLine(ValueReader& reader, double& state) {
    int status;
    return reader.Int(status) && reader.Real(state);
}

void WriteMotionLine(FILEHANDLE scn, const char* key, MotionStatus status, double state, int decimals) {
    char value[512];  // room for any double in fixed notation
    std::snprintf(value, sizeof value, "%d %.*f", static_cast<int>(status), decimals, state);
    oapiWriteScenario_string(scn, WritableText(key).data(), value);
}

}  // namespace

bool Truss::ReadScenarioLine(std::string_view line) {
    for (const ScenarioKey& entry : kKeys) {
        if (!BeginsWithKey(line, entry.text)) continue;
        ValueReader reader(line.substr(entry.text.size()));
        switch (entry.key) {
        case LineKey::Type:
            reader.Int(type);
            break;
        case LineKey::Sts:  // the value text is not read
            stsTrunnions = true;
            break;
        case LineKey::PayloadOffset:
            // A partly parsed line keeps the components it read.
            for (double* component : {&payloadOffset.x, &payloadOffset.y, &payloadOffset.z})
                if (!reader.Real(*component)) break;
            break;
        case LineKey::BaseAnim:
            ReadMotionLine(reader, baseState);
            baseStatus = MotionStatus::Stopped;
            break;
        case LineKey::DeployAnim:
        case LineKey::RadAnim:
            ReadMotionLine(reader, deployState);
            deployStatus = MotionStatus::Stopped;
            break;
        case LineKey::BoxAnim:
            ReadMotionLine(reader, boxState);
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
