// Finding this module's own vessel object behind a vessel handle.
#pragma once

#include "Orbitersdk.h"

// The object of the module's vessel class T behind a handle, or null for anything
// else: a handle that is no vessel, a plain vessel (its class's module is missing),
// another module's vessel. The class name does not matter: every class whose
// configuration names this module has a T. Only VESSEL2 and later carry type
// information (VESSEL has no virtual function), so the version decides whether the
// object may be asked for its type.
template <typename T>
T* OwnVessel(OBJHANDLE vessel) {
    if (!oapiIsVessel(vessel)) return nullptr;
    VESSEL* object = oapiGetVesselInterface(vessel);
    if (!object || object->Version() < 1) return nullptr;
    return dynamic_cast<T*>(static_cast<VESSEL2*>(object));
}
