// The carrier's own operations on the object the host holds for it. Tests do not link
// the module, so the calls go through the object's vtable (test programs are built
// without the sanitizer's dynamic type check, since Haulbed's type record stays inside
// the module).
#pragma once

#include <vector>

#include "../../carrier/Haulbed.h"

struct CarrierOps {
    VESSEL* object;
    Haulbed* self() const { return static_cast<Haulbed*>(object); }
    void SetSegmentCount(unsigned n, bool trunnions) const { self()->SetSegmentCount(n, trunnions); }
    void ShowTrunnions(bool show) const { self()->ShowTrunnions(show); }
    void SetPayloadOffset(double x, double y, double z) const { self()->SetPayloadOffset(x, y, z); }
    bool AttachPayload(unsigned pallet, unsigned point, OBJHANDLE payload) const {
        return self()->AttachPayload(pallet, point, payload);
    }
    std::vector<OBJHANDLE> ListPayloads() const { return self()->ListPayloads(); }
};
