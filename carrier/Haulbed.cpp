// The carrier's construction and destruction, and the hooks by which the shared
// entry layer creates carriers.
#include "Haulbed.h"

#include <new>

#include "ModuleHooks.h"

Haulbed::Haulbed(OBJHANDLE hVessel, int flightModel) : VESSEL3(hVessel, flightModel) {}

// The turn transforms go with their owners. Meshes, docks, points and the animation
// belong to the host, which removes them with the vessel.
Haulbed::~Haulbed() = default;

VESSEL* CreateModuleVessel(OBJHANDLE hVessel, int flightModel) {
    return new (std::nothrow) Haulbed(hVessel, flightModel);
}

void DestroyModuleVessel(VESSEL* vessel) { delete static_cast<Haulbed*>(vessel); }
