// A vessel class whose step does nothing: the floor of the step benchmarks.
#include "Orbitersdk.h"

namespace {

class Idle final : public VESSEL3 {
public:
    Idle(OBJHANDLE hVessel, int flightModel) : VESSEL3(hVessel, flightModel) {}
    void clbkPreStep(double, double, double) override {}
};

}  // namespace

DLLCLBK VESSEL* ovcInit(OBJHANDLE hVessel, int flightModel) { return new Idle(hVessel, flightModel); }
DLLCLBK void ovcExit(VESSEL* vessel) { delete static_cast<Idle*>(vessel); }
