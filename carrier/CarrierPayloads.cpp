// Payloads on the pallet points. The carrier keeps no record of them: whether a
// pallet point is occupied, and by what, is always asked of the host.
#include "Haulbed.h"

bool Haulbed::AttachPayload(unsigned palletIndex, unsigned payloadPointIndex, OBJHANDLE payload) {
    if (!oapiIsVessel(payload)) return false;
    if (palletIndex >= palletPoints.size()) return false;
    const ATTACHMENTHANDLE pallet = GetAttachmentHandle(false, palletIndex);

    const VESSEL* payloadVessel = oapiGetVesselInterface(payload);
    if (!payloadVessel || payloadPointIndex >= payloadVessel->AttachmentCount(true)) return false;
    const ATTACHMENTHANDLE payloadPoint = payloadVessel->GetAttachmentHandle(true, payloadPointIndex);

    return AttachChild(payload, pallet, payloadPoint);
}

std::vector<OBJHANDLE> Haulbed::ListPayloads() const {
    std::vector<OBJHANDLE> payloads;
    for (ATTACHMENTHANDLE pallet : palletPoints) {
        const OBJHANDLE payload = GetAttachmentStatus(pallet);
        if (oapiIsVessel(payload)) payloads.push_back(payload);
    }
    return payloads;
}

bool Haulbed::PalletOccupied(std::size_t palletIndex) const {
    return oapiIsVessel(GetAttachmentStatus(palletPoints[palletIndex]));
}

// The payload leaves with no velocity added to the carrier's.
bool Haulbed::ReleasePayload(std::size_t palletIndex) { return DetachChild(palletPoints[palletIndex], 0.0); }
