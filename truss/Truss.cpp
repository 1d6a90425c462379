// The Truss class: construction, destruction, class capabilities, and the factory
// pair that the module entry layer calls.
#include "Truss.h"

#include <new>

#include "ModuleHooks.h"

Truss::Truss(OBJHANDLE hVessel, int flightModel) : VESSEL3(hVessel, flightModel) {}

Truss::~Truss() { TearDown(); }

void Truss::clbkSetClassCaps(FILEHANDLE /*cfg*/) {
    // "CAR": the point by which the segment hangs from a carrier.
    carPoint = CreateAttachment(true, _V(0, 0, 0), _V(0, -0.866025, 0.5), _V(1, 0, 0), "CAR", false);
}

VESSEL* CreateModuleVessel(OBJHANDLE hVessel, int flightModel) {
    return new (std::nothrow) Truss(hVessel, flightModel);
}

void DestroyModuleVessel(VESSEL* vessel) { delete static_cast<Truss*>(vessel); }
