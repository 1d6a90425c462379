// The carrier's step: the pallet turn, and letting go of the docks while the
// carrier hangs from a grapple point. Nothing here allocates, and a stopped carrier
// does the same small amount of work whatever its length.
#include <algorithm>
#include <cmath>

#include "CarrierLayout.h"
#include "Haulbed.h"

using namespace carrier;

void Haulbed::clbkPreStep(double /*simt*/, double simdt, double /*mjd*/) {
    // 1. The turn gained in this step, uncapped.
    if (turnStatus != TurnStatus::Stopped) turnStep = simdt * kTurnRate;

    // 2. Advance the turn state toward the status's stop.
    AdvanceTurn();

    // 3. Swing the pallet points and the turning groups to the new state.
    if (turnStatus != TurnStatus::Stopped && built) TurnPallets();

    // 4. A carrier held at a grapple point cannot stay docked.
    if (built) ReleaseDocksWhileGrappled();
}

// The stop is stored exactly, so the step after the one that reaches it stops the
// turn. A state outside the status's range changes nothing.
void Haulbed::AdvanceTurn() {
    double& p = turnState;
    switch (turnStatus) {
    case TurnStatus::ForwardToHalf:
        if (p < kTurnHalf)
            p = (std::min)(p + turnStep, kTurnHalf);
        else if (p == kTurnHalf)
            turnStatus = TurnStatus::Stopped;
        break;
    case TurnStatus::ForwardToFull:
        if (p >= kTurnHalf && p < kTurnFull)
            p = (std::min)(p + turnStep, kTurnFull);
        else if (p == kTurnFull)
            turnStatus = TurnStatus::Stopped;
        break;
    case TurnStatus::BackToStart:
        if (p > kTurnStart && p <= kTurnHalf)
            p = (std::max)(p - turnStep, kTurnStart);
        else if (p == kTurnStart)
            turnStatus = TurnStatus::Stopped;
        break;
    case TurnStatus::BackToHalf:
        if (p > kTurnHalf)
            p = (std::max)(p - turnStep, kTurnHalf);
        else if (p == kTurnHalf)
            turnStatus = TurnStatus::Stopped;
        break;
    case TurnStatus::Stopped:
        break;
    }
}

// Each point turns from where it stands by the angle gained since the last turn,
// so points and segment groups stay in step as long as both started together.
void Haulbed::TurnPallets() {
    turnAngle = turnState * kDegreesPerTurn * kRadiansPerDegree;
    const double gained = turnAngle - appliedTurnAngle;
    const double cosGained = std::cos(gained);
    const double sinGained = std::sin(gained);
    for (ATTACHMENTHANDLE pallet : palletPoints) {
        VECTOR3 pos, dir, rot;
        GetAttachmentParams(pallet, pos, dir, rot);
        SetAttachmentParams(pallet, TurnAboutZ(pos, cosGained, sinGained), TurnAboutZ(dir, cosGained, sinGained),
                            TurnAboutZ(rot, cosGained, sinGained));
    }
    appliedTurnAngle = turnAngle;
    SetAnimation(turnAnimation, turnState);
}

// Runs for every occupied grapple point, every step, whatever the turn does.
void Haulbed::ReleaseDocksWhileGrappled() {
    for (ATTACHMENTHANDLE grapple : grapplePoints) {
        if (oapiIsVessel(GetAttachmentStatus(grapple))) Undock(ALLDOCKS, nullptr);
    }
}
