// Host and modules are built by the same compiler here: the objects need no bridge.
#include "ModuleLayout.h"

namespace hostsim {

MGROUP_TRANSFORM::TYPE transformType(const MGROUP_TRANSFORM& transform) { return transform.Type(); }

void shareHostVessel(VESSEL3&) {}

}  // namespace hostsim
