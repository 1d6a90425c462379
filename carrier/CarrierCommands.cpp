// Keys and typed commands. K turns the pallets forward to the next stop, Ctrl+K
// back to the previous one; Ctrl+Space opens the command box, in which
// "GRAPPLE name pallet point" attaches a vessel and "RELEASE pallet" lets it go.
#include <array>
#include <cstring>

#include "CarrierLayout.h"
#include "Haulbed.h"
#include "ScanText.h"

using namespace carrier;

namespace {

// The box may keep its title while it is open, so the title lives as long as the module.
char commandBoxTitle[] = "Command";
constexpr int kCommandBoxWidth = 20;  // characters visible

// Both command words are this long; their arguments follow directly, blank or not.
constexpr std::size_t kCommandWordLength = 7;
constexpr std::string_view kReleaseWord = "RELEASE";
constexpr std::string_view kGrappleWord = "GRAPPLE";
static_assert(kReleaseWord.size() == kCommandWordLength && kGrappleWord.size() == kCommandWordLength);

// Room for a typed vessel name and its terminator; a longer name cannot be meant.
constexpr std::size_t kNameBufferSize = 1024;

bool OnCommandInput(void* /*id*/, char* text, void* userData) {
    return userData && static_cast<Haulbed*>(userData)->ExecuteCommand(text);
}

bool CtrlHeld(const char* kstate) {
    return kstate && (KEYDOWN(kstate, OAPI_KEY_LCONTROL) || KEYDOWN(kstate, OAPI_KEY_RCONTROL));
}

}  // namespace

// Keys only set the turn's status and state; the steps move it.
int Haulbed::clbkConsumeBufferedKey(DWORD key, bool down, char* kstate) {
    if (!down) return 0;
    const bool ctrl = CtrlHeld(kstate);
    switch (key) {
    case OAPI_KEY_K:
        if (ctrl)
            StartOrStopBackward();
        else
            StartOrStopForward();
        return 1;
    case OAPI_KEY_SPACE:
        // The box is the host's; leave the key to it as well.
        if (ctrl) oapiOpenInputBox(commandBoxTitle, OnCommandInput, nullptr, kCommandBoxWidth, this);
        return 0;
    default:
        return 0;
    }
}

// A running turn stops where it stands. A stopped one runs on to the next stop
// forward; one standing at the full turn starts again from 0.
void Haulbed::StartOrStopForward() {
    if (turnStatus != TurnStatus::Stopped) {
        turnStatus = TurnStatus::Stopped;
        return;
    }
    if (turnState == kTurnStart || turnState == kTurnFull) {
        turnState = kTurnStart;
        turnStatus = TurnStatus::ForwardToHalf;
    } else if (turnState < kTurnHalf) {
        turnStatus = TurnStatus::ForwardToHalf;
    } else {
        turnStatus = TurnStatus::ForwardToFull;
    }
}

// As forward, toward the previous stop; one standing at 0 starts again from 1.
void Haulbed::StartOrStopBackward() {
    if (turnStatus != TurnStatus::Stopped) {
        turnStatus = TurnStatus::Stopped;
        return;
    }
    if (turnState == kTurnStart || turnState == kTurnFull) {
        turnState = kTurnFull;
        turnStatus = TurnStatus::BackToHalf;
    } else if (turnState > kTurnHalf) {
        turnStatus = TurnStatus::BackToHalf;
    } else {
        turnStatus = TurnStatus::BackToStart;
    }
}

bool Haulbed::ExecuteCommand(const char* text) {
    if (!text) return false;
    const std::string_view command(text);
    if (command.size() < kCommandWordLength) return false;
    const std::string_view arguments = command.substr(kCommandWordLength);
    if (StartsWithKey(command, kReleaseWord)) return ExecuteRelease(arguments);
    if (StartsWithKey(command, kGrappleWord)) return ExecuteGrapple(arguments);
    return false;
}

// "RELEASE n": lets the payload of pallet point n go; false if the point is free
// or does not exist.
bool Haulbed::ExecuteRelease(std::string_view arguments) {
    int pallet;
    if (!ScanText(arguments).Int(pallet) || pallet < 0 || std::size_t(pallet) >= palletPoints.size()) return false;
    return ReleasePayload(std::size_t(pallet));
}

// "GRAPPLE name a b": attaches the vessel called name by its parent point b to
// pallet point a, which must exist and be free.
bool Haulbed::ExecuteGrapple(std::string_view arguments) {
    ScanText values(arguments);
    const std::string_view name = values.Word();
    int pallet, payloadPoint;
    if (name.empty() || !values.Int(pallet) || !values.Int(payloadPoint)) return false;
    if (name.size() >= kNameBufferSize) return false;
    if (pallet < 0 || std::size_t(pallet) >= palletPoints.size() || payloadPoint < 0) return false;
    if (PalletOccupied(std::size_t(pallet))) return false;

    std::array<char, kNameBufferSize> vesselName{};
    std::memcpy(vesselName.data(), name.data(), name.size());
    const OBJHANDLE payload = oapiGetVesselByName(vesselName.data());
    if (!oapiIsVessel(payload)) return false;
    return AttachPayload(unsigned(pallet), unsigned(payloadPoint), payload);
}
