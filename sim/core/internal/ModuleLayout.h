// The objects the host and the modules share, as the modules' compiler lays them out:
// GCC's layout on Linux, where host and modules are built alike; Microsoft's on Windows,
// where the modules are built as the simulator loads them (core/src/windows/).
#pragma once

#include "VesselAPI.h"

namespace hostsim {

// The kind of a module's transform, asked through its own virtual table.
MGROUP_TRANSFORM::TYPE transformType(const MGROUP_TRANSFORM& transform);

// Gives a vessel object that the host makes the type information a module's
// dynamic_cast reads when it is handed the object.
void shareHostVessel(VESSEL3& vessel);

}  // namespace hostsim
